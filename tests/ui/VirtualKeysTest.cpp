// Key names, the text of a hot key, its modifier mask, and the way back from
// a hot key message to its drive.
#include "ui/VirtualKeys.h"

#include <gtest/gtest.h>

#include <set>

#include "platform/Types.h"

namespace orbl {
namespace {

using platform::mod::kAlt;
using platform::mod::kControl;
using platform::mod::kShift;
using platform::mod::kWin;

// A language file that renames every named key.
TInterfaceTexts RenamedTexts() {
  TInterfaceTexts t;
  t.Key_None = "<KEINE>";
  t.Space_Key = "Leertaste";
  t.Enter_Key = "Eingabe";
  t.BackSpace_Key = "Rueck";
  t.Insert_Key = "Einfg";
  t.Home_Key = "Pos1";
  t.Delete_Key = "Entf";
  t.End_Key = "Ende";
  t.Esc_Key = "Abbr";
  t.Ctrl_Key = "Strg";
  t.Alt_Key = "Alt";
  t.Shift_Key = "Umschalt";
  t.Win_Key = "Windows";
  return t;
}

THotKeyDef Def(bool win, bool ctrl, bool alt, bool shift, std::int32_t key) {
  return THotKeyDef{win, ctrl, alt, shift, key};
}

TEST(KeyList, HoldsTheSixtyKeysInTheOrderTheDialogShowsThem) {
  const std::vector<std::string> expected = {
      "<NONE>", "Space", "Enter", "Backspace", "Insert", "Delete", "Home", "End", "Esc", "F1",
      "F2",     "F3",    "F4",    "F5",        "F6",     "F7",     "F8",   "F9",  "F10", "F11",
      "F12",    "A",     "B",     "C",         "D",      "E",      "F",    "G",   "H",   "I",
      "J",      "K",     "L",     "M",         "N",      "O",      "P",    "Q",   "R",   "S",
      "T",      "U",     "V",     "W",         "X",      "Y",      "Z",    "0",   "1",   "2",
      "3",      "4",     "5",     "6",         "7",      "8",      "9",    "-",   "=",   "\\"};
  EXPECT_EQ(KeyList(TInterfaceTexts{}), expected);

  std::vector<std::string> renamed = expected;
  const std::vector<std::string> names = {"<KEINE>", "Leertaste", "Eingabe", "Rueck", "Einfg",
                                          "Entf",    "Pos1",      "Ende",    "Abbr"};
  std::copy(names.begin(), names.end(), renamed.begin());
  EXPECT_EQ(KeyList(RenamedTexts()), renamed);
}

TEST(KeyNames, EachListEntryHasItsOwnCodeAndBothConversionsAgreeOverTheList) {
  for (const TInterfaceTexts& texts : {TInterfaceTexts{}, RenamedTexts()}) {
    std::set<std::int32_t> codes;
    for (const std::string& name : KeyList(texts)) {
      const std::int32_t code = KeyNameToCode(name, texts);
      EXPECT_TRUE(codes.insert(code).second)
          << ::testing::PrintToString(name) << " shares code " << code;
      EXPECT_EQ(KeyCodeToName(code, texts), name) << code;
    }
    EXPECT_EQ(codes.size(), 60u);
  }
  // The entries are their virtual key codes.
  const TInterfaceTexts texts;
  const std::vector<std::pair<std::string, std::int32_t>> table = {
      {"<NONE>", 0}, {"Space", 32}, {"Enter", 13}, {"Backspace", 8}, {"Insert", 45}, {"Delete", 46},
      {"Home", 36},  {"End", 35},   {"Esc", 27},   {"F1", 112},      {"F5", 116},    {"F9", 120},
      {"F10", 121},  {"F12", 123},  {"A", 65},     {"K", 75},        {"Z", 90},      {"0", 48},
      {"9", 57},     {"-", 0xBD},   {"=", 0xBB},   {"\\", 0xDC},
  };
  for (const auto& [name, code] : table) {
    EXPECT_EQ(KeyNameToCode(name, texts), code) << ::testing::PrintToString(name);
  }
}

// Older files stored "=" and "\" as 61 and 92; "-" as 45, Insert's code: it
// stays Insert.
TEST(KeyNames, OlderFilesCodesForEqualsAndBackslashReadAsTheirKeys) {
  const TInterfaceTexts texts;
  const std::vector<std::pair<std::int32_t, std::int32_t>> stored = {
      {61, vk::kOemPlus}, {92, vk::kOem5}, {45, 45},     {0, 0},       {48, 48},   {65, 65},
      {90, 90},           {0xBB, 0xBB},    {0xBD, 0xBD}, {0xDC, 0xDC}, {112, 112},
  };
  for (const auto& [code, key] : stored) EXPECT_EQ(StoredKeyToVirtualKey(code), key) << code;
  EXPECT_EQ(KeyCodeToName(61, texts), "=");
  EXPECT_EQ(KeyCodeToName(92, texts), "\\");
  EXPECT_EQ(KeyCodeToName(45, texts), "Insert");
}

// Names are compared exactly with the texts of the language in use; a name or
// code outside the list falls back to one character.
TEST(KeyNames, NamesOutsideTheListFallBackToOneCharacter) {
  const TInterfaceTexts builtIn;
  const TInterfaceTexts renamed = RenamedTexts();
  TInterfaceTexts emptySpace;  // a file that leaves a key's text empty
  emptySpace.Space_Key = "";
  const struct {
    std::string name;
    const TInterfaceTexts& texts;
    std::int32_t code;
  } names[] = {
      {"Leertaste", renamed, 32}, {"Space", renamed, 'S'}, {"<KEINE>", renamed, 0},
      {"space", builtIn, 's'},    {"", emptySpace, 0},     {"", builtIn, 0},
      {"Tab", builtIn, 'T'},      {"F13", builtIn, 'F'},   {"F0", builtIn, 'F'},
      {"F01", builtIn, 'F'},      {"F", builtIn, 'F'},     {"f5", builtIn, 'f'},
      {"F1x", builtIn, 'F'},      {"\xE4", builtIn, 0xE4},  // a byte above 127 is not negative
  };
  for (const auto& n : names) {
    EXPECT_EQ(KeyNameToCode(n.name, n.texts), n.code) << ::testing::PrintToString(n.name);
  }
  EXPECT_EQ(KeyCodeToName(32, renamed), "Leertaste");
  EXPECT_EQ(KeyCodeToName(0, renamed), "<KEINE>");
  const std::vector<std::pair<std::int32_t, std::string>> codes = {
      {111, "o"}, {124, "|"}, {96, "`"}, {0x141, "A"}};
  for (const auto& [code, name] : codes) EXPECT_EQ(KeyCodeToName(code, builtIn), name) << code;
}

// The modifiers in their fixed order, then the key; each flag has its own bit.
TEST(HotKeyText, ModifiersInTheirFixedOrderThenTheKey) {
  const TInterfaceTexts texts;
  const struct {
    THotKeyDef hotKey;
    const char* text;
    std::uint32_t modifiers;
  } table[] = {
      {Def(true, true, true, true, 46), "Win + Ctrl + Alt + Shift + Delete", 15u},
      {Def(false, true, false, true, 'K'), "Ctrl + Shift + K", kControl | kShift},
      {Def(true, false, true, false, 116), "Win + Alt + F5", kWin | kAlt},
      {Def(false, false, false, true, '7'), "Shift + 7", kShift},
      {Def(false, false, false, false, 'K'), "K", 0u},
      {Def(false, true, false, false, vk::kOemPlus), "Ctrl + =", kControl},
      {Def(false, true, false, false, 61), "Ctrl + =", kControl},
      {Def(false, false, true, false, 92), "Alt + \\", kAlt},
      {Def(false, false, false, false, 32), "Space", 0u},
      // No key: no hot key, whatever the flags say.
      {Def(true, true, true, true, 0), "<NONE>", 15u},
      {Def(false, false, false, false, 0), "<NONE>", 0u},
  };
  for (const auto& row : table) {
    EXPECT_EQ(HotKeyText(row.hotKey, texts), row.text);
    EXPECT_EQ(HotKeyModifiers(row.hotKey), row.modifiers) << row.text;
  }
  const TInterfaceTexts renamed = RenamedTexts();
  EXPECT_EQ(HotKeyText(Def(true, true, false, true, 46), renamed),
            "Windows + Strg + Umschalt + Entf");
  EXPECT_EQ(HotKeyText(Def(false, true, false, false, 0), renamed), "<KEINE>");
}

TEST(FindHotKeyTarget, AnIdentifierLeadsToItsDriveAndRoleWhileTheKeyIsSet) {
  const auto drive = [](char letter, int closeId, int lockId) {
    TDriveRecord d;
    d.Letter = letter;
    d.HotKeyClose.Key = 'D';
    d.HotKeyLock.Key = 'L';
    d.CloseHotKeyId = closeId;
    d.LockHotKeyId = lockId;
    return d;
  };
  // F's atoms could not be added.
  TDriveTable drives = {drive('D', 0xC001, 0xC002), drive('E', 0xC003, 0xC004), drive('F', 0, 0)};
  using R = HotKeyRole;
  using Found = std::optional<HotKeyTarget>;
  EXPECT_EQ(FindHotKeyTarget(drives, 0xC001), (Found{{0, R::OpenClose}}));
  EXPECT_EQ(FindHotKeyTarget(drives, 0xC002), (Found{{0, R::LockUnlock}}));
  EXPECT_EQ(FindHotKeyTarget(drives, 0xC003), (Found{{1, R::OpenClose}}));
  EXPECT_EQ(FindHotKeyTarget(drives, 0xC004), (Found{{1, R::LockUnlock}}));
  EXPECT_EQ(FindHotKeyTarget(drives, 0), std::nullopt);
  EXPECT_EQ(FindHotKeyTarget(drives, 0xC005), std::nullopt);
  EXPECT_EQ(FindHotKeyTarget(drives, 0x1'0000'C001), std::nullopt);  // only the whole wParam

  // A key set to none in the options window: the combination registered at
  // start stays in force until the next start, and its message is ignored.
  drives[1].HotKeyClose.Key = 0;
  EXPECT_EQ(FindHotKeyTarget(drives, 0xC003), std::nullopt);
  EXPECT_EQ(FindHotKeyTarget(drives, 0xC004), (Found{{1, R::LockUnlock}}));
  drives[1].HotKeyLock.Key = 0;
  EXPECT_EQ(FindHotKeyTarget(drives, 0xC004), std::nullopt);
  EXPECT_EQ(FindHotKeyTarget({}, 0xC001), std::nullopt);
}

}  // namespace
}  // namespace orbl
