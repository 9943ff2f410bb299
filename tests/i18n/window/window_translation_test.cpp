// Window translation over a window built from the toolkit, with catalogs written for the test.
#include "i18n/window/window_translation.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/error.h"
#include "tests/i18n/window/test_window.h"

namespace lantervo {
namespace {

using test::Catalogs;
using test::TestWindow;
using ::testing::ElementsAre;

const test::Catalog kCzech = {
    {"Application settings", "Nastavení aplikace"},
    {"Verify URL", "Ověřovací URL"},
    {"Current version", "Aktuální verze"},
    {"Save && use", "Uložit && použít"},
    {"Cancel", "Zrušit"},
    {"Hide warning", "Skrýt varování"},
    {"0 - Never", "0 - Nikdy"},
    {"1 - On load error ", "1 - Při chybě načtení"},
    {"2 - On wrong response", "2 - Při chybné odpovědi"},
    {"3 - On slow load", "3 - Při pomalém načtení"},
    {"4 - On offline station", "4 - Při odpojení"},
    {"  Server", " Server"},
    {"  Description", " Popis stavu"},
    {"Status", "Stav"},
    {"Url", "URL"},
    {"Name", "Název"},
    {"Add", "Přidat"},
    {"Servers", "Servery"},
};
const test::Catalog kGerman = {
    {"Application settings", "Anwendungseinstellungen"},
    {"Cancel", "Abbrechen"},
    {"Status", "Zustand"},
    {"Add", "Hinzufügen"},
    {"0 - Never", "0 - Nie"},
};
const test::Catalog kEnglish = {{"Cancel", "Cancel"}, {"Status", "Status"}};

class WindowTranslationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    catalogs_.Put("cs", kCzech);
    catalogs_.Put("de", kGerman);
    catalogs_.Put("en", kEnglish);
    catalogs_.RegisterSystemRules();
  }
  void TearDown() override { TP_GlobalRemoveClassHandlers(); }
  TGnuGettextInstance& Gt() { return catalogs_.Instance(); }
  void Switch(const char* code) { Gt().SwitchLanguage(code); }
  void Translate() { TranslateComponent(w_.form, Gt()); }
  void Retranslate() { RetranslateComponent(w_.form, Gt()); }
  TranslationMarker& Marker() { return *w_.form.Find<TranslationMarker>(); }
  bool Remembered(const Persistent* object, std::string_view property) {
    for (const auto& e : Marker().Entries())
      if (e.object == object && e.property == property) return true;
    return false;
  }

  Catalogs catalogs_;
  HeadlessDesktop desktop_;
  TestWindow w_{desktop_};
};

TEST_F(WindowTranslationTest, TranslatesTheWindowsTextsButNeverItsIdentifiers) {
  Switch("cs");
  Translate();
  EXPECT_EQ(w_.form.Caption(), "Nastavení aplikace");
  EXPECT_EQ(w_.labelVerify->Caption(), "Ověřovací URL");
  EXPECT_EQ(w_.buttonSave->Caption(), "Uložit && použít");
  EXPECT_EQ(w_.buttonWarning->Hint(), "Skrýt varování");
  EXPECT_EQ(w_.trayIcon->Hint(), "Skrýt varování");
  EXPECT_EQ(w_.menuServers->Caption(), "Servery");
  EXPECT_EQ(w_.actionServerAdd->Caption(), "Přidat");
  EXPECT_EQ(w_.itemAdd->Caption(), "Přidat");
  // Item lists line by line: empty lines stay empty, and a line's trailing blank belongs to its id.
  EXPECT_THAT(w_.comboBalloonLevel->Items()->Lines(),
              ElementsAre("0 - Nikdy", "1 - Při chybě načtení", "2 - Při chybné odpovědi",
                          "3 - Při pomalém načtení", "4 - Při odpojení", "", "", "", ""));
  // Grid titles and display labels follow the language; field names and definitions do not.
  const TDBGridColumns& columns = *w_.gridLink->Columns();
  EXPECT_EQ(columns[1].Title()->DisplayCaption(), " Server");
  EXPECT_EQ(columns[2].Title()->DisplayCaption(), "Stav");
  EXPECT_EQ(columns[3].Title()->DisplayCaption(), " Popis stavu");
  EXPECT_EQ(columns[2].FieldName(), "Status");
  EXPECT_EQ(w_.fieldStatus->DisplayLabel(), "Stav");
  EXPECT_EQ(w_.fieldStatus->FieldName(), "Status");
  EXPECT_EQ(w_.fieldName->FieldName(), "Name");
  EXPECT_EQ(w_.fieldName->DisplayLabel(), "Název");
  EXPECT_EQ(w_.fieldUrl->FieldName(), "Url");
  EXPECT_EQ(w_.fieldUrl->Origin(), "Url");
  EXPECT_EQ(w_.fieldUrl->KeyFields(), "Status");
  EXPECT_EQ(static_cast<TFieldDef*>(w_.setServer->FieldDefs()->Item(1))->Name(), "Status");
  EXPECT_EQ(static_cast<TParam*>(w_.setServer->Params()->Item(0))->Name(), "Status");
  EXPECT_EQ(static_cast<TParam*>(w_.setServer->Params()->Item(0))->Value(), "Url");
  EXPECT_EQ(w_.buttonCancel->Name(), "Cancel");
  EXPECT_EQ(w_.buttonCancel->Caption(), "Zrušit");
  // Texts that are not catalog entries stay.
  EXPECT_EQ(w_.editVerifyURL->Text(), "http://");
  EXPECT_FALSE(Remembered(w_.gridLink->Columns(), "PropName"));
  EXPECT_FALSE(Remembered(w_.fieldStatus, "FieldName"));
  EXPECT_FALSE(Remembered(w_.statusBar, "SimpleText"));  // empty at design time
  EXPECT_FALSE(Remembered(w_.comboLanguage, "Items"));
  EXPECT_EQ(Marker().Language(), "cs");
  const auto& first = Marker().Entries().front();
  EXPECT_EQ(first.object, &w_.form);
  EXPECT_EQ(first.property, "Caption");
  EXPECT_EQ(first.source, "Application settings");
}

TEST_F(WindowTranslationTest, SwitchingTwiceAndBackTranslatesFromTheSourceTextsEachTime) {
  Switch("cs");
  Translate();
  Switch("de");
  Retranslate();
  EXPECT_EQ(w_.form.Caption(), "Anwendungseinstellungen");
  EXPECT_EQ(w_.labelVerify->Caption(), "Verify URL");  // not in German: the source, not the Czech
  EXPECT_EQ(w_.itemAdd->Caption(), "Hinzufügen");
  EXPECT_EQ((*w_.gridLink->Columns())[2].Title()->DisplayCaption(), "Zustand");
  EXPECT_EQ((*w_.comboBalloonLevel->Items())[0], "0 - Nie");
  EXPECT_EQ((*w_.comboBalloonLevel->Items())[1], "1 - On load error ");
  EXPECT_EQ(w_.comboBalloonLevel->Items()->Count(), 9);
  Switch("en");
  Retranslate();
  EXPECT_EQ(w_.form.Caption(), "Application settings");
  EXPECT_EQ(w_.buttonCancel->Caption(), "Cancel");
  EXPECT_EQ(w_.fieldStatus->DisplayLabel(), "Status");
  Switch("cs");
  Retranslate();
  EXPECT_EQ(w_.buttonCancel->Caption(), "Zrušit");
  EXPECT_EQ(w_.labelVerify->Caption(), "Ověřovací URL");
  EXPECT_EQ((*w_.comboBalloonLevel->Items())[4], "4 - Při odpojení");
  EXPECT_EQ(w_.fieldStatus->FieldName(), "Status");
  EXPECT_EQ(Marker().Language(), "cs");
}

TEST_F(WindowTranslationTest, TextsSetAtRunTimeRevertOnlyWhereADesignTimeTextWasRemembered) {
  Switch("cs");
  Translate();
  w_.labelVersion->SetCaption("0.9.19");
  w_.statusBar->SetSimpleText("Completed");
  w_.comboBalloonLevel->SetItemIndex(2);
  Retranslate();  // same language: nothing happens
  EXPECT_EQ(w_.labelVersion->Caption(), "0.9.19");
  EXPECT_EQ(w_.comboBalloonLevel->ItemIndex(), 2);
  Switch("en");
  Retranslate();
  EXPECT_EQ(w_.labelVersion->Caption(), "Current version");
  EXPECT_EQ(w_.statusBar->SimpleText(), "Completed");  // set at run time, never remembered
  EXPECT_EQ(w_.comboBalloonLevel->ItemIndex(), -1);    // the list was rebuilt
}

TEST_F(WindowTranslationTest, ASecondTranslateAfterASwitchShowsTheErrorBoxAndTranslatesNothing) {
  Switch("cs");
  Translate();
  const std::size_t remembered = Marker().Entries().size();
  Translate();  // same language: no box
  EXPECT_TRUE(desktop_.MessageBoxes().empty());
  Switch("de");
  Translate();
  ASSERT_EQ(desktop_.MessageBoxes().size(), 1u);
  EXPECT_EQ(desktop_.MessageBoxes()[0].caption, "Error");
  EXPECT_THAT(desktop_.MessageBoxes()[0].text, ::testing::HasSubstr("RetranslateComponent"));
  EXPECT_EQ(w_.form.Caption(), "Nastavení aplikace");
  EXPECT_EQ(Marker().Entries().size(), remembered);
  EXPECT_EQ(Marker().Language(), "de");
  Retranslate();  // the language is recorded already: nothing to do
  EXPECT_EQ(w_.form.Caption(), "Nastavení aplikace");
}

TEST_F(WindowTranslationTest, RetranslateWithoutTranslateFails) {
  try {
    Retranslate();
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(
        e.what(),
        "Retranslate was called on an object that has not been translated before. Please use "
        "TranslateComponent() before RetranslateComponent().");
  }
}

// A label with a property that cannot be written (or read) in some state.
class TFragileLabel : public TLabel {
  LANTERVO_CLASS()

 public:
  bool failRead = false;
  const std::string& Note() const {
    if (failRead) throw Error("Cannot read the note now");
    return note_;
  }
  void SetNote(const std::string& note) {
    if (note != note_) throw Error("Cannot perform this operation on an open dataset");
  }
  std::string note_ = "Status";
};

const ClassInfo& TFragileLabel::StaticClass() {
  static const ClassInfo info(
      "TFragileLabel", &TLabel::StaticClass(),
      {props::Text<TFragileLabel>(prop::Note, &TFragileLabel::Note, &TFragileLabel::SetNote)});
  return info;
}

TEST_F(WindowTranslationTest, APropertyThatCannotBeWrittenOrReadFailsWithTheFullMessage) {
  auto& fragile = w_.form.Add<TFragileLabel>("labelFragile");
  Switch("cs");
  try {
    Translate();
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(
        std::string(e.what()),
        "Property cannot be translated.\r\n"
        "Add TP_GlobalIgnoreClassProperty(TFragileLabel,'Note') to your source code or use\r\n"
        "TP_Ignore (self,'.Note') to prevent this message.\r\n"
        "Reason: Cannot perform this operation on an open dataset");
  }
  EXPECT_EQ(fragile.Note(), "Status");
  HeadlessDesktop other;
  TestWindow second(other);
  second.form.Add<TFragileLabel>("labelFragile").failRead = true;
  EXPECT_THAT(
      [&] { TranslateComponent(second.form, Gt()); },
      ::testing::ThrowsMessage<Error>(::testing::HasSubstr("Reason: Cannot read the note now")));
  // With the ignore rule the same window translates.
  TP_GlobalIgnoreClassProperty(TFragileLabel::StaticClass(), "note", Gt());
  TestWindow third(other);
  third.form.Add<TFragileLabel>("labelFragile").failRead = true;
  TranslateComponent(third.form, Gt());
  EXPECT_EQ(third.form.Caption(), "Nastavení aplikace");
}

TEST_F(WindowTranslationTest, ARuleForAClassCoversItsDescendantsAndAWholeClassEverythingBelowIt) {
  TP_GlobalIgnoreClassProperty(TControl::StaticClass(), "HINT", Gt());
  TP_GlobalIgnoreClass(TDBGrid::StaticClass(), Gt());
  Switch("cs");
  Translate();
  EXPECT_EQ(w_.buttonWarning->Hint(), "Hide warning");
  EXPECT_EQ(w_.trayIcon->Hint(), "Skrýt varování");  // not a control
  EXPECT_EQ((*w_.gridLink->Columns())[1].Title()->DisplayCaption(), "  Server");
  EXPECT_EQ(w_.fieldStatus->DisplayLabel(), "Stav");  // the field is the window's, not the grid's
}

TEST_F(WindowTranslationTest, IgnoreListMessages) {
  // The system's rules already list TParam whole.
  EXPECT_THAT(
      [&] { TP_GlobalIgnoreClass(TParam::StaticClass(), Gt()); },
      ::testing::ThrowsMessage<Error>(::testing::StrEq(
          "You cannot add a class to the ignore list that is already on that list: TParam. You "
          "should keep all TP_Global functions in one place in your source code.")));
  TP_GlobalHandleClass(TStatusBar::StaticClass(), [](Persistent&, const auto&) {});
  EXPECT_THAT([&] { TP_GlobalIgnoreClassProperty(TStatusBar::StaticClass(), "SimpleText", Gt()); },
              ::testing::ThrowsMessage<Error>(::testing::StrEq(
                  "You cannot ignore a class property for a class that has a handler set.")));
}

TEST_F(WindowTranslationTest, AHandledClassIsTranslatedByItsHandlerInstead) {
  TP_GlobalHandleClass(TSpeedButton::StaticClass(), [](Persistent& object, const auto& translate) {
    auto& button = static_cast<TSpeedButton&>(object);
    button.SetCaption(translate("Add"));
  });
  Switch("cs");
  Translate();
  EXPECT_EQ(w_.buttonWarning->Caption(), "Přidat");
  EXPECT_EQ(w_.buttonWarning->Hint(), "Hide warning");
  EXPECT_FALSE(Remembered(w_.buttonWarning, "Hint"));
}

TEST_F(WindowTranslationTest, ComponentsWithTheirOwnMarkerAreSkippedAndRetranslatedThroughIt) {
  Switch("cs");
  TranslateComponent(*w_.panelHeader, Gt());
  EXPECT_EQ(w_.labelHeader->Caption(), "Přidat");
  Translate();
  EXPECT_FALSE(Remembered(w_.panelHeader, "Caption"));
  EXPECT_FALSE(Remembered(w_.labelHeader, "Caption"));
  // A component that got a marker of its own after the window was translated: the window's
  // entries for it go through that marker, whose source is what it showed then.
  TranslateComponent(*w_.actionServerAdd, Gt());
  Switch("de");
  Retranslate();
  EXPECT_EQ(w_.actionServerAdd->Caption(), "Přidat");
  EXPECT_EQ(w_.actionServerAdd->Find<TranslationMarker>()->Language(), "de");
  EXPECT_EQ(w_.panelHeader->Caption(), "Servery");  // not the window's to retranslate
  RetranslateComponent(*w_.panelHeader, Gt());
  EXPECT_EQ(w_.labelHeader->Caption(), "Hinzufügen");
}

TEST_F(WindowTranslationTest, EntriesOfDestroyedObjectsArePassedOver) {
  Switch("cs");
  Translate();
  w_.form.RemoveComponent(*w_.buttonSave);
  Switch("en");
  Retranslate();
  EXPECT_EQ(w_.form.Caption(), "Application settings");
}

TEST_F(WindowTranslationTest, TheFreeFunctionsUseTheProcesssInstance) {
  auto previous = InstallTextInstance(catalogs_.Shared());
  Switch("cs");
  TranslateComponent(w_.form);
  EXPECT_EQ(w_.form.Caption(), "Nastavení aplikace");
  Switch("de");
  RetranslateComponent(w_.form);
  EXPECT_EQ(w_.form.Caption(), "Anwendungseinstellungen");
  TP_GlobalIgnoreClass(TEdit::StaticClass());
  EXPECT_THROW(TP_GlobalIgnoreClass(TEdit::StaticClass()), Error);
  InstallTextInstance(previous);
}

}  // namespace
}  // namespace lantervo
