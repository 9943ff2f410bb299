#pragma once
// Whole-file reads and atomic whole-file writes, with the system's own error texts.
#include <functional>
#include <string>
#include <string_view>

namespace lantervo::platform {

struct FileResult {
  bool ok = true;
  int code = 0;         // the native error number (errno or GetLastError)
  std::string message;  // the system's text for it, e.g. "Access is denied" / "Permission denied"
};

bool FileExists(const std::string& path);
// Reads the whole file. Others may read but not write it meanwhile (on Windows).
FileResult ReadWholeFile(const std::string& path, std::string& contents);

enum class WriteStage { Create, Write, Replace };
struct WriteResult : FileResult {
  WriteStage stage = WriteStage::Create;
};
// Writes `data` to a temporary file beside `path`, flushes it to disk and renames it over
// `path`. On failure the old file is untouched and no temporary file is left behind.
WriteResult WriteFileAtomically(const std::string& path, std::string_view data);
// The same for a file too large to hold in memory at once: `produce` fills `chunk` (empty at
// each call) with the next part and answers false after the last one.
WriteResult WriteFileAtomically(const std::string& path,
                                const std::function<bool(std::string& chunk)>& produce);

bool RemoveFile(const std::string& path);
// Gives a file another name in the same folder; fails rather than replace an existing `to`.
FileResult RenameFile(const std::string& from, const std::string& to);
// Creates the folder and every missing folder above it.
FileResult CreateFolders(const std::string& path);
// The system's text for a native error number.
std::string SystemErrorText(int code);

}  // namespace lantervo::platform
