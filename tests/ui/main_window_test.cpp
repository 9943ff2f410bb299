// The main window's grid painting and keys, as a front end meets them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/doubles/recording_canvas.h"
#include "tests/ui/main_form_fixture.h"

namespace lantervo::test {
namespace {

class MainWindowTest : public MainFormTest {
 protected:
  void SetStatus(const std::string& name, const std::string& status) {
    ServerTable& table = form->setServer;
    for (table.MoveFirst(); !table.AtEnd(); table.MoveNext())
      if (table.GetText("Name") == name) {
        table.BeginEdit();
        table.SetText("Status", status);
        table.PostRow();
        return;
      }
  }
  // Paints one cell of a row; answers the calls it made.
  std::vector<RecordingCanvas::Call> Paint(int row, int column, GridDrawState state = 0) {
    RecordingCanvas canvas;
    form->gridLink->PaintCell(canvas, Rect{10, 20, 26, 38}, row, column, state);
    return canvas.Calls();
  }
};

TEST_F(MainWindowTest, InactiveRowsArePaintedGrayInEveryColumnEvenWhenSelected) {
  AddServer({"Alpha", "http://alpha/", true});
  AddServer({"Bravo", "http://bravo/", false});
  for (int column = 0; column < 4; ++column) {
    for (GridDrawState state : {GridDrawState{0}, GridDrawState{gdSelected | gdFocused}}) {
      const auto calls = Paint(1, column, state);
      ASSERT_FALSE(calls.empty());
      EXPECT_EQ(calls[0].kind, RecordingCanvas::Call::Fill);
      EXPECT_EQ(calls[0].brush, 8421504) << column;
    }
    EXPECT_NE(Paint(0, column)[0].brush, 8421504) << column;
  }
  // The text is drawn after the fill, with the field's value.
  const auto name = Paint(1, 1);
  ASSERT_EQ(name.size(), 2u);
  EXPECT_EQ(name[1].text, "Bravo");
}

TEST_F(MainWindowTest, TheStatusIconFollowsTheExactStatusCode) {
  const std::vector<std::pair<std::string, int>> cases = {
      {"ERR_LOAD", 0}, {"CHECK", 1}, {"OK", 2}, {"ERR_RESP", 3}, {"ERR_SLOW", 3},
      {"OFFLINE", 4},  {"ok", -1},   {"", -1},  {"Ok", -1},      {"ERR", -1}};
  AddServer({"Alpha", "http://alpha/"});
  for (const auto& [status, index] : cases) {
    SetStatus("Alpha", status);
    const auto calls = Paint(0, 0);
    const auto image = std::find_if(calls.begin(), calls.end(), [](const auto& call) {
      return call.kind == RecordingCanvas::Call::Image;
    });
    if (index < 0) {
      EXPECT_EQ(image, calls.end()) << status;
      continue;
    }
    ASSERT_NE(image, calls.end()) << status;
    EXPECT_EQ(image->index, index) << status;
    EXPECT_EQ(image->images, form->imagelistStatus);
    EXPECT_EQ(image->rect, (Rect{10, 20, 26, 36})) << status;
  }
  // Only the first column carries the icon.
  SetStatus("Alpha", "OK");
  for (const auto& call : Paint(0, 2)) EXPECT_NE(call.kind, RecordingCanvas::Call::Image);
}

TEST_F(MainWindowTest, CtrlDeleteAndEveryKeyOfADisabledGridAreDiscarded) {
  AddServer({"Alpha", "http://alpha/"});
  AddServer({"Bravo", "http://bravo/"});
  form->setServer.MoveFirst();
  EXPECT_FALSE(form->gridLink->KeyDown(keys::kDelete, ssCtrl));
  EXPECT_EQ(form->setServer.RowCount(), 2);
  // Delete alone reaches the grid, which offers no deleting.
  EXPECT_TRUE(form->gridLink->KeyDown(keys::kDelete, 0));
  EXPECT_EQ(form->setServer.RowCount(), 2);
  form->gridLink->KeyDown(keys::kDown, 0);
  EXPECT_EQ(form->setServer.GetText("Name"), "Bravo");
  form->gridLink->SetEnabled(false);
  form->gridLink->KeyDown(keys::kUp, 0);
  EXPECT_EQ(form->setServer.GetText("Name"), "Bravo");
  form->gridLink->SetEnabled(true);
  form->gridLink->KeyDown(keys::kUp, 0);
  EXPECT_EQ(form->setServer.GetText("Name"), "Alpha");
}

TEST_F(MainWindowTest, ActionsStartWithTheirCaptionsShortcutsAndStates) {
  struct Expected {
    TAction* action;
    const char* caption;
    const char* shortCut;
    bool enabled;
  };
  const std::vector<Expected> table = {{form->actionQuit, "Quit", "Ctrl+Q", true},
                                       {form->actionShow, "Show", "", false},
                                       {form->actionHide, "Hide", "Ctrl+H", true},
                                       {form->actionLog, "Log", "Ctrl+L", true},
                                       {form->actionSettings, "Settings", "Ctrl+S", true},
                                       {form->actionLogClear, "Clear log", "", true},
                                       {form->actionServerDelete, "Delete", "Ctrl+R", true},
                                       {form->actionServerAdd, "Add", "Ctrl+N", true},
                                       {form->actionServerEdit, "Edit", "Ctrl+E", true},
                                       {form->actionServerActivate, "Activate", "Ctrl+A", true},
                                       {form->actionServerDeactivate, "Deactivate", "Ctrl+D", true},
                                       {form->actionServerActivateAll, "Activate all", "", true},
                                       {form->actionHelpContext, "Online help", "F1", true},
                                       {form->actionHelpAbout, "About", "", true}};
  for (const Expected& e : table) {
    EXPECT_EQ(e.action->Caption(), e.caption);
    EXPECT_EQ(ShortCutToText(e.action->GetShortCut()), e.shortCut) << e.caption;
    EXPECT_EQ(e.action->Enabled(), e.enabled) << e.caption;
  }
}

}  // namespace
}  // namespace lantervo::test
