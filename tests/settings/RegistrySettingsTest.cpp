#include "settings/RegistrySettings.h"

#include <gtest/gtest.h>

#include "drives/DriveTools.h"
#include "platform/sim/SimProcess.h"
#include "settings/HeldLocks.h"
#include "support/StoredLayout.h"

namespace orbl {
namespace {

using platform::StoredValue;
using platform::ValueType;

// Where every existing user's options are, spelt out rather than taken from
// the program: moving them would strand those options.
constexpr const char* kStoredKeyPath = "SOFTWARE\\Corvantis\\Orbelle\\3.x";

std::vector<std::byte> Bytes(std::initializer_list<int> values) {
  std::vector<std::byte> out;
  for (int v : values) out.push_back(static_cast<std::byte>(v));
  return out;
}

std::string RegistryTypeName(ValueType type) {
  switch (type) {
    case ValueType::Text:
      return "REG_SZ";
    case ValueType::Number:
      return "REG_DWORD";
    default:
      return "type " + std::to_string(static_cast<std::uint32_t>(type));
  }
}

class RegistrySettings : public ::testing::Test {
 protected:
  sim::SimWorld world;
  sim::SimProcess process{world};
  platform::SettingsStore& store = process.Platform().settings;
  TDriveTable drives = {NewDriveRecord('D'), NewDriveRecord('F')};
  TAppOptions options;
};

// The older version's key loads and is saved back as it was, name for name,
// in order, with its types and texts: a new drive D's values are what the
// scan gives, and every changed value of F and the double-click pair survive.
TEST_F(RegistrySettings, AnOlderVersionsKeyLoadsAndIsSavedBackAsItWas) {
  const std::vector<test::StoredEntry> older = test::OlderVersionSettings();
  std::vector<std::string> expected;
  for (const test::StoredEntry& entry : older) {
    if (entry.type == "REG_DWORD") {
      world.SetNumber(kStoredKeyPath, entry.name,
                      static_cast<std::uint32_t>(std::stoul(entry.text)));
    } else {
      world.SetText(kStoredKeyPath, entry.name, entry.text);
    }
    expected.push_back(entry.name + " " + entry.type + " " + entry.text);
  }
  ASSERT_TRUE(LoadSettings(store, drives, options));
  world.FindKey(kStoredKeyPath)->values.clear();
  world.FindKey(kStoredKeyPath)->order.clear();
  SaveSettings(store, drives, options);

  const sim::SimRegistryKey* key = world.FindKey(kStoredKeyPath);
  std::vector<std::string> stored;
  for (const std::string& name : key->order) {
    const StoredValue& value = key->values.at(name);
    std::uint32_t number = 0;
    for (std::size_t i = value.data.size(); value.type == ValueType::Number && i-- > 0;) {
      number = number << 8 | std::to_integer<std::uint32_t>(value.data[i]);
    }
    const std::string text = value.type == ValueType::Number
                                 ? std::to_string(number)
                                 : world.Text(kStoredKeyPath, name).value();
    stored.push_back(name + " " + RegistryTypeName(value.type) + " " + text);
  }
  EXPECT_EQ(stored, expected);
}

TEST_F(RegistrySettings, TheProgramWideNamesLoadAndTheSingleClickPairIsNotRead) {
  world.SetText(kStoredKeyPath, "Currently used language", "C:\\Orbelle\\Language\\Deutsch.ini");
  world.SetText(kStoredKeyPath, "Double - Letter", "F");
  world.SetText(kStoredKeyPath, "Double - Action", "2");
  world.SetText(kStoredKeyPath, "Double - Item", "5");
  world.SetText(kStoredKeyPath, "Single - Letter", "D");
  world.SetText(kStoredKeyPath, "Single - Action", "1");
  ASSERT_TRUE(LoadSettings(store, drives, options));
  EXPECT_EQ(options.Language, "C:\\Orbelle\\Language\\Deutsch.ini");
  EXPECT_EQ(options.DoubleLetter, 'F');
  EXPECT_EQ(options.DoubleAction, 2);
  EXPECT_EQ(options.DoubleItem, 5);
  EXPECT_EQ(options.SingleLetter, '\0');
  EXPECT_EQ(options.SingleAction, 0);
}

TEST_F(RegistrySettings, ABadValueSpoilsOnlyItsOwnField) {
  SaveSettings(store, drives, options);
  const std::string key = kStoredKeyPath;
  world.SetNumber(key, "D Spy for ejecting CD/DVD door with disk", 0);  // not a text
  world.SetText(key, "D edtDiskLimit", "soon");
  world.SetText(key, "D Close CD/DVD door on system shutdown", "");
  world.FindKey(key)->values.erase("D Lock-close-ORBL-open-etc");
  world.SetText(key, "D edtAutocloseInterval", " 0x1E");
  world.SetText(key, "D Lock this drive on starting program", "256");  // low byte 0
  world.SetText(key, "D BeepWhenLockingUnlocking", "257");             // low byte 1
  world.SetText(key, "F edtAutocloseInterval", "45");
  world.SetText(key, "Double - Action", "junk");
  world.SetText(key, "Double - Item", "3");
  world.SetText(key, "Double - Letter", "");
  // A text stored without its NUL is read to its end and no further.
  world.FindKey(key)->values["Currently used language"] =
      StoredValue{ValueType::Text, Bytes({'E', '.', 'i', 'n', 'i'})};

  TDriveTable loaded = {NewDriveRecord('D'), NewDriveRecord('F')};
  loaded[0].SpyForEjecting = false;
  loaded[0].DiskLimit = 99;
  loaded[0].LockOnStart = true;
  TAppOptions loadedOptions;
  loadedOptions.DoubleLetter = 'Q';
  loadedOptions.DoubleAction = 4;
  ASSERT_TRUE(LoadSettings(store, loaded, loadedOptions));

  EXPECT_FALSE(loaded[0].SpyForEjecting);  // kept: the stored value is a number, not a text
  EXPECT_EQ(loaded[0].DiskLimit, 99);      // kept: not a number
  EXPECT_TRUE(loaded[0].CloseOnShutdown);  // kept: empty text
  EXPECT_EQ(loaded[0].AutocloseInterval, 30);
  EXPECT_FALSE(loaded[0].LockOnStart);
  EXPECT_TRUE(loaded[0].BeepWhenLockingUnlocking);
  EXPECT_EQ(loaded[1].AutocloseInterval, 45);  // later drives still load
  EXPECT_EQ(loadedOptions.DoubleAction, 4);    // kept
  EXPECT_EQ(loadedOptions.DoubleItem, 3);      // and the next one still loads
  EXPECT_EQ(loadedOptions.DoubleLetter, '\0');
  EXPECT_EQ(loadedOptions.Language, "E.ini");
}
// The boot moment is the wall clock less the uptime: time sync moves it a
// little; an uptime that went back is a new boot whatever the moments say.
TEST(BootIdentity, OneBootWithinTheToleranceAndOnlyWhileTheUptimeGrows) {
  const TBootIdentity stored{1'800'000'000, 500};
  struct Row {
    std::int64_t moment;
    std::uint64_t uptime;
    bool same;
  };
  for (const Row& r : {Row{1'800'000'000, 500, true}, Row{1'800'000'060, 9000, true},
                       Row{1'799'999'940, 9000, true}, Row{1'800'000'061, 9000, false},
                       Row{1'799'999'939, 9000, false}, Row{1'800'000'000, 499, false}}) {
    EXPECT_EQ(SameBoot(stored, {r.moment, r.uptime}), r.same) << r.moment << " " << r.uptime;
  }
}

}  // namespace
}  // namespace orbl
