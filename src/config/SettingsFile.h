// The settings file "PZAMConfig.ini": where it lives, its names and its typed values.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace pzam {

namespace settings {
inline constexpr char kFileName[] = "PZAMConfig.ini";
inline constexpr char kSerial[] = "Serial";
inline constexpr char kCom[] = "COM";
inline constexpr char kSelect[] = "Select";
inline constexpr char kReqMode[] = "ReqMode";
inline constexpr char kFileMode[] = "FileMode";
inline constexpr char kCableType[] = "CableType";
inline constexpr char kQuorvMode[] = "QuorvMode";
inline constexpr char kLanguage[] = "Language";
inline constexpr char kLastLanguage[] = "LastLanguage";
inline constexpr char kPorts[] = "Ports";
}  // namespace settings

// What decides where the settings file lives.
struct TSettingsPlace {
  std::string ProgramDir;  // the executable's folder, ending in a separator
  bool ProgramDirWritable = true;
  std::string XdgConfigHome;  // $XDG_CONFIG_HOME; empty when unset
  std::string Home;           // the user's home folder; empty when unknown
  std::string AppData = {};   // %APPDATA% (Windows); empty when unknown
};

// The settings file's path. A writable program folder keeps it beside the executable (as on a
// Windows installation); otherwise it is "pzam/PZAMConfig.ini" in $XDG_CONFIG_HOME (taken only
// when absolute) or in ~/.config, on Windows in %APPDATA%. With none it stays beside the
// executable.
std::string SettingsFilePathFor(const TSettingsPlace& place);

// True when this process may create files in dir (access() with W_OK: the real user's rights,
// a read-only file system refuses even the administrator; a probe file on Windows).
bool FolderWritable(const std::string& dir);

// The settings file of a program whose folder is programDir, under this process's rights and
// environment (HOME, else the password database; APPDATA, else the known folder).
std::string SettingsFilePathIn(const std::string& programDir);

// The settings file of the running executable.
std::string SettingsFilePath();

// Creates the folders above the settings file that are missing (mode 0700 on POSIX, as a
// configuration folder should be). False when one cannot be created.
bool CreateSettingsFolder(const std::string& path);

// The optional [Ports] section: the device each port stands for (COM5=/dev/ttyUSB0), port number
// -> device, for COM1 to COM99. Keys outside that range and empty values are left out.
std::map<int, std::string> ReadPortMap(const std::string& path);
// The same from the file's text (as ReadProfileText gives it): one read of the file for all ports.
std::map<int, std::string> PortMapFromText(std::string_view text);

// Reads a whole number: decimal with an optional sign, or hexadecimal after "0x", "0X", "x", "X"
// or "$" (up to 8 digits, taken as a 32-bit pattern, so "$FFFFFFFF" is -1). False for anything
// else, blanks and decimal numbers outside the 32-bit range included.
bool ParseProfileInteger(std::string_view text, int& value);

// The integer value of key in section; defaultValue when it is missing or not a whole number.
int ReadProfileInteger(const std::string& path, const std::string& section, const std::string& key,
                       int defaultValue);

// A selection index as a radio group of itemCount items takes it: above the last item selects
// the last, below -1 selects none (-1).
int ClampSelectionIndex(int index, int itemCount);

}  // namespace pzam
