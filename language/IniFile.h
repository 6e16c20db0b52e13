// A read-only view of one INI file that finds what GetPrivateProfileStringA
// finds, so that a language file reads the same on every platform. The rules,
// each checked against the system's reader under Wine
// (tests/e2e/ini_conformance_test.cpp):
// - a line ends at CR, LF or any run of them; blanks (space, tab, VT, FF, CR,
//   LF and 0x1A) around a line, a name or a value do not count;
// - "[name]" opens a section, the name running to the line's last ']' and
//   trimmed; a '[' line without ']' is a key line; ';' starts no comment;
// - lines before the first header form a first section named "";
// - names compare without regard to ASCII case, and the names asked for are
//   trimmed too; of two sections of one name only the first is searched, and
//   in it the first line of a key counts, even one without '=' (no value);
// - a NUL ends a name or value (after the trimming), not its line;
// - one pair of matching quotes around a value is removed; at most kMaxValue
//   characters of a value count;
// - a UTF-8 byte order mark at the start is skipped; all other bytes pass
//   through as they are (the files are in the ANSI code page).
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
