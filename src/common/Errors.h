// The error classes the measuring run raises. Their texts are what the operator sees in the
// error box (or, on the event thread, in the message list), so they carry the system's wording.
#pragma once

#include <stdexcept>
#include <string>

namespace pzam {

// Base of every error the program raises itself.
class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

// A text that does not read as a number ("'abc' ist kein gültiger Integerwert").
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// An input/output error with the system's error number; the text follows the number.
class EInOutError : public Exception {
 public:
  explicit EInOutError(int code);
  int ErrorCode() const { return FCode; }
  // The framework's text for an input/output error number ("E/A-Fehler %d" for unknown ones).
  static std::string TextFor(int code);
  // Maps an errno value to the framework's input/output error number.
  static int CodeFromErrno(int err);

 private:
  int FCode;
};

// A file that cannot be created: "Datei "<path>" kann nicht erstellt werden. <reason>".
class EFCreateError : public Exception {
 public:
  EFCreateError(const std::string& fullPath, const std::string& reason);
};

// A stream write that did not write every byte.
class EWriteError : public Exception {
 public:
  EWriteError() : Exception("Stream-Schreibfehler") {}
};

// A profile (settings) file that cannot be written: "In <path> kann nicht geschrieben werden".
class EIniFileError : public Exception {
 public:
  explicit EIniFileError(const std::string& path);
};

// The system's text for an errno value in the user's messages locale (LC_ALL, LC_MESSAGES,
// LANG; the user's language on Windows) where the system has its words; in English otherwise.
std::string SystemErrorText(int err);
// The same for a named messages locale ("de_DE.UTF-8"); "" is the user's.
std::string SystemErrorText(int err, const std::string& messagesLocale);

}  // namespace pzam
