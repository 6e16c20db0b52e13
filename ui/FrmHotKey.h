// frmHotKey, "Hot Key Options": edits one hot key, a main key chosen from the
// key list and four modifier boxes. It knows nothing of drives: the caller
// fills it, shows it modally and reads it afterwards. One window, built
// hidden with the main window and reused for every showing.
#pragma once

#include <cstdint>

#include "language/IniFile.h"
#include "language/InterfaceTexts.h"
#include "platform/WindowSystem.h"
#include "settings/Orbl2Records.h"

namespace orbl {

class TFrmHotKey {
  // First of all members: the window is built before its controls.
  platform::WindowSystem& windows_;

 public:
  // `texts` are the program's interface texts: the key list and the modifier
  // captions follow their key names.
  TFrmHotKey(platform::WindowSystem& windows, const TInterfaceTexts& texts);
  ~TFrmHotKey() = default;
  TFrmHotKey(const TFrmHotKey&) = delete;
  TFrmHotKey& operator=(const TFrmHotKey&) = delete;

  // Fills the controls from `hotKey`: the key list anew in the current key
  // names, the four boxes, and the list entry of its key, or none when the
  // list has no entry for it.
  void ShowHotKey(const THotKeyDef& hotKey);
  // The hot key the controls show. With no entry selected that is the key
  // ShowHotKey could not show: a key the list lacks (from an older or
  // hand-edited store) is kept, not lost to an OK that changed nothing.
  THotKeyDef ReadHotKey() const;
  // Shows the dialog and returns once one of its buttons or the close box
  // ended the showing; the program's other windows are disabled meanwhile.
  void ShowModal();
  // The whole edit of one hot key, for the options window's "Change..."
  // buttons: fills the dialog, shows it, and writes the outcome into
  // `hotKey`. Remove leaves no hot key, OK the one shown (no modifiers
  // without a key), Cancel and the close box leave it as it was.
  void EditHotKey(THotKeyDef& hotKey);
  bool Visible() const { return windows_.IsWindowVisible(Handle); }

  // The language step: the OK and Cancel buttons (built-in "OK" and
  // "Cancel" when the file lacks them), the remove button, the title and the
  // label above the list (kept as they are when the file lacks them).
  void ApplyLanguage(const TIniFile& file);

  // How the last showing ended; both false after Cancel and the close box.
  bool OkPressed = false;
  bool RemovePressed = false;

  const platform::WindowHandle Handle;
  const platform::ControlHandle KeyLabel;
  const platform::ControlHandle KeyList;
  const platform::ControlHandle CtrlBox;
  const platform::ControlHandle AltBox;
  const platform::ControlHandle ShiftBox;
  const platform::ControlHandle WinBox;
  const platform::ControlHandle RemoveButton;
  const platform::ControlHandle Divider;
  const platform::ControlHandle OkButton;
  const platform::ControlHandle CancelButton;

 private:
  platform::WindowHandle BuildWindow();
  platform::ControlHandle AddControl(const platform::ControlParams& params,
                                     platform::ControlEvents events = {});
  void FillKeyList();
  void ShowModifierNames();
  void Finish(bool ok, bool remove);

  const TInterfaceTexts& texts_;
  // The key ShowHotKey was given when the list had no entry for it, else 0.
  std::int32_t unlistedKey_ = 0;
};

}  // namespace orbl
