// The yardstick for scripts/bench.sh: the least a resident tray program can
// be on Win32. A hidden window, one notification icon, a message loop; a
// close request to the window ends it. Whatever orbl3.exe costs beyond this is
// the program's own doing rather than the price of being a tray program.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// windows.h first: shellapi.h relies on its types.
#include <shellapi.h>

namespace {

constexpr wchar_t kClassName[] = L"OrbelleBenchBareTray";
constexpr UINT kIconMessage = WM_APP + 1;

NOTIFYICONDATAW IconData(HWND window) {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window;
  data.uID = 1;
  return data;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    NOTIFYICONDATAW data = IconData(window);
    Shell_NotifyIconW(NIM_DELETE, &data);
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*show*/) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kClassName;
  if (RegisterClassW(&windowClass) == 0) return 1;
  HWND window = CreateWindowExW(0, kClassName, L"Bare Tray", WS_OVERLAPPED, 0, 0, 0, 0, nullptr,
                                nullptr, instance, nullptr);
  if (window == nullptr) return 1;

  NOTIFYICONDATAW data = IconData(window);
  data.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
  data.uCallbackMessage = kIconMessage;
  data.hIcon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512) /*IDI_APPLICATION*/);
  lstrcpynW(data.szTip, L"Bare Tray", sizeof data.szTip / sizeof data.szTip[0]);
  Shell_NotifyIconW(NIM_ADD, &data);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}
