// The dialogs' language step: what a language file sets on the About
// window, the hot key dialog and the close-now dialog, and what stays when the
// next file lacks a key.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "drives/DriveFixture.h"

namespace orbl::test {
namespace {

constexpr const char* kGerman =
    "[Buttons]\nOK=Ja\nCancel=Abbrechen\n"
    "[AboutWindow]\nCaption=Ueber Orbelle\n"
    "[HotKeyOptionsWindow]\nCaption=Tastenkuerzel\nRemove=Entfernen\nHotKeyOptions=Haupttaste:\n"
    "[CloseImmediatelyWindow]\nClose_Message=Zu\nCancelCloseImmediately=Nein\n"
    "CloseImmediately=Jetzt schliessen?\nCaption=Laufwerk schliessen\nMsg_Drive=Laufwerk\n";
constexpr const char* kNothing = "[Main]\nLangNameEng=Empty\n";

class DialogLanguageTest : public DriveFixture {
 protected:
  void Apply(const char* content) {
    program.Inject([this, content] { frmMain->ApplyDialogLanguage(TIniFile(content)); });
  }
  std::string Text(platform::ControlHandle control) {
    return program.Platform().windows.ControlText(control);
  }
  std::string Title(platform::WindowHandle window) {
    return program.Platform().windows.WindowTitle(window);
  }
};

// Every default is the text shown at that moment, except the buttons that
// fall back to their built-in words and the countdown's "OK".
TEST_F(DialogLanguageTest, AFileLackingAKeyLeavesTheTextBeforeOrTheLiteralDefault) {
  struct Row {
    const char* what;
    std::function<std::string()> read;
    const char* builtIn;
    const char* german;
    const char* afterEmpty;
  };
  Start();
  const TFrmAbout& about = frmMain->FrmAbout;
  const TFrmHotKey& hotKey = frmMain->FrmHotKey;
  const TFrmCloseDrive& closeNow = frmMain->FrmCloseDrive;
  const Row rows[] = {
      {"About OK", [&] { return Text(about.OkButton); }, "OK", "Ja", "OK"},
      {"About title", [&] { return Title(about.Handle); }, "About Orbelle", "Ueber Orbelle",
       "Ueber Orbelle"},
      {"hot key OK", [&] { return Text(hotKey.OkButton); }, "OK", "Ja", "OK"},
      {"hot key Cancel", [&] { return Text(hotKey.CancelButton); }, "Cancel", "Abbrechen",
       "Cancel"},
      {"hot key Remove", [&] { return Text(hotKey.RemoveButton); }, "Remove hot key", "Entfernen",
       "Entfernen"},
      {"hot key title", [&] { return Title(hotKey.Handle); }, "Hot Key Options", "Tastenkuerzel",
       "Tastenkuerzel"},
      {"hot key label", [&] { return Text(hotKey.KeyLabel); },
       "Main key:", "Haupttaste:", "Haupttaste:"},
      {"countdown word", [&] { return closeNow.CloseWord; }, "OK", "Zu", "OK"},
      {"close-now Cancel", [&] { return Text(closeNow.CancelButton); }, "Cancel", "Nein", "Nein"},
      {"close-now question", [&] { return Text(closeNow.MessageLabel); },
       "Close the door of the drive immediately?", "Jetzt schliessen?", "Jetzt schliessen?"},
      {"close-now title", [&] { return Title(closeNow.Handle); }, "Close Drive",
       "Laufwerk schliessen", "Laufwerk schliessen"},
      {"drive text", [&] { return frmMain->Texts.Msg_Drive; }, "Drive", "Laufwerk", "Laufwerk"},
  };
  for (const Row& row : rows) EXPECT_EQ(row.read(), row.builtIn) << row.what;
  Apply(kGerman);
  for (const Row& row : rows) EXPECT_EQ(row.read(), row.german) << row.what;
  Apply(kNothing);
  for (const Row& row : rows) EXPECT_EQ(row.read(), row.afterEmpty) << row.what;
}

TEST_F(DialogLanguageTest, StartUpAppliesTheChosenFileToTheDialogs) {
  world.files["C:\\Program Files\\Orbelle\\Language\\English.ini"] = kGerman;
  Start();
  EXPECT_EQ(Title(frmMain->FrmAbout.Handle), "Ueber Orbelle");
  EXPECT_EQ(Title(frmMain->FrmHotKey.Handle), "Tastenkuerzel");

  TFrmCloseDrive& closeNow = frmMain->FrmCloseDrive;
  program.Inject([&] { closeNow.ShowForDrive(0); });
  ASSERT_TRUE(closeNow.Visible());
  EXPECT_EQ(Text(closeNow.CloseButton), "Zu (15)");
  EXPECT_EQ(Text(closeNow.DriveLabel), "Laufwerk D:");
  program.ClickControl(closeNow.CancelButton);
}

}  // namespace
}  // namespace orbl::test
