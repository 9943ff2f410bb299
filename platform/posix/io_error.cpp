#include <errno.h>

#include "platform/io_error.h"

namespace lantervo::platform {

int IoErrorFromNative(int nativeCode) {
  switch (nativeCode) {
    case ENOENT: return kIoFileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP: return kIoPathNotFound;
    case EMFILE:
    case ENFILE: return kIoTooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY: return kIoAccessDenied;
    // Another writer holds the file's lock: what Windows reports as a sharing violation.
    case EWOULDBLOCK: return kIoSharingViolation;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return kIoDiskFull;
    case EBADF: return kIoFileNotOpen;
    default: return nativeCode;
  }
}

}  // namespace lantervo::platform
