#pragma once
// 8-bit code pages: the system's "ANSI" code page in which table text, the list file and the
// log are stored, and conversion between it and the program's UTF-8 text.
#include <memory>
#include <string>
#include <string_view>

namespace lantervo::platform {

class CodePage {
 public:
  // The 8-bit code page of this system: CP_ACP on Windows; on Linux the code page Windows
  // would choose for the user's locale (Czech -> 1250, Western -> 1252, ...).
  static const CodePage& System();
  // Where the user's locale names no language (Linux with LANG unset, "C" or "POSIX"), System()
  // is the code page of this program language instead ("cs" -> 1250), as on a Windows set to
  // it. Takes effect only before the first call of System(): stored text keeps one code page.
  static void SetFallbackLanguage(std::string_view language);
  // A specific Windows code page number (1250, 1252, 932, ...). Throws Error when unknown.
  static CodePage Open(unsigned number);

  unsigned Number() const;
  // UTF-8 -> code page bytes; characters the code page cannot represent become '?'.
  // Malformed UTF-8 input bytes also become '?'.
  std::string FromUtf8(std::string_view utf8) const;
  // Code page bytes -> UTF-8.
  std::string ToUtf8(std::string_view bytes) const;
  // True when the byte starts a two-byte character (double-byte code pages only).
  bool IsLeadByte(unsigned char byte) const;
  bool IsDoubleByte() const;

  struct Impl;
  explicit CodePage(std::shared_ptr<const Impl> impl) : impl_(std::move(impl)) {}

 private:
  std::shared_ptr<const Impl> impl_;
};

// The code page Windows uses as ANSI code page for a locale such as "cs_CZ" or "ja_JP.UTF-8".
unsigned AnsiCodePageForLocale(std::string_view locale);

// True when the bytes are well-formed UTF-8.
bool IsValidUtf8(std::string_view bytes);

}  // namespace lantervo::platform
