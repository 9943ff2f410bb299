#pragma once
// The runtime's I/O error numbers and texts, as file operations of the event log report them:
// "File not found", "File access denied", ... or "I/O error " + number when there is no text.
#include <string>

namespace lantervo::platform {

// Runtime I/O error numbers. The low ones are the Windows system error codes themselves.
enum IoErrorNumber : int {
  kIoFileNotFound = 2,
  kIoPathNotFound = 3,
  kIoTooManyOpenFiles = 4,
  kIoAccessDenied = 5,
  kIoSharingViolation = 32,
  kIoReadBeyondEnd = 100,
  kIoDiskFull = 101,
  kIoFileNotOpen = 103,
  kIoNotOpenForInput = 104,
  kIoNotOpenForOutput = 105,
};

// The runtime's text for an I/O error number.
std::string IoErrorText(int ioError);
// The I/O error number for a native error (errno on Linux, GetLastError on Windows).
int IoErrorFromNative(int nativeCode);
// IoErrorText(IoErrorFromNative(nativeCode)).
std::string NativeIoErrorText(int nativeCode);

}  // namespace lantervo::platform
