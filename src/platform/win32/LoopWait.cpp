#include "platform/LoopWait.h"

#include <windows.h>

namespace pzam::platform {

struct TLoopWait::TState {
  HANDLE Wake = nullptr;  // auto-reset event: set by Wake, taken by Wait
};

TLoopWait::TLoopWait() : FState(std::make_unique<TState>()) {
  FState->Wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
}

TLoopWait::~TLoopWait() {
  if (FState->Wake != nullptr) CloseHandle(FState->Wake);
}

bool TLoopWait::WatchesDescriptors() {
  return false;
}

void TLoopWait::Wake() {
  SetEvent(FState->Wake);
}

bool TLoopWait::Wait(int timeoutMs, const std::vector<int>&, std::vector<int>& ready) {
  ready.clear();
  if (FState->Wake == nullptr) return false;
  const DWORD timeout = timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs);
  // MWMO_INPUTAVAILABLE: messages already in the queue end the wait too, not only new ones.
  const DWORD result =
      MsgWaitForMultipleObjectsEx(1, &FState->Wake, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  if (result == WAIT_FAILED) return false;
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return true;
}

}  // namespace pzam::platform
