#pragma once
// Builds .mo catalogs in memory and fake program folders for the catalog tests.
#include <string>
#include <utility>
#include <vector>

#include "i18n/file_locator.h"
#include "tests/support/temp_dir.h"

namespace lantervo::test {

using MoEntries = std::vector<std::pair<std::string, std::string>>;

inline constexpr char kUtf8Header[] = "Content-Type: text/plain; charset=UTF-8\n";

// A .mo file with the entries sorted by id, plus a header entry when `header` is not empty.
std::string BuildMo(MoEntries entries, const std::string& header = kUtf8Header,
                    bool bigEndian = false);

// The compiled catalog of the build ("cs" or "en").
std::string BuiltCatalogPath(const std::string& code);
std::string ReadBuiltCatalog(const std::string& code);

// A program folder in a temp dir: "prog.exe" with catalogs appended by the packaging step, and
// catalogs on disk under locale\<code>\LC_MESSAGES\.
class FakeProgram {
 public:
  FakeProgram();
  const std::string& ExePath() const { return exePath_; }
  std::string Folder() const { return dir_.Path(); }
  // Writes <folder>/locale/<code>/LC_MESSAGES/<domain>.mo.
  std::string PutOnDisk(const std::string& code, const std::string& bytes,
                        const std::string& domain = "default");
  // Writes the program file with these catalogs embedded (relative name -> bytes).
  void Embed(const MoEntries& files);
  // A locator over the program as it stands.
  std::shared_ptr<TFileLocator> Locator() const;

 private:
  TempDir dir_;
  std::string exePath_;
  std::uint64_t tableOffset_ = 0;
};

}  // namespace lantervo::test
