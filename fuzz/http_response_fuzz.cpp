// The client's response path (status lines, headers, 100 answers, body framing, redirects,
// cookies, keep/close) fed from canned connections instead of sockets.
// Input: one byte of piece size (0: everything at once), one byte of flags, then the bytes the
// server sends; "\xFF\xFE" starts the bytes of the next connection.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/error.h"
#include "monitor/http_client.h"
#include "monitor/memory_connection.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::size_t piece = data[0];
  const std::uint8_t flags = data[1];
  std::string_view rest(reinterpret_cast<const char*>(data + 2), size - 2);
  std::vector<lantervo::MemoryScript> scripts;
  while (scripts.size() < 4) {
    std::size_t next = rest.find("\xFF\xFE");
    lantervo::MemoryScript script;
    script.bytes = std::string(rest.substr(0, next));
    if (piece) script.pieces = {piece};
    script.closeAtEnd = (flags & 1) != 0;
    scripts.push_back(std::move(script));
    if (next == std::string_view::npos) break;
    rest.remove_prefix(next + 2);
  }
  lantervo::HttpClientOptions options;
  options.connector = std::make_shared<lantervo::MemoryConnector>(std::move(scripts));
  options.maxBodyBytes = 64 * 1024;
  options.now = [] { return std::int64_t{1704067200}; };
  lantervo::HttpClient client(options);
  for (int call = 0; call < 2; ++call) {
    try {
      if (flags & 2) {
        client.Post("http://fuzz.test/form", {"a=1 2", "b=\xC5\xBE"});
      } else {
        client.Get(call == 0 ? "http://fuzz.test/a/b?q=1" : "c/d");
      }
    } catch (const lantervo::HttpError&) {
      // Failures are expected outcomes; crashes and hangs are what is looked for.
    }
  }
  return 0;
}
