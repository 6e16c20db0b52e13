// The main window object: the hidden options window, the program-wide state,
// the drive table, the two drive timers, the tray icon and its menu, start-up
// and the one way out of the program.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "drives/DriveControl.h"
#include "drives/ProgramState.h"
#include "language/IniFile.h"
#include "language/InterfaceTexts.h"
#include "platform/Platform.h"
#include "platform/WindowTimer.h"
#include "settings/Orbl2Records.h"
#include "ui/FrmAbout.h"
#include "ui/FrmCloseDrive.h"
#include "ui/FrmHotKey.h"
#include "ui/OptionsWindow.h"
#include "ui/VirtualKeys.h"

namespace orbl {

// The two tray-click choice lists. The single-click list is kept for the
// stored layout only; no icon event runs it.
struct TActionLists {
  std::vector<std::string> Single;
  std::vector<std::string> Double;
};

// The tray menu and the sub-menus the drive scan fills.
struct TTrayMenu {
  platform::MenuHandle Menu;
  platform::MenuHandle Unlock;
  platform::MenuHandle Lock;
  platform::MenuHandle Close;
  platform::MenuHandle Open;
  platform::MenuItemHandle Options;
  platform::MenuItemHandle Help;
  platform::MenuItemHandle About;
  platform::MenuItemHandle Exit;
};

class TFrmMain {
  // First of all members: building the others already reaches the platform.
  platform::Platform& platform_;

 public:
  // Builds the options window, timers, tray menu and icon. The entry runs
  // StartUp right after, once the object can be reached from the application
  // window: start-up may wait in a modal window, and a close request that
  // arrives there must find the whole exit sequence.
  TFrmMain(platform::Platform& platform, platform::WindowHandle appWindow,
           platform::Atom instanceAtom);
  ~TFrmMain() = default;
  TFrmMain(const TFrmMain&) = delete;
  TFrmMain& operator=(const TFrmMain&) = delete;

  void StartUp();
  // Saves, lets go of the atoms, takes the tray icon away and ends the
  // process with exit code 0.
  [[noreturn]] void ExitProgram();
  // Reads the file named by Language into the interface texts and every
  // window's captions, and rebuilds the action lists. Public for the fuzzing
  // program, which applies one file after another to a running program.
  void ApplyLanguage();

 private:
  // Everything below is the program's own: tests and other code reach it only
  // through the platform's inputs and outputs.
  void LoadSettings();
  void SaveSettings();
  void ScanDrives();
  // Sees every message of the options window first; true means handled.
  bool HandleSystemMessage(const platform::Message& message);
  // The disc warning for the drives whose `option` is on and that hold a
  // disc; returns when its box has been closed, by the user or, when
  // `timeoutMs` is not 0, by itself after that long.
  void WarnAboutDiscs(bool TDriveRecord::*option, std::uint32_t timeoutMs = 0);

  // Runs the show step and shows the options window; returns when it has
  // been hidden again by OK, Cancel or the close box.
  void ShowOptions();
  // The help file, the maker's web site, a new mail to the translator.
  void OpenHelp();
  void OpenMakerSite();
  void MailTranslator(const std::string& address);
  // Steps 8 to 10 of the language step: the About window, the hot key
  // dialog, then the close-now dialog with its drive text.
  void ApplyDialogLanguage(const TIniFile& file);

  // The full path of the language file used when none is chosen.
  std::string DefaultLanguageFile() const;

  const platform::WindowHandle AppWindow;
  const platform::Atom InstanceAtom;

  // False until the constructor has run: the tray icon goes up before the
  // windows and dialogs are built, and until they are its clicks do nothing.
  bool built_ = false;
  // Adding the icon again while the shell refuses it: at logon the taskbar
  // may not be ready yet, and its "TaskbarCreated" may never come.
  platform::TimerHandle trayRetry_{};
  int trayRetriesLeft_ = 0;

  TProgramState State;
  TDriveTable DriveTable;
  TAppOptions Options;
  TInterfaceTexts Texts;
  TActionLists ActionLists;
  TTrayMenu TrayMenu;

  // Built by the constructor, in the order it gives.
  platform::WindowHandle Handle;  // the options window
  std::optional<platform::TWindowTimer> AutoCloseTimer;
  std::optional<platform::TWindowTimer> PeriodicCloseTimer;
  // The door, lock and timer operations on DriveTable.
  std::optional<TDriveControl> DriveControl;
  std::optional<TFrmHotKey> FrmHotKey;
  std::optional<TFrmAbout> FrmAbout;
  std::optional<TFrmCloseDrive> FrmCloseDrive;
  // The controls of the options window (Handle) and what its pages do.
  std::optional<TOptionsWindow> OptionsWindow;

  platform::WindowHandle CreateOptionsWindow();
  TOptionsEvents OptionsEvents();
  void CreateTrayMenu();
  bool ShowTrayIcon();
  void StartTrayRetry();
  void StopTrayRetry();
  bool TrayBlocked() const;
  void OnTrayRightButtonUp();

  // The steps of StartUp, in their order.
  void ResetProgramState();
  void ApplyTimersAndAutostart();
  void StartActionLists();
  void BuildDriveBar();
  void AppendAllDriveActions();
  void RunOptionsShowStep();
  void ShowOptionsIfAsked();
  void HideAppWindow();
  void ReadAutoStart();
  // Start-up's pass, and OK's for the hot keys the user changed.
  void RegisterDriveHotKeys();
  // A command another process hands over ("close D", "options").
  platform::CommandReply OnCommand(const std::string& request);
  // Posted to the options window by the command "options".
  static constexpr std::uint32_t kShowOptionsLater = 0x8000 + 0x4F;  // WM_APP + 0x4F

  // The options window's buttons and the language steps of the other windows.
  void OnOptionsOk();
  void CancelOptions();
  void ApplyMenuLanguage();
  void RebuildActionLists();

  // The system events (SystemEvents.cpp).
  void OnDeviceRemoval(const platform::Message& message);
  void ShowCloseNowDialogs(const std::vector<char>& letters);
  // Whether a drive named in a removal asks for the close-now dialog.
  bool WantsCloseNowDialog(const std::vector<char>& letters) const;
  void OnQueryEndSession();
  void OnPowerBroadcast(std::uint64_t event);
  void GoToSleep();
  void Resume();
  void OnHotKey(std::uint64_t id);
  void OnOptionsDoubleClick();
  // "Found disk in drive (E, G)"; empty when no drive is named.
  std::string DiscWarningText(const std::vector<char>& letters) const;
  void ShowDiscWarning(const std::string& text, std::uint32_t timeoutMs);
  // What each drive's hot key identifiers were last registered for.
  std::vector<TRegisteredHotKeys> registeredHotKeys_;
  // Drives waiting for the close-now dialog while it shows for another, with
  // the door commands sent before they were queued. The only such queue: the
  // dialog shows one drive per call.
  struct TQueuedDialog {
    int index;
    std::uint64_t mark;
  };
  std::deque<TQueuedDialog> closeNowQueue_;
  bool closeNowShowing_ = false;
};

}  // namespace orbl
