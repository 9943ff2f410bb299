// The data grid over a dataset: cells, titles, widths, navigation, painting, change signals.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/error.h"
#include "tests/support/doubles/recording_canvas.h"
#include "toolkit/db_grid.h"
#include "toolkit/form.h"
#include "toolkit/headless_desktop.h"
#include "toolkit/images.h"

namespace lantervo {
namespace {

using ::testing::ElementsAre;

// Rows held in memory, so the grid is tested apart from the server table.
class FakeRows : public DataRows {
 public:
  std::vector<std::map<std::string, std::string>> rows;
  int current = -1;
  int RowCount() const override { return static_cast<int>(rows.size()); }
  int CurrentIndex() const override { return rows.empty() ? -1 : current; }
  void MoveTo(int index) override {
    current = index;
    NotifyObservers();
  }
  std::string TextAt(int index, std::string_view field) const override {
    return rows.at(static_cast<std::size_t>(index)).at(std::string(field));
  }
  bool BoolAt(int index, std::string_view field) const override {
    return TextAt(index, field) == "True";
  }
  void Changed() { NotifyObservers(); }
};

struct GridTest : ::testing::Test {
  HeadlessDesktop desktop;
  TForm form{desktop};
  FakeRows rows;
  TClientDataSet& setServer = form.Add<TClientDataSet>("setServer");
  TStringField& name = form.Add<TStringField>("setServerName");
  TIntegerField& loadTime = form.Add<TIntegerField>("setServerLoadTime");
  TDBGrid& grid = form.Add<TDBGrid>("gridLink");

  void SetUp() override {
    rows.rows = {{{"Name", "alpha"}, {"LoadTime", "12"}},
                 {{"Name", "beta"}, {"LoadTime", "-1"}},
                 {{"Name", "gamma"}, {"LoadTime", "7"}}};
    rows.current = 0;
    name.SetFieldName("Name");
    name.SetSize(200);
    name.SetDataSet(&setServer);
    loadTime.SetFieldName("LoadTime");
    loadTime.SetDataSet(&setServer);
    setServer.SetRows(&rows);
    grid.SetDataSet(&setServer);
    grid.SetHeight(226);
    grid.Columns()->Add().SetWidth(16);
    TColumn& server = grid.Columns()->Add();
    server.SetFieldName("Name");
    server.Title()->SetCaption("  Server");
    grid.Columns()->Add().SetFieldName("LoadTime");
  }
};

TEST_F(GridTest, CellsShowTheFieldOfTheirColumnAndAColumnWithoutFieldIsEmpty) {
  EXPECT_EQ(grid.RowCount(), 3);
  EXPECT_EQ(grid.CellText(1, 1), "beta");
  EXPECT_EQ(grid.CellText(1, 2), "-1");
  EXPECT_EQ(grid.CellText(1, 0), "");
}

TEST_F(GridTest, ACellDrawsEachRunOfLineBreaksAndTabsAsOneBlankAndTheRowKeepsTheText) {
  rows.rows[1]["Name"] = "Socket Error # 10061\r\nConnection refused.\t\t\r\rx\n";
  EXPECT_EQ(grid.CellText(1, 1), "Socket Error # 10061 Connection refused. x ");
  EXPECT_EQ(rows.TextAt(1, "Name"), "Socket Error # 10061\r\nConnection refused.\t\t\r\rx\n");
  RecordingCanvas canvas;
  grid.PaintCell(canvas, {0, 0, 100, 18}, 1, 1, 0);
  ASSERT_EQ(canvas.Calls().size(), 2u);
  EXPECT_EQ(canvas.Calls()[1].text, "Socket Error # 10061 Connection refused. x ");
}

TEST_F(GridTest, TitlesDefaultToTheFieldsDisplayLabelAndWidthsToTheFieldsDisplayWidth) {
  EXPECT_EQ(grid.Columns()->operator[](1).Title()->DisplayCaption(), "  Server");
  TColumnTitle& title = *(*grid.Columns())[2].Title();
  EXPECT_EQ(title.Caption(), "");
  EXPECT_EQ(title.DisplayCaption(), "LoadTime");
  loadTime.SetDisplayLabel("Load time");
  EXPECT_EQ(title.DisplayCaption(), "Load time");
  EXPECT_EQ(loadTime.FieldName(), "LoadTime");
  EXPECT_EQ((*grid.Columns())[2].Width(), 64);
  EXPECT_EQ((*grid.Columns())[0].Width(), 16);
  EXPECT_EQ(setServer.FindField("loadtime"), &loadTime);
}

TEST_F(GridTest, NavigationKeysMoveTheCurrentRowAfterTheKeyHandler) {
  EXPECT_FALSE(grid.KeyDown(keys::kDown, 0));
  EXPECT_EQ(grid.CurrentRow(), 1);
  grid.KeyDown(keys::kEnd, 0);
  EXPECT_EQ(grid.CurrentRow(), 2);
  grid.KeyDown(keys::kDown, 0);
  EXPECT_EQ(grid.CurrentRow(), 2);
  grid.KeyDown(keys::kHome, ssCtrl);
  EXPECT_EQ(grid.CurrentRow(), 0);
  grid.KeyDown(keys::kNext, 0);
  EXPECT_EQ(grid.CurrentRow(), 2);

  grid.OnKeyDown = [](Component&, std::uint16_t& key, ShiftState shift) {
    if (key == keys::kDelete && (shift & ssCtrl)) key = 0;
    if (key == keys::kUp) key = 0;
  };
  EXPECT_FALSE(grid.KeyDown(keys::kUp, 0));
  EXPECT_EQ(grid.CurrentRow(), 2);
  EXPECT_FALSE(grid.KeyDown(keys::kDelete, ssCtrl));
  EXPECT_TRUE(grid.KeyDown(keys::kDelete, 0));
  grid.ClickRow(1);
  EXPECT_EQ(grid.CurrentRow(), 1);
  grid.SetEnabled(false);
  grid.ClickRow(0);
  EXPECT_EQ(grid.CurrentRow(), 1);
}

TEST_F(GridTest, PaintingDrawsTheDefaultCellThenRunsTheHandlerWithTheCanvasState) {
  TImageList status;
  status.Add("ball-gray");
  status.Add("ball-blue");
  grid.OnDrawColumnCell = [&](Component&, GridCanvas& canvas, const Rect& rect, int row, int column,
                              GridDrawState) {
    if (row == 1) canvas.SetBrushColor(colors::kGray);
    if (column == 0)
      canvas.StretchDraw({rect.left, rect.top, rect.left + 16, rect.top + 16}, status, 1);
  };
  RecordingCanvas canvas;
  grid.PaintCell(canvas, {0, 18, 16, 36}, 0, 0, 0);
  ASSERT_EQ(canvas.Calls().size(), 3u);
  EXPECT_EQ(canvas.Calls()[0].kind, RecordingCanvas::Call::Fill);
  EXPECT_EQ(canvas.Calls()[0].brush, colors::kWindow);
  EXPECT_EQ(canvas.Calls()[2].kind, RecordingCanvas::Call::Image);
  EXPECT_EQ(canvas.Calls()[2].index, 1);
  EXPECT_EQ(canvas.Calls()[2].rect, (Rect{0, 18, 16, 34}));

  // Without default drawing the handler draws the default itself, with its own brush.
  grid.SetDefaultDrawing(false);
  grid.OnDrawColumnCell = [&](Component&, GridCanvas& c, const Rect& rect, int row, int column,
                              GridDrawState) {
    c.SetBrushColor(colors::kGray);
    grid.DefaultDrawColumnCell(c, rect, row, column);
  };
  canvas.Reset();
  grid.PaintCell(canvas, {16, 36, 219, 54}, 1, 1, gdSelected | gdFocused);
  ASSERT_EQ(canvas.Calls().size(), 2u);
  EXPECT_EQ(canvas.Calls()[0].brush, colors::kGray);
  EXPECT_EQ(canvas.Calls()[1].text, "beta");
}

TEST_F(GridTest, ColumnFontsFollowTheGridUntilSetAndTitlesFollowTheTitleFont) {
  TColumn& server = (*grid.Columns())[1];
  server.Title()->Font()->SetStyle(fsBold);
  grid.TitleFont()->SetName("Verdana");
  grid.Font()->SetHeight(-13);
  EXPECT_EQ(server.Title()->Font()->Name(), "Tahoma");
  EXPECT_EQ((*grid.Columns())[2].Title()->Font()->Name(), "Verdana");
  EXPECT_EQ(server.Font()->Height(), -13);
  RecordingCanvas canvas;
  grid.PaintCell(canvas, {}, 0, 1, 0);
  EXPECT_EQ(canvas.Calls().back().fontStyle, 0);
}

TEST_F(GridTest, ChangesOfTheRowsReachTheGridsSubscribersAtTheNextTurnOfTheLoop) {
  std::vector<std::string> changes;
  const Subscription watch =
      grid.Subscribe([&](Persistent&, std::string_view p) { changes.emplace_back(p); });
  rows.Changed();
  grid.Columns()->Add();
  setServer.SetRows(nullptr);
  rows.Changed();
  EXPECT_THAT(changes, ElementsAre("Columns"));
  EXPECT_EQ(grid.PendingRowChanges(), rcAll);
  EXPECT_EQ(grid.RowCount(), 0) << "what the grid answers is always current";
  EXPECT_EQ(grid.CellText(0, 1), "");
  EXPECT_EQ(desktop.RunPosted(), 1u);
  EXPECT_THAT(changes, ElementsAre("Columns", "Rows"));
  EXPECT_EQ(grid.PendingRowChanges(), 0u);
  EXPECT_EQ(desktop.RunPosted(), 0u);
}

TEST_F(GridTest, AGridOnNoWindowShowsEachChangeAtOnce) {
  TClientDataSet data;
  TDBGrid loose;
  loose.SetDataSet(&data);
  data.SetRows(&rows);
  std::vector<RowChanges> shown;
  const Subscription watch = loose.Subscribe([&](Persistent&, std::string_view p) {
    if (p == prop::Rows) shown.push_back(loose.ShownRowChanges());
  });
  rows.MoveTo(2);
  EXPECT_THAT(shown, ElementsAre(rcAll)) << "these rows do not say what changed";
}

TEST_F(GridTest, ChangesInsideAColumnReachTheGridAsAChangeOfItsColumns) {
  std::vector<std::string> changes;
  const Subscription watch =
      grid.Subscribe([&](Persistent&, std::string_view p) { changes.emplace_back(p); });
  (*grid.Columns())[1].Title()->SetCaption(" Server");
  (*grid.Columns())[2].SetWidth(80);
  grid.Columns()->Delete(0);
  EXPECT_THAT(changes, ElementsAre("Columns", "Columns", "Columns"));
  EXPECT_EQ(grid.Columns()->PropName(), "Columns");
  EXPECT_EQ((*grid.Columns())[0].Index(), 0);
  EXPECT_THROW(grid.Columns()->Item(5), Error);
}

TEST(DataSet, RowsDestroyedWhileAttachedReadAsDetached) {
  HeadlessDesktop desktop;
  TForm form(desktop);
  auto& setServer = form.Add<TClientDataSet>("setServer");
  auto& grid = form.Add<TDBGrid>("gridLink");
  grid.SetDataSet(&setServer);
  grid.Columns()->Add().SetFieldName("Name");
  {
    FakeRows rows;
    rows.rows = {{{"Name", "alpha"}}};
    setServer.SetRows(&rows);
    EXPECT_TRUE(setServer.Active());
    EXPECT_EQ(grid.RowCount(), 1);
  }
  EXPECT_FALSE(setServer.Active());
  EXPECT_EQ(grid.RowCount(), 0);
  EXPECT_EQ(grid.CellText(0, 0), "");
}

}  // namespace
}  // namespace lantervo
