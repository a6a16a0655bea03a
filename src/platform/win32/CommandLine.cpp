#include "platform/CommandLine.h"

#include <windows.h>
// shellapi.h needs windows.h before it.
#include <shellapi.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "platform/win32/Wide.h"

namespace pzam::platform {

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> args;
  if (wide == nullptr) {  // no memory for the split: what the runtime made of it
    if (argc > 1) args.assign(argv + 1, argv + argc);
    return args;
  }
  for (int i = 1; i < count; ++i) args.push_back(win32::Utf8(wide[i]));
  LocalFree(wide);
  return args;
}

void UseStandardStreamsAsBytes() {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  if (GetConsoleWindow() != nullptr) SetConsoleOutputCP(CP_UTF8);
}

}  // namespace pzam::platform
