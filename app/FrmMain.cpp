#include "app/FrmMain.h"

#include <cstdlib>
#include <exception>

#include "drives/DriveTools.h"
#include "settings/Autostart.h"
#include "settings/RegistrySettings.h"

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
    : P(platform),
      AppWindow(appWindow),
      InstanceAtom(instanceAtom),
      Handle(CreateOptionsWindow()),
      AutoCloseTimer(platform.windows, Handle, 15000, nullptr),
      PeriodicCloseTimer(platform.windows, Handle, 1000, nullptr) {
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
  // Closing the options window only hides it; the program keeps running.
  events.onCloseRequest = [this] { P.windows.ShowWindow(Handle, false); };
  events.onDestroy = [this] { ExitProgram(); };
  return P.windows.CreateTopWindow(params, std::move(events));
}

void TFrmMain::CreateTrayMenu() {
  Tray& tray = P.tray;
  TrayMenu.Menu = tray.CreatePopupMenu();
  TrayMenu.Unlock = tray.AddSubMenu(TrayMenu.Menu, "Unlock Device");
  TrayMenu.Lock = tray.AddSubMenu(TrayMenu.Menu, "Lock Device");
  tray.AddSeparator(TrayMenu.Menu);
  TrayMenu.Close = tray.AddSubMenu(TrayMenu.Menu, "Close Door");
  TrayMenu.Open = tray.AddSubMenu(TrayMenu.Menu, "Open Door");
  tray.AddSeparator(TrayMenu.Menu);
  TrayMenu.Options = tray.AddMenuItem(TrayMenu.Menu, "Options...", nullptr);
  tray.AddSeparator(TrayMenu.Menu);
  TrayMenu.Help = tray.AddMenuItem(TrayMenu.Menu, "Help!", nullptr);
  tray.AddSeparator(TrayMenu.Menu);
  TrayMenu.About = tray.AddMenuItem(TrayMenu.Menu, "About Orbelle", nullptr);
  tray.AddSeparator(TrayMenu.Menu);
  TrayMenu.Exit = tray.AddMenuItem(TrayMenu.Menu, "Exit", [this] { ExitProgram(); });
}

void TFrmMain::ShowTrayIcon() {
  TrayEvents events;
  events.onRightButtonUp = [this] {
    // Never a menu on top of the options window.
    if (P.windows.IsWindowVisible(Handle)) return;
    const Point at = P.tray.CursorPos();
    if (P.windows.IsWindowEnabled(MenuForegroundWindow)) {
      P.windows.SetForegroundWindow(MenuForegroundWindow);
    }
    P.windows.ProcessMessages();
    P.tray.TrackPopupMenu(TrayMenu.Menu, at, Handle);
    if (P.windows.IsWindowEnabled(MenuForegroundWindow)) {
      P.windows.SetForegroundWindow(MenuForegroundWindow);
    }
    MenuForegroundWindow = AppWindow;
  };
  // After the shell restarted, the icon has to be added anew.
  events.onTaskbarCreated = [this] {
    P.tray.DeleteIcon();
    ShowTrayIcon();
  };
  // A failure is not reported: without the shell there is no icon, but hot
  // keys and system events still work.
  P.tray.AddIcon(AppWindow, "TRAY", kTrayTip, std::move(events));
}

void TFrmMain::StartUp() {
  // 1.-2.
  CloseDialogDrive = -1;
  ShowLockMessages = true;
  TrackUserLocks = true;
  MenuForegroundWindow = Handle;
  // 3. The drive table is still empty: only the program-wide values load.
  LoadSettings();
  // 4.-5. Language texts and the options window's hide step: the built-in
  //       texts and the timers as created stand for now.
  // 6.
  ActionLists.Single = {Texts.Act_None};
  ActionLists.Double = {Texts.Act_None};
  // 7.-8.
  ScanDrives();
  // 9. Now the per-drive values reach the drive records.
  LoadSettings();
  // 10. Locking drives marked for it comes with the lock operations.
  // 11.
  for (auto* list : {&ActionLists.Single, &ActionLists.Double}) {
    list->push_back(Texts.Act_OpenCloseAllDrives);
    list->push_back(Texts.Act_LockUnlockAllDrives);
  }
  ActionLists.Double.push_back(Texts.Act_ShowOptions);
  // 12. The options window's show step, without showing it; it starts from
  //     the stored state.
  LoadSettings();
  // 13. Only the exact first argument "options" opens the window here.
  const std::vector<std::string> arguments = P.files.Arguments();
  if (!arguments.empty() && arguments.front() == "options") P.windows.ShowModal(Handle);
  // 14.
  P.windows.ShowWindow(AppWindow, false);
  // 15. (language texts, as at step 4)
  // 16.
  Options.AutoStart = ReadAutoStart(P.settings, P.files.ModulePath());
  // 17.-18. Hot key registration and the door device probe come with the
  //         hot keys and the door operations.
}

void TFrmMain::ScanDrives() {
  const auto mainWindow = static_cast<std::uintptr_t>(Handle);
  for (char letter : EnumerateOpticalDrives(P.driveEnumerator)) {
    TDriveRecord record = NewDriveRecord(letter);
    record.CloseHotKeyId = P.atoms.Add(HotKeyAtomName(letter, "close", mainWindow));
    record.LockHotKeyId = P.atoms.Add(HotKeyAtomName(letter, "lock", mainWindow));
    DriveTable.push_back(record);

    const std::string caption = DriveCaption(letter);
    for (MenuHandle sub : {TrayMenu.Unlock, TrayMenu.Lock, TrayMenu.Close, TrayMenu.Open}) {
      P.tray.AddMenuItem(sub, caption, nullptr);
    }
    for (auto* list : {&ActionLists.Single, &ActionLists.Double}) {
      list->push_back(Texts.Act_OpenCloseDrive + " " + caption);
      list->push_back(Texts.Act_LockUnlockDrive + " " + caption);
    }
  }
}

void TFrmMain::LoadSettings() {
  if (!orbl::LoadSettings(P.settings, DriveTable, Options)) return;
  Options.AutoStart = ReadAutoStart(P.settings, P.files.ModulePath());
  Options.LanguageIndex = FindLanguageIndex(Options, DefaultLanguageFile());
}

void TFrmMain::SaveSettings() {
  orbl::SaveSettings(P.settings, DriveTable, Options);
}

bool TFrmMain::HandleSystemMessage(const Message&) {
  return false;
}

std::string TFrmMain::ProgramFolder() const {
  const std::string path = P.files.ModulePath();
  const auto slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string TFrmMain::DefaultLanguageFile() const {
  return ProgramFolder() + "Language\\English.ini";
}

void TFrmMain::ExitProgram() {
  Contained([&] { SaveSettings(); });
  Contained([&] {
    if (InstanceAtom != 0) P.atoms.Delete(InstanceAtom);
  });
  // The global atom table is shared by the whole session and finite: give
  // the per-drive hot key names back.
  Contained([&] {
    for (const TDriveRecord& drive : DriveTable) {
      if (drive.CloseHotKeyId != 0) P.atoms.Delete(static_cast<Atom>(drive.CloseHotKeyId));
      if (drive.LockHotKeyId != 0) P.atoms.Delete(static_cast<Atom>(drive.LockHotKeyId));
    }
  });
  Contained([&] { P.tray.DeleteIcon(); });
  P.files.ExitProcess(0);
  std::abort();  // not reached: the process has ended
}

}  // namespace orbl
