// Works orbl3.exe's windows from inside the Wine session for
// scripts/screenshots.sh, one step per run, and takes their pictures:
//
//   orbl_shot.exe running                    wait until the program idles with its windows made
//   orbl_shot.exe option LETTER NAME VALUE   store a drive option ("D", " LockOnStart", "1")
//   orbl_shot.exe click TITLE TEXT           click the button, check box or drive bar button
//                                            captioned TEXT in the window titled TITLE
//   orbl_shot.exe close TITLE                ask the window titled TITLE to close (its close box)
//   orbl_shot.exe tray-menu                  open the tray icon's menu with the right button
//   orbl_shot.exe close-menu                 close the open pop-up menu
//   orbl_shot.exe menu-keys KEY...           press keys in the open pop-up menu (up, down,
//                                            left, right, return), as the keyboard would
//   orbl_shot.exe removal LETTER             broadcast the removal of that drive's medium
//   orbl_shot.exe capture TITLE FILE         write the window titled TITLE ("#menu": the open
//                                            pop-up menu) as the screen shows it, a 24-bit BMP
//   orbl_shot.exe quit                       ask the program to end and wait until it has
//
// Exit code 0 when the step was done; every wait is bounded.
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "e2e_windows.h"

namespace orbl::e2e {
namespace {

constexpr char kMenuTitle[] = "#menu";

// The pixels of the window as the screen shows it, non-client area included,
// once two looks a moment apart agree (the program may still be painting).
inline std::vector<std::uint32_t> ScreenPixels(HWND hwnd, int& width, int& height) {
  std::vector<std::uint32_t> last;
  std::vector<std::uint32_t> pixels;
  const ULONGLONG end = GetTickCount64() + 5000;
  do {
    last = pixels;
    RECT rect{};
    GetWindowRect(hwnd, &rect);
    width = rect.right - rect.left;
    height = rect.bottom - rect.top;
    Check(width > 0 && height > 0, "the window has no size");
    Canvas screen(width, height);
    HDC desktop = GetDC(nullptr);
    BitBlt(screen.Dc(), 0, 0, width, height, desktop, rect.left, rect.top, SRCCOPY);
    ReleaseDC(nullptr, desktop);
    pixels = screen.Pixels();
    if (pixels != last) Sleep(150);
  } while (pixels != last && GetTickCount64() < end);
  return pixels;
}

// Writes the window as the screen shows it to `path`, a 24-bit BMP file.
inline void CaptureWindow(HWND hwnd, const std::string& path) {
  int width = 0;
  int height = 0;
  const std::vector<std::uint32_t> pixels = ScreenPixels(hwnd, width, height);
  const int stride = (width * 3 + 3) & ~3;
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;  // bottom-up, as BMP files usually are
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biSizeImage = static_cast<DWORD>(stride * height);
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + info.biSizeImage;
  std::vector<unsigned char> rows(info.biSizeImage, 0);
  for (int y = 0; y < height; ++y) {
    unsigned char* row = rows.data() + static_cast<std::size_t>((height - 1 - y) * stride);
    for (int x = 0; x < width; ++x) {
      const std::uint32_t p = pixels[static_cast<std::size_t>(y * width + x)];
      row[x * 3] = static_cast<unsigned char>(p);
      row[x * 3 + 1] = static_cast<unsigned char>(p >> 8);
      row[x * 3 + 2] = static_cast<unsigned char>(p >> 16);
    }
  }
  FILE* out = std::fopen(path.c_str(), "wb");
  Check(out != nullptr, "cannot write " + path);
  std::fwrite(&file, sizeof file, 1, out);
  std::fwrite(&info, sizeof info, 1, out);
  std::fwrite(rows.data(), 1, rows.size(), out);
  Check(std::fclose(out) == 0, "cannot write " + path);
}

// The running program's process, found through its application window.
DWORD ProgramPid() {
  HWND app = nullptr;
  Check(WaitFor([&] { return (app = TopWindow(0, "", kAppTitle)) != nullptr; }, kStartTimeout),
        "orbl3.exe is not running");
  DWORD pid = 0;
  GetWindowThreadProcessId(app, &pid);
  return pid;
}

HWND Window(DWORD pid, const std::string& title) {
  return title == kMenuTitle ? WaitForMenu(pid, "no pop-up menu is open")
                             : WaitForWindow(pid, title);
}

void Click(const std::string& title, const std::string& text) {
  HWND window = WaitForWindow(ProgramPid(), title);
  // The caption may be set a moment after the window shows.
  HWND control = nullptr;
  WaitFor([&] { return (control = FindControl(window, "Button", text)) != nullptr; }, 3000);
  if (control != nullptr) {
    ClickButton(control);
    return;
  }
  for (HWND bar = FindControl(window, TOOLBARCLASSNAMEA, ""); bar != nullptr;
       bar = FindWindowExA(GetParent(bar), bar, TOOLBARCLASSNAMEA, nullptr)) {
    if (ClickBarButton(bar, text)) return;
  }
  Check(false, "nothing captioned \"" + text + "\" in \"" + title + "\"");
}

void Removal(char letter) {
  HWND options = TopWindow(ProgramPid(), "", kOptionsTitle);
  Check(options != nullptr, "no options window");
  const Broadcast removal{sizeof(Broadcast), 2 /*DBT_DEVTYP_VOLUME*/, 0, 1u << (letter - 'A'), 0};
  // The handler shows a modal window and answers only once it is gone; the
  // broadcast is delivered all the same.
  DWORD_PTR answer = 0;
  SendWithin(options, WM_DEVICECHANGE, 0x8004 /*DBT_DEVICEREMOVECOMPLETE*/,
             reinterpret_cast<LPARAM>(&removal), 1000, answer);
}

void Quit() {
  HWND app = TopWindow(0, "", kAppTitle);
  if (app == nullptr) return;
  DWORD pid = 0;
  GetWindowThreadProcessId(app, &pid);
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
  PostMessageA(app, WM_CLOSE, 0, 0);
  if (process != nullptr) {
    const DWORD waited = WaitForSingleObject(process, kExitTimeout);
    CloseHandle(process);
    Check(waited == WAIT_OBJECT_0, "the program did not end");
  }
}

int Run(const std::vector<std::string>& args) {
  const std::string step = args.empty() ? "" : args[0];
  const auto need = [&](std::size_t count) {
    Check(args.size() == count + 1,
          "step \"" + step + "\" takes " + std::to_string(count) + " argument(s)");
  };
  if (step == "running") {
    need(0);
    ProgramPid();
  } else if (step == "option") {
    need(3);
    Check(args[1].size() == 1, "a drive letter, such as D");
    Store(kSettingsKey, args[1] + args[2], args[3]);
  } else if (step == "click") {
    need(2);
    Click(args[1], args[2]);
  } else if (step == "close") {
    need(1);
    HWND window = WaitForWindow(ProgramPid(), args[1]);
    PostMessageA(window, WM_CLOSE, 0, 0);
    Check(WaitFor([&] { return !IsWindowVisible(window); }, kExitTimeout),
          "\"" + args[1] + "\" stays up after its close box");
  } else if (step == "tray-menu") {
    need(0);
    OpenTrayMenu(ProgramPid());
  } else if (step == "close-menu") {
    need(0);
    PostMessageA(WaitForMenu(ProgramPid(), "no pop-up menu is open"), WM_KEYDOWN, VK_ESCAPE, 0);
  } else if (step == "menu-keys") {
    Check(args.size() > 1, "step \"menu-keys\" takes one key or more");
    const std::map<std::string, WPARAM> keys = {{"up", VK_UP},
                                                {"down", VK_DOWN},
                                                {"left", VK_LEFT},
                                                {"right", VK_RIGHT},
                                                {"return", VK_RETURN}};
    std::vector<WPARAM> pressed;
    for (std::size_t i = 1; i < args.size(); ++i) {
      const auto key = keys.find(args[i]);
      Check(key != keys.end(), "no key \"" + args[i] + "\": up, down, left, right or return");
      pressed.push_back(key->second);
    }
    HWND menu = WaitForMenu(ProgramPid(), "no pop-up menu is open");
    for (WPARAM key : pressed) PostMessageA(menu, WM_KEYDOWN, key, 0);
  } else if (step == "removal") {
    need(1);
    Check(args[1].size() == 1 && args[1][0] >= 'A' && args[1][0] <= 'Z',
          "a drive letter, such as D");
    Removal(args[1][0]);
  } else if (step == "capture") {
    need(2);
    CaptureWindow(Window(ProgramPid(), args[1]), args[2]);
  } else if (step == "quit") {
    need(0);
    Quit();
  } else {
    std::printf(
        "usage: orbl_shot STEP ARGS...\nsteps: running, option LETTER NAME VALUE, click TITLE "
        "TEXT, close TITLE, tray-menu, close-menu, menu-keys KEY..., removal LETTER, capture TITLE "
        "FILE, quit\n");
    return 2;
  }
  return 0;
}

}  // namespace
}  // namespace orbl::e2e

int main(int argc, char** argv) {
  try {
    return orbl::e2e::Run(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const orbl::e2e::Failure& failure) {
    std::printf("orbl_shot: %s\n", failure.what());
    return 1;
  }
}
