// The settings a user of the older version has stored, read from
// tests/settings/older-version-settings.txt: what the program must go on
// reading and writing, name for name, whatever its own tables say.
#pragma once

#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace orbl::test {

struct StoredEntry {
  std::string name;
  std::string type;   // "REG_SZ" or "REG_DWORD"
  std::string field;  // the option record's field, "-" for none
  std::string text;
};

inline std::vector<StoredEntry> OlderVersionSettings() {
  std::ifstream in(ORBL_OLDER_SETTINGS);
  if (!in) throw std::runtime_error("cannot read " ORBL_OLDER_SETTINGS);
  const auto trim = [](const std::string& s) {
    const auto first = s.find_first_not_of(' ');
    return first == std::string::npos ? std::string()
                                      : s.substr(first, s.find_last_not_of(' ') - first + 1);
  };
  std::vector<StoredEntry> entries;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line.front() == '#') continue;
    std::vector<std::string> cells;
    for (std::size_t at = 0;;) {
      const std::size_t bar = line.find('|', at);
      cells.push_back(trim(line.substr(at, bar - at)));
      if (bar == std::string::npos) break;
      at = bar + 1;
    }
    if (cells.size() != 4) throw std::runtime_error("malformed line: " + line);
    entries.push_back({cells[0], cells[1], cells[2], cells[3]});
  }
  return entries;
}

}  // namespace orbl::test
