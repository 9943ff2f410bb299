#pragma once
// A resolver that knows a fixed set of names, so tests never reach real DNS.
#include <cctype>
#include <map>
#include <string>
#include <vector>

#include "platform/socket.h"

namespace lantervo::test {

class FakeResolver : public platform::Resolver {
 public:
  // Every name given here resolves to 127.0.0.1, in any letter case; any other name fails as
  // unknown.
  explicit FakeResolver(std::initializer_list<std::string> loopbackNames) {
    for (const std::string& name : loopbackNames) names_[Lower(name)] = 0;
  }
  platform::IpAddress ResolveIPv4(const std::string& name) override {
    ++lookups_[name];
    if (!names_.count(Lower(name))) throw platform::SocketError(11001);
    platform::IpAddress address;
    address.bytes = {127, 0, 0, 1};
    return address;
  }
  int Lookups(const std::string& name) const {
    auto it = lookups_.find(name);
    return it == lookups_.end() ? 0 : it->second;
  }
  // A name with these IPv6 addresses (and IPv4 ones only if also given to the constructor).
  void AddIPv6(const std::string& name, std::vector<platform::IpAddress> addresses) {
    v6_[Lower(name)] = std::move(addresses);
  }
  std::vector<platform::IpAddress> ResolveIPv6(const std::string& name) override {
    ++v6Lookups_[name];
    auto it = v6_.find(Lower(name));
    if (it == v6_.end()) throw platform::SocketError(11001);
    return it->second;
  }
  int IPv6Lookups(const std::string& name) const {
    auto it = v6Lookups_.find(name);
    return it == v6Lookups_.end() ? 0 : it->second;
  }

 private:
  static std::string Lower(std::string name) {
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name;
  }
  std::map<std::string, int> names_;
  std::map<std::string, int> lookups_;
  std::map<std::string, std::vector<platform::IpAddress>> v6_;
  std::map<std::string, int> v6Lookups_;
};

}  // namespace lantervo::test
