#pragma once
// Where the server list and the default event log live. Beside the program while its folder can
// be written; otherwise (and for an installed Linux program) in the user's own data folder, with
// a list found beside the program copied there once, so the user's servers follow them.
#include <functional>
#include <string>

namespace lantervo {

struct DataFolderChoice {
  enum class Note {
    None,             // nothing new: the program's folder, or a data folder in use before
    NewInUserFolder,  // the program's folder cannot be written; the list starts in the user's
    ListCopied,       // the program's folder cannot be written; its list was copied over now
  };
  std::string folder;
  Note note = Note::None;
};

struct DataFolderPlaces {
  std::string programFolder;
  std::string userFolder;  // "" when the system names none
  // Installed beside its desktop entry (Linux): the program's folder is never the data folder.
  bool installed = false;
  // Whether files can be created in a folder; the real check when empty.
  std::function<bool(const std::string&)> canWrite;
};

// Chooses the folder and, where it moves, creates it and copies LTV.xml there. A list that
// cannot be copied stays where it is and is used there (saving then fails and says so), so no
// start ever swaps the user's list for an empty one.
DataFolderChoice ChooseDataFolder(const DataFolderPlaces& places);

}  // namespace lantervo
