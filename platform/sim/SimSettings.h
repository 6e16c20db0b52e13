// The simulated settings store (the world's registry of the current user,
// reached through keys this process opened), the program's files and
// arguments, the end of the process, and the desktop shell's launches.
#pragma once

#include "platform/Files.h"
#include "platform/SettingsStore.h"
#include "platform/Shell.h"
#include "platform/sim/SimProcessState.h"

namespace orbl::sim {

class SimSettings final : public platform::SettingsStore {
 public:
  explicit SimSettings(SimProcessState& state) : s_(state) {}

  Key OpenKey(const std::string& path, platform::KeyAccess access) override;
  Key CreateKey(const std::string& path) override;
  void CloseKey(Key key) override { s_.openKeys.erase(key); }

  std::optional<platform::StoredValue> QueryValue(Key key, const std::string& name) const override;
  bool SetValue(Key key, const std::string& name, const platform::StoredValue& value) override;
  bool DeleteValue(Key key, const std::string& name) override;

 private:
  SimProcessState& s_;
};

class SimFiles final : public platform::Files {
 public:
  explicit SimFiles(SimProcessState& state) : s_(state) {}
  std::string ModulePath() const override { return s_.options.modulePath; }
  std::string ProgramFolder() const override;
  std::string JoinPath(const std::string& folder, const std::string& name) const override;
  std::vector<std::string> Arguments() const override { return s_.options.arguments; }
  std::vector<std::string> FindFiles(const std::string& folder,
                                     const std::string& pattern) const override;
  std::optional<std::string> ReadFile(const std::string& path) const override;
  [[noreturn]] void ExitProcess(int code) override;

 private:
  SimProcessState& s_;
};

class SimShell final : public platform::Shell {
 public:
  explicit SimShell(SimWorld& world) : w_(world) {}
  bool Open(platform::WindowHandle owner, const std::string& document, int showMode) override;

 private:
  SimWorld& w_;
};

}  // namespace orbl::sim
