#include "language/IniFile.h"

#include "platform/AsciiCase.h"
#include "platform/Files.h"

namespace orbl {

namespace {

// The blanks the private-profile reader skips around names and values; 0x1A
// is the end-of-file mark old editors left behind.
constexpr bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f' || c == 0x1A;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// The value as a private-profile read hands it out: one pair of matching
// quotes removed, cut to what a 4096-byte buffer holds. The reader copies
// from after the opening quote and then drops the last character copied when
// the closing quote could have fit: a quoted value of exactly 4095 characters
// loses its own last one, and a longer one is cut to 4095 with no quote left.
std::string CopyValue(std::string_view value) {
  char quote = 0;
  if (value.size() > 1 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    quote = value.front();
    value.remove_prefix(1);
  }
  std::string out(value.substr(0, TIniFile::kMaxValue));
  if (quote != 0 && value.size() <= TIniFile::kMaxValue + 1 && !out.empty()) out.pop_back();
  return out;
}

// A name or value ends at a NUL byte, though the line goes on.
std::string UpToNul(std::string_view text) {
  return std::string(text.substr(0, text.find('\0')));
}

}  // namespace

TIniFile::TIniFile(std::string_view content) {
  // Wine skips the mark and then reads the file as UTF-8, handing out its
  // text in the ANSI code page. Here the mark is only skipped: a file that
  // carries one saved its texts in the wrong encoding anyway, and skipping it
  // keeps the first header a header. Windows may read the mark as text and
  // lose that header; the forgiving reading is the one chosen.
  constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
  if (content.substr(0, kUtf8Mark.size()) == kUtf8Mark) content.remove_prefix(kUtf8Mark.size());

  // Keys before the first section belong to a nameless one.
  sections_.push_back(Section{});
  std::size_t pos = 0;
  while (pos < content.size()) {
    // A line ends at any run of CR and LF characters.
    std::size_t end = content.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = content.size();
    const std::string_view line = Trim(content.substr(pos, end - pos));
    pos = content.find_first_not_of("\r\n", end);
    if (pos == std::string_view::npos) pos = content.size();
    if (line.empty()) continue;

    if (line.front() == '[') {
      const std::size_t close = line.rfind(']');
      if (close != std::string_view::npos && close > 0) {
        sections_.push_back(Section{UpToNul(Trim(line.substr(1, close - 1))), {}});
        continue;
      }
      // A header without its bracket is read as a key line.
    }
    const std::size_t equals = line.find('=');
    Entry entry;
    if (equals == std::string_view::npos) {
      entry.key = UpToNul(line);
    } else {
      entry.key = UpToNul(Trim(line.substr(0, equals)));
      entry.value = UpToNul(Trim(line.substr(equals + 1)));
    }
    sections_.back().entries.push_back(std::move(entry));
  }
}

TIniFile TIniFile::Load(const platform::Files& files, const std::string& path) {
  const std::optional<std::string> content = files.ReadFile(path);
  return content ? TIniFile(*content) : TIniFile();
}

std::optional<std::string> TIniFile::Find(std::string_view section, std::string_view key) const {
  section = Trim(section);
  key = Trim(key);
  // Only the first section of a name is searched, and in it the first key.
  for (const Section& s : sections_) {
    if (!EqualsIgnoringAsciiCase(s.name, section)) continue;
    for (const Entry& e : s.entries) {
      if (!EqualsIgnoringAsciiCase(e.key, key)) continue;
      if (!e.value) return std::nullopt;
      return CopyValue(*e.value);
    }
    return std::nullopt;
  }
  return std::nullopt;
}

std::string TIniFile::ReadText(std::string_view section, std::string_view key,
                               std::string_view fallback) const {
  if (std::optional<std::string> value = Find(section, key)) return std::move(*value);
  // The default comes back as the buffer holds it, without trailing spaces
  // (other blanks stay). Wine keeps the first character even when it is a
  // space; Windows is documented to strip "any trailing blanks" and may give
  // "" there. Only a text of nothing but spaces tells them apart, and Wine's
  // answer is the one that can be tested.
  while (fallback.size() > 1 && fallback.back() == ' ') fallback.remove_suffix(1);
  return std::string(fallback.substr(0, kMaxValue));
}

std::vector<TIniFile::KeyName> TIniFile::Keys() const {
  std::vector<KeyName> keys;
  for (const Section& s : sections_) {
    for (const Entry& e : s.entries) keys.push_back({s.name, e.key});
  }
  return keys;
}

}  // namespace orbl
