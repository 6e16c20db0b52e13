#include "settings/RegistrySettings.h"

#include <cstring>
#include <optional>
#include <variant>

#include "settings/NumberText.h"
#include "settings/SettingsValues.h"

namespace orbl {

using platform::SettingsStore;

const std::array<const char*, kDriveValueCount> kDriveValueSuffixes = {
    " Spy for ejecting CD/DVD door with disk",
    " Automatically close the CD/DVD door after specified time interval",
    " edtDiskLimit",
    " Close CD/DVD door on system shutdown",
    " Warn if CD/DVD drive is not empty on system shutdown",
    " Try to close CD/DVD door every some seconds",
    " edtAutocloseInterval",
    " Lock this drive on starting program",
    " Lock-close-ORBL-open-etc",
    " WarnAboutDiscWhenGoingToSleepMode",
    " EjectDiskWhenDriveIsNotEmpty",
    " BeepWhenDriveIsNotEmpty",
    " ShowMessagesWhenLockingUnlocking",
    " BeepWhenLockingUnlocking",
    " LockWhenGoingToSleepMode",
    " UnlockLockWhenExitingFromSleepMode",
    " ShowDialogToCloseDriveImmediately",
    " HotKeyClose-Win",
    " HotKeyClose-Ctrl",
    " HotKeyClose-Alt",
    " HotKeyClose-Shift",
    " HotKeyClose-Key",
    " HotKeyLock-Win",
    " HotKeyLock-Ctrl",
    " HotKeyLock-Alt",
    " HotKeyLock-Shift",
    " HotKeyLock-Key",
};

namespace {

using FieldRef = std::variant<bool*, std::int32_t*>;

// The field behind the i-th suffix of kDriveValueSuffixes.
FieldRef DriveField(TDriveRecord& r, std::size_t i) {
  switch (i) {
    case 0:
      return &r.SpyForEjecting;
    case 1:
      return &r.AutoCloseAfterInterval;
    case 2:
      return &r.DiskLimit;
    case 3:
      return &r.CloseOnShutdown;
    case 4:
      return &r.WarnIfNotEmptyOnShutdown;
    case 5:
      return &r.TryToCloseEverySomeSeconds;
    case 6:
      return &r.AutocloseInterval;
    case 7:
      return &r.LockOnStart;
    case 8:
      return &r.LockWithOpenClose;
    case 9:
      return &r.WarnAboutDiscWhenGoingToSleepMode;
    case 10:
      return &r.EjectDiskWhenDriveIsNotEmpty;
    case 11:
      return &r.BeepWhenDriveIsNotEmpty;
    case 12:
      return &r.ShowMessagesWhenLockingUnlocking;
    case 13:
      return &r.BeepWhenLockingUnlocking;
    case 14:
      return &r.LockWhenGoingToSleepMode;
    case 15:
      return &r.UnlockLockWhenExitingFromSleepMode;
    case 16:
      return &r.ShowDialogToCloseDriveImmediately;
    case 17:
      return &r.HotKeyClose.Win;
    case 18:
      return &r.HotKeyClose.Ctrl;
    case 19:
      return &r.HotKeyClose.Alt;
    case 20:
      return &r.HotKeyClose.Shift;
    case 21:
      return &r.HotKeyClose.Key;
    case 22:
      return &r.HotKeyLock.Win;
    case 23:
      return &r.HotKeyLock.Ctrl;
    case 24:
      return &r.HotKeyLock.Alt;
    case 25:
      return &r.HotKeyLock.Shift;
    default:
      return &r.HotKeyLock.Key;
  }
}

std::string DriveValueName(char letter, std::size_t i) {
  return std::string(1, letter) + kDriveValueSuffixes[i];
}

// Loads one number into its field; a value that is not a number is skipped.
void LoadNumber(const SettingsStore& store, SettingsStore::Key key, const std::string& name,
                FieldRef field) {
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
      LoadNumber(store, key.Get(), DriveValueName(drive.Letter, i), DriveField(drive, i));
    }
  }
  if (auto language = ReadTextValue(store, key.Get(), "Currently used language")) {
    options.Language = *language;
  }
  if (auto letter = ReadTextValue(store, key.Get(), "Double - Letter")) {
    options.DoubleLetter = letter->empty() ? '\0' : (*letter)[0];
  }
  LoadNumber(store, key.Get(), "Double - Action", &options.DoubleAction);
  LoadNumber(store, key.Get(), "Double - Item", &options.DoubleItem);
  return true;
}

void SaveSettings(SettingsStore& store, const TDriveTable& drives, const TAppOptions& options) {
  SettingsStore::Key handle = store.OpenKey(kSettingsKey, platform::KeyAccess::ReadWrite);
  if (!handle) handle = store.CreateKey(kSettingsKey);
  const OpenedKey key(store, handle);
  if (!key) return;

  WriteNumberValue(store, key.Get(), "DriveCount", static_cast<std::uint32_t>(drives.size()));
  WriteTextValue(store, key.Get(), "Currently used language", options.Language);
  WriteLetterValue(store, key.Get(), "Single - Letter", options.SingleLetter);
  WriteTextValue(store, key.Get(), "Single - Action", std::to_string(options.SingleAction));
  WriteLetterValue(store, key.Get(), "Double - Letter", options.DoubleLetter);
  WriteTextValue(store, key.Get(), "Double - Action", std::to_string(options.DoubleAction));
  WriteTextValue(store, key.Get(), "Double - Item", std::to_string(options.DoubleItem));

  for (TDriveRecord drive : drives) {
    for (std::size_t i = 0; i < kDriveValueCount; ++i) {
      const FieldRef field = DriveField(drive, i);
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
      if (options.LanguageFiles[i] == path) found = static_cast<int>(i);
    }
    return found;
  };
  const int index = lastIndexOf(options.Language);
  return index >= 0 ? index : lastIndexOf(defaultLanguageFile);
}

}  // namespace orbl
