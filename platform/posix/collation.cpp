#include "platform/collation.h"

#include <unicode/ucol.h>

#include <cstring>

#include "platform/error.h"
#include "platform/locale.h"
#include "platform/utf.h"

namespace lantervo::platform {

struct Collator::Impl {
  UCollator* collator = nullptr;
  ~Impl() {
    if (collator) ucol_close(collator);
  }
};

namespace {

std::shared_ptr<const Collator::Impl> MakeImpl(std::string_view locale) {
  auto impl = std::make_shared<Collator::Impl>();
  UErrorCode status = U_ZERO_ERROR;
  impl->collator = ucol_open(std::string(locale).c_str(), &status);
  if (U_FAILURE(status)) throw Error("No collation for locale " + std::string(locale));
  status = U_ZERO_ERROR;
  ucol_setStrength(impl->collator, UCOL_TERTIARY);
  return impl;
}

}  // namespace

const Collator& Collator::User() {
  static const Collator collator(MakeImpl(UserLocaleName()));
  return collator;
}

Collator Collator::ForLocale(std::string_view locale) {
  return Collator(MakeImpl(locale));
}

CollationKey Collator::MakeKey(std::string_view utf8) const {
  const std::u16string wide = Utf8ToUtf16(utf8);
  const UChar* src = reinterpret_cast<const UChar*>(wide.data());
  CollationKey key;
  key.data.resize(wide.size() * 4 + 16);
  int32_t n = ucol_getSortKey(impl_->collator, src, static_cast<int32_t>(wide.size()),
                              reinterpret_cast<uint8_t*>(key.data.data()),
                              static_cast<int32_t>(key.data.size()));
  if (n > static_cast<int32_t>(key.data.size())) {
    key.data.resize(static_cast<size_t>(n));
    n = ucol_getSortKey(impl_->collator, src, static_cast<int32_t>(wide.size()),
                        reinterpret_cast<uint8_t*>(key.data.data()), n);
  }
  key.data.resize(n > 0 ? static_cast<size_t>(n) - 1 : 0);  // drop the terminating zero
  return key;
}

int Collator::Compare(const CollationKey& a, const CollationKey& b) const {
  int c = a.data.compare(b.data);
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

int Collator::Compare(std::string_view a, std::string_view b) const {
  return Compare(MakeKey(a), MakeKey(b));
}

}  // namespace lantervo::platform
