#include "i18n/window/window_translation.h"

#include <deque>
#include <map>
#include <unordered_set>

#include "i18n/gettext.h"
#include "platform/error.h"
#include "toolkit/collection.h"
#include "toolkit/desktop.h"
#include "toolkit/strings.h"

namespace lantervo {

namespace {

const char* const kSecondTranslateMessage =
    "TranslateComponent() was called on an object that has been translated before. Please use "
    "RetranslateComponent() to bring it to another language.";
const char* const kNotTranslatedMessage =
    "Retranslate was called on an object that has not been translated before. Please use "
    "TranslateComponent() before RetranslateComponent().";
const char* const kHandlerSetMessage =
    "You cannot ignore a class property for a class that has a handler set.";

std::map<std::string, ClassHandler, std::less<>>& Handlers() {
  static std::map<std::string, ClassHandler, std::less<>> handlers;
  return handlers;
}

std::vector<std::string_view> ClassChain(const Persistent& object) {
  std::vector<std::string_view> chain;
  for (const ClassInfo* c = &object.Class(); c; c = c->Parent()) chain.emplace_back(c->Name());
  return chain;
}

const ClassHandler* HandlerFor(const std::vector<std::string_view>& chain) {
  const auto& handlers = Handlers();
  for (std::string_view name : chain) {
    auto it = handlers.find(name);
    if (it != handlers.end()) return &it->second;
  }
  return nullptr;
}

[[noreturn]] void Untranslatable(const Persistent& object, std::string_view property,
                                 const std::string& reason) {
  throw Error("Property cannot be translated.\r\nAdd TP_GlobalIgnoreClassProperty(" +
              object.ClassName() + ",'" + std::string(property) +
              "') to your source code or use\r\nTP_Ignore (self,'." + std::string(property) +
              "') to prevent this message.\r\nReason: " + reason);
}

// Runs a read or write of a property; its failure fails the translation with the full message.
template <class F>
auto Guarded(const Persistent& object, std::string_view property, F&& access) {
  try {
    return access();
  } catch (const std::exception& e) {
    Untranslatable(object, property, e.what());
  }
}

bool HasOwnMarker(const Persistent* object) {
  auto* component = dynamic_cast<const Component*>(object);
  return component && component->Find<TranslationMarker>();
}

}  // namespace

class WindowTranslation::Walk {
 public:
  Walk(TGnuGettextInstance& instance, TranslationMarker& marker)
      : instance_(instance), marker_(marker) {}

  std::string Translate(const std::string& text) { return instance_.TranslateText(text); }

  std::vector<std::string> TranslateLines(const std::vector<std::string>& lines) {
    std::vector<std::string> result;
    result.reserve(lines.size());
    for (const std::string& line : lines) result.push_back(line.empty() ? line : Translate(line));
    return result;
  }

  static void SetLines(Persistent& object, const PropertyInfo& p, TStrings& current,
                       std::vector<std::string> lines) {
    Guarded(object, p.name, [&] {
      if (p.Writable()) {
        TStrings replacement;
        replacement.Assign(std::move(lines));
        p.set(object, PropertyValue(static_cast<Persistent*>(&replacement)));
      } else {
        current.Assign(std::move(lines));
      }
    });
  }

  void Run(Component& window) {
    std::deque<Persistent*> work{&window};
    std::unordered_set<const Persistent*> visited{&window};
    auto enqueue = [&](Persistent* object) {
      if (object && !HasOwnMarker(object) && visited.insert(object).second) work.push_back(object);
    };
    while (!work.empty()) {
      Persistent& object = *work.front();
      work.pop_front();
      const auto chain = ClassChain(object);
      const TIgnoreRules& rules = instance_.IgnoreRules();
      if (rules.IsClassIgnored(chain)) continue;
      if (const ClassHandler* handler = HandlerFor(chain)) {
        (*handler)(object, [this](const std::string& text) { return Translate(text); });
        continue;
      }
      for (const PropertyInfo* p : object.Class().Properties()) {
        // Only what belongs to the object at design time: not what an action supplies.
        if (!p->Readable() || p->kind == PropertyKind::Other || !p->Stored(object)) continue;
        if (rules.IsPropertyIgnored(chain, p->name)) continue;
        switch (p->kind) {
          case PropertyKind::Text:
            TranslateText(object, *p);
            break;
          case PropertyKind::StringList:
            TranslateList(object, *p);
            break;
          case PropertyKind::Object: {
            PropertyValue value = Guarded(object, p->name, [&] { return p->get(object); });
            if (auto* sub = std::get_if<Persistent*>(&value)) enqueue(*sub);
            break;
          }
          case PropertyKind::Other:
            break;
        }
      }
      if (auto* collection = dynamic_cast<Collection*>(&object))
        for (int i = 0; i < collection->Count(); ++i) enqueue(collection->Item(i));
      if (auto* component = dynamic_cast<Component*>(&object))
        for (Component* owned : component->Components()) enqueue(owned);
    }
  }

 private:
  void TranslateText(Persistent& object, const PropertyInfo& p) {
    if (!p.Writable()) return;
    const std::string value =
        Guarded(object, p.name, [&] { return props::ValueAs<std::string>(p.get(object)); });
    if (value.empty()) return;
    marker_.entries_.push_back({&object, MakeWeak(object), p.name, value, false});
    const std::string translated = Translate(value);
    if (translated != value)
      Guarded(object, p.name, [&] { p.set(object, PropertyValue(translated)); });
  }

  void TranslateList(Persistent& object, const PropertyInfo& p) {
    TStrings* list =
        Guarded(object, p.name, [&] { return props::ValueAs<TStrings*>(p.get(object)); });
    if (!list || list->Count() == 0) return;
    marker_.entries_.push_back({&object, MakeWeak(object), p.name, list->Text(), true});
    std::vector<std::string> translated = TranslateLines(list->Lines());
    if (translated != list->Lines()) SetLines(object, p, *list, std::move(translated));
  }

  TGnuGettextInstance& instance_;
  TranslationMarker& marker_;
};

void WindowTranslation::TranslateComponent(Component& window) {
  const std::string language = instance_.Language();
  TranslationMarker* marker = window.Find<TranslationMarker>();
  if (!marker) {
    marker = &window.Attach(std::make_unique<TranslationMarker>());
    Walk(instance_, *marker).Run(window);
    marker->language_ = language;
    return;
  }
  if (marker->language_ == language) return;
  marker->language_ = language;
  Desktop* desktop = window.GetDesktop();
  // Without a desktop there is nobody to show the box to: the caller gets the message.
  if (!desktop) throw Error(kSecondTranslateMessage);
  desktop->ShowMessageBox(nullptr, "Error", kSecondTranslateMessage, MessageBoxIcon::Error,
                          MessageBoxButtons::Ok);
}

void WindowTranslation::RetranslateComponent(Component& window) {
  TranslationMarker* marker = window.Find<TranslationMarker>();
  if (!marker) throw Error(kNotTranslatedMessage);
  const std::string language = instance_.Language();
  // A component met again through another's marker while its own entries are being applied.
  if (marker->retranslating_ || marker->language_ == language) return;
  marker->retranslating_ = true;
  struct Done {
    TranslationMarker& m;
    ~Done() { m.retranslating_ = false; }
  } done{*marker};

  Walk walk(instance_, *marker);
  for (const TranslationMarker::Entry& entry :
       std::vector<TranslationMarker::Entry>(marker->entries_)) {
    if (!entry.alive) continue;
    Persistent& object = *entry.object;
    if (auto* component = dynamic_cast<Component*>(&object);
        component && component != &window && HasOwnMarker(component)) {
      RetranslateComponent(*component);
      continue;
    }
    const PropertyInfo* p = object.Class().FindProperty(entry.property);
    if (!p || !p->Readable()) continue;
    if (entry.itemList) {
      TStrings* list =
          Guarded(object, p->name, [&] { return props::ValueAs<TStrings*>(p->get(object)); });
      if (list)
        Walk::SetLines(object, *p, *list, walk.TranslateLines(SplitLines(entry.source, false)));
    } else {
      const std::string translated = walk.Translate(entry.source);
      Guarded(object, p->name, [&] { p->set(object, PropertyValue(translated)); });
    }
  }
  marker->language_ = language;
}

void TranslateComponent(Component& window) {
  TranslateComponent(window, TextInstance());
}
void TranslateComponent(Component& window, TGnuGettextInstance& instance) {
  WindowTranslation(instance).TranslateComponent(window);
}
void RetranslateComponent(Component& window) {
  RetranslateComponent(window, TextInstance());
}
void RetranslateComponent(Component& window, TGnuGettextInstance& instance) {
  WindowTranslation(instance).RetranslateComponent(window);
}

void TP_GlobalIgnoreClassProperty(const ClassInfo& cls, std::string_view propertyName) {
  TP_GlobalIgnoreClassProperty(cls, propertyName, TextInstance());
}

void TP_GlobalIgnoreClassProperty(const ClassInfo& cls, std::string_view propertyName,
                                  TGnuGettextInstance& instance) {
  std::vector<std::string_view> chain;
  for (const ClassInfo* c = &cls; c; c = c->Parent()) chain.emplace_back(c->Name());
  if (HandlerFor(chain)) throw Error(kHandlerSetMessage);
  instance.IgnoreRules().IgnoreClassProperty(cls.Name(), propertyName);
}

void TP_GlobalIgnoreClass(const ClassInfo& cls) {
  TP_GlobalIgnoreClass(cls, TextInstance());
}
void TP_GlobalIgnoreClass(const ClassInfo& cls, TGnuGettextInstance& instance) {
  instance.IgnoreRules().IgnoreClass(cls.Name());
}

void TP_GlobalHandleClass(const ClassInfo& cls, ClassHandler handler) {
  Handlers()[cls.Name()] = std::move(handler);
}
void TP_GlobalRemoveClassHandlers() {
  Handlers().clear();
}

}  // namespace lantervo
