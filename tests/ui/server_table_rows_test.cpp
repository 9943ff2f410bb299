// The server table as the main window's grid shows it: changes reach the grid once per turn of
// the loop, with what they touched, and either side may go first.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/server_table.h"
#include "toolkit/db_grid.h"
#include "toolkit/form.h"
#include "toolkit/headless_desktop.h"
#include "ui/server_table_rows.h"

namespace lantervo {
namespace {

using ::testing::ElementsAre;

// Start-up resets every row: a move and a post per row, and the grid's front end hears of
// them once, with what they touched.
TEST(ServerTableRows, ABurstOfChangesIsShownOnceWithWhatItTouched) {
  HeadlessDesktop desktop;
  TForm form(desktop);
  ServerTable table;
  table.CreateList();
  for (const char* n : {"gamma", "alpha", "beta"}) {
    table.AppendRow();
    table.SetText("Name", n);
    table.PostRow();
  }
  ServerTableRows rows(table);
  auto& setServer = form.Add<TClientDataSet>("setServer");
  setServer.SetRows(&rows);
  auto& grid = form.Add<TDBGrid>("gridLink");
  grid.SetDataSet(&setServer);
  grid.Columns()->Add().SetFieldName("Result");
  std::vector<RowChanges> shown;
  const Subscription watch = grid.Subscribe([&](Persistent&, std::string_view p) {
    if (p == prop::Rows) shown.push_back(grid.ShownRowChanges());
  });

  for (table.MoveFirst(); !table.AtEnd(); table.MoveNext()) {
    table.BeginEdit();
    table.SetText("Result", "Waiting...");
    table.PostRow();
  }
  EXPECT_TRUE(shown.empty());
  EXPECT_EQ(desktop.PostedWaiting(), 1u) << "one refresh asked for, however many changes";
  EXPECT_EQ(grid.CellText(1, 0), "Waiting...");
  desktop.RunPosted();
  ASSERT_THAT(shown, ElementsAre(rcCurrentRow | rcValues));

  grid.KeyDown(keys::kHome, 0);
  desktop.RunPosted();
  table.AppendRow();
  table.SetText("Name", "delta");
  table.PostRow();
  desktop.RunPosted();
  table.DeleteRow();
  table.MoveFirst();
  desktop.RunPosted();
  EXPECT_THAT(shown, ElementsAre(rcCurrentRow | rcValues, rcCurrentRow, rcAll, rcAll));
  EXPECT_EQ(grid.RowCount(), 3);
}

TEST(ServerTableRows, ARefreshAskedForByAGridThatIsGoneDoesNothing) {
  HeadlessDesktop desktop;
  TForm form(desktop);
  ServerTable table;
  table.CreateList();
  ServerTableRows rows(table);
  auto& setServer = form.Add<TClientDataSet>("setServer");
  setServer.SetRows(&rows);
  auto* grid = &form.Add<TDBGrid>("gridLink");
  grid->SetDataSet(&setServer);
  table.AppendRow();
  table.SetText("Name", "alpha");
  table.PostRow();
  form.RemoveComponent(*grid);
  EXPECT_EQ(desktop.RunPosted(), 1u);
  EXPECT_TRUE(desktop.HandledErrors().empty());
}

TEST(ServerTableRows, TheGridFollowsTheServerTable) {
  HeadlessDesktop desktop;
  TForm form(desktop);
  ServerTable table;
  table.CreateList();
  auto rows = std::make_unique<ServerTableRows>(table);
  auto& setServer = form.Add<TClientDataSet>("setServer");
  setServer.SetRows(rows.get());
  auto& grid = form.Add<TDBGrid>("gridLink");
  grid.SetDataSet(&setServer);
  grid.Columns()->Add().SetFieldName("Name");
  int changes = 0;
  const Subscription watch =
      grid.Subscribe([&](Persistent&, std::string_view p) { changes += p == prop::Rows; });
  for (const char* n : {"beta", "alpha"}) {
    table.AppendRow();
    table.SetText("Name", n);
    table.SetInt("LoadTime", -1);
    table.PostRow();
  }
  EXPECT_EQ(changes, 0);
  desktop.RunPosted();
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(grid.RowCount(), 2);
  EXPECT_EQ(grid.CellText(0, 0), "alpha");
  grid.KeyDown(keys::kHome, 0);
  EXPECT_EQ(table.CurrentIndex(), 0);
  EXPECT_EQ(table.GetText("Name"), "alpha");
  setServer.SetRows(nullptr);
  rows.reset();
  table.MoveFirst();  // the adapter's subscription ended with it
}

}  // namespace
}  // namespace lantervo
