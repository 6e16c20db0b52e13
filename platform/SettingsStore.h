// The per-user settings store: the registry of the current user on Windows, a
// file with the same keys, names, types and texts on Linux. Keys are paths
// below the current user's root ("SOFTWARE\Corvantis\Orbelle\3.x").
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orbl::platform {

// Registry value types.
enum class ValueType : std::uint32_t {
  Absent = 0,  // REG_NONE
  Text = 1,    // REG_SZ
  Binary = 3,  // REG_BINARY
  Number = 4,  // REG_DWORD, little-endian 32-bit
  MultiText = 7,
};

struct StoredValue {
  ValueType type = ValueType::Absent;
  std::vector<std::byte>
      data;  // exactly as stored; text includes its terminating NUL when written so
};

enum class KeyAccess {
  Read,
  ReadWrite,
};

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  using Key = std::uintptr_t;  // 0 = not open

  // Opens an existing key; 0 when it does not exist or access is refused.
  virtual Key OpenKey(const std::string& path, KeyAccess access) = 0;
  // Opens the key for reading and writing, creating it and its parents as needed.
  virtual Key CreateKey(const std::string& path) = 0;
  virtual void CloseKey(Key key) = 0;

  // nullopt when the value does not exist or cannot be read.
  virtual std::optional<StoredValue> QueryValue(Key key, const std::string& name) const = 0;
  // False when the key is read-only or the write failed.
  virtual bool SetValue(Key key, const std::string& name, const StoredValue& value) = 0;
  virtual bool DeleteValue(Key key, const std::string& name) = 0;
};

}  // namespace orbl::platform
