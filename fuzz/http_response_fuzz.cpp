// The client's response path with the profile's own caps, on inputs of a few kilobytes: the
// shapes of status lines, headers, framing, redirects and cookies (see http_fuzz_harness.h for
// the input). The caps themselves are http_caps_fuzz's.
#include "fuzz/http_fuzz_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const lantervo::fuzz::HttpFuzzShape shape{{}, 512, 8, 1};
  return lantervo::fuzz::RunHttpFuzz(data, size, shape);
}
