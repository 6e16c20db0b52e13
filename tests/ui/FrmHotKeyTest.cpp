// The hot key dialog on the simulated computer: what it shows for a stored
// hot key, what each way out writes back, and key names that follow the
// language in use.
#include "ui/FrmHotKey.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "drives/DriveFixture.h"
#include "ui/VirtualKeys.h"

namespace orbl::test {
namespace {

constexpr std::int32_t kDelete = 46;
constexpr std::int32_t kF5 = 116;
constexpr std::int32_t kF13 = 124;  // a real key the list does not offer

std::string Describe(const THotKeyDef& k) {
  return std::string(k.Win ? "Win+" : "") + (k.Ctrl ? "Ctrl+" : "") + (k.Alt ? "Alt+" : "") +
         (k.Shift ? "Shift+" : "") + std::to_string(k.Key);
}

class FrmHotKeyTest : public DriveFixture {
 protected:
  TFrmHotKey& Dialog() { return frmMain->FrmHotKey; }
  platform::WindowSystem& Windows() { return program.Platform().windows; }
  bool Up() { return program.Window(Dialog().Handle)->visible; }

  // Opens the dialog for `stored` as a "Change..." button does; returns
  // while it waits for the user. `edited` holds the outcome once it closes.
  void Edit(const THotKeyDef& stored) {
    edited = stored;
    program.Inject([this] { Dialog().EditHotKey(edited); });
    ASSERT_TRUE(Up());
  }
  std::string SelectedName() {
    const int selection = Windows().Selection(Dialog().KeyList);
    if (selection < 0) return "(none)";
    return Windows().Items(Dialog().KeyList).at(static_cast<std::size_t>(selection));
  }
  int EntryOf(const std::string& name) {
    const auto items = Windows().Items(Dialog().KeyList);
    for (std::size_t i = 0; i < items.size(); ++i) {
      if (items[i] == name) return static_cast<int>(i);
    }
    ADD_FAILURE() << "no entry " << name;
    return 0;
  }
  void Choose(const std::string& name) { program.SelectItem(Dialog().KeyList, EntryOf(name)); }
  // What the boxes and the list show, as "Ctrl+Alt+Delete".
  std::string Showing() {
    std::string text;
    for (const auto& [box, name] : {std::pair{Dialog().WinBox, "Win+"},
                                    {Dialog().CtrlBox, "Ctrl+"},
                                    {Dialog().AltBox, "Alt+"},
                                    {Dialog().ShiftBox, "Shift+"}}) {
      if (Windows().IsChecked(box)) text += name;
    }
    return text + SelectedName();
  }
  void Click(platform::ControlHandle control) { program.ClickControl(control); }

  THotKeyDef edited;
};

TEST_F(FrmHotKeyTest, IsBuiltHiddenAsATopmostCentredDialogWithTheKeyList) {
  Start();
  const sim::SimWindow* window = program.Window(Dialog().Handle);
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(window->visible);
  EXPECT_EQ(window->title, "Hot Key Options");
  EXPECT_TRUE(window->params.topmost);
  EXPECT_TRUE(window->params.centered);
  EXPECT_EQ(window->params.icon, "TRAY");
  EXPECT_FALSE(window->params.minimizeBox || window->params.maximizeBox);

  // Top to bottom, with OK the one button Enter goes to and Cancel Esc's.
  std::vector<std::string> controls;
  for (const sim::SimControl* c : program.Controls(Dialog().Handle)) {
    controls.push_back(c->text + (c->params.defaultButton ? " [default]" : "") +
                       (c->params.cancelButton ? " [cancel]" : ""));
  }
  EXPECT_EQ(controls, (Lines{"Main key:", "", "Ctrl", "Alt", "Shift", "Win", "Remove hot key", "",
                             "OK [default]", "Cancel [cancel]"}));
  const auto items = Windows().Items(Dialog().KeyList);
  EXPECT_EQ(items, KeyList(frmMain->Texts));
  EXPECT_EQ(items.size(), 60u);
  EXPECT_EQ(program.Controls(Dialog().Handle)[1]->params.kind, platform::ControlKind::DropDownList);
}

// Each showing shows its hot key, clearing what the last one ticked; each way
// out writes its outcome.
TEST_F(FrmHotKeyTest, EachWayOutWritesItsOutcome) {
  Start();
  Edit({false, true, true, false, kDelete});
  EXPECT_EQ(Showing(), "Ctrl+Alt+Delete");
  Click(Dialog().CancelButton);
  EXPECT_FALSE(Up());
  Edit({true, false, false, true, 'Q'});
  EXPECT_EQ(Showing(), "Win+Shift+Q");
  Click(Dialog().CancelButton);

  struct Case {
    const char* name;
    const char* key;  // chosen after Shift is ticked
    std::function<void()> leave;
    THotKeyDef expected;
    bool ok;
    bool remove;
  };
  const THotKeyDef ctrlA{false, true, false, false, 'A'};
  const auto ok = [&] { Click(Dialog().OkButton); };
  const Case cases[] = {
      {"OK with changes", "F5", ok, {false, true, false, true, kF5}, true, false},
      // No key is no hot key: the ticked Ctrl must not be stored with it.
      {"OK with <NONE>", "<NONE>", ok, {}, true, false},
      {"Remove whatever the controls show",
       "F5",
       [&] { Click(Dialog().RemoveButton); },
       {},
       false,
       true},
      {"Cancel", "F5", [&] { Click(Dialog().CancelButton); }, ctrlA, false, false},
      {"close box", "F5", [&] { program.CloseWindowByUser(Dialog().Handle); }, ctrlA, false, false},
      // Another program may hide the window: no button was pressed this time.
      {"hidden from outside", "F5",
       [&] { program.Inject([&] { Windows().ShowWindow(Dialog().Handle, false); }); }, ctrlA, false,
       false},
  };
  for (const Case& c : cases) {
    // Each showing follows one that ended with OK or Remove, so that flags
    // left over from it would show.
    for (platform::ControlHandle before : {Dialog().OkButton, Dialog().RemoveButton}) {
      SCOPED_TRACE(std::string(c.name) +
                   (before == Dialog().OkButton ? " after OK" : " after Remove"));
      Edit({});
      Click(before);
      Edit(ctrlA);
      Click(Dialog().ShiftBox);
      Choose(c.key);
      c.leave();
      EXPECT_FALSE(Up());
      EXPECT_EQ(Describe(edited), Describe(c.expected));
      EXPECT_EQ(Dialog().OkPressed, c.ok);
      EXPECT_EQ(Dialog().RemovePressed, c.remove);
    }
  }
  // Every showing was modal and ended with its loop.
  EXPECT_EQ(program.RefusedCalls(), Lines{});
}

// A key the list has no entry for (an older or hand-edited store) shows no
// selection; OK without choosing keeps it rather than storing no key.
TEST_F(FrmHotKeyTest, AKeyTheListLacksSurvivesAnOkThatDidNotChooseOne) {
  Start();
  Edit({false, true, false, false, kF13});
  EXPECT_EQ(SelectedName(), "(none)");
  Click(Dialog().CtrlBox);
  Click(Dialog().AltBox);
  Click(Dialog().OkButton);
  EXPECT_EQ(Describe(edited), Describe({false, false, true, false, kF13}));

  // Choosing an entry replaces it, "<NONE>" included.
  Edit({false, true, false, false, kF13});
  Choose("<NONE>");
  Click(Dialog().OkButton);
  EXPECT_EQ(Describe(edited), Describe({}));

  // A listed key does not linger for the next hot key that lacks a key.
  Edit({false, false, true, false, 'Z'});
  Click(Dialog().CancelButton);
  program.Inject([this] {
    Dialog().ShowHotKey({});
    edited = Dialog().ReadHotKey();
  });
  EXPECT_EQ(Describe(edited), Describe({}));
}

TEST_F(FrmHotKeyTest, KeyNamesFollowTheLanguageInUse) {
  world.files["C:\\Program Files\\Orbelle\\Language\\English.ini"] =
      "[Keys]\nSpace_Key=Leertaste\nCtrl_Key=Strg\nKey_None=<KEINE>\n";
  Start();
  Edit({false, true, false, false, 32});
  EXPECT_EQ(SelectedName(), "Leertaste");
  EXPECT_EQ(Windows().ControlText(Dialog().CtrlBox), "Strg");
  EXPECT_EQ(Windows().ControlText(Dialog().ShiftBox), "Shift");
  Choose("<KEINE>");
  Choose("Leertaste");
  Click(Dialog().OkButton);
  EXPECT_EQ(Describe(edited), Describe({false, true, false, false, 32}));

  // A later language change reaches the list and the boxes at the next showing.
  program.Inject([this] {
    frmMain->Texts.Space_Key = "Espace";
    frmMain->Texts.Shift_Key = "Maj";
  });
  Edit({});
  EXPECT_EQ(Windows().Items(Dialog().KeyList).at(1), "Espace");
  EXPECT_EQ(Windows().ControlText(Dialog().ShiftBox), "Maj");
  Choose("Espace");
  Click(Dialog().OkButton);
  EXPECT_EQ(edited.Key, 32);
}

}  // namespace
}  // namespace orbl::test
