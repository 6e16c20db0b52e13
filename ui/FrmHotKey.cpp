#include "ui/FrmHotKey.h"

#include <string>
#include <utility>
#include <vector>

#include "ui/ControlParams.h"
#include "ui/VirtualKeys.h"

namespace orbl {

using namespace orbl::platform;
using namespace orbl::ui;

TFrmHotKey::TFrmHotKey(WindowSystem& windows, const TInterfaceTexts& texts)
    : windows_(windows),
      Handle(BuildWindow()),
      KeyLabel(AddControl(Params(ControlKind::Label, {12, 12, 226, 16}, "Main key:"))),
      KeyList(AddControl(Params(ControlKind::DropDownList, {12, 30, 226, 21}))),
      CtrlBox(AddControl(Params(ControlKind::CheckBox, {12, 62, 56, 17}, "Ctrl"))),
      AltBox(AddControl(Params(ControlKind::CheckBox, {70, 62, 56, 17}, "Alt"))),
      ShiftBox(AddControl(Params(ControlKind::CheckBox, {128, 62, 56, 17}, "Shift"))),
      WinBox(AddControl(Params(ControlKind::CheckBox, {186, 62, 52, 17}, "Win"))),
      RemoveButton(AddControl(Params(ControlKind::Button, {12, 90, 226, 25}, "Remove hot key"),
                              OnClick([this] { Finish(false, true); }))),
      Divider(AddControl(Params(ControlKind::Divider, {12, 124, 226, 2}))),
      OkButton(AddControl(AsDefault(Params(ControlKind::Button, {50, 134, 90, 25}, "OK")),
                          OnClick([this] { Finish(true, false); }))),
      CancelButton(AddControl(AsCancel(Params(ControlKind::Button, {148, 134, 90, 25}, "Cancel")),
                              OnClick([this] { Finish(false, false); }))),
      texts_(texts) {
  FillKeyList();
}

WindowHandle TFrmHotKey::BuildWindow() {
  WindowParams params;
  params.title = "Hot Key Options";
  params.clientWidth = 250;
  params.clientHeight = 171;
  params.icon = "TRAY";
  params.centered = true;
  params.topmost = true;
  WindowEvents events;
  // A language changed since the last showing renames the modifiers.
  events.onVisibleChanged = [this](bool visible) {
    if (visible) ShowModifierNames();
  };
  events.onCloseRequest = [this] { Finish(false, false); };
  return windows_.CreateTopWindow(params, std::move(events));
}

ControlHandle TFrmHotKey::AddControl(const ControlParams& params, ControlEvents events) {
  return windows_.CreateControl(Handle, params, std::move(events));
}

void TFrmHotKey::FillKeyList() {
  windows_.ClearItems(KeyList);
  for (const std::string& name : orbl::KeyList(texts_)) windows_.AddItem(KeyList, name);
}

void TFrmHotKey::ShowModifierNames() {
  windows_.SetControlText(CtrlBox, texts_.Ctrl_Key);
  windows_.SetControlText(AltBox, texts_.Alt_Key);
  windows_.SetControlText(ShiftBox, texts_.Shift_Key);
  windows_.SetControlText(WinBox, texts_.Win_Key);
}

void TFrmHotKey::ShowHotKey(const THotKeyDef& hotKey) {
  // Refilled every time, so that the entries are the names KeyNameToCode
  // compares against in the language now in use.
  FillKeyList();
  windows_.SetChecked(WinBox, hotKey.Win);
  windows_.SetChecked(AltBox, hotKey.Alt);
  windows_.SetChecked(CtrlBox, hotKey.Ctrl);
  windows_.SetChecked(ShiftBox, hotKey.Shift);
  const std::string name = KeyCodeToName(hotKey.Key, texts_);
  const std::vector<std::string> entries = windows_.Items(KeyList);
  int selection = -1;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i] == name) {
      selection = static_cast<int>(i);
      break;
    }
  }
  windows_.SetSelection(KeyList, selection);
  unlistedKey_ = selection < 0 ? hotKey.Key : 0;
}

THotKeyDef TFrmHotKey::ReadHotKey() const {
  THotKeyDef hotKey;
  hotKey.Win = windows_.IsChecked(WinBox);
  hotKey.Alt = windows_.IsChecked(AltBox);
  hotKey.Ctrl = windows_.IsChecked(CtrlBox);
  hotKey.Shift = windows_.IsChecked(ShiftBox);
  const int selection = windows_.Selection(KeyList);
  const std::vector<std::string> entries = windows_.Items(KeyList);
  if (selection >= 0 && selection < static_cast<int>(entries.size())) {
    hotKey.Key = KeyNameToCode(entries[static_cast<std::size_t>(selection)], texts_);
  } else {
    hotKey.Key = unlistedKey_;
  }
  return hotKey;
}

void TFrmHotKey::ShowModal() {
  windows_.ShowModal(Handle);
}

void TFrmHotKey::EditHotKey(THotKeyDef& hotKey) {
  ShowHotKey(hotKey);
  OkPressed = false;
  RemovePressed = false;
  ShowModal();
  if (RemovePressed) hotKey = THotKeyDef{};
  if (OkPressed) {
    hotKey = ReadHotKey();
    // A key of 0 is no hot key; ticked boxes must not linger in the store.
    if (hotKey.Key == 0) hotKey = THotKeyDef{};
  }
}

void TFrmHotKey::Finish(bool ok, bool remove) {
  OkPressed = ok;
  RemovePressed = remove;
  windows_.ShowWindow(Handle, false);
}

void TFrmHotKey::ApplyLanguage(const TIniFile& file) {
  windows_.SetControlText(OkButton, file.ReadText("Buttons", "OK", "OK"));
  windows_.SetControlText(CancelButton, file.ReadText("Buttons", "Cancel", "Cancel"));
  constexpr const char* kSection = "HotKeyOptionsWindow";
  windows_.SetControlText(RemoveButton,
                          file.ReadText(kSection, "Remove", windows_.ControlText(RemoveButton)));
  windows_.SetWindowTitle(Handle, file.ReadText(kSection, "Caption", windows_.WindowTitle(Handle)));
  windows_.SetControlText(KeyLabel,
                          file.ReadText(kSection, "HotKeyOptions", windows_.ControlText(KeyLabel)));
}

}  // namespace orbl
