#pragma once
// The client's response path (status lines, headers, 100 answers, body framing, trailers,
// redirects, cookies, keep/close) fed from canned connections instead of sockets; shared by the
// fuzz target of the profile and the one with shrunken caps.
// Input: one byte of piece size (0: everything at once), one byte of flags, then the bytes the
// server sends; "\xFF\xFE" starts the bytes of the next connection.
// Flags: 1 the peer closes after its last byte; 2 POST instead of GET; bit 2 two or three calls
// on the same client.
// Two short forms let small inputs reach the caps on heads and on cookies:
// "\xFF\xFC" n c stands for the byte c repeated n * `runUnit` times, and then "\xFF\xFD" n and
// a line up to its LF stand for that line repeated n * `lineUnit` times, each "#" in it replaced
// by the copy's number, so that repeated Set-Cookie lines name distinct cookies.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "monitor/http_client.h"
#include "monitor/http_error.h"
#include "tests/support/doubles/memory_connection.h"

namespace lantervo::fuzz {

struct HttpFuzzShape {
  HttpLimits limits;
  // All connections' bytes after expansion together; small keeps every run quick.
  std::size_t scriptBytes = 0;
  std::size_t runUnit = 0;
  std::size_t lineUnit = 0;
};

// The harness's own loops are left out of the coverage the fuzzer steers by: they would only
// slow every run and reward inputs for their short forms rather than for what the client does.
#define LANTERVO_HARNESS __attribute__((no_sanitize("coverage")))

// Copies `in` up to `limit` bytes, handing each "\xFF" `form` sequence to `expand`, which
// answers how many bytes of `in` it took.
template <typename Expand>
LANTERVO_HARNESS std::string ExpandForm(std::string_view in, char form, std::size_t limit,
                                        Expand expand) {
  std::string out;
  std::size_t i = 0;
  while (i < in.size() && out.size() < limit) {
    std::size_t mark = in.find('\xFF', i);
    while (mark != std::string_view::npos && (mark + 1 >= in.size() || in[mark + 1] != form))
      mark = in.find('\xFF', mark + 1);
    const std::size_t plain = std::min(mark, in.size());
    out.append(in.substr(i, std::min(plain - i, limit - out.size())));
    if (mark == std::string_view::npos) break;
    i = mark + expand(in.substr(mark), out);
  }
  if (out.size() > limit) out.resize(limit);
  return out;
}

LANTERVO_HARNESS inline std::string ExpandRuns(std::string_view in, std::size_t unit,
                                               std::size_t limit) {
  return ExpandForm(in, '\xFC', limit, [&](std::string_view at, std::string& out) -> std::size_t {
    if (at.size() < 4) {
      out.append(at);
      return at.size();
    }
    out.append(std::min(static_cast<unsigned char>(at[2]) * unit, limit), at[3]);
    return 4;
  });
}

LANTERVO_HARNESS inline std::string ExpandLines(std::string_view in, std::size_t unit,
                                                std::size_t limit) {
  return ExpandForm(in, '\xFD', limit, [&](std::string_view at, std::string& out) -> std::size_t {
    if (at.size() < 3) {
      out.append(at);
      return at.size();
    }
    const std::size_t copies = static_cast<unsigned char>(at[2]) * unit;
    std::size_t end = at.find('\n', 3);
    end = end == std::string_view::npos ? at.size() : end + 1;
    const std::string_view line = at.substr(3, end - 3);
    for (std::size_t copy = 0; copy < copies && out.size() < limit; ++copy) {
      for (std::size_t from = 0; from < line.size();) {
        const std::size_t hash = std::min(line.find('#', from), line.size());
        out.append(line.substr(from, hash - from));
        if (hash < line.size()) out += std::to_string(copy);
        from = hash + 1;
      }
    }
    return end;
  });
}

inline int RunHttpFuzz(const std::uint8_t* data, std::size_t size, const HttpFuzzShape& shape) {
  if (size < 2) return 0;
  const std::size_t piece = data[0];
  const std::uint8_t flags = data[1];
  std::string_view rest(reinterpret_cast<const char*>(data + 2), size - 2);
  std::vector<MemoryScript> scripts;
  std::size_t budget = shape.scriptBytes;
  while (scripts.size() < 4) {
    std::size_t next = rest.find("\xFF\xFE");
    MemoryScript script;
    script.bytes = ExpandLines(ExpandRuns(rest.substr(0, next), shape.runUnit, budget),
                               shape.lineUnit, budget);
    budget -= std::min(budget, script.bytes.size());
    if (piece) script.pieces = {piece};
    script.closeAtEnd = (flags & 1) != 0;
    scripts.push_back(std::move(script));
    if (next == std::string_view::npos) break;
    rest.remove_prefix(next + 2);
  }
  HttpClientOptions options;
  options.connector = std::make_shared<MemoryConnector>(std::move(scripts));
  options.maxBodyBytes = shape.scriptBytes;
  options.limits = shape.limits;
  options.now = [] { return std::int64_t{1704067200}; };
  HttpClient client(options);
  const int calls = 2 + ((flags >> 2) & 1);
  for (int call = 0; call < calls; ++call) {
    try {
      if (flags & 2) {
        client.Post("http://fuzz.test/form", {"a=1 2", "b=\xC5\xBE"});
      } else {
        // A host of several labels gives the cookies several domains to fill.
        client.Get(call == 0 ? "http://a.b.c.d.fuzz.test/a/b?q=1" : "c/d");
      }
    } catch (const HttpError&) {
      // Failures are expected outcomes; crashes and hangs are what is looked for.
    }
  }
  return 0;
}

}  // namespace lantervo::fuzz

// The client reaches so many distinct edges that entropic scheduling costs most of each run.
#include "fuzz/plain_scheduling.h"  // IWYU pragma: keep
