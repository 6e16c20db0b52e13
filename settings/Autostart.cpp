#include "settings/Autostart.h"

#include "settings/SettingsValues.h"

namespace orbl {

namespace {

std::string AsciiLower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

}  // namespace

bool ReadAutoStart(platform::SettingsStore& store, const std::string& programPath) {
  const OpenedKey key(store, store.OpenKey(kRunKey, platform::KeyAccess::Read));
  if (!key) return false;
  const auto stored = ReadTextValue(store, key.Get(), kAutostartValue);
  return stored && !stored->empty() && AsciiLower(*stored) == AsciiLower(programPath);
}

}  // namespace orbl
