#include "i18n/gettext.h"

#include <atomic>

#include "platform/error.h"
#include "platform/file.h"
#include "platform/folder.h"
#include "platform/paths.h"

namespace lantervo {

namespace {

char AsciiUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = AsciiLower(c);
  return out;
}

// Upper case with both separators as '\', for comparing paths; keeps the length.
std::string PathKey(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = c == '/' ? '\\' : AsciiUpper(c);
  return out;
}

bool SameNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  return true;
}

// Line breaks come back as CR LF, also in texts that were not translated.
void AppendWithCrLf(std::string& out, std::string_view text) {
  std::size_t lf = text.find('\n');
  if (lf == std::string_view::npos) {
    out.append(text);
    return;
  }
  out.reserve(text.size() + 8);
  std::size_t from = 0;
  while (lf != std::string_view::npos) {
    out.append(text.substr(from, lf - from));
    if (lf == 0 || text[lf - 1] != '\r') out.push_back('\r');
    out.push_back('\n');
    from = lf + 1;
    lf = text.find('\n', from);
  }
  out.append(text.substr(from));
}

std::string WithTrailingSeparator(std::string directory) {
  if (directory.empty() || (directory.back() != '/' && directory.back() != '\\'))
    directory += platform::PathSeparator();
  return directory;
}

}  // namespace

TGnuGettextInstance::TGnuGettextInstance(std::shared_ptr<TFileLocator> locator,
                                         TLocaleSource locale)
    : locator_(std::move(locator)),
      locale_(std::move(locale)),
      creator_(std::this_thread::get_id()),
      domainDirectory_(locator_->BaseDirectory() + "locale") {
  SwitchLanguage({});
  BindTextDomain(kDefaultDomain, domainDirectory_);
  TextDomain(kDefaultDomain);
  ignoreRules_.AddBuiltInRules();
}

std::string TGnuGettextInstance::TranslateText(std::string_view id) {
  return Translate({}, id).text;
}

std::string TGnuGettextInstance::DomainTranslateText(std::string_view domain, std::string_view id) {
  return Translate(domain, id).text;
}

std::string TGnuGettextInstance::TranslatePlural(std::string_view singular, std::string_view plural,
                                                 std::int64_t count) {
  std::string key;
  key.reserve(singular.size() + plural.size() + 1);
  key.append(singular).push_back('\0');
  key.append(plural);
  const Result r = Translate({}, key);
  const std::uint64_t n = PluralMagnitude(count);
  // An untranslated pair is English, whatever the language.
  const int index = r.translated ? r.rule(n) : EnglishPlural(n);
  const std::string_view forms = r.text;
  std::size_t start = 0;
  for (int i = 0;; ++i) {
    const std::size_t end = forms.find('\0', start);
    if (i == index || end == std::string_view::npos)
      return std::string(forms.substr(start, end == std::string_view::npos ? end : end - start));
    start = end + 1;
  }
}

std::string TGnuGettextInstance::TranslateRuntimeText(std::string_view text) {
  return IsCreatorThread() ? TranslateText(text) : std::string(text);
}

TGnuGettextInstance::Result TGnuGettextInstance::Translate(std::string_view domain,
                                                           std::string_view rawId) {
  std::string cleaned;
  std::string_view id = rawId;
  if (rawId.find('\r') != std::string_view::npos) {
    for (char c : rawId)
      if (c != '\r') cleaned.push_back(c);
    id = cleaned;
  }
  Result result;
  {
    std::shared_lock lock(lock_);
    const TDomain* d = domain.empty() ? current_ : FindDomain(domain);
    if (d && (!d->enabled || d->catalog || d->failedBefore)) {
      Render(*d, id, result);
      return result;
    }
  }
  // The catalog has to be opened first (or the domain created): that takes the lock for writing.
  std::vector<TLocalizationNotice> notices;
  {
    std::unique_lock lock(lock_);
    TDomain& d = domain.empty() ? *current_ : DomainForWrite(domain);
    if (d.enabled && !d.catalog && !d.failedBefore) OpenCatalog(d, notices);
    Render(d, id, result);
  }
  Deliver(std::move(notices));
  return result;
}

void TGnuGettextInstance::Render(const TDomain& domain, std::string_view id, Result& result) const {
  std::string_view text = id;
  if (domain.enabled && domain.catalog) {
    std::string_view found;
    if (domain.catalog->Find(id, found)) {
      text = found;
      result.translated = found != id;
    }
  }
  result.rule = plural_;
  AppendWithCrLf(result.text, text);
}

void TGnuGettextInstance::OpenCatalog(TDomain& domain, std::vector<TLocalizationNotice>& notices) {
  const std::string sep = platform::PathSeparator();
  auto pathFor = [&](std::string_view code) {
    return domain.directory + std::string(code) + sep + "LC_MESSAGES" + sep + domain.name + ".mo";
  };
  std::string path = pathFor(domain.language);
  if (!locator_->Exists(path)) {
    // A code with a country part falls back to its language ("cs_CZ" -> "cs").
    std::string shortPath = pathFor(std::string_view(domain.language).substr(0, 2));
    if (!locator_->Exists(shortPath)) {
      domain.failedBefore = true;
      return;
    }
    path = std::move(shortPath);
  }
  std::shared_ptr<const TMoFile> catalog;
  try {
    catalog = locator_->Open(path);
  } catch (const Error& e) {
    // A broken catalog counts as a missing one, so that it cannot fail every window and every
    // check run; the user hears about it once.
    domain.failedBefore = true;
    if (reportedFailures_.insert(path).second)
      notices.push_back({TLocalizationNotice::Kind::UnreadableCatalog, {}, e.what()});
    return;
  }
  std::string contentType = catalog->ContentType();
  for (char& c : contentType) c = AsciiUpper(c);
  if (contentType.find("CHARSET=UTF-8") == std::string::npos) {
    domain.enabled = false;
    notices.push_back({TLocalizationNotice::Kind::Charset, std::string(kLocalizationProblemCaption),
                       "The translation for the language code " + domain.language + " (in " + path +
                           ") does not have charset=utf-8 in its Content-Type. Translations are "
                           "turned off."});
    return;
  }
  domain.catalog = std::move(catalog);
}

void TGnuGettextInstance::SwitchLanguage(std::string_view code) {
  const std::string language = code.empty() ? EnvironmentLanguage(locale_) : std::string(code);
  std::unique_lock lock(lock_);
  language_ = language;
  // Readers hold the lock while they read a catalog, so releasing it here is safe.
  for (auto& [name, domain] : domains_) {
    domain->catalog.reset();
    domain->failedBefore = false;
    domain->language = language;
  }
  plural_ = PluralRuleFor(language);
}

std::string TGnuGettextInstance::Language() const {
  std::shared_lock lock(lock_);
  return language_;
}

int TGnuGettextInstance::PluralIndex(std::int64_t count) const {
  std::shared_lock lock(lock_);
  return plural_(PluralMagnitude(count));
}

void TGnuGettextInstance::ListLanguages(std::string_view domain,
                                        std::vector<std::string>& list) const {
  list.clear();
  std::string directory;
  {
    std::shared_lock lock(lock_);
    const TDomain* d = FindDomain(domain);
    directory = d ? d->directory : WithTrailingSeparator(domainDirectory_);
  }
  auto add = [&](const std::string& code) {
    for (const std::string& known : list)
      if (SameNoCase(known, code)) return;
    list.push_back(code);
  };
  const std::string sep = platform::PathSeparator();
  const std::string fileName = std::string(domain) + ".mo";
  // The domain folder, and its place in the data folder where extra catalogs may live.
  std::vector<std::string> folders = {directory};
  const std::string& base = locator_->BaseDirectory();
  if (!locator_->DataDirectory().empty() && directory.size() >= base.size() &&
      SameCatalogPath(std::string_view(directory).substr(0, base.size()), base))
    folders.push_back(locator_->DataDirectory() + directory.substr(base.size()));
  for (const std::string& folder : folders)
    for (const std::string& name : platform::SubfolderNames(folder))
      if (platform::FileExists(folder + name + sep + "LC_MESSAGES" + sep + fileName))
        add(Lower(name));
  const std::string directoryKey = PathKey(directory);
  const std::string suffixKey = PathKey("\\LC_MESSAGES\\" + fileName);
  for (const TEmbeddedFile& file : locator_->EmbeddedFiles()) {
    const std::string full = locator_->BaseDirectory() + file.path;
    const std::string key = PathKey(full);
    if (key.size() < directoryKey.size() + suffixKey.size() ||
        key.compare(0, directoryKey.size(), directoryKey) != 0 ||
        key.compare(key.size() - suffixKey.size(), suffixKey.size(), suffixKey) != 0)
      continue;
    std::string code = Lower(std::string_view(full).substr(
        directoryKey.size(), key.size() - directoryKey.size() - suffixKey.size()));
    // Only a folder right below the domain directory names a language.
    if (code.empty() || code.find_first_of("/\\") != std::string::npos) continue;
    // "pt_br" is listed as "pt_BR".
    for (std::size_t i = 3; i < code.size(); ++i) code[i] = AsciiUpper(code[i]);
    add(code);
  }
}

void TGnuGettextInstance::BindTextDomain(std::string_view domain, std::string directory) {
  std::unique_lock lock(lock_);
  TDomain& d = DomainForWrite(domain);
  d.directory = WithTrailingSeparator(std::move(directory));
  d.catalog.reset();
  d.failedBefore = false;
}

void TGnuGettextInstance::TextDomain(std::string_view domain) {
  std::unique_lock lock(lock_);
  current_ = &DomainForWrite(domain);
}

std::string TGnuGettextInstance::CurrentDomain() const {
  std::shared_lock lock(lock_);
  return current_ ? current_->name : std::string();
}

TDomain TGnuGettextInstance::Domain(std::string_view name) const {
  std::shared_lock lock(lock_);
  if (const TDomain* d = FindDomain(name)) return *d;
  TDomain fresh;
  fresh.name = std::string(name);
  fresh.directory = WithTrailingSeparator(domainDirectory_);
  fresh.language = language_;
  return fresh;
}

TDomain* TGnuGettextInstance::FindDomain(std::string_view name) const {
  auto it = domains_.find(name);
  return it == domains_.end() ? nullptr : it->second.get();
}

TDomain& TGnuGettextInstance::DomainForWrite(std::string_view name) {
  if (TDomain* d = FindDomain(name)) return *d;
  auto domain = std::make_unique<TDomain>();
  domain->name = std::string(name);
  domain->directory = WithTrailingSeparator(domainDirectory_);
  domain->language = language_;
  TDomain& ref = *domain;
  domains_.emplace(std::string(name), std::move(domain));
  return ref;
}

void TGnuGettextInstance::SetNoticeHandler(TNoticeHandler handler) {
  std::vector<TLocalizationNotice> pending;
  {
    std::lock_guard lock(noticeLock_);
    noticeHandler_ = handler;
    if (handler) pending.swap(pendingNotices_);
  }
  for (const TLocalizationNotice& notice : pending) handler(notice);
}

void TGnuGettextInstance::Deliver(std::vector<TLocalizationNotice> notices) {
  if (notices.empty()) return;
  TNoticeHandler handler;
  {
    std::lock_guard lock(noticeLock_);
    if (!noticeHandler_) {
      pendingNotices_.insert(pendingNotices_.end(), notices.begin(), notices.end());
      return;
    }
    handler = noticeHandler_;
  }
  // Called without any lock held, so that the handler may look texts up itself.
  for (const TLocalizationNotice& notice : notices) handler(notice);
}

namespace {

std::atomic<TGnuGettextInstance*> gInstalled{nullptr};
std::mutex gInstallLock;
std::shared_ptr<TGnuGettextInstance> gInstalledOwner;

TGnuGettextInstance& ProgramInstance() {
  static TGnuGettextInstance instance(TFileLocator::ForThisProgram());
  return instance;
}

}  // namespace

TGnuGettextInstance& TextInstance() {
  if (TGnuGettextInstance* installed = gInstalled.load(std::memory_order_acquire))
    return *installed;
  return ProgramInstance();
}

std::shared_ptr<TGnuGettextInstance> InstallTextInstance(
    std::shared_ptr<TGnuGettextInstance> instance) {
  std::lock_guard lock(gInstallLock);
  gInstalled.store(instance.get(), std::memory_order_release);
  std::swap(gInstalledOwner, instance);
  return instance;
}

std::string TranslateText(std::string_view id) {
  return TextInstance().TranslateText(id);
}

std::string TranslatePlural(std::string_view singular, std::string_view plural,
                            std::int64_t count) {
  return TextInstance().TranslatePlural(singular, plural, count);
}

void SwitchLanguage(std::string_view code) {
  TextInstance().SwitchLanguage(code);
}

void ListLanguages(std::string_view domain, std::vector<std::string>& list) {
  TextInstance().ListLanguages(domain, list);
}

}  // namespace lantervo
