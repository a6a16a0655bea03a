#include "serial/PortWatch.h"

#include <cstdio>
#include <string>

#include "common/FormatSettings.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// windows.h first: dbt.h needs its types.
#include <dbt.h>

namespace pzam::serial {

struct TPortWatch::TImpl {
  TCOMManager& Manager;
  IDispatcher& Dispatcher;
  HWND Window = nullptr;
  std::wstring ClassName;
  // Read and cleared on the window thread only: changes posted after destruction are dropped.
  std::shared_ptr<bool> Alive = std::make_shared<bool>(true);

  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void DeviceChange(WPARAM change, const ::DEV_BROADCAST_HDR* header);
};

namespace {

// The window's class and title: "Ser" and the time of its making ("Ser08.12.2026 14:03:27"),
// so each program's class is its own.
std::wstring WindowClassName() {
  const TDateTime t = Now();
  char date[16];
  std::snprintf(date, sizeof date, "%02d.%02d.%04d ", t.Day, t.Month, t.Year);
  const std::string name = "Ser" + std::string(date) + TimeToText(t, SystemFormatSettings());
  return std::wstring(name.begin(), name.end());  // digits, dots, colons: plain ASCII
}

}  // namespace

LRESULT CALLBACK TPortWatch::TImpl::Procedure(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  } else if (message == WM_DEVICECHANGE) {
    auto* impl = reinterpret_cast<TImpl*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (impl) impl->DeviceChange(wParam, reinterpret_cast<const ::DEV_BROADCAST_HDR*>(lParam));
    return TRUE;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

void TPortWatch::TImpl::DeviceChange(WPARAM change, const ::DEV_BROADCAST_HDR* header) {
  if (change != DBT_DEVICEARRIVAL && change != DBT_DEVICEREMOVECOMPLETE) return;
  if (!header || header->dbch_devicetype != DBT_DEVTYP_PORT) return;
  // The broadcaster waits for this procedure: the manager, whose listeners may open windows
  // of their own, is told once the message has been answered.
  const bool arrived = change == DBT_DEVICEARRIVAL;
  Dispatcher.Post([&manager = Manager, alive = Alive, arrived] {
    if (*alive) manager.PortDeviceChanged(arrived);
  });
}

TPortWatch::TPortWatch(TCOMManager& manager, IDispatcher& dispatcher, comm::ICommApi& /*api*/)
    : FImpl(new TImpl{manager, dispatcher, nullptr, {}}) {
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  FImpl->ClassName = WindowClassName();
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &TImpl::Procedure;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = FImpl->ClassName.c_str();
  if (!::RegisterClassExW(&windowClass) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return;
  // Top-level, style 0 and never shown: the system broadcasts device changes to top-level
  // windows only.
  FImpl->Window = ::CreateWindowExW(0, FImpl->ClassName.c_str(), FImpl->ClassName.c_str(), 0, 10,
                                    10, 200, 200, nullptr, nullptr, instance, FImpl.get());
}

TPortWatch::~TPortWatch() {
  *FImpl->Alive = false;
  if (FImpl->Window) ::DestroyWindow(FImpl->Window);
  ::UnregisterClassW(FImpl->ClassName.c_str(), ::GetModuleHandleW(nullptr));
}

bool TPortWatch::Watching() const {
  return FImpl->Window != nullptr;
}

int TPortWatch::Fd() const {
  return -1;
}

void TPortWatch::OnReadable() {}

}  // namespace pzam::serial
