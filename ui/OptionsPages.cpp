// What the options window's pages do: switching between them, the drive page
// to and from its record, the common page to and from the program-wide
// options, the double-click list and the language list.
#include <cstdint>
#include <limits>
#include <string_view>
#include <utility>

#include "language/Language.h"
#include "settings/RegistrySettings.h"
#include "ui/OptionsControls.h"
#include "ui/OptionsWindow.h"
#include "ui/VirtualKeys.h"

namespace orbl {

using namespace orbl::platform;

namespace {

// A whole decimal number with an optional sign, as a 32-bit integer.
std::optional<std::int32_t> DecimalNumber(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty() || text.size() > 10) return std::nullopt;
  std::int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (negative) value = -value;
  if (value < std::numeric_limits<std::int32_t>::min() ||
      value > std::numeric_limits<std::int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(value);
}

bool IsDriveAction(std::int32_t action) {
  return action == static_cast<std::int32_t>(TDriveAction::OpenCloseDrive) ||
         action == static_cast<std::int32_t>(TDriveAction::LockUnlockDrive);
}

// The letter of a per-drive entry: the one before its final colon.
char EntryLetter(const std::string& entry) {
  return entry.size() >= 2 ? entry[entry.size() - 2] : '\0';
}

}  // namespace

std::optional<TActionChoice> ActionOfEntry(const std::string& entry, const TInterfaceTexts& texts) {
  const auto number = [](TDriveAction action) { return static_cast<std::int32_t>(action); };
  if (entry == texts.Act_None) return TActionChoice{number(TDriveAction::NoAction), 0};
  if (entry == texts.Act_OpenCloseAllDrives) {
    return TActionChoice{number(TDriveAction::OpenCloseAllDrives), 0};
  }
  if (entry == texts.Act_LockUnlockAllDrives) {
    return TActionChoice{number(TDriveAction::LockUnlockAllDrives), 0};
  }
  if (entry == texts.Act_ShowOptions) return TActionChoice{number(TDriveAction::ShowOptions), 0};
  if (entry.find(texts.Act_OpenCloseDrive) != std::string::npos) {
    return TActionChoice{number(TDriveAction::OpenCloseDrive), EntryLetter(entry)};
  }
  if (entry.find(texts.Act_LockUnlockDrive) != std::string::npos) {
    return TActionChoice{number(TDriveAction::LockUnlockDrive), EntryLetter(entry)};
  }
  return std::nullopt;
}

bool EntryNamesPair(const std::string& entry, std::int32_t action, char letter,
                    const TInterfaceTexts& texts) {
  switch (static_cast<TDriveAction>(action)) {
    case TDriveAction::NoAction:
      return entry == texts.Act_None;
    case TDriveAction::OpenCloseAllDrives:
      return entry == texts.Act_OpenCloseAllDrives;
    case TDriveAction::LockUnlockAllDrives:
      return entry == texts.Act_LockUnlockAllDrives;
    case TDriveAction::ShowOptions:
      return entry == texts.Act_ShowOptions;
    case TDriveAction::OpenCloseDrive:
      return entry.size() >= 2 && EntryLetter(entry) == letter &&
             entry.find(texts.Act_OpenCloseDrive) != std::string::npos;
    case TDriveAction::LockUnlockDrive:
      return entry.size() >= 2 && EntryLetter(entry) == letter &&
             entry.find(texts.Act_LockUnlockDrive) != std::string::npos;
  }
  return false;
}

// --- pages -----------------------------------------------------------------------

void TOptionsWindow::SelectCommonPage() {
  if (driveVisible_) {
    ShowPage(TOptionsPage::Drive, false);
    StorePage();
  }
  ShowPage(TOptionsPage::Common, true);
  PrepareCommonPage();
  state_.SelectedDrive = -1;
}

void TOptionsWindow::SelectCommonPageForShowing() {
  ShowPage(TOptionsPage::Drive, false);
  ShowPage(TOptionsPage::Common, true);
  PrepareCommonPage();
  state_.SelectedDrive = -1;
}

void TOptionsWindow::SelectDrivePage(int barIndex) {
  const int index = barIndex - 2;
  if (index < 0 || index >= static_cast<int>(driveTable_.size())) return;
  if (driveVisible_) StorePage();
  state_.SelectedDrive = index;
  LoadPage();
  if (commonVisible_) {
    ShowPage(TOptionsPage::Common, false);
    RememberCommon();
  }
  ShowPage(TOptionsPage::Drive, true);
}

void TOptionsWindow::PrepareCommonPage() {
  // Before anything was ever saved the page keeps its built state: the
  // " Start automatically" box stays ticked, so the first save turns
  // autostart on.
  if (!SettingsStored(platform_.settings)) return;

  ShowTranslatorInfo(options_.Language);
  windows_.SetSelection(LanguageList,
                        FindLanguageIndex(options_, DefaultLanguageFile(platform_.files)));
  SelectDoubleClickEntry();
  windows_.SetChecked(StartAutoCheck, platform_.autostart.IsEnabled());
  RestoreCommon();
}

TDriveRecord* TOptionsWindow::SelectedRecord() {
  const int index = state_.SelectedDrive;
  if (index < 0 || index >= static_cast<int>(driveTable_.size())) return nullptr;
  return &driveTable_[static_cast<std::size_t>(index)];
}

void TOptionsWindow::StorePage() {
  TDriveRecord* record = SelectedRecord();
  if (record == nullptr) return;
  for (const TOptionsControl& box : kOptionsControls) {
    if (box.Field != nullptr) record->*box.Field = windows_.IsChecked(this->*box.Member);
  }
  if (auto interval = IntervalValue()) record->AutocloseInterval = *interval;
  if (auto limit = DiskLimitValue()) record->DiskLimit = *limit;
}

void TOptionsWindow::LoadPage() {
  const TDriveRecord* record = SelectedRecord();
  if (record == nullptr) return;
  for (const TOptionsControl& box : kOptionsControls) {
    if (box.Field != nullptr) windows_.SetChecked(this->*box.Member, record->*box.Field);
  }
  // The arrows cannot go below 10, but a stored 5 is shown and stored back
  // as 5 until the user presses one.
  windows_.SetArrowPosition(IntervalField, record->AutocloseInterval);
  windows_.SetControlText(IntervalField, std::to_string(record->AutocloseInterval));
  windows_.SetControlText(DiskLimitField, std::to_string(record->DiskLimit));
  windows_.SetControlText(HotKeyCloseText, HotKeyText(record->HotKeyClose, texts_));
  windows_.SetControlText(HotKeyLockText, HotKeyText(record->HotKeyLock, texts_));
}

void TOptionsWindow::ChangeHotKey(THotKeyDef TDriveRecord::*hotKey) {
  TDriveRecord* record = SelectedRecord();
  if (record == nullptr) return;
  // The page's unsaved ticks go into the record first: the reload after the
  // dialog would otherwise drop them.
  StorePage();
  if (events_.editHotKey) events_.editHotKey(record->*hotKey);
  LoadPage();
}

void TOptionsWindow::RememberCommon() {
  options_.AutoStart = windows_.IsChecked(StartAutoCheck);
  options_.LanguageIndex = windows_.Selection(LanguageList);
  options_.DoubleItem = windows_.Selection(DoubleClickList);
}

void TOptionsWindow::RestoreCommon() {
  windows_.SetChecked(StartAutoCheck, options_.AutoStart);
  windows_.SetSelection(LanguageList, options_.LanguageIndex);
  // The stored position is trusted only while it still names the stored
  // pair: a drive missing since the save shifts every entry after it.
  const std::vector<std::string> entries = windows_.Items(DoubleClickList);
  const int item = options_.DoubleItem;
  if (item >= 0 && item < static_cast<int>(entries.size()) &&
      EntryNamesPair(entries[static_cast<std::size_t>(item)], options_.DoubleAction,
                     options_.DoubleLetter, texts_)) {
    windows_.SetSelection(DoubleClickList, item);
  } else {
    SelectDoubleClickEntry();
  }
}

void TOptionsWindow::SelectDoubleClickEntry() {
  const std::vector<std::string> entries = windows_.Items(DoubleClickList);
  int found = -1;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (EntryNamesPair(entries[i], options_.DoubleAction, options_.DoubleLetter, texts_)) {
      found = static_cast<int>(i);
    }
  }
  if (found >= 0) {
    windows_.SetSelection(DoubleClickList, found);
  } else if (!IsDriveAction(options_.DoubleAction)) {
    windows_.SetSelection(DoubleClickList, -1);
  }
}

void TOptionsWindow::DoubleClickChanged() {
  const int selection = windows_.Selection(DoubleClickList);
  const std::vector<std::string> entries = windows_.Items(DoubleClickList);
  if (selection < 0 || selection >= static_cast<int>(entries.size())) return;
  const auto choice = ActionOfEntry(entries[static_cast<std::size_t>(selection)], texts_);
  if (!choice) return;
  options_.DoubleAction = choice->Action;
  if (IsDriveAction(choice->Action)) options_.DoubleLetter = choice->Letter;
}

void TOptionsWindow::FillActionLists(const std::vector<std::string>& single,
                                     const std::vector<std::string>& doubleClick) {
  for (const auto& [list, entries] :
       {std::pair{SingleClickList, &single}, std::pair{DoubleClickList, &doubleClick}}) {
    windows_.ClearItems(list);
    for (const std::string& entry : *entries) windows_.AddItem(list, entry);
  }
}

// --- language ------------------------------------------------------------------------

void TOptionsWindow::EnumerateLanguages() {
  // Built once per run: files added later appear after a restart.
  if (!windows_.Items(LanguageList).empty()) return;
  windows_.ClearItems(LanguageList);
  options_.LanguageFiles.clear();
  for (const TLanguageEntry& entry : FindLanguageFiles(platform_.files)) {
    windows_.AddItem(LanguageList, entry.Name);
    options_.LanguageFiles.push_back(entry.Path);
  }
}

void TOptionsWindow::ShowTranslatorInfo(const std::string& languageFile) {
  const TTranslatorInfo info = ReadTranslatorInfo(TIniFile::Load(platform_.files, languageFile));
  windows_.SetControlText(TranslatorName, info.Name);
  windows_.SetControlText(TranslatorAddress, info.Email);
}

// --- what OK, Cancel and the hide step take from the window ----------------------------

void TOptionsWindow::TakeLanguageChoice() {
  const int selection = windows_.Selection(LanguageList);
  if (selection >= 0 && selection < static_cast<int>(options_.LanguageFiles.size())) {
    options_.Language = options_.LanguageFiles[static_cast<std::size_t>(selection)];
  }
}

void TOptionsWindow::NoteShownAutoStart() {
  shownAutoStart_ = windows_.IsChecked(StartAutoCheck);
}

void TOptionsWindow::RestoreShownAutoStart() {
  windows_.SetChecked(StartAutoCheck, shownAutoStart_);
}

bool TOptionsWindow::StartAutomatically() const {
  return windows_.IsChecked(StartAutoCheck);
}

bool TOptionsWindow::TryToCloseTicked() const {
  return windows_.IsChecked(TryEveryCheck);
}

bool TOptionsWindow::AutoCloseTicked() const {
  return windows_.IsChecked(AutoCloseCheck);
}

std::optional<std::int32_t> TOptionsWindow::IntervalValue() const {
  return DecimalNumber(windows_.ControlText(IntervalField));
}

std::optional<std::int32_t> TOptionsWindow::DiskLimitValue() const {
  return DecimalNumber(windows_.ControlText(DiskLimitField));
}

}  // namespace orbl
