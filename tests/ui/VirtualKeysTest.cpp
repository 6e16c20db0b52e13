// Key names and codes both ways, the text of a hot key and its modifier mask,
// and the way back from a hot key message to its drive.
#include "ui/VirtualKeys.h"

#include <gtest/gtest.h>

#include <set>

#include "platform/Types.h"

namespace orbl {
namespace {

TInterfaceTexts RenamedTexts() {
  TInterfaceTexts t;
  t.Key_None = "<KEINE>";
  t.Space_Key = "Leertaste";
  t.Delete_Key = "Entf";
  t.Ctrl_Key = "Strg";
  return t;
}

// Every entry of the list has its own code and reads back as itself, in any
// language; the codes are the virtual keys the system registers.
TEST(KeyNames, EachListEntryHasItsOwnCodeBothWays) {
  for (const TInterfaceTexts& texts : {TInterfaceTexts{}, RenamedTexts()}) {
    std::set<std::int32_t> codes;
    for (const std::string& name : KeyList(texts)) {
      const std::int32_t code = KeyNameToCode(name, texts);
      EXPECT_TRUE(codes.insert(code).second) << name << " shares code " << code;
      EXPECT_EQ(KeyCodeToName(code, texts), name) << code;
    }
    EXPECT_EQ(codes.size(), 60u);
  }
  const TInterfaceTexts texts;
  const std::pair<std::string, std::int32_t> table[] = {
      {"<NONE>", 0}, {"Space", 32}, {"Delete", 46}, {"Esc", 27},  {"F1", 112},
      {"F10", 121},  {"F12", 123},  {"A", 65},      {"Z", 90},    {"0", 48},
      {"9", 57},     {"-", 0xBD},   {"=", 0xBB},    {"\\", 0xDC},
  };
  for (const auto& [name, code] : table) EXPECT_EQ(KeyNameToCode(name, texts), code) << name;
}

TEST(HotKeyText, ModifiersInTheirFixedOrderThenTheKeyAndEachItsOwnBit) {
  const THotKeyDef all{true, true, true, true, 46};
  EXPECT_EQ(HotKeyText(all, TInterfaceTexts{}), "Win + Ctrl + Alt + Shift + Delete");
  EXPECT_EQ(HotKeyText(all, RenamedTexts()), "Win + Strg + Alt + Shift + Entf");
  EXPECT_EQ(HotKeyModifiers(all), 15u);
  EXPECT_EQ(HotKeyModifiers({true, false, true, false, 'K'}),
            platform::mod::kWin | platform::mod::kAlt);
  EXPECT_EQ(HotKeyText({false, false, false, false, 'K'}, TInterfaceTexts{}), "K");
}
}  // namespace
}  // namespace orbl
