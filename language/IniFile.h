// A read-only view of one INI file, found the way the Windows private-profile
// functions find things, so that a language file reads the same on every
// platform: section and key names without regard to ASCII case, blanks around
// names and values ignored, the first of duplicate keys wins, a value in
// matching quotes loses them, and at most kMaxValue characters of a value count.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orbl::platform {
class Files;
}

namespace orbl {

class TIniFile {
 public:
  // A value is read into a 4096-byte buffer: its first 4095 characters count.
  static constexpr std::size_t kMaxValue = 4095;

  // No file: every read gives its default.
  TIniFile() = default;
  explicit TIniFile(std::string_view content);
  // The file at `path`; one that cannot be read behaves as an empty one.
  static TIniFile Load(const platform::Files& files, const std::string& path);

  // The value of `key` in `section`; nullopt when the section or the key is
  // absent. A present key with an empty value gives an empty text.
  std::optional<std::string> Find(std::string_view section, std::string_view key) const;
  // The private-profile read: the value when present, else `fallback` with
  // its trailing spaces removed and cut to kMaxValue characters.
  std::string ReadText(std::string_view section, std::string_view key,
                       std::string_view fallback) const;

  struct KeyName {
    std::string section;
    std::string key;
  };
  // Every key line as parsed, duplicates included, in file order; a key line
  // before the first section belongs to the section named "".
  std::vector<KeyName> Keys() const;

 private:
  struct Entry {
    std::string key;
    std::optional<std::string> value;  // a line without '=' has none
  };
  struct Section {
    std::string name;
    std::vector<Entry> entries;
  };
  std::vector<Section> sections_;
};

}  // namespace orbl
