// Stored values are outside input: another tool or a hand edit may leave any
// bytes of any type under any of our names, the settings' or the held locks'.
// The load must neither crash nor read past a value, and a number it accepts
// must read back the same.
#include <map>
#include <utility>

#include "drives/DriveTools.h"
#include "fuzz/Fuzz.h"
#include "settings/HeldLocks.h"
#include "settings/NumberText.h"
#include "settings/RegistrySettings.h"

namespace orbl::fuzz {
namespace {

using platform::StoredValue;

// The program's two keys and nothing else, in memory: the load meets only what
// the input stored. The program asks for a name as it writes it, so names
// match exactly.
class Store final : public platform::SettingsStore {
 public:
  std::map<std::pair<Key, std::string>, StoredValue> values;
  int open = 0;  // keys opened and not yet closed

  Key OpenKey(const std::string& path, platform::KeyAccess access) override {
    Check(access == platform::KeyAccess::Read);  // a load writes nothing
    const Key key = path == kSettingsKey ? 1 : path == kHeldLocksKey ? 2 : 0;
    open += key != 0 ? 1 : 0;
    return key;
  }
  Key CreateKey(const std::string& /*path*/) override { return 0; }
  void CloseKey(Key key) override { open -= key != 0 ? 1 : 0; }
  std::optional<StoredValue> QueryValue(Key key, const std::string& name) const override {
    const auto it = values.find({key, name});
    return it == values.end() ? std::nullopt : std::optional(it->second);
  }
  bool SetValue(Key /*key*/, const std::string& /*name*/, const StoredValue& /*value*/) override {
    return false;
  }
  bool DeleteValue(Key /*key*/, const std::string& /*name*/) override { return false; }
};

}  // namespace

int StoredValues(const std::uint8_t* data, std::size_t size) {
  // The whole input as one text: a number accepted must print back to itself.
  if (auto number = TextToInt({reinterpret_cast<const char*>(data), size})) {
    Check(TextToInt(std::to_string(*number)) == number);
  }
  // The input as values [name][type][length][bytes] under the names of the
  // drive values of D: and E:, the program-wide ones and the held locks'.
  static auto* store = new Store();  // lives as long as the fuzzing
  static const auto names = [] {
    std::vector<std::pair<Store::Key, std::string>> all;
    for (const std::string drive : {"D", "E"}) {
      for (const TDriveValue& value : kDriveValues) all.emplace_back(1, drive + value.Suffix);
    }
    for (const TAppValue& value : kAppValues) all.emplace_back(1, value.Name);
    for (const char* held : {"Boot Moment", "Uptime", "D", "E"}) all.emplace_back(2, held);
    return all;
  }();
  // This boot's identity is stored unless the input writes over it, so that
  // inputs reach the held counts.
  const std::vector<std::byte> thousand = {std::byte{0xE8}, std::byte{0x03}, {}, {}};
  store->values = {{{2, "Boot Moment"}, {platform::ValueType::Number, thousand}},
                   {{2, "Uptime"}, {platform::ValueType::Number, thousand}}};
  for (Input input(data, size); input.Left() >= 3;) {
    const auto& name = names[input.Number(1) % names.size()];
    const auto type = static_cast<platform::ValueType>(input.Number(1) % 8);
    store->values[name] = StoredValue{type, input.Bytes(input.Number(1))};
  }
  TDriveTable drives = {NewDriveRecord('D'), NewDriveRecord('E')};
  TAppOptions options;
  LoadSettings(*store, drives, options);
  for (const auto& [letter, count] : LoadHeldLocks(*store, {1000, 1000}, "DE")) {
    Check(count >= 1 && count <= static_cast<int>(kMaxHeldLocks));
  }
  Check(store->open == 0);  // every key the load opened is closed again
  return 0;
}

}  // namespace orbl::fuzz
