#include "core/list_preload.h"

#include <chrono>
#include <utility>

#include "platform/file_map.h"
#include "platform/thread_priority.h"

namespace lantervo {

ListPreload::ListPreload(std::string fileName) : fileName_(std::move(fileName)) {
  {
    platform::FileMapping mapping;  // maps no page: the size alone
    if (platform::MapWholeFile(fileName_, mapping).ok) fileBytes_ = mapping.Size();
  }
  read_ = std::async(std::launch::async, [file = fileName_, background = Long()] {
    if (background) platform::RunThisThreadInBackground();
    ServerTable table;
    table.FileName = file;
    table.OpenList();
    return table;
  });
}

ListPreload::~ListPreload() {
  if (read_.valid()) read_.wait();
}

bool ListPreload::Ready() const {
  return !read_.valid() || read_.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
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
