// Inside the Win32 side of the platform: UTF-8 text to the UTF-16 of the system's wide calls and
// back, and the system's error codes as errno values.
#pragma once

#include <windows.h>

#include <string>

namespace pzam::platform::win32 {

// UTF-8 as UTF-16; bytes that are not UTF-8 are taken as Windows-1252 (files and names carried over
// from an older installation).
std::wstring Wide(const std::string& utf8);

// UTF-16 as UTF-8.
std::string Utf8(const std::wstring& wide);
std::string Utf8(const wchar_t* wide);

// The errno value that stands for a system error code (ERROR_FILE_NOT_FOUND: ENOENT, ...).
int ErrnoFromError(DWORD error);

// Sets errno from GetLastError; returns false, for `return Failed();`.
bool Failed();

}  // namespace pzam::platform::win32
