#include "ui/server_table_rows.h"

namespace lantervo {

ServerTableRows::ServerTableRows(ServerTable& table)
    : table_(table), tableChanges_(table.Subscribe([this](TableChanges table) {
        RowChanges changes = 0;
        if (table & tcCurrentRow) changes |= rcCurrentRow;
        if (table & tcValues) changes |= rcValues;
        if (table & tcRowCount) changes |= rcRowCount;
        NotifyObservers(changes);
      })) {}

int ServerTableRows::RowCount() const {
  return table_.IsOpen() ? table_.RowCount() : 0;
}
int ServerTableRows::CurrentIndex() const {
  return table_.IsOpen() ? table_.CurrentIndex() : -1;
}
void ServerTableRows::MoveTo(int index) {
  table_.MoveTo(index);
}
std::string ServerTableRows::TextAt(int index, std::string_view field) const {
  return table_.TextAt(index, field);
}
bool ServerTableRows::BoolAt(int index, std::string_view field) const {
  return table_.BoolAt(index, field);
}

}  // namespace lantervo
