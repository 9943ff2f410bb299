#pragma once
// The main window with its server dialog, the list file in the temporary folder, and a reader
// of what the file holds.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "i18n/gettext.h"
#include "tests/support/english_texts.h"
#include "tests/ui/main_form_fixture.h"
#include "ui/server_form.h"

namespace lantervo::test {

class ServerDialogTest : public MainFormTest {
 protected:
  void SetUp() override {
    MainFormTest::SetUp();
    // Texts in English whatever the machine's language; the Czech test switches this one.
    previousInstance_ = InstallEnglishTexts();
    dialog = std::make_unique<TFormServers>(desktop);
    dialog->mainForm = form.get();
    form->formServers = dialog.get();
    form->setServer.FileName = dir.File("LTV.xml");
  }
  void TearDown() override {
    form->formServers = nullptr;
    dialog.reset();
    InstallTextInstance(previousInstance_);
  }

  struct SavedRow {
    std::string name;
    bool active;
    bool operator==(const SavedRow&) const = default;
    friend void PrintTo(const SavedRow& row, std::ostream* out) {
      *out << "{" << row.name << ", " << row.active << "}";
    }
  };
  // The rows of the list file as a fresh start would read them.
  std::vector<SavedRow> SavedRows() {
    ServerTable saved;
    saved.FileName = dir.File("LTV.xml");
    saved.OpenList();
    std::vector<SavedRow> rows;
    for (saved.MoveFirst(); !saved.AtEnd(); saved.MoveNext())
      rows.push_back({saved.GetText("Name"), saved.GetBool("Active")});
    return rows;
  }

  // Moves the table's cursor to the row of this name.
  void Select(const std::string& name) {
    ServerTable& table = form->setServer;
    for (int i = 0; i < table.RowCount(); ++i)
      if (table.TextAt(i, "Name") == name) return table.MoveTo(i);
    FAIL() << "no row " << name;
  }

  std::unique_ptr<TFormServers> dialog;

 private:
  std::shared_ptr<TGnuGettextInstance> previousInstance_;
};

}  // namespace lantervo::test
