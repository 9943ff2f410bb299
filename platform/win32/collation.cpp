#include "platform/collation.h"

#include <windows.h>

#include "platform/error.h"
#include "platform/utf.h"

namespace lantervo::platform {

// The key holds the UTF-16 text; every comparison is a real CompareStringEx call.
struct Collator::Impl {
  std::wstring localeName;  // empty: the user's default locale
};

const Collator& Collator::User() {
  static const Collator collator(std::make_shared<Impl>());
  return collator;
}

Collator Collator::ForLocale(std::string_view locale) {
  auto impl = std::make_shared<Impl>();
  impl->localeName = Widen(locale);
  for (auto& c : impl->localeName)
    if (c == L'_') c = L'-';
  return Collator(impl);
}

CollationKey Collator::MakeKey(std::string_view utf8) const {
  const std::wstring wide = Widen(utf8);
  CollationKey key;
  key.data.assign(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
  return key;
}

int Collator::Compare(const CollationKey& a, const CollationKey& b) const {
  const auto* pa = reinterpret_cast<const wchar_t*>(a.data.data());
  const auto* pb = reinterpret_cast<const wchar_t*>(b.data.data());
  const int na = static_cast<int>(a.data.size() / sizeof(wchar_t));
  const int nb = static_cast<int>(b.data.size() / sizeof(wchar_t));
  const int r = impl_->localeName.empty() ? CompareStringW(LOCALE_USER_DEFAULT, 0, pa, na, pb, nb)
                                          : CompareStringEx(impl_->localeName.c_str(), 0, pa, na,
                                                            pb, nb, nullptr, nullptr, 0);
  return r == CSTR_LESS_THAN ? -1 : r == CSTR_GREATER_THAN ? 1 : 0;
}

int Collator::Compare(std::string_view a, std::string_view b) const {
  return Compare(MakeKey(a), MakeKey(b));
}

}  // namespace lantervo::platform
