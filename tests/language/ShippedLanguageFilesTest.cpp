// The language files shipped in Language\: complete, alike in their keys,
// English.ini equal to the program's own texts, every file in Windows-1252
// and the help page they name shipped.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "language/IniFile.h"
#include "language/Language.h"
#include "platform/AsciiCase.h"
#include "support/Computer.h"
#include "ui/OptionsControls.h"

namespace orbl {
namespace {

const char* const kShipped[] = {"English.ini", "German.ini", "French.ini"};

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::string Shipped(const std::string& name) {
  return ReadBytes(std::string(ORBL_LANGUAGE_DIR) + "/" + name);
}

using KeySet = std::set<std::pair<std::string, std::string>>;

// Section and key names as the reader compares them, without regard to case.
KeySet KeysOf(const TIniFile& file) {
  KeySet keys;
  for (const auto& k : file.Keys()) keys.insert({AsciiLower(k.section), AsciiLower(k.key)});
  return keys;
}

// The translations hold English.ini's keys, each once, and no other: a key
// given twice, or a section opened twice, would hide a text. That English.ini
// holds every key the program reads, the two tests of English below show.
TEST(ShippedLanguageFiles, HoldEnglishKeysOnceAndNoOther) {
  const KeySet english = KeysOf(TIniFile(Shipped("English.ini")));
  for (const char* name : kShipped) {
    const TIniFile file(Shipped(name));
    EXPECT_EQ(KeysOf(file).size(), file.Keys().size()) << name << ": a key given twice";
    for (const auto& k : file.Keys()) {
      EXPECT_TRUE(file.Find(k.section, k.key).has_value())
          << name << " [" << k.section << "] " << k.key;
    }
    EXPECT_EQ(KeysOf(file), english) << name;
  }
}

// The program's table of texts against the shipped file, an outside source:
// each built-in text is English.ini's, and the program reads it from there.
// The one deliberate difference: English.ini names the shipped help page, the
// built-in name a help file that is not shipped.
TEST(ShippedLanguageFiles, EnglishGivesTheBuiltInTexts) {
  const TIniFile english(Shipped("English.ini"));
  TInterfaceTexts read;
  ReadInterfaceTexts(english, read);
  ReadCloseNowTexts(english, read);
  EXPECT_EQ(read.HelpFile, "orbelle-help.html");
  read.HelpFile = TInterfaceTexts().HelpFile;
  EXPECT_EQ(read, TInterfaceTexts());
  for (const TInterfaceText& k : kInterfaceTexts) {
    if (std::string(k.Key) == "HelpFile") continue;
    EXPECT_EQ(english.Find(k.Section, k.Key), std::string(k.BuiltIn)) << k.Key;
  }
}

TEST(ShippedLanguageFiles, AreWindows1252) {
  for (const char* name : kShipped) {
    const std::string bytes = Shipped(name);
    EXPECT_NE(bytes.substr(0, 3), "\xEF\xBB\xBF") << name;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      // No control characters but the line ends; 0x81, 0x8D, 0x8F, 0x90 and
      // 0x9D are no characters in Windows-1252.
      const auto byte = static_cast<unsigned char>(bytes[i]);
      const bool control = byte < 0x20 && byte != '\r' && byte != '\n';
      const bool unassigned =
          byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D;
      EXPECT_FALSE(control || unassigned || byte == 0x7F) << name << ": byte " << int{byte};
      // A Latin letter saved as UTF-8: a lead byte and its continuation byte.
      const auto next = i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) : 0;
      EXPECT_FALSE(byte >= 0xC2 && byte <= 0xDF && (next & 0xC0) == 0x80) << name << " at " << i;
    }
  }
  // The translations use their letters, not stand-ins.
  EXPECT_NE(Shipped("German.ini").find("\xF6"), std::string::npos) << "no o-umlaut";
  EXPECT_NE(Shipped("French.ini").find("\xE9"), std::string::npos) << "no e-acute";
}

// The help page the files name is shipped, and it is a page of its own: no
// script and nothing fetched from elsewhere.
TEST(ShippedLanguageFiles, NameTheShippedHelpPage) {
  const std::string page = ReadBytes(ORBL_HELP_PAGE);
  ASSERT_FALSE(page.empty());
  EXPECT_TRUE(std::string(ORBL_HELP_PAGE).ends_with("/orbelle-help.html"));
  for (const char* absent : {"<script", "src=\"http", "href=\"http", "url(", "@import"}) {
    EXPECT_EQ(page.find(absent), std::string::npos) << absent;
  }
  // Every option of the pages, named by its English caption.
  const TIniFile english(Shipped("English.ini"));
  std::vector<TInterfaceText> captions(std::begin(kInterfaceTexts), std::end(kInterfaceTexts));
  // Interval names two labels: the shown one, made first, is explained.
  std::set<std::string> keys;
  for (const TOptionsControl& control : kOptionsControls) {
    if (control.Key != nullptr && keys.insert(control.Key).second)
      captions.push_back({nullptr, control.Section, control.Key, control.BuiltIn});
  }
  for (const auto& k : captions) {
    const std::string section = k.Section;
    if (section != "CommonOptions" && section != "DeviceOptions" && section != "Menu") continue;
    const std::string key = k.Key;
    // Hidden controls are not explained, groups are headings.
    if (key == "Ejectiong" || key == "SpyChk" || key == "TryEvery" || key == "Seconds") continue;
    std::string caption = k.BuiltIn;
    caption.erase(0, caption.find_first_not_of(' '));
    std::string escaped;
    for (const char c : caption) escaped += c == '&' ? std::string("&amp;") : std::string(1, c);
    EXPECT_NE(page.find(escaped), std::string::npos) << "the help page lacks \"" << caption << '"';
  }
}

// Every title, control text, list entry and bar caption of the program's
// windows, in the order they were built.
std::vector<std::string> EveryText(const sim::SimProcess& program) {
  std::vector<std::string> texts;
  for (const sim::SimWindow* window : program.Windows()) {
    texts.push_back("[" + window->title + "]");
    for (const sim::SimControl* control : program.Controls(window->handle)) {
      texts.push_back(control->text);
      // The hot key dialog's key list takes the names in use when it shows.
      if (control->items.size() < 60) {
        for (const std::string& item : control->items) texts.push_back("  " + item);
      }
      for (const std::string& caption : control->barButtons) texts.push_back("  " + caption);
    }
  }
  return texts;
}

// English.ini with a '~' at the end of every value (inside its quotes).
std::string MarkedEnglish() {
  std::istringstream in(Shipped("English.ini"));
  std::string marked;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.find('=') != std::string::npos && line.rfind("LangName", 0) != 0) {
      const bool quoted = line.size() > 1 && line.back() == '"';
      line.insert(line.size() - (quoted ? 1 : 0), "~");
    }
    marked += line + "\r\n";
  }
  return marked;
}

std::vector<std::string> EveryTextAfterStartUp(const std::string& language, bool showOptions) {
  test::Computer pc({{'D', platform::DriveType::CdRom}});
  if (!language.empty()) {
    pc.world.files["C:\\Program Files\\Orbelle\\Language\\English.ini"] = language;
  }
  auto& program = pc.Start();
  if (showOptions) {
    program.TrayRightClick();
    program.ChooseMenuItem({program.MenuTexts().at(6)});  // Options...
  }
  std::vector<std::string> texts = EveryText(program);
  if (showOptions) return texts;  // the tray offers no menu meanwhile
  program.TrayRightClick();
  for (const std::string& item : program.MenuTexts()) texts.push_back("menu " + item);
  program.ChooseMenuItem({});
  return texts;
}

// English.ini, applied by start-up and again by every showing of the options
// window, leaves every window exactly as the program builds it; with every
// value marked, every text but those that are no words comes from the file.
// A key misspelt in the file or in the program, or one never read, shows here.
TEST(ShippedLanguageFiles, EnglishLeavesEveryWindowAsBuilt) {
  for (bool showOptions : {false, true}) {
    SCOPED_TRACE(showOptions ? "options shown" : "after start-up");
    auto builtIn = EveryTextAfterStartUp("", showOptions);
    auto english = EveryTextAfterStartUp(Shipped("English.ini"), showOptions);
    // The differences there must be: the language list lists the file, and
    // the one key Interval names both interval labels, the never-shown one
    // built as "Interval:" too.
    english.erase(std::remove(english.begin(), english.end(), "  English (English)"),
                  english.end());
    std::replace(builtIn.begin(), builtIn.end(), std::string("Interval:"),
                 std::string("Interval (seconds):"));
    EXPECT_EQ(english, builtIn);
    EXPECT_GT(builtIn.size(), 80u);

    std::set<std::string> unmarked;
    for (const std::string& text : EveryTextAfterStartUp(MarkedEnglish(), showOptions)) {
      if (text.find('~') == std::string::npos) unmarked.insert(text);
    }
    // No words: titles and names without a key, numbers, drive letters, the
    // web address; the modifier boxes and the close-now dialog's lines take
    // their words from the interface texts only when they show.
    std::set<std::string> expected = {"",
                                      "  ",
                                      "  D:",
                                      "  English (English)",
                                      "15",
                                      "20",
                                      "Alt",
                                      "Close (15)",
                                      "Ctrl",
                                      "Drive K:",
                                      "Orbelle",
                                      "Shift",
                                      "Single click on tray icon",
                                      "Version 3.1.2",
                                      "Win",
                                      "[Orbelle 3]",
                                      "[Orbelle]",
                                      "https://www.example.com/orbelle/"};
    if (!showOptions) expected.insert("menu -");
    EXPECT_EQ(unmarked, expected);
  }
}

}  // namespace
}  // namespace orbl
