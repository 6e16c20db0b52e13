#include "settings/RegistrySettings.h"

#include <gtest/gtest.h>

#include "drives/DriveTools.h"
#include "platform/sim/SimProcess.h"

namespace orbl {
namespace {

using platform::StoredValue;
using platform::ValueType;

std::vector<std::byte> Bytes(std::initializer_list<int> values) {
  std::vector<std::byte> out;
  for (int v : values) out.push_back(static_cast<std::byte>(v));
  return out;
}

class RegistrySettings : public ::testing::Test {
 protected:
  sim::SimWorld world;
  sim::SimProcess process{world};
  platform::SettingsStore& store = process.Platform().settings;
  TDriveTable drives = {NewDriveRecord('D'), NewDriveRecord('F')};
  TAppOptions options;

  StoredValue Raw(const std::string& name) { return *world.Value(kSettingsKey, name); }
};

TEST_F(RegistrySettings, SaveWritesTheWholeLayoutInOrderWithItsTypesAndTextForms) {
  drives[1].AutocloseInterval = -5;
  drives[1].LockOnStart = true;
  options.DoubleLetter = 'F';
  options.DoubleAction = 1;
  SaveSettings(store, drives, options);

  const auto& order = world.FindKey(kSettingsKey)->order;
  ASSERT_EQ(order.size(), 7 + 2 * kDriveValueCount);
  EXPECT_EQ(std::vector<std::string>(order.begin(), order.begin() + 7),
            (std::vector<std::string>{"DriveCount", "Currently used language", "Single - Letter",
                                      "Single - Action", "Double - Letter", "Double - Action",
                                      "Double - Item"}));
  for (std::size_t i = 0; i < kDriveValueCount; ++i) {
    EXPECT_EQ(order[7 + i], std::string("D") + kDriveValues[i].Suffix);
    EXPECT_EQ(order[7 + kDriveValueCount + i], std::string("F") + kDriveValues[i].Suffix);
  }

  EXPECT_EQ(Raw("DriveCount").type, ValueType::Number);
  EXPECT_EQ(Raw("DriveCount").data, Bytes({2, 0, 0, 0}));
  // Texts count their terminating NUL; a NUL letter is two zero bytes.
  EXPECT_EQ(Raw("Currently used language").data, Bytes({0}));
  EXPECT_EQ(Raw("Single - Letter").data, Bytes({0, 0}));
  EXPECT_EQ(Raw("Double - Letter").data, Bytes({'F', 0}));
  EXPECT_EQ(Raw("F edtAutocloseInterval").data, Bytes({'-', '5', 0}));
  EXPECT_EQ(Raw("F edtAutocloseInterval").type, ValueType::Text);
  EXPECT_EQ(world.Text(kSettingsKey, "F Lock this drive on starting program"), "1");
  EXPECT_EQ(world.Text(kSettingsKey, "D Lock this drive on starting program"), "0");
  EXPECT_EQ(world.Text(kSettingsKey, "D edtDiskLimit"), "20");
  EXPECT_EQ(world.Text(kSettingsKey, "Double - Action"), "1");
}

TEST_F(RegistrySettings, RoundTripOfEveryField) {
  TDriveRecord& d = drives[0];
  d.SpyForEjecting = false;
  d.AutoCloseAfterInterval = false;
  d.AutocloseInterval = 600;
  d.TryToCloseEverySomeSeconds = true;
  d.DiskLimit = 300;
  d.CloseOnShutdown = false;
  d.WarnIfNotEmptyOnShutdown = false;
  d.LockOnStart = d.LockWithOpenClose = d.WarnAboutDiscWhenGoingToSleepMode = true;
  d.EjectDiskWhenDriveIsNotEmpty = d.BeepWhenDriveIsNotEmpty = true;
  d.ShowMessagesWhenLockingUnlocking = d.BeepWhenLockingUnlocking = true;
  d.LockWhenGoingToSleepMode = d.UnlockLockWhenExitingFromSleepMode = true;
  d.ShowDialogToCloseDriveImmediately = true;
  d.HotKeyClose = {true, false, true, false, 116};
  d.HotKeyLock = {false, true, false, true, 75};
  options.Language = "C:\\Orbelle\\Language\\Deutsch.ini";
  options.DoubleLetter = 'D';
  options.DoubleAction = 2;
  options.DoubleItem = 4;
  SaveSettings(store, drives, options);

  TDriveTable loaded = {NewDriveRecord('D'), NewDriveRecord('F')};
  TAppOptions loadedOptions;
  ASSERT_TRUE(LoadSettings(store, loaded, loadedOptions));
  const TDriveRecord& l = loaded[0];
  EXPECT_EQ(std::tie(l.SpyForEjecting, l.AutoCloseAfterInterval, l.AutocloseInterval,
                     l.TryToCloseEverySomeSeconds, l.DiskLimit, l.CloseOnShutdown,
                     l.WarnIfNotEmptyOnShutdown, l.LockOnStart, l.LockWithOpenClose),
            std::tie(d.SpyForEjecting, d.AutoCloseAfterInterval, d.AutocloseInterval,
                     d.TryToCloseEverySomeSeconds, d.DiskLimit, d.CloseOnShutdown,
                     d.WarnIfNotEmptyOnShutdown, d.LockOnStart, d.LockWithOpenClose));
  EXPECT_EQ(std::tie(l.WarnAboutDiscWhenGoingToSleepMode, l.EjectDiskWhenDriveIsNotEmpty,
                     l.BeepWhenDriveIsNotEmpty, l.ShowMessagesWhenLockingUnlocking,
                     l.BeepWhenLockingUnlocking, l.LockWhenGoingToSleepMode,
                     l.UnlockLockWhenExitingFromSleepMode, l.ShowDialogToCloseDriveImmediately),
            std::tie(d.WarnAboutDiscWhenGoingToSleepMode, d.EjectDiskWhenDriveIsNotEmpty,
                     d.BeepWhenDriveIsNotEmpty, d.ShowMessagesWhenLockingUnlocking,
                     d.BeepWhenLockingUnlocking, d.LockWhenGoingToSleepMode,
                     d.UnlockLockWhenExitingFromSleepMode, d.ShowDialogToCloseDriveImmediately));
  for (auto [a, b] : {std::pair{l.HotKeyClose, d.HotKeyClose}, {l.HotKeyLock, d.HotKeyLock}}) {
    EXPECT_EQ(std::tie(a.Win, a.Ctrl, a.Alt, a.Shift, a.Key),
              std::tie(b.Win, b.Ctrl, b.Alt, b.Shift, b.Key));
  }
  EXPECT_EQ(loadedOptions.Language, options.Language);
  EXPECT_EQ(loadedOptions.DoubleLetter, 'D');
  EXPECT_EQ(loadedOptions.DoubleAction, 2);
  EXPECT_EQ(loadedOptions.DoubleItem, 4);
  // The single-click pair is written for the layout's sake but never read.
  EXPECT_EQ(loadedOptions.SingleAction, 0);
}

TEST_F(RegistrySettings, ABadValueSpoilsOnlyItsOwnField) {
  SaveSettings(store, drives, options);
  const std::string key = kSettingsKey;
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

TEST_F(RegistrySettings, AMissingKeyChangesNothingAndAnUnwritableOneSavesNothing) {
  TDriveTable loaded = {NewDriveRecord('D')};
  loaded[0].AutocloseInterval = 77;
  EXPECT_FALSE(LoadSettings(store, loaded, options));
  EXPECT_EQ(loaded[0].AutocloseInterval, 77);

  world.MakeKey(kSettingsKey).readOnly = true;
  SaveSettings(store, drives, options);
  EXPECT_TRUE(world.FindKey(kSettingsKey)->values.empty());
}

TEST(LanguageIndex, TheLanguageInUseElseTheDefaultFileElseNone) {
  TAppOptions o;
  o.LanguageFiles = {"C:\\L\\English.ini", "C:\\L\\German.ini", "C:\\L\\German.ini"};
  o.Language = "C:\\L\\German.ini";
  EXPECT_EQ(FindLanguageIndex(o, "C:\\L\\English.ini"), 2);  // the last equal entry
  o.Language = "C:\\L\\german.ini";                          // case matters
  EXPECT_EQ(FindLanguageIndex(o, "C:\\L\\English.ini"), 0);
  EXPECT_EQ(FindLanguageIndex(o, "C:\\Other\\English.ini"), -1);
  o.LanguageFiles.clear();
  EXPECT_EQ(FindLanguageIndex(o, "C:\\L\\English.ini"), -1);
}

}  // namespace
}  // namespace orbl
