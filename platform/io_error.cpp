#include "platform/io_error.h"

namespace lantervo::platform {

namespace {

struct IoErrorEntry {
  int number;
  const char* text;
};

// Numbers without an entry are reported as "I/O error <number>".
constexpr IoErrorEntry kIoErrors[] = {
    {kIoFileNotFound, "File not found"},
    {kIoPathNotFound, "Path not found"},
    {kIoTooManyOpenFiles, "Too many open files"},
    {kIoAccessDenied, "File access denied"},
    {kIoReadBeyondEnd, "Read beyond end of file"},
    {kIoDiskFull, "Disk full"},
    {kIoFileNotOpen, "File not open"},
    {kIoNotOpenForInput, "File not open for input"},
    {kIoNotOpenForOutput, "File not open for output"},
};

}  // namespace

std::string IoErrorText(int ioError) {
  for (const auto& entry : kIoErrors)
    if (entry.number == ioError) return entry.text;
  return "I/O error " + std::to_string(ioError);
}

std::string NativeIoErrorText(int nativeCode) {
  return IoErrorText(IoErrorFromNative(nativeCode));
}

}  // namespace lantervo::platform
