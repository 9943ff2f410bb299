#include "core/text_file.h"

#include "platform/error.h"
#include "platform/file.h"
#include "platform/io_error.h"
#include "platform/paths.h"

namespace lantervo {

namespace {

using platform::FileOpenMode;

}  // namespace

void TMmTextFile::Open(TextFileMode mode) {
  // A file still open from before is let go rather than leaked.
  file_.Close();
  mode_ = TextFileMode::Closed;
  readBuffer_.clear();
  readEnd_ = false;
  switch (mode) {
    case TextFileMode::Read: {
      if (!platform::FileExists(fileName_)) throw Error("File '" + fileName_ + "' does not exist!");
      mode_ = TextFileMode::Read;
      if (int err = file_.Open(fileName_, FileOpenMode::Read)) {
        mode_ = TextFileMode::Closed;
        throw Error("Unable to open file '" + fileName_ +
                    "' for reading: " + platform::NativeIoErrorText(err));
      }
      return;
    }
    case TextFileMode::Rewrite:
      OpenRewrite();
      return;
    case TextFileMode::Append: {
      if (platform::FileExists(fileName_)) {
        mode_ = TextFileMode::Append;
        if (int err = file_.Open(fileName_, FileOpenMode::AppendExisting)) {
          mode_ = TextFileMode::Closed;
          throw Error("Unable to call append for file '" + fileName_ +
                      "': " + platform::NativeIoErrorText(err));
        }
        return;
      }
      if (createIfMissing_) {
        OpenRewrite();
        return;
      }
      throw Error("Cannot call append for file '" + fileName_ + "' which doesn not exist");
    }
    case TextFileMode::Closed:
      return;
  }
}

void TMmTextFile::OpenRewrite() {
  mode_ = TextFileMode::Rewrite;
  int err = 0;
  const std::string folder = platform::FolderOf(fileName_);
  if (!folder.empty()) {
    const platform::FileResult made = platform::CreateFolders(folder);
    if (!made.ok) err = made.code;
  }
  if (!err) err = file_.Open(fileName_, FileOpenMode::Truncate);
  if (err) {
    mode_ = TextFileMode::Closed;
    throw Error("Unable to create file '" + fileName_ + "': " + platform::NativeIoErrorText(err));
  }
}

void TMmTextFile::Close() {
  if (mode_ == TextFileMode::Closed) return;
  if (file_.Close() != 0) throw Error("Unable to close file '" + fileName_ + "'!");
  mode_ = TextFileMode::Closed;
}

void TMmTextFile::WriteLine(std::string_view text) {
  if (mode_ != TextFileMode::Rewrite && mode_ != TextFileMode::Append) {
    throw Error(platform::IoErrorText(mode_ == TextFileMode::Read ? platform::kIoNotOpenForOutput
                                                                  : platform::kIoFileNotOpen));
  }
  std::string line;
  line.reserve(text.size() + 2);
  line.append(text).append("\r\n");
  if (int err = file_.Write(line)) throw Error(platform::NativeIoErrorText(err));
}

bool TMmTextFile::ReadLine(std::string& line) {
  if (mode_ != TextFileMode::Read) {
    throw Error(platform::IoErrorText(
        mode_ == TextFileMode::Closed ? platform::kIoFileNotOpen : platform::kIoNotOpenForInput));
  }
  for (;;) {
    const size_t end = readBuffer_.find('\n');
    if (end != std::string::npos || (readEnd_ && !readBuffer_.empty())) {
      const size_t take = end == std::string::npos ? readBuffer_.size() : end;
      line.assign(readBuffer_, 0, take);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      readBuffer_.erase(0, end == std::string::npos ? take : take + 1);
      return true;
    }
    if (readEnd_) return false;
    char chunk[8192];
    size_t n = 0;
    if (int err = file_.Read(chunk, sizeof chunk, n)) throw Error(platform::NativeIoErrorText(err));
    if (n == 0) readEnd_ = true;
    readBuffer_.append(chunk, n);
  }
}

}  // namespace lantervo
