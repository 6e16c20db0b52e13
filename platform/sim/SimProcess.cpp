#include "platform/sim/SimProcess.h"

#include "platform/AsciiCase.h"
#include "platform/FilePattern.h"
#include "platform/RegistryAutostart.h"
#include "platform/WindowsPath.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <stdexcept>

namespace orbl::sim {

using namespace orbl::platform;

namespace {

bool IsLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Thrown on the program's thread to unwind it when it ends. Neither derives
// from std::exception, so the program's own error handling cannot swallow it.
struct ProcessEnded {};
struct ProcessKilled {};

std::string ShowValue(const StoredValue& value) {
  if (value.type == ValueType::Number && value.data.size() == 4) {
    std::uint32_t number = 0;
    std::memcpy(&number, value.data.data(), 4);
    return std::to_string(number) + " (number)";
  }
  if (value.type == ValueType::Text) {
    std::string text(reinterpret_cast<const char*>(value.data.data()), value.data.size());
    return "\"" + text.substr(0, text.find('\0')) + "\"";
  }
  return "(" + std::to_string(value.data.size()) + " bytes of type " +
         std::to_string(static_cast<std::uint32_t>(value.type)) + ")";
}

}  // namespace

// ---------------------------------------------------------------------------
// The platform interfaces, each a thin view of the process and its world.

class SimWindowSystem final : public WindowSystem {
 public:
  explicit SimWindowSystem(SimProcess& p) : p_(p) {}

  WindowHandle CreateTopWindow(const WindowSpec& params, WindowEvents events) override {
    SimWindow window;
    window.handle = p_.world_.NewWindowHandle();
    window.params = params;
    window.title = params.title;
    window.events = std::move(events);
    const WindowHandle handle = window.handle;
    p_.windows_[handle] = std::move(window);
    return handle;
  }
  void SetWindowTitle(WindowHandle window, const std::string& title) override {
    if (SimWindow* w = p_.MutableWindow(window)) w->title = title;
  }
  std::string WindowTitle(WindowHandle window) const override {
    const SimWindow* w = p_.Window(window);
    return w ? w->title : std::string();
  }
  void ShowWindow(WindowHandle window, bool visible) override {
    SimWindow* w = p_.MutableWindow(window);
    if (!w || w->visible == visible) return;
    w->visible = visible;
    auto handler = w->events.onVisibleChanged;
    if (handler) handler(visible);
  }
  bool IsWindowVisible(WindowHandle window) const override {
    const SimWindow* w = p_.Window(window);
    return w && w->visible;
  }
  void EnableWindow(WindowHandle window, bool enabled) override {
    if (SimWindow* w = p_.MutableWindow(window)) w->enabled = enabled;
  }
  bool IsWindowEnabled(WindowHandle window) const override {
    const SimWindow* w = p_.Window(window);
    return w && w->enabled;
  }
  void SetForegroundWindow(WindowHandle) override {}
  void RemoveSystemMenuItems(WindowHandle window) override {
    if (SimWindow* w = p_.MutableWindow(window)) w->systemMenuTrimmed = true;
  }

  void ShowModal(WindowHandle window) override {
    std::vector<WindowHandle> disabled;
    for (auto& [handle, w] : p_.windows_) {
      if (handle != window && w.visible && w.enabled) {
        w.enabled = false;
        disabled.push_back(handle);
      }
    }
    ShowWindow(window, true);
    while (IsWindowVisible(window)) {
      p_.WaitForWork([&] { return !IsWindowVisible(window); });
      p_.DispatchOne();
    }
    for (WindowHandle handle : disabled) EnableWindow(handle, true);
  }

  ControlHandle CreateControl(WindowHandle parent, const ControlSpec& params,
                              ControlEvents events) override {
    if (!p_.Window(parent)) return {};
    SimControl control;
    control.handle = ControlHandle{p_.nextControl_++};
    control.parent = parent;
    control.params = params;
    control.text = params.text;
    control.visible = params.visible;
    control.position = params.minimum;
    control.events = std::move(events);
    const ControlHandle handle = control.handle;
    p_.controls_[handle] = std::move(control);
    return handle;
  }
  void SetControlText(ControlHandle control, const std::string& text) override {
    if (SimControl* c = p_.MutableControl(control)) c->text = text;
  }
  std::string ControlText(ControlHandle control) const override {
    auto it = p_.controls_.find(control);
    return it == p_.controls_.end() ? std::string() : it->second.text;
  }
  void SetControlVisible(ControlHandle control, bool visible) override {
    if (SimControl* c = p_.MutableControl(control)) c->visible = visible;
  }
  bool IsControlVisible(ControlHandle control) const override {
    auto it = p_.controls_.find(control);
    return it != p_.controls_.end() && it->second.visible;
  }
  void SetChecked(ControlHandle control, bool checked) override {
    if (SimControl* c = p_.MutableControl(control)) c->checked = checked;
  }
  bool IsChecked(ControlHandle control) const override {
    auto it = p_.controls_.find(control);
    return it != p_.controls_.end() && it->second.checked;
  }
  void ClearItems(ControlHandle control) override {
    if (SimControl* c = p_.MutableControl(control)) {
      c->items.clear();
      c->selection = -1;
    }
  }
  void AddItem(ControlHandle control, const std::string& text) override {
    if (SimControl* c = p_.MutableControl(control)) c->items.push_back(text);
  }
  std::vector<std::string> Items(ControlHandle control) const override {
    auto it = p_.controls_.find(control);
    return it == p_.controls_.end() ? std::vector<std::string>{} : it->second.items;
  }
  void SetSelection(ControlHandle control, int index) override {
    if (SimControl* c = p_.MutableControl(control)) {
      c->selection = (index >= 0 && index < static_cast<int>(c->items.size())) ? index : -1;
    }
  }
  int Selection(ControlHandle control) const override {
    auto it = p_.controls_.find(control);
    return it == p_.controls_.end() ? -1 : it->second.selection;
  }
  void SetArrowPosition(ControlHandle control, int value) override {
    if (SimControl* c = p_.MutableControl(control)) {
      c->position = std::clamp(value, c->params.minimum, c->params.maximum);
      c->text = std::to_string(c->position);
    }
  }
  int ArrowPosition(ControlHandle control) const override {
    auto it = p_.controls_.find(control);
    return it == p_.controls_.end() ? 0 : it->second.position;
  }
  int AddBarButton(ControlHandle bar, const std::string& caption, int) override {
    SimControl* c = p_.MutableControl(bar);
    if (!c) return -1;
    c->barButtons.push_back(caption);
    return static_cast<int>(c->barButtons.size()) - 1;
  }
  void SetBarButtonCaption(ControlHandle bar, int index, const std::string& caption) override {
    SimControl* c = p_.MutableControl(bar);
    if (c && index >= 0 && index < static_cast<int>(c->barButtons.size())) {
      c->barButtons[static_cast<std::size_t>(index)] = caption;
    }
  }

  TimerHandle StartTimer(WindowHandle owner, std::uint32_t intervalMs,
                         std::function<void()> onTick) override {
    // Like SetTimer, intervals below the platform's minimum are raised to it.
    const std::uint32_t interval = std::max<std::uint32_t>(intervalMs, 10);
    const TimerHandle handle{p_.nextTimer_++};
    p_.timers_[handle] =
        SimProcess::Timer{handle, owner, interval, p_.world_.Now() + interval, std::move(onTick)};
    return handle;
  }
  void StopTimer(TimerHandle timer) override { p_.timers_.erase(timer); }

  int ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                     std::uint32_t flags) override {
    SimBox box{p_.nextBox_++, owner, text, caption, flags, 0};
    p_.world_.Log("message box \"" + caption + "\": " + text);
    if (p_.boxAnswerer) box.answer = p_.boxAnswerer(box);
    p_.boxes_.push_back(box);
    const int serial = box.serial;
    auto find = [&]() -> SimBox& {
      return *std::find_if(p_.boxes_.begin(), p_.boxes_.end(),
                           [&](const SimBox& b) { return b.serial == serial; });
    };
    while (find().answer == 0) {
      p_.WaitForWork([&] { return find().answer != 0; });
      p_.DispatchOne();
    }
    SimBox closed = find();
    p_.boxes_.erase(std::find_if(p_.boxes_.begin(), p_.boxes_.end(),
                                 [&](const SimBox& b) { return b.serial == serial; }));
    p_.boxHistory_.push_back(closed);
    return closed.answer;
  }

  bool Post(WindowHandle window, std::uint32_t code, std::uint64_t wParam,
            std::int64_t lParam) override {
    if (!p_.Window(window)) return false;
    SimProcess::Posted posted;
    posted.window = window;
    posted.message = Message{code, wParam, lParam, {}};
    p_.queue_.push_back(std::move(posted));
    return true;
  }
  void ProcessMessages() override {
    while (p_.DispatchOne()) {
    }
  }
  [[noreturn]] void RunLoop() override {
    for (;;) {
      p_.WaitForWork([] { return false; });
      p_.DispatchOne();
    }
  }

 private:
  SimProcess& p_;
};

class SimTray final : public Tray {
 public:
  explicit SimTray(SimProcess& p) : p_(p) {}

  bool AddIcon(WindowHandle owner, const std::string& icon, const std::string& tip,
               TrayEvents events) override {
    if (!p_.options_.shellRunning) return false;
    p_.trayIcon_ = SimTrayIcon{owner, icon, tip, std::move(events)};
    p_.world_.Log("tray icon shown: \"" + tip + "\"");
    return true;
  }
  bool DeleteIcon() override {
    if (!p_.trayIcon_) return false;
    p_.trayIcon_.reset();
    p_.world_.Log("tray icon removed");
    return true;
  }
  MenuHandle CreatePopupMenu() override {
    const MenuHandle menu{p_.nextMenuHandle_++};
    p_.menus_[menu];
    return menu;
  }
  MenuItemHandle AddMenuItem(MenuHandle menu, const std::string& text,
                             std::function<void()> onChosen) override {
    auto it = p_.menus_.find(menu);
    if (it == p_.menus_.end()) return {};
    SimMenuItem item;
    item.handle = MenuItemHandle{p_.nextMenuHandle_++};
    item.text = text;
    item.onChosen = std::move(onChosen);
    it->second.push_back(std::move(item));
    return it->second.back().handle;
  }
  MenuHandle AddSubMenu(MenuHandle menu, const std::string& text) override {
    if (!p_.menus_.count(menu)) return {};
    const MenuHandle sub = CreatePopupMenu();
    SimMenuItem item;
    item.handle = MenuItemHandle{sub.value};
    item.text = text;
    item.subMenu = sub;
    p_.menus_[menu].push_back(std::move(item));
    return sub;
  }
  void AddSeparator(MenuHandle menu) override {
    auto it = p_.menus_.find(menu);
    if (it == p_.menus_.end()) return;
    SimMenuItem item;
    item.handle = MenuItemHandle{p_.nextMenuHandle_++};
    item.separator = true;
    it->second.push_back(std::move(item));
  }
  void SetMenuItemText(MenuHandle menu, MenuItemHandle item, const std::string& text) override {
    auto it = p_.menus_.find(menu);
    if (it == p_.menus_.end()) return;
    for (SimMenuItem& entry : it->second) {
      if (entry.handle == item) entry.text = text;
    }
  }
  void SetSubMenuText(MenuHandle menu, MenuHandle subMenu, const std::string& text) override {
    SetMenuItemText(menu, MenuItemHandle{subMenu.value}, text);
  }
  void TrackPopupMenu(MenuHandle menu, Point, WindowHandle owner) override {
    p_.openMenu_ = menu;
    p_.chosenItem_ = nullptr;
    p_.menuDone_ = false;
    while (!p_.menuDone_) {
      p_.WaitForWork([&] { return p_.menuDone_; });
      p_.DispatchOne();
    }
    p_.openMenu_ = {};
    // As with a real menu, the choice arrives afterwards as a command message
    // to the owner window.
    if (p_.chosenItem_ && p_.chosenItem_->onChosen) {
      SimProcess::Posted posted;
      posted.window = owner;
      posted.action = p_.chosenItem_->onChosen;
      p_.queue_.push_back(std::move(posted));
    }
    p_.chosenItem_ = nullptr;
  }
  Point CursorPos() const override { return Point{1800, 1050}; }

 private:
  SimProcess& p_;
};

class SimAtoms final : public GlobalAtoms {
 public:
  explicit SimAtoms(SimWorld& w) : w_(w) {}
  Atom Find(const std::string& name) const override { return w_.FindAtom(name); }
  Atom Add(const std::string& name) override { return w_.AddAtom(name); }
  void Delete(Atom atom) override { w_.DeleteAtom(atom); }

 private:
  SimWorld& w_;
};

class SimInstanceLock final : public InstanceLock {
 public:
  SimInstanceLock(SimWorld& w, int pid) : w_(w), pid_(pid) {}
  bool TryAcquire(const std::string& name) override {
    auto it = w_.namedLocks.find(name);
    if (it != w_.namedLocks.end() && it->second != pid_ && w_.IsAlive(it->second)) return false;
    w_.namedLocks[name] = pid_;
    return true;
  }

 private:
  SimWorld& w_;
  int pid_;
};

class SimHotKeys final : public HotKeys {
 public:
  SimHotKeys(SimWorld& w, int pid) : w_(w), pid_(pid) {}
  bool Register(WindowHandle window, int id, std::uint32_t modifiers,
                std::uint32_t virtualKey) override {
    if (virtualKey == 0) return false;
    Unregister(window, id);
    auto [it, added] = w_.hotKeys.try_emplace({modifiers, virtualKey}, SimHotKey{pid_, window, id});
    w_.Log(std::string("hot key ") + (added ? "registered" : "refused") + ": modifiers " +
           std::to_string(modifiers) + ", key " + std::to_string(virtualKey));
    return added;
  }
  bool Unregister(WindowHandle window, int id) override {
    for (auto it = w_.hotKeys.begin(); it != w_.hotKeys.end(); ++it) {
      if (it->second.pid == pid_ && it->second.window == window && it->second.id == id) {
        w_.hotKeys.erase(it);
        return true;
      }
    }
    return false;
  }

 private:
  SimWorld& w_;
  int pid_;
};

class SimDrives final : public DriveEnumerator, public RemovalLock, public VolumeInfo {
 public:
  explicit SimDrives(SimWorld& w) : w_(w) {}

  std::uint32_t LogicalDrives() const override {
    std::uint32_t mask = 0;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
      if (w_.Drive(letter).present) mask |= 1u << (letter - 'A');
    }
    return mask;
  }
  DriveType TypeOf(char letter) const override {
    w_.driveTypeQueries.push_back(letter);
    if (!IsLetter(letter)) return DriveType::NoRootDir;
    const SimDrive& drive = w_.Drive(letter);
    const DriveType type = drive.present ? drive.type : DriveType::NoRootDir;
    static const char* const names[] = {"of unknown type", "not a drive",     "a removable drive",
                                        "a fixed disk",    "a network drive", "a CD-ROM drive",
                                        "a RAM disk"};
    const auto index = static_cast<std::size_t>(type);
    w_.Log(std::string("drive ") + AsciiUpper(letter) + ": is " +
           (index < 7 ? names[index] : "of an odd type"));
    return type;
  }

  Handle OpenDevice(char letter) override {
    const bool usable =
        IsLetter(letter) && w_.Drive(letter).present && !w_.Drive(letter).deviceUnopenable;
    Device(std::string("open device ") + AsciiUpper(letter) + (usable ? "" : " failed"));
    return usable ? 100 + (AsciiUpper(letter) - 'A') : kInvalid;
  }
  bool SendMediaRemoval(Handle device, std::uint32_t buffer) override {
    const bool prevent = (buffer & 0xFFu) != 0;
    if (device < 100 || device >= 126) {
      Device(std::string(prevent ? "lock" : "unlock") + " on an invalid handle failed");
      return false;
    }
    const char letter = static_cast<char>('A' + (device - 100));
    SimDrive& drive = w_.Drive(letter);
    const bool ok = drive.present && !drive.lockRefused;
    if (ok) drive.locked = prevent;
    Device(std::string(prevent ? "lock " : "unlock ") + letter + (ok ? "" : " refused"));
    return ok;
  }
  void CloseDevice(Handle device) override {
    if (device >= 100 && device < 126) {
      Device(std::string("close device ") + static_cast<char>('A' + (device - 100)));
    }
  }

  bool IsReadable(char letter) override {
    bool readable = false;
    if (IsLetter(letter)) {
      const SimDrive& drive = w_.Drive(letter);
      readable = drive.present && drive.discInside && drive.discReadable && !drive.doorOpen;
    }
    Device(std::string("volume ") + AsciiUpper(letter) +
           (readable ? " readable" : " not readable"));
    return readable;
  }

 private:
  void Device(const std::string& line) {
    w_.deviceLog.push_back(line);
    w_.Log(line);
  }
  SimWorld& w_;
};

class SimDoor final : public DoorDevice {
 public:
  explicit SimDoor(SimWorld& w) : w_(w) {}
  std::optional<DeviceId> Open(char letter) override {
    bool ok = false;
    if (IsLetter(letter)) {
      const SimDrive& drive = w_.Drive(letter);
      ok = drive.present && drive.type == DriveType::CdRom && !drive.noDoorDevice;
    }
    Device(std::string("cd audio open ") + letter + (ok ? "" : " failed"));
    if (!ok) return std::nullopt;
    return static_cast<DeviceId>(1 + (AsciiUpper(letter) - 'A'));
  }
  bool SetDoor(DeviceId device, bool open) override {
    if (device < 1 || device > 26) return false;
    const char letter = static_cast<char>('A' + device - 1);
    SimDrive& drive = w_.Drive(letter);
    const bool ok = !drive.doorRefused;
    if (ok) drive.doorOpen = open;
    Device(std::string(open ? "door open " : "door close ") + letter + (ok ? "" : " refused"));
    return ok;
  }
  void Close(DeviceId device) override {
    if (device < 1 || device > 26) return;
    Device(std::string("cd audio close ") + static_cast<char>('A' + device - 1));
  }

 private:
  void Device(const std::string& line) {
    w_.deviceLog.push_back(line);
    w_.Log(line);
  }
  SimWorld& w_;
};

class SimSound final : public Sound {
 public:
  explicit SimSound(SimWorld& w) : w_(w) {}
  void Beep(std::uint32_t frequencyHz, std::uint32_t durationMs) override {
    w_.beeps.emplace_back(frequencyHz, durationMs);
    w_.Log("beep " + std::to_string(frequencyHz) + " Hz, " + std::to_string(durationMs) + " ms");
    w_.Pass(durationMs);
  }
  void Sleep(std::uint32_t ms) override { w_.Pass(ms); }

 private:
  SimWorld& w_;
};

class SimSettings final : public SettingsStore {
 public:
  explicit SimSettings(SimProcess& p) : p_(p) {}

  Key OpenKey(const std::string& path, KeyAccess access) override {
    SimRegistryKey* key = p_.world_.FindKey(path);
    if (!key || key->unopenable) return 0;
    if (access == KeyAccess::ReadWrite && key->readOnly) return 0;
    const Key handle = p_.nextKey_++;
    p_.openKeys_[handle] = {path, access == KeyAccess::ReadWrite};
    return handle;
  }
  Key CreateKey(const std::string& path) override {
    SimRegistryKey* key = p_.world_.FindKey(path);
    if (key && (key->unopenable || key->readOnly)) return 0;
    if (!key) {
      p_.world_.MakeKey(path);
      p_.world_.Log("registry key created: " + path);
    }
    const Key handle = p_.nextKey_++;
    p_.openKeys_[handle] = {path, true};
    return handle;
  }
  void CloseKey(Key key) override { p_.openKeys_.erase(key); }

  std::optional<StoredValue> QueryValue(Key key, const std::string& name) const override {
    auto it = p_.openKeys_.find(key);
    if (it == p_.openKeys_.end()) return std::nullopt;
    return p_.world_.Value(it->second.first, name);
  }
  bool SetValue(Key key, const std::string& name, const StoredValue& value) override {
    auto it = p_.openKeys_.find(key);
    if (it == p_.openKeys_.end() || !it->second.second) return false;
    SimRegistryKey* stored = p_.world_.FindKey(it->second.first);
    if (!stored) return false;
    std::string existing = name;
    for (auto& [storedName, v] : stored->values) {
      if (AsciiLower(storedName) == AsciiLower(name)) existing = storedName;
    }
    if (!stored->values.count(existing)) stored->order.push_back(existing);
    stored->values[existing] = value;
    p_.world_.Log("stored \"" + name + "\" = " + ShowValue(value));
    return true;
  }
  bool DeleteValue(Key key, const std::string& name) override {
    auto it = p_.openKeys_.find(key);
    if (it == p_.openKeys_.end() || !it->second.second) return false;
    SimRegistryKey* stored = p_.world_.FindKey(it->second.first);
    if (!stored) return false;
    for (auto v = stored->values.begin(); v != stored->values.end(); ++v) {
      if (AsciiLower(v->first) == AsciiLower(name)) {
        stored->order.erase(std::remove(stored->order.begin(), stored->order.end(), v->first),
                            stored->order.end());
        stored->values.erase(v);
        p_.world_.Log("deleted \"" + name + "\"");
        return true;
      }
    }
    return false;
  }

 private:
  SimProcess& p_;
};

class SimFiles final : public Files {
 public:
  explicit SimFiles(SimProcess& p) : p_(p) {}
  std::string ModulePath() const override { return p_.options_.modulePath; }
  std::string ProgramFolder() const override { return WindowsParentFolder(p_.options_.modulePath); }
  std::string JoinPath(const std::string& folder, const std::string& name) const override {
    return JoinWindowsPath(folder, name);
  }
  std::vector<std::string> Arguments() const override { return p_.options_.arguments; }
  std::vector<std::string> FindFiles(const std::string& folder,
                                     const std::string& pattern) const override {
    std::string prefix = AsciiLower(folder);
    if (!prefix.empty() && prefix.back() != '\\') prefix += '\\';
    std::vector<std::string> found;
    for (const auto& [path, content] : p_.world_.files) {
      const std::string lower = AsciiLower(path);
      if (lower.compare(0, prefix.size(), prefix) != 0) continue;
      const std::string name = path.substr(prefix.size());
      if (name.empty() || name.find('\\') != std::string::npos) continue;
      if (MatchesFilePattern(name, pattern)) found.push_back(name);
    }
    return found;
  }
  std::optional<std::string> ReadFile(const std::string& path) const override {
    for (const auto& [stored, content] : p_.world_.files) {
      if (AsciiLower(stored) == AsciiLower(path)) return content;
    }
    return std::nullopt;
  }
  [[noreturn]] void ExitProcess(int code) override {
    p_.exitCode_ = code;
    p_.state_ = SimProcess::State::Exited;
    p_.world_.Log("process ended with exit code " + std::to_string(code));
    throw ProcessEnded{};
  }

 private:
  SimProcess& p_;
};

class SimShell final : public Shell {
 public:
  explicit SimShell(SimWorld& w) : w_(w) {}
  bool Open(WindowHandle, const std::string& document, int showMode) override {
    w_.launches.push_back(document);
    w_.Log("shell open \"" + document + "\" (show mode " + std::to_string(showMode) + ")");
    return true;
  }

 private:
  SimWorld& w_;
};

struct SimProcess::Backends {
  explicit Backends(SimProcess& p)
      : windows(p),
        tray(p),
        atoms(p.world_),
        instanceLock(p.world_, p.pid_),
        hotKeys(p.world_, p.pid_),
        drives(p.world_),
        door(p.world_),
        sound(p.world_),
        settings(p),
        autostart(settings, [&p] { return p.options_.modulePath; }),
        files(p),
        shell(p.world_) {}
  SimWindowSystem windows;
  SimTray tray;
  SimAtoms atoms;
  SimInstanceLock instanceLock;
  SimHotKeys hotKeys;
  SimDrives drives;
  SimDoor door;
  SimSound sound;
  SimSettings settings;
  RegistryAutostart autostart;
  SimFiles files;
  SimShell shell;
};

// ---------------------------------------------------------------------------

SimProcess::SimProcess(SimWorld& world, Options options)
    : world_(world), options_(std::move(options)), pid_(world.NewPid()) {
  backends_ = std::make_unique<Backends>(*this);
  Backends& b = *backends_;
  platform_ = std::make_unique<platform::Platform>(
      platform::Platform{b.windows, b.tray, b.atoms, b.instanceLock, b.hotKeys, b.drives, b.door,
                         b.drives, b.drives, b.sound, b.settings, b.autostart, b.files, b.shell});
  world_.Register(this);
}

SimProcess::~SimProcess() {
  if (state_ == State::Running) Kill();
  if (thread_.joinable()) thread_.join();
  world_.Unregister(this);
}

void SimProcess::Start(std::function<void(platform::Platform&)> entry) {
  if (state_ != State::NotStarted) throw std::logic_error("a simulated process starts once");
  state_ = State::Running;
  thread_ = std::thread([this, entry = std::move(entry)] {
    {
      std::unique_lock lock(world_.batonMutex);
      world_.batonChanged.wait(lock, [&] { return world_.turn == pid_; });
    }
    try {
      if (!killRequested_) {
        entry(*platform_);
        // A program that returns from its entry ends like one that exits with 0.
        exitCode_ = 0;
        state_ = State::Exited;
      }
    } catch (const ProcessEnded&) {
    } catch (const ProcessKilled&) {
    } catch (const std::exception& e) {
      world_.Log(std::string("process crashed: ") + e.what());
      state_ = State::Killed;
    }
    ReleaseSystemResources();
    {
      std::lock_guard lock(world_.batonMutex);
      world_.turn = 0;
    }
    world_.batonChanged.notify_all();
  });
  GiveTurnAndWait();
}

void SimProcess::Kill() {
  if (state_ != State::Running) return;
  killRequested_ = true;
  state_ = State::Killed;
  world_.Log("process " + std::to_string(pid_) + " killed");
  GiveTurnAndWait();
  if (thread_.joinable()) thread_.join();
}

void SimProcess::RunUntilIdle() {
  if (state_ == State::Running) GiveTurnAndWait();
}

void SimProcess::GiveTurnAndWait() {
  std::unique_lock lock(world_.batonMutex);
  world_.turn = pid_;
  world_.batonChanged.notify_all();
  world_.batonChanged.wait(lock, [&] { return world_.turn == 0; });
}

void SimProcess::YieldTurn() {
  std::unique_lock lock(world_.batonMutex);
  world_.turn = 0;
  world_.batonChanged.notify_all();
  world_.batonChanged.wait(lock, [&] { return world_.turn == pid_; });
  if (killRequested_ && std::uncaught_exceptions() == 0) throw ProcessKilled{};
}

void SimProcess::WaitForWork(const std::function<bool()>& done) {
  while (!done() && !HasDueWork()) YieldTurn();
  if (killRequested_ && std::uncaught_exceptions() == 0) throw ProcessKilled{};
}

bool SimProcess::HasDueWork() const {
  if (!queue_.empty()) return true;
  auto due = NextTimerDue();
  return due && *due <= world_.Now();
}

std::optional<std::uint64_t> SimProcess::NextTimerDue() const {
  std::optional<std::uint64_t> earliest;
  for (const auto& [handle, timer] : timers_) {
    if (!earliest || timer.due < *earliest) earliest = timer.due;
  }
  return earliest;
}

bool SimProcess::DispatchOne() {
  if (!queue_.empty()) {
    Posted posted = std::move(queue_.front());
    queue_.pop_front();
    if (posted.action) {
      posted.action();
    } else {
      Message message = posted.message;
      message.data = posted.data;
      Deliver(posted.window, message);
    }
    return true;
  }
  // Timer ticks come only when no posted message waits, as WM_TIMER does.
  Timer* next = nullptr;
  for (auto& [handle, timer] : timers_) {
    if (timer.due <= world_.Now() && (!next || timer.due < next->due)) next = &timer;
  }
  if (!next) return false;
  next->due = world_.Now() + next->interval;
  auto onTick = next->onTick;
  if (onTick) onTick();
  return true;
}

void SimProcess::Deliver(WindowHandle window, const Message& message) {
  SimWindow* target = MutableWindow(window);
  if (!target) return;
  auto onMessage = target->events.onMessage;
  if (onMessage && onMessage(message)) return;
  // The window's own handling, as the default window procedure does it.
  target = MutableWindow(window);
  if (!target) return;
  if (message.code == msg::kClose) {
    auto onClose = target->events.onCloseRequest;
    if (onClose) onClose();
  } else if (message.code == msg::kSysCommand && (message.wParam & 0xFFF0) == msg::kScClose) {
    Deliver(window, Message{msg::kClose, 0, 0, {}});
  } else if (message.code == msg::kSysCommand && (message.wParam & 0xFFF0) == msg::kScMinimize) {
    target->visible = false;
  }
}

void SimProcess::ReleaseSystemResources() {
  for (auto it = world_.namedLocks.begin(); it != world_.namedLocks.end();) {
    it = it->second == pid_ ? world_.namedLocks.erase(it) : std::next(it);
  }
  for (auto it = world_.hotKeys.begin(); it != world_.hotKeys.end();) {
    it = it->second.pid == pid_ ? world_.hotKeys.erase(it) : std::next(it);
  }
  if (trayIcon_) {
    trayIcon_.reset();
    world_.Log("tray icon of process " + std::to_string(pid_) + " went away with it");
  }
  for (auto& [handle, window] : windows_) window.visible = false;
  timers_.clear();
  queue_.clear();
}

// ---------------------------------------------------------------------------
// Test side.

void SimProcess::Post(WindowHandle window, std::uint32_t code, std::uint64_t wParam,
                      std::int64_t lParam) {
  if (state_ != State::Running) return;
  Posted posted;
  posted.window = window;
  posted.message = Message{code, wParam, lParam, {}};
  queue_.push_back(std::move(posted));
  RunUntilIdle();
}

void SimProcess::Send(WindowHandle window, std::uint32_t code, std::uint64_t wParam,
                      std::vector<std::byte> data) {
  if (state_ != State::Running) return;
  Posted sent;
  sent.window = window;
  sent.message = Message{code, wParam, data.empty() ? 0 : 0x12340000, {}};
  sent.data = std::move(data);
  // Sent messages are handled before anything posted.
  queue_.push_front(std::move(sent));
  RunUntilIdle();
}

void SimProcess::Inject(std::function<void()> action) {
  if (state_ != State::Running) return;
  Posted posted;
  posted.action = std::move(action);
  queue_.push_back(std::move(posted));
  RunUntilIdle();
}

const SimWindow* SimProcess::WindowTitled(const std::string& title) const {
  for (const auto& [handle, window] : windows_) {
    if (window.title == title) return &window;
  }
  return nullptr;
}

const SimWindow* SimProcess::Window(WindowHandle handle) const {
  auto it = windows_.find(handle);
  return it == windows_.end() ? nullptr : &it->second;
}

SimWindow* SimProcess::MutableWindow(WindowHandle handle) {
  auto it = windows_.find(handle);
  return it == windows_.end() ? nullptr : &it->second;
}

SimControl* SimProcess::MutableControl(ControlHandle handle) {
  auto it = controls_.find(handle);
  return it == controls_.end() ? nullptr : &it->second;
}

std::vector<const SimWindow*> SimProcess::Windows() const {
  std::vector<const SimWindow*> out;
  for (const auto& [handle, window] : windows_) out.push_back(&window);
  return out;
}

std::vector<const SimControl*> SimProcess::Controls(WindowHandle parent) const {
  std::vector<const SimControl*> out;
  for (const auto& [handle, control] : controls_) {
    if (control.parent == parent) out.push_back(&control);
  }
  return out;
}

const SimControl* SimProcess::FindControl(WindowHandle parent, const std::string& text) const {
  for (const auto& [handle, control] : controls_) {
    if (control.parent == parent && control.text == text) return &control;
  }
  return nullptr;
}

void SimProcess::ClickControl(ControlHandle control) {
  Inject([this, control] {
    SimControl* c = MutableControl(control);
    if (!c || !c->visible) return;
    if (c->params.kind == ControlKind::CheckBox) c->checked = !c->checked;
    auto onClick = c->events.onClick;
    if (onClick) onClick();
  });
}

void SimProcess::SelectItem(ControlHandle control, int index) {
  Inject([this, control, index] {
    SimControl* c = MutableControl(control);
    if (!c) return;
    if (c->params.kind != ControlKind::ButtonBar) c->selection = index;
    auto onSelect = c->events.onSelect;
    if (onSelect) onSelect(index);
  });
}

void SimProcess::PressArrow(ControlHandle control, int steps) {
  Inject([this, control, steps] {
    SimControl* c = MutableControl(control);
    if (!c) return;
    c->position =
        std::clamp(c->position + steps * c->params.step, c->params.minimum, c->params.maximum);
    c->text = std::to_string(c->position);
    auto onArrow = c->events.onArrow;
    if (onArrow) onArrow(c->position);
  });
}

void SimProcess::CloseWindowByUser(WindowHandle window) {
  Inject([this, window] { Deliver(window, Message{msg::kSysCommand, msg::kScClose, 0, {}}); });
}

void SimProcess::DestroyWindow(WindowHandle window) {
  Inject([this, window] {
    SimWindow* w = MutableWindow(window);
    if (!w) return;
    auto onDestroy = w->events.onDestroy;
    if (onDestroy) onDestroy();
  });
}

std::vector<SimBox> SimProcess::OpenBoxes() const {
  return boxes_;
}

void SimProcess::AnswerBox(int answer) {
  Inject([this, answer] {
    if (!boxes_.empty()) boxes_.back().answer = answer;
  });
}

void SimProcess::TrayRightClick() {
  Inject([this] {
    if (trayIcon_ && trayIcon_->events.onRightButtonUp) {
      auto handler = trayIcon_->events.onRightButtonUp;
      handler();
    }
  });
}

void SimProcess::TrayDoubleClick() {
  Inject([this] {
    if (trayIcon_ && trayIcon_->events.onDoubleClick) {
      auto handler = trayIcon_->events.onDoubleClick;
      handler();
    }
  });
}

void SimProcess::TaskbarRecreated() {
  Inject([this] {
    if (trayIcon_ && trayIcon_->events.onTaskbarCreated) {
      auto handler = trayIcon_->events.onTaskbarCreated;
      handler();
    }
  });
}

const SimMenuItem* SimProcess::FindMenuItem(const std::vector<std::string>& path) const {
  MenuHandle menu = openMenu_;
  const SimMenuItem* found = nullptr;
  for (const std::string& text : path) {
    auto it = menus_.find(menu);
    if (it == menus_.end()) return nullptr;
    found = nullptr;
    for (const SimMenuItem& item : it->second) {
      if (!item.separator && item.text == text) found = &item;
    }
    if (!found) return nullptr;
    menu = found->subMenu;
  }
  return found;
}

std::vector<std::string> SimProcess::MenuTexts(const std::vector<std::string>& path) const {
  MenuHandle menu = openMenu_;
  if (!path.empty()) {
    const SimMenuItem* item = FindMenuItem(path);
    menu = item ? item->subMenu : MenuHandle{};
  }
  std::vector<std::string> texts;
  auto it = menus_.find(menu);
  if (it == menus_.end()) return texts;
  for (const SimMenuItem& item : it->second) texts.push_back(item.separator ? "-" : item.text);
  return texts;
}

void SimProcess::ChooseMenuItem(const std::vector<std::string>& path) {
  Inject([this, path] {
    if (!openMenu_) return;
    const SimMenuItem* item = path.empty() ? nullptr : FindMenuItem(path);
    chosenItem_ = (item && !item->subMenu) ? item : nullptr;
    menuDone_ = true;
  });
}

}  // namespace orbl::sim
