// The Windows headers, tamed for the backend, and the small routines its files
// share: handle conversions, DPI scaling, a window's text.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef STRICT
#define STRICT
#endif
#include <windows.h>
// windows.h first: the others rely on its types.
#include <commctrl.h>
#include <dbt.h>
#include <mmsystem.h>
#include <shellapi.h>
#include <winioctl.h>

#include <string>

#include "platform/Platform.h"

namespace orbl::win32 {

inline HWND ToHwnd(platform::WindowHandle handle) {
  return reinterpret_cast<HWND>(handle.value);
}
inline platform::WindowHandle FromHwnd(HWND hwnd) {
  return platform::WindowHandle{reinterpret_cast<std::uintptr_t>(hwnd)};
}

inline HMENU ToHmenu(platform::MenuHandle handle) {
  return reinterpret_cast<HMENU>(handle.value);
}
inline platform::MenuHandle FromHmenu(HMENU menu) {
  return platform::MenuHandle{reinterpret_cast<std::uintptr_t>(menu)};
}

// Layout sizes are given for 96 DPI.
inline int ScaleToDpi(int value, UINT dpi) {
  return MulDiv(value, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
}

// The icon resource `name` drawn for the size `metric` (SM_CXICON,
// SM_CXSMICON) has at `dpi`; the caller destroys it. Not LR_SHARED: a shared
// icon is whichever size was loaded first, the 32-pixel one squeezed into a
// 16-pixel place.
inline HICON LoadIconAtDpi(HINSTANCE instance, const std::string& name, int metric, UINT dpi) {
  if (name.empty()) return nullptr;
  const int size = GetSystemMetricsForDpi(metric, dpi);
  return static_cast<HICON>(LoadImageA(instance, name.c_str(), IMAGE_ICON, size, size, 0));
}

// A system library loaded when first needed rather than with the program.
// Only the system folder is searched: a DLL of that name beside the program
// must not be picked up.
inline HMODULE LoadSystemLibrary(const char* library) {
  return LoadLibraryExA(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

// nullptr when the module or the function is missing.
template <typename Function>
Function FindFunction(HMODULE module, const char* name) {
  if (module == nullptr) return nullptr;
  // Through the generic function pointer type, which converts to any other
  // without a warning.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// A function of a system library that stays loaded until the process ends.
template <typename Function>
Function LoadSystemFunction(const char* library, const char* name) {
  return FindFunction<Function>(LoadSystemLibrary(library), name);
}

inline std::string WindowText(HWND hwnd) {
  const int length = GetWindowTextLengthA(hwnd);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const int copied = GetWindowTextA(hwnd, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return text;
}

}  // namespace orbl::win32
