#include "i18n/ignore_rules.h"

#include "platform/error.h"

namespace lantervo {

namespace {

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

}  // namespace

void TIgnoreRules::IgnoreClassProperty(std::string_view className, std::string_view propertyName) {
  auto it = rules_.find(className);
  if (it == rules_.end()) it = rules_.emplace(std::string(className), Rule{}).first;
  it->second.properties.insert(Upper(propertyName));
}

void TIgnoreRules::IgnoreClass(std::string_view className) {
  auto it = rules_.find(className);
  if (it != rules_.end() && it->second.wholeClass)
    throw Error("You cannot add a class to the ignore list that is already on that list: " +
                std::string(className) +
                ". You should keep all TP_Global functions in one place in your source code.");
  if (it == rules_.end()) it = rules_.emplace(std::string(className), Rule{}).first;
  it->second.wholeClass = true;
}

void TIgnoreRules::AddBuiltInRules() {
  IgnoreClassProperty(kComponentClass, "Name");
  IgnoreClassProperty(kCollectionClass, "PropName");
}

bool TIgnoreRules::IsClassIgnored(std::span<const std::string_view> classChain) const {
  for (std::string_view name : classChain) {
    auto it = rules_.find(name);
    if (it != rules_.end() && it->second.wholeClass) return true;
  }
  return false;
}

bool TIgnoreRules::IsPropertyIgnored(std::span<const std::string_view> classChain,
                                     std::string_view propertyName) const {
  const std::string upper = Upper(propertyName);
  for (std::string_view name : classChain) {
    auto it = rules_.find(name);
    if (it == rules_.end()) continue;
    if (it->second.wholeClass || it->second.properties.count(upper)) return true;
  }
  return false;
}

const std::set<std::string>* TIgnoreRules::PropertiesOf(std::string_view className) const {
  auto it = rules_.find(className);
  return it == rules_.end() ? nullptr : &it->second.properties;
}

}  // namespace lantervo
