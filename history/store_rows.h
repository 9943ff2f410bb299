#pragma once
// How the history's rows hold statuses and states, for the store's writing and reading halves.
#include <cstdint>

#include "history/history_store.h"

namespace lantervo::history::rows {

inline ServerState StoredState(std::int64_t value) {
  return value >= 0 && value <= 4 ? static_cast<ServerState>(value) : ServerState::Unknown;
}

inline ProbeStatus StoredStatus(std::int64_t value) {
  return value >= 0 && value <= 3 ? static_cast<ProbeStatus>(value) : ProbeStatus::Down;
}

inline void Tally(HourRecord& hour, ProbeStatus status) {
  ++hour.checks;
  if (status == ProbeStatus::Down) ++hour.down;
  if (status == ProbeStatus::WrongResponse) ++hour.wrong;
  if (status == ProbeStatus::Slow) ++hour.slow;
}

}  // namespace lantervo::history::rows
