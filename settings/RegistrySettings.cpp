#include "settings/RegistrySettings.h"

#include <cstring>
#include <optional>

#include "platform/AsciiCase.h"
#include "platform/SettingsValues.h"
#include "settings/NumberText.h"

namespace orbl {

using platform::OpenedKey;
using platform::SettingsStore;

const std::array<TDriveValue, kDriveValueCount> kDriveValues = {{
    {" Spy for ejecting CD/DVD door with disk",
     [](TDriveRecord& r) -> DriveFieldRef { return &r.SpyForEjecting; }},
    {" Automatically close the CD/DVD door after specified time interval",
     [](TDriveRecord& r) -> DriveFieldRef { return &r.AutoCloseAfterInterval; }},
    {" edtDiskLimit", [](TDriveRecord& r) -> DriveFieldRef { return &r.DiskLimit; }},
    {" Close CD/DVD door on system shutdown",
     [](TDriveRecord& r) -> DriveFieldRef { return &r.CloseOnShutdown; }},
    {" Warn if CD/DVD drive is not empty on system shutdown",
     [](TDriveRecord& r) -> DriveFieldRef { return &r.WarnIfNotEmptyOnShutdown; }},
    {" Try to close CD/DVD door every some seconds",
     [](TDriveRecord& r) -> DriveFieldRef { return &r.TryToCloseEverySomeSeconds; }},
    {" edtAutocloseInterval",
     [](TDriveRecord& r) -> DriveFieldRef { return &r.AutocloseInterval; }},
    {" Lock this drive on starting program",
     [](TDriveRecord& r) -> DriveFieldRef { return &r.LockOnStart; }},
    {" Lock-close-ORBL-open-etc",
     [](TDriveRecord& r) -> DriveFieldRef { return &r.LockWithOpenClose; }},
    {" WarnAboutDiscWhenGoingToSleepMode",
     [](TDriveRecord& r) -> DriveFieldRef { return &r.WarnAboutDiscWhenGoingToSleepMode; }},
    {" EjectDiskWhenDriveIsNotEmpty",
     [](TDriveRecord& r) -> DriveFieldRef { return &r.EjectDiskWhenDriveIsNotEmpty; }},
    {" BeepWhenDriveIsNotEmpty",
     [](TDriveRecord& r) -> DriveFieldRef { return &r.BeepWhenDriveIsNotEmpty; }},
    {" ShowMessagesWhenLockingUnlocking",
     [](TDriveRecord& r) -> DriveFieldRef { return &r.ShowMessagesWhenLockingUnlocking; }},
    {" BeepWhenLockingUnlocking",
     [](TDriveRecord& r) -> DriveFieldRef { return &r.BeepWhenLockingUnlocking; }},
    {" LockWhenGoingToSleepMode",
     [](TDriveRecord& r) -> DriveFieldRef { return &r.LockWhenGoingToSleepMode; }},
    {" UnlockLockWhenExitingFromSleepMode",
     [](TDriveRecord& r) -> DriveFieldRef { return &r.UnlockLockWhenExitingFromSleepMode; }},
    {" ShowDialogToCloseDriveImmediately",
     [](TDriveRecord& r) -> DriveFieldRef { return &r.ShowDialogToCloseDriveImmediately; }},
    {" HotKeyClose-Win", [](TDriveRecord& r) -> DriveFieldRef { return &r.HotKeyClose.Win; }},
    {" HotKeyClose-Ctrl", [](TDriveRecord& r) -> DriveFieldRef { return &r.HotKeyClose.Ctrl; }},
    {" HotKeyClose-Alt", [](TDriveRecord& r) -> DriveFieldRef { return &r.HotKeyClose.Alt; }},
    {" HotKeyClose-Shift", [](TDriveRecord& r) -> DriveFieldRef { return &r.HotKeyClose.Shift; }},
    {" HotKeyClose-Key", [](TDriveRecord& r) -> DriveFieldRef { return &r.HotKeyClose.Key; }},
    {" HotKeyLock-Win", [](TDriveRecord& r) -> DriveFieldRef { return &r.HotKeyLock.Win; }},
    {" HotKeyLock-Ctrl", [](TDriveRecord& r) -> DriveFieldRef { return &r.HotKeyLock.Ctrl; }},
    {" HotKeyLock-Alt", [](TDriveRecord& r) -> DriveFieldRef { return &r.HotKeyLock.Alt; }},
    {" HotKeyLock-Shift", [](TDriveRecord& r) -> DriveFieldRef { return &r.HotKeyLock.Shift; }},
    {" HotKeyLock-Key", [](TDriveRecord& r) -> DriveFieldRef { return &r.HotKeyLock.Key; }},
}};

// A letter is a one-character text; a number is its decimal text.
const std::array<TAppValue, kAppValueCount> kAppValues = {{
    {"DriveCount", [](TAppOptions&) -> AppFieldRef { return {}; }, false},
    {"Currently used language", [](TAppOptions& o) -> AppFieldRef { return &o.Language; }, true},
    // The single-click pair is kept for the older versions but never read.
    {"Single - Letter", [](TAppOptions& o) -> AppFieldRef { return &o.SingleLetter; }, false},
    {"Single - Action", [](TAppOptions& o) -> AppFieldRef { return &o.SingleAction; }, false},
    {"Double - Letter", [](TAppOptions& o) -> AppFieldRef { return &o.DoubleLetter; }, true},
    {"Double - Action", [](TAppOptions& o) -> AppFieldRef { return &o.DoubleAction; }, true},
    {"Double - Item", [](TAppOptions& o) -> AppFieldRef { return &o.DoubleItem; }, true},
}};

namespace {

std::string DriveValueName(char letter, std::size_t i) {
  return std::string(1, letter) + kDriveValues[i].Suffix;
}

// Loads one number into its field; a value that is not a number is skipped.
void LoadNumber(const SettingsStore& store, SettingsStore::Key key, const std::string& name,
                DriveFieldRef field) {
  const auto text = ReadTextValue(store, key, name);
  if (!text) return;
  const auto number = TextToInt(*text);
  if (!number) return;
  if (auto* flag = std::get_if<bool*>(&field)) {
    // A one-byte field takes the low 8 bits, so 256 reads as false.
    **flag = (static_cast<std::uint32_t>(*number) & 0xFFu) != 0;
  } else {
    *std::get<std::int32_t*>(field) = *number;
  }
}

}  // namespace

bool LoadSettings(SettingsStore& store, TDriveTable& drives, TAppOptions& options) {
  const OpenedKey key(store, store.OpenKey(kSettingsKey, platform::KeyAccess::Read));
  if (!key) return false;

  for (TDriveRecord& drive : drives) {
    for (std::size_t i = 0; i < kDriveValueCount; ++i) {
      LoadNumber(store, key.Get(), DriveValueName(drive.Letter, i), kDriveValues[i].Field(drive));
    }
  }
  for (const TAppValue& value : kAppValues) {
    if (!value.Loaded) continue;
    const AppFieldRef field = value.Field(options);
    if (const auto* number = std::get_if<std::int32_t*>(&field)) {
      LoadNumber(store, key.Get(), value.Name, *number);
    } else if (auto text = ReadTextValue(store, key.Get(), value.Name)) {
      if (const auto* letter = std::get_if<char*>(&field)) {
        **letter = text->empty() ? '\0' : (*text)[0];
      } else if (const auto* whole = std::get_if<std::string*>(&field)) {
        **whole = *text;
      }
    }
  }
  return true;
}

bool SettingsStored(SettingsStore& store) {
  const OpenedKey key(store, store.OpenKey(kSettingsKey, platform::KeyAccess::Read));
  return static_cast<bool>(key);
}

void SaveSettings(SettingsStore& store, const TDriveTable& drives, const TAppOptions& options) {
  SettingsStore::Key handle = store.OpenKey(kSettingsKey, platform::KeyAccess::ReadWrite);
  if (handle == 0) handle = store.CreateKey(kSettingsKey);
  const OpenedKey key(store, handle);
  if (!key) return;

  // The field tables hand out pointers into a record; the save reads copies.
  TAppOptions app = options;
  for (const TAppValue& value : kAppValues) {
    const AppFieldRef field = value.Field(app);
    if (const auto* number = std::get_if<std::int32_t*>(&field)) {
      WriteTextValue(store, key.Get(), value.Name, std::to_string(**number));
    } else if (const auto* letter = std::get_if<char*>(&field)) {
      WriteLetterValue(store, key.Get(), value.Name, **letter);
    } else if (const auto* text = std::get_if<std::string*>(&field)) {
      WriteTextValue(store, key.Get(), value.Name, **text);
    } else {
      WriteNumberValue(store, key.Get(), value.Name, static_cast<std::uint32_t>(drives.size()));
    }
  }
  for (TDriveRecord drive : drives) {
    for (std::size_t i = 0; i < kDriveValueCount; ++i) {
      const DriveFieldRef field = kDriveValues[i].Field(drive);
      const std::int32_t number = std::holds_alternative<bool*>(field)
                                      ? (*std::get<bool*>(field) ? 1 : 0)
                                      : *std::get<std::int32_t*>(field);
      WriteTextValue(store, key.Get(), DriveValueName(drive.Letter, i), std::to_string(number));
    }
  }
}

int FindLanguageIndex(const TAppOptions& options, const std::string& defaultLanguageFile) {
  auto lastIndexOf = [&](const std::string& path) {
    int found = -1;
    for (std::size_t i = 0; i < options.LanguageFiles.size(); ++i) {
      if (EqualsIgnoringAsciiCase(options.LanguageFiles[i], path)) found = static_cast<int>(i);
    }
    return found;
  };
  const int index = lastIndexOf(options.Language);
  return index >= 0 ? index : lastIndexOf(defaultLanguageFile);
}

}  // namespace orbl
