// frmMain's own window, the options window: the drive bar selecting the
// common page or the drive page, the two pages, the maker's web address and
// OK / Cancel / Help. The controls are built on the window TFrmMain created;
// OK's steps and the launches belong to TFrmMain, which this class calls
// through TOptionsEvents.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "drives/ProgramState.h"
#include "language/IniFile.h"
#include "language/InterfaceTexts.h"
#include "platform/Platform.h"
#include "settings/Launches.h"
#include "settings/Orbl2Records.h"

namespace orbl {

struct TOptionsEvents {
  std::function<void()> onOk;
  std::function<void()> onCancel;
  std::function<void()> onHelp;
  std::function<void()> onMakerSite;
  std::function<void(const std::string& address)> onMailTranslator;
  // Lets the user edit one hot key of the drive page's record; returns when
  // the hot key dialog has gone. Left empty, the hot key stays as it is.
  std::function<void(THotKeyDef& hotKey)> editHotKey;
};

// The double-click pair an action-list entry stands for; nullopt when the
// entry stands for none. The letter is 0 where the action keeps it as it was.
struct TActionChoice {
  std::int32_t Action = 0;
  char Letter = 0;
};
std::optional<TActionChoice> ActionOfEntry(const std::string& entry, const TInterfaceTexts& texts);
// Whether the entry is one that stands for this double-click pair.
bool EntryNamesPair(const std::string& entry, std::int32_t action, char letter,
                    const TInterfaceTexts& texts);

// The table the window is made from (OptionsControls.h).
enum class TOptionsPage : std::uint8_t;
struct TOptionsControl;

class TOptionsWindow {
 public:
  TOptionsWindow(platform::Platform& platform, platform::WindowHandle window, TProgramState& state,
                 TDriveTable& driveTable, TAppOptions& options, const TInterfaceTexts& texts,
                 TOptionsEvents events);
  ~TOptionsWindow() = default;
  TOptionsWindow(const TOptionsWindow&) = delete;
  TOptionsWindow& operator=(const TOptionsWindow&) = delete;

  // --- the drive bar -----------------------------------------------------------
  // "Common options" and the separator; then one button per drive, in table order.
  void BuildDriveBar();
  void AddDriveButton(char letter);

  // --- pages -------------------------------------------------------------------
  bool CommonPageVisible() const { return commonVisible_; }
  bool DrivePageVisible() const { return driveVisible_; }
  // The "Common options" button: stores the drive page it hides.
  void SelectCommonPage();
  // The show step's selection: the drive page it hides is not stored, since
  // the records were just loaded afresh and the page holds what came before.
  void SelectCommonPageForShowing();
  // The drive button at bar position `barIndex` (2 and up).
  void SelectDrivePage(int barIndex);
  // The common page's show steps.
  void PrepareCommonPage();

  // The record at SelectedDrive to and from the drive page; nothing while
  // SelectedDrive is -1.
  void StorePage();
  void LoadPage();
  // The common page's three controls to and from AutoStart, LanguageIndex
  // and DoubleItem.
  void RememberCommon();
  void RestoreCommon();
  // Selects the double-click entry that stands for DoubleAction and DoubleLetter.
  void SelectDoubleClickEntry();
  // The double-click list's change handler: the pair from the chosen entry.
  void DoubleClickChanged();

  // --- language ----------------------------------------------------------------
  // Fills the language list and LanguageFiles once per run.
  void EnumerateLanguages();
  void ShowTranslatorInfo(const std::string& languageFile);
  // The window's own texts: its buttons, the captions of both pages (a key
  // the file lacks leaves its text) and the "Common options" button.
  void ApplyLanguage(const TIniFile& file);
  void FillActionLists(const std::vector<std::string>& single,
                       const std::vector<std::string>& doubleClick);

  // --- what OK and Cancel take from the window ---------------------------------
  // OK: the language chosen in the list, if any, becomes Language.
  void TakeLanguageChoice();
  // The " Start automatically" box as the show step left it, so that Cancel
  // can put it back.
  void NoteShownAutoStart();
  void RestoreShownAutoStart();
  bool StartAutomatically() const;
  // The drive page's controls as the hide step reads them: the periodic-close
  // box, the auto-close box and the two number fields (nullopt: no number).
  bool TryToCloseTicked() const;
  bool AutoCloseTicked() const;
  std::optional<std::int32_t> IntervalValue() const;
  std::optional<std::int32_t> DiskLimitValue() const;

  // --- the controls ----------------------------------------------------------------
  // Made from kOptionsControls (OptionsControls.h): where each sits, its page,
  // its caption's key and, for a box of the drive page, its record field.
  platform::ControlHandle DriveBar;
  platform::ControlHandle Rule;
  platform::ControlHandle IntegrationGroup;
  platform::ControlHandle StartAutoCheck;
  platform::ControlHandle LanguageGroup;
  platform::ControlHandle LanguageLabel;
  platform::ControlHandle LanguageList;
  platform::ControlHandle InformLabel;
  platform::ControlHandle AuthorLabel;
  platform::ControlHandle TranslatorName;
  platform::ControlHandle EmailLabel;
  platform::ControlHandle TranslatorAddress;
  platform::ControlHandle TrayGroup;
  platform::ControlHandle DoubleClickLabel;
  platform::ControlHandle DoubleClickList;
  platform::ControlHandle SingleClickLabel;
  platform::ControlHandle SingleClickList;
  platform::ControlHandle ClosingGroup;
  platform::ControlHandle AutoCloseCheck;
  platform::ControlHandle IntervalLabel;
  platform::ControlHandle IntervalField;
  platform::ControlHandle LockOnCloseCheck;
  platform::ControlHandle LockOnStartCheck;
  platform::ControlHandle ShowMsgLockUnlockCheck;
  platform::ControlHandle BeepLockUnlockCheck;
  platform::ControlHandle ShowDialogCheck;
  platform::ControlHandle SleepGroup;
  platform::ControlHandle WarnSleepCheck;
  platform::ControlHandle SleepLockCheck;
  platform::ControlHandle SleepUnlockCheck;
  platform::ControlHandle ShutdownGroup;
  platform::ControlHandle CloseActCheck;
  platform::ControlHandle WarnNotEmptyCheck;
  platform::ControlHandle EjectShutdownCheck;
  platform::ControlHandle BeepShutdownCheck;
  platform::ControlHandle HotKeyGroup;
  platform::ControlHandle HotKeyOpenCloseLabel;
  platform::ControlHandle HotKeyCloseText;
  platform::ControlHandle ChangeCloseButton;
  platform::ControlHandle HotKeyLockUnlockLabel;
  platform::ControlHandle HotKeyLockText;
  platform::ControlHandle ChangeLockButton;
  platform::ControlHandle EjectingGroup;
  platform::ControlHandle SpyCheck;
  platform::ControlHandle TryEveryCheck;
  platform::ControlHandle DiskLimitLabel;
  platform::ControlHandle DiskLimitField;
  platform::ControlHandle SecondsLabel;
  platform::ControlHandle SiteLink;
  platform::ControlHandle OkButton;
  platform::ControlHandle CancelButton;
  platform::ControlHandle HelpButton;

 private:
  platform::ControlEvents EventsOf(const TOptionsControl& control);
  std::function<void()> Forward(std::function<void()> TOptionsEvents::*hook);
  void ShowPage(TOptionsPage page, bool visible);
  void ChangeHotKey(THotKeyDef TDriveRecord::*hotKey);
  TDriveRecord* SelectedRecord();

  platform::Platform& platform_;
  platform::WindowSystem& windows_;
  const platform::WindowHandle window_;
  TProgramState& state_;
  TDriveTable& driveTable_;
  TAppOptions& options_;
  const TInterfaceTexts& texts_;
  TOptionsEvents events_;
  bool commonVisible_ = true;
  bool driveVisible_ = false;
  bool shownAutoStart_ = true;
};

}  // namespace orbl
