// The harness's helpers (e2e_windows.h) against the backend's own controls,
// worked from another thread as the harness works the program's from another
// process: what the options window's cases will rely on.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "e2e_windows.h"
#include "platform/win32/Win32WindowSystem.h"

namespace orbl::win32 {
namespace {

using platform::ControlKind;
using Strings = std::vector<std::string>;

TEST(HarnessHelpersTest, WorkTheControlsAsTheUserWould) {
  HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HWND shown = nullptr;
  Strings seen;  // written on the window's thread only, read after it ended
  bool tickedWhenClicked = false;

  std::thread gui([&] {
    Win32WindowSystem windows(GetModuleHandleA(nullptr));
    platform::WindowHandle window;
    platform::WindowEvents events;
    events.onCloseRequest = [&] { windows.ShowWindow(window, false); };
    platform::WindowSpec windowParams;
    windowParams.title = "Orbelle 3";
    windowParams.clientWidth = 400;
    windowParams.clientHeight = 200;
    window = windows.CreateTopWindow(windowParams, events);

    auto make = [&](ControlKind kind, platform::Rect rect, const std::string& text,
                    platform::ControlEvents handlers) {
      platform::ControlSpec params;
      params.kind = kind;
      params.rect = rect;
      params.text = text;
      params.image = kind == ControlKind::ButtonBar ? "FRMMAIN_IMAGELIST2" : "";
      params.minimum = 10;
      params.maximum = 600;
      return windows.CreateControl(window, params, std::move(handlers));
    };
    platform::ControlEvents bar;
    bar.onSelect = [&](int index) { seen.push_back("bar " + std::to_string(index)); };
    const auto drives = make(ControlKind::ButtonBar, {0, 0, 400, 46}, "", bar);
    // Laid out as the options window lays out its drive bar.
    windows.AddBarButton(drives, "Common options", 0);
    windows.AddBarSeparator(drives);
    for (const char* caption : {"D:", "F:"}) windows.AddBarButton(drives, caption, 1);
    platform::ControlEvents list;
    list.onSelect = [&](int index) { seen.push_back("entry " + std::to_string(index)); };
    const auto actions = make(ControlKind::DropDownList, {8, 60, 200, 21}, "", list);
    for (const char* entry : {"None", "Open/Close drive D:", "Show options dialog"}) {
      windows.AddItem(actions, entry);
    }
    platform::ControlEvents languages;
    languages.onSelect = [&](int index) { seen.push_back("language " + std::to_string(index)); };
    const auto files = make(ControlKind::List, {220, 60, 170, 60}, "", languages);
    for (const char* entry : {"English (English)", "German (Deutsch)"}) {
      windows.AddItem(files, entry);
    }
    platform::ControlEvents arrows;
    arrows.onArrow = [&](int value) { seen.push_back("arrow " + std::to_string(value)); };
    const auto interval = make(ControlKind::NumberField, {8, 90, 60, 22}, "", arrows);
    windows.SetArrowPosition(interval, 15);
    platform::ControlHandle ctrl;
    platform::ControlEvents box;
    box.onClick = [&] {
      seen.push_back("Ctrl");
      tickedWhenClicked = windows.IsChecked(ctrl);
    };
    ctrl = make(ControlKind::CheckBox, {8, 120, 100, 20}, "Ctrl", box);
    platform::ControlEvents ok;
    ok.onClick = [&] {
      seen.push_back("OK");
      windows.ShowWindow(window, false);
    };
    make(ControlKind::Button, {300, 160, 80, 25}, "OK", ok);

    shown = ToHwnd(window);
    SetEvent(ready);
    windows.ShowModal(window);
    SetEvent(done);
  });

  ASSERT_EQ(WaitForSingleObject(ready, 10000), WAIT_OBJECT_0);
  try {
    HWND window = e2e::WaitForWindow(GetCurrentProcessId(), "Orbelle 3", 10000);
    EXPECT_EQ(window, shown);
    HWND bar = e2e::NeedControl(window, TOOLBARCLASSNAMEA, "");
    EXPECT_TRUE(e2e::ClickBarButton(bar, "F:"));
    EXPECT_FALSE(e2e::ClickBarButton(bar, "Z:"));
    Strings captions;
    for (const auto& button : e2e::BarButtons(bar)) captions.push_back(button.second);
    EXPECT_EQ(captions, (Strings{"Common options", "D:", "F:"}));
    HWND combo = e2e::NeedControl(window, "ComboBox", "");
    EXPECT_EQ(e2e::Entries(combo), (Strings{"None", "Open/Close drive D:", "Show options dialog"}));
    e2e::ChooseEntry(combo, 2);
    HWND list = e2e::NeedControl(window, "ListBox", "");
    EXPECT_EQ(e2e::Entries(list), (Strings{"English (English)", "German (Deutsch)"}));
    e2e::ChooseEntry(list, e2e::EntryIndex(list, "German (Deutsch)"));
    EXPECT_THROW(e2e::EntryIndex(list, "French (Francais)"), e2e::Failure);
    HWND field = e2e::NeedControl(window, "Edit", "15");
    HWND updown = e2e::ArrowsOf(field);
    ASSERT_NE(updown, nullptr);
    e2e::PressArrow(updown, true);
    e2e::PressArrow(updown, false);
    e2e::PressArrow(updown, false);
    EXPECT_EQ(e2e::ControlText(field), "14");
    EXPECT_EQ(e2e::FindControl(window, "Button", "Alt"), nullptr);
    HWND ctrlBox = e2e::NeedControl(window, "Button", "Ctrl");
    EXPECT_FALSE(e2e::IsTicked(ctrlBox));
    e2e::ClickButton(ctrlBox);
    EXPECT_TRUE(e2e::WaitFor([&] { return e2e::IsTicked(ctrlBox); }, 5000));
    e2e::ClickButton(e2e::NeedControl(window, "Button", "OK"));
  } catch (const e2e::Failure& failure) {
    ADD_FAILURE() << failure.what();
  }
  if (WaitForSingleObject(done, 10000) != WAIT_OBJECT_0) {
    ADD_FAILURE() << "the window was not hidden by its OK button";
    PostMessageA(shown, WM_CLOSE, 0, 0);
  }
  gui.join();
  CloseHandle(ready);
  CloseHandle(done);
  EXPECT_EQ(seen, (Strings{"bar 3", "entry 2", "language 1", "arrow 16", "arrow 15", "arrow 14",
                           "Ctrl", "OK"}));
  EXPECT_TRUE(tickedWhenClicked) << "the box is ticked before its window hears of the click";
}

}  // namespace
}  // namespace orbl::win32
