// ORBLVirtualKeys: the names of the keys a hot key can be made of, the text
// form of a hot key, and the registration of every drive's two hot keys.
//
// Key names follow the current language: the named keys ("Space", "<NONE>",
// the modifier names) are texts of the interface table, so a name that a
// language file changed converts only in its new form.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "language/InterfaceTexts.h"
#include "platform/HotKeys.h"
#include "platform/WindowSystem.h"
#include "settings/Orbl2Records.h"

namespace orbl {

// The virtual-key codes of the three punctuation entries of the key list, as a
// US keyboard has them. Their characters' own codes are no keys ("=" is 61,
// "\" is 92) or another key ("-" is 45, Insert).
namespace vk {
inline constexpr std::int32_t kOemPlus = 0xBB;   // VK_OEM_PLUS, the "=" key
inline constexpr std::int32_t kOemMinus = 0xBD;  // VK_OEM_MINUS
inline constexpr std::int32_t kOem5 = 0xDC;      // VK_OEM_5, the "\" key
}  // namespace vk

// The main keys the user chooses from, in the order the hot key dialog lists
// them: none, Space, Enter, Backspace, Insert, Delete, Home, End, Esc, F1 to
// F12, A to Z, 0 to 9, "-", "=", "\" (60 entries).
std::vector<std::string> KeyList(const TInterfaceTexts& texts);

// A name of the key list to its virtual-key code. A name that is neither a
// named key, a function key nor a punctuation entry gives the code of its
// first character (the letters and digits are their own codes); "" gives 0.
std::int32_t KeyNameToCode(const std::string& name, const TInterfaceTexts& texts);

// A virtual-key code to its name in the key list; the inverse of
// KeyNameToCode over the list. An older file's 61 and 92 read "=" and "\"
// like VK_OEM_PLUS and VK_OEM_5.
std::string KeyCodeToName(std::int32_t code, const TInterfaceTexts& texts);

// "Win + Ctrl + Alt + Shift + Delete": the modifiers in that fixed order, then
// the key; the text of Key_None alone when there is no key.
std::string HotKeyText(const THotKeyDef& hotKey, const TInterfaceTexts& texts);

// The modifier mask RegisterHotKey takes (platform::mod).
std::uint32_t HotKeyModifiers(const THotKeyDef& hotKey);

// The key a stored `Key` stands for. Older files stored "=" and "\" as their
// character codes 61 and 92, which are no key and the right Windows key; they
// are read as VK_OEM_PLUS and VK_OEM_5. Such a file's "-" was 45, which is Insert's code too: it
// stays Insert, since the two cannot be told apart. The record keeps what was
// stored; the registration goes through this, and the names agree already.
std::int32_t StoredKeyToVirtualKey(std::int32_t key);

// The combinations a drive's two identifiers were last registered for,
// whether the system took them or not.
struct TRegisteredHotKeys {
  THotKeyDef Close;
  THotKeyDef Lock;
};

// The registration pass of start-up and of OK in the options window. Each
// drive's open/close hot key goes under CloseHotKeyId, its lock/unlock hot
// key under LockHotKeyId, but only where the combination differs from what
// `registered` (by table position) holds: at start-up, when it holds nothing,
// every hot key. The old combinations of all changed identifiers are released
// first; then the new ones are registered in table order, and one that the
// system refuses is reported in a box owned by `mainWindow` (it runs a nested
// loop) while the pass goes on. A hot key without a key is only released. An
// identifier of 0 (its atom could not be added) is left alone. Afterwards
// `registered` holds the drives' combinations.
void RegisterDriveHotKeys(platform::HotKeys& hotKeys, platform::WindowSystem& windows,
                          platform::WindowHandle mainWindow, const TDriveTable& drives,
                          const TInterfaceTexts& texts,
                          std::vector<TRegisteredHotKeys>& registered);

enum class HotKeyRole { OpenClose, LockUnlock };

struct HotKeyTarget {
  int drive = -1;  // position in the drive table
  HotKeyRole role = HotKeyRole::OpenClose;
  friend bool operator==(const HotKeyTarget&, const HotKeyTarget&) = default;
};

// The drive and role a WM_HOTKEY's identifier (wParam) asks for, or nothing.
// A hot key whose Key is 0 is not answered (a record a page switch changed
// before Cancel may differ from what is registered until the next showing
// loads it again); identifier 0 is never answered.
std::optional<HotKeyTarget> FindHotKeyTarget(const TDriveTable& drives, std::uint64_t id);

}  // namespace orbl
