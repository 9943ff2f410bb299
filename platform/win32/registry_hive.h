#pragma once
// The two roots of the Windows registry that the program keeps its keys under, each as a store
// of its own. OpenSystemRegistry() puts them together; tests reach one directly.
#include <memory>

#include "platform/registry.h"

namespace lantervo::platform {

enum class RegistryHive { LocalMachine, CurrentUser };

std::unique_ptr<Registry> OpenRegistryHive(RegistryHive hive);

}  // namespace lantervo::platform
