// Paths and the program's folder: how paths turn into the system's form, where the running
// executable lies, whether a folder takes new files, and the user's configuration folder. Paths are
// UTF-8 strings inside the program and the system's own form (UTF-16 on Windows) only at its calls.
#pragma once

#include <filesystem>
#include <string>

namespace pzam::platform {

// True for a character that separates folders ('/'; '\\' and '/' on Windows).
bool IsPathSeparator(char c);

// The separator the system writes ('/'; '\\' on Windows).
char PreferredSeparator();

// A UTF-8 path as the standard library's path type (wide on Windows), for streams and
// std::filesystem; bytes that are not UTF-8 are taken as Windows-1252 there.
std::filesystem::path FsPath(const std::string& utf8);

// The path as UTF-8 text.
std::string Utf8Path(const std::filesystem::path& path);

// Full path of the running executable (/proc/self/exe; GetModuleFileNameW); empty when unknown.
std::string ExecutablePath();

// True when this user may create files in dir (empty: the current folder). POSIX asks access()
// (the real user's rights; a read-only file system refuses even the administrator); Windows
// creates and drops a probe file, the only answer its access rules give reliably.
bool FolderWritable(const std::string& dir);

// Creates the missing folders of dir (mode 0700 on POSIX, as a configuration folder should be).
// False when one cannot be created or a part of dir is not a folder.
bool CreateFolders(const std::string& dir);

// What decides the user's configuration folder.
struct TConfigEnvironment {
  std::string XdgConfigHome;  // $XDG_CONFIG_HOME; empty when unset
  std::string Home;           // the user's home folder; empty when unknown
  std::string AppData;        // %APPDATA% (the roaming application data folder)
};

// The environment of this process: the variables, else the user database (HOME) or the known
// folder (APPDATA).
TConfigEnvironment ConfigEnvironment();

// The program's folder among the user's configuration, ending in a separator: POSIX
// "$XDG_CONFIG_HOME/pzam/" (taken only when absolute), else "$HOME/.config/pzam/"; Windows
// "%APPDATA%\pzam\" (taken only when absolute). Empty when none is known.
std::string UserConfigFolderFor(const TConfigEnvironment& env);

}  // namespace pzam::platform
