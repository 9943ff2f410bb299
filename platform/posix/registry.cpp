#include "platform/registry.h"

namespace lantervo::platform {

// Read at every call, so the store follows XDG_CONFIG_HOME as it is now.
std::unique_ptr<Registry> OpenSystemRegistry() {
  return OpenFileRegistry(DefaultRegistryStorePath());
}

}  // namespace lantervo::platform
