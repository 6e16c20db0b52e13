// frmMain's own window, the options window: the drive bar selecting the
// common page or the drive page, the two pages, the maker's web address and
// OK / Cancel / Help. The controls are built on the window TFrmMain created;
// OK's steps and the launches belong to TFrmMain, which this class calls
// through TOptionsEvents.
#pragma once

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

class TOptionsWindow {
  // First of all members: the controls below are built through it.
  platform::WindowSystem& windows_;
  const platform::WindowHandle window_;

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
  const platform::ControlHandle DriveBar;
  const platform::ControlHandle Rule;
  // Common page.
  const platform::ControlHandle IntegrationGroup;
  const platform::ControlHandle StartAutoCheck;
  const platform::ControlHandle LanguageGroup;
  const platform::ControlHandle LanguageLabel;
  const platform::ControlHandle LanguageList;
  const platform::ControlHandle InformLabel;
  const platform::ControlHandle AuthorLabel;
  const platform::ControlHandle TranslatorName;
  const platform::ControlHandle EmailLabel;
  const platform::ControlHandle TranslatorAddress;
  const platform::ControlHandle TrayGroup;
  const platform::ControlHandle DoubleClickLabel;
  const platform::ControlHandle DoubleClickList;
  const platform::ControlHandle SingleClickLabel;  // never visible
  const platform::ControlHandle SingleClickList;   // never visible
  // Drive page.
  const platform::ControlHandle ClosingGroup;
  const platform::ControlHandle AutoCloseCheck;
  const platform::ControlHandle IntervalLabel;
  const platform::ControlHandle IntervalField;
  const platform::ControlHandle LockOnCloseCheck;
  const platform::ControlHandle LockOnStartCheck;
  const platform::ControlHandle ShowMsgLockUnlockCheck;
  const platform::ControlHandle BeepLockUnlockCheck;
  const platform::ControlHandle ShowDialogCheck;
  const platform::ControlHandle SleepGroup;
  const platform::ControlHandle WarnSleepCheck;
  const platform::ControlHandle SleepLockCheck;
  const platform::ControlHandle SleepUnlockCheck;
  const platform::ControlHandle ShutdownGroup;
  const platform::ControlHandle CloseActCheck;
  const platform::ControlHandle WarnNotEmptyCheck;
  const platform::ControlHandle EjectShutdownCheck;
  const platform::ControlHandle BeepShutdownCheck;
  const platform::ControlHandle HotKeyGroup;
  const platform::ControlHandle HotKeyOpenCloseLabel;
  const platform::ControlHandle HotKeyCloseText;
  const platform::ControlHandle ChangeCloseButton;
  const platform::ControlHandle HotKeyLockUnlockLabel;
  const platform::ControlHandle HotKeyLockText;
  const platform::ControlHandle ChangeLockButton;
  // Drive page, never visible: they carry three fields through unchanged.
  const platform::ControlHandle EjectingGroup;
  const platform::ControlHandle SpyCheck;
  const platform::ControlHandle TryEveryCheck;
  const platform::ControlHandle DiskLimitLabel;
  const platform::ControlHandle DiskLimitField;
  const platform::ControlHandle SecondsLabel;
  // Under the pages.
  const platform::ControlHandle SiteLink;
  const platform::ControlHandle OkButton;
  const platform::ControlHandle CancelButton;
  const platform::ControlHandle HelpButton;

 private:
  platform::ControlHandle Add(const platform::ControlParams& params,
                              platform::ControlEvents events = {});
  platform::ControlHandle AddCheck(int y, const std::string& text, bool ticked = false);
  platform::ControlHandle AddLink(platform::Rect rect, const std::string& text,
                                  std::function<void()> onClick);
  std::vector<platform::ControlHandle> CommonPage() const;
  std::vector<platform::ControlHandle> DrivePage() const;
  void ShowCommonPage(bool visible);
  void ShowDrivePage(bool visible);
  void ChangeHotKey(THotKeyDef TDriveRecord::*hotKey);
  TDriveRecord* SelectedRecord();
  // The (check box, field) pairs of the drive page.
  std::vector<std::pair<platform::ControlHandle, bool TDriveRecord::*>> CheckBoxFields() const;

  platform::Platform& platform_;
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
