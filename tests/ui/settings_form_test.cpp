// The settings dialog: its layout, what a show reads from the registry, the input rules and
// their box, what Save writes and in which order, a write that fails, Cancel, the autostart
// entry, and ApplyConfig's hot key, timer and language switch over the five windows.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/config_store.h"
#include "platform/autostart.h"
#include "platform/error.h"
#include "tests/ui/windows_fixture.h"

namespace lantervo::test {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

constexpr const char* kWriteFailure =
    "Unable to write configuration. Check registry access or make sure that you are running "
    "application as administrator if UAC is active.";

class SettingsFormTest : public WindowsTest {
 protected:
  void SetUp() override {
    WindowsTest::SetUp();
    PutConfig();
  }
  // The Settings command, then the dialog as the user finds it.
  void Open() {
    form->actionSettingsExecute(*form);
    ASSERT_TRUE(settings->Visible());
    ASSERT_FALSE(form->Enabled());
  }
  void Close() { settings->buttonCancel->Click(); }
  // Presses Save and answers whether the dialog closed.
  bool Save() {
    settings->buttonSave->Click();
    return !settings->Visible();
  }
  std::string LastBoxText() const {
    return desktop.MessageBoxes().empty() ? "(no box)" : desktop.MessageBoxes().back().text;
  }
  std::vector<std::string> ConfigWrites() const {
    std::vector<std::string> writes;
    for (const std::string& name : registry.WriteAttempts())
      if (name != platform::kAutostartValueName) writes.push_back(name);
    return writes;
  }
  platform::AutostartPlace Autostart() { return {&registry, dir.File("config")}; }
  // What another program, or this one from another path, left in the autostart place.
  void PutAutostart(const std::string& command) {
#ifdef _WIN32
    registry.PutString(platform::kRunKeyPath, platform::kAutostartValueName, command);
#else
    ASSERT_TRUE(platform::WriteAutostart(Autostart(), "placeholder"));
    dir.Write(std::string("config/autostart/") + platform::kAutostartEntryName,
              platform::DesktopEntryText(command));
#endif
  }
};

TEST_F(SettingsFormTest, LayoutTabOrderAndLists) {
  EXPECT_EQ(settings->Name(), "formSettings");
  EXPECT_EQ(settings->Caption(), "Application settings");
  // The general page is the dialog as it was before it had pages, inside the page frame; the
  // buttons sit below the pages.
  EXPECT_EQ(settings->ClientWidth(), 383 + 2 * TPageControl::kFrame);
  EXPECT_EQ(settings->ClientHeight(), 536);
  EXPECT_EQ(settings->GetBorderStyle(), bsSingle);
  EXPECT_EQ(settings->BorderIcons(), 0);
  EXPECT_EQ(settings->Left(), 0);
  EXPECT_EQ(settings->Top(), 0);
  EXPECT_FALSE(settings->Visible());
  EXPECT_EQ(settings->Font()->Height(), -11);
  EXPECT_EQ(settings->labelTitle->Font()->Height(), -19);
  EXPECT_EQ(settings->labelHotkey->Caption(), "CTRL + ALT + W");
  EXPECT_EQ(settings->buttonSave->Caption(), "Save && use");
  EXPECT_EQ(settings->labelHttps->Caption(), "Allow HTTPS");

  TPageControl& pages = *settings->pageSettings;
  ASSERT_EQ(pages.PageCount(), 2);
  EXPECT_EQ(pages.Page(0), settings->sheetGeneral);
  EXPECT_EQ(pages.Page(1), settings->sheetAdvanced);
  EXPECT_EQ(settings->sheetGeneral->Caption(), "General");
  EXPECT_EQ(settings->sheetAdvanced->Caption(), "Advanced");
  EXPECT_EQ(settings->sheetGeneral->Width(), 383);
  EXPECT_EQ(settings->sheetGeneral->Height(), 456);
  EXPECT_EQ(pages.ActivePageIndex(), 0);

  struct Place {
    TWinControl* control;
    TWinControl* page;
    int left, top, tabOrder;
  };
  TWinControl* general = settings->sheetGeneral;
  TWinControl* advanced = settings->sheetAdvanced;
  const std::vector<Place> places{{settings->editVerifyURL, general, 152, 64, 0},
                                  {settings->checkboxVerifyEnabled, general, 152, 91, 9},
                                  {settings->editCheckInterval, general, 152, 131, 2},
                                  {settings->editLogFile, general, 152, 171, 1},
                                  {settings->checkboxLogEnabled, general, 152, 198, 3},
                                  {settings->comboBalloonLevel, general, 152, 238, 7},
                                  {settings->checkboxAfterStart, general, 152, 278, 6},
                                  {settings->checkboxHotkeyEnabled, general, 152, 318, 8},
                                  {settings->comboLanguage, general, 152, 358, 10},
                                  {settings->checkboxUpdate, general, 152, 398, 11},
                                  {settings->checkboxHttps, advanced, 152, 24, 0},
                                  {settings->comboRetryCount, advanced, 152, 64, 1},
                                  {settings->checkboxNotifyOnChange, advanced, 152, 106, 2},
                                  {settings->editMetricsPort, advanced, 152, 144, 3},
                                  {settings->editMetricsAddress, advanced, 152, 184, 4},
                                  {settings->checkboxProxy, advanced, 152, 224, 5},
                                  {settings->comboCheckLanes, advanced, 152, 264, 6},
                                  {settings->buttonCancel, settings.get(), 152, 492, 5},
                                  {settings->buttonSave, settings.get(), 270, 492, 4}};
  for (const Place& place : places) {
    SCOPED_TRACE(place.control->Name());
    EXPECT_EQ(place.control->Parent(), place.page);
    EXPECT_EQ(place.control->Left(), place.left);
    EXPECT_EQ(place.control->Top(), place.top);
    EXPECT_EQ(place.control->TabOrder(), place.tabOrder);
  }
  EXPECT_EQ(settings->labelTitle->Parent(), general);
  EXPECT_EQ(settings->labelTitle->Left(), 96);
  EXPECT_EQ(settings->labelTitle->Top(), 16);
  EXPECT_THAT(
      settings->comboRetryCount->Items()->Lines(),
      ElementsAre("0 - Off", "1 - One more try", "2 - Two more tries", "3 - Three more tries"));
  EXPECT_EQ(settings->editVerifyURL->Text(), "http://");
  EXPECT_EQ(settings->editCheckInterval->Text(), "60");
  EXPECT_EQ(settings->editLogFile->Text(), "./Lantervo.log");

  EXPECT_EQ(settings->comboBalloonLevel->Style(), csDropDownList);
  EXPECT_EQ(settings->comboBalloonLevel->DropDownCount(), 5);
  EXPECT_THAT(settings->comboBalloonLevel->Items()->Lines(),
              ElementsAre("0 - Never", "1 - On load error ", "2 - On wrong response",
                          "3 - On slow load", "4 - On offline station", "", "", "", ""));
  // The catalogs this program carries, sorted.
  EXPECT_TRUE(settings->comboLanguage->Sorted());
  EXPECT_EQ(settings->comboLanguage->DropDownCount(), 2);
  EXPECT_THAT(settings->comboLanguage->Items()->Lines(), ElementsAre("cs", "en"));
}

// Every value the dialog shows has a control of a kind that can show it.
TEST_F(SettingsFormTest, EveryShownValueHasAFittingControl) {
  for (const ConfigValue* value : ConfigValuesBy(&ConfigValue::dialogOrder)) {
    Component& control = settings->ControlOf(*value);
    const bool box = dynamic_cast<TCheckBox*>(&control) != nullptr;
    const bool isOnOff = value->type == ConfigType::Bool || value->type == ConfigType::Switch;
    EXPECT_EQ(box, isOnOff) << value->name << " in " << value->control;
    EXPECT_TRUE(box || dynamic_cast<TEdit*>(&control) || dynamic_cast<TComboBox*>(&control))
        << value->control;
  }
}

TEST_F(SettingsFormTest, ShowFillsEveryControlFromTheRegistry) {
  Open();
  EXPECT_EQ(settings->editVerifyURL->Text(), "http://verify.test/");
  EXPECT_TRUE(settings->checkboxVerifyEnabled->Checked());
  EXPECT_TRUE(settings->editVerifyURL->Enabled());
  EXPECT_EQ(settings->editCheckInterval->Text(), "120");
  EXPECT_EQ(settings->editLogFile->Text(), "/var/log/ltv.log");
  EXPECT_FALSE(settings->checkboxLogEnabled->Checked());
  EXPECT_FALSE(settings->editLogFile->Enabled());
  EXPECT_EQ(settings->comboBalloonLevel->ItemIndex(), 2);
  EXPECT_FALSE(settings->checkboxHotkeyEnabled->Checked());
  EXPECT_EQ(settings->comboLanguage->Text(), "en");
  EXPECT_TRUE(settings->checkboxUpdate->Checked());
  EXPECT_FALSE(settings->checkboxAfterStart->Checked());
  // Only reads: the dialog never writes while it is shown.
  EXPECT_THAT(registry.WriteAttempts(), IsEmpty());

  // The boxes switch their edits as the user clicks them.
  settings->checkboxVerifyEnabled->Click();
  EXPECT_FALSE(settings->editVerifyURL->Enabled());
  settings->checkboxLogEnabled->Click();
  EXPECT_TRUE(settings->editLogFile->Enabled());
}

TEST_F(SettingsFormTest, StoredValuesShowAsStoredAndOddOnesSelectNothing) {
  struct Case {
    std::string interval, balloon, language;
    std::int64_t balloonIndex;
    std::string languageShown;
  };
  for (const Case& c : std::vector<Case>{{" 60", "7", "CS", 7, "cs"},
                                         {"$3C", "$4", "en", 4, "en"},
                                         {"60", "9", "de", -1, ""},
                                         {"60", "-1", "", -1, ""}}) {
    SCOPED_TRACE(c.interval + " " + c.balloon + " " + c.language);
    registry.PutString(kKey, "CheckInterval", c.interval);
    registry.PutString(kKey, "BalloonLevel", c.balloon);
    registry.PutString(kKey, "Language", c.language);
    Open();
    EXPECT_EQ(settings->editCheckInterval->Text(), c.interval);
    EXPECT_EQ(settings->comboBalloonLevel->ItemIndex(), c.balloonIndex);
    EXPECT_EQ(settings->comboLanguage->Text(), c.languageShown);
    Close();
  }
}

TEST_F(SettingsFormTest, AValueThatFailsToReadLeavesItAndTheRestAsTheyWere) {
  Open();
  Close();
  registry.PutString(kKey, "VerifyURL", "http://changed/");
  registry.PutString(kKey, "LogFile", "/changed.log");
  registry.PutString(kKey, "LogEnabled", "1");  // a boolean stored as text
  registry.PutString(kKey, "BalloonLevel", "4");
  PutAutostart("\"" + executable + "\"");
  Open();
  EXPECT_EQ(settings->editVerifyURL->Text(), "http://changed/");
  EXPECT_EQ(settings->editLogFile->Text(), "/changed.log");
  EXPECT_EQ(settings->comboBalloonLevel->ItemIndex(), 2);
  EXPECT_FALSE(settings->checkboxAfterStart->Checked());
  // The failure ends in the application-wide handler, without a box.
  EXPECT_EQ(desktop.HandledErrors().size(), 1u);
  EXPECT_THAT(desktop.MessageBoxes(), IsEmpty());
  EXPECT_EQ(registry.OpenKeys(), 0);
}

struct ValidationCase {
  const char* name;
  bool verifyEnabled;
  std::string url;
  std::string interval;
  std::string errors;  // the box's lines after the heading; empty: accepted
};

class SettingsValidationTest : public SettingsFormTest,
                               public testing::WithParamInterface<ValidationCase> {};

TEST_P(SettingsValidationTest, BoxListsTheErrorsInOrderOrTheInputIsStoredAsTyped) {
  const ValidationCase& c = GetParam();
  Open();
  settings->checkboxVerifyEnabled->SetChecked(c.verifyEnabled);
  settings->editVerifyURL->SetText(c.url);
  settings->editCheckInterval->SetText(c.interval);
  if (c.errors.empty()) {
    ASSERT_TRUE(Save()) << LastBoxText();
    EXPECT_THAT(desktop.MessageBoxes(), IsEmpty());
    EXPECT_EQ(Stored("VerifyURL"), c.url);
    EXPECT_EQ(Stored("CheckInterval"), c.interval);
    EXPECT_TRUE(form->Enabled());
    return;
  }
  EXPECT_FALSE(Save());
  ASSERT_EQ(desktop.MessageBoxes().size(), 1u);
  const auto& box = desktop.MessageBoxes()[0];
  EXPECT_EQ(box.owner, "formSettings");
  EXPECT_EQ(box.caption, "Form error");
  EXPECT_EQ(box.text, "Correct the following errors:\r" + c.errors);
  EXPECT_EQ(box.icon, MessageBoxIcon::Warning);
  EXPECT_THAT(registry.WriteAttempts(), IsEmpty());
  EXPECT_FALSE(form->Enabled());
}

constexpr const char* kUrlLine = "Enter valid URL for verify\r";
constexpr const char* kIntervalLine = "Enter valid interval value\r";

INSTANTIATE_TEST_SUITE_P(
    Inputs, SettingsValidationTest,
    testing::Values(ValidationCase{"CapitalScheme", true, "HTTP://verify.test/", "60", kUrlLine},
                    ValidationCase{"ShorterThanTheScheme", true, "http:/", "60", kUrlLine},
                    ValidationCase{"Https", true, "https://verify.test/", "60", kUrlLine},
                    ValidationCase{"AnyUrlWhileVerifyIsOff", false, "ftp:", "60", ""},
                    ValidationCase{"SchemeAlone", true, "http://", "60", ""},
                    ValidationCase{"Zero", false, "http://", "0", kIntervalLine},
                    ValidationCase{"Negative", false, "http://", "-5", kIntervalLine},
                    ValidationCase{"Letters", false, "http://", "abc", kIntervalLine},
                    ValidationCase{"Empty", false, "http://", "", kIntervalLine},
                    ValidationCase{"TrailingBlank", false, "http://", "60 ", kIntervalLine},
                    ValidationCase{"TooLarge", false, "http://", "2147483648", kIntervalLine},
                    ValidationCase{"LeadingBlankKept", false, "http://", " 60", ""},
                    ValidationCase{"HexKept", false, "http://", "$3C", ""},
                    ValidationCase{"BothUrlFirst", true, "www.test", "x",
                                   std::string(kUrlLine) + kIntervalLine}),
    [](const testing::TestParamInfo<ValidationCase>& info) { return info.param.name; });

TEST_F(SettingsFormTest, SaveWritesTheValuesInOrderReloadsAndCloses) {
  Open();
  settings->editVerifyURL->SetText("http://other.test/");
  settings->checkboxVerifyEnabled->SetChecked(false);
  settings->editCheckInterval->SetText("$3C");
  settings->editLogFile->SetText("/tmp/new.log");
  settings->checkboxLogEnabled->SetChecked(true);
  settings->comboBalloonLevel->Select(4);
  settings->checkboxHotkeyEnabled->SetChecked(true);
  settings->checkboxUpdate->SetChecked(false);
  ASSERT_TRUE(Save()) << LastBoxText();
  EXPECT_THAT(ConfigWrites(),
              ElementsAre("VerifyURL", "VerifyEnabled", "CheckInterval", "LogFile", "LogEnabled",
                          "BalloonLevel", "HotkeyEnabled", "Language", "CheckUpdate",
                          "HttpsEnabled", "RetryCount", "NotifyOnChange", "MetricsPort",
                          "MetricsAddress", "ProxyEnabled", "CheckLanes"));
  EXPECT_EQ(Stored("VerifyURL"), "http://other.test/");
  EXPECT_EQ(Stored("VerifyEnabled"), "dword:0");
  EXPECT_EQ(Stored("CheckInterval"), "$3C");
  EXPECT_EQ(Stored("LogFile"), "/tmp/new.log");
  EXPECT_EQ(Stored("LogEnabled"), "dword:1");
  EXPECT_EQ(Stored("BalloonLevel"), "4");
  EXPECT_EQ(Stored("HotkeyEnabled"), "dword:1");
  EXPECT_EQ(Stored("Language"), "en");
  EXPECT_EQ(Stored("CheckUpdate"), "dword:0");
  EXPECT_EQ(Stored("HttpsEnabled"), "dword:0");
  EXPECT_EQ(registry.Get(kKey, "CheckInterval").value.nativeType, 1u);  // REG_SZ
  // AppConfig follows the registry at once.
  const AppConfig loaded = config.Snapshot();
  EXPECT_EQ(loaded.CheckInterval, 60);
  EXPECT_EQ(loaded.LogFile, "/tmp/new.log");
  EXPECT_EQ(loaded.BalloonLevel, 4);
  EXPECT_FALSE(loaded.CheckUpdate);
  EXPECT_TRUE(form->Enabled());
  EXPECT_EQ(registry.OpenKeys(), 0);
}

// The advanced page: what is stored shows, anything unusable shows as the default, and Save
// stores the choices as numbers and applies them at once.
TEST_F(SettingsFormTest, TheAdvancedPageShowsSavesAndAppliesItsOptIns) {
  Open();
  EXPECT_EQ(settings->comboRetryCount->ItemIndex(), 0);
  EXPECT_FALSE(settings->checkboxNotifyOnChange->Checked());
  settings->comboRetryCount->Select(2);
  settings->checkboxNotifyOnChange->Click();
  ASSERT_TRUE(Save()) << LastBoxText();
  EXPECT_EQ(Stored("RetryCount"), "dword:2");
  EXPECT_EQ(Stored("NotifyOnChange"), "dword:1");
  EXPECT_EQ(config.Snapshot().RetryCount, 2);
  EXPECT_TRUE(config.Snapshot().NotifyOnChange);

  registry.PutDWord(kKey, "RetryCount", 9);
  Open();
  EXPECT_EQ(settings->comboRetryCount->ItemIndex(), 0) << "out of range reads as off";
  EXPECT_TRUE(settings->checkboxNotifyOnChange->Checked());
  settings->buttonCancel->Click();
  EXPECT_EQ(Stored("RetryCount"), "dword:9") << "Cancel writes nothing";
}

// The first item is one lane; a missing or unusable value shows it, and saving stores the count.
TEST_F(SettingsFormTest, ChecksAtOnceShowsAndStoresTheLaneCount) {
  Open();
  ASSERT_EQ(settings->comboCheckLanes->Items()->Count(), 16);
  EXPECT_EQ(settings->comboCheckLanes->ItemIndex(), 0);
  settings->comboCheckLanes->Select(7);
  ASSERT_TRUE(Save()) << LastBoxText();
  EXPECT_EQ(Stored("CheckLanes"), "dword:8");
  EXPECT_EQ(config.Snapshot().CheckLanes, 8);
  registry.PutDWord(kKey, "CheckLanes", 17);
  Open();
  EXPECT_EQ(settings->comboCheckLanes->ItemIndex(), 0) << "out of range reads as one lane";
  settings->buttonCancel->Click();
}

// The port is a number the registry keeps as a DWORD; both fields are checked before anything
// is written.
TEST_F(SettingsFormTest, TheMetricsFieldsAreValidatedSavedAndShown) {
  Open();
  EXPECT_EQ(settings->editMetricsPort->Text(), "0");
  EXPECT_EQ(settings->editMetricsAddress->Text(), "");
  for (const char* bad : {"65536", "-1", "port"}) {
    settings->editMetricsPort->SetText(bad);
    EXPECT_FALSE(Save()) << bad;
    EXPECT_THAT(LastBoxText(), HasSubstr("Enter valid metrics port (0 to 65535)")) << bad;
  }
  settings->editMetricsPort->SetText("9180");
  settings->editMetricsAddress->SetText("example.test");
  EXPECT_FALSE(Save());
  EXPECT_THAT(LastBoxText(), HasSubstr("Enter valid metrics address (an IP address)"));
  EXPECT_EQ(Stored("MetricsPort"), "(missing)") << "nothing written while the form has errors";
  settings->editMetricsAddress->SetText("::1");
  ASSERT_TRUE(Save()) << LastBoxText();
  EXPECT_EQ(Stored("MetricsPort"), "dword:9180");
  EXPECT_EQ(Stored("MetricsAddress"), "::1");
  EXPECT_EQ(config.Snapshot().MetricsPort, 9180);
  EXPECT_EQ(config.Snapshot().MetricsAddress, "::1");
  Open();
  EXPECT_EQ(settings->editMetricsPort->Text(), "9180");
  EXPECT_EQ(settings->editMetricsAddress->Text(), "::1");
  settings->editMetricsPort->SetText("");
  ASSERT_TRUE(Save()) << LastBoxText();
  EXPECT_EQ(Stored("MetricsPort"), "dword:0") << "a blank port is none";
}

// Every opening starts on the general page; the tabs switch pages and only one shows.
TEST_F(SettingsFormTest, TabsSwitchPagesAndEveryOpeningStartsOnTheGeneralOne) {
  Open();
  TPageControl& pages = *settings->pageSettings;
  int changes = 0;
  pages.OnChange = [&](Component&) { ++changes; };
  pages.TabClicked(1);
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(settings->sheetAdvanced->Visible());
  EXPECT_FALSE(settings->sheetGeneral->Visible());
  pages.TabClicked(1);
  pages.TabClicked(7);
  EXPECT_EQ(changes, 1) << "the same tab again, or none, changes nothing";
  settings->buttonCancel->Click();
  Open();
  EXPECT_EQ(pages.ActivePageIndex(), 0);
  EXPECT_TRUE(settings->sheetGeneral->Visible());
  EXPECT_FALSE(settings->sheetAdvanced->Visible());
}

TEST_F(SettingsFormTest, AllowHttpsShowsSavesAndLetsTheVerifyUrlBeHttps) {
  Open();
  EXPECT_FALSE(settings->checkboxHttps->Checked());  // no value stored: off
  settings->editVerifyURL->SetText("https://verify.test/");
  EXPECT_FALSE(Save());
  EXPECT_EQ(LastBoxText(), "Correct the following errors:\rEnter valid URL for verify\r");
  // The box counts as it will be saved.
  settings->checkboxHttps->Click();
  ASSERT_TRUE(Save()) << LastBoxText();
  EXPECT_EQ(Stored("HttpsEnabled"), "dword:1");
  EXPECT_EQ(Stored("VerifyURL"), "https://verify.test/");
  EXPECT_TRUE(config.Snapshot().HttpsEnabled);
  Open();
  EXPECT_TRUE(settings->checkboxHttps->Checked());
  settings->editVerifyURL->SetText("HTTPS://verify.test/");
  EXPECT_FALSE(Save());
  Close();
  // A stray value of another type shows as off.
  registry.PutString(kKey, "HttpsEnabled", "1");
  Open();
  EXPECT_FALSE(settings->checkboxHttps->Checked());
  Close();
}

TEST_F(SettingsFormTest, TheEmptyBalloonItemsStoreFiveToEightAndNoneStoresMinusOne) {
  for (int index : {5, 6, 7, 8, -1}) {
    Open();
    settings->comboBalloonLevel->Select(index);
    ASSERT_TRUE(Save()) << LastBoxText();
    EXPECT_EQ(Stored("BalloonLevel"), std::to_string(index));
    EXPECT_EQ(config.Snapshot().BalloonLevel, index);
  }
}

TEST_F(SettingsFormTest, AnUnknownLanguageSelectsNothingAndIsSavedEmpty) {
  registry.PutString(kKey, "Language", "de");
  Open();
  EXPECT_EQ(settings->comboLanguage->ItemIndex(), -1);
  ASSERT_TRUE(Save()) << LastBoxText();
  EXPECT_EQ(Stored("Language"), "");
  EXPECT_EQ(config.Snapshot().Language, "");
  // The language then comes from the environment, here English.
  EXPECT_EQ(TextInstance().Language(), "en");
}

TEST_F(SettingsFormTest, AFailedWriteWarnsAndStillReloadsAppliesAndCloses) {
  Open();
  settings->editVerifyURL->SetText("http://written.test/");
  settings->editCheckInterval->SetText("90");
  settings->editLogFile->SetText("/not/written.log");
  settings->checkboxAfterStart->SetChecked(true);
  registry.FailWritesAfter(3);
  ASSERT_TRUE(Save());
  ASSERT_EQ(desktop.MessageBoxes().size(), 1u);
  EXPECT_EQ(desktop.MessageBoxes()[0].caption, "Form error");
  EXPECT_EQ(desktop.MessageBoxes()[0].text, kWriteFailure);
  EXPECT_EQ(desktop.MessageBoxes()[0].icon, MessageBoxIcon::Warning);
  // The fourth write failed and none followed it.
  EXPECT_THAT(ConfigWrites(),
              ElementsAre("VerifyURL", "VerifyEnabled", "CheckInterval", "LogFile"));
  EXPECT_EQ(Stored("LogFile"), "/var/log/ltv.log");
  const AppConfig loaded = config.Snapshot();
  EXPECT_EQ(loaded.VerifyURL, "http://written.test/");
  EXPECT_EQ(loaded.CheckInterval, 90);
  EXPECT_EQ(loaded.LogFile, "/var/log/ltv.log");
  EXPECT_EQ(form->timerCheck->Interval(), 90000u);
  EXPECT_TRUE(form->Enabled());
  EXPECT_EQ(registry.OpenKeys(), 0);
}

TEST_F(SettingsFormTest, AKeyThatCannotBeOpenedWarnsThenTheFailedReloadKeepsTheDialogOpen) {
  Open();
  registry.FailOpen(true);
  desktop.Dispatch([&] { settings->buttonSave->Click(); });
  ASSERT_EQ(desktop.MessageBoxes().size(), 1u);
  EXPECT_EQ(desktop.MessageBoxes()[0].text, kWriteFailure);
  // A key that cannot be opened reads as one without values: the reload fails.
  EXPECT_EQ(desktop.HandledErrors().size(), 1u);
  EXPECT_TRUE(settings->Visible());
  EXPECT_FALSE(form->Enabled());
  Close();
  EXPECT_TRUE(form->Enabled());
}

TEST_F(SettingsFormTest, CancelLeavesRegistryAndConfigUnchangedAndTheNextShowRereads) {
  LoadConfig(registry, config);
  const AppConfig before = config.Snapshot();
  Open();
  settings->editVerifyURL->SetText("http://edited/");
  settings->editCheckInterval->SetText("5");
  settings->comboLanguage->Select(0);
  settings->checkboxAfterStart->SetChecked(true);
  Close();
  EXPECT_FALSE(settings->Visible());
  EXPECT_TRUE(form->Enabled());
  EXPECT_THAT(registry.WriteAttempts(), IsEmpty());
  EXPECT_EQ(platform::ReadAutostartCommand(Autostart()), "");
  const AppConfig after = config.Snapshot();
  EXPECT_EQ(after.VerifyURL, before.VerifyURL);
  EXPECT_EQ(after.CheckInterval, before.CheckInterval);
  EXPECT_EQ(after.Language, before.Language);
  Open();
  EXPECT_EQ(settings->editVerifyURL->Text(), "http://verify.test/");
  EXPECT_EQ(settings->editCheckInterval->Text(), "120");
  EXPECT_EQ(settings->comboLanguage->Text(), "en");
  EXPECT_FALSE(settings->checkboxAfterStart->Checked());
}

TEST_F(SettingsFormTest, AutostartBoxIsCheckedOnlyForThisExactPath) {
  std::string upper = executable;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  struct Case {
    std::string command;
    bool checked;
  };
  for (const Case& c : std::vector<Case>{{"\"" + executable + "\"", true},
                                         {executable, true},
                                         {"\"" + upper + "\"", false},
                                         {"\"" + executable + "\" --minimized", false},
                                         {"\"/elsewhere/Lantervo.exe\"", false}}) {
    SCOPED_TRACE(c.command);
    PutAutostart(c.command);
    Open();
    EXPECT_EQ(settings->checkboxAfterStart->Checked(), c.checked);
    Close();
  }
}

TEST_F(SettingsFormTest, SavingWritesTheQuotedPathOrRemovesAnyEntry) {
  Open();
  settings->checkboxAfterStart->SetChecked(true);
  ASSERT_TRUE(Save());
  EXPECT_EQ(platform::ReadAutostartCommand(Autostart()), "\"" + executable + "\"");
#ifdef _WIN32
  // After the configuration values.
  EXPECT_EQ(registry.WriteAttempts().back(), platform::kAutostartValueName);
#endif

  // Another copy's entry goes too when the box is off.
  PutAutostart("\"/another/copy/Lantervo.exe\"");
  Open();
  EXPECT_FALSE(settings->checkboxAfterStart->Checked());
  ASSERT_TRUE(Save());
  EXPECT_EQ(platform::ReadAutostartCommand(Autostart()), "");
}

TEST_F(SettingsFormTest, HotKeyOffUnregistersAndOnAgainRegistersTheSameAtom) {
  Open();
  settings->checkboxHotkeyEnabled->SetChecked(true);
  ASSERT_TRUE(Save());
  const int atom = form->HotkeyAtom;
  ASSERT_GT(atom, 0);
  EXPECT_EQ(desktop.Atoms().at("HotkeyShow"), atom);
  ASSERT_EQ(desktop.HotKeyCalls().size(), 1u);
  EXPECT_TRUE(desktop.HotKeyCalls()[0].registering);
  EXPECT_EQ(desktop.HotKeyCalls()[0].window, "MainForm");
  EXPECT_EQ(desktop.HotKeyCalls()[0].modifiers, 3u);
  EXPECT_EQ(desktop.HotKeyCalls()[0].virtualKey, 0x57u);

  Open();
  settings->checkboxHotkeyEnabled->SetChecked(false);
  ASSERT_TRUE(Save());
  EXPECT_EQ(form->HotkeyAtom, atom);
  ASSERT_EQ(desktop.HotKeyCalls().size(), 2u);
  EXPECT_FALSE(desktop.HotKeyCalls()[1].registering);
  EXPECT_EQ(desktop.HotKeyCalls()[1].id, atom);
  EXPECT_FALSE(desktop.PressHotKey(3, 0x57));

  Open();
  settings->checkboxHotkeyEnabled->SetChecked(true);
  ASSERT_TRUE(Save());
  ASSERT_EQ(desktop.HotKeyCalls().size(), 4u);
  EXPECT_FALSE(desktop.HotKeyCalls()[2].registering);
  EXPECT_TRUE(desktop.HotKeyCalls()[3].registering);
  EXPECT_EQ(desktop.HotKeyCalls()[3].id, atom);
  EXPECT_TRUE(desktop.PressHotKey(3, 0x57));
}

TEST_F(SettingsFormTest, TimerRestartsOnlyForAChangedIntervalAndStaysOffWhenOff) {
  form->timerCheck->SetInterval(120000);
  form->timerCheck->SetEnabled(true);
  desktop.Advance(20000);
  Open();
  ASSERT_TRUE(Save());  // the same 120 seconds
  EXPECT_EQ(desktop.NextTimerDue(), 100000);
  Open();
  settings->editCheckInterval->SetText("60");
  ASSERT_TRUE(Save());
  EXPECT_EQ(form->timerCheck->Interval(), 60000u);
  EXPECT_EQ(desktop.NextTimerDue(), 60000);

  // A run in progress keeps the timer off; the new interval waits for it.
  form->timerCheck->SetEnabled(false);
  Open();
  settings->editCheckInterval->SetText("30");
  ASSERT_TRUE(Save());
  EXPECT_FALSE(form->timerCheck->Enabled());
  EXPECT_EQ(form->timerCheck->Interval(), 30000u);
  EXPECT_EQ(desktop.NextTimerDue(), -1);
}

TEST_F(SettingsFormTest, SwitchingToCzechRetranslatesAllFiveWindowsAndBackAgain) {
  update->ShowVersions("0.9.19", "0.9.20");
  update->Hide();
  Open();
  settings->comboLanguage->Select(settings->comboLanguage->Items()->IndexOf("cs"));
  ASSERT_TRUE(Save()) << LastBoxText();
  EXPECT_EQ(Stored("Language"), "cs");
  EXPECT_EQ(form->actionSettings->Caption(), "Nastavení");
  EXPECT_EQ(servers->labelName->Caption(), "Název serveru");
  EXPECT_EQ(settings->Caption(), "Nastavení aplikace");
  EXPECT_EQ(settings->labelLanguage->Caption(), "Jazyk");
  EXPECT_EQ(settings->buttonCancel->Caption(), "Zrušit");
  EXPECT_EQ(settings->comboBalloonLevel->Items()->Lines()[0], "0 - Nikdy");
  EXPECT_EQ(settings->comboBalloonLevel->Items()->Count(), 9);
  EXPECT_EQ(settings->comboBalloonLevel->Items()->Lines()[8], "");
  // Restored and retranslated: no item selected until the next show.
  EXPECT_EQ(settings->comboBalloonLevel->ItemIndex(), -1);
  EXPECT_EQ(about->Caption(), "O programu");
  EXPECT_EQ(update->Caption(), "Je dostupná nová verze");
  EXPECT_EQ(update->buttonClose->Caption(), "Zavřít");
  // Set at run time, so a switch puts back the design-time text.
  EXPECT_EQ(update->labelVersionLastest->Caption(), "-");

  Open();
  EXPECT_EQ(settings->comboBalloonLevel->ItemIndex(), 2);
  settings->comboLanguage->Select(settings->comboLanguage->Items()->IndexOf("en"));
  ASSERT_TRUE(Save()) << LastBoxText();
  EXPECT_EQ(form->actionSettings->Caption(), "Settings");
  EXPECT_EQ(settings->labelLanguage->Caption(), "Language");
  EXPECT_EQ(settings->comboBalloonLevel->Items()->Lines()[1], "1 - On load error ");
  EXPECT_EQ(about->Caption(), "About");
  EXPECT_EQ(update->Caption(), "New version available");
}

}  // namespace
}  // namespace lantervo::test
