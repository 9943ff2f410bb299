#include "core/list_preload.h"

#include <utility>

namespace lantervo {

ListPreload::ListPreload(std::string fileName) : fileName_(std::move(fileName)) {
  read_ = std::async(std::launch::async, [file = fileName_] {
    ServerTable table;
    table.FileName = file;
    table.OpenList();
    return table;
  });
}

ListPreload::~ListPreload() {
  if (read_.valid()) read_.wait();
}

void ListPreload::OpenInto(ServerTable& table) {
  if (!read_.valid() || table.FileName != fileName_) {
    table.OpenList();
    return;
  }
  ServerTable read = read_.get();  // rethrows the read's error
  table.OpenFrom(std::move(read));
}

}  // namespace lantervo
