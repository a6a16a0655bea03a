#include "serial/PortWatch.h"

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
  // Read and cleared on the window thread only: changes posted after destruction are dropped.
  std::shared_ptr<bool> Alive = std::make_shared<bool>(true);

  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void DeviceChange(WPARAM change, const ::DEV_BROADCAST_HDR* header);
};

namespace {
const wchar_t kWindowClass[] = L"PZAM.PortWatch";
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
    : FImpl(new TImpl{manager, dispatcher}) {
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &TImpl::Procedure;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kWindowClass;
  if (!::RegisterClassExW(&windowClass) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return;
  // Top-level and never shown: the system broadcasts device changes to top-level windows only.
  FImpl->Window = ::CreateWindowExW(0, kWindowClass, L"P-ZAM port watch", WS_OVERLAPPED, 0, 0, 0, 0,
                                    nullptr, nullptr, instance, FImpl.get());
}

TPortWatch::~TPortWatch() {
  *FImpl->Alive = false;
  if (FImpl->Window) ::DestroyWindow(FImpl->Window);
}

bool TPortWatch::Watching() const {
  return FImpl->Window != nullptr;
}

int TPortWatch::Fd() const {
  return -1;
}

void TPortWatch::OnReadable() {}

}  // namespace pzam::serial
