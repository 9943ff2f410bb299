#pragma once
// The list file read on a worker thread while the program builds its windows: start-up then
// takes the table that read opened (or meets the error it met) instead of reading the file on
// the UI thread. A cold start at 10,000 rows spends as long reading the list as the toolkit
// spends starting up; side by side, the two take the time of one.
#include <cstdint>
#include <future>
#include <string>

#include "core/server_table.h"

namespace lantervo {

class ListPreload {
 public:
  // Starts reading `fileName` with the system code page and the user's collation, the ones a
  // default ServerTable has; the code page's fallback language must be set before.
  explicit ListPreload(std::string fileName);
  ~ListPreload();  // waits for a read nobody took
  ListPreload(const ListPreload&) = delete;
  ListPreload& operator=(const ListPreload&) = delete;

  const std::string& FileName() const { return fileName_; }
  // Whether the read has ended (OpenInto then does not wait).
  bool Ready() const;
  // A list this long (from 1 MiB, some 5,000 rows) takes longer to read than the windows take
  // to build: it is read below their priority, and start-up does not wait for it.
  bool Long() const { return fileBytes_ >= kLongFrom; }
  static constexpr std::uint64_t kLongFrom = 1 << 20;
  // Opens `table` as its OpenList would have; throws what OpenList would have thrown. Waits for
  // the read. Only once: a second call, or one for another file, reads the file anew.
  void OpenInto(ServerTable& table);

 private:
  std::string fileName_;
  std::uint64_t fileBytes_ = 0;
  std::future<ServerTable> read_;
};

}  // namespace lantervo
