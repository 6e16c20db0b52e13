// The shell launches: the help file names that may be opened, and mail
// addresses that cannot smuggle anything into their link.
#include "settings/Launches.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "platform/Shell.h"
#include "platform/WindowsPath.h"

namespace orbl::test {
namespace {

struct Launch {
  platform::WindowHandle owner;
  std::string document;
  int showMode = 0;
  friend bool operator==(const Launch&, const Launch&) = default;
};

class RecordingShell final : public platform::Shell {
 public:
  bool Open(platform::WindowHandle owner, const std::string& document, int showMode) override {
    launches.push_back({owner, document, showMode});
    return false;  // a failing shell changes nothing for the program
  }
  std::vector<Launch> launches;
};

class ProgramFolderFiles final : public platform::Files {
 public:
  std::string ModulePath() const override { return "C:\\Tools\\Orbelle\\orbl3.exe"; }
  std::string ProgramFolder() const override { return "C:\\Tools\\Orbelle"; }
  std::string JoinPath(const std::string& folder, const std::string& name) const override {
    return platform::JoinWindowsPath(folder, name);
  }
  std::vector<std::string> Arguments() const override { return {}; }
  std::vector<std::string> FindFiles(const std::string&, const std::string&) const override {
    return {};
  }
  std::optional<std::string> ReadFile(const std::string&) const override { return std::nullopt; }
  [[noreturn]] void ExitProcess(int) override { std::abort(); }
};

constexpr platform::WindowHandle kOwner{0x4242};

TEST(Launches, OnlyADocumentInsideTheProgramFolderIsOpenedAsHelp) {
  const char* accepted[] = {
      "ORBL.hlp", "help\\de.hlp", "Help/Orbelle.HTML",         "docs\\manual.pdf", "readme.txt",
      "orbl.CHM", ".\\index.htm", "Hilfe mit Leerzeichen.htm", "v3.1\\guide.htm",
  };
  const char* refused[] = {
      "",                              // a present but empty key
      "..\\orbl.htm",                  // the folder above
      "help\\..\\..\\Windows\\x.htm",  // climbing out through a subfolder
      "...\\x.htm",                    // a row of dots
      "C:\\Windows\\Help\\x.htm",      // a drive
      "c:x.htm",                       // a drive-relative path
      "\\\\server\\share\\x.htm",      // UNC
      "//server/share/x.htm",          // UNC with the other separator
      "\\Windows\\x.htm",              // the root of the current drive
      "/x.htm",                        // the root, written the other way
      "help.htm:evil.exe",             // an alternate data stream
      "setup.exe",                     // a program
      "help.htm.exe",                  // a program behind a document's name
      "help.htm.",                     // trailing dot: the extension is gone
      "help.htm ",                     // trailing blank
      "help",                          // no extension
      "help\\",                        // a folder
      "x*.htm",                        // a wildcard
      "\"x.htm\" --flag",              // quotes
      "line\nbreak.htm",               // a control character
      "report.html\x7F",               // DEL
      "unit\x1Fsep.htm",               // the last control character
  };
  const std::string folder = "C:\\Tools\\Orbelle\\";
  const auto opened = [](const char* name) {
    RecordingShell shell;
    OpenHelp(shell, ProgramFolderFiles{}, kOwner, name);
    return shell.launches.at(0).document;
  };
  for (const char* name : accepted) EXPECT_EQ(opened(name), folder + name);
  for (const char* name : refused) {
    EXPECT_EQ(opened(name), folder + "ORBL.hlp") << '"' << name << '"';
  }
}

TEST(Launches, AnAddressIsPercentEncodedAfterMailto) {
  struct Case {
    std::string address;
    const char* link;
  };
  const Case cases[] = {
      {"a.b-c_d~e@example.org", "mailto:a.b-c_d~e@example.org"},
      {"", "mailto:"},
      {"anna maria@example.org", "mailto:anna%20maria@example.org"},
      {"x@example.org?cc=y@evil.example&body=hi",
       "mailto:x@example.org%3Fcc%3Dy@evil.example%26body%3Dhi"},
      {"x@example.org\r\nBcc: y@evil.example", "mailto:x@example.org%0D%0ABcc%3A%20y@evil.example"},
      {"100%@example.org", "mailto:100%25@example.org"},
      {"%41@example.org", "mailto:%2541@example.org"},  // never decoded twice
      {"\"a\"<b>@x.org", "mailto:%22a%22%3Cb%3E@x.org"},
      {"a+b/c\\d#e@x.org", "mailto:a%2Bb%2Fc%5Cd%23e@x.org"},
      {"ren\xE9@x.org", "mailto:ren%E9@x.org"},
      {std::string("a\0b@x.org", 9), "mailto:a%00b@x.org"},
      {"a\x7F\x01@x.org", "mailto:a%7F%01@x.org"},
      {"x@y.org & calc.exe", "mailto:x@y.org%20%26%20calc.exe"},
  };
  for (const Case& c : cases) EXPECT_EQ(MailtoLink(c.address), c.link) << c.address;
}

}  // namespace
}  // namespace orbl::test
