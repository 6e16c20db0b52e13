// What installer_e2e.sh cannot see from the shell, from inside its Wine session:
//
//   orbl_install_probe running PROGRAM   Orbelle runs from PROGRAM with its tray icon;
//                                        prints its process id
//   orbl_install_probe start PROGRAM     starts PROGRAM, then as `running`; leaves it running
//   orbl_install_probe none              no orbl3.exe process is left
//   orbl_install_probe uninstalled ROOT  waits until ROOT (HKCU or HKLM) holds no uninstall
//                                        entry: the uninstaller removes it last
//   orbl_install_probe setup-pages SETUP FOLDER
//                                        goes through the installer's pages as a user
//                                        would: per user into FOLDER, started at the end
//   orbl_install_probe uninstall-pages UNINSTALLER FOLDER
//                                        goes through the uninstaller's pages, ticking
//                                        the box that removes the settings
//   orbl_install_probe in-use FILE UNINSTALLER FOLDER
//                                        holds FILE open without sharing, as an Orbelle
//                                        in another user's session holds its files,
//                                        while UNINSTALLER /S runs in FOLDER; prints its
//                                        exit code
//
// The pages are read in English: installer_e2e.sh runs Wine in the C locale.
//
// Exit code 0 when the check holds; every wait is bounded.
#include <algorithm>
#include <cstdio>
#include <string>

#include "e2e_windows.h"
// After windows.h.
#include <tlhelp32.h>

namespace orbl::e2e {
namespace {

constexpr char kAppClass[] = "OrbelleWindow";
constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orbelle";
// The uninstaller runs as a copy in the temporary folder and is left to finish on its own.
constexpr DWORD kUninstallTimeout = 60000;

std::string ImageOf(DWORD pid) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (process == nullptr) return {};
  char path[MAX_PATH * 2] = {};
  DWORD length = sizeof path;
  const BOOL ok = QueryFullProcessImageNameA(process, 0, path, &length);
  CloseHandle(process);
  return ok ? std::string(path, length) : std::string();
}

bool SamePath(const std::string& a, const std::string& b) {
  return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

void Running(const std::string& program) {
  HWND app = nullptr;
  Check(
      WaitFor([&] { return (app = FindWindowA(kAppClass, kAppTitle)) != nullptr; }, kStartTimeout),
      "no Orbelle application window");
  DWORD pid = 0;
  GetWindowThreadProcessId(app, &pid);
  const std::string image = ImageOf(pid);
  Check(SamePath(image, program), "Orbelle runs from \"" + image + "\", not \"" + program + "\"");
  Check(Responds(app), "the application window does not answer");
  Check(WaitFor([] { return TrayIcons().size() == 1; }, kStartTimeout), "no tray icon");
  std::printf("%lu\n", static_cast<unsigned long>(pid));
}

void Start(const std::string& program) {
  const PROCESS_INFORMATION info = StartProcess(program);
  const DWORD idle = WaitForInputIdle(info.hProcess, kStartTimeout);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  Check(idle == 0, "program did not become idle");
  Running(program);
}

void None() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  Check(snapshot != INVALID_HANDLE_VALUE, "no process list");
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  std::string found;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    if (lstrcmpiA(entry.szExeFile, "orbl3.exe") == 0) {
      found = std::to_string(entry.th32ProcessID);
      break;
    }
  }
  CloseHandle(snapshot);
  Check(found.empty(), "orbl3.exe still runs as process " + found);
}

void Uninstalled(const std::string& root) {
  Check(root == "HKCU" || root == "HKLM", "ROOT is HKCU or HKLM");
  HKEY base = root == "HKCU" ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
  Check(WaitFor(
            [&] {
              HKEY key = nullptr;
              if (RegOpenKeyExA(base, kUninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
                return true;
              }
              RegCloseKey(key);
              return false;
            },
            kUninstallTimeout),
        "the uninstall entry in " + root + " is still there");
}

// --- the wizards, worked as a user would -------------------------------------

// NSIS's own buttons on every page: 1 goes on (Next, Install, Finish, Close).
constexpr int kNextButton = 1;

// The page's control of class `cls` with text `text`, waited for: it shows
// once the wizard has moved on to that page.
HWND WaitForPageControl(HWND wizard, const std::string& cls, const std::string& text) {
  HWND control = nullptr;
  Check(WaitFor(
            [&] {
              control = FindControl(wizard, cls, text);
              return control != nullptr && IsWindowVisible(control);
            },
            kStartTimeout),
        "no " + cls + " \"" + text + "\" in \"" + TextOf(wizard) + "\"");
  return control;
}

// Clicks the button that goes on once it takes clicks; `caption` (without its
// "&") says which one it must be by now.
void GoOn(HWND wizard, const std::string& caption) {
  HWND button = GetDlgItem(wizard, kNextButton);
  Check(button != nullptr, "no Next button");
  std::string text;
  Check(WaitFor(
            [&] {
              text = ControlText(button);
              text.erase(std::remove(text.begin(), text.end(), '&'), text.end());
              return IsWindowEnabled(button) && text == caption;
            },
            kStartTimeout),
        "the button reads \"" + text + "\", not an enabled \"" + caption + "\"");
  ClickButton(button);
}

// The installer with its pages: per user, the default folder, started at the end.
void SetupPages(const std::string& setup, const std::string& folder) {
  const PROCESS_INFORMATION info = StartProcess(setup);
  CloseHandle(info.hThread);
  HWND wizard = WaitForWindow(info.dwProcessId, "Orbelle Setup", "#32770");
  GoOn(wizard, "Next >");  // the welcome page
  HWND onlyMe =
      WaitForPageControl(wizard, "Button", "Only for me (no administrator rights needed)");
  Check(IsTicked(onlyMe), "\"Only for me\" is not the choice made");
  Check(!IsTicked(NeedControl(wizard, "Button",
                              "For everyone on this computer (needs administrator rights)")),
        "\"For everyone\" is chosen too");
  GoOn(wizard, "Next >");
  WaitForPageControl(wizard, "Edit", folder);
  GoOn(wizard, "Install");
  HWND start = WaitForPageControl(wizard, "Button", "Start Orbelle");
  Check(IsTicked(start), "\"Start Orbelle\" is not ticked");
  GoOn(wizard, "Finish");
  const DWORD ended = WaitForSingleObject(info.hProcess, kExitTimeout);
  DWORD code = 1;
  GetExitCodeProcess(info.hProcess, &code);
  CloseHandle(info.hProcess);
  Check(ended == WAIT_OBJECT_0, "the installer did not end after Finish");
  Check(code == 0, "the installer ended with " + std::to_string(code));
}

// The uninstaller with its pages, the box that removes the settings ticked.
void UninstallPages(const std::string& uninstaller, const std::string& folder) {
  const PROCESS_INFORMATION info = StartProcess(uninstaller);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  // The pages are those of its copy in the temporary folder, another process.
  HWND wizard = WaitForWindow(0, "Orbelle Uninstall", "#32770");
  HWND removeBox = WaitForPageControl(
      wizard, "Button", "Also remove my settings (drive options, hot keys, language)");
  Check(!IsTicked(removeBox), "removing the settings is ticked from the start");
  ClickButton(removeBox);
  Check(WaitFor([&] { return IsTicked(removeBox); }, kStartTimeout), "the box does not tick");
  GoOn(wizard, "Next >");
  WaitForPageControl(wizard, "Edit", folder + "\\");
  GoOn(wizard, "Uninstall");
  GoOn(wizard, "Close");
  Check(WaitFor([&] { return !IsWindow(wizard); }, kExitTimeout),
        "the uninstaller stays after Close");
}

// The uninstall with FILE in use: the uninstaller cannot see or close what
// keeps it open. Run in place (_?=), so that its exit code is its own rather
// than that of a copy in the temporary folder; prints that code.
void InUse(const std::string& file, const std::string& uninstaller, const std::string& folder) {
  HANDLE held = CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  Check(held != INVALID_HANDLE_VALUE, "could not open " + file);
  const PROCESS_INFORMATION info = StartProcess(uninstaller, "/S _?=" + folder);
  CloseHandle(info.hThread);
  const DWORD ended = WaitForSingleObject(info.hProcess, kUninstallTimeout);
  DWORD code = 0;
  GetExitCodeProcess(info.hProcess, &code);
  CloseHandle(info.hProcess);
  CloseHandle(held);
  Check(ended == WAIT_OBJECT_0, "the uninstaller did not end");
  std::printf("%lu\n", static_cast<unsigned long>(code));
}

int Run(int argc, char** argv) {
  const std::string what = argc > 1 ? argv[1] : "";
  try {
    if (what == "running" && argc == 3) {
      Running(argv[2]);
    } else if (what == "start" && argc == 3) {
      Start(argv[2]);
    } else if (what == "none" && argc == 2) {
      None();
    } else if (what == "uninstalled" && argc == 3) {
      Uninstalled(argv[2]);
    } else if (what == "setup-pages" && argc == 4) {
      SetupPages(argv[2], argv[3]);
    } else if (what == "uninstall-pages" && argc == 4) {
      UninstallPages(argv[2], argv[3]);
    } else if (what == "in-use" && argc == 5) {
      InUse(argv[2], argv[3], argv[4]);
    } else {
      std::printf(
          "usage: orbl_install_probe running|start PROGRAM | none | uninstalled ROOT |\n"
          "       setup-pages|uninstall-pages SETUP|UNINSTALLER FOLDER |\n"
          "       in-use FILE UNINSTALLER FOLDER\n");
      return 2;
    }
  } catch (const Failure& failure) {
    std::printf("  FAILED: %s\n", failure.what());
    return 1;
  }
  return 0;
}

}  // namespace
}  // namespace orbl::e2e

int main(int argc, char** argv) {
  return orbl::e2e::Run(argc, argv);
}
