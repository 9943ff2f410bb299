// The caps on heads, folded values, trailers and cookies, shrunk so that inputs of a few
// kilobytes reach and pass every one of them through the same code as the profile's caps.
#include "fuzz/http_fuzz_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const lantervo::fuzz::HttpFuzzShape shape = [] {
    lantervo::fuzz::HttpFuzzShape s;
    s.limits.lineLength = 512;
    s.limits.headLines = 40;
    s.limits.headBytes = 4096;
    s.limits.cookiesPerDomain = 6;
    s.limits.cookies = 30;
    s.limits.cookieBytes = 96;
    s.limits.cookieHeaderBytes = 256;
    s.scriptBytes = 10 << 10;
    s.runUnit = 8;
    s.lineUnit = 1;
    return s;
  }();
  return lantervo::fuzz::RunHttpFuzz(data, size, shape);
}
