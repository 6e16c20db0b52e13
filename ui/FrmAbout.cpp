#include "ui/FrmAbout.h"

#include <utility>

#include "settings/Launches.h"
#include "ui/ControlParams.h"

namespace orbl {

using namespace orbl::platform;
using namespace orbl::ui;

TFrmAbout::TFrmAbout(WindowSystem& windows, Shell& shell)
    : windows_(windows),
      Handle(BuildWindow()),
      Picture(AddControl(WithImage(Params(ControlKind::Picture, {16, 16, 32, 32}), "TRAY"))),
      ProductLabel(AddControl(Bold(Params(ControlKind::Label, {64, 16, 190, 18}, "Orbelle")))),
      VersionLabel(AddControl(Params(ControlKind::Label, {64, 38, 190, 16}, "Version 3.1.2"))),
      // The window owns the launch: it is the one in front, and the options
      // window may be hidden.
      SiteLink(
          AddControl(Params(ControlKind::LinkLabel, {64, 62, 190, 16}, std::string(kMakerSite)),
                     OnClick([this] { OpenMakerSite(shell_, Handle); }))),
      OkButton(AddControl(AsDefault(Params(ControlKind::Button, {85, 100, 90, 25}, "OK")),
                          OnClick([this] { Hide(); }))),
      shell_(shell) {}

WindowHandle TFrmAbout::BuildWindow() {
  WindowParams params;
  params.title = "About Orbelle";
  params.clientWidth = 270;
  params.clientHeight = 137;
  params.icon = "TRAY";
  params.centered = true;
  WindowEvents events;
  events.onCloseRequest = [this] { Hide(); };
  return windows_.CreateTopWindow(params, std::move(events));
}

ControlHandle TFrmAbout::AddControl(const ControlParams& params, ControlEvents events) {
  return windows_.CreateControl(Handle, params, std::move(events));
}

void TFrmAbout::ShowModal() {
  windows_.ShowModal(Handle);
}

void TFrmAbout::Hide() {
  windows_.ShowWindow(Handle, false);
}

void TFrmAbout::ApplyLanguage(const TIniFile& file) {
  windows_.SetControlText(OkButton, file.ReadText("Buttons", "OK", "OK"));
  windows_.SetWindowTitle(Handle,
                          file.ReadText("AboutWindow", "Caption", windows_.WindowTitle(Handle)));
}

}  // namespace orbl
