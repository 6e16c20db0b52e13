// The settings store on Linux: one UTF-8 text file, by default
// $XDG_CONFIG_HOME/orbelle/settings.reg, holding what the registry would:
//
//   # Orbelle settings
//   [SOFTWARE\Corvantis\Orbelle\3.x]
//   "Language"=text:"Deutsch.ini\0"
//   "Hot Key D"=number:0x00000241
//   "Pictures"=binary:"\x89PNG\r\n\x1a\n"
//
// A line "[path]" starts a key; the lines below it are its values, each
// "name"=type:data with the type text, binary, number, multitext or none.
// Names and data are quoted byte strings: printable ASCII and valid UTF-8
// stand for themselves, \\ \" \0 \n \r \t and \xHH for every other byte, so
// the exact bytes come back, NULs included. A number of exactly four bytes is
// written as its 0x value. Blank lines and lines starting with # are skipped.
//
// Paths and names compare without regard to ASCII case and keep the case they
// were made with. A line that cannot be read, an unknown type or a value over
// 1 MiB is left out as if absent; the rest of the file still loads.
//
// The file is read when the first key is opened while none is open, and
// written whole, once, when a key opened for writing is closed after a
// change: a failed write leaves the previous file as it was.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/SettingsStore.h"

namespace orbl::lnx {

inline constexpr std::size_t kMaxSettingsValueBytes = 1 << 20;

// The keys of the file by their lowered path, each value by its lowered name.
struct SettingsKey {
  std::string path;
  std::map<std::string, std::pair<std::string, platform::StoredValue>> values;
};
using SettingsTree = std::map<std::string, SettingsKey>;

SettingsTree ParseSettings(std::string_view text);
std::string FormatSettings(const SettingsTree& tree);
// A key path the file can hold: no empty part, no control character, UTF-8.
bool IsValidKeyPath(std::string_view path);
// Adds the key and its parents (as the registry makes them); the key's id.
std::string AddKeyWithParents(SettingsTree& tree, const std::string& path);

class LinuxSettingsFile final : public platform::SettingsStore {
 public:
  explicit LinuxSettingsFile(std::string filePath) : path_(std::move(filePath)) {}

  Key OpenKey(const std::string& path, platform::KeyAccess access) override;
  Key CreateKey(const std::string& path) override;
  void CloseKey(Key key) override;

  std::optional<platform::StoredValue> QueryValue(Key key, const std::string& name) const override;
  bool SetValue(Key key, const std::string& name, const platform::StoredValue& value) override;
  bool DeleteValue(Key key, const std::string& name) override;

 private:
  struct OpenedKey {
    std::string id;
    bool writable = false;
  };
  void LoadIfIdle();
  Key Remember(std::string id, bool writable);
  SettingsKey* Writable(Key key);

  std::string path_;
  SettingsTree tree_;
  std::map<Key, OpenedKey> opened_;
  Key nextKey_ = 1;
  bool changed_ = false;
};

}  // namespace orbl::lnx
