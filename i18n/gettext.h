#pragma once
// Text lookup in GNU gettext catalogs: the translation instance and the process-wide functions
// every layer uses (TranslateText, TranslatePlural, SwitchLanguage, ListLanguages).
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "i18n/file_locator.h"
#include "i18n/ignore_rules.h"
#include "i18n/language_code.h"
#include "i18n/mo_file.h"
#include "i18n/plural_rules.h"

namespace lantervo {

inline constexpr std::string_view kDefaultDomain = "default";
inline constexpr std::string_view kLocalizationProblemCaption = "Localization problem";

// Something the user should be told about a catalog; the application shows it in a message box.
struct TLocalizationNotice {
  enum class Kind {
    Charset,            // the catalog lacks charset=utf-8; translations are off for the domain
    UnreadableCatalog,  // the catalog could not be opened, mapped or recognised; texts stay English
  };
  Kind kind = Kind::Charset;
  std::string caption;  // kLocalizationProblemCaption for Charset, empty otherwise
  std::string text;
};
using TNoticeHandler = std::function<void(const TLocalizationNotice&)>;

// One text domain.
struct TDomain {
  std::string name;
  std::string directory;  // with trailing separator
  std::string language;
  std::shared_ptr<const TMoFile> catalog;
  bool failedBefore = false;  // no catalog for this language; not searched again until a switch
  bool enabled = true;        // cleared for good by a catalog that fails the charset rule
};

// Lookups may come from any thread; SwitchLanguage, BindTextDomain, TextDomain, ListLanguages
// and the ignore rules belong to the user-interface thread (the creator).
class TGnuGettextInstance {
 public:
  // Starts as the layer does: English plural rule, domain "default" bound to the folder
  // "locale" beside the executable, the environment's language, the built-in ignore rules.
  explicit TGnuGettextInstance(std::shared_ptr<TFileLocator> locator,
                               TLocaleSource locale = TLocaleSource::System());
  TGnuGettextInstance(const TGnuGettextInstance&) = delete;
  TGnuGettextInstance& operator=(const TGnuGettextInstance&) = delete;

  std::string TranslateText(std::string_view id);
  std::string DomainTranslateText(std::string_view domain, std::string_view id);
  std::string TranslatePlural(std::string_view singular, std::string_view plural,
                              std::int64_t count);
  // Runtime-library texts are translated on the creator thread only.
  std::string TranslateRuntimeText(std::string_view text);

  // An empty code means the environment's language. Closes every domain's catalog.
  void SwitchLanguage(std::string_view code);
  std::string Language() const;
  int PluralIndex(std::int64_t count) const;
  // The language codes for which the domain has a catalog, on disk or embedded.
  void ListLanguages(std::string_view domain, std::vector<std::string>& list) const;

  void BindTextDomain(std::string_view domain, std::string directory);
  void TextDomain(std::string_view domain);
  std::string CurrentDomain() const;
  std::string DomainDirectory() const { return domainDirectory_; }
  // A copy of a domain's state (tests, diagnostics); a domain never used gives its defaults.
  TDomain Domain(std::string_view name) const;

  // Notices raised before a handler is set wait and are handed to the first handler.
  void SetNoticeHandler(TNoticeHandler handler);

  TIgnoreRules& IgnoreRules() { return ignoreRules_; }
  bool IsCreatorThread() const { return std::this_thread::get_id() == creator_; }
  TFileLocator& Locator() { return *locator_; }

 private:
  struct Result {
    std::string text;
    bool translated = false;  // found, and different from the id
    TPluralRule rule = EnglishPlural;
  };
  Result Translate(std::string_view domain, std::string_view id);
  TDomain* FindDomain(std::string_view name) const;
  TDomain& DomainForWrite(std::string_view name);
  void OpenCatalog(TDomain& domain, std::vector<TLocalizationNotice>& notices);
  void Render(const TDomain& domain, std::string_view id, Result& result) const;
  void Deliver(std::vector<TLocalizationNotice> notices);

  const std::shared_ptr<TFileLocator> locator_;
  const TLocaleSource locale_;
  const std::thread::id creator_;
  const std::string domainDirectory_;  // "locale" beside the executable, no trailing separator

  // Guards everything below up to the notice members: many lookups or one writer.
  mutable std::shared_mutex lock_;
  std::string language_;
  TPluralRule plural_ = EnglishPlural;
  std::map<std::string, std::unique_ptr<TDomain>, std::less<>> domains_;
  TDomain* current_ = nullptr;
  std::set<std::string> reportedFailures_;

  std::mutex noticeLock_;
  TNoticeHandler noticeHandler_;
  std::vector<TLocalizationNotice> pendingNotices_;

  TIgnoreRules ignoreRules_;
};

// The process's instance: the installed one, else the one built for this program on first use.
TGnuGettextInstance& TextInstance();
// Makes `instance` the process's instance (nullptr: back to the program's own); returns the one
// installed before. Only while no other thread looks texts up.
std::shared_ptr<TGnuGettextInstance> InstallTextInstance(
    std::shared_ptr<TGnuGettextInstance> instance);

std::string TranslateText(std::string_view id);
std::string TranslatePlural(std::string_view singular, std::string_view plural, std::int64_t count);
void SwitchLanguage(std::string_view code);
void ListLanguages(std::string_view domain, std::vector<std::string>& list);

}  // namespace lantervo
