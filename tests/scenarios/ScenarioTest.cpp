// Runs every scenario in tests/scenarios/*.txt on the simulated computer: the
// program started through its entry as a user starts it, driven through the
// platform's inputs and judged by what the outside world saw. The format is
// described in docs/scenarios.md.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/Orbl3.h"
#include "platform/sim/SimProcess.h"
#include "scenarios/ScenarioFile.h"
#include "settings/RegistrySettings.h"
#include "support/VolumeBroadcast.h"

namespace orbl::test {
namespace {

namespace fs = std::filesystem;
using platform::DriveType;

using scenario::Line;
using scenario::Scenario;
using scenario::Words;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::vector<std::string> MenuPath(const std::string& rest) {
  std::vector<std::string> path;
  std::size_t from = 0;
  for (std::size_t at; (at = rest.find(" > ", from)) != std::string::npos; from = at + 3) {
    path.push_back(rest.substr(from, at - from));
  }
  path.push_back(rest.substr(from));
  return path;
}

std::uint64_t Milliseconds(const std::string& text) {
  const bool ms = text.size() > 2 && text.substr(text.size() - 2) == "ms";
  const double number = std::stod(text.substr(0, text.size() - (ms ? 2 : 1)));
  return static_cast<std::uint64_t>(number * (ms ? 1 : 1000) + 0.5);
}

bool IsNumber(const std::string& text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string IconName(std::uint32_t flags) {
  const char* const names[] = {"none", "error", "question", "warning", "info"};
  const std::uint32_t icon = (flags & 0xF0) >> 4;
  return icon < std::size(names) ? names[icon] : "none";
}

int AnswerId(const std::string& name) {
  const std::pair<const char*, int> answers[] = {
      {"OK", 1}, {"Cancel", 2}, {"Abort", 3}, {"Retry", 4}, {"Ignore", 5}, {"Yes", 6}, {"No", 7}};
  for (auto [text, id] : answers) {
    if (name == text) return id;
  }
  throw std::runtime_error("no such answer: " + name);
}

using scenario::HotKey;

class Runner {
 public:
  explicit Runner(const Scenario& scenario) : scenario_(scenario) {}

  void Go() {
    for (const Line& line : scenario_.lines) {
      SCOPED_TRACE(scenario_.file + ".txt:" + std::to_string(line.number) + ": " + line.verb + " " +
                   line.rest);
      Do(line);
      // A command handed from one process to another, and its reply.
      Computer().RunDueWork();
      EndSessionIfAnswered();
      if (::testing::Test::HasFatalFailure()) return;
    }
  }

  // As Windows: nobody refused the shutdown query, so the session ends and
  // the program with it, after its end-of-session message.
  void EndSessionIfAnswered() {
    if (!shuttingDown_ || !shuttingDown_->Running() || shuttingDown_->AwaitingReply()) return;
    sim::SimProcess& program = *shuttingDown_;
    shuttingDown_ = nullptr;
    program.Send(program.WindowTitled("Orbelle 3")->handle, platform::msg::kEndSession, 1);
    program.Kill();
  }

  ~Runner() {
    for (auto& program : programs_) program->Kill();
  }

 private:
  void Do(const Line& line) {
    const std::string& v = line.verb;
    const std::vector<std::string> w = Words(line.rest);
    // The computer.
    if (v == "tags") return;
    if (v == "drives") {
      drives_ = w;
    } else if (v == "set") {
      Set(kSettingsKey, w.at(0), w.at(1), Quoted(line.rest));
    } else if (v == "set-in") {
      Set(w.at(0), w.at(1), w.at(2), Quoted(line.rest));
    } else if (v == "disc") {
      Computer().Drive(w.at(0)[0]).discInside = true;
    } else if (v == "fault" && line.rest == "atoms") {
      Computer().atomTableFull = true;
    } else if (v == "taken") {
      const auto [modifiers, key] = HotKey(line.rest);
      Computer().hotKeys[{modifiers, key}] = sim::SimHotKey{-1, {}, 1};
    } else if (v == "fault") {
      sim::SimDrive& drive = Computer().Drive(w.at(0)[0]);
      const std::string& what = w.at(1);
      if (what == "none")
        drive.lockRefused = drive.doorRefused = drive.deviceUnopenable = false;
      else if (what == "lock")
        drive.lockRefused = true;
      else if (what == "door")
        drive.doorRefused = true;
      else if (what == "device")
        drive.deviceUnopenable = true;
      else if (what == "audio")
        drive.noDoorDevice = true;
      else if (what == "switch")
        Computer().removalLockCounts = false;
      else
        FAIL() << "no such fault: " << what;
    } else if (v == "file") {
      Computer().files[w.at(0)] = w.at(1);
    } else if (v == "shell") {
      if (w.at(0) == "refuses") {
        Computer().tray.refuseAdds = std::stoi(w.at(1));
      } else if (w.at(0) != "restarts") {
        FAIL() << "no such shell state: " << w.at(0);
      } else {
        Computer().tray.refuseAdds = 0;
        Computer().RestartShell();
      }
      // Inputs.
    } else if (v == "start") {
      Start(w);
    } else if (v == "command") {
      // A second process, as from a shell; it runs until it ends or waits.
      Start(w);
      commands_.push_back(programs_.back().get());
    } else if (v == "freeze") {
      Program().Freeze();
    } else if (v == "menu") {
      Program().TrayRightClick();
      ASSERT_TRUE(Program().MenuOpen()) << "the tray menu did not open";
      Program().ChooseMenuItem(MenuPath(line.rest));
    } else if (v == "nomenu") {
      Program().TrayRightClick();
      EXPECT_FALSE(Program().MenuOpen()) << "the tray menu opened";
      if (Program().MenuOpen()) Program().ChooseMenuItem({});
    } else if (v == "items") {
      // "items Open Door = D: | F:"; "items = ..." for the menu itself.
      const std::size_t eq = line.rest.find('=');
      ASSERT_NE(eq, std::string::npos) << "items PATH = A | B";
      const std::string where = line.rest.substr(0, eq == 0 ? 0 : eq - 1);
      Program().TrayRightClick();
      ASSERT_TRUE(Program().MenuOpen()) << "the tray menu did not open";
      std::string shown;
      for (const std::string& text :
           Program().MenuTexts(where.empty() ? std::vector<std::string>{} : MenuPath(where))) {
        shown += (shown.empty() ? "" : " | ") + text;
      }
      Program().ChooseMenuItem({});
      EXPECT_EQ(shown, line.rest.substr(std::min(eq + 2, line.rest.size())));
    } else if (v == "double-click") {
      if (w.empty())
        Program().TrayDoubleClick();
      else
        Program().DoubleClickWindow(Program().WindowTitled(w.at(0))->handle);
    } else if (v == "hotkey") {
      const auto [modifiers, key] = HotKey(line.rest);
      EXPECT_TRUE(Computer().PressHotKey(modifiers, key)) << "nobody holds " << line.rest;
    } else if (v == "nohotkey") {
      const auto [modifiers, key] = HotKey(line.rest);
      EXPECT_EQ(Computer().hotKeys.count({modifiers, key}), 0u) << "someone holds " << line.rest;
    } else if (v == "removal") {
      std::uint32_t mask = 0;
      for (const std::string& letter : w) mask |= UnitBit(letter[0]);
      // No letters: a removal without a volume's notice (a USB stick's interface).
      Program().Send(OptionsWindow(), platform::msg::kDeviceChange,
                     platform::msg::kDbtDeviceRemoveComplete,
                     w.empty() ? std::vector<std::byte>{} : VolumeBroadcast(20, 2, mask));
    } else if (v == "eject-button") {
      Computer().PressEjectButton(w.at(0)[0]);
    } else if (v == "shutdown") {
      // The session ends once the query has been answered (EndSessionIfAnswered).
      shuttingDown_ = &Program();
      Program().Send(OptionsWindow(), platform::msg::kQueryEndSession, 0);
    } else if (v == "power") {
      Program().Send(OptionsWindow(), platform::msg::kPowerBroadcast, PowerEvent(line.rest));
    } else if (v == "answer") {
      ASSERT_FALSE(Program().OpenBoxes().empty()) << "no box is open";
      Program().AnswerBox(AnswerId(line.rest));
    } else if (v == "click") {
      // click Close now / click "Change..." 2 (the second such control)
      if (line.rest.front() == '"') {
        Click(w.at(0), w.size() > 1 ? std::stoi(w[1]) : 1);
      } else {
        Click(line.rest, 1);
      }
    } else if (v == "select") {
      Select(line.rest);
    } else if (v == "arrows") {
      const sim::SimControl* field = ShownOfKind(platform::ControlKind::NumberField);
      ASSERT_TRUE(field != nullptr) << "no number field is shown";
      Program().PressArrow(field->handle, std::stoi(line.rest));
    } else if (v == "hover") {
      const sim::SimControl* link = Shown(line.rest);
      ASSERT_TRUE(link != nullptr) << "no link says \"" << line.rest << '"';
      const platform::ControlHandle handle = link->handle;
      Program().HoverControl(handle, true);
      EXPECT_TRUE(Shown(line.rest)->highlighted) << "not blue under the mouse";
      Program().HoverControl(handle, false);
      EXPECT_FALSE(Shown(line.rest)->highlighted) << "still blue after the mouse left";
    } else if (v == "minimize") {
      Program().Send(OptionsWindow(), platform::msg::kSysCommand, platform::msg::kScMinimize | 2);
    } else if (v == "close-window") {
      const sim::SimWindow* window = Program().WindowTitled(w.at(0));
      ASSERT_TRUE(window != nullptr) << "no window titled " << w.at(0);
      Program().CloseWindowByUser(window->handle);
    } else if (v == "hide-window") {
      const sim::SimWindow* window = Program().WindowTitled(w.at(0));
      ASSERT_TRUE(window != nullptr) << "no window titled " << w.at(0);
      const platform::WindowHandle handle = window->handle;
      sim::SimProcess& program = Program();
      program.Inject([&program, handle] { program.Platform().windows.ShowWindow(handle, false); });
    } else if (v == "close") {
      Program().Post(Program().WindowTitled("Orbelle")->handle, platform::msg::kClose);
    } else if (v == "wait") {
      Computer().Advance(Milliseconds(line.rest));
    } else if (v == "kill") {
      Program().Kill();
    } else if (v == "reboot") {
      for (auto& program : programs_) program->Kill();
      Computer().Reboot();
      // Outputs.
    } else if (v == "log") {
      ExpectLog(line.rest);
    } else if (v == "nolog") {
      for (std::size_t i = cursor_; i < Computer().log.size(); ++i) {
        EXPECT_EQ(Computer().log[i].find(line.rest), std::string::npos) << Computer().log[i];
      }
    } else if (v == "box") {
      ExpectBox(w);
    } else if (v == "answered" || v == "unanswered") {
      // The sender of the last message sent has its answer / still waits.
      EXPECT_EQ(Program().AwaitingReply(), v == "unanswered");
    } else if (v == "nobox") {
      EXPECT_TRUE(Program().OpenBoxes().empty()) << "open: " << Program().OpenBoxes().back().text;
    } else if (v == "window" && line.rest == "none") {
      for (const sim::SimWindow* window : Program().Windows()) {
        EXPECT_FALSE(window->visible) << "shown: " << window->title;
      }
    } else if (v == "window" || v == "nowindow") {
      const sim::SimWindow* window = Program().WindowTitled(w.at(0));
      EXPECT_EQ(window != nullptr && window->visible, v == "window") << w.at(0);
    } else if (v == "shows") {
      const std::string text = line.rest.front() == '"' ? w.at(0) : line.rest;
      EXPECT_TRUE(Shown(text) != nullptr || BarButton(text))
          << "no shown control says \"" << text << '"';
    } else if (v == "ticked" || v == "unticked") {
      const sim::SimControl* box = Shown(line.rest);
      ASSERT_TRUE(box != nullptr) << "no shown box says \"" << line.rest << '"';
      EXPECT_EQ(box->checked, v == "ticked");
    } else if (v == "selected") {
      EXPECT_TRUE(Selected(line.rest)) << "no shown list has \"" << line.rest << "\" selected";
    } else if (v == "default") {
      EXPECT_EQ(DefaultButton(), line.rest);
    } else if (v == "stored") {
      ExpectStored(kSettingsKey, w.at(0), w.at(1), Quoted(line.rest));
    } else if (v == "stored-in") {
      ExpectStored(w.at(0), w.at(1), w.at(2), Quoted(line.rest));
    } else if (v == "beeps") {
      std::string heard;
      for (auto [hz, ms] : Computer().beeps) {
        heard += (heard.empty() ? "" : " ") + std::to_string(hz) + "/" + std::to_string(ms);
      }
      Computer().beeps.clear();
      EXPECT_EQ(heard, line.rest);
    } else if (v == "tray") {
      const sim::SimTrayIcon* icon = Program().TrayIcon();
      if (line.rest == "none") {
        EXPECT_TRUE(icon == nullptr) << "an icon: " << icon->tip;
      } else {
        ASSERT_TRUE(icon != nullptr) << "no tray icon";
        EXPECT_EQ(icon->tip, w.at(0));
        // "first": asked for before any window but the application window.
        if (w.size() > 1) {
          EXPECT_EQ(icon->windowsWhenAdded, std::vector<std::string>{"Orbelle"});
        }
      }
    } else if (v == "exit" && line.rest == "none") {
      EXPECT_FALSE(Newest().Running());
      EXPECT_FALSE(Newest().ExitCode().has_value()) << "exit code " << *Newest().ExitCode();
    } else if (v == "exit") {
      EXPECT_EQ(Newest().ExitCode(), std::stoi(line.rest));
    } else if (v == "output" || v == "errors") {
      ASSERT_FALSE(commands_.empty()) << "no command was given";
      const sim::SimProcess& command = *commands_.back();
      EXPECT_EQ(v == "output" ? command.Output() : command.Errors(), w.empty() ? "" : w.at(0));
    } else if (v == "running") {
      EXPECT_TRUE(Newest().Running());
    } else {
      FAIL() << "no such verb: " << v;
    }
  }

  sim::SimWorld& Computer() {
    if (!world_) {
      world_ = std::make_unique<sim::SimWorld>();
      world_->AddDrive('C', DriveType::Fixed);
      ShipFiles(*world_);
    }
    return *world_;
  }

  // The program folder as the installer leaves it.
  static void ShipFiles(sim::SimWorld& world) {
    static const std::vector<std::pair<std::string, std::string>> files = [] {
      std::vector<std::pair<std::string, std::string>> list;
      for (const auto& entry : fs::directory_iterator(ORBL_LANGUAGE_DIR)) {
        list.emplace_back(
            "C:\\Program Files\\Orbelle\\Language\\" + entry.path().filename().string(),
            ReadFile(entry.path()));
      }
      return list;
    }();
    for (const auto& [path, bytes] : files) world.files[path] = bytes;
  }

  // The last word "quoted" is a text, bare digits a number.
  static bool Quoted(const std::string& rest) { return !rest.empty() && rest.back() == '"'; }

  void Set(const std::string& key, const std::string& name, const std::string& value, bool text) {
    if (!text && IsNumber(value))
      Computer().SetNumber(key, name, static_cast<std::uint32_t>(std::stoul(value)));
    else
      Computer().SetText(key, name, value);
  }

  void Start(const std::vector<std::string>& arguments) {
    sim::SimWorld& world = Computer();
    if (!started_) {
      for (const std::string& letter : drives_) world.AddDrive(letter[0], DriveType::CdRom);
      started_ = true;
    }
    sim::SimProcess::Options options;
    options.arguments = arguments;
    programs_.push_back(std::make_unique<sim::SimProcess>(world, options));
    programs_.back()->Start([](platform::Platform& p) { RunProgram(p); });
  }

  // The newest program still running, else the newest; commands aside.
  sim::SimProcess& Program() {
    for (auto it = programs_.rbegin(); it != programs_.rend(); ++it) {
      if ((*it)->Running() && std::ranges::count(commands_, it->get()) == 0) return **it;
    }
    return Newest();
  }
  sim::SimProcess& Newest() {
    if (programs_.empty()) throw std::runtime_error("the program was never started");
    return *programs_.back();
  }
  platform::WindowHandle OptionsWindow() { return Program().WindowTitled("Orbelle 3")->handle; }

  static std::uint64_t PowerEvent(const std::string& name) {
    if (name == "suspend") return platform::msg::kPbtApmSuspend;
    if (name == "query-suspend") return platform::msg::kPbtApmQuerySuspend;
    if (name == "resume") return platform::msg::kPbtApmResumeSuspend;
    if (name == "resume-automatic") return platform::msg::kPbtApmResumeAutomatic;
    if (name == "resume-critical") return platform::msg::kPbtApmResumeCritical;
    if (name == "query-failed") return platform::msg::kPbtApmQuerySuspendFailed;
    return std::stoull(name, nullptr, 0);  // another code: 0xA
  }

  // The shown controls of the program's shown windows, the newest window
  // first; of the topmost one alone when `top` is set.
  std::vector<const sim::SimControl*> ShownControls(bool top = false) {
    std::vector<const sim::SimControl*> shown;
    const std::vector<const sim::SimWindow*> windows = Program().Windows();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
      if (!(*it)->visible) continue;
      for (const sim::SimControl* control : Program().Controls((*it)->handle)) {
        if (control->visible) shown.push_back(control);
      }
      if (top) break;
    }
    return shown;
  }

  const sim::SimControl* Shown(const std::string& text, int nth = 1) {
    for (const sim::SimControl* control : ShownControls()) {
      if (control->text == text && --nth == 0) return control;
    }
    return nullptr;
  }

  const sim::SimControl* ShownOfKind(platform::ControlKind kind) {
    for (const sim::SimControl* control : ShownControls(true)) {
      if (control->params.kind == kind) return control;
    }
    return nullptr;
  }

  // A shown list or drop-down list of the topmost window has TEXT selected.
  bool Selected(const std::string& text) {
    return std::ranges::any_of(ShownControls(true), [&](const sim::SimControl* control) {
      const auto at = static_cast<std::size_t>(control->selection);
      return control->selection >= 0 && at < control->items.size() && control->items[at] == text;
    });
  }

  // The caption of the button Enter presses in the topmost shown window.
  std::string DefaultButton() {
    for (const sim::SimControl* control : ShownControls(true)) {
      if (control->params.defaultButton) return control->text;
    }
    return "(none)";
  }

  bool BarButton(const std::string& text) {
    return std::ranges::any_of(ShownControls(), [&](const sim::SimControl* control) {
      return std::ranges::count(control->barButtons, text) != 0;
    });
  }

  void Click(const std::string& text, int nth) {
    const sim::SimControl* control = Shown(text, nth);
    if (control == nullptr && nth == 1) return Select(text);  // a bar's button
    ASSERT_TRUE(control != nullptr) << "no control captioned \"" << text << "\" in a shown window";
    Program().ClickControl(control->handle);
  }

  // Picks the entry TEXT of a list, drop-down list or button bar in the
  // program's topmost shown window that has one.
  void Select(const std::string& text) {
    for (const sim::SimControl* control : ShownControls()) {
      const auto& entries = control->params.kind == platform::ControlKind::ButtonBar
                                ? control->barButtons
                                : control->items;
      const auto found = std::ranges::find(entries, text);
      if (found == entries.end()) continue;
      Program().SelectItem(control->handle, static_cast<int>(found - entries.begin()));
      return;
    }
    ADD_FAILURE() << "no list in a shown window offers \"" << text << '"';
  }

  void ExpectLog(const std::string& wanted) {
    const bool prefix = !wanted.empty() && wanted.back() == '*';
    const std::string text = prefix ? wanted.substr(0, wanted.size() - 1) : wanted;
    // "[12.300] door close D" is judged with its virtual time.
    const bool timed = !text.empty() && text[0] == '[';
    const std::vector<std::string>& log = timed ? Computer().timedLog : Computer().log;
    for (std::size_t i = cursor_; i < log.size(); ++i) {
      if (prefix ? log[i].rfind(text, 0) == 0 : log[i] == text) {
        cursor_ = i + 1;
        return;
      }
    }
    std::string seen;
    for (std::size_t i = cursor_; i < log.size(); ++i) seen += "\n    " + log[i];
    ADD_FAILURE() << "no line \"" << wanted << "\" after the last one matched; there were:" << seen;
  }

  void ExpectBox(const std::vector<std::string>& w) {
    const std::vector<sim::SimBox> boxes = Program().OpenBoxes();
    ASSERT_FALSE(boxes.empty()) << "no box is open";
    const sim::SimBox& box = boxes.back();
    EXPECT_EQ(box.caption, w.at(0));
    EXPECT_EQ(IconName(box.flags), w.at(1));
    EXPECT_FALSE(box.behind) << "the box opened behind the window in front";
    std::string text;
    for (std::size_t i = 2; i < w.size(); ++i) text += (i > 2 ? " " : "") + w[i];
    // A box's line break, written \n, is the system's CR LF.
    for (std::size_t at; (at = text.find("\\n")) != std::string::npos;) text.replace(at, 2, "\r\n");
    EXPECT_EQ(box.text, text);
  }

  void ExpectStored(const std::string& key, const std::string& name, const std::string& wanted,
                    bool text) {
    const std::optional<platform::StoredValue> value = Computer().Value(key, name);
    if (!text && wanted == "none") {
      EXPECT_FALSE(value.has_value()) << name;
      return;
    }
    ASSERT_TRUE(value.has_value()) << name << " is not stored";
    if (!text && IsNumber(wanted)) {
      ASSERT_EQ(value->type, platform::ValueType::Number) << name;
      std::uint32_t number = 0;
      ASSERT_EQ(value->data.size(), 4u) << name;
      std::memcpy(&number, value->data.data(), 4);
      EXPECT_EQ(number, std::stoul(wanted)) << name;
    } else {
      EXPECT_EQ(Computer().Text(key, name), wanted) << name;
    }
  }

  const Scenario& scenario_;
  std::unique_ptr<sim::SimWorld> world_;
  std::vector<std::string> drives_{"D", "F"};
  bool started_ = false;
  std::vector<std::unique_ptr<sim::SimProcess>> programs_;
  std::vector<sim::SimProcess*> commands_;  // started by "command"
  std::size_t cursor_ = 0;
  sim::SimProcess* shuttingDown_ = nullptr;
};

class ScenarioCase : public ::testing::Test {
 public:
  explicit ScenarioCase(Scenario scenario) : scenario_(std::move(scenario)) {}
  void TestBody() override { Runner(scenario_).Go(); }

 private:
  Scenario scenario_;
};

// Test names: the file, then the title with its blanks and punctuation as _.
std::string TestName(const std::string& title) {
  std::string name;
  for (char c : title) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return name;
}

const bool kRegistered = [] {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(ORBL_SCENARIO_DIR)) {
    if (entry.path().extension() == ".txt" && entry.path().stem() != "CMakeLists") {
      files.push_back(entry.path());
    }
  }
  std::sort(files.begin(), files.end());
  for (const fs::path& file : files) {
    for (Scenario& scenario : orbl::scenario::ReadScenarios(file.string())) {
      const std::string suite = "Scenario_" + TestName(scenario.file);
      const std::string name = TestName(scenario.title);
      ::testing::RegisterTest(
          suite.c_str(), name.c_str(), nullptr, nullptr, __FILE__, __LINE__,
          [scenario]() -> ::testing::Test* { return new ScenarioCase(scenario); });
    }
  }
  return true;
}();

}  // namespace
}  // namespace orbl::test
