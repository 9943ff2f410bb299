#pragma once
// The event log: one time-stamped, level-tagged line per event, appended to the file LogFile in
// the system's 8-bit code page. The file is opened and closed around every line.
#include <functional>
#include <string>
#include <string_view>

#include "core/text_file.h"
#include "platform/code_page.h"
#include "platform/date_time.h"

namespace lantervo {

// "error" -> "ERROR", "ok" -> "OK", "system" -> "SYSTEM", "exception" -> "EXCEPTION", compared
// exactly; anything else -> "OTHER".
std::string LevelWord(std::string_view level);

class EventLog {
 public:
  using Clock = std::function<platform::LocalDateTime()>;
  using DateTimeFormat = std::function<std::string(const platform::LocalDateTime&)>;

  struct Options {
    Clock clock;            // default: platform::LocalNow
    DateTimeFormat format;  // default: platform::FormatDateTime in the user's formats
    const platform::CodePage* codePage = nullptr;  // default: the system code page
  };

  // `logEnabled` is asked at every line, so a change of LogEnabled applies at once; the file
  // name stays the one given here for the life of the log.
  EventLog(std::string fileName, std::function<bool()> logEnabled);
  EventLog(std::string fileName, std::function<bool()> logEnabled, Options options);

  // Writes "<date-time> <LEVEL> <message>" and CR LF. Nothing is opened when LogEnabled is false.
  // Errors of opening, writing or closing are passed on; the file is closed in every case.
  void AddLog(std::string_view message, std::string_view level);
  // Empties the file (also when logging is off), then logs `clearedText` ("Cleared log", as the
  // catalog gives it) at level system.
  void ClearLog(std::string_view clearedText);

  // The writer, LogWriter.
  TMmTextFile& Writer() { return writer_; }

 private:
  TMmTextFile writer_;
  std::function<bool()> logEnabled_;
  Clock clock_;
  DateTimeFormat format_;
  platform::CodePage codePage_;
};

}  // namespace lantervo
