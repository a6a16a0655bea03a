// The system's words for an error number (errno, as every platform function reports it).
#pragma once

#include <string>

namespace pzam::platform {

// The text for err in the user's messages language (LC_ALL, LC_MESSAGES, LANG; the user interface
// language on Windows) where the system has its words; in English otherwise.
std::string SystemErrorText(int err);

// The same for a named messages locale ("de_DE.UTF-8"; "" is the user's).
std::string SystemErrorText(int err, const std::string& messagesLocale);

// True for the errors of a full disk or an exhausted quota.
bool IsDiskFull(int err);

}  // namespace pzam::platform
