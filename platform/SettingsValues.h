// Reading and writing single values of the settings store in the program's
// text forms. Shared by the options and the autostart entry.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/SettingsStore.h"

namespace orbl::platform {

// Closes an opened key when it goes out of scope.
class OpenedKey {
 public:
  OpenedKey(SettingsStore& store, SettingsStore::Key key) : store_(store), key_(key) {}
  ~OpenedKey() {
    if (key_ != 0) store_.CloseKey(key_);
  }
  OpenedKey(const OpenedKey&) = delete;
  OpenedKey& operator=(const OpenedKey&) = delete;
  explicit operator bool() const { return key_ != 0; }
  SettingsStore::Key Get() const { return key_; }

 private:
  SettingsStore& store_;
  SettingsStore::Key key_;
};

// The text of a value up to its first NUL. Only a text value counts: a missing
// value, or one of any other type, is nullopt.
std::optional<std::string> ReadTextValue(const SettingsStore& store, SettingsStore::Key key,
                                         const std::string& name);

// A 32-bit number value; anything else, or one of another length, is nullopt.
std::optional<std::uint32_t> ReadNumberValue(const SettingsStore& store, SettingsStore::Key key,
                                             const std::string& name);

// Writes a text value with its terminating NUL counted.
bool WriteTextValue(SettingsStore& store, SettingsStore::Key key, const std::string& name,
                    const std::string& text);
// Writes a one-character text; a NUL letter becomes two zero bytes, which
// every reader sees as an empty text.
bool WriteLetterValue(SettingsStore& store, SettingsStore::Key key, const std::string& name,
                      char letter);
bool WriteNumberValue(SettingsStore& store, SettingsStore::Key key, const std::string& name,
                      std::uint32_t number);

}  // namespace orbl::platform
