#include "i18n/mo_file.h"

#include <cstring>

#include "platform/error.h"

namespace lantervo {

namespace {

constexpr std::uint32_t kMagic = 0x950412deu;
constexpr std::uint32_t kMagicSwapped = 0xde120495u;
constexpr std::size_t kHeaderSize = 28;

std::uint32_t Swap(std::uint32_t v) {
  return (v >> 24) | ((v >> 8) & 0xff00u) | ((v << 8) & 0xff0000u) | (v << 24);
}

std::uint32_t ReadNative(const unsigned char* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    unsigned char a = static_cast<unsigned char>(text[i]);
    unsigned char b = static_cast<unsigned char>(prefix[i]);
    if (a >= 'a' && a <= 'z') a = static_cast<unsigned char>(a - 'a' + 'A');
    if (b >= 'a' && b <= 'z') b = static_cast<unsigned char>(b - 'a' + 'A');
    if (a != b) return false;
  }
  return true;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
  return s;
}

}  // namespace

std::shared_ptr<const TMoFile> TMoFile::Open(const std::string& path) {
  std::shared_ptr<TMoFile> file(new TMoFile());
  file->Mapped(path, platform::MapWholeFile(path, file->mapping_));
  return file;
}

std::shared_ptr<const TMoFile> TMoFile::Open(const std::string& path, std::uint64_t offset,
                                             std::uint64_t size) {
  std::shared_ptr<TMoFile> file(new TMoFile());
  file->Mapped(path, platform::MapFileSlice(path, offset, size, file->mapping_));
  return file;
}

void TMoFile::Mapped(const std::string& path, const platform::MapResult& r) {
  if (!r.ok) {
    switch (r.stage) {
      case platform::MapStage::Open:
        throw Error("Cannot open file " + path);
      case platform::MapStage::CreateMapping:
        throw Error("Cannot create memory map on file " + path);
      case platform::MapStage::Map:
        break;
    }
    throw Error("Cannot map file " + path + " into memory. Reason: " + r.message);
  }
  data_ = mapping_.Data();
  size_ = mapping_.Size();
  Validate(path);
}

std::shared_ptr<const TMoFile> TMoFile::FromBytes(std::string bytes, const std::string& name) {
  std::shared_ptr<TMoFile> file(new TMoFile());
  file->bytes_ = std::move(bytes);
  file->data_ = reinterpret_cast<const unsigned char*>(file->bytes_.data());
  file->size_ = file->bytes_.size();
  file->Validate(name);
  return file;
}

// Everything a lookup will read is checked once here, so lookups need no bounds checks.
void TMoFile::Validate(const std::string& name) {
  auto invalid = [&] { return Error("This file is not a valid GNU gettext mo file: " + name); };
  if (size_ < kHeaderSize) throw invalid();
  const std::uint32_t magic = ReadNative(data_);
  if (magic == kMagic) {
    swapped_ = false;
  } else if (magic == kMagicSwapped) {
    swapped_ = true;
  } else {
    throw invalid();
  }
  count_ = Word(8);
  idTable_ = Word(12);
  textTable_ = Word(16);
  const std::uint64_t tableBytes = std::uint64_t{count_} * 8;
  if (idTable_ > size_ || tableBytes > size_ - idTable_) throw invalid();
  if (textTable_ > size_ || tableBytes > size_ - textTable_) throw invalid();
  for (std::uint32_t table : {idTable_, textTable_}) {
    for (std::uint32_t i = 0; i < count_; ++i) {
      const std::uint64_t length = Word(table + std::size_t{i} * 8);
      const std::uint64_t offset = Word(table + std::size_t{i} * 8 + 4);
      if (offset > size_ || length > size_ - offset) throw invalid();
    }
  }
}

std::uint32_t TMoFile::Word(std::size_t offset) const {
  const std::uint32_t v = ReadNative(data_ + offset);
  return swapped_ ? Swap(v) : v;
}

std::string_view TMoFile::String(std::uint32_t table, std::uint32_t index) const {
  const std::size_t at = table + std::size_t{index} * 8;
  return {reinterpret_cast<const char*>(data_) + Word(at + 4), Word(at)};
}

bool TMoFile::Find(std::string_view id, std::string_view& translation) const {
  std::uint32_t low = 0;
  std::uint32_t high = count_;
  while (low < high) {
    const std::uint32_t mid = low + (high - low) / 2;
    // char_traits<char> compares as unsigned char, and a common prefix puts the shorter first.
    const int c = id.compare(Id(mid));
    if (c == 0) {
      translation = Translation(mid);
      return true;
    }
    if (c < 0) {
      high = mid;
    } else {
      low = mid + 1;
    }
  }
  return false;
}

std::string TMoFile::ContentType() const {
  std::string_view header;
  if (!Find({}, header)) return {};
  while (!header.empty()) {
    const std::size_t end = header.find('\n');
    std::string_view line = header.substr(0, end);
    if (StartsWithNoCase(line, "Content-Type: ")) return std::string(Trim(line.substr(14)));
    if (end == std::string_view::npos) break;
    header.remove_prefix(end + 1);
  }
  return {};
}

}  // namespace lantervo
