#include "StdinFromText.h"

#include <windows.h>

namespace pzam::platform::test {

TStdinFromText::TStdinFromText(const std::string& text) {
  HANDLE read = nullptr, write = nullptr;
  if (!CreatePipe(&read, &write, nullptr, 65536)) return;
  DWORD written = 0;
  if (!text.empty())
    WriteFile(write, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(write);
  FSaved = reinterpret_cast<long long>(GetStdHandle(STD_INPUT_HANDLE));
  SetStdHandle(STD_INPUT_HANDLE, read);
}

TStdinFromText::~TStdinFromText() {
  if (FSaved < 0) return;
  const HANDLE read = GetStdHandle(STD_INPUT_HANDLE);
  SetStdHandle(STD_INPUT_HANDLE, reinterpret_cast<HANDLE>(FSaved));
  CloseHandle(read);
}

}  // namespace pzam::platform::test
