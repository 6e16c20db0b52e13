// Reading a scenario file (docs/scenarios.md), shared by the two runners: the
// one on the simulation (ScenarioTest.cpp) and the one that works orbl3.exe
// under Wine (tests/e2e/orbl_e2e.cpp). No system header: both compile it.
#pragma once

#include <cstdint>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace orbl::scenario {

struct Line {
  int number = 0;
  std::string verb;
  std::string rest;  // everything after the verb and one blank
};

struct Scenario {
  std::string file;  // the file's name without its folder and extension
  std::string title;
  std::vector<Line> lines;
  bool wine = false;  // tagged to run against the real program too
};

// Words of a line: blank-separated, or "quoted" with \" \n \r \\ inside.
inline std::vector<std::string> Words(const std::string& rest) {
  std::vector<std::string> words;
  for (std::size_t i = 0; i < rest.size();) {
    if (rest[i] == ' ') {
      ++i;
      continue;
    }
    std::string word;
    if (rest[i] == '"') {
      for (++i; i < rest.size() && rest[i] != '"'; ++i) {
        // Any other backslash is itself (a path's).
        if (rest[i] == '\\' && i + 1 < rest.size() && std::strchr("\"nr\\", rest[i + 1])) {
          ++i;
          word += rest[i] == 'n' ? '\n' : rest[i] == 'r' ? '\r' : rest[i];
        } else {
          word += rest[i];
        }
      }
      ++i;
    } else {
      for (; i < rest.size() && rest[i] != ' '; ++i) word += rest[i];
    }
    words.push_back(word);
  }
  return words;
}

inline std::vector<Scenario> ReadScenarios(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::string file = path.substr(path.find_last_of("\\/") + 1);
  file = file.substr(0, file.rfind('.'));
  std::vector<Scenario> scenarios;
  std::string text;
  for (int number = 1; std::getline(in, text); ++number) {
    if (!text.empty() && text.back() == '\r') text.pop_back();
    if (text.empty() || text[0] == '#') continue;
    if (text.rfind("== ", 0) == 0) {
      scenarios.push_back({file, text.substr(3), {}, false});
      continue;
    }
    if (scenarios.empty()) throw std::runtime_error(path + ": a line before any '=='");
    const std::size_t blank = text.find(' ');
    Line line{number, text.substr(0, blank),
              blank == std::string::npos ? "" : text.substr(blank + 1)};
    if (line.verb == "tags") {
      for (const std::string& tag : Words(line.rest)) scenarios.back().wine |= tag == "wine";
    }
    scenarios.back().lines.push_back(std::move(line));
  }
  return scenarios;
}

// "Ctrl+Alt+D" as RegisterHotKey counts it: the modifiers MOD_ALT 1,
// MOD_CONTROL 2, MOD_SHIFT 4, MOD_WIN 8, and the key (F1 is 0x70).
inline std::pair<std::uint32_t, std::uint32_t> HotKey(const std::string& text) {
  std::uint32_t modifiers = 0;
  std::size_t from = 0;
  for (std::size_t at; (at = text.find('+', from)) != std::string::npos; from = at + 1) {
    const std::string name = text.substr(from, at - from);
    const std::pair<const char*, std::uint32_t> names[] = {
        {"Alt", 1}, {"Ctrl", 2}, {"Shift", 4}, {"Win", 8}};
    const std::uint32_t before = modifiers;
    for (const auto& [modifier, bit] : names) modifiers |= name == modifier ? bit : 0;
    if (modifiers == before) throw std::runtime_error("no such modifier: " + name);
  }
  const std::string key = text.substr(from);
  if (key.size() == 1) return {modifiers, static_cast<std::uint32_t>(key[0])};
  if (key.size() > 1 && key[0] == 'F') {
    return {modifiers, 0x70 + static_cast<std::uint32_t>(std::stoi(key.substr(1))) - 1};
  }
  throw std::runtime_error("no such key: " + key);
}

}  // namespace orbl::scenario
