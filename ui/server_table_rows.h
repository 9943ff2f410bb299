#pragma once
// The server table as the rows the main window's grid shows.
#include <string>
#include <string_view>

#include "core/server_table.h"
#include "toolkit/dataset.h"

namespace lantervo {

class ServerTableRows : public DataRows {
 public:
  explicit ServerTableRows(ServerTable& table);
  int RowCount() const override;
  int CurrentIndex() const override;
  void MoveTo(int index) override;
  std::string TextAt(int index, std::string_view field) const override;
  bool BoolAt(int index, std::string_view field) const override;

 private:
  ServerTable& table_;
  Subscription tableChanges_;
};

}  // namespace lantervo
