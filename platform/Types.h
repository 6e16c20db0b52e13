// Vocabulary shared by every platform interface and the program core.
//
// Messages use the Windows numbering even on platforms that are not Windows:
// the Linux backend and the simulation translate their events into these codes,
// so the system-event handler has one vocabulary to decode.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace orbl::platform {

// Opaque handles. 0 always means "none". A window handle's value is also what
// the program writes in decimal into its per-drive hot key atom names, so it
// must be stable for the life of the window and unique among running programs.
using WindowHandle = std::uintptr_t;
using ControlHandle = std::uintptr_t;
using TimerHandle = std::uint32_t;
using MenuHandle = std::uintptr_t;
using MenuItemHandle = std::uintptr_t;
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
inline constexpr std::uint32_t WM_CLOSE = 0x0010;
inline constexpr std::uint32_t WM_QUERYENDSESSION = 0x0011;
inline constexpr std::uint32_t WM_ENDSESSION = 0x0016;
inline constexpr std::uint32_t WM_TIMER = 0x0113;
inline constexpr std::uint32_t WM_SYSCOMMAND = 0x0112;
inline constexpr std::uint32_t WM_POWERBROADCAST = 0x0218;
inline constexpr std::uint32_t WM_DEVICECHANGE = 0x0219;
inline constexpr std::uint32_t WM_HOTKEY = 0x0312;
inline constexpr std::uint32_t WM_USER = 0x0400;

inline constexpr std::uint64_t SC_MINIMIZE = 0xF020;
inline constexpr std::uint64_t SC_CLOSE = 0xF060;

inline constexpr std::uint64_t DBT_DEVICEREMOVECOMPLETE = 0x8004;
inline constexpr std::uint32_t DBT_DEVTYP_VOLUME = 2;

inline constexpr std::uint64_t PBT_APMQUERYSUSPEND = 0x0;
inline constexpr std::uint64_t PBT_APMSUSPEND = 0x4;
inline constexpr std::uint64_t PBT_APMRESUMESUSPEND = 0x7;
inline constexpr std::uint64_t PBT_APMPOWERSTATUSCHANGE = 0xA;
inline constexpr std::uint64_t PBT_APMRESUMEAUTOMATIC = 0x12;
}  // namespace msg

// Message box flags and answers (MessageBoxA numbering).
namespace mb {
inline constexpr std::uint32_t OK = 0x0;
inline constexpr std::uint32_t ICONHAND = 0x10;
inline constexpr std::uint32_t ICONEXCLAMATION = 0x30;
inline constexpr std::uint32_t ICONINFORMATION = 0x40;
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
}  // namespace mb

// Hot key modifier mask (RegisterHotKey numbering).
namespace mod {
inline constexpr std::uint32_t ALT = 1;
inline constexpr std::uint32_t CONTROL = 2;
inline constexpr std::uint32_t SHIFT = 4;
inline constexpr std::uint32_t WIN = 8;
}  // namespace mod

// Show modes of a shell launch (ShowWindow numbering).
namespace sw {
inline constexpr int SHOW = 5;
inline constexpr int SHOWMAXIMIZED = 3;
}  // namespace sw

}  // namespace orbl::platform
