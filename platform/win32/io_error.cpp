#include <windows.h>

#include "platform/io_error.h"

namespace lantervo::platform {

// The runtime numbers are the Windows error codes, except that a full disk has its own number.
int IoErrorFromNative(int nativeCode) {
  switch (static_cast<DWORD>(nativeCode)) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return kIoDiskFull;
    case ERROR_INVALID_HANDLE:
      return kIoFileNotOpen;
    default:
      return nativeCode;
  }
}

}  // namespace lantervo::platform
