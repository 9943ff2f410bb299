#pragma once
// "Stats → Export CSV": the recorded checks of a period as a CSV file (UTF-8 with a byte order
// mark, so that spreadsheets read the names right; a header row; RFC 4180 quoting), written a
// slice at a time, so a month of a large list never has to fit in memory.
#include <cstdint>
#include <string>

#include "history/history_store.h"
#include "platform/file.h"

namespace lantervo::history {

platform::WriteResult ExportChecksCsv(HistoryStore& store, std::int64_t from, std::int64_t to,
                                      const std::string& path);

// One field as CSV has it: quoted when it holds a comma, a quote or a line break.
std::string CsvField(std::string_view text);

}  // namespace lantervo::history
