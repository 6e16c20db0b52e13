// The options window made from its table of controls (OptionsControls.h),
// what its controls do, and its captions; what the pages do with them is in
// OptionsPages.cpp.
#include "ui/OptionsWindow.h"

#include <string>
#include <utility>

#include "ui/OptionsControls.h"

namespace orbl {

using namespace orbl::platform;

namespace {

ControlParams ParamsOf(const TOptionsControl& control) {
  ControlParams params;
  params.kind = control.Kind;
  params.rect = control.Rect;
  params.text = control.BuiltIn;
  // The drive page is hidden until a drive is chosen.
  params.visible = control.Page == TOptionsPage::Frame || control.Page == TOptionsPage::Common;
  params.bold = control.Bold;
  params.image = control.Image;
  params.defaultButton = control.DefaultButton;
  params.cancelButton = control.CancelButton;
  if (control.Kind == ControlKind::NumberField) {
    params.minimum = control.Minimum;
    params.maximum = control.Maximum;
    params.step = 1;
    params.text = std::to_string(control.Built);
  }
  return params;
}

}  // namespace

TOptionsWindow::TOptionsWindow(Platform& platform, WindowHandle window, TProgramState& state,
                               TDriveTable& driveTable, TAppOptions& options,
                               const TInterfaceTexts& texts, TOptionsEvents events)
    : platform_(platform),
      windows_(platform.windows),
      window_(window),
      state_(state),
      driveTable_(driveTable),
      options_(options),
      texts_(texts),
      events_(std::move(events)) {
  for (const TOptionsControl& control : kOptionsControls) {
    ControlHandle& handle = this->*control.Member;
    handle = windows_.CreateControl(window_, ParamsOf(control), EventsOf(control));
    if (control.Kind == ControlKind::CheckBox) windows_.SetChecked(handle, control.Ticked);
    // The arrows step from the built value.
    if (control.Kind == ControlKind::NumberField) {
      windows_.SetArrowPosition(handle, control.Built);
    }
  }
}

// A click handed on to the owner's hook, when it set one.
std::function<void()> TOptionsWindow::Forward(std::function<void()> TOptionsEvents::*hook) {
  return [this, hook] {
    if (events_.*hook) (events_.*hook)();
  };
}

ControlEvents TOptionsWindow::EventsOf(const TOptionsControl& control) {
  ControlEvents events;
  ControlHandle TOptionsWindow::*const member = control.Member;
  if (control.Kind == ControlKind::NumberField) {
    events.onArrow = [this, member](int value) {
      windows_.SetControlText(this->*member, std::to_string(value));
    };
  }
  // The backend underlines a link and shows the hand; the colour under the
  // mouse is ours to keep.
  if (control.Kind == ControlKind::LinkLabel) {
    events.onMouseHover = [this, member](bool inside) {
      windows_.SetLinkHighlighted(this->*member, inside);
    };
  }
  if (member == &TOptionsWindow::DriveBar) {
    events.onSelect = [this](int index) {
      if (index == 0) SelectCommonPage();
      if (index >= 2) SelectDrivePage(index);
    };
  } else if (member == &TOptionsWindow::LanguageList) {
    events.onSelect = [this](int index) {
      if (index >= 0 && index < static_cast<int>(options_.LanguageFiles.size())) {
        ShowTranslatorInfo(options_.LanguageFiles[static_cast<std::size_t>(index)]);
      }
    };
  } else if (member == &TOptionsWindow::DoubleClickList) {
    events.onSelect = [this](int /*index*/) { DoubleClickChanged(); };
  } else if (member == &TOptionsWindow::TranslatorAddress) {
    events.onClick = [this] {
      if (events_.onMailTranslator)
        events_.onMailTranslator(windows_.ControlText(TranslatorAddress));
    };
  } else if (member == &TOptionsWindow::ChangeCloseButton) {
    events.onClick = [this] { ChangeHotKey(&TDriveRecord::HotKeyClose); };
  } else if (member == &TOptionsWindow::ChangeLockButton) {
    events.onClick = [this] { ChangeHotKey(&TDriveRecord::HotKeyLock); };
  } else if (member == &TOptionsWindow::SiteLink) {
    events.onClick = Forward(&TOptionsEvents::onMakerSite);
  } else if (member == &TOptionsWindow::OkButton) {
    events.onClick = Forward(&TOptionsEvents::onOk);
  } else if (member == &TOptionsWindow::CancelButton) {
    events.onClick = Forward(&TOptionsEvents::onCancel);
  } else if (member == &TOptionsWindow::HelpButton) {
    events.onClick = Forward(&TOptionsEvents::onHelp);
  }
  return events;
}

void TOptionsWindow::ShowPage(TOptionsPage page, bool visible) {
  for (const TOptionsControl& control : kOptionsControls) {
    if (control.Page == page) windows_.SetControlVisible(this->*control.Member, visible);
  }
  if (page == TOptionsPage::Common) commonVisible_ = visible;
  if (page == TOptionsPage::Drive) driveVisible_ = visible;
}

// --- the drive bar -------------------------------------------------------------

void TOptionsWindow::BuildDriveBar() {
  windows_.AddBarButton(DriveBar, texts_.Common_Options, 0);
  windows_.AddBarSeparator(DriveBar);
}

void TOptionsWindow::AddDriveButton(char letter) {
  windows_.AddBarButton(DriveBar, std::string(1, letter) + ":", 1);
}

// --- language -------------------------------------------------------------------

void TOptionsWindow::ApplyLanguage(const TIniFile& file) {
  for (const TOptionsControl& control : kOptionsControls) {
    const ControlHandle handle = this->*control.Member;
    for (const char* key : {control.Key, control.SecondKey}) {
      if (key == nullptr) continue;
      const std::string missing =
          control.BuiltInWhenMissing ? control.BuiltIn : windows_.ControlText(handle);
      windows_.SetControlText(handle, file.ReadText(control.Section, key, missing));
    }
  }
  windows_.SetBarButtonCaption(DriveBar, 0, texts_.Common_Options);
}

}  // namespace orbl
