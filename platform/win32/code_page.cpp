#include "platform/code_page.h"

#include <windows.h>

#include <map>
#include <mutex>

#include "platform/error.h"
#include "platform/utf.h"

namespace lantervo::platform {

struct CodePage::Impl {
  unsigned number = 1252;
  bool doubleByte = false;
  unsigned char leadBytes[256] = {};
};

namespace {

std::shared_ptr<const CodePage::Impl> MakeImpl(unsigned number) {
  CPINFO info;
  if (!GetCPInfo(number, &info))
    throw Error("Code page " + std::to_string(number) + " is not available");
  auto impl = std::make_shared<CodePage::Impl>();
  impl->number = number;
  impl->doubleByte = info.MaxCharSize > 1;
  for (int b = 0; b < 256; ++b)
    impl->leadBytes[b] = IsDBCSLeadByteEx(number, static_cast<BYTE>(b)) ? 1 : 0;
  return impl;
}

}  // namespace

void CodePage::SetFallbackLanguage(std::string_view) {
  // The ANSI code page always follows the system locale here.
}

const CodePage& CodePage::System() {
  static const CodePage page(MakeImpl(GetACP()));
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
  const std::wstring wide = Widen(utf8);
  // No best-fit mapping: a character the code page lacks becomes '?', never a look-alike.
  const DWORD flags = impl_->number == 20127 || impl_->number >= 50000 ? 0 : WC_NO_BEST_FIT_CHARS;
  int n = WideCharToMultiByte(impl_->number, flags, wide.data(), static_cast<int>(wide.size()),
                              nullptr, 0, flags ? "?" : nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(impl_->number, flags, wide.data(), static_cast<int>(wide.size()), out.data(),
                      n, flags ? "?" : nullptr, nullptr);
  return out;
}

std::string CodePage::ToUtf8(std::string_view bytes) const {
  if (bytes.empty()) return {};
  int n = MultiByteToWideChar(impl_->number, 0, bytes.data(), static_cast<int>(bytes.size()),
                              nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(impl_->number, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(),
                      n);
  return Narrow(wide);
}

}  // namespace lantervo::platform
