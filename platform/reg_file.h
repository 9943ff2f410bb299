#pragma once
// A typed registry store and its text form, the Windows registry export format:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_LOCAL_MACHINE\Software\QUORVIK Media\Lantervo]
//   "Version"="0.9.19"
//   "CheckUpdate"=dword:00000001
//   "Path"=hex(2):25,00,00,00          (REG_EXPAND_SZ: UTF-16LE bytes)
//   "Blob"=hex:01,02                   (REG_BINARY; hex(N): for any other type N)
//
// Values keep the bytes a Windows registry would hold: text as UTF-16LE with its terminating NUL,
// DWORDs as four little-endian bytes. Key paths and value names compare without regard to case.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lantervo::platform {

// Native value types (the REG_* numbers).
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;

struct RegValue {
  std::string name;  // "" is the key's default value, written "@"
  std::uint32_t type = kRegSz;
  std::string data;
  bool operator==(const RegValue&) const = default;
};

struct RegKey {
  std::string path;  // with its root, e.g. "HKEY_LOCAL_MACHINE\Software\..."
  std::vector<RegValue> values;
  bool operator==(const RegKey&) const = default;

  const RegValue* Find(std::string_view name) const;
  // Replaces the data and type of a value of that name (keeping the name's letter case), or
  // appends a new value.
  void Set(std::string_view name, std::uint32_t type, std::string data);
  // False when there was no such value.
  bool Remove(std::string_view name);
};

class RegStore {
 public:
  const RegKey* FindKey(std::string_view path) const;
  RegKey* FindKey(std::string_view path);
  // The key of that path, appended when missing.
  RegKey& AddKey(std::string_view path);
  const std::vector<RegKey>& Keys() const { return keys_; }
  bool operator==(const RegStore&) const = default;

 private:
  std::vector<RegKey> keys_;
};

// Parses the text of a .reg file (UTF-8, with or without byte-order mark, or UTF-16LE with its
// byte-order mark as regedit exports it). Returns nothing when the text is not such a file,
// including files that delete keys or values: the store is a state, not a list of changes.
std::optional<RegStore> ParseRegFile(std::string_view text);
// The store as UTF-8 text with CR LF line ends; ParseRegFile reads it back unchanged.
std::string FormatRegFile(const RegStore& store);

// True for a key path or value name the text form can hold (no NUL, CR or LF; a key path also
// neither empty, nor starting with '-', nor ending with a backslash).
bool IsStorableValueName(std::string_view name);
bool IsStorableKeyPath(std::string_view path);

// Value data <-> program text.
std::string EncodeRegString(std::string_view utf8);  // UTF-16LE with terminating NUL
std::string DecodeRegString(std::string_view data);  // up to the first NUL
std::string EncodeRegDword(std::uint32_t value);

// ASCII letters compared without case, as the registry compares names.
bool RegNamesEqual(std::string_view a, std::string_view b);

}  // namespace lantervo::platform
