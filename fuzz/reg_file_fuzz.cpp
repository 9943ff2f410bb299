// Feeds arbitrary bytes to the .reg store parser; whatever it accepts must be written back in a
// form that reads as the same store, and writing that again must give the same text.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/reg_file.h"
#include "platform/registry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace lantervo::platform;
  const auto store = ParseRegFile(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!store) return 0;
  for (const RegKey& key : store->Keys()) {
    if (!IsStorableKeyPath(key.path)) std::abort();
    for (const RegValue& value : key.values) DecodeRegistryValue(value.type, value.data);
  }
  const std::string written = FormatRegFile(*store);
  const auto again = ParseRegFile(written);
  if (!again || !(*again == *store)) std::abort();
  if (FormatRegFile(*again) != written) std::abort();
  return 0;
}
