#include "platform/code_page.h"

#include <unicode/ucnv.h>

#include <cstdlib>
#include <map>
#include <mutex>
#include <vector>

#include "platform/error.h"
#include "platform/locale.h"
#include "platform/utf.h"

namespace lantervo::platform {

// ICU converters are not thread-safe, so each conversion clones the prototype's table
// cheaply through a per-thread cache keyed by code page number.
struct CodePage::Impl {
  unsigned number = 1252;
  std::string icuName;
  bool doubleByte = false;
  unsigned char leadBytes[256] = {};
};

namespace {

const char* IcuNameFor(unsigned number) {
  switch (number) {
    case 874:
      return "windows-874-2000";
    case 932:
      return "ibm-943_P15A-2003";
    case 936:
      return "windows-936-2000";
    case 949:
      return "windows-949-2000";
    case 950:
      return "windows-950-2000";
    case 1250:
      return "ibm-5346_P100-1998";
    case 1251:
      return "ibm-5347_P100-1998";
    case 1252:
      return "ibm-5348_P100-1997";
    case 1253:
      return "ibm-5349_P100-1998";
    case 1254:
      return "ibm-5350_P100-1998";
    case 1255:
      return "ibm-9447_P100-2002";
    case 1256:
      return "ibm-9448_X100-2005";
    case 1257:
      return "ibm-9449_P100-2002";
    case 1258:
      return "ibm-5354_P100-1998";
    case 20127:
      return "US-ASCII";
    case 28591:
      return "ISO-8859-1";
    default:
      return nullptr;
  }
}

struct ConverterDeleter {
  void operator()(UConverter* c) const { ucnv_close(c); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterDeleter>;

UConverter* ThreadConverter(const CodePage::Impl& impl) {
  thread_local std::map<unsigned, ConverterPtr> cache;
  auto it = cache.find(impl.number);
  if (it != cache.end()) {
    ucnv_reset(it->second.get());
    return it->second.get();
  }
  UErrorCode status = U_ZERO_ERROR;
  UConverter* conv = ucnv_open(impl.icuName.c_str(), &status);
  if (U_FAILURE(status))
    throw Error("Code page " + std::to_string(impl.number) + " is not available");
  status = U_ZERO_ERROR;
  ucnv_setSubstChars(conv, "?", 1, &status);
  cache.emplace(impl.number, ConverterPtr(conv));
  return conv;
}

std::shared_ptr<const CodePage::Impl> MakeImpl(unsigned number) {
  const char* name = IcuNameFor(number);
  if (!name) throw Error("Code page " + std::to_string(number) + " is not available");
  auto impl = std::make_shared<CodePage::Impl>();
  impl->number = number;
  impl->icuName = name;
  UErrorCode status = U_ZERO_ERROR;
  ConverterPtr conv(ucnv_open(name, &status));
  if (U_FAILURE(status)) throw Error("Code page " + std::to_string(number) + " is not available");
  impl->doubleByte = ucnv_getMaxCharSize(conv.get()) > 1;
  if (impl->doubleByte) {
    // A lead byte is one that does not decode to a character on its own.
    for (int b = 0x80; b < 0x100; ++b) {
      char in = static_cast<char>(b);
      const char* src = &in;
      UChar out[4];
      UChar* dst = out;
      status = U_ZERO_ERROR;
      ucnv_reset(conv.get());
      ucnv_toUnicode(conv.get(), &dst, out + 4, &src, &in + 1, nullptr, false, &status);
      if (U_SUCCESS(status) && dst == out) impl->leadBytes[b] = 1;
    }
  }
  return impl;
}

std::mutex fallbackMutex;
std::string fallbackLanguage;

unsigned SystemNumber() {
  if (UserLocaleNamesLanguage()) return AnsiCodePageForLocale(UserLocaleName());
  std::lock_guard lock(fallbackMutex);
  return AnsiCodePageForLocale(fallbackLanguage);
}

}  // namespace

void CodePage::SetFallbackLanguage(std::string_view language) {
  std::lock_guard lock(fallbackMutex);
  fallbackLanguage = language;
}

const CodePage& CodePage::System() {
  static const CodePage page(MakeImpl(SystemNumber()));
  return page;
}

CodePage CodePage::Open(unsigned number) {
  static std::mutex mutex;
  static std::map<unsigned, std::shared_ptr<const Impl>> opened;
  std::lock_guard lock(mutex);
  auto& slot = opened[number];
  if (!slot) slot = MakeImpl(number);
  return CodePage(slot);
}

unsigned CodePage::Number() const {
  return impl_->number;
}
bool CodePage::IsDoubleByte() const {
  return impl_->doubleByte;
}
bool CodePage::IsLeadByte(unsigned char b) const {
  return impl_->leadBytes[b] != 0;
}

std::string CodePage::FromUtf8(std::string_view utf8) const {
  if (utf8.empty()) return {};
  bool ascii = true;
  for (char c : utf8)
    if (static_cast<unsigned char>(c) >= 0x80) {
      ascii = false;
      break;
    }
  if (ascii && impl_->number != 20127) return std::string(utf8);
  const std::u16string wide = Utf8ToUtf16(utf8);
  UConverter* conv = ThreadConverter(*impl_);
  std::string out(wide.size() * 2 + 4, '\0');
  UErrorCode status = U_ZERO_ERROR;
  int32_t n = ucnv_fromUChars(conv, out.data(), static_cast<int32_t>(out.size()),
                              reinterpret_cast<const UChar*>(wide.data()),
                              static_cast<int32_t>(wide.size()), &status);
  if (U_FAILURE(status)) throw Error("Code page conversion failed");
  out.resize(static_cast<size_t>(n));
  return out;
}

std::string CodePage::ToUtf8(std::string_view bytes) const {
  if (bytes.empty()) return {};
  bool ascii = true;
  for (char c : bytes)
    if (static_cast<unsigned char>(c) >= 0x80) {
      ascii = false;
      break;
    }
  if (ascii) return std::string(bytes);
  UConverter* conv = ThreadConverter(*impl_);
  std::vector<UChar> wide(bytes.size() + 4);
  UErrorCode status = U_ZERO_ERROR;
  int32_t n = ucnv_toUChars(conv, wide.data(), static_cast<int32_t>(wide.size()), bytes.data(),
                            static_cast<int32_t>(bytes.size()), &status);
  if (U_FAILURE(status)) throw Error("Code page conversion failed");
  return Utf16ToUtf8(
      std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), static_cast<size_t>(n)));
}

}  // namespace lantervo::platform
