#include "app/FrmMain.h"

#include <array>
#include <cstdlib>
#include <exception>
#include <utility>

#include "drives/DriveCommands.h"
#include "drives/DriveTools.h"
#include "language/Language.h"
#include "settings/Launches.h"
#include "settings/RegistrySettings.h"
#include "ui/VirtualKeys.h"

namespace orbl {

using namespace orbl::platform;

namespace {

constexpr const char* kTrayTip = "Orbelle - click with right mouse button to see menu";
// A refused icon is tried again this often, for three minutes.
constexpr std::uint32_t kTrayRetryMs = 3000;
constexpr int kTrayRetries = 60;

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
    : platform_(platform), AppWindow(appWindow), InstanceAtom(instanceAtom) {
  // The start-up order, each step needing only the ones before it. The icon
  // comes first, right after the application window it belongs to: building
  // the hidden windows is most of start-up, and the user sees the program at
  // once. Its clicks do nothing until the last step.
  ShowTrayIcon();
  Handle = CreateOptionsWindow();
  AutoCloseTimer.emplace(platform.windows, Handle, 15000,
                         [this] { DriveControl->AutoCloseTimerTick(); });
  PeriodicCloseTimer.emplace(platform.windows, Handle, 1000,
                             [this] { DriveControl->PeriodicCloseTimerTick(); });
  DriveControl.emplace(platform, State, DriveTable, Texts, *AutoCloseTimer,
                       [this] { ShowOptions(); });
  // The dialogs, built hidden before start-up runs a message loop: a removal
  // or a tray click may arrive in any box of start-up.
  FrmHotKey.emplace(platform.windows, Texts);
  FrmAbout.emplace(platform.windows, platform.shell);
  FrmCloseDrive.emplace(platform.windows, State, DriveTable, Texts, *DriveControl);
  OptionsWindow.emplace(platform, Handle, State, DriveTable, Options, Texts, OptionsEvents());
  CreateTrayMenu();
  built_ = true;  // NOLINT(cppcoreguidelines-prefer-member-initializer): last of all
}

WindowHandle TFrmMain::CreateOptionsWindow() {
  WindowParams params;
  params.title = "Orbelle 3";
  params.clientWidth = 552;
  params.clientHeight = 596;
  params.icon = "TRAY";
  params.centered = true;
  WindowEvents events;
  events.onMessage = [this](const Message& message) { return HandleSystemMessage(message); };
  events.onDoubleClick = [this] { OnOptionsDoubleClick(); };
  // Closing the options window only hides it; the program keeps running.
  events.onCloseRequest = [this] { CancelOptions(); };
  events.onVisibleChanged = [this](bool visible) {
    if (!visible) ApplyTimersAndAutostart();
  };
  events.onDestroy = [this] { ExitProgram(); };
  return platform_.windows.CreateTopWindow(params, std::move(events));
}

TOptionsEvents TFrmMain::OptionsEvents() {
  TOptionsEvents events;
  events.onOk = [this] { OnOptionsOk(); };
  events.onCancel = [this] { CancelOptions(); };
  events.onHelp = [this] { OpenHelp(); };
  events.onMakerSite = [this] { OpenMakerSite(); };
  events.onMailTranslator = [this](const std::string& address) { MailTranslator(address); };
  events.editHotKey = [this](THotKeyDef& hotKey) { FrmHotKey->EditHotKey(hotKey); };
  return events;
}

void TFrmMain::CreateTrayMenu() {
  Tray& tray = platform_.tray;
  TrayMenu.Menu = tray.CreatePopupMenu();
  TrayMenu.Unlock = tray.AddSubMenu(TrayMenu.Menu, Texts.MnuUnlock, "FRMMAIN_N16_BMP_BITMAP");
  TrayMenu.Lock = tray.AddSubMenu(TrayMenu.Menu, Texts.MenuLock, "FRMMAIN_N17_BMP_BITMAP");
  tray.AddSeparator(TrayMenu.Menu);
  TrayMenu.Close = tray.AddSubMenu(TrayMenu.Menu, Texts.MnuClose, "FRMMAIN_N19_BMP_BITMAP");
  TrayMenu.Open = tray.AddSubMenu(TrayMenu.Menu, Texts.MnuOpen, "FRMMAIN_N20_BMP_BITMAP");
  tray.AddSeparator(TrayMenu.Menu);
  TrayMenu.Options = tray.AddMenuItem(
      TrayMenu.Menu, Texts.MnuOptions, [this] { ShowOptions(); }, "FRMMAIN_N22_BMP_BITMAP");
  tray.AddSeparator(TrayMenu.Menu);
  TrayMenu.Help = tray.AddMenuItem(
      TrayMenu.Menu, Texts.MnuHelp, [this] { OpenHelp(); }, "FRMMAIN_N24_BMP_BITMAP");
  tray.AddSeparator(TrayMenu.Menu);
  TrayMenu.About =
      tray.AddMenuItem(TrayMenu.Menu, Texts.MnuAbout, [this] { FrmAbout->ShowModal(); });
  tray.AddSeparator(TrayMenu.Menu);
  TrayMenu.Exit = tray.AddMenuItem(TrayMenu.Menu, Texts.MnuExit, [this] { ExitProgram(); });
}

// Goes up before any setting is read and before the other windows are built,
// so the user sees at once that the program started. Returns whether the
// shell took the icon.
bool TFrmMain::ShowTrayIcon() {
  TrayEvents events;
  events.onRightButtonUp = [this] {
    if (built_) OnTrayRightButtonUp();
  };
  events.onDoubleClick = [this] {
    if (built_ && !TrayBlocked()) {
      DriveControl->RunDriveAction(Options.DoubleLetter, Options.DoubleAction);
    }
  };
  // After the shell restarted, the icon has to be added anew; that needs
  // nothing but the application window, so it is done at any time.
  events.onTaskbarCreated = [this] {
    platform_.tray.DeleteIcon();
    ShowTrayIcon();
  };
  // A failure is not reported: without the shell there is no icon, but hot
  // keys and system events still work, and the icon is tried again.
  const bool shown = platform_.tray.AddIcon(AppWindow, "TRAY", kTrayTip, std::move(events));
  if (shown) {
    StopTrayRetry();
  } else if (!trayRetry_) {
    StartTrayRetry();
  }
  return shown;
}

void TFrmMain::StartTrayRetry() {
  trayRetriesLeft_ = kTrayRetries;
  trayRetry_ = platform_.windows.StartTimer(AppWindow, kTrayRetryMs, [this] {
    if (ShowTrayIcon()) return;
    if (--trayRetriesLeft_ <= 0) StopTrayRetry();
  });
}

void TFrmMain::StopTrayRetry() {
  if (!trayRetry_) return;
  platform_.windows.StopTimer(trayRetry_);
  trayRetry_ = {};
}

// While one of the program's own windows is up, the icon offers nothing: a
// second way into the options or a drive action would run inside its loop.
bool TFrmMain::TrayBlocked() const {
  return platform_.windows.IsWindowVisible(Handle) || FrmAbout->Visible() ||
         FrmCloseDrive->Visible();
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
  DriveControl->TakeOverHeldLocks();
  DriveControl->LockDrivesOnStart();
  AppendAllDriveActions();
  platform_.commands.Listen(AppWindow,
                            [this](const std::string& request) { return OnCommand(request); });
  RunOptionsShowStep();
  ShowOptionsIfAsked();
  HideAppWindow();
  ApplyLanguage();
  ReadAutoStart();
  RegisterDriveHotKeys();
  DriveControl->ProbeDoorDevices();
}

void TFrmMain::ResetProgramState() {
  State.CloseDialogDrive = -1;
  State.ShowLockMessages = true;
  State.TrackUserLocks = true;
  State.MenuForegroundWindow = Handle;
}

// The options window's hide step, reading its drive page as it stands: the
// page of the drive last shown, or the built values before any was.
void TFrmMain::ApplyTimersAndAutostart() {
  // A pending close keeps its schedule: OK must not cancel a door the user
  // expects to be shut.
  if (!AutoCloseTimer->Enabled() && OptionsWindow->AutoCloseTicked()) {
    if (auto limit = OptionsWindow->DiskLimitValue())
      AutoCloseTimer->SetInterval(IntervalMs(*limit));
  }
  const bool periodic = OptionsWindow->TryToCloseTicked();
  if (periodic) {
    if (auto interval = OptionsWindow->IntervalValue()) {
      PeriodicCloseTimer->SetInterval(IntervalMs(*interval));
    }
  }
  PeriodicCloseTimer->SetEnabled(periodic);
  // The Run value is the save's to write or remove, together with a leftover
  // value of older releases: a second value would start the program twice.
}

void TFrmMain::StartActionLists() {
  ActionLists.Single = {Texts.Act_None};
  ActionLists.Double = {Texts.Act_None};
  OptionsWindow->FillActionLists(ActionLists.Single, ActionLists.Double);
}

void TFrmMain::BuildDriveBar() {
  OptionsWindow->BuildDriveBar();
}

void TFrmMain::AppendAllDriveActions() {
  for (auto* list : {&ActionLists.Single, &ActionLists.Double}) {
    list->push_back(Texts.Act_OpenCloseAllDrives);
    list->push_back(Texts.Act_LockUnlockAllDrives);
  }
  ActionLists.Double.push_back(Texts.Act_ShowOptions);
  OptionsWindow->FillActionLists(ActionLists.Single, ActionLists.Double);
}

// The drive table is never rebuilt, so neither are the drives of the lists:
// a drive that vanished since start-up keeps its entries.
void TFrmMain::RebuildActionLists() {
  StartActionLists();
  for (const TDriveRecord& drive : DriveTable) {
    const std::string caption = DriveCaption(drive.Letter);
    for (auto* list : {&ActionLists.Single, &ActionLists.Double}) {
      list->push_back(Texts.Act_OpenCloseDrive + " " + caption);
      list->push_back(Texts.Act_LockUnlockDrive + " " + caption);
    }
  }
  AppendAllDriveActions();
}

// The show step: the window starts from the stored options, on the common page.
void TFrmMain::RunOptionsShowStep() {
  LoadSettings();
  OptionsWindow->EnumerateLanguages();
  OptionsWindow->SelectCommonPageForShowing();
  ApplyLanguage();
  OptionsWindow->PrepareCommonPage();
}

void TFrmMain::ShowOptions() {
  RunOptionsShowStep();
  OptionsWindow->NoteShownAutoStart();
  platform_.windows.ShowModal(Handle);
}

void TFrmMain::OnOptionsOk() {
  if (OptionsWindow->DrivePageVisible()) OptionsWindow->StorePage();
  OptionsWindow->TakeLanguageChoice();
  platform_.windows.ShowWindow(Handle, false);  // the hide step runs
  ApplyLanguage();
  if (!DriveTable.empty())
    PeriodicCloseTimer->SetInterval(IntervalMs(DriveTable.front().DiskLimit));
  SaveSettings();
  OptionsWindow->RememberCommon();
  // A changed hot key works from now on, not from the next start, and the
  // combination it replaces no longer reaches the drive.
  RegisterDriveHotKeys();
}

// Cancel, the close box and a close request: hidden, with the box as shown.
// Pages already stored by a switch stay in their records until the next show.
void TFrmMain::CancelOptions() {
  if (!platform_.windows.IsWindowVisible(Handle)) return;
  OptionsWindow->RestoreShownAutoStart();
  platform_.windows.ShowWindow(Handle, false);
}

void TFrmMain::OpenHelp() {
  orbl::OpenHelp(platform_.shell, platform_.files, Handle, Texts.HelpFile);
}

void TFrmMain::OpenMakerSite() {
  orbl::OpenMakerSite(platform_.shell, Handle);
}

void TFrmMain::MailTranslator(const std::string& address) {
  orbl::MailTranslator(platform_.shell, Handle, address);
}

void TFrmMain::ApplyLanguage() {
  if (Options.Language.empty()) Options.Language = DefaultLanguageFile();
  const TIniFile file = TIniFile::Load(platform_.files, Options.Language);
  ReadInterfaceTexts(file, Texts);
  OptionsWindow->ApplyLanguage(file);
  ApplyMenuLanguage();
  ApplyDialogLanguage(file);
  RebuildActionLists();
  OptionsWindow->SelectDoubleClickEntry();
}

// The captions come with the interface texts; the drives' sub-items keep theirs.
void TFrmMain::ApplyMenuLanguage() {
  Tray& tray = platform_.tray;
  for (const auto& [handle, text] : {std::pair{TrayMenu.Exit, &Texts.MnuExit},
                                     {TrayMenu.About, &Texts.MnuAbout},
                                     {TrayMenu.Help, &Texts.MnuHelp},
                                     {TrayMenu.Options, &Texts.MnuOptions}}) {
    tray.SetMenuItemText(TrayMenu.Menu, handle, *text);
  }
  for (const auto& [handle, text] : {std::pair{TrayMenu.Open, &Texts.MnuOpen},
                                     {TrayMenu.Close, &Texts.MnuClose},
                                     {TrayMenu.Lock, &Texts.MenuLock},
                                     {TrayMenu.Unlock, &Texts.MnuUnlock}}) {
    tray.SetSubMenuText(TrayMenu.Menu, handle, *text);
  }
}

// Steps 8 to 10 of the language step: the About window, the hot key dialog,
// then the close-now dialog with its drive text.
void TFrmMain::ApplyDialogLanguage(const TIniFile& file) {
  FrmAbout->ApplyLanguage(file);
  FrmHotKey->ApplyLanguage(file);
  ReadCloseNowTexts(file, Texts);
  FrmCloseDrive->ApplyLanguage(file);
}

void TFrmMain::ShowOptionsIfAsked() {
  // Only the exact first argument "options" counts.
  const std::vector<std::string> arguments = platform_.files.Arguments();
  if (!arguments.empty() && arguments.front() == "options") ShowOptions();
}

CommandReply TFrmMain::OnCommand(const std::string& request) {
  const TParsedCommand parsed = ParseRequest(request);
  if (!parsed.Ok) return CommandReply{kExitUsage, {}, parsed.Error + "\n"};
  if (parsed.Command.Verb != TCommandVerb::Options) {
    return RunDriveCommand(*DriveControl, DriveTable, parsed.Command, true);
  }
  WindowSystem& windows = platform_.windows;
  if (windows.IsWindowVisible(Handle)) {
    windows.SetForegroundWindow(Handle);
    return {};
  }
  // Another of our windows is up: the options would open inside its loop.
  if (TrayBlocked()) {
    return CommandReply{
        kExitNoAnswer, {}, "orbl3: Orbelle shows another window; close it and try again\n"};
  }
  // Shown after the answer: the caller does not wait for the user to close it.
  windows.Post(Handle, kShowOptionsLater, 0, 0);
  return {};
}

void TFrmMain::HideAppWindow() {
  platform_.windows.ShowWindow(AppWindow, false);
}

void TFrmMain::ReadAutoStart() {
  Options.AutoStart = platform_.autostart.IsEnabled();
}

void TFrmMain::RegisterDriveHotKeys() {
  orbl::RegisterDriveHotKeys(platform_.hotKeys, platform_.windows, Handle, DriveTable, Texts,
                             registeredHotKeys_);
}

void TFrmMain::ScanDrives() {
  const std::uintptr_t mainWindow = Handle.value;
  for (char letter : EnumerateOpticalDrives(platform_.driveEnumerator)) {
    OptionsWindow->AddDriveButton(UpperLetter(letter));
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
                                 [this, action, caption] { ((*DriveControl).*action)(caption); });
    }
    for (auto* list : {&ActionLists.Single, &ActionLists.Double}) {
      list->push_back(Texts.Act_OpenCloseDrive + " " + caption);
      list->push_back(Texts.Act_LockUnlockDrive + " " + caption);
    }
  }
  OptionsWindow->FillActionLists(ActionLists.Single, ActionLists.Double);
}

void TFrmMain::LoadSettings() {
  if (!orbl::LoadSettings(platform_.settings, DriveTable, Options)) return;
  ReadAutoStart();
  Options.LanguageIndex = FindLanguageIndex(Options, DefaultLanguageFile());
  // The common page is restored by the show step, which follows every load
  // before the window can be seen.
}

// The box, not AutoStart, decides: on a first start the box is ticked while
// nothing says autostart is on, and the first save turns it on.
void TFrmMain::SaveSettings() {
  orbl::SaveSettings(platform_.settings, DriveTable, Options);
  if (OptionsWindow->StartAutomatically()) {
    platform_.autostart.Enable();
  } else {
    platform_.autostart.Disable();
  }
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
