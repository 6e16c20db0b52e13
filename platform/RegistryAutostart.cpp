#include "platform/RegistryAutostart.h"

#include "platform/AsciiCase.h"
#include "platform/SettingsValues.h"

namespace orbl::platform {

bool RegistryAutostart::NamesProgram(const std::string& stored, const std::string& programPath) {
  std::string_view path = stored;
  if (path.size() >= 2 && path.front() == '"' && path.back() == '"') {
    path = path.substr(1, path.size() - 2);
  }
  return !path.empty() && EqualsIgnoringAsciiCase(path, programPath);
}

bool RegistryAutostart::IsEnabled() const {
  const OpenedKey key(store_, store_.OpenKey(kRunKey, KeyAccess::Read));
  if (!key) return false;
  const auto stored = ReadTextValue(store_, key.Get(), kAutostartValue);
  return stored && NamesProgram(*stored, programPath_());
}

bool RegistryAutostart::Enable() {
  SettingsStore::Key handle = store_.OpenKey(kRunKey, KeyAccess::ReadWrite);
  if (handle == 0) handle = store_.CreateKey(kRunKey);
  const OpenedKey key(store_, handle);
  // Quoted: the shell splits an unquoted path at its first blank and would
  // run "C:\Program.exe" for "C:\Program Files\...", if someone put one there.
  return key && WriteTextValue(store_, key.Get(), kAutostartValue, '"' + programPath_() + '"');
}

bool RegistryAutostart::Disable() {
  const OpenedKey key(store_, store_.OpenKey(kRunKey, KeyAccess::ReadWrite));
  if (!key) return !IsEnabled();
  const std::string program = programPath_();
  bool ok = true;
  for (const char* name : {kAutostartValue, kLegacyAutostartValue}) {
    const auto stored = ReadTextValue(store_, key.Get(), name);
    if (stored && NamesProgram(*stored, program)) ok = store_.DeleteValue(key.Get(), name) && ok;
  }
  return ok;
}

}  // namespace orbl::platform
