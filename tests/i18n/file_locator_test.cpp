// The table of catalogs embedded in a program, the packaging step that writes it, and the
// cache of open catalogs.
#include "i18n/file_locator.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/paths.h"
#include "tests/i18n/mo_builder.h"
#include "tools/catalog_packer.h"

namespace lantervo {
namespace {

using test::BuildMo;

std::string Image(std::size_t before = 100) {
  std::string image(before, 'a');
  image += EmbeddedTableMarker();
  image.append(8, '\0');
  image.append(50, 'b');
  return image;
}

std::vector<TEmbeddedFile> Parse(const std::string& image) {
  const std::uint64_t table =
      tools::ReadLe64(image, tools::FindTableSlot(image, EmbeddedTableMarker()));
  return ParseEmbeddedTable(reinterpret_cast<const unsigned char*>(image.data()), image.size(),
                            table);
}

TEST(CatalogPackerTest, WritesTheTableTheProgramReads) {
  std::string image = Image();
  const std::size_t linked = image.size();
  tools::PackCatalogs(image, EmbeddedTableMarker(),
                      {{"locale/cs/LC_MESSAGES/default.mo", "CZECH"},
                       {"locale/en/LC_MESSAGES/default.mo", "ENGLISH!"}});
  // Catalogs first, then two entries of 256 bytes and the 8 zero bytes that end the table.
  ASSERT_EQ(image.size(), linked + 5 + 8 + 2 * 256 + 8);
  const std::uint64_t table =
      tools::ReadLe64(image, tools::FindTableSlot(image, EmbeddedTableMarker()));
  EXPECT_EQ(table, linked + 13);
  EXPECT_EQ(tools::ReadLe64(image, table), table + 256);
  EXPECT_EQ(image.substr(table + 24, 232),
            std::string("locale\\cs\\LC_MESSAGES\\default.mo") + std::string(232 - 32, ' '));
  EXPECT_EQ(tools::ReadLe64(image, table + 512), 0u);

  auto files = Parse(image);
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[0].path, "locale\\cs\\LC_MESSAGES\\default.mo");
  EXPECT_EQ(image.substr(files[0].offset, files[0].size), "CZECH");
  EXPECT_EQ(files[1].path, "locale\\en\\LC_MESSAGES\\default.mo");
  EXPECT_EQ(image.substr(files[1].offset, files[1].size), "ENGLISH!");
}

TEST(CatalogPackerTest, PackagingAgainReplacesTheEarlierCatalogs) {
  std::string once = Image();
  tools::PackCatalogs(once, EmbeddedTableMarker(), {{"a", "first"}});
  std::string twice = once;
  tools::PackCatalogs(twice, EmbeddedTableMarker(), {{"a", "first"}});
  EXPECT_EQ(twice, once);
  tools::PackCatalogs(twice, EmbeddedTableMarker(), {{"b", "second one"}});
  auto files = Parse(twice);
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0].path, "b");
  EXPECT_EQ(twice.substr(files[0].offset, files[0].size), "second one");
  EXPECT_EQ(twice.size(), Image().size() + 10 + 256 + 8);
}

TEST(CatalogPackerTest, RefusesProgramsWithoutOneMarkerAndOverlongNames) {
  std::string none(300, 'z');
  EXPECT_THROW(tools::PackCatalogs(none, EmbeddedTableMarker(), {{"a", "b"}}), std::runtime_error);
  std::string doubled = Image() + Image();
  EXPECT_THROW(tools::PackCatalogs(doubled, EmbeddedTableMarker(), {{"a", "b"}}),
               std::runtime_error);
  std::string image = Image();
  EXPECT_THROW(tools::PackCatalogs(image, EmbeddedTableMarker(), {{std::string(233, 'n'), "b"}}),
               std::runtime_error);
  EXPECT_NO_THROW(
      tools::PackCatalogs(image, EmbeddedTableMarker(), {{std::string(232, 'n'), "b"}}));
}

TEST(EmbeddedTableTest, DamagedTablesKeepTheEntriesReadSoFar) {
  std::string image = Image();
  tools::PackCatalogs(image, EmbeddedTableMarker(),
                      {{"one", "1"}, {"two", "22"}, {"three", "333"}});
  const std::uint64_t table =
      tools::ReadLe64(image, tools::FindTableSlot(image, EmbeddedTableMarker()));
  auto parse = [&](const std::string& bytes, std::uint64_t at) {
    return ParseEmbeddedTable(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                              at);
  };
  EXPECT_EQ(parse(image, table).size(), 3u);
  EXPECT_EQ(parse(image, 0).size(), 0u);
  EXPECT_EQ(parse(image, image.size() - 4).size(), 0u);
  EXPECT_EQ(parse(image, image.size() + 100).size(), 0u);

  std::string cut = image.substr(0, table + 256 + 100);  // second entry's name cut off
  EXPECT_EQ(parse(cut, table).size(), 1u);

  std::string loop = image;
  for (int i = 0; i < 8; ++i) loop[table + 256 + i] = image[table + i];  // second points to itself
  auto looped = parse(loop, table);
  EXPECT_EQ(looped.size(), 1u);

  std::string backwards = image;
  backwards[table + 256] = 0x01;  // next offset below its own entry
  for (int i = 1; i < 8; ++i) backwards[table + 256 + i] = 0;
  EXPECT_EQ(parse(backwards, table).size(), 1u);
}

TEST(EmbeddedTableTest, PathsCompareWithEitherSeparatorAndAnyCase) {
  EXPECT_TRUE(
      SameCatalogPath("locale\\cs\\LC_MESSAGES\\default.mo", "LOCALE/CS/lc_messages/Default.MO"));
  EXPECT_FALSE(SameCatalogPath("locale\\cs\\LC_MESSAGES\\default.mo",
                               "locale\\cz\\LC_MESSAGES\\default.mo"));
  EXPECT_FALSE(SameCatalogPath("locale\\cs", "locale\\cs\\"));

  const std::string sep = platform::PathSeparator();
  const std::string base = sep + "opt" + sep + "Lantervo" + sep;
  TFileLocator locator(base + "Lantervo.exe", {{"locale\\cs\\LC_MESSAGES\\default.mo", 10, 20}});
  EXPECT_EQ(locator.BaseDirectory(), base);
  const TEmbeddedFile* found =
      locator.FindEmbedded(base + "LOCALE" + sep + "cs" + sep + "LC_MESSAGES" + sep + "DEFAULT.mo");
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->offset, 10u);
  EXPECT_EQ(locator.FindEmbedded(base + "locale/cs/LC_MESSAGES/default.mo"), found);
  EXPECT_EQ(locator.FindEmbedded(base + "locale" + sep + "cs"), nullptr);
  EXPECT_EQ(locator.FindEmbedded(sep + "other" + sep + "locale\\cs\\LC_MESSAGES\\default.mo"),
            nullptr);
  EXPECT_EQ(locator.FindEmbedded("locale\\cs\\LC_MESSAGES\\default.mo"), nullptr);
}

TEST(FileLocatorTest, OpensEmbeddedCatalogsOnceAndReleasesThemWithTheirLastUser) {
  test::FakeProgram program;
  const std::string cs = BuildMo({{"Active", "Aktivovat"}});
  program.Embed({{"locale/cs/LC_MESSAGES/default.mo", cs}});
  auto locator = program.Locator();
  ASSERT_EQ(locator->EmbeddedFiles().size(), 1u);
  const std::string sep = platform::PathSeparator();
  const std::string path =
      locator->BaseDirectory() + "locale" + sep + "cs" + sep + "LC_MESSAGES" + sep + "default.mo";
  EXPECT_TRUE(locator->Exists(path));
  EXPECT_FALSE(locator->Exists(locator->BaseDirectory() + "locale" + sep + "de"));

  auto first = locator->Open(path);
  auto second = locator->Open(path);
  EXPECT_EQ(first.get(), second.get());
  EXPECT_EQ(locator->OpenCount(), 1u);
  std::string_view text;
  ASSERT_TRUE(first->Find("Active", text));
  EXPECT_EQ(text, "Aktivovat");
  first.reset();
  EXPECT_EQ(locator->OpenCount(), 1u);
  second.reset();
  EXPECT_EQ(locator->OpenCount(), 0u);
  // Opened afresh after the last user let go.
  EXPECT_NE(locator->Open(path), nullptr);
}

TEST(FileLocatorTest, AProgramThatCannotBeReadHasNoEmbeddedCatalogs) {
  test::TempDir dir;
  auto locator = TFileLocator::ForExecutable(dir.File("gone.exe"), 4096);
  EXPECT_TRUE(locator->EmbeddedFiles().empty());
  EXPECT_EQ(locator->BaseDirectory(), dir.Path() + platform::PathSeparator());
}

}  // namespace
}  // namespace lantervo
