// Language files are outside input: anyone may drop any file into the
// language folder. Two targets read them: the language step alone, whose texts
// may be empty, equal to each other or to a key's own name while key names
// and hot key texts made from them must still convert consistently; and the
// whole step of a running program (options window, tray menu, dialogs, action
// lists and the double-click selection rebuilt from whatever the file gives).
#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>

#include "app/FrmMain.h"
#include "fuzz/Fuzz.h"
#include "language/Language.h"
#include "platform/AsciiCase.h"
#include "platform/sim/SimProcess.h"
#include "ui/VirtualKeys.h"

namespace orbl::fuzz {
namespace {

// Input: [form] then the file: the rest as it is when form bit 0 is clear, else
// records [pick][how][value] of keys the shipped English file or the texts
// have (so that the keys read are reached at all; `how` may lower the section's
// case or put blanks around the key) or of lines of any text. Each section is
// written once: a second one of a name is never read.
std::string LanguageFile(Input& input) {
  if ((input.Number(1) & 0x01) == 0) return input.Text(input.Left());
  static const std::vector<TIniFile::KeyName> keys = [] {
    std::ifstream in(ORBL_SHIPPED_ENGLISH, std::ios::binary);
    Check(in.good());
    auto all = TIniFile(std::string(std::istreambuf_iterator<char>(in), {})).Keys();
    for (const auto& text : kInterfaceTexts) all.push_back({text.Section, text.Key});
    return all;
  }();
  std::string content;
  std::map<std::string, std::string> sections;
  while (input.Left() >= 2) {
    const std::size_t pick = input.Number(1) % (keys.size() + 8);
    const auto how = input.Number(1);
    const std::string value = input.Text(how % 64);
    if (pick >= keys.size()) {
      content += value + "\n";
      continue;
    }
    const auto& [section, key] = keys[pick];
    const std::string header = "[" + ((how & 0x80) != 0 ? AsciiLower(section) : section) + "]\r\n";
    sections.try_emplace(section, header).first->second +=
        ((how & 0x40) != 0 ? " " + key + "\t" : key) + "=" + value + "\r\n";
  }
  for (const auto& [name, text] : sections) content += text;
  return content;
}

// A key code to its name and back must come to the same name: the name may
// stand for another code when texts coincide, but that code shows it again.
// The round trip costs more than all the rest: a run takes one code in eight.
void CheckKeyNames(const TInterfaceTexts& texts, std::size_t eighth) {
  const auto roundTrip = [&](const std::string& name) {
    return name.empty() || KeyCodeToName(KeyNameToCode(name, texts), texts) == name;
  };
  for (std::size_t code = eighth; code < 256; code += 8) {
    Check(roundTrip(KeyCodeToName(static_cast<std::int32_t>(code), texts)));
  }
  // With the named keys' names none a name of the fixed entries, an entry
  // named once in the list is its own key again.
  const std::vector<std::string> list = KeyList(texts);
  if (std::any_of(list.begin(), list.begin() + 9, [](const auto& n) { return n.size() < 2; }))
    return;
  for (std::size_t i = eighth; i < list.size(); i += 8) {
    Check(std::count(list.begin(), list.end(), list[i]) > 1 || roundTrip(list[i]));
  }
}

// One simulated program, started once, takes every input in turn: a file
// applied after another one meets the texts that one left. Its state is its
// own; the double-click list is read from the options window's control.
struct Running {
  sim::SimWorld world;
  sim::SimProcess program{world};
  std::optional<TFrmMain> frmMain;
  std::string languageFile;
  platform::ControlHandle doubleList;
  std::size_t doubleEntries = 0;

  Running() {
    world.AddDrive('D', platform::DriveType::CdRom);
    world.AddDrive('E', platform::DriveType::CdRom);
    program.Start([this](platform::Platform& p) {
      frmMain.emplace(p, p.windows.CreateTopWindow({}, {}), p.atoms.Add("ORBL"));
      frmMain->StartUp();
      p.windows.RunLoop();
    });
    languageFile = DefaultLanguageFile(program.Platform().files);
    options = program.WindowTitled("Orbelle 3")->handle;  // before any file renames it
    doubleEntries = DoubleEntries(true);
  }
  // The entries of the options window's double-click list.
  std::size_t DoubleEntries(bool find = false) {
    for (const sim::SimControl* control : program.Controls(options)) {
      const auto& items = control->items;
      if (find && std::count(items.begin(), items.end(), "Show options dialog") != 0) {
        doubleList = control->handle;
      }
      if (control->handle == doubleList) return items.size();
    }
    return 0;
  }
  platform::WindowHandle options;
};

}  // namespace

int Language(const std::uint8_t* data, std::size_t size) {
  Input input(data, size);
  const TIniFile file(LanguageFile(input));
  const TInterfaceTexts builtIn;
  TInterfaceTexts texts;
  ReadInterfaceTexts(file, texts);
  ReadCloseNowTexts(file, texts);
  // A text the file gives is its value; every other one is unchanged. Read a
  // second time over its own texts, the file changes nothing.
  TInterfaceTexts again = texts;
  ReadInterfaceTexts(file, again);
  ReadCloseNowTexts(file, again);
  for (const TInterfaceText& k : kInterfaceTexts) {
    Check(texts.*k.Member == file.Find(k.Section, k.Key).value_or(builtIn.*k.Member));
    Check(again.*k.Member == texts.*k.Member && (texts.*k.Member).size() <= TIniFile::kMaxValue);
  }
  Check(ReadTranslatorInfo(file).Email.size() <= TIniFile::kMaxValue);
  Check(LanguageListEntry(file).ends_with(")"));

  CheckKeyNames(texts, size > 0 ? data[0] >> 5 : 0);
  // Any key with the modifiers the first byte asks for.
  const std::uint8_t key = size > 0 ? data[size - 1] : 0;
  const std::uint8_t mods = size > 0 ? data[0] : 0;
  const std::string text =
      HotKeyText({(mods & 2) != 0, (mods & 4) != 0, (mods & 8) != 0, (mods & 16) != 0, key}, texts);
  Check(key == 0 ? text == texts.Key_None : text.ends_with(KeyCodeToName(key, texts)));
  return 0;
}

int ApplyLanguage(const std::uint8_t* data, std::size_t size) {
  static auto* running = new Running();  // lives as long as the fuzzing
  Input input(data, size);
  running->world.files[running->languageFile] = LanguageFile(input);
  running->program.Inject([] { running->frmMain->ApplyLanguage(); });
  Check(running->program.Running() && running->program.OpenBoxes().empty());
  // Whatever the texts, the lists keep one entry per action.
  Check(running->DoubleEntries() == running->doubleEntries);
  return 0;
}

}  // namespace orbl::fuzz
