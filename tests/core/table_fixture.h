#pragma once
// A server table with a fixed code page and collation, so results do not depend on the machine.
#include <functional>
#include <string>
#include <vector>

#include "core/server_table.h"
#include "platform/error.h"

namespace lantervo::test {

inline ServerTable MakeTable(unsigned codePage = 1252) {
  return ServerTable(platform::CodePage::Open(codePage), platform::Collator::ForLocale("en_US"));
}

// Appends and posts a row with the given name (and optionally more fields through `fill`).
template <typename Fill>
void AddRow(ServerTable& table, const std::string& name, Fill&& fill) {
  table.AppendRow();
  table.SetText("Name", name);
  fill(table);
  table.PostRow();
}
inline void AddRow(ServerTable& table, const std::string& name) {
  AddRow(table, name, [](ServerTable&) {});
}

// Names in table order, walking with the cursor as the check run does.
inline std::vector<std::string> Names(ServerTable& table) {
  std::vector<std::string> names;
  for (table.MoveFirst(); !table.AtEnd(); table.MoveNext()) names.push_back(table.GetText("Name"));
  return names;
}

// The message of the Error an action raises, or "(no error)".
inline std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& e) {
    return e.what();
  }
  return "(no error)";
}

}  // namespace lantervo::test
