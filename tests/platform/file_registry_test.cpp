// The .reg file store behind the Linux registry: what a person sees and edits, atomic saves,
// unparseable files and folders without write access.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/file.h"
#include "platform/reg_file.h"
#include "platform/registry.h"
#include "tests/support/temp_dir.h"
#include "tests/support/unprivileged.h"

namespace lantervo::platform {
namespace {

const char kKey[] = "Software\\QUORVIK Media\\Lantervo";

const char kStore[] =
    "Windows Registry Editor Version 5.00\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\QUORVIK Media\\Lantervo]\r\n"
    "\"Version\"=\"0.9.19\"\r\n"
    "\"CheckUpdate\"=dword:00000001\r\n"
    "\"LogFile\"=hex(2):25,00,54,00,4d,00,50,00,25,00,00,00\r\n"
    "\"Blob\"=hex:01\r\n"
    "\r\n";

struct FileRegistryTest : ::testing::Test {
  test::TempDir dir;
  std::string path = dir.File("registry.reg");
  std::unique_ptr<Registry> registry = OpenFileRegistry(path);
};

TEST_F(FileRegistryTest, ReadsAHandMadeStore) {
  dir.Write("registry.reg", kStore);
  auto key = registry->Open(kKey, RegistryAccess::Read);
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->Query("version").value.text, "0.9.19");
  EXPECT_EQ(key->Query("CheckUpdate").value.dword, 1u);
  EXPECT_EQ(key->Query("LogFile").value.type, RegistryType::ExpandString);
  EXPECT_EQ(key->Query("LogFile").value.text, "%TMP%");
  EXPECT_EQ(key->Query("Blob").value.type, RegistryType::Other);
  EXPECT_EQ(dir.Read("registry.reg"), kStore);  // reading an existing key writes nothing
}

TEST_F(FileRegistryTest, ChangesAreSavedWholeAndEditsBetweenOpensAreSeen) {
  dir.Write("registry.reg", kStore);
  {
    auto key = registry->Open(kKey, RegistryAccess::Write);
    ASSERT_NE(key, nullptr);
    ASSERT_TRUE(key->SetString("Language", "cs"));
    ASSERT_TRUE(key->DeleteValue("Blob"));
  }
  EXPECT_EQ(dir.Read("registry.reg"),
            "Windows Registry Editor Version 5.00\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\Software\\QUORVIK Media\\Lantervo]\r\n"
            "\"Version\"=\"0.9.19\"\r\n"
            "\"CheckUpdate\"=dword:00000001\r\n"
            "\"LogFile\"=hex(2):25,00,54,00,4d,00,50,00,25,00,00,00\r\n"
            "\"Language\"=\"cs\"\r\n"
            "\r\n");
  EXPECT_EQ(dir.List(), std::vector<std::string>{"registry.reg"});  // no temporary left behind

  dir.Write("registry.reg", "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\" +
                                std::string(kKey) + "]\n\"Language\"=\"en\"\n");
  EXPECT_EQ(registry->Open(kKey, RegistryAccess::Read)->Query("Language").value.text, "en");
}

TEST_F(FileRegistryTest, FirstOpenCreatesTheFolderChainAndTheKey) {
  auto nested = OpenFileRegistry(dir.File("a") + "/b/registry.reg");
  ASSERT_NE(nested->Open(kKey, RegistryAccess::Read), nullptr);
  EXPECT_EQ(dir.Read("a/b/registry.reg"),
            "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\QUORVIK "
            "Media\\Lantervo]\r\n\r\n");
}

TEST_F(FileRegistryTest, AnUnparseableFileReadsEmptyAndIsKeptBeforeItIsReplaced) {
  const std::string broken =
      "Windows Registry Editor Version 5.00\r\n[HKEY_LOCAL_MACHINE\\x]\r\n\"CheckUpdate\"=yes\r\n";
  dir.Write("registry.reg", broken);
  {
    auto key = registry->Open(kKey, RegistryAccess::Write);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(dir.Read("registry.reg.bad"), broken);
    ASSERT_TRUE(key->SetDWord("CheckUpdate", 1));
  }
  EXPECT_TRUE(ParseRegFile(dir.Read("registry.reg")));
  EXPECT_EQ(dir.Read("registry.reg.bad"), broken);

  // A later, different broken file does not overwrite the first one kept; the same one is kept
  // once.
  dir.Write("registry.reg", "junk");
  EXPECT_EQ(registry->Open(kKey, RegistryAccess::Read)->Query("CheckUpdate").status,
            QueryStatus::Missing);
  EXPECT_EQ(dir.Read("registry.reg.bad"), broken);
  EXPECT_EQ(dir.Read("registry.reg.bad.2"), "junk");
  dir.Write("registry.reg", "junk");
  ASSERT_NE(registry->Open(kKey, RegistryAccess::Write), nullptr);
  EXPECT_EQ(dir.List(),
            (std::vector<std::string>{"registry.reg", "registry.reg.bad", "registry.reg.bad.2"}));
}

TEST_F(FileRegistryTest, AFailedSaveLeavesNoTraceOfTheChange) {
  auto key = registry->Open(kKey, RegistryAccess::Write);
  ASSERT_NE(key, nullptr);
  // A folder where the store should be makes the rename fail.
  ASSERT_TRUE(RemoveFile(path));
  std::filesystem::create_directory(path);
  EXPECT_FALSE(key->SetString("Lost", "x"));
  std::filesystem::remove(path);
  ASSERT_TRUE(key->SetString("Kept", "y"));
  const std::string text = dir.Read("registry.reg");
  EXPECT_EQ(text.find("Lost"), std::string::npos) << text;
  EXPECT_NE(text.find("\"Kept\"=\"y\""), std::string::npos) << text;
}

TEST_F(FileRegistryTest, PathsTheFileCannotHoldDoNotOpen) {
  EXPECT_EQ(registry->Open("", RegistryAccess::Read), nullptr);
  EXPECT_EQ(registry->Open("\\\\", RegistryAccess::Read), nullptr);
  EXPECT_EQ(registry->Open("A\r\nB", RegistryAccess::Write), nullptr);
  auto key = registry->Open("\\Software\\X\\", RegistryAccess::Write);  // outer backslashes dropped
  ASSERT_NE(key, nullptr);
  EXPECT_FALSE(key->SetString("bad\nname", "x"));
  EXPECT_NE(dir.Read("registry.reg").find("[HKEY_LOCAL_MACHINE\\Software\\X]\r\n"),
            std::string::npos);
}

#ifndef _WIN32
TEST_F(FileRegistryTest, AReadOnlyFolderRefusesWritesButStillReads) {
  std::filesystem::create_directory(dir.File("ro"));
  const std::string store = dir.File("ro") + "/registry.reg";
  const std::string brokenFolder = dir.File("ro2");
  std::filesystem::create_directory(brokenFolder);
  {
    std::ofstream(store, std::ios::binary) << kStore;
    std::ofstream(brokenFolder + "/registry.reg", std::ios::binary) << "junk";
  }
  for (const std::string& folder : {dir.File("ro"), brokenFolder})
    std::filesystem::permissions(
        folder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec |
                    std::filesystem::perms::group_read | std::filesystem::perms::group_exec |
                    std::filesystem::perms::others_read | std::filesystem::perms::others_exec);
  const std::string failure = test::RunUnprivileged([&]() -> std::string {
    auto reg = OpenFileRegistry(store);
    if (reg->Open(kKey, RegistryAccess::Write)) return "open for writing succeeded";
    auto reader = reg->Open(kKey, RegistryAccess::Read);
    if (!reader) return "open for reading failed";
    if (reader->Query("Version").value.text != "0.9.19") return "value not read";
    if (reg->Open("Software\\Missing", RegistryAccess::Read)) return "missing key created";
    auto broken = OpenFileRegistry(brokenFolder + "/registry.reg");
    if (broken->Open(kKey, RegistryAccess::Read)) return "key created in an unwritable store";
    return {};
  });
  for (const std::string& folder : {dir.File("ro"), brokenFolder})
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
  EXPECT_EQ(failure, "");
  std::string text;
  ASSERT_TRUE(ReadWholeFile(store, text).ok);
  EXPECT_EQ(text, kStore);
  ASSERT_TRUE(ReadWholeFile(brokenFolder + "/registry.reg", text).ok);
  EXPECT_EQ(text, "junk");
  EXPECT_FALSE(FileExists(brokenFolder + "/registry.reg.bad"));
}
#endif

}  // namespace
}  // namespace lantervo::platform
