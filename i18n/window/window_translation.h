#pragma once
// Window translation: a window is translated once when it is created, remembering the source
// text of every property it translated, and retranslated from those texts after a language
// switch. Ignore rules keep identifiers (field names and the like) out. User-interface thread
// only.
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/component.h"

namespace lantervo {

class TGnuGettextInstance;

// Attached to a translated component: the remembered (object, property, source text) entries
// in the order they were met, and the language last applied.
class TranslationMarker : public Attachment {
 public:
  struct Entry {
    Persistent* object;
    WeakRef<const Persistent> alive;  // entries of objects destroyed since are passed over
    std::string property;
    std::string source;
    bool itemList;  // source is the whole list, every line ended by CR LF
  };
  const std::vector<Entry>& Entries() const { return entries_; }
  const std::string& Language() const { return language_; }

 private:
  friend class WindowTranslation;
  std::vector<Entry> entries_;
  std::string language_;
  bool retranslating_ = false;
};

// The walk over one translation instance (its catalogs, language and ignore rules).
class WindowTranslation {
 public:
  explicit WindowTranslation(TGnuGettextInstance& instance) : instance_(instance) {}

  void TranslateComponent(Component& window);
  void RetranslateComponent(Component& window);

 private:
  class Walk;
  TGnuGettextInstance& instance_;
};

// The process's instance (TextInstance) is used unless one is given.
void TranslateComponent(Component& window);
void TranslateComponent(Component& window, TGnuGettextInstance& instance);
void RetranslateComponent(Component& window);
void RetranslateComponent(Component& window, TGnuGettextInstance& instance);

// Never translate the property of objects of the class or of its descendants.
void TP_GlobalIgnoreClassProperty(const ClassInfo& cls, std::string_view propertyName);
void TP_GlobalIgnoreClassProperty(const ClassInfo& cls, std::string_view propertyName,
                                  TGnuGettextInstance& instance);
// Never translate objects of the class or of its descendants, nor anything below them.
void TP_GlobalIgnoreClass(const ClassInfo& cls);
void TP_GlobalIgnoreClass(const ClassInfo& cls, TGnuGettextInstance& instance);

// A class whose objects a handler translates instead of the walk (the handler gets the object
// and the text lookup to use). Process-wide, like the handlers of the gettext tools.
using ClassHandler = std::function<void(
    Persistent& object, const std::function<std::string(const std::string&)>& translate)>;
void TP_GlobalHandleClass(const ClassInfo& cls, ClassHandler handler);
void TP_GlobalRemoveClassHandlers();

}  // namespace lantervo
