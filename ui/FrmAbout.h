// frmAbout, "About Orbelle": the program's picture, name and version, and
// the maker's web address, which opens the site when clicked. Shown modally
// from the tray menu; built hidden with the main window and reused.
#pragma once

#include "language/IniFile.h"
#include "platform/Shell.h"
#include "platform/WindowSystem.h"

namespace orbl {

class TFrmAbout {
  // First of all members: the window is built before its controls.
  platform::WindowSystem& windows_;

 public:
  TFrmAbout(platform::WindowSystem& windows, platform::Shell& shell);
  ~TFrmAbout() = default;
  TFrmAbout(const TFrmAbout&) = delete;
  TFrmAbout& operator=(const TFrmAbout&) = delete;

  // Shows the window and returns once OK or the close box hid it.
  void ShowModal();
  bool Visible() const { return windows_.IsWindowVisible(Handle); }

  // The language step: the OK button (built-in "OK" when the file lacks it)
  // and the title (kept as it is when the file lacks it).
  void ApplyLanguage(const TIniFile& file);

  const platform::WindowHandle Handle;
  const platform::ControlHandle Picture;
  const platform::ControlHandle ProductLabel;
  const platform::ControlHandle VersionLabel;
  const platform::ControlHandle SiteLink;
  const platform::ControlHandle OkButton;

 private:
  platform::WindowHandle BuildWindow();
  platform::ControlHandle AddControl(const platform::ControlParams& params,
                                     platform::ControlEvents events = {});
  void Hide();

  platform::Shell& shell_;
};

}  // namespace orbl
