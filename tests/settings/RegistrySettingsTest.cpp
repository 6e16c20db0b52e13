#include "settings/RegistrySettings.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "drives/DriveTools.h"
#include "platform/sim/SimProcess.h"
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

// The stored options of a drive record by field name; a flag counts as 0 or 1.
using DriveOptions = std::map<std::string, std::int32_t>;

DriveOptions StoredOptionsOf(const TDriveRecord& r) {
  return {
      {"SpyForEjecting", r.SpyForEjecting},
      {"AutoCloseAfterInterval", r.AutoCloseAfterInterval},
      {"AutocloseInterval", r.AutocloseInterval},
      {"TryToCloseEverySomeSeconds", r.TryToCloseEverySomeSeconds},
      {"DiskLimit", r.DiskLimit},
      {"CloseOnShutdown", r.CloseOnShutdown},
      {"WarnIfNotEmptyOnShutdown", r.WarnIfNotEmptyOnShutdown},
      {"LockOnStart", r.LockOnStart},
      {"LockWithOpenClose", r.LockWithOpenClose},
      {"WarnAboutDiscWhenGoingToSleepMode", r.WarnAboutDiscWhenGoingToSleepMode},
      {"EjectDiskWhenDriveIsNotEmpty", r.EjectDiskWhenDriveIsNotEmpty},
      {"BeepWhenDriveIsNotEmpty", r.BeepWhenDriveIsNotEmpty},
      {"ShowMessagesWhenLockingUnlocking", r.ShowMessagesWhenLockingUnlocking},
      {"BeepWhenLockingUnlocking", r.BeepWhenLockingUnlocking},
      {"LockWhenGoingToSleepMode", r.LockWhenGoingToSleepMode},
      {"UnlockLockWhenExitingFromSleepMode", r.UnlockLockWhenExitingFromSleepMode},
      {"ShowDialogToCloseDriveImmediately", r.ShowDialogToCloseDriveImmediately},
      {"HotKeyClose.Win", r.HotKeyClose.Win},
      {"HotKeyClose.Ctrl", r.HotKeyClose.Ctrl},
      {"HotKeyClose.Alt", r.HotKeyClose.Alt},
      {"HotKeyClose.Shift", r.HotKeyClose.Shift},
      {"HotKeyClose.Key", r.HotKeyClose.Key},
      {"HotKeyLock.Win", r.HotKeyLock.Win},
      {"HotKeyLock.Ctrl", r.HotKeyLock.Ctrl},
      {"HotKeyLock.Alt", r.HotKeyLock.Alt},
      {"HotKeyLock.Shift", r.HotKeyLock.Shift},
      {"HotKeyLock.Key", r.HotKeyLock.Key},
  };
}

// What the drive scan gives a new record before anything is loaded.
const DriveOptions kNewDriveOptions = {
    {"SpyForEjecting", 1},
    {"AutoCloseAfterInterval", 1},
    {"AutocloseInterval", 15},
    {"TryToCloseEverySomeSeconds", 0},
    {"DiskLimit", 20},
    {"CloseOnShutdown", 1},
    {"WarnIfNotEmptyOnShutdown", 1},
    {"LockOnStart", 0},
    {"LockWithOpenClose", 0},
    {"WarnAboutDiscWhenGoingToSleepMode", 0},
    {"EjectDiskWhenDriveIsNotEmpty", 0},
    {"BeepWhenDriveIsNotEmpty", 0},
    {"ShowMessagesWhenLockingUnlocking", 0},
    {"BeepWhenLockingUnlocking", 0},
    {"LockWhenGoingToSleepMode", 0},
    {"UnlockLockWhenExitingFromSleepMode", 0},
    {"ShowDialogToCloseDriveImmediately", 0},
    {"HotKeyClose.Win", 0},
    {"HotKeyClose.Ctrl", 0},
    {"HotKeyClose.Alt", 0},
    {"HotKeyClose.Shift", 0},
    {"HotKeyClose.Key", 0},
    {"HotKeyLock.Win", 0},
    {"HotKeyLock.Ctrl", 0},
    {"HotKeyLock.Alt", 0},
    {"HotKeyLock.Shift", 0},
    {"HotKeyLock.Key", 0},
};

// Each per-drive name with the one field it must reach and a value unlike that
// field's default. The four numbers differ from each other, so two number rows
// that traded fields show as well as two flags that did.
struct PerDriveName {
  const char* suffix;
  const char* field;
  std::int32_t planted;
};
constexpr PerDriveName kPerDriveNames[] = {
    {" Spy for ejecting CD/DVD door with disk", "SpyForEjecting", 0},
    {" Automatically close the CD/DVD door after specified time interval", "AutoCloseAfterInterval",
     0},
    {" edtDiskLimit", "DiskLimit", 41},
    {" Close CD/DVD door on system shutdown", "CloseOnShutdown", 0},
    {" Warn if CD/DVD drive is not empty on system shutdown", "WarnIfNotEmptyOnShutdown", 0},
    {" Try to close CD/DVD door every some seconds", "TryToCloseEverySomeSeconds", 1},
    {" edtAutocloseInterval", "AutocloseInterval", 42},
    {" Lock this drive on starting program", "LockOnStart", 1},
    {" Lock-close-ORBL-open-etc", "LockWithOpenClose", 1},
    {" WarnAboutDiscWhenGoingToSleepMode", "WarnAboutDiscWhenGoingToSleepMode", 1},
    {" EjectDiskWhenDriveIsNotEmpty", "EjectDiskWhenDriveIsNotEmpty", 1},
    {" BeepWhenDriveIsNotEmpty", "BeepWhenDriveIsNotEmpty", 1},
    {" ShowMessagesWhenLockingUnlocking", "ShowMessagesWhenLockingUnlocking", 1},
    {" BeepWhenLockingUnlocking", "BeepWhenLockingUnlocking", 1},
    {" LockWhenGoingToSleepMode", "LockWhenGoingToSleepMode", 1},
    {" UnlockLockWhenExitingFromSleepMode", "UnlockLockWhenExitingFromSleepMode", 1},
    {" ShowDialogToCloseDriveImmediately", "ShowDialogToCloseDriveImmediately", 1},
    {" HotKeyClose-Win", "HotKeyClose.Win", 1},
    {" HotKeyClose-Ctrl", "HotKeyClose.Ctrl", 1},
    {" HotKeyClose-Alt", "HotKeyClose.Alt", 1},
    {" HotKeyClose-Shift", "HotKeyClose.Shift", 1},
    {" HotKeyClose-Key", "HotKeyClose.Key", 43},
    {" HotKeyLock-Win", "HotKeyLock.Win", 1},
    {" HotKeyLock-Ctrl", "HotKeyLock.Ctrl", 1},
    {" HotKeyLock-Alt", "HotKeyLock.Alt", 1},
    {" HotKeyLock-Shift", "HotKeyLock.Shift", 1},
    {" HotKeyLock-Key", "HotKeyLock.Key", 44},
};
static_assert(std::size(kPerDriveNames) == 27);

class RegistrySettings : public ::testing::Test {
 protected:
  sim::SimWorld world;
  sim::SimProcess process{world};
  platform::SettingsStore& store = process.Platform().settings;
  TDriveTable drives = {NewDriveRecord('D'), NewDriveRecord('F')};
  TAppOptions options;

  StoredValue Raw(const std::string& name) { return world.Value(kStoredKeyPath, name).value(); }
};

TEST_F(RegistrySettings, SaveWritesTheStoredLayoutNameForNameInOrder) {
  SaveSettings(store, drives, options);

  const sim::SimRegistryKey* key = world.FindKey(kStoredKeyPath);
  ASSERT_NE(key, nullptr);
  std::vector<std::pair<std::string, std::string>> stored;
  for (const std::string& name : key->order) {
    stored.emplace_back(name, RegistryTypeName(key->values.at(name).type));
  }
  std::vector<std::pair<std::string, std::string>> expected;
  for (const test::StoredName& value : test::kLayoutOfDrivesDAndF) {
    expected.emplace_back(value.name, value.type);
  }
  EXPECT_EQ(stored, expected);
}

TEST_F(RegistrySettings, SaveWritesEachValueInItsTextForm) {
  drives[1].AutocloseInterval = -5;
  drives[1].LockOnStart = true;
  options.DoubleLetter = 'F';
  options.DoubleAction = 1;
  SaveSettings(store, drives, options);

  EXPECT_EQ(Raw("DriveCount").data, Bytes({2, 0, 0, 0}));
  // Texts count their terminating NUL; a NUL letter is two zero bytes.
  EXPECT_EQ(Raw("Currently used language").data, Bytes({0}));
  EXPECT_EQ(Raw("Single - Letter").data, Bytes({0, 0}));
  EXPECT_EQ(Raw("Double - Letter").data, Bytes({'F', 0}));
  EXPECT_EQ(Raw("F edtAutocloseInterval").data, Bytes({'-', '5', 0}));
  EXPECT_EQ(world.Text(kStoredKeyPath, "F Lock this drive on starting program"), "1");
  EXPECT_EQ(world.Text(kStoredKeyPath, "D Lock this drive on starting program"), "0");
  EXPECT_EQ(world.Text(kStoredKeyPath, "D edtDiskLimit"), "20");
  EXPECT_EQ(world.Text(kStoredKeyPath, "Double - Action"), "1");
}

TEST(StoredDriveOptions, ANewDriveHoldsTheDefaults) {
  const TDriveRecord r = NewDriveRecord('e');
  EXPECT_EQ(StoredOptionsOf(r), kNewDriveOptions);
}

TEST(AppOptions, StartWithTheDefaults) {
  const TAppOptions o;
  EXPECT_EQ(o.Language, "");
  EXPECT_TRUE(o.LanguageFiles.empty());
  EXPECT_EQ(o.LanguageIndex, 0);
  EXPECT_EQ(o.SingleLetter, '\0');
  EXPECT_EQ(o.SingleAction, 0);
  EXPECT_EQ(o.DoubleLetter, '\0');
  EXPECT_EQ(o.DoubleAction, 0);
  EXPECT_EQ(o.DoubleItem, 0);
  EXPECT_FALSE(o.AutoStart);
}

TEST_F(RegistrySettings, EachPerDriveNameLoadsIntoItsOwnFieldAndNoOther) {
  std::set<std::string> fields;
  for (const PerDriveName& row : kPerDriveNames) fields.insert(row.field);
  ASSERT_EQ(fields.size(), kNewDriveOptions.size());

  for (const PerDriveName& row : kPerDriveNames) {
    SCOPED_TRACE(row.suffix);
    ASSERT_NE(kNewDriveOptions.at(row.field), row.planted);
    // Both drives hold the defaults under every name, then F's one value differs.
    for (const std::string letter : {"D", "F"}) {
      for (const PerDriveName& other : kPerDriveNames) {
        world.SetText(kStoredKeyPath, letter + other.suffix,
                      std::to_string(kNewDriveOptions.at(other.field)));
      }
    }
    world.SetText(kStoredKeyPath, std::string("F") + row.suffix, std::to_string(row.planted));

    TDriveTable loaded = {NewDriveRecord('D'), NewDriveRecord('F')};
    ASSERT_TRUE(LoadSettings(store, loaded, options));
    DriveOptions expected = kNewDriveOptions;
    expected.at(row.field) = row.planted;
    EXPECT_EQ(StoredOptionsOf(loaded[1]), expected);
    EXPECT_EQ(StoredOptionsOf(loaded[0]), kNewDriveOptions);
  }
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

TEST_F(RegistrySettings, AMissingKeyChangesNothingAndAnUnwritableOneSavesNothing) {
  TDriveTable loaded = {NewDriveRecord('D')};
  loaded[0].AutocloseInterval = 77;
  EXPECT_FALSE(LoadSettings(store, loaded, options));
  EXPECT_EQ(loaded[0].AutocloseInterval, 77);

  world.MakeKey(kStoredKeyPath).readOnly = true;
  SaveSettings(store, drives, options);
  EXPECT_TRUE(world.FindKey(kStoredKeyPath)->values.empty());
}

TEST(LanguageIndex, TheLanguageInUseElseTheDefaultFileElseNone) {
  TAppOptions o;
  o.LanguageFiles = {"C:\\L\\English.ini", "C:\\L\\German.ini", "C:\\L\\German.ini"};
  o.Language = "C:\\L\\German.ini";
  EXPECT_EQ(FindLanguageIndex(o, "C:\\L\\English.ini"), 2);  // the last equal entry
  o.Language = "c:\\l\\GERMAN.INI";                          // the file system ignores case
  EXPECT_EQ(FindLanguageIndex(o, "C:\\L\\English.ini"), 2);
  o.Language = "C:\\L\\French.ini";  // gone: the default file instead
  EXPECT_EQ(FindLanguageIndex(o, "c:\\l\\english.INI"), 0);
  EXPECT_EQ(FindLanguageIndex(o, "C:\\Other\\English.ini"), -1);
  o.LanguageFiles.clear();
  EXPECT_EQ(FindLanguageIndex(o, "C:\\L\\English.ini"), -1);
  // The first entry is a position like any other.
  o.LanguageFiles = {"C:\\L\\German.ini", "C:\\L\\English.ini"};
  o.Language = "C:\\L\\German.ini";
  EXPECT_EQ(FindLanguageIndex(o, "C:\\L\\English.ini"), 0);
}

}  // namespace
}  // namespace orbl
