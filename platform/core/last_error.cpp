#include "platform/core/last_error.h"

#include <cerrno>

namespace {
thread_local DWORD t_lastError = ERROR_SUCCESS;
}

DWORD GetLastError() { return t_lastError; }

void SetLastError(DWORD error) { t_lastError = error; }

DWORD ErrorFromErrno(int err) {
  switch (err) {
    case 0:
      return ERROR_SUCCESS;
    case ENOENT:
    case ENXIO:
    case ENODEV:
      return ERROR_FILE_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
      return ERROR_ACCESS_DENIED;
    case EBADF:
      return ERROR_INVALID_HANDLE;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case EBUSY:
    case EWOULDBLOCK:
      return ERROR_SHARING_VIOLATION;
    case EINVAL:
    case ENOTTY:
      return ERROR_INVALID_PARAMETER;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
      return ERROR_BAD_PATHNAME;
    case EMFILE:
    case ENFILE:
      return ERROR_TOO_MANY_OPEN_FILES;
    case ETIMEDOUT:
      return ERROR_TIMEOUT;
    case EIO:
      return ERROR_IO_DEVICE;
    case EHOSTDOWN:
    case ENOTCONN:
      return ERROR_DEVICE_NOT_CONNECTED;
    case EINTR:
      return ERROR_OPERATION_ABORTED;
    case ENOSYS:
    case EOPNOTSUPP:
      return ERROR_NOT_SUPPORTED;
    default:
      return ERROR_GEN_FAILURE;
  }
}

BOOL FailWithErrno(int err) {
  SetLastError(ErrorFromErrno(err));
  return FALSE;
}
