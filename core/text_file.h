#pragma once
// TMmTextFile: a small text-file writer that opens and closes one named file on demand. While it
// has the file open, other processes may read the file but not write it.
#include <string>
#include <string_view>

#include "platform/shared_read_file.h"

namespace lantervo {

enum class TextFileMode { Read = 0, Rewrite = 1, Append = 2, Closed = 3 };

class TMmTextFile {
 public:
  TMmTextFile() = default;
  ~TMmTextFile() { file_.Close(); }
  TMmTextFile(const TMmTextFile&) = delete;
  TMmTextFile& operator=(const TMmTextFile&) = delete;

  bool CreateIfMissing() const { return createIfMissing_; }
  void SetCreateIfMissing(bool create) { createIfMissing_ = create; }
  const std::string& FileName() const { return fileName_; }
  void SetFileName(std::string fileName) { fileName_ = std::move(fileName); }
  TextFileMode Mode() const { return mode_; }

  // Opens FileName for Read, Rewrite (creating its folders) or Append (which becomes Rewrite for
  // a missing file when CreateIfMissing is set). Throws Error with the system's message.
  void Open(TextFileMode mode);
  // Throws "Unable to close file '...'!"; the handle is released all the same.
  void Close();
  // Writes the bytes and CR LF. Throws the runtime's I/O error text.
  void WriteLine(std::string_view text);
  // The next line without its line end; false at the end of the file. Read mode only.
  bool ReadLine(std::string& line);

 private:
  void OpenRewrite();

  bool createIfMissing_ = false;
  platform::SharedReadFile file_;
  std::string fileName_;
  TextFileMode mode_ = TextFileMode::Closed;
  std::string readBuffer_;
  bool readEnd_ = false;
};

}  // namespace lantervo
