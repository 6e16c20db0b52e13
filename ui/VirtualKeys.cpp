#include "ui/VirtualKeys.h"

#include <array>

namespace orbl {

using namespace orbl::platform;

namespace {

constexpr std::int32_t kVkF1 = 112;
constexpr int kFunctionKeyCount = 12;

struct NamedKey {
  std::string TInterfaceTexts::*text;
  std::int32_t code;
};

// In the order names are compared: a language file may give two keys the
// same text, and then the first of them wins.
constexpr std::array<NamedKey, 9> kNamedKeys{{
    {&TInterfaceTexts::Key_None, 0},
    {&TInterfaceTexts::Space_Key, 32},
    {&TInterfaceTexts::Enter_Key, 13},
    {&TInterfaceTexts::BackSpace_Key, 8},
    {&TInterfaceTexts::Insert_Key, 45},
    {&TInterfaceTexts::Home_Key, 36},
    {&TInterfaceTexts::Delete_Key, 46},
    {&TInterfaceTexts::End_Key, 35},
    {&TInterfaceTexts::Esc_Key, 27},
}};

// The named keys as the list shows them, after Key_None.
constexpr std::array<std::string TInterfaceTexts::*, 8> kListedNamedKeys{
    &TInterfaceTexts::Space_Key,  &TInterfaceTexts::Enter_Key,  &TInterfaceTexts::BackSpace_Key,
    &TInterfaceTexts::Insert_Key, &TInterfaceTexts::Delete_Key, &TInterfaceTexts::Home_Key,
    &TInterfaceTexts::End_Key,    &TInterfaceTexts::Esc_Key};

struct PunctuationKey {
  const char* name;
  std::int32_t code;
};

constexpr std::array<PunctuationKey, 3> kPunctuationKeys{{
    {"-", vk::kOemMinus},
    {"=", vk::kOemPlus},
    {"\\", vk::kOem5},
}};

// 1 to 12 for the names "F1" to "F12", else 0.
int FunctionKeyNumber(const std::string& name) {
  if (name.size() < 2 || name.size() > 3 || name[0] != 'F' || name[1] < '1' || name[1] > '9') {
    return 0;
  }
  int number = name[1] - '0';
  if (name.size() == 3) {
    if (name[2] < '0' || name[2] > '9') return 0;
    number = number * 10 + (name[2] - '0');
  }
  return number <= kFunctionKeyCount ? number : 0;
}

// Registers a combination under an identifier that holds none; a combination
// the system refuses is reported in the box start-up shows.
void RegisterHotKey(HotKeys& hotKeys, WindowSystem& windows, WindowHandle mainWindow,
                    const THotKeyDef& hotKey, std::int32_t id, const TInterfaceTexts& texts) {
  const auto key = static_cast<std::uint32_t>(StoredKeyToVirtualKey(hotKey.Key));
  if (hotKeys.Register(mainWindow, id, HotKeyModifiers(hotKey), key)) return;
  // At start-up the owner is hidden and the program in the background: the
  // box asks for the front, or it would open behind the active window.
  windows.ShowMessageBox(mainWindow,
                         texts.Msg_CantHotkeyExists + "\r\n" + HotKeyText(hotKey, texts), "Orbelle",
                         mb::kOk | mb::kIconHand | mb::kSetForeground | mb::kTopmost);
}

// Whether two hot keys press the same keys: every hot key without a key is
// the same "none", and an older file's "=" is the newer one's.
bool SameCombination(const THotKeyDef& a, const THotKeyDef& b) {
  if (a.Key == 0 || b.Key == 0) return a.Key == b.Key;
  return HotKeyModifiers(a) == HotKeyModifiers(b) &&
         StoredKeyToVirtualKey(a.Key) == StoredKeyToVirtualKey(b.Key);
}

}  // namespace

std::vector<std::string> KeyList(const TInterfaceTexts& texts) {
  std::vector<std::string> list{texts.Key_None};
  for (auto text : kListedNamedKeys) list.push_back(texts.*text);
  for (int n = 1; n <= kFunctionKeyCount; ++n) list.push_back("F" + std::to_string(n));
  for (char c = 'A'; c <= 'Z'; ++c) list.emplace_back(1, c);
  for (char c = '0'; c <= '9'; ++c) list.emplace_back(1, c);
  for (const PunctuationKey& key : kPunctuationKeys) list.emplace_back(key.name);
  return list;
}

std::int32_t KeyNameToCode(const std::string& name, const TInterfaceTexts& texts) {
  if (name.empty()) return 0;
  for (const NamedKey& key : kNamedKeys) {
    if (name == texts.*key.text) return key.code;
  }
  if (const int number = FunctionKeyNumber(name)) return kVkF1 - 1 + number;
  for (const PunctuationKey& key : kPunctuationKeys) {
    if (name == key.name) return key.code;
  }
  return static_cast<unsigned char>(name.front());
}

std::string KeyCodeToName(std::int32_t code, const TInterfaceTexts& texts) {
  for (const NamedKey& key : kNamedKeys) {
    if (code == key.code) return texts.*key.text;
  }
  if (code >= kVkF1 && code < kVkF1 + kFunctionKeyCount) {
    return "F" + std::to_string(code - kVkF1 + 1);
  }
  for (const PunctuationKey& key : kPunctuationKeys) {
    if (code == key.code) return key.name;
  }
  // Any other key shows as the character of its low byte, as the letters and
  // digits do; so do an older file's 61 and 92, which are "=" and "\".
  return {static_cast<char>(static_cast<unsigned char>(code & 0xFF))};
}

std::string HotKeyText(const THotKeyDef& hotKey, const TInterfaceTexts& texts) {
  if (hotKey.Key == 0) return texts.Key_None;
  std::vector<std::string> parts;
  if (hotKey.Win) parts.push_back(texts.Win_Key);
  if (hotKey.Ctrl) parts.push_back(texts.Ctrl_Key);
  if (hotKey.Alt) parts.push_back(texts.Alt_Key);
  if (hotKey.Shift) parts.push_back(texts.Shift_Key);
  parts.push_back(KeyCodeToName(hotKey.Key, texts));
  std::string text = parts.front();
  for (std::size_t i = 1; i < parts.size(); ++i) text += " + " + parts[i];
  return text;
}

std::uint32_t HotKeyModifiers(const THotKeyDef& hotKey) {
  std::uint32_t mask = 0;
  if (hotKey.Win) mask |= mod::kWin;
  if (hotKey.Ctrl) mask |= mod::kControl;
  if (hotKey.Alt) mask |= mod::kAlt;
  if (hotKey.Shift) mask |= mod::kShift;
  return mask;
}

std::int32_t StoredKeyToVirtualKey(std::int32_t key) {
  if (key == '=') return vk::kOemPlus;
  if (key == '\\') return vk::kOem5;
  return key;
}

void RegisterDriveHotKeys(HotKeys& hotKeys, WindowSystem& windows, WindowHandle mainWindow,
                          const TDriveTable& drives, const TInterfaceTexts& texts,
                          std::vector<TRegisteredHotKeys>& registered) {
  struct Change {
    THotKeyDef hotKey;
    std::int32_t id;
  };
  std::vector<Change> changes;
  for (std::size_t i = 0; i < drives.size(); ++i) {
    const TDriveRecord& drive = drives[i];
    // A drive the last pass did not see has nothing known to keep.
    const bool seen = i < registered.size();
    if (!seen || !SameCombination(registered[i].Close, drive.HotKeyClose)) {
      changes.push_back({drive.HotKeyClose, drive.CloseHotKeyId});
    }
    if (!seen || !SameCombination(registered[i].Lock, drive.HotKeyLock)) {
      changes.push_back({drive.HotKeyLock, drive.LockHotKeyId});
    }
  }
  registered.clear();
  for (const TDriveRecord& drive : drives) {
    registered.push_back({drive.HotKeyClose, drive.HotKeyLock});
  }
  // Identifier 0 means the drive's atom could not be added. Registered under
  // 0, the hot key would share its identifier with every other one that lost
  // its atom, and its message could not tell them apart.
  //
  // Windows keeps an identifier's old combination beside a new one until it
  // is released. Every old one goes before any new one is asked for, so two
  // hot keys that swapped their combinations both get them.
  for (const Change& change : changes) {
    if (change.id != 0) hotKeys.Unregister(mainWindow, change.id);  // none held is no failure
  }
  for (const Change& change : changes) {
    if (change.id != 0 && change.hotKey.Key != 0) {
      RegisterHotKey(hotKeys, windows, mainWindow, change.hotKey, change.id, texts);
    }
  }
}

std::optional<HotKeyTarget> FindHotKeyTarget(const TDriveTable& drives, std::uint64_t id) {
  if (id == 0) return std::nullopt;
  for (std::size_t i = 0; i < drives.size(); ++i) {
    const TDriveRecord& drive = drives[i];
    const int position = static_cast<int>(i);
    if (drive.HotKeyClose.Key != 0 && id == static_cast<std::uint32_t>(drive.CloseHotKeyId)) {
      return HotKeyTarget{position, HotKeyRole::OpenClose};
    }
    if (drive.HotKeyLock.Key != 0 && id == static_cast<std::uint32_t>(drive.LockHotKeyId)) {
      return HotKeyTarget{position, HotKeyRole::LockUnlock};
    }
  }
  return std::nullopt;
}

}  // namespace orbl
