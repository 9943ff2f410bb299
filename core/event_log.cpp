#include "core/event_log.h"

#include <exception>

namespace lantervo {

std::string LevelWord(std::string_view level) {
  if (level == "error") return "ERROR";
  if (level == "ok") return "OK";
  if (level == "system") return "SYSTEM";
  if (level == "exception") return "EXCEPTION";
  return "OTHER";
}

EventLog::EventLog(std::string fileName, std::function<bool()> logEnabled)
    : EventLog(std::move(fileName), std::move(logEnabled), Options{}) {}

EventLog::EventLog(std::string fileName, std::function<bool()> logEnabled, Options options)
    : logEnabled_(std::move(logEnabled)),
      clock_(options.clock ? std::move(options.clock) : Clock(platform::LocalNow)),
      format_(options.format ? std::move(options.format)
                             : DateTimeFormat([](const platform::LocalDateTime& t) {
                                 return platform::FormatDateTime(t);
                               })),
      codePage_(options.codePage ? *options.codePage : platform::CodePage::System()) {
  writer_.SetFileName(std::move(fileName));
  writer_.SetCreateIfMissing(true);
}

void EventLog::AddLog(std::string_view message, std::string_view level) {
  const std::string word = LevelWord(level);
  if (!logEnabled_()) return;
  writer_.Open(TextFileMode::Append);
  try {
    std::string line = format_(clock_());
    line.append(" ").append(word).append(" ").append(message);
    writer_.WriteLine(codePage_.FromUtf8(line));
  } catch (...) {
    // No handle stays open between lines; the write's own error is the one to report.
    try {
      writer_.Close();
    } catch (const std::exception&) {
    }
    throw;
  }
  writer_.Close();
}

void EventLog::ClearLog(std::string_view clearedText) {
  writer_.Open(TextFileMode::Rewrite);
  writer_.Close();
  AddLog(clearedText, "system");
}

}  // namespace lantervo
