#include "core/server_table.h"

#include <gtest/gtest.h>

#include "platform/error.h"
#include "tests/core/table_fixture.h"

namespace lantervo {
namespace {

using test::AddRow;
using test::MakeTable;
using test::MessageOf;
using test::Names;
using Strings = std::vector<std::string>;

TEST(ServerTableText, CutThenTrimTrailingBlanksOnly) {
  ServerTable t = MakeTable();
  t.CreateList();
  t.AppendRow();
  t.SetText("Name", "abc   ");
  t.SetText("Response", "OK\r\n");
  t.SetText("Url", "http://x/\t");
  t.SetText("Status", "ERR_LOAD_TOO_LONG");  // 17 bytes into a width of 10
  t.SetText("Result", std::string(60000, 'r'));
  t.PostRow();
  EXPECT_EQ(t.GetText("Name"), "abc");
  EXPECT_EQ(t.GetText("Response"), "OK\r\n");
  EXPECT_EQ(t.GetText("Url"), "http://x/\t");
  EXPECT_EQ(t.GetText("Status"), "ERR_LOAD_T");
  EXPECT_EQ(t.GetText("Result").size(), 50000u);
}

TEST(ServerTableText, CutHappensBeforeTrimming) {
  ServerTable t = MakeTable();
  t.CreateList();
  t.AppendRow();
  t.SetText("Status", "OK        tail");  // the first 10 bytes are "OK" and blanks
  t.PostRow();
  EXPECT_EQ(t.GetText("Status"), "OK");
  EXPECT_FALSE(t.IsNull("Status"));
}

TEST(ServerTableText, BlanksOnlyIsEmptyNotNull) {
  ServerTable t = MakeTable();
  t.CreateList();
  t.AppendRow();
  t.SetText("Name", "    ");
  t.PostRow();
  EXPECT_EQ(t.GetText("Name"), "");
  EXPECT_FALSE(t.IsNull("Name"));
  EXPECT_TRUE(t.IsNull("Status"));
}

TEST(ServerTableText, CodePageNulAndWidthInBytes) {
  ServerTable t = MakeTable(1252);
  t.CreateList();
  t.AppendRow();
  t.SetText("Name", "Kone\xC4\x8D caf\xC3\xA9");  // č is not in 1252, é is
  t.SetText("Url", std::string("http://a/\0hidden", 16));
  t.SetText(
      "Status",
      "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9");
  t.PostRow();
  EXPECT_EQ(t.GetText("Name"), "Kone? caf\xC3\xA9");
  EXPECT_EQ(t.GetText("Url"), "http://a/");
  // Eleven é are eleven bytes in 1252: ten remain.
  EXPECT_EQ(t.GetText("Status").size(), 20u);
}

TEST(ServerTableText, DoubleByteCharacterIsNeverSplitByTheCut) {
  ServerTable t = MakeTable(932);
  t.CreateList();
  t.AppendRow();
  t.SetText("Status",
            "a\xE6\x97\xA5\xE6\x97\xA5\xE6\x97\xA5\xE6\x97\xA5\xE6\x97\xA5");  // a + 5 × 日
  t.PostRow();
  // "a" + four two-byte characters fill nine bytes; the fifth would split at byte 10.
  EXPECT_EQ(t.GetText("Status"), "a\xE6\x97\xA5\xE6\x97\xA5\xE6\x97\xA5\xE6\x97\xA5");
}

TEST(ServerTableOrder, CollationWithCaseDecidingTies) {
  ServerTable t = MakeTable();
  t.CreateList();
  for (const char* name : {"b", "A", "a", "B"}) AddRow(t, name);
  EXPECT_EQ(Names(t), (Strings{"a", "A", "b", "B"}));
}

TEST(ServerTableOrder, NullNameFirstThenEmptyName) {
  ServerTable t = MakeTable();
  t.CreateList();
  AddRow(t, "alpha");
  AddRow(t, "");
  t.AppendRow();
  t.SetText("Url", "http://nameless/");
  t.PostRow();
  t.MoveFirst();
  EXPECT_TRUE(t.IsNull("Name"));
  EXPECT_EQ(t.GetText("Url"), "http://nameless/");
  t.MoveNext();
  EXPECT_FALSE(t.IsNull("Name"));
  EXPECT_EQ(t.GetText("Name"), "");
}

TEST(ServerTableOrder, EqualNamesKeepEntryOrderAndRenamedRowGoesLast) {
  ServerTable t = MakeTable();
  t.CreateList();
  auto url = [](const char* u) { return [u](ServerTable& tt) { tt.SetText("Url", u); }; };
  AddRow(t, "Shop", url("first"));
  AddRow(t, "Shop", url("second"));
  AddRow(t, "Other", url("third"));
  auto urls = [&] {
    Strings out;
    for (t.MoveFirst(); !t.AtEnd(); t.MoveNext()) out.push_back(t.GetText("Url"));
    return out;
  };
  EXPECT_EQ(urls(), (Strings{"third", "first", "second"}));
  // Posting the first "Shop" again with its name unchanged leaves it in place.
  t.MoveFirst();
  t.MoveNext();
  t.BeginEdit();
  t.SetText("Name", "Shop");
  t.SetText("Result", "touched");
  t.PostRow();
  EXPECT_EQ(t.GetText("Url"), "first");
  EXPECT_EQ(urls(), (Strings{"third", "first", "second"}));
  // Renaming "Other" to "Shop" puts it after the two existing ones.
  t.MoveFirst();
  t.BeginEdit();
  t.SetText("Name", "Shop");
  t.PostRow();
  EXPECT_EQ(t.GetText("Url"), "third");  // the posted row stays current at its new place
  EXPECT_EQ(t.CurrentIndex(), 2);
  EXPECT_EQ(urls(), (Strings{"first", "second", "third"}));
}

TEST(ServerTableNavigation, CursorAndAtEnd) {
  ServerTable t = MakeTable();
  t.CreateList();
  t.MoveFirst();
  EXPECT_TRUE(t.AtEnd());
  EXPECT_EQ(t.GetText("Name"), "");  // defaults on an empty table
  EXPECT_EQ(t.GetInt("LoadTime"), 0);
  AddRow(t, "a");
  AddRow(t, "b");
  t.MoveFirst();
  EXPECT_FALSE(t.AtEnd());
  t.MoveNext();
  EXPECT_FALSE(t.AtEnd());
  EXPECT_EQ(t.GetText("Name"), "b");
  t.MoveNext();
  EXPECT_TRUE(t.AtEnd());
  EXPECT_EQ(t.GetText("Name"), "b");  // stays on the last row
  EXPECT_EQ(t.RowCount(), 2);
}

TEST(ServerTableModes, NullsReadAsDefaultsAndPendingRowIsNotCounted) {
  ServerTable t = MakeTable();
  t.CreateList();
  t.AppendRow();
  t.SetText("Name", "QUORVIK Media");
  t.SetInt("Timeout", 300);
  t.SetBool("Active", true);
  EXPECT_EQ(t.RowCount(), 0);
  t.PostRow();
  EXPECT_EQ(t.RowCount(), 1);
  EXPECT_EQ(t.GetInt("LoadTime"), 0);
  EXPECT_TRUE(t.IsNull("LoadTime"));
  EXPECT_FALSE(t.GetBool("TimeoutEnabled"));
  EXPECT_EQ(t.GetText("Response"), "");
  EXPECT_EQ(t.GetInt("Timeout"), 300);
  EXPECT_TRUE(t.GetBool("Active"));
}

TEST(ServerTableModes, BeginEditOnEmptyTableStartsANewRow) {
  ServerTable t = MakeTable();
  t.CreateList();
  int inserts = 0;
  t.AfterInsert = [&] { ++inserts; };
  t.BeginEdit();
  EXPECT_EQ(t.GetMode(), ServerTable::Mode::Insert);
  EXPECT_EQ(inserts, 1);
  t.SetText("Name", "x");
  t.PostRow();
  EXPECT_EQ(t.RowCount(), 1);
}

TEST(ServerTableModes, NavigationPostsWrittenRowsAndDiscardsUntouchedOnes) {
  ServerTable t = MakeTable();
  t.CreateList();
  AddRow(t, "a");
  t.BeginEdit();
  t.SetText("Result", "kept");
  t.MoveFirst();  // posts
  EXPECT_EQ(t.GetMode(), ServerTable::Mode::Browse);
  EXPECT_EQ(t.GetText("Result"), "kept");
  t.AppendRow();  // nothing written
  t.MoveFirst();  // discards
  EXPECT_EQ(t.RowCount(), 1);
}

TEST(ServerTableModes, DeleteDiscardsInsertAndSelectsFollowingRow) {
  ServerTable t = MakeTable();
  t.CreateList();
  for (const char* n : {"a", "b", "c"}) AddRow(t, n);
  t.AppendRow();
  t.SetText("Name", "zzz");
  t.DeleteRow();  // discards the unposted row
  EXPECT_EQ(t.RowCount(), 3);
  t.MoveFirst();
  t.MoveNext();
  t.DeleteRow();
  EXPECT_EQ(t.GetText("Name"), "c");
  t.DeleteRow();
  EXPECT_EQ(t.GetText("Name"), "a");  // the deleted row was the last: the new last is current
  EXPECT_EQ(Names(t), (Strings{"a"}));
}

TEST(ServerTableEvents, AfterInsertSeesPostedRowCountAfterDeleteSeesRemainder) {
  ServerTable t = MakeTable();
  t.CreateList();
  std::vector<int> insertCounts, deleteCounts;
  t.AfterInsert = [&] { insertCounts.push_back(t.RowCount()); };
  t.AfterDelete = [&] { deleteCounts.push_back(t.RowCount()); };
  AddRow(t, "first");
  AddRow(t, "second");
  EXPECT_EQ(insertCounts, (std::vector<int>{0, 1}));
  t.MoveFirst();
  t.DeleteRow();
  t.DeleteRow();
  EXPECT_EQ(deleteCounts, (std::vector<int>{1, 0}));
}

TEST(ServerTableErrors, MessagesCarryTheTableName) {
  ServerTable t = MakeTable();
  t.CreateList();
  EXPECT_EQ(MessageOf([&] { t.DeleteRow(); }),
            "setServer: Cannot perform this operation on an empty dataset");
  AddRow(t, "a");
  EXPECT_EQ(MessageOf([&] { t.SetText("Name", "b"); }),
            "setServer: Dataset not in edit or insert mode");
  EXPECT_EQ(t.GetText("Name"), "a");
  EXPECT_EQ(MessageOf([&] { t.GetText("Host"); }), "setServer: Field 'Host' not found");
  EXPECT_EQ(MessageOf([&] { t.SetInt("Port", 1); }), "setServer: Field 'Port' not found");
}

TEST(ServerTableChanged, SetByPostsAndDeletesOnly) {
  ServerTable t = MakeTable();
  t.CreateList();
  EXPECT_FALSE(t.Changed());
  t.AppendRow();
  t.DeleteRow();  // a discarded insert changes nothing
  EXPECT_FALSE(t.Changed());
  AddRow(t, "a");
  EXPECT_TRUE(t.Changed());
  t.CreateList();
  EXPECT_FALSE(t.Changed());
}

TEST(ServerTableViews, RowsByIndexAndObservers) {
  ServerTable t = MakeTable();
  t.CreateList();
  std::vector<TableChanges> notified;
  const Subscription watch =
      t.Subscribe([&](TableChanges changes) { notified.push_back(changes); });
  AddRow(t, "b", [](ServerTable& tt) { tt.SetBool("Active", true); });
  AddRow(t, "a");
  EXPECT_EQ(notified, (std::vector<TableChanges>{tcAll, tcAll}));
  EXPECT_EQ(t.TextAt(0, "Name"), "a");
  EXPECT_TRUE(t.BoolAt(1, "Active"));
  EXPECT_FALSE(t.BoolAt(0, "Active"));
  t.MoveTo(1);
  EXPECT_EQ(t.GetText("Name"), "b");
  EXPECT_EQ(t.TextAt(5, "Name"), "");
}

// Views learn what a change touched: a move, values in place, a row that moved with its new
// name, rows that came or went.
TEST(ServerTableViews, ObserversHearWhatAChangeTouched) {
  ServerTable t = MakeTable();
  t.CreateList();
  AddRow(t, "a");
  AddRow(t, "b");
  std::vector<TableChanges> notified;
  const Subscription watch =
      t.Subscribe([&](TableChanges changes) { notified.push_back(changes); });
  t.MoveFirst();
  t.MoveNext();
  t.BeginEdit();
  t.SetText("Result", "Waiting...");
  t.PostRow();
  t.BeginEdit();
  t.SetText("Name", "0 first");
  t.PostRow();
  EXPECT_EQ(t.CurrentIndex(), 0);
  t.DeleteRow();
  t.AppendRow();
  t.DeleteRow();  // the insert is only dropped
  EXPECT_EQ(notified, (std::vector<TableChanges>{tcCurrentRow, tcCurrentRow, tcValues,
                                                 tcValues | tcCurrentRow, tcAll, tcCurrentRow}));
  notified.clear();
  t.Close();
  EXPECT_EQ(notified, (std::vector<TableChanges>{tcAll}));
}

// Start-up gives every row the same run columns at once; the table must end as the walk that
// edits and posts each row would leave it.
TEST(ServerTableEveryRow, SetsEveryRowAsAWalkWouldWithOneChangeForTheViews) {
  ServerTable walked = MakeTable(), at_once = MakeTable();
  for (ServerTable* t : {&walked, &at_once}) {
    t->CreateList();
    AddRow(*t, "bravo", [](ServerTable& r) { r.SetText("Status", "OK"); });
    AddRow(*t, "alpha", [](ServerTable& r) { r.SetInt("LoadTime", 12); });
    AddRow(*t, "charlie", [](ServerTable& r) { r.SetText("Result", std::string(70, 'x')); });
    t->MoveFirst();
  }
  for (walked.MoveFirst(); !walked.AtEnd(); walked.MoveNext()) {
    walked.BeginEdit();
    walked.SetText("Result", "Waiting...  ");
    walked.SetInt("LoadTime", -1);
    walked.PostRow();
  }
  int notifications = 0;
  TableChanges seen = 0;
  const Subscription subscription = at_once.Subscribe([&](TableChanges changes) {
    ++notifications;
    seen |= changes;
  });
  at_once.SetTextInEveryRow("Result", "Waiting...  ");
  at_once.SetIntInEveryRow("LoadTime", -1);
  EXPECT_EQ(notifications, 2);
  EXPECT_EQ(seen, tcValues | tcCurrentRow);
  EXPECT_TRUE(at_once.Changed());
  EXPECT_TRUE(at_once.AtEnd());
  EXPECT_EQ(at_once.CurrentIndex(), walked.CurrentIndex());
  EXPECT_EQ(at_once.GetText("Name"), "charlie");
  for (int i = 0; i < 3; ++i)
    for (const char* field : {"Name", "Status", "Result", "LoadTime"})
      EXPECT_EQ(at_once.TextAt(i, field), walked.TextAt(i, field)) << i << " " << field;
  EXPECT_EQ(at_once.TextAt(0, "Result"), "Waiting...") << "stored as SetText stores it";
}

TEST(ServerTableEveryRow, PostsAPendingEditFirstAndRefusesWhatWouldBreakTheTable) {
  ServerTable t = MakeTable();
  EXPECT_EQ(MessageOf([&] { t.SetTextInEveryRow("Result", "x"); }),
            "setServer: Cannot perform this operation on a closed dataset");
  t.CreateList();
  t.SetIntInEveryRow("LoadTime", -1);  // nothing to set
  EXPECT_FALSE(t.Changed());
  AddRow(t, "one");
  t.BeginEdit();
  t.SetText("Status", "OK");
  t.SetTextInEveryRow("Result", "Waiting...");
  EXPECT_EQ(t.GetMode(), ServerTable::Mode::Browse);
  EXPECT_EQ(t.TextAt(0, "Status"), "OK");
  EXPECT_EQ(t.TextAt(0, "Result"), "Waiting...");
  EXPECT_EQ(MessageOf([&] { t.SetTextInEveryRow("Name", "same"); }),
            "setServer: Field 'Name' orders the rows");
  EXPECT_EQ(MessageOf([&] { t.SetIntInEveryRow("Result", 1); }),
            "Field 'Result' cannot be written with this type");
  EXPECT_EQ(MessageOf([&] { t.SetIntInEveryRow("Missing", 1); }),
            "setServer: Field 'Missing' not found");
  EXPECT_EQ(Names(t), Strings{"one"});
}

}  // namespace
}  // namespace lantervo
