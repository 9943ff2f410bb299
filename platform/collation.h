#pragma once
// Locale collation of the user's locale, case distinguished (Windows CompareStringW with the
// user's default locale and no flags; elsewhere an ICU collator at tertiary strength).
#include <memory>
#include <string>
#include <string_view>

namespace lantervo::platform {

// Per-string data prepared once, so that sorting compares cheaply.
struct CollationKey {
  std::string data;
};

class Collator {
 public:
  // The user's default locale.
  static const Collator& User();
  // A named locale such as "cs_CZ" or "en_US"; used by tests.
  static Collator ForLocale(std::string_view locale);

  CollationKey MakeKey(std::string_view utf8) const;
  // <0, 0 or >0.
  int Compare(const CollationKey& a, const CollationKey& b) const;
  int Compare(std::string_view utf8A, std::string_view utf8B) const;

  struct Impl;
  explicit Collator(std::shared_ptr<const Impl> impl) : impl_(std::move(impl)) {}

 private:
  std::shared_ptr<const Impl> impl_;
};

}  // namespace lantervo::platform
