#include "platform/SettingsValues.h"

#include <algorithm>

namespace orbl::platform {

std::optional<std::string> ReadTextValue(const SettingsStore& store, SettingsStore::Key key,
                                         const std::string& name) {
  const auto value = store.QueryValue(key, name);
  if (!value || value->type != ValueType::Text) return std::nullopt;
  // The stored bytes need not end with a NUL; never read past them.
  const auto end = std::find(value->data.begin(), value->data.end(), std::byte{0});
  std::string text;
  text.reserve(static_cast<std::size_t>(end - value->data.begin()));
  for (auto it = value->data.begin(); it != end; ++it) text.push_back(static_cast<char>(*it));
  return text;
}

std::optional<std::uint32_t> ReadNumberValue(const SettingsStore& store, SettingsStore::Key key,
                                             const std::string& name) {
  const auto value = store.QueryValue(key, name);
  if (!value || value->type != ValueType::Number || value->data.size() != 4) return std::nullopt;
  std::uint32_t number = 0;
  for (int i = 3; i >= 0; --i) {
    number = (number << 8U) | static_cast<std::uint32_t>(value->data[static_cast<std::size_t>(i)]);
  }
  return number;
}

bool WriteTextValue(SettingsStore& store, SettingsStore::Key key, const std::string& name,
                    const std::string& text) {
  StoredValue value{ValueType::Text, {}};
  value.data.reserve(text.size() + 1);
  for (char c : text) value.data.push_back(static_cast<std::byte>(c));
  value.data.push_back(std::byte{0});
  return store.SetValue(key, name, value);
}

bool WriteLetterValue(SettingsStore& store, SettingsStore::Key key, const std::string& name,
                      char letter) {
  return store.SetValue(
      key, name, StoredValue{ValueType::Text, {static_cast<std::byte>(letter), std::byte{0}}});
}

bool WriteNumberValue(SettingsStore& store, SettingsStore::Key key, const std::string& name,
                      std::uint32_t number) {
  StoredValue value{ValueType::Number, {}};
  for (int shift = 0; shift < 32; shift += 8) {
    value.data.push_back(static_cast<std::byte>((number >> shift) & 0xFFu));
  }
  return store.SetValue(key, name, value);
}

}  // namespace orbl::platform
