// System-wide hot keys on an X11 display: passive key grabs on the root window,
// on a display connection of their own so that the toolkit's event handling
// never sees (or swallows) them.
#pragma once

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "platform/HotKeys.h"

namespace orbl::lnx {

// What a hot key grabs: the key's symbol (looked up in the current keymap to
// find its key codes) and every modifier mask that must be grabbed for it, so
// that Caps Lock and Num Lock do not keep it from firing.
struct KeyGrab {
  std::uint32_t keysym = 0;
  std::uint16_t mask = 0;               // the hot key's own modifiers
  std::vector<std::uint16_t> variants;  // mask with each Lock/NumLock state
};

// Nullopt for a key or a modifier bit the hot keys do not offer. `numLockMask`
// is the modifier Num Lock sits on in the keymap, 0 when it has none.
std::optional<KeyGrab> HotKeyGrab(std::uint32_t modifiers, std::uint32_t virtualKey,
                                  std::uint16_t numLockMask);

// Global grabs exist only for X clients under a Wayland compositor: they
// would see keys only while one of our own windows has the focus.
bool OnWaylandSession(const char* waylandDisplay, const char* sessionType);

class X11HotKeys final : public platform::HotKeys {
 public:
  using Callback = std::function<void(platform::WindowHandle window, int id)>;

  // Connects to $DISPLAY at the first Register or Fd; without a display, or
  // on Wayland, every Register fails.
  explicit X11HotKeys(Callback onHotKey);
  ~X11HotKeys() override;
  X11HotKeys(const X11HotKeys&) = delete;
  X11HotKeys& operator=(const X11HotKeys&) = delete;

  // False when any key code or lock variant of the combination is grabbed by
  // another client (nothing of it stays grabbed then), when this object holds
  // it already, or when the key is not on the keyboard.
  bool Register(platform::WindowHandle window, int id, std::uint32_t modifiers,
                std::uint32_t virtualKey) override;
  // Releases one combination registered under the identifier.
  bool Unregister(platform::WindowHandle window, int id) override;

  // To be watched for readability; -1 without a display or once the
  // connection has broken (the watcher should stop then).
  int Fd();
  // Calls the callback once per hot key press; a held key's repeats do not.
  // Register and Unregister call it too for presses that arrived while they
  // waited for the server.
  void HandleReadable();

 private:
  struct Registration {
    platform::WindowHandle window;
    int id = 0;
    std::vector<xcb_keycode_t> keycodes;
    std::uint16_t mask = 0;
    std::vector<std::uint16_t> variants;
  };

  void Connect();
  std::vector<xcb_keycode_t> KeycodesOf(std::uint32_t keysym) const;
  std::uint16_t NumLockMask() const;
  void Ungrab(const std::vector<xcb_keycode_t>& keycodes,
              const std::vector<std::uint16_t>& variants);
  void Sync();
  // Handles every event `next` gives.
  void Dispatch(xcb_generic_event_t* (*next)(xcb_connection_t*));
  void KeyPressed(xcb_keycode_t keycode, std::uint16_t state, xcb_timestamp_t time);

  Callback onHotKey_;
  bool connectTried_ = false;
  xcb_connection_t* connection_ = nullptr;
  xcb_key_symbols_t* symbols_ = nullptr;
  xcb_window_t root_ = 0;
  std::vector<Registration> registrations_;
  // The last key release: X's auto-repeat of a held key sends a release and a
  // press with the same time stamp.
  std::optional<std::pair<xcb_keycode_t, xcb_timestamp_t>> lastRelease_;
};

}  // namespace orbl::lnx
