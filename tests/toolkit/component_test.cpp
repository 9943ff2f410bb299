// The component model: classes, published properties, notifications, ownership, references.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/error.h"
#include "toolkit/actions.h"
#include "toolkit/dataset.h"
#include "toolkit/form.h"
#include "toolkit/headless_desktop.h"
#include "toolkit/menus.h"
#include "toolkit/std_controls.h"

namespace lantervo {
namespace {

using ::testing::ElementsAre;

std::vector<std::string> PropertyNames(const ClassInfo& cls) {
  std::vector<std::string> names;
  for (const PropertyInfo* p : cls.Properties()) names.push_back(p->name);
  return names;
}

TEST(ClassInfo, DescendantsInheritFromEveryAncestorByObjectOrName) {
  EXPECT_TRUE(TIntegerField::StaticClass().InheritsFrom(TField::StaticClass()));
  EXPECT_TRUE(TIntegerField::StaticClass().InheritsFrom("tcomponent"));
  EXPECT_TRUE(TFieldDefs::StaticClass().InheritsFrom("TCollection"));
  EXPECT_FALSE(TField::StaticClass().InheritsFrom(TIntegerField::StaticClass()));
  EXPECT_FALSE(TParam::StaticClass().InheritsFrom("TComponent"));
  TIntegerField field;
  EXPECT_EQ(&field.Class(), &TIntegerField::StaticClass());
  EXPECT_EQ(field.ClassName(), "TIntegerField");
}

TEST(ClassInfo, PropertiesComeAncestorsFirstInDeclarationOrderWithKinds) {
  EXPECT_THAT(PropertyNames(TFont::StaticClass()), ElementsAre("Color", "Height", "Name", "Style"));
  const auto names = PropertyNames(TLabel::StaticClass());
  ASSERT_GE(names.size(), 4u);
  EXPECT_EQ(names[0], "Name");
  EXPECT_EQ(names[1], "Tag");
  EXPECT_EQ(names.back(), "Transparent");

  const ClassInfo& combo = TComboBox::StaticClass();
  EXPECT_EQ(combo.FindProperty("items")->kind, PropertyKind::StringList);
  EXPECT_EQ(combo.FindProperty("Text")->kind, PropertyKind::Text);
  EXPECT_EQ(combo.FindProperty("Font")->kind, PropertyKind::Object);
  EXPECT_EQ(combo.FindProperty("ItemIndex")->kind, PropertyKind::Other);
  EXPECT_EQ(combo.FindProperty("Nothing"), nullptr);
  const PropertyInfo* active = TClientDataSet::StaticClass().FindProperty("Active");
  EXPECT_TRUE(active->Readable());
  EXPECT_FALSE(active->Writable());
}

TEST(Properties, TypedReadAndWriteGoThroughTheAccessors) {
  TLabel label;
  label.WriteTextProperty("caption", "Server name");
  EXPECT_EQ(label.Caption(), "Server name");
  EXPECT_EQ(label.ReadTextProperty("Caption"), "Server name");
  label.WriteProperty("Left", std::int64_t{32});
  label.WriteProperty("Visible", false);
  EXPECT_EQ(label.Left(), 32);
  EXPECT_FALSE(label.Visible());
  EXPECT_EQ(std::get<Persistent*>(label.ReadProperty("Font")), label.Font());
}

TEST(Properties, FailuresRaiseErrorsWithAMessage) {
  TLabel label;
  TClientDataSet dataSet;
  EXPECT_THROW(label.ReadProperty("Missing"), Error);
  EXPECT_THROW(label.WriteProperty("Left", std::string("32")), Error);
  EXPECT_THROW(label.WriteProperty("Caption", true), Error);
  EXPECT_THROW(dataSet.WriteProperty("Active", true), Error);
  TButton button;
  EXPECT_THROW(label.WriteProperty("Font", static_cast<Persistent*>(&button)), Error);
  try {
    label.ReadProperty("Missing");
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Property Missing does not exist in TLabel");
  }
}

TEST(Notifications, SettersNotifyRealChangesOnlyAndSubObjectsReportThroughTheirHolder) {
  TEdit edit;
  std::vector<std::string> changes;
  Subscription subscription = edit.Subscribe([&](Persistent& sender, std::string_view p) {
    EXPECT_EQ(&sender, &edit);
    changes.emplace_back(p);
  });
  edit.SetText("http://");
  edit.SetText("http://");
  edit.Font()->SetHeight(-19);
  edit.SetEnabled(false);
  EXPECT_THAT(changes, ElementsAre("Text", "ParentFont", "Font", "Enabled"));
  subscription.Reset();
  edit.SetText("x");
  EXPECT_EQ(changes.size(), 4u);
}

TEST(Notifications, AHandlerThatUnsubscribesAnotherStopsIt) {
  TLabel label;
  Subscription second;
  int calls = 0;
  const Subscription first =
      label.Subscribe([&](Persistent&, std::string_view) { second.Reset(); });
  second = label.Subscribe([&](Persistent&, std::string_view) { ++calls; });
  label.SetCaption("a");
  EXPECT_EQ(calls, 0);
  EXPECT_FALSE(second.Active());
}

TEST(Notifications, ASubscriptionEndsWithEitherSide) {
  int calls = 0;
  Subscription outlives;
  {
    TLabel label;
    outlives = label.Subscribe([&](Persistent&, std::string_view) { ++calls; });
    EXPECT_TRUE(outlives.Active());
    {
      const Subscription scoped = label.Subscribe([&](Persistent&, std::string_view) { ++calls; });
      label.SetCaption("a");
      EXPECT_EQ(calls, 2);
    }
    label.SetCaption("b");
    EXPECT_EQ(calls, 3) << "the scoped subscription ended with its scope";
  }
  EXPECT_FALSE(outlives.Active()) << "the label is gone";
  outlives.Reset();  // harmless once the label is gone
}

TEST(Ownership, OwnedComponentsAreFoundByNameAndDestroyedWithTheOwner) {
  HeadlessDesktop desktop;
  auto form = std::make_unique<TForm>(desktop);
  TLabel& label = form->Add<TLabel>("labelTitle");
  form->Add<TEdit>("editName");
  EXPECT_EQ(form->FindComponent("LABELTITLE"), &label);
  EXPECT_EQ(label.Owner(), form.get());
  EXPECT_EQ(form->ComponentCount(), 2);
  EXPECT_THROW(form->Add<TLabel>("editName"), Error);
  EXPECT_EQ(form->ComponentCount(), 2);  // the duplicate went at once

  const auto alive = MakeWeak(label);
  form->RemoveComponent(label);
  EXPECT_TRUE(!alive);
  EXPECT_EQ(form->FindComponent("labelTitle"), nullptr);

  const auto editAlive = MakeWeak(*form->FindComponent("editName"));
  form.reset();
  EXPECT_TRUE(!editAlive);
}

TEST(Ownership, ReferencesAreClearedWhenTheReferencedComponentGoes) {
  HeadlessDesktop desktop;
  TForm form(desktop);
  auto& action = form.Add<TAction>("actionQuit");
  auto& item = form.Add<TMenuItem>("itemQuit");
  auto& button = form.Add<TButton>("buttonQuit");
  item.SetAction(&action);
  button.SetAction(&action);
  std::vector<std::string> changes;
  const Subscription watch =
      item.Subscribe([&](Persistent&, std::string_view p) { changes.emplace_back(p); });
  form.RemoveComponent(action);
  EXPECT_EQ(item.Action(), nullptr);
  EXPECT_EQ(button.Action(), nullptr);
  EXPECT_THAT(changes, ElementsAre("Action"));
  item.Click();  // no dangling action to run
}

TEST(Ownership, ControlsLeaveTheirParentAndFollowItsFontWhileParentFontIsOn) {
  HeadlessDesktop desktop;
  TForm form(desktop);
  form.Font()->SetName("Tahoma");
  form.Font()->SetHeight(-11);
  auto& heading = form.Add<TLabel>("heading");
  auto& plain = form.Add<TLabel>("plain");
  heading.SetParent(&form);
  plain.SetParent(&form);
  heading.Font()->SetHeight(-19);
  EXPECT_FALSE(heading.ParentFont());
  form.Font()->SetName("Verdana");
  EXPECT_EQ(plain.Font()->Name(), "Verdana");
  EXPECT_EQ(heading.Font()->Name(), "Tahoma");
  EXPECT_EQ(heading.Font()->Height(), -19);
  EXPECT_THAT(form.Controls(), ElementsAre(&heading, &plain));
  form.RemoveComponent(heading);
  EXPECT_THAT(form.Controls(), ElementsAre(&plain));
}

struct Marker : Attachment {
  explicit Marker(bool& destroyed) : destroyed(destroyed) {}
  ~Marker() override { destroyed = true; }
  bool& destroyed;
};

TEST(Ownership, AttachmentsAreFoundByTypeAndDieWithTheComponent) {
  bool destroyed = false;
  {
    TLabel label;
    EXPECT_EQ(label.Find<Marker>(), nullptr);
    Marker& marker = label.Attach(std::make_unique<Marker>(destroyed));
    EXPECT_EQ(label.Find<Marker>(), &marker);
  }
  EXPECT_TRUE(destroyed);
}

}  // namespace
}  // namespace lantervo
