#include "platform/linux/X11HotKeys.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace orbl::lnx {

using platform::WindowHandle;
namespace mod = platform::mod;

namespace {

// Key symbols of the X protocol's keysym table.
constexpr std::uint32_t kXkBackSpace = 0xff08;
constexpr std::uint32_t kXkReturn = 0xff0d;
constexpr std::uint32_t kXkEscape = 0xff1b;
constexpr std::uint32_t kXkHome = 0xff50;
constexpr std::uint32_t kXkEnd = 0xff57;
constexpr std::uint32_t kXkInsert = 0xff63;
constexpr std::uint32_t kXkNumLock = 0xff7f;
constexpr std::uint32_t kXkF1 = 0xffbe;
constexpr std::uint32_t kXkDelete = 0xffff;

// Virtual-key codes (Windows numbering) of the keys the hot keys offer.
constexpr std::uint32_t kVkF1 = 0x70;
constexpr int kFunctionKeys = 12;

struct NamedKey {
  std::uint32_t virtualKey;
  std::uint32_t keysym;
};

constexpr std::array<NamedKey, 11> kNamedKeys{{
    {0x08, kXkBackSpace},
    {0x0D, kXkReturn},
    {0x1B, kXkEscape},
    {0x20, ' '},
    {0x23, kXkEnd},
    {0x24, kXkHome},
    {0x2D, kXkInsert},
    {0x2E, kXkDelete},
    // The punctuation keys as a US keyboard has them.
    {0xBB, '='},
    {0xBD, '-'},
    {0xDC, '\\'},
}};

std::optional<std::uint32_t> KeysymOf(std::uint32_t virtualKey) {
  if (virtualKey >= 'A' && virtualKey <= 'Z') return virtualKey - 'A' + 'a';
  if (virtualKey >= '0' && virtualKey <= '9') return virtualKey;
  if (virtualKey >= kVkF1 && virtualKey < kVkF1 + kFunctionKeys) {
    return kXkF1 + (virtualKey - kVkF1);
  }
  for (const NamedKey& key : kNamedKeys) {
    if (key.virtualKey == virtualKey) return key.keysym;
  }
  return std::nullopt;
}

// The modifier bits a key event's state carries; the rest are mouse buttons.
constexpr std::uint16_t kKeyModifierBits = 0xFF;

struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }  // NOLINT(*-no-malloc,*-owning-memory)
};
template <typename T>
using XcbReply = std::unique_ptr<T, FreeDeleter>;

}  // namespace

std::optional<KeyGrab> HotKeyGrab(std::uint32_t modifiers, std::uint32_t virtualKey,
                                  std::uint16_t numLockMask) {
  constexpr std::uint32_t kKnown = mod::kAlt | mod::kControl | mod::kShift | mod::kWin;
  const auto keysym = KeysymOf(virtualKey);
  if (!keysym || (modifiers & ~kKnown) != 0) return std::nullopt;
  KeyGrab grab;
  grab.keysym = *keysym;
  if ((modifiers & mod::kAlt) != 0) grab.mask |= XCB_MOD_MASK_1;
  if ((modifiers & mod::kControl) != 0) grab.mask |= XCB_MOD_MASK_CONTROL;
  if ((modifiers & mod::kShift) != 0) grab.mask |= XCB_MOD_MASK_SHIFT;
  if ((modifiers & mod::kWin) != 0) grab.mask |= XCB_MOD_MASK_4;
  for (const std::uint16_t lock : {std::uint16_t{0}, std::uint16_t{XCB_MOD_MASK_LOCK}}) {
    for (const std::uint16_t num : {std::uint16_t{0}, numLockMask}) {
      const auto variant = static_cast<std::uint16_t>(grab.mask | lock | num);
      if (std::find(grab.variants.begin(), grab.variants.end(), variant) == grab.variants.end()) {
        grab.variants.push_back(variant);
      }
    }
  }
  return grab;
}

bool OnWaylandSession(const char* waylandDisplay, const char* sessionType) {
  return (waylandDisplay != nullptr && *waylandDisplay != '\0') ||
         (sessionType != nullptr && std::strcmp(sessionType, "wayland") == 0);
}

X11HotKeys::X11HotKeys(Callback onHotKey) : onHotKey_(std::move(onHotKey)) {}

// Hot keys are registered once the icon is up, and a command that the running
// program carries out needs none: the connection is made at the first need.
void X11HotKeys::Connect() {
  if (connectTried_) return;
  connectTried_ = true;
  // NOLINTNEXTLINE(concurrency-mt-unsafe): the environment is set only before any thread.
  if (OnWaylandSession(std::getenv("WAYLAND_DISPLAY"), std::getenv("XDG_SESSION_TYPE"))) return;
  int screen = 0;
  connection_ = xcb_connect(nullptr, &screen);
  if (xcb_connection_has_error(connection_) != 0) {
    xcb_disconnect(connection_);
    connection_ = nullptr;
    return;
  }
  auto roots = xcb_setup_roots_iterator(xcb_get_setup(connection_));
  for (; roots.rem > 0 && screen > 0; --screen) xcb_screen_next(&roots);
  root_ = roots.data->root;
  symbols_ = xcb_key_symbols_alloc(connection_);
}

X11HotKeys::~X11HotKeys() {
  if (symbols_) xcb_key_symbols_free(symbols_);
  // Closing the connection releases its grabs.
  if (connection_) xcb_disconnect(connection_);
}

int X11HotKeys::Fd() {
  Connect();
  return connection_ && xcb_connection_has_error(connection_) == 0
             ? xcb_get_file_descriptor(connection_)
             : -1;
}

// The key codes that carry the symbol unshifted; where none does (digits on
// a French keyboard), those that carry it shifted.
std::vector<xcb_keycode_t> X11HotKeys::KeycodesOf(std::uint32_t keysym) const {
  const xcb_setup_t* setup = xcb_get_setup(connection_);
  std::vector<xcb_keycode_t> keycodes;
  for (int column = 0; column < 2 && keycodes.empty(); ++column) {
    for (int code = setup->min_keycode; code <= setup->max_keycode; ++code) {
      const auto keycode = static_cast<xcb_keycode_t>(code);
      if (xcb_key_symbols_get_keysym(symbols_, keycode, column) == keysym) {
        keycodes.push_back(keycode);
      }
    }
  }
  return keycodes;
}

// Num Lock's modifier is whichever the keymap puts its key on.
std::uint16_t X11HotKeys::NumLockMask() const {
  const auto numLockKeys = KeycodesOf(kXkNumLock);
  const XcbReply<xcb_get_modifier_mapping_reply_t> mapping(
      xcb_get_modifier_mapping_reply(connection_, xcb_get_modifier_mapping(connection_), nullptr));
  if (!mapping || numLockKeys.empty()) return 0;
  const xcb_keycode_t* keycodes = xcb_get_modifier_mapping_keycodes(mapping.get());
  const int perModifier = mapping->keycodes_per_modifier;
  if (xcb_get_modifier_mapping_keycodes_length(mapping.get()) < 8 * perModifier) return 0;
  for (int modifier = 0; modifier < 8; ++modifier) {
    for (int i = 0; i < perModifier; ++i) {
      const xcb_keycode_t keycode = keycodes[modifier * perModifier + i];  // NOLINT
      if (keycode != 0 && std::count(numLockKeys.begin(), numLockKeys.end(), keycode) > 0) {
        return static_cast<std::uint16_t>(1u << modifier);
      }
    }
  }
  return 0;
}

bool X11HotKeys::Register(WindowHandle window, int id, std::uint32_t modifiers,
                          std::uint32_t virtualKey) {
  // A broken connection answers no request, so it would refuse nothing.
  if (Fd() < 0) return false;
  const auto grab = HotKeyGrab(modifiers, virtualKey, NumLockMask());
  if (!grab) return false;
  const auto keycodes = KeycodesOf(grab->keysym);
  if (keycodes.empty()) return false;
  // The server lets a client grab its own combination again; Windows refuses.
  for (const Registration& held : registrations_) {
    const bool sameKey =
        std::find_first_of(held.keycodes.begin(), held.keycodes.end(), keycodes.begin(),
                           keycodes.end()) != held.keycodes.end();
    if (sameKey && held.mask == grab->mask) return false;
  }
  // All requests go out before the first answer is awaited: one round trip.
  std::vector<std::pair<xcb_keycode_t, std::uint16_t>> sent;
  std::vector<xcb_void_cookie_t> cookies;
  for (const xcb_keycode_t keycode : keycodes) {
    for (const std::uint16_t variant : grab->variants) {
      sent.emplace_back(keycode, variant);
      cookies.push_back(xcb_grab_key_checked(connection_, 0, root_, variant, keycode,
                                             XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    }
  }
  bool refused = false;
  std::vector<std::pair<xcb_keycode_t, std::uint16_t>> taken;
  for (std::size_t i = 0; i < cookies.size(); ++i) {
    const XcbReply<xcb_generic_error_t> error(xcb_request_check(connection_, cookies[i]));
    if (error) {
      // BadAccess: another client holds it. Any other error leaves the
      // combination as unusable.
      refused = true;
    } else {
      taken.push_back(sent[i]);
    }
  }
  if (refused) {
    for (const auto& [keycode, variant] : taken) {
      xcb_ungrab_key(connection_, keycode, root_, variant);
    }
    Sync();
    return false;
  }
  registrations_.push_back({window, id, keycodes, grab->mask, grab->variants});
  // Waiting for the answers may have read key events off the socket.
  Dispatch(xcb_poll_for_queued_event);
  return true;
}

void X11HotKeys::Ungrab(const std::vector<xcb_keycode_t>& keycodes,
                        const std::vector<std::uint16_t>& variants) {
  for (const xcb_keycode_t keycode : keycodes) {
    for (const std::uint16_t variant : variants) {
      xcb_ungrab_key(connection_, keycode, root_, variant);
    }
  }
  Sync();
}

// Returns once the server has carried out every request sent before, so that
// a key let go is free for other clients when Register or Unregister returns.
void X11HotKeys::Sync() {
  const XcbReply<xcb_get_input_focus_reply_t> reply(
      xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
}

bool X11HotKeys::Unregister(WindowHandle window, int id) {
  const auto it =
      std::find_if(registrations_.begin(), registrations_.end(),
                   [&](const Registration& r) { return r.window == window && r.id == id; });
  if (it == registrations_.end()) return false;
  Ungrab(it->keycodes, it->variants);
  registrations_.erase(it);
  Dispatch(xcb_poll_for_queued_event);
  return true;
}

void X11HotKeys::KeyPressed(xcb_keycode_t keycode, std::uint16_t state, xcb_timestamp_t time) {
  const bool repeat =
      lastRelease_ && lastRelease_->first == keycode && lastRelease_->second == time;
  lastRelease_.reset();
  if (repeat) return;
  state &= kKeyModifierBits;
  for (const Registration& r : registrations_) {
    const bool ours = std::count(r.keycodes.begin(), r.keycodes.end(), keycode) > 0 &&
                      std::count(r.variants.begin(), r.variants.end(), state) > 0;
    if (ours) {
      onHotKey_(r.window, r.id);
      return;
    }
  }
}

void X11HotKeys::HandleReadable() {
  if (connection_) Dispatch(xcb_poll_for_event);
}

void X11HotKeys::Dispatch(xcb_generic_event_t* (*next)(xcb_connection_t*)) {
  while (const XcbReply<xcb_generic_event_t> event{next(connection_)}) {
    // The top bit marks an event another client sent: no key was pressed.
    switch (event->response_type) {
      case XCB_KEY_PRESS: {
        const auto* press = reinterpret_cast<const xcb_key_press_event_t*>(event.get());
        KeyPressed(press->detail, press->state, press->time);
        break;
      }
      case XCB_KEY_RELEASE: {
        const auto* release = reinterpret_cast<const xcb_key_release_event_t*>(event.get());
        lastRelease_.emplace(release->detail, release->time);
        break;
      }
      case XCB_MAPPING_NOTIFY:
        xcb_refresh_keyboard_mapping(symbols_,
                                     reinterpret_cast<xcb_mapping_notify_event_t*>(event.get()));
        break;
      default:
        break;
    }
  }
}

}  // namespace orbl::lnx
