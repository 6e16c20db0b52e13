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

TEST_F(FrmHotKeyTest, ShowsAStoredHotKeyTickedAndSelected) {
  Start();
  Edit({false, true, true, false, kDelete});
  EXPECT_TRUE(Windows().IsChecked(Dialog().CtrlBox));
  EXPECT_TRUE(Windows().IsChecked(Dialog().AltBox));
  EXPECT_FALSE(Windows().IsChecked(Dialog().ShiftBox));
  EXPECT_FALSE(Windows().IsChecked(Dialog().WinBox));
  EXPECT_EQ(SelectedName(), "Delete");
  program.ClickControl(Dialog().CancelButton);
  EXPECT_FALSE(Up());

  // The next showing clears what the last one ticked.
  Edit({true, false, false, true, 'Q'});
  EXPECT_FALSE(Windows().IsChecked(Dialog().CtrlBox));
  EXPECT_FALSE(Windows().IsChecked(Dialog().AltBox));
  EXPECT_TRUE(Windows().IsChecked(Dialog().ShiftBox));
  EXPECT_TRUE(Windows().IsChecked(Dialog().WinBox));
  EXPECT_EQ(SelectedName(), "Q");
  program.ClickControl(Dialog().CancelButton);
}

TEST_F(FrmHotKeyTest, EachWayOutWritesItsOutcome) {
  struct Case {
    const char* name;
    THotKeyDef stored;
    std::function<void()> user;
    THotKeyDef expected;
    bool ok;
    bool remove;
  };
  const THotKeyDef ctrlA{false, true, false, false, 'A'};
  const auto tickShiftChooseF5 = [&] {
    program.ClickControl(Dialog().ShiftBox);
    Choose("F5");
  };
  const Case cases[] = {
      {"OK with changes",
       ctrlA,
       [&] {
         tickShiftChooseF5();
         program.ClickControl(Dialog().OkButton);
       },
       {false, true, false, true, kF5},
       true,
       false},
      // No key is no hot key: the ticked Ctrl must not be stored with it.
      {"OK with <NONE> and Ctrl ticked",
       ctrlA,
       [&] {
         Choose("<NONE>");
         program.ClickControl(Dialog().OkButton);
       },
       {},
       true,
       false},
      {"Remove whatever the controls show",
       ctrlA,
       [&] {
         tickShiftChooseF5();
         program.ClickControl(Dialog().RemoveButton);
       },
       {},
       false,
       true},
      {"Cancel", ctrlA,
       [&] {
         tickShiftChooseF5();
         program.ClickControl(Dialog().CancelButton);
       },
       ctrlA, false, false},
      {"close box", ctrlA,
       [&] {
         tickShiftChooseF5();
         program.CloseWindowByUser(Dialog().Handle);
       },
       ctrlA, false, false},
      // Another program may hide the window: no button was pressed this time.
      {"hidden from outside", ctrlA,
       [&] {
         tickShiftChooseF5();
         program.Inject([&] { Windows().ShowWindow(Dialog().Handle, false); });
       },
       ctrlA, false, false},
  };
  Start();
  for (const Case& c : cases) {
    // Each showing follows one that ended with OK or Remove, so that flags
    // left over from it would show.
    for (platform::ControlHandle before : {Dialog().OkButton, Dialog().RemoveButton}) {
      SCOPED_TRACE(std::string(c.name) +
                   (before == Dialog().OkButton ? " after OK" : " after Remove"));
      Edit({});
      program.ClickControl(before);

      Edit(c.stored);
      c.user();
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
  program.ClickControl(Dialog().CtrlBox);
  program.ClickControl(Dialog().AltBox);
  program.ClickControl(Dialog().OkButton);
  EXPECT_EQ(Describe(edited), Describe({false, false, true, false, kF13}));

  // Choosing an entry replaces it, "<NONE>" included.
  Edit({false, true, false, false, kF13});
  Choose("<NONE>");
  program.ClickControl(Dialog().OkButton);
  EXPECT_EQ(Describe(edited), Describe({}));

  // A listed key does not linger for the next hot key that lacks a key.
  Edit({false, false, true, false, 'Z'});
  program.ClickControl(Dialog().CancelButton);
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
  program.ClickControl(Dialog().OkButton);
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
  program.ClickControl(Dialog().OkButton);
  EXPECT_EQ(edited.Key, 32);
}

}  // namespace
}  // namespace orbl::test
