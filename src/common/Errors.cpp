#include "common/Errors.h"

#include <cerrno>

#include "platform/SystemErrors.h"

namespace pzam {

std::string EInOutError::TextFor(int code) {
  switch (code) {
    case 2:
      return "Datei nicht gefunden";
    case 3:
      return "Ungültiger Dateiname";
    case 4:
      return "Zu viele geöffnete Dateien";
    case 5:
      return "Dateizugriff verweigert";
    case 100:
      return "Versuch hinter dem Dateiende zu lesen";
    case 101:
      return "Zu wenig Speicherplatz";
    case 106:
      return "Ungültige numerische Eingabe";
    default:
      return "E/A-Fehler " + std::to_string(code);
  }
}

int EInOutError::CodeFromErrno(int err) {
  if (platform::IsDiskFull(err)) return 101;
  switch (err) {
    case ENOENT:
      return 2;
    case ENOTDIR:
    case ENAMETOOLONG:
    case EINVAL:
      return 3;
    case EMFILE:
    case ENFILE:
      return 4;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
      return 5;
    default:
      return err;
  }
}

EInOutError::EInOutError(int code) : Exception(TextFor(code)), FCode(code) {}

EFCreateError::EFCreateError(const std::string& fullPath, const std::string& reason)
    : Exception("Datei \"" + fullPath + "\" kann nicht erstellt werden. " + reason) {}

EIniFileError::EIniFileError(const std::string& path)
    : Exception("In " + path + " kann nicht geschrieben werden") {}

std::string SystemErrorText(int err, const std::string& messagesLocale) {
  return platform::SystemErrorText(err, messagesLocale);
}

std::string SystemErrorText(int err) {
  return platform::SystemErrorText(err);
}

}  // namespace pzam
