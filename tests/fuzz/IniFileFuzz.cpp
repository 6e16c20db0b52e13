// Language files are outside input: anyone may drop any file into the
// language folder. The reader must take any bytes (NULs, lone CRs, lines far
// longer than a value may be, no sections, no final line end) and keep its
// promises: a value of at most 4095 characters, names found again however
// they are asked for, and the same reading whatever the file's line ends.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/Fuzz.h"
#include "language/IniFile.h"
#include "platform/AsciiCase.h"

namespace {

using orbl::TIniFile;

constexpr std::size_t kKeysChecked = 8;
constexpr std::size_t kShortFile = 1024;

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f' || c == 0x1A;
}

void Check(bool condition) {
  if (!condition) std::abort();
}

// Builds the file from the input: the first byte chooses whether a run of one
// character is spliced in (so that values pass the buffer's size with short
// inputs) and whether the file ends without its last line end.
std::string MakeContent(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return std::string(reinterpret_cast<const char*>(data), size);
  const std::uint8_t choice = data[0];
  const char fill = static_cast<char>(data[1]);
  std::string content(reinterpret_cast<const char*>(data + 3), size - 3);
  // One input in sixteen: a file this long costs a hundred short ones.
  if ((choice & 0x0F) == 0x0F) {
    const std::size_t at = content.empty() ? 0 : data[2] % (content.size() + 1);
    const std::size_t length = 4000 + static_cast<std::size_t>(choice >> 4) * 32;  // to 4480
    content.insert(at, length, fill);
  }
  return content;
}

std::string Flip(std::string_view name) {
  std::string flipped(name);
  for (char& c : flipped) {
    if (c >= 'a' && c <= 'z') {
      c = static_cast<char>(c - 'a' + 'A');
    } else if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return flipped;
}

// Every CR LF pair as a lone LF, and every lone CR as LF too.
std::string WithLfOnly(std::string_view content) {
  std::string out;
  for (std::size_t i = 0; i < content.size(); ++i) {
    if (content[i] == '\r') {
      if (i + 1 < content.size() && content[i + 1] == '\n') continue;
      out += '\n';
    } else {
      out += content[i];
    }
  }
  return out;
}

}  // namespace

int orbl::fuzz::IniFile(const std::uint8_t* data, std::size_t size) {
  const std::string content = MakeContent(data, size);
  const TIniFile file(content);
  // A long file (a spliced run) is read once only: read three times it would
  // cost as much as a hundred short ones, and short files try the line ends.
  const bool alsoOtherEnds = content.size() <= kShortFile;
  const TIniFile lfOnly(alsoOtherEnds ? WithLfOnly(content) : std::string());
  const TIniFile finalLineEnd(alsoOtherEnds ? content + "\r\n" : std::string());

  // Each key's promises are checked for the first few keys only: a lookup
  // scans the file, and a later key is read no differently from an earlier one.
  const std::vector<TIniFile::KeyName> keys = file.Keys();
  const std::size_t checked = std::min<std::size_t>(keys.size(), kKeysChecked);
  for (const TIniFile::KeyName& k : std::span(keys).first(checked)) {
    for (const std::string& name : {k.section, k.key}) {
      Check(name.find('\0') == std::string::npos);
      Check(name.find_first_of("\r\n") == std::string::npos);
      // Trailing blanks can remain where a NUL cut the name after trimming.
      Check(name.empty() || !IsBlank(name.front()));
    }
    const std::optional<std::string> value = file.Find(k.section, k.key);
    if (value) {
      Check(value->size() <= TIniFile::kMaxValue);
      Check(value->find('\0') == std::string::npos);
      Check(value->find_first_of("\r\n") == std::string::npos);
    }
    // Names are found without regard to case and to blanks around them.
    Check(file.Find(Flip(k.section), Flip(k.key)) == value);
    Check(file.Find(" \t" + k.section + "\t ", " " + k.key + " ") == value);
    // The default is given exactly when nothing is found.
    const std::string read = file.ReadText(k.section, k.key, "\x01");
    Check(value ? read == *value : read == "\x01");
    // Line ends of either kind, and a last one or none, read alike.
    if (alsoOtherEnds) {
      Check(lfOnly.Find(k.section, k.key) == value);
      Check(finalLineEnd.Find(k.section, k.key) == value);
    }
  }
  if (alsoOtherEnds) {
    Check(lfOnly.Keys().size() == keys.size());
    Check(finalLineEnd.Keys().size() == keys.size());
  }

  // A default is cut like a value and loses its trailing spaces only.
  const std::string fallback = content.substr(0, 5000);
  // No section name holds a line end, so this one is never found.
  const std::string given = file.ReadText("no\nsection", "key", fallback);
  Check(given.size() <= TIniFile::kMaxValue);
  Check(fallback.compare(0, given.size(), given) == 0);
  return 0;
}
