// What installer_e2e.sh cannot see from the shell, from inside its Wine session:
//
//   orbl_install_probe running PROGRAM   Orbelle runs from PROGRAM with its tray icon;
//                                        prints its process id
//   orbl_install_probe start PROGRAM     starts PROGRAM, then as `running`; leaves it running
//   orbl_install_probe none              no orbl3.exe process is left
//   orbl_install_probe uninstalled ROOT  waits until ROOT (HKCU or HKLM) holds no uninstall
//                                        entry: the uninstaller removes it last
//
// Exit code 0 when the check holds; every wait is bounded.
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
  Check(WaitFor([] { return TrayIconCount() == 1; }, kStartTimeout), "no tray icon");
  std::printf("%lu\n", static_cast<unsigned long>(pid));
}

void Start(const std::string& program) {
  std::string commandLine = "\"" + program + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  Check(CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       nullptr, &startup, &info) != FALSE,
        "could not start " + program);
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
    } else {
      std::printf("usage: orbl_install_probe running|start PROGRAM | none | uninstalled ROOT\n");
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
