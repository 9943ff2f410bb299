// The release zip as a user gets it: one folder with the program, README.txt and LICENSE.txt.
// The zip's own directory is read here; the build unpacks it beside this test for the contents.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "platform/file.h"
#include "platform/utf.h"

namespace lantervo {
namespace {

const std::string kFolder = LANTERVO_RELEASE_FOLDER;

std::string Read(const std::string& path) {
  std::string bytes;
  EXPECT_TRUE(platform::ReadWholeFile(path, bytes).ok) << path;
  return bytes;
}

std::uint32_t Le(const std::string& bytes, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i)
    value = (value << 8) | static_cast<unsigned char>(bytes.at(at + i));
  return value;
}

struct ZipEntry {
  std::string name;
  std::uint32_t size = 0;
};

// The entries listed in the zip's central directory, found through its end record.
std::vector<ZipEntry> ZipDirectory(const std::string& zip) {
  std::vector<ZipEntry> entries;
  const std::size_t end = zip.rfind(std::string("PK\x05\x06", 4));
  if (end == std::string::npos || end + 22 > zip.size()) return entries;
  const std::uint32_t count = Le(zip, end + 10, 2);
  std::size_t at = Le(zip, end + 16, 4);
  for (std::uint32_t i = 0; i < count; ++i) {
    if (at + 46 > zip.size() || zip.compare(at, 4, "PK\x01\x02", 4) != 0) break;
    const std::uint32_t nameLength = Le(zip, at + 28, 2);
    entries.push_back({zip.substr(at + 46, nameLength), Le(zip, at + 24, 4)});
    at += 46 + nameLength + Le(zip, at + 30, 2) + Le(zip, at + 32, 2);
  }
  return entries;
}

std::set<std::string> FolderEntries(const std::string& folder) {
  std::set<std::string> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(platform::Widen(folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = platform::Narrow(found.cFileName);
    if (name != "." && name != "..") names.insert(name);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

// Every line ends with CR LF: no LF without its CR, no CR alone.
bool HasWindowsLineEnds(const std::string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) return false;
    if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) return false;
  }
  return text.find("\r\n") != std::string::npos;
}

TEST(ReleaseZip, HoldsOneFolderWithTheProgramItsReadmeAndTheLicence) {
  const std::vector<ZipEntry> entries = ZipDirectory(Read(LANTERVO_RELEASE_ZIP));
  ASSERT_FALSE(entries.empty()) << "no central directory in " << LANTERVO_RELEASE_ZIP;
  std::set<std::string> files;
  for (const ZipEntry& entry : entries) {
    ASSERT_EQ(entry.name.rfind(kFolder + "/", 0), 0u) << entry.name << " lies outside the folder";
    const std::string inner = entry.name.substr(kFolder.size() + 1);
    if (inner.empty()) continue;  // the folder's own entry
    files.insert(inner);
    if (inner == "Lantervo.exe") {
      EXPECT_EQ(entry.size, Read(LANTERVO_PROGRAM_EXE).size());
    }
  }
  EXPECT_EQ(files, (std::set<std::string>{"LICENSE.txt", "Lantervo.exe", "README.txt"}));

  const std::string unpacked = LANTERVO_RELEASE_UNPACKED;
  EXPECT_EQ(FolderEntries(unpacked), std::set<std::string>{kFolder});
  EXPECT_EQ(FolderEntries(unpacked + "\\" + kFolder), files);
  // The program as built, with its catalogs appended.
  EXPECT_TRUE(Read(unpacked + "\\" + kFolder + "\\Lantervo.exe") == Read(LANTERVO_PROGRAM_EXE));
}

TEST(ReleaseZip, ReadmeIsUtf8WithByteOrderMarkAndWindowsLineEnds) {
  const std::string readme =
      Read(std::string(LANTERVO_RELEASE_UNPACKED) + "\\" + kFolder + "\\README.txt");
  ASSERT_EQ(readme.rfind("\xEF\xBB\xBF", 0), 0u) << "no byte order mark";
  EXPECT_TRUE(HasWindowsLineEnds(readme));
  EXPECT_GT(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, readme.data(),
                                static_cast<int>(readme.size()), nullptr, 0),
            0)
      << "not valid UTF-8";
  EXPECT_NE(readme.find("Lantervo " LANTERVO_VERSION "\r\n"), std::string::npos);
  // English first, then Czech; each half says where the list and the settings live.
  const std::size_t czech = readme.find("Spuštění");
  ASSERT_NE(czech, std::string::npos);
  const std::size_t english = readme.find("Starting");
  ASSERT_LT(english, czech);
  for (const std::string& half : {readme.substr(english, czech - english), readme.substr(czech)}) {
    for (const char* place :
         {"%LOCALAPPDATA%\\Lantervo", "HKEY_LOCAL_MACHINE\\Software\\QUORVIK Media\\Lantervo",
          "HKEY_CURRENT_USER\\Software\\QUORVIK Media\\Lantervo", "LTV.log",
          // how to remove the autostart value the settings may have written
          "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run",
          "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"})
      EXPECT_NE(half.find(place), std::string::npos) << place;
  }
}

TEST(ReleaseZip, LicenceIsTheProjectsWithWindowsLineEnds) {
  std::string expected;
  for (char c : Read(LANTERVO_LICENSE_FILE)) {
    if (c == '\n') expected += '\r';
    expected += c;
  }
  const std::string licence =
      Read(std::string(LANTERVO_RELEASE_UNPACKED) + "\\" + kFolder + "\\LICENSE.txt");
  EXPECT_TRUE(HasWindowsLineEnds(licence));
  EXPECT_EQ(licence, expected);
}

}  // namespace
}  // namespace lantervo
