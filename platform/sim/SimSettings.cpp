#include "platform/sim/SimSettings.h"

#include <algorithm>
#include <cstring>

#include "platform/AsciiCase.h"
#include "platform/FilePattern.h"
#include "platform/WindowsPath.h"

namespace orbl::sim {

using namespace orbl::platform;

namespace {

std::string ShowValue(const StoredValue& value) {
  if (value.type == ValueType::Number && value.data.size() == 4) {
    std::uint32_t number = 0;
    std::memcpy(&number, value.data.data(), 4);
    return std::to_string(number) + " (number)";
  }
  if (value.type == ValueType::Text) {
    std::string text;
    for (std::byte b : value.data) text.push_back(static_cast<char>(b));
    return "\"" + text.substr(0, text.find('\0')) + "\"";
  }
  return "(" + std::to_string(value.data.size()) + " bytes of type " +
         std::to_string(static_cast<std::uint32_t>(value.type)) + ")";
}

}  // namespace

SettingsStore::Key SimSettings::OpenKey(const std::string& path, KeyAccess access) {
  SimRegistryKey* key = s_.world.FindKey(path);
  if (!key || key->unopenable) return 0;
  if (access == KeyAccess::ReadWrite && key->readOnly) return 0;
  const Key handle = s_.nextKey++;
  s_.openKeys[handle] = {path, access == KeyAccess::ReadWrite};
  return handle;
}

SettingsStore::Key SimSettings::CreateKey(const std::string& path) {
  SimRegistryKey* key = s_.world.FindKey(path);
  if (key && (key->unopenable || key->readOnly)) return 0;
  if (!key) {
    // As RegCreateKeyEx does, every missing key on the path is made too.
    for (std::size_t slash = path.find('\\'); slash != std::string::npos;
         slash = path.find('\\', slash + 1)) {
      s_.world.MakeKey(path.substr(0, slash));
    }
    s_.world.MakeKey(path);
    s_.world.Log("registry key created: " + path);
  }
  const Key handle = s_.nextKey++;
  s_.openKeys[handle] = {path, true};
  return handle;
}

std::optional<StoredValue> SimSettings::QueryValue(Key key, const std::string& name) const {
  auto it = s_.openKeys.find(key);
  if (it == s_.openKeys.end()) return std::nullopt;
  return s_.world.Value(it->second.first, name);
}

bool SimSettings::SetValue(Key key, const std::string& name, const StoredValue& value) {
  auto it = s_.openKeys.find(key);
  if (it == s_.openKeys.end() || !it->second.second) return false;
  SimRegistryKey* stored = s_.world.FindKey(it->second.first);
  if (!stored) return false;
  std::string existing = name;
  for (auto& [storedName, v] : stored->values) {
    if (AsciiLower(storedName) == AsciiLower(name)) existing = storedName;
  }
  if (!stored->values.contains(existing)) stored->order.push_back(existing);
  stored->values[existing] = value;
  s_.world.Log("stored \"" + name + "\" = " + ShowValue(value));
  return true;
}

bool SimSettings::DeleteValue(Key key, const std::string& name) {
  auto it = s_.openKeys.find(key);
  if (it == s_.openKeys.end() || !it->second.second) return false;
  SimRegistryKey* stored = s_.world.FindKey(it->second.first);
  if (!stored) return false;
  for (auto v = stored->values.begin(); v != stored->values.end(); ++v) {
    if (AsciiLower(v->first) == AsciiLower(name)) {
      stored->order.erase(std::remove(stored->order.begin(), stored->order.end(), v->first),
                          stored->order.end());
      stored->values.erase(v);
      s_.world.Log("deleted \"" + name + "\"");
      return true;
    }
  }
  return false;
}

std::string SimFiles::ProgramFolder() const {
  return WindowsParentFolder(s_.options.modulePath);
}

std::string SimFiles::JoinPath(const std::string& folder, const std::string& name) const {
  return JoinWindowsPath(folder, name);
}

std::vector<std::string> SimFiles::FindFiles(const std::string& folder,
                                             const std::string& pattern) const {
  std::string prefix = AsciiLower(folder);
  if (!prefix.empty() && prefix.back() != '\\') prefix += '\\';
  std::vector<std::string> found;
  for (const auto& [path, content] : s_.world.files) {
    const std::string lower = AsciiLower(path);
    if (lower.compare(0, prefix.size(), prefix) != 0) continue;
    const std::string name = path.substr(prefix.size());
    if (name.empty() || name.find('\\') != std::string::npos) continue;
    if (MatchesFilePattern(name, pattern)) found.push_back(name);
  }
  return found;
}

std::optional<std::string> SimFiles::ReadFile(const std::string& path) const {
  for (const auto& [stored, content] : s_.world.files) {
    if (AsciiLower(stored) == AsciiLower(path)) return content;
  }
  return std::nullopt;
}

void SimFiles::ExitProcess(int code) {
  s_.exitCode = code;
  s_.run = SimProcessState::Run::Exited;
  s_.world.Log("process ended with exit code " + std::to_string(code));
  throw SimProcessEnded{};
}

bool SimShell::Open(WindowHandle /*owner*/, const std::string& document, int showMode) {
  w_.launches.push_back(document);
  w_.Log("shell open \"" + document + "\" (show mode " + std::to_string(showMode) + ")");
  return true;
}

}  // namespace orbl::sim
