#include "app/FrmMain.h"

#include <array>
#include <cstdlib>
#include <exception>
#include <utility>

#include "drives/DriveTools.h"
#include "language/Language.h"
#include "settings/Launches.h"
#include "settings/RegistrySettings.h"
#include "ui/VirtualKeys.h"

namespace orbl {

using namespace orbl::platform;

namespace {

constexpr const char* kTrayTip = "Orbelle - click with right mouse button to see menu";

// Runs one step of the exit so that a failing step cannot keep the others,
// above all the end of the process, from happening.
template <typename Step>
void Contained(Step&& step) {
  try {
    step();
  } catch (const std::exception&) {
  }
}

}  // namespace

TFrmMain::TFrmMain(Platform& platform, WindowHandle appWindow, Atom instanceAtom)
    : platform_(platform),
      AppWindow(appWindow),
      InstanceAtom(instanceAtom),
      Handle(CreateOptionsWindow()),
      AutoCloseTimer(platform.windows, Handle, 15000,
                     [this] { DriveControl.AutoCloseTimerTick(); }),
      PeriodicCloseTimer(platform.windows, Handle, 1000,
                         [this] { DriveControl.PeriodicCloseTimerTick(); }),
      DriveControl(platform, State, DriveTable, Texts, AutoCloseTimer,
                   [this] { platform_.windows.ShowModal(Handle); }),
      onCloseNowDialog([this](int index) { FrmCloseDrive.ShowForDrive(index); }),
      FrmHotKey(platform.windows, Texts),
      FrmAbout(platform.windows, platform.shell),
      FrmCloseDrive(platform.windows, State, DriveTable, Texts, DriveControl) {
  CreateTrayMenu();
  // The icon goes up before any setting is read, so the user sees at once
  // that the program started.
  ShowTrayIcon();
}

WindowHandle TFrmMain::CreateOptionsWindow() {
  WindowSpec params;
  params.title = "Orbelle 3";
  params.clientWidth = 552;
  params.clientHeight = 596;
  params.icon = "TRAY";
  params.centered = true;
  WindowEvents events;
  events.onMessage = [this](const Message& message) { return HandleSystemMessage(message); };
  events.onDoubleClick = [this] { OnOptionsDoubleClick(); };
  // Closing the options window only hides it; the program keeps running.
  events.onCloseRequest = [this] { platform_.windows.ShowWindow(Handle, false); };
  events.onDestroy = [this] { ExitProgram(); };
  return platform_.windows.CreateTopWindow(params, std::move(events));
}

void TFrmMain::CreateTrayMenu() {
  Tray& tray = platform_.tray;
  TrayMenu.Menu = tray.CreatePopupMenu();
  TrayMenu.Unlock = tray.AddSubMenu(TrayMenu.Menu, "Unlock Device", "FRMMAIN_N16_BMP_BITMAP");
  TrayMenu.Lock = tray.AddSubMenu(TrayMenu.Menu, "Lock Device", "FRMMAIN_N17_BMP_BITMAP");
  tray.AddSeparator(TrayMenu.Menu);
  TrayMenu.Close = tray.AddSubMenu(TrayMenu.Menu, "Close Door", "FRMMAIN_N19_BMP_BITMAP");
  TrayMenu.Open = tray.AddSubMenu(TrayMenu.Menu, "Open Door", "FRMMAIN_N20_BMP_BITMAP");
  tray.AddSeparator(TrayMenu.Menu);
  TrayMenu.Options = tray.AddMenuItem(
      TrayMenu.Menu, "Options...", [this] { platform_.windows.ShowModal(Handle); },
      "FRMMAIN_N22_BMP_BITMAP");
  tray.AddSeparator(TrayMenu.Menu);
  TrayMenu.Help = tray.AddMenuItem(
      TrayMenu.Menu, "Help!",
      [this] { OpenHelp(platform_.shell, platform_.files, Handle, Texts.HelpFile); },
      "FRMMAIN_N24_BMP_BITMAP");
  tray.AddSeparator(TrayMenu.Menu);
  TrayMenu.About =
      tray.AddMenuItem(TrayMenu.Menu, "About Orbelle", [this] { FrmAbout.ShowModal(); });
  tray.AddSeparator(TrayMenu.Menu);
  TrayMenu.Exit = tray.AddMenuItem(TrayMenu.Menu, "Exit", [this] { ExitProgram(); });
}

void TFrmMain::ShowTrayIcon() {
  TrayEvents events;
  events.onRightButtonUp = [this] { OnTrayRightButtonUp(); };
  events.onDoubleClick = [this] {
    if (!TrayBlocked()) DriveControl.RunDriveAction(Options.DoubleLetter, Options.DoubleAction);
  };
  // After the shell restarted, the icon has to be added anew.
  events.onTaskbarCreated = [this] {
    platform_.tray.DeleteIcon();
    ShowTrayIcon();
  };
  // A failure is not reported: without the shell there is no icon, but hot
  // keys and system events still work.
  platform_.tray.AddIcon(AppWindow, "TRAY", kTrayTip, std::move(events));
}

// While one of the program's own windows is up, the icon offers nothing: a
// second way into the options or a drive action would run inside its loop.
bool TFrmMain::TrayBlocked() const {
  return platform_.windows.IsWindowVisible(Handle) || FrmAbout.Visible() || FrmCloseDrive.Visible();
}

void TFrmMain::OnTrayRightButtonUp() {
  WindowSystem& windows = platform_.windows;
  if (TrayBlocked()) return;
  const Point at = platform_.tray.CursorPos();
  // The menu closes again on the next click elsewhere only when one of our
  // windows is in front while it shows.
  if (windows.IsWindowEnabled(State.MenuForegroundWindow)) {
    windows.SetForegroundWindow(State.MenuForegroundWindow);
  }
  windows.ProcessMessages();
  platform_.tray.TrackPopupMenu(TrayMenu.Menu, at, Handle);
  if (windows.IsWindowEnabled(State.MenuForegroundWindow)) {
    windows.SetForegroundWindow(State.MenuForegroundWindow);
  }
  State.MenuForegroundWindow = AppWindow;
}

void TFrmMain::StartUp() {
  ResetProgramState();
  LoadSettings();  // the drive table is still empty: program-wide values only
  ApplyLanguage();
  ApplyTimersAndAutostart();
  StartActionLists();
  BuildDriveBar();
  ScanDrives();
  LoadSettings();  // now the per-drive values reach the drive records
  DriveControl.LockDrivesOnStart();
  AppendAllDriveActions();
  RunOptionsShowStep();
  ShowOptionsIfAsked();
  HideAppWindow();
  ApplyLanguage();
  ReadAutoStart();
  RegisterDriveHotKeys();
  DriveControl.ProbeDoorDevices();
}

void TFrmMain::ResetProgramState() {
  State.CloseDialogDrive = -1;
  State.ShowLockMessages = true;
  State.TrackUserLocks = true;
  State.MenuForegroundWindow = Handle;
}

// The interface texts and the dialogs; the options window's own texts come
// with its pages.
void TFrmMain::ApplyLanguage() {
  if (Options.Language.empty()) Options.Language = DefaultLanguageFile();
  const TIniFile file = TIniFile::Load(platform_.files, Options.Language);
  ReadInterfaceTexts(file, Texts);
  ApplyDialogLanguage(file);
}

void TFrmMain::ApplyDialogLanguage(const TIniFile& file) {
  FrmAbout.ApplyLanguage(file);
  FrmHotKey.ApplyLanguage(file);
  ReadCloseNowTexts(file, Texts);
  FrmCloseDrive.ApplyLanguage(file);
}

// Comes with the options window's pages, whose controls it reads.
void TFrmMain::ApplyTimersAndAutostart() {}

void TFrmMain::StartActionLists() {
  ActionLists.Single = {Texts.Act_None};
  ActionLists.Double = {Texts.Act_None};
}

// Comes with the options window's pages.
void TFrmMain::BuildDriveBar() {}

void TFrmMain::AppendAllDriveActions() {
  for (auto* list : {&ActionLists.Single, &ActionLists.Double}) {
    list->push_back(Texts.Act_OpenCloseAllDrives);
    list->push_back(Texts.Act_LockUnlockAllDrives);
  }
  ActionLists.Double.push_back(Texts.Act_ShowOptions);
}

// The options window's show step, without showing it, so that it starts from
// the stored state. Until its pages exist that is the load alone.
void TFrmMain::RunOptionsShowStep() {
  LoadSettings();
}

void TFrmMain::ShowOptionsIfAsked() {
  // Only the exact first argument "options" counts.
  const std::vector<std::string> arguments = platform_.files.Arguments();
  if (!arguments.empty() && arguments.front() == "options") platform_.windows.ShowModal(Handle);
}

void TFrmMain::HideAppWindow() {
  platform_.windows.ShowWindow(AppWindow, false);
}

void TFrmMain::ReadAutoStart() {
  Options.AutoStart = platform_.autostart.IsEnabled();
}

void TFrmMain::RegisterDriveHotKeys() {
  orbl::RegisterDriveHotKeys(platform_.hotKeys, platform_.windows, Handle, DriveTable, Texts);
}

void TFrmMain::ScanDrives() {
  const std::uintptr_t mainWindow = Handle.value;
  for (char letter : EnumerateOpticalDrives(platform_.driveEnumerator)) {
    TDriveRecord record = NewDriveRecord(letter);
    record.CloseHotKeyId = platform_.atoms.Add(HotKeyAtomName(letter, "close", mainWindow));
    record.LockHotKeyId = platform_.atoms.Add(HotKeyAtomName(letter, "lock", mainWindow));
    DriveTable.push_back(record);

    const std::string caption = DriveCaption(letter);
    using MenuAction = void (TDriveControl::*)(const std::string&);
    const std::array<std::pair<MenuHandle, MenuAction>, 4> items = {{
        {TrayMenu.Unlock, &TDriveControl::MenuUnlockDrive},
        {TrayMenu.Lock, &TDriveControl::MenuLockDrive},
        {TrayMenu.Close, &TDriveControl::MenuCloseDrive},
        {TrayMenu.Open, &TDriveControl::MenuOpenDrive},
    }};
    for (const auto& item : items) {
      const MenuAction action = item.second;
      platform_.tray.AddMenuItem(item.first, caption,
                                 [this, action, caption] { (DriveControl.*action)(caption); });
    }
    for (auto* list : {&ActionLists.Single, &ActionLists.Double}) {
      list->push_back(Texts.Act_OpenCloseDrive + " " + caption);
      list->push_back(Texts.Act_LockUnlockDrive + " " + caption);
    }
  }
}

void TFrmMain::LoadSettings() {
  if (!orbl::LoadSettings(platform_.settings, DriveTable, Options)) return;
  ReadAutoStart();
  Options.LanguageIndex = FindLanguageIndex(Options, DefaultLanguageFile());
}

void TFrmMain::SaveSettings() {
  orbl::SaveSettings(platform_.settings, DriveTable, Options);
}

std::string TFrmMain::DefaultLanguageFile() const {
  return orbl::DefaultLanguageFile(platform_.files);
}

void TFrmMain::ExitProgram() {
  Contained([&] { SaveSettings(); });
  Contained([&] {
    if (InstanceAtom != 0) platform_.atoms.Delete(InstanceAtom);
  });
  // The global atom table is shared by the whole session and finite: give
  // the per-drive hot key names back.
  Contained([&] {
    for (const TDriveRecord& drive : DriveTable) {
      if (drive.CloseHotKeyId != 0) platform_.atoms.Delete(static_cast<Atom>(drive.CloseHotKeyId));
      if (drive.LockHotKeyId != 0) platform_.atoms.Delete(static_cast<Atom>(drive.LockHotKeyId));
    }
  });
  Contained([&] { platform_.tray.DeleteIcon(); });
  platform_.files.ExitProcess(0);
  std::abort();  // not reached: the process has ended
}

}  // namespace orbl
