// Vocabulary shared by every platform interface and the program core.
//
// Messages use the Windows numbering even on platforms that are not Windows:
// the Linux backend and the simulation translate their events into these codes,
// so the system-event handler has one vocabulary to decode. The names are our
// own (kClose, not WM_CLOSE): the system headers define theirs as macros, and
// every backend must be able to include its system headers first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace orbl::platform {

// Opaque handles, each of its own type so that a menu cannot be passed where
// a window is expected. A default-constructed handle means "none". A window
// handle's value is also what the program writes in decimal into its per-drive
// hot key atom names, so it must be stable for the life of the window and
// unique among running programs.
template <typename Tag, typename Rep = std::uintptr_t>
struct Handle {
  Rep value = 0;
  constexpr Handle() = default;
  constexpr explicit Handle(Rep v) : value(v) {}
  constexpr explicit operator bool() const { return value != 0; }
  friend constexpr auto operator<=>(Handle, Handle) = default;
};
using WindowHandle = Handle<struct WindowTag>;
using ControlHandle = Handle<struct ControlTag>;
using MenuHandle = Handle<struct MenuTag>;
using MenuItemHandle = Handle<struct MenuItemTag>;
using TimerHandle = Handle<struct TimerTag>;
using Atom = std::uint16_t;

// A window message as the core sees it. `data` holds the bytes that lParam
// points to for messages that carry a structure (WM_DEVICECHANGE with a
// DEV_BROADCAST_* header); it is empty for every other message. The decoder
// must treat these bytes as untrusted: a backend passes on at most what the
// sender declared in the structure's own size field, and never more than it
// could read safely.
struct Message {
  std::uint32_t code = 0;
  std::uint64_t wParam = 0;
  std::int64_t lParam = 0;
  std::span<const std::byte> data{};
};

namespace msg {
inline constexpr std::uint32_t kClose = 0x0010;            // WM_CLOSE
inline constexpr std::uint32_t kQueryEndSession = 0x0011;  // WM_QUERYENDSESSION
inline constexpr std::uint32_t kEndSession = 0x0016;       // WM_ENDSESSION
inline constexpr std::uint32_t kTimer = 0x0113;            // WM_TIMER
inline constexpr std::uint32_t kSysCommand = 0x0112;       // WM_SYSCOMMAND
inline constexpr std::uint32_t kPowerBroadcast = 0x0218;   // WM_POWERBROADCAST
inline constexpr std::uint32_t kDeviceChange = 0x0219;     // WM_DEVICECHANGE
inline constexpr std::uint32_t kHotKey = 0x0312;           // WM_HOTKEY
inline constexpr std::uint32_t kUser = 0x0400;             // WM_USER

inline constexpr std::uint64_t kScMinimize = 0xF020;  // SC_MINIMIZE
inline constexpr std::uint64_t kScClose = 0xF060;     // SC_CLOSE

inline constexpr std::uint64_t kDbtDeviceRemoveComplete = 0x8004;  // DBT_DEVICEREMOVECOMPLETE
inline constexpr std::uint32_t kDbtDevTypVolume = 2;               // DBT_DEVTYP_VOLUME

inline constexpr std::uint64_t kPbtApmQuerySuspend = 0x0;        // PBT_APMQUERYSUSPEND
inline constexpr std::uint64_t kPbtApmQuerySuspendFailed = 0x2;  // PBT_APMQUERYSUSPENDFAILED
inline constexpr std::uint64_t kPbtApmSuspend = 0x4;             // PBT_APMSUSPEND
inline constexpr std::uint64_t kPbtApmResumeCritical = 0x6;      // PBT_APMRESUMECRITICAL
inline constexpr std::uint64_t kPbtApmResumeSuspend = 0x7;       // PBT_APMRESUMESUSPEND
inline constexpr std::uint64_t kPbtApmPowerStatusChange = 0xA;   // PBT_APMPOWERSTATUSCHANGE
inline constexpr std::uint64_t kPbtApmResumeAutomatic = 0x12;    // PBT_APMRESUMEAUTOMATIC
}  // namespace msg

// Message box flags and answers (MessageBoxA numbering).
namespace mb {
inline constexpr std::uint32_t kOk = 0x0;                // MB_OK
inline constexpr std::uint32_t kIconHand = 0x10;         // MB_ICONHAND
inline constexpr std::uint32_t kIconExclamation = 0x30;  // MB_ICONEXCLAMATION
inline constexpr std::uint32_t kIconInformation = 0x40;  // MB_ICONINFORMATION
// A program in the background may not take the foreground: without these two
// a box with no owner (or a hidden one) opens behind the active window.
inline constexpr std::uint32_t kSetForeground = 0x10000;  // MB_SETFOREGROUND
inline constexpr std::uint32_t kTopmost = 0x40000;        // MB_TOPMOST
inline constexpr int kIdOk = 1;                           // IDOK
inline constexpr int kIdCancel = 2;                       // IDCANCEL
}  // namespace mb

// Hot key modifier mask (RegisterHotKey numbering).
namespace mod {
inline constexpr std::uint32_t kAlt = 1;      // MOD_ALT
inline constexpr std::uint32_t kControl = 2;  // MOD_CONTROL
inline constexpr std::uint32_t kShift = 4;    // MOD_SHIFT
inline constexpr std::uint32_t kWin = 8;      // MOD_WIN
}  // namespace mod

// Show modes of a shell launch (ShowWindow numbering).
namespace sw {
inline constexpr int kShow = 5;           // SW_SHOW
inline constexpr int kShowMaximized = 3;  // SW_SHOWMAXIMIZED
}  // namespace sw

}  // namespace orbl::platform
