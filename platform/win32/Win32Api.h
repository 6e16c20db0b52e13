// The Windows headers, tamed for the backend.
//
// The platform headers come first on purpose: Types.h names its constants after
// the Windows ones (WM_CLOSE, IDOK, SC_CLOSE ...), which the Windows headers
// define as macros. And the interface methods MessageBox and PostMessage would
// otherwise be renamed to their ...A forms by the headers' macros.
#pragma once

#include "platform/Platform.h"

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

#undef MessageBox
#undef PostMessage

namespace orbl::win32 {

inline HWND ToHwnd(platform::WindowHandle handle) {
  return reinterpret_cast<HWND>(handle);
}
inline platform::WindowHandle FromHwnd(HWND hwnd) {
  return reinterpret_cast<platform::WindowHandle>(hwnd);
}

}  // namespace orbl::win32
