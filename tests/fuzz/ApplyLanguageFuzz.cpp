// The whole language step of the running program over any language file: the
// interface texts, the options window's pages, the tray menu, the dialogs, the
// action lists and the double-click selection rebuilt from what the file
// gives. One simulated program is started once and takes every input in
// turn, so a file applied after another one meets the texts that one left.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "app/FrmMain.h"
#include "fuzz/Fuzz.h"
#include "language/InterfaceTexts.h"
#include "language/Language.h"
#include "platform/sim/SimProcess.h"
#include "support/LanguageKeys.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

struct Running {
  orbl::sim::SimWorld world;
  orbl::sim::SimProcess program{world};
  std::optional<orbl::TFrmMain> frmMain;
  std::string languageFile;

  Running() {
    world.AddDrive('D', orbl::platform::DriveType::CdRom);
    world.AddDrive('E', orbl::platform::DriveType::CdRom);
    program.Start([this](orbl::platform::Platform& p) {
      const auto appWindow = p.windows.CreateTopWindow({}, {});
      frmMain.emplace(p, appWindow, p.atoms.Add("ORBL"));
      frmMain->StartUp();
      p.windows.RunLoop();
    });
    languageFile = orbl::DefaultLanguageFile(program.Platform().files);
  }
};

// The first byte picks the form: raw bytes, or records [key][length][bytes]
// written under the sections and keys the program reads.
std::string MakeContent(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return {};
  if ((data[0] & 0x01) == 0) return std::string(reinterpret_cast<const char*>(data + 1), size - 1);
  const auto& texts = orbl::kInterfaceTexts;
  const auto& captions = orbl::test::WindowCaptionKeys();
  std::string content;
  std::size_t i = 1;
  while (i + 2 <= size) {
    const std::size_t slot = data[i] % (texts.size() + captions.size());
    std::size_t length = data[i + 1] % 64;
    i += 2;
    if (length > size - i) length = size - i;
    const std::string value(reinterpret_cast<const char*>(data + i), length);
    i += length;
    const bool text = slot < texts.size();
    const std::string section = text ? texts[slot].Section : captions[slot - texts.size()].section;
    const std::string key = text ? texts[slot].Key : captions[slot - texts.size()].key;
    content += "[" + section + "]\r\n" + key + "=" + value + "\r\n";
  }
  return content;
}

}  // namespace

int orbl::fuzz::ApplyLanguage(const std::uint8_t* data, std::size_t size) {
  static auto* running = new Running();  // lives as long as the fuzzing
  running->world.files[running->languageFile] = MakeContent(data, size);
  const std::size_t doubleEntries = running->frmMain->ActionLists.Double.size();
  running->program.Inject([] { running->frmMain->ApplyLanguage(); });
  Check(running->program.Running());
  Check(running->program.OpenBoxes().empty());
  // Whatever the texts, the lists keep one entry per action.
  Check(running->frmMain->ActionLists.Double.size() == doubleEntries);
  Check(running->frmMain->Options.Language == running->languageFile);
  return 0;
}
