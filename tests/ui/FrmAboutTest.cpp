// The About window as the user meets it: from the tray menu, modal, with the
// tray refused while it shows, and a link that opens the maker's site.
#include "ui/FrmAbout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "drives/DriveFixture.h"
#include "settings/Launches.h"

namespace orbl::test {
namespace {

class FrmAboutTest : public DriveFixture {
 protected:
  TFrmAbout& About() { return frmMain->FrmAbout; }
  bool Up() { return program.Window(About().Handle)->visible; }
  void OpenFromTray() {
    program.TrayRightClick();
    ASSERT_TRUE(program.MenuOpen());
    program.ChooseMenuItem({"About Orbelle"});
  }
  bool InCalls(const std::string& call) {
    const auto calls = program.Calls();
    return std::find(calls.begin(), calls.end(), call) != calls.end();
  }
};

// A tray click or a removal can arrive in the first box start-up shows: every
// window it may lead to exists by then.
TEST_F(FrmAboutTest, TheDialogsAreBuiltHiddenWithTheMainWindowBeforeStartUp) {
  world.AddDrive('D', platform::DriveType::CdRom);
  Lines built;
  program.Start([&](platform::Platform& p) {
    frmMain.emplace(p, p.windows.CreateTopWindow({}, {}), p.atoms.Add("ORBL"));
    for (const sim::SimWindow* w : program.Windows()) {
      built.push_back(w->title + (w->visible ? " (shown)" : ""));
    }
    frmMain->StartUp();
    p.windows.RunLoop();
  });
  EXPECT_EQ(built, (Lines{"", "Orbelle 3", "Hot Key Options", "About Orbelle", "Close Drive"}));
  // The program, its version and the maker's address.
  EXPECT_EQ(program.Window(About().Handle)->params.icon, "TRAY");
  std::vector<std::string> shown;
  for (const sim::SimControl* c : program.Controls(About().Handle)) {
    shown.push_back(c->params.kind == platform::ControlKind::Picture ? "picture " + c->params.image
                                                                     : c->text);
  }
  EXPECT_EQ(shown,
            (Lines{"picture TRAY", "Orbelle", "Version 3.1.2", std::string(kMakerSite), "OK"}));
  EXPECT_EQ(program.Controls(About().Handle)[3]->params.kind, platform::ControlKind::LinkLabel);
  EXPECT_TRUE(program.Controls(About().Handle)[4]->params.defaultButton);
}

TEST_F(FrmAboutTest, TheTrayOpensItModallyAndOffersNothingUntilItIsGone) {
  Start();
  program.Inject([&] {
    frmMain->Options.DoubleLetter = 'd';
    frmMain->Options.DoubleAction = static_cast<std::int32_t>(TDriveAction::OpenCloseDrive);
  });
  OpenFromTray();
  ASSERT_TRUE(Up());
  EXPECT_FALSE(InCalls("modal loop for \"About Orbelle\" left"));

  const auto calls = program.Calls().size();
  program.TrayRightClick();
  EXPECT_FALSE(program.MenuOpen());
  program.TrayDoubleClick();
  EXPECT_EQ(Devices(), Lines{}) << "D's door stays shut";
  EXPECT_EQ(program.Calls().size(), calls);
  // The link opens the maker's site maximised and leaves the window up.
  world.log.clear();
  program.ClickControl(About().SiteLink);
  EXPECT_EQ(world.launches, Lines{std::string(kMakerSite)});
  EXPECT_EQ(world.log, Lines{"shell open \"" + std::string(kMakerSite) + "\" (show mode 3)"});
  EXPECT_TRUE(Up());

  program.ClickControl(About().OkButton);
  EXPECT_FALSE(Up());
  EXPECT_TRUE(InCalls("modal loop for \"About Orbelle\" left"));
  program.TrayDoubleClick();
  EXPECT_TRUE(world.Drive('D').doorOpen);

  // The close box hides it as OK does, and it can be shown again.
  OpenFromTray();
  ASSERT_TRUE(Up());
  program.CloseWindowByUser(About().Handle);
  EXPECT_FALSE(Up());
  OpenFromTray();
  EXPECT_TRUE(Up());
  program.ClickControl(About().OkButton);
}

}  // namespace
}  // namespace orbl::test
