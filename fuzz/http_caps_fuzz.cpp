// The caps on heads, folded values, trailers and cookies, shrunk so that inputs of a few
// kilobytes reach and pass every one of them through the same code as the profile's caps.
#include "fuzz/http_fuzz_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const lantervo::fuzz::HttpFuzzShape shape = [] {
    lantervo::fuzz::HttpFuzzShape s;
    s.limits.lineLength = 128;
    s.limits.headLines = 12;
    s.limits.headBytes = 768;
    s.limits.cookiesPerDomain = 3;
    s.limits.cookies = 8;
    s.limits.cookieBytes = 48;
    s.limits.cookieHeaderBytes = 96;
    s.scriptBytes = 1536;
    s.runUnit = 2;
    s.lineUnit = 1;
    return s;
  }();
  return lantervo::fuzz::RunHttpFuzz(data, size, shape);
}
