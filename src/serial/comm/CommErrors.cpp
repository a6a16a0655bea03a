#include "serial/comm/CommErrors.h"

#include <grp.h>
#include <sys/stat.h>

#include <cerrno>

#include "common/Errors.h"
#include "common/ReasonTexts.h"
#include "serial/comm/CommApi.h"

namespace pzam::comm {

namespace {
thread_local uint32_t tLastError = ERROR_SUCCESS;
thread_local std::string tLastText;
}  // namespace

void SetCommError(uint32_t code, const std::string& text) {
  tLastError = code;
  tLastText = text;
}

void SetCommErrno(int err) {
  SetCommError(ErrorFromErrno(err), SystemErrorText(err));
}

void ClearCommErrorState() {
  SetCommError(ERROR_SUCCESS, std::string());
}

uint32_t LastCommError() {
  return tLastError;
}

std::string LastCommErrorText() {
  return tLastText;
}

std::string OpenErrorText(int err, const std::string& device) {
  if (err == EBUSY || err == EWOULDBLOCK) return ReasonText(kReasonPortInUse, device);
  std::string text = SystemErrorText(err) + ": " + device;
  if (err == EACCES || err == EPERM) {
    struct stat st {};
    std::string group = "dialout";
    if (stat(device.c_str(), &st) == 0) {
      if (const struct group* g = getgrgid(st.st_gid)) group = g->gr_name;
    }
    text += " (the user must be a member of the group " + group + ")";
  }
  return text;
}

uint32_t ErrorFromErrno(int err) {
  switch (err) {
    case 0:
      return ERROR_SUCCESS;
    case ENOENT:
    case ENXIO:
    case ENODEV:
    case ENOTDIR:
      return ERROR_FILE_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
      return ERROR_ACCESS_DENIED;
    case EBUSY:
    case EWOULDBLOCK:
      return ERROR_SHARING_VIOLATION;
    case EBADF:
      return ERROR_INVALID_HANDLE;
    case EINVAL:
    case ERANGE:
      return ERROR_INVALID_PARAMETER;
    case ENOTTY:
    case EOPNOTSUPP:
      return ERROR_NOT_SUPPORTED;
    case EIO:
    case EPIPE:
      return ERROR_DEVICE_REMOVED;
    case ECANCELED:
    case EINTR:
      return ERROR_OPERATION_ABORTED;
    default:
      return ERROR_GEN_FAILURE;
  }
}

}  // namespace pzam::comm
