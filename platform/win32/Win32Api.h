// The Windows headers, tamed for the backend. They come first: the shared
// interfaces use no name the headers define as a macro.
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

}  // namespace orbl::win32
