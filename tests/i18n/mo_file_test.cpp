// Catalog files: mapping, both byte orders, header validation and in-place search.
#include "i18n/mo_file.h"

#include <gtest/gtest.h>

#include <bit>
#include <functional>

#include "platform/error.h"
#include "platform/file_map.h"
#include "tests/i18n/mo_builder.h"

namespace lantervo {
namespace {

using test::BuildMo;
using test::TempDir;

std::string ErrorOf(const std::function<void()>& fn) {
  try {
    fn();
  } catch (const Error& e) {
    return e.what();
  }
  return "(no error)";
}

std::string Lookup(const TMoFile& mo, std::string_view id) {
  std::string_view text;
  return mo.Find(id, text) ? std::string(text) : std::string("(missing)");
}

const test::MoEntries kEntries = {
    {"Slow load", "Pomalé načtení"},
    {"Slow load '%s'", "Pomalé načtení '%s'"},
    {"Active", "Aktivovat"},
    {"\xc3\xa9t\xc3\xa9", "summer"},  // bytes above 0x7f sort after ASCII
    {"Zebra", "Zebra!"},
    {std::string("one\0two", 7), std::string("jeden\0dva\0tri", 13)},
};

TEST(MoFileTest, FindsEveryEntryInEitherByteOrder) {
  for (bool bigEndian : {false, true}) {
    auto mo = TMoFile::FromBytes(BuildMo(kEntries, test::kUtf8Header, bigEndian), "mem");
    EXPECT_EQ(mo->Swapped(), bigEndian != (std::endian::native == std::endian::big));
    EXPECT_EQ(mo->Count(), kEntries.size() + 1);
    for (const auto& [id, text] : kEntries) EXPECT_EQ(Lookup(*mo, id), text) << id;
    // Neighbours, prefixes and extensions of real ids are not found.
    for (std::string_view absent : {"Slow loa", "Slow load ", "A", "Activ", "Actives", "zz", "one"})
      EXPECT_EQ(Lookup(*mo, absent), "(missing)") << absent;
    EXPECT_EQ(mo->ContentType(), "text/plain; charset=UTF-8");
  }
}

TEST(MoFileTest, ContentTypeIsTheTrimmedValueOfItsHeaderLine) {
  auto content = [](const std::string& header) {
    return TMoFile::FromBytes(BuildMo({{"a", "b"}}, header), "mem")->ContentType();
  };
  EXPECT_EQ(content("Project-Id-Version: x\ncontent-type:   text/plain; charset=utf-8  \nX: y\n"),
            "text/plain; charset=utf-8");
  EXPECT_EQ(content("Content-Type:text/plain\n"), "");  // needs ": "
  EXPECT_EQ(content("X-Content-Type: a\n"), "");
  EXPECT_EQ(TMoFile::FromBytes(BuildMo({{"a", "b"}}, ""), "mem")->ContentType(), "");
}

TEST(MoFileTest, RejectsWhatIsNotAValidCatalog) {
  const std::string good = BuildMo(kEntries);
  const std::string message = "This file is not a valid GNU gettext mo file: bad.mo";
  auto check = [&](std::string bytes, const char* what) {
    EXPECT_EQ(ErrorOf([&] { TMoFile::FromBytes(bytes, "bad.mo"); }), message) << what;
  };
  check("", "empty");
  check(good.substr(0, 27), "short header");
  std::string wrongMagic = good;
  wrongMagic[0] = 0x12;
  check(wrongMagic, "magic");
  std::string hugeCount = good;
  hugeCount[11] = 0x7f;
  check(hugeCount, "entry count beyond the file");
  std::string tableOut = good;
  tableOut[15] = 0x40;
  check(tableOut, "id table beyond the file");
  std::string stringOut = good;
  stringOut[28 + 4 + 3] = 0x40;  // offset of the first id
  check(stringOut, "string beyond the file");
  std::string lengthOut = good;
  lengthOut[28 + 3] = 0x40;  // length of the first id
  check(lengthOut, "string longer than the file");
  check(good.substr(0, good.size() - 3), "truncated strings");
  EXPECT_NO_THROW(TMoFile::FromBytes(good, "good.mo"));
}

TEST(MoFileTest, OpensFilesAndSlicesWithTheCatalogMessages) {
  TempDir dir;
  const std::string catalog = BuildMo(kEntries);
  dir.Write("a.mo", catalog);
  EXPECT_EQ(Lookup(*TMoFile::Open(dir.File("a.mo")), "Active"), "Aktivovat");

  // A slice at offsets that are not page or allocation-granularity aligned.
  for (std::size_t pad :
       {std::size_t{1}, std::size_t{4095}, std::size_t{4097}, std::size_t{65537}}) {
    dir.Write("image", std::string(pad, 'p') + catalog + std::string(333, 'q'));
    auto mo = TMoFile::Open(dir.File("image"), pad, catalog.size());
    EXPECT_EQ(Lookup(*mo, "Zebra"), "Zebra!") << pad;
  }

  const std::string missing = dir.File("missing.mo");
  EXPECT_EQ(ErrorOf([&] { TMoFile::Open(missing); }), "Cannot open file " + missing);
  const std::string image = dir.File("image");
  const std::string beyond = ErrorOf([&] { TMoFile::Open(image, 70000, catalog.size()); });
  EXPECT_EQ(beyond.rfind("Cannot map file " + image + " into memory. Reason: ", 0), 0u) << beyond;
  EXPECT_GT(beyond.size(), ("Cannot map file " + image + " into memory. Reason: ").size());
  dir.Write("junk.mo", "not a catalog at all, just text that is long enough");
  EXPECT_EQ(ErrorOf([&] { TMoFile::Open(dir.File("junk.mo")); }),
            "This file is not a valid GNU gettext mo file: " + dir.File("junk.mo"));
}

TEST(FileMappingTest, MapsWholeFilesSlicesAndEmptyFiles) {
  TempDir dir;
  std::string bytes;
  for (int i = 0; i < 200000; ++i) bytes.push_back(static_cast<char>(i * 7));
  dir.Write("data", bytes);
  platform::FileMapping whole;
  ASSERT_TRUE(platform::MapWholeFile(dir.File("data"), whole).ok);
  ASSERT_EQ(whole.Size(), bytes.size());
  EXPECT_EQ(std::string_view(reinterpret_cast<const char*>(whole.Data()), whole.Size()), bytes);

  for (std::uint64_t offset : {0u, 1u, 4096u, 65535u, 65536u, 131073u}) {
    platform::FileMapping slice;
    ASSERT_TRUE(platform::MapFileSlice(dir.File("data"), offset, 1000, slice).ok) << offset;
    EXPECT_EQ(std::string_view(reinterpret_cast<const char*>(slice.Data()), slice.Size()),
              bytes.substr(offset, 1000));
  }
  // A slice reaching one byte past the end is refused rather than mapped.
  platform::FileMapping tail;
  auto past = platform::MapFileSlice(dir.File("data"), bytes.size() - 10, 11, tail);
  EXPECT_FALSE(past.ok);
  EXPECT_EQ(past.stage, platform::MapStage::Map);
  EXPECT_FALSE(past.message.empty());
  EXPECT_TRUE(platform::MapFileSlice(dir.File("data"), bytes.size() - 10, 10, tail).ok);

  dir.Write("empty", "");
  platform::FileMapping empty;
  ASSERT_TRUE(platform::MapWholeFile(dir.File("empty"), empty).ok);
  EXPECT_EQ(empty.Size(), 0u);

  platform::FileMapping none;
  auto missing = platform::MapWholeFile(dir.File("none"), none);
  EXPECT_FALSE(missing.ok);
  EXPECT_EQ(missing.stage, platform::MapStage::Open);

  // Moving hands the view over; the moved-from mapping is empty.
  platform::FileMapping moved = std::move(whole);
  EXPECT_EQ(moved.Size(), bytes.size());
  EXPECT_EQ(whole.Data(), nullptr);
}

}  // namespace
}  // namespace lantervo
