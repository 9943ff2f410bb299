#pragma once
// One GNU gettext .mo catalog, mapped read-only and searched in place.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/file_map.h"

namespace lantervo {

class TMoFile {
 public:
  // Maps the whole file, or `size` bytes at `offset` of it (a catalog inside the executable).
  // Throws Error: "Cannot open file " + path, "Cannot create memory map on file " + path,
  // "Cannot map file " + path + " into memory. Reason: " + system text, or
  // "This file is not a valid GNU gettext mo file: " + path.
  static std::shared_ptr<const TMoFile> Open(const std::string& path);
  static std::shared_ptr<const TMoFile> Open(const std::string& path, std::uint64_t offset,
                                             std::uint64_t size);
  // A catalog held in memory (fuzzing and tests); `name` stands for the path in messages.
  static std::shared_ptr<const TMoFile> FromBytes(std::string bytes, const std::string& name);

  std::uint32_t Count() const { return count_; }
  bool Swapped() const { return swapped_; }
  std::string_view Id(std::uint32_t index) const { return String(idTable_, index); }
  std::string_view Translation(std::uint32_t index) const { return String(textTable_, index); }

  // Binary search over the sorted ids: bytes compared unsigned, a prefix sorts first.
  bool Find(std::string_view id, std::string_view& translation) const;
  // The header's Content-Type value, trimmed; "" when there is none.
  std::string ContentType() const;

  TMoFile(const TMoFile&) = delete;
  TMoFile& operator=(const TMoFile&) = delete;

 private:
  TMoFile() = default;
  void Mapped(const std::string& path, const platform::MapResult& result);
  void Validate(const std::string& name);
  std::uint32_t Word(std::size_t offset) const;
  std::string_view String(std::uint32_t table, std::uint32_t index) const;

  platform::FileMapping mapping_;
  std::string bytes_;  // only for catalogs held in memory
  const unsigned char* data_ = nullptr;
  std::size_t size_ = 0;
  bool swapped_ = false;
  std::uint32_t count_ = 0;
  std::uint32_t idTable_ = 0;
  std::uint32_t textTable_ = 0;
};

}  // namespace lantervo
