#pragma once
// The global ignore rules of window translation: per class either a set of property names or
// the whole class. A rule for a class covers its descendants, so queries take the class chain
// of the object (its class first, then each ancestor). Used on the user-interface thread only.
#include <map>
#include <set>
#include <span>
#include <string>
#include <string_view>

namespace lantervo {

// The classes the built-in rules name: every component and every collection.
inline constexpr std::string_view kComponentClass = "TComponent";
inline constexpr std::string_view kCollectionClass = "TCollection";

class TIgnoreRules {
 public:
  // Never translate the property (compared without regard to case) of the class.
  void IgnoreClassProperty(std::string_view className, std::string_view propertyName);
  // Never translate anything of the class. Throws Error when the class is listed whole already.
  void IgnoreClass(std::string_view className);
  // The rules registered when the layer starts: Name of every component, PropName of every
  // collection.
  void AddBuiltInRules();

  bool IsClassIgnored(std::span<const std::string_view> classChain) const;
  bool IsPropertyIgnored(std::span<const std::string_view> classChain,
                         std::string_view propertyName) const;
  // The upper-case property names listed for exactly this class (nullptr when none).
  const std::set<std::string>* PropertiesOf(std::string_view className) const;
  void Clear() { rules_.clear(); }

 private:
  struct Rule {
    bool wholeClass = false;
    std::set<std::string> properties;  // upper case
  };
  std::map<std::string, Rule, std::less<>> rules_;
};

}  // namespace lantervo
