#include "core/list_preload.h"

#include <gtest/gtest.h>

#include "core/list_file.h"
#include "tests/core/table_fixture.h"
#include "tests/support/temp_dir.h"

namespace lantervo {
namespace {

using test::AddRow;
using test::MessageOf;
using test::Names;
using Strings = std::vector<std::string>;

// A list of three rows whose file order differs from their name order, saved as LTV.xml.
void WriteThreeRows(const std::string& file) {
  ServerTable table;
  table.CreateList();
  AddRow(table, "zulu", [](ServerTable& t) {
    t.SetText("Url", "http://127.0.0.1:1/z");
    t.SetBool("Active", true);
  });
  AddRow(table, "Alpha", [](ServerTable& t) { t.SetInt("LoadTime", 42); });
  AddRow(table, "mike", [](ServerTable& t) { t.SetText("Response", "ok\r\n"); });
  table.SaveList(file);
}

TEST(ListPreload, OpensTheTableAsItsOwnReadWouldAndKeepsItsObservers) {
  test::TempDir dir;
  const std::string file = dir.File("LTV.xml");
  WriteThreeRows(file);

  ServerTable direct;
  direct.FileName = file;
  direct.OpenList();

  ListPreload preload(file);
  ServerTable table;
  table.FileName = file;
  int inserts = 0;
  table.AfterInsert = [&] { ++inserts; };
  TableChanges seen = 0;
  const Subscription subscription = table.Subscribe([&](TableChanges changes) { seen |= changes; });
  preload.OpenInto(table);

  ASSERT_TRUE(table.IsOpen());
  EXPECT_FALSE(table.Changed());
  EXPECT_EQ(seen, tcAll);
  EXPECT_EQ(table.CurrentIndex(), 0);
  EXPECT_EQ(Names(table), Names(direct));
  EXPECT_EQ(Names(table), (Strings{"Alpha", "mike", "zulu"}));
  for (int i = 0; i < 3; ++i)
    for (const char* field : {"Url", "LoadTime", "Response", "Active"})
      EXPECT_EQ(table.TextAt(i, field), direct.TextAt(i, field)) << i << " " << field;
  // The same file once written back, and the table goes on as its own: a new row is placed by
  // name, its handler runs, and it is saved after the rows read, in entry order.
  EXPECT_EQ(WriteDataPacket(table), WriteDataPacket(direct));
  AddRow(table, "bravo");
  EXPECT_EQ(inserts, 1);
  EXPECT_EQ(Names(table), (Strings{"Alpha", "bravo", "mike", "zulu"}));
  AddRow(direct, "bravo");
  EXPECT_EQ(WriteDataPacket(table), WriteDataPacket(direct));
}

TEST(ListPreload, TheReadsErrorsAreOpenListsOwnAndLeaveTheTableClosed) {
  test::TempDir dir;
  const std::string file = dir.File("LTV.xml");
  {
    ListPreload preload(file);  // no file yet
    ServerTable table;
    table.FileName = file;
    EXPECT_EQ(MessageOf([&] { preload.OpenInto(table); }),
              "setServer: Missing data provider or data packet");
    EXPECT_FALSE(table.IsOpen());
  }
  dir.Write("LTV.xml", "garbage");
  ListPreload preload(file);
  ServerTable table;
  table.FileName = file;
  EXPECT_EQ(MessageOf([&] { preload.OpenInto(table); }), "Mismatch in datapacket.");
  EXPECT_FALSE(table.IsOpen());
  EXPECT_EQ(dir.Read("LTV.xml"), "garbage");
}

TEST(ListPreload, AnotherFileOrASecondOpenReadsTheFileAnew) {
  test::TempDir dir;
  WriteThreeRows(dir.File("LTV.xml"));
  ListPreload preload(dir.File("LTV.xml"));

  ServerTable elsewhere;
  elsewhere.FileName = dir.File("other.xml");
  EXPECT_EQ(MessageOf([&] { preload.OpenInto(elsewhere); }),
            "setServer: Missing data provider or data packet");

  ServerTable first;
  first.FileName = dir.File("LTV.xml");
  preload.OpenInto(first);
  EXPECT_EQ(first.RowCount(), 3);

  // The list as it is now, not as it was read ahead.
  ServerTable one;
  one.CreateList();
  AddRow(one, "only");
  one.SaveList(dir.File("LTV.xml"));
  ServerTable second;
  second.FileName = dir.File("LTV.xml");
  preload.OpenInto(second);
  EXPECT_EQ(Names(second), Strings{"only"});
}

TEST(ListPreload, AnOpenTableIsLeftAsItIs) {
  test::TempDir dir;
  WriteThreeRows(dir.File("LTV.xml"));
  ListPreload preload(dir.File("LTV.xml"));
  ServerTable table;
  table.FileName = dir.File("LTV.xml");
  table.CreateList();
  AddRow(table, "in memory");
  preload.OpenInto(table);
  EXPECT_EQ(Names(table), Strings{"in memory"});
}

}  // namespace
}  // namespace lantervo
