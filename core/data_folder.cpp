#include "core/data_folder.h"

#include "core/server_table.h"
#include "platform/file.h"
#include "platform/folder.h"
#include "platform/paths.h"

namespace lantervo {

namespace {

std::string ListIn(const std::string& folder) {
  return folder + platform::PathSeparator() + ServerTable::kListFileName;
}

}  // namespace

DataFolderChoice ChooseDataFolder(const DataFolderPlaces& places) {
  const auto canWrite = places.canWrite ? places.canWrite : platform::CanCreateFilesIn;
  const std::string beside = ListIn(places.programFolder);
  if (!places.installed && canWrite(places.programFolder)) return {places.programFolder};
  if (places.userFolder.empty()) return {places.programFolder};
  platform::CreateFolders(places.userFolder);
  const std::string moved = ListIn(places.userFolder);
  if (platform::FileExists(moved)) return {places.userFolder};
  if (places.installed || !platform::FileExists(beside)) {
    if (!canWrite(places.userFolder)) return {places.programFolder};
    return {places.userFolder, places.installed ? DataFolderChoice::Note::None
                                                : DataFolderChoice::Note::NewInUserFolder};
  }
  std::string bytes;
  if (!platform::ReadWholeFile(beside, bytes).ok) return {places.programFolder};
  if (!platform::WriteFileAtomically(moved, bytes).ok) return {places.programFolder};
  return {places.userFolder, DataFolderChoice::Note::ListCopied};
}

}  // namespace lantervo
