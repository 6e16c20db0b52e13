// Language files are outside input: anyone may drop any file into the
// language folder. The reader must take any bytes (NULs, lone CRs, lines far
// longer than a value may be, no sections, no final line end) and keep its
// promises: a value of at most 4095 characters, names found again however
// they are asked for, and the same reading whatever the file's line ends.
#include <algorithm>
#include <span>
#include <string_view>

#include "fuzz/Fuzz.h"
#include "language/IniFile.h"

namespace orbl::fuzz {
namespace {

// No line end and no NUL; a name has no leading blank either (trailing ones
// can remain where a NUL cut the name after trimming).
bool Plain(const std::string& text, bool name) {
  return text.find_first_of(std::string_view("\0\r\n", 3)) == std::string::npos &&
         (!name || text.empty() ||
          std::string_view(" \t\n\r\v\f\x1a").find(text[0]) == std::string::npos);
}

// Blanks around, and the letters' case flipped.
std::string Disguised(std::string_view name) {
  std::string out(" \t");
  for (char c : name)
    out += static_cast<char>((c | 0x20) >= 'a' && (c | 0x20) <= 'z' ? c ^ 0x20 : c);
  return out + "\t ";
}

// Every line end as LF, and one after the last line: a run of line ends is one.
std::string WithLfOnly(std::string content) {
  std::ranges::replace(content, '\r', '\n');
  return content + "\n";
}

}  // namespace

// Input: [choice][fill][at] then the file. One input in sixteen has a run of
// `fill` spliced in, so that values pass the buffer's size with short inputs.
int IniFile(const std::uint8_t* data, std::size_t size) {
  Input input(data, size);
  const auto head = size < 3 ? 0 : input.Number(3);
  std::string content = input.Text(size);
  if ((head & 0x0F) == 0x0F) {
    const std::size_t run = 4000 + ((head >> 4) & 0x0F) * 32;  // to 4480
    content.insert((head >> 16) % (content.size() + 1), run, static_cast<char>(head >> 8));
  }
  const TIniFile file(content);
  const bool alsoLfOnly = content.size() <= 256;  // a long file is read once only
  const TIniFile lfOnly(alsoLfOnly ? WithLfOnly(content) : std::string());

  // A lookup scans the file, and a later key is read no differently from an
  // earlier one: the first two keys are checked.
  const std::vector<TIniFile::KeyName> keys = file.Keys();
  for (const auto& k : std::span(keys).first(std::min<std::size_t>(keys.size(), 2))) {
    Check(Plain(k.section, true) && Plain(k.key, true));
    const std::optional<std::string> value = file.Find(k.section, k.key);
    Check(!value || (value->size() <= TIniFile::kMaxValue && Plain(*value, false)));
    // Names are found without regard to case and to blanks around them.
    Check(file.Find(Disguised(k.section), Disguised(k.key)) == value);
    // The default is given exactly when nothing is found.
    Check(file.ReadText(k.section, k.key, "\x01") == value.value_or("\x01"));
    // Line ends of either kind, and a last one or none, read alike.
    Check(!alsoLfOnly || lfOnly.Find(k.section, k.key) == value);
  }
  Check(!alsoLfOnly || lfOnly.Keys().size() == keys.size());

  // A default is cut like a value and loses its trailing spaces only; no
  // section name holds a line end, so this one is never found.
  const std::string fallback = content.substr(0, 5000);
  const std::string given = file.ReadText("no\nsection", "key", fallback);
  Check(given.size() <= TIniFile::kMaxValue && fallback.starts_with(given));
  return 0;
}

}  // namespace orbl::fuzz
