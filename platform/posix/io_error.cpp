#include <errno.h>

#include "platform/io_error.h"

namespace lantervo::platform {

namespace {

// Windows numbers for conditions that have no text of their own.
constexpr int kGeneralFailure = 31;  // ERROR_GEN_FAILURE
constexpr int kFileExists = 80;      // ERROR_FILE_EXISTS
constexpr int kInvalidParameter = 87;
constexpr int kBrokenPipe = 109;

}  // namespace

// The runtime numbers are Windows error codes, so errno values are translated to the Windows
// condition they stand for; one passed through unchanged must not land on a number that means
// something else there.
int IoErrorFromNative(int nativeCode) {
  switch (nativeCode) {
    case 0:
      return 0;
    case ENOENT:
      return kIoFileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
      return kIoPathNotFound;
    case EMFILE:
    case ENFILE:
      return kIoTooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
      return kIoAccessDenied;
    // Another writer holds the file's lock: what Windows reports as a sharing violation.
    case EWOULDBLOCK:
    case EBUSY:
      return kIoSharingViolation;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return kIoDiskFull;
    case EBADF:
      return kIoFileNotOpen;
    case EEXIST:
      return kFileExists;
    case EINVAL:
      return kInvalidParameter;
    case EPIPE:
      return kBrokenPipe;
    case ESRCH:
    case EINTR:
    case EIO:
    case ENETDOWN:
    case ENETUNREACH:
    case ECONNABORTED:
    case ECONNRESET:
    case ENOBUFS:
      return kGeneralFailure;
    default:
      return nativeCode;
  }
}

}  // namespace lantervo::platform
