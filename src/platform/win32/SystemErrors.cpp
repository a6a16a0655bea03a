#include "platform/SystemErrors.h"

#include <windows.h>

#include <cerrno>
#include <cstring>

#include "platform/win32/Wide.h"

namespace pzam::platform {

namespace {

// The system error code whose text says what err says; 0 where there is none.
DWORD ErrorOf(int err) {
  switch (err) {
    case ENOENT:
      return ERROR_FILE_NOT_FOUND;
    case EINVAL:
      return ERROR_INVALID_NAME;
    case ENAMETOOLONG:
      return ERROR_FILENAME_EXCED_RANGE;
    case EMFILE:
    case ENFILE:
      return ERROR_TOO_MANY_OPEN_FILES;
    case EACCES:
    case EPERM:
    case EISDIR:
      return ERROR_ACCESS_DENIED;
    case EROFS:
      return ERROR_WRITE_PROTECT;
    case EEXIST:
      return ERROR_FILE_EXISTS;
    case ENOSPC:
      return ERROR_DISK_FULL;
    case EBADF:
      return ERROR_INVALID_HANDLE;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case EPIPE:
      return ERROR_BROKEN_PIPE;
    case EIO:
      return ERROR_GEN_FAILURE;
    default:
      return 0;
  }
}

// The language of a messages locale ("de_DE.UTF-8" is "de-DE"); 0 for the user's.
LANGID LanguageOf(const std::string& messagesLocale) {
  std::string name = messagesLocale.substr(0, messagesLocale.find_first_of(".@"));
  if (name.empty()) return 0;
  for (char& c : name)
    if (c == '_') c = '-';
  const LCID lcid = LocaleNameToLCID(win32::Wide(name).c_str(), 0);
  return lcid != 0 ? LANGIDFROMLCID(lcid) : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
}

// The system's message in language; the framework's form: without the full stop and line break
// at its end.
std::string Message(DWORD error, LANGID language) {
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, language, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message = n > 0 && text != nullptr ? std::wstring(text, n) : std::wstring();
  LocalFree(text);
  while (!message.empty() && (message.back() <= L' ' || message.back() == L'.')) message.pop_back();
  return win32::Utf8(message);
}

std::string TextIn(int err, LANGID language) {
  if (const DWORD error = ErrorOf(err)) {
    std::string text = Message(error, language);
    if (text.empty() && language != 0)
      text = Message(error, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    if (!text.empty()) return text;
  }
  return std::strerror(err);
}

}  // namespace

std::string SystemErrorText(int err, const std::string& messagesLocale) {
  return TextIn(err, LanguageOf(messagesLocale));
}

std::string SystemErrorText(int err) {
  return TextIn(err, 0);
}

bool IsDiskFull(int err) {
  return err == ENOSPC;
}

}  // namespace pzam::platform
