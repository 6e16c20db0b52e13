// Reading and writing the text of the settings file (see LinuxSettingsFile.h).
#include <array>
#include <cstdint>
#include <cstring>

#include "platform/AsciiCase.h"
#include "platform/linux/LinuxSettingsFile.h"

namespace orbl::lnx {

using platform::StoredValue;
using platform::ValueType;

namespace {

constexpr std::array<std::pair<ValueType, std::string_view>, 5> kTypeNames{{
    {ValueType::Absent, "none"},
    {ValueType::Text, "text"},
    {ValueType::Binary, "binary"},
    {ValueType::Number, "number"},
    {ValueType::MultiText, "multitext"},
}};

constexpr std::string_view kHexDigits = "0123456789abcdef";

std::optional<ValueType> TypeNamed(std::string_view name) {
  for (const auto& [type, typeName] : kTypeNames) {
    if (typeName == name) return type;
  }
  return std::nullopt;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The length of the valid UTF-8 sequence of two or more bytes starting at
// `at`, else 0 (overlong forms and surrogates are not valid).
std::size_t Utf8SequenceAt(std::string_view bytes, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
  const unsigned char lead = byte(at);
  std::size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (at + length > bytes.size()) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    const unsigned char next = byte(at + i);
    if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF)) return 0;
  }
  return length;
}

void AppendQuoted(std::string& out, std::string_view bytes) {
  out += '"';
  for (std::size_t i = 0; i < bytes.size();) {
    const char c = bytes[i];
    const auto u = static_cast<unsigned char>(c);
    if (c == '\\' || c == '"') {
      out += {'\\', c};
    } else if (c == '\0') {
      out += "\\0";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (u >= 0x20 && u < 0x7F) {
      out += c;
    } else if (const std::size_t length = u >= 0x80 ? Utf8SequenceAt(bytes, i) : 0) {
      out.append(bytes.substr(i, length));
      i += length;
      continue;
    } else {
      out += {'\\', 'x', kHexDigits[u >> 4], kHexDigits[u & 0xF]};
    }
    ++i;
  }
  out += '"';
}

// Reads a quoted byte string at the start of `line` and removes it from
// there; nullopt when it is not one or decodes to more than `maxBytes`.
std::optional<std::string> TakeQuoted(std::string_view& line, std::size_t maxBytes) {
  if (line.empty() || line.front() != '"') return std::nullopt;
  std::string out;
  std::size_t i = 1;
  for (;;) {
    if (i >= line.size() || out.size() > maxBytes) return std::nullopt;
    const char c = line[i++];
    if (c == '"') break;
    if (c != '\\') {
      out += c;
      continue;
    }
    if (i >= line.size()) return std::nullopt;
    switch (const char e = line[i++]) {
      case '\\':
      case '"':
        out += e;
        break;
      case '0':
        out += '\0';
        break;
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      case 't':
        out += '\t';
        break;
      case 'x': {
        if (i + 2 > line.size()) return std::nullopt;
        const int high = HexValue(line[i]);
        const int low = HexValue(line[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        out += static_cast<char>(high * 16 + low);
        i += 2;
        break;
      }
      default:
        return std::nullopt;
    }
  }
  if (out.size() > maxBytes) return std::nullopt;
  line.remove_prefix(i);
  return out;
}

std::vector<std::byte> Bytes(std::string_view text) {
  std::vector<std::byte> out(text.size());
  if (!text.empty()) std::memcpy(out.data(), text.data(), text.size());
  return out;
}

// `"name"=type:data`, or nullopt when the line is not one.
std::optional<std::pair<std::string, StoredValue>> ParseValueLine(std::string_view line) {
  std::optional<std::string> name = TakeQuoted(line, kMaxSettingsValueBytes);
  if (!name || line.empty() || line.front() != '=') return std::nullopt;
  line.remove_prefix(1);
  const std::size_t colon = line.find(':');
  if (colon == std::string_view::npos) return std::nullopt;
  const std::optional<ValueType> type = TypeNamed(line.substr(0, colon));
  if (!type) return std::nullopt;
  line.remove_prefix(colon + 1);
  StoredValue value{*type, {}};
  if (*type == ValueType::Number && line.size() == 10 && line.starts_with("0x")) {
    std::uint32_t number = 0;
    for (char c : line.substr(2)) {
      const int digit = HexValue(c);
      if (digit < 0) return std::nullopt;
      number = number << 4 | static_cast<std::uint32_t>(digit);
    }
    for (int shift = 0; shift < 32; shift += 8) {
      value.data.push_back(static_cast<std::byte>(number >> shift & 0xFF));
    }
    return std::pair{std::move(*name), std::move(value)};
  }
  std::optional<std::string> data = TakeQuoted(line, kMaxSettingsValueBytes);
  if (!data || !line.empty()) return std::nullopt;
  value.data = Bytes(*data);
  return std::pair{std::move(*name), std::move(value)};
}

}  // namespace

bool IsValidKeyPath(std::string_view path) {
  if (path.empty()) return false;
  char previous = '\\';
  for (std::size_t i = 0; i < path.size(); ++i) {
    const auto u = static_cast<unsigned char>(path[i]);
    if (u < 0x20 || u == 0x7F || (path[i] == '\\' && previous == '\\')) return false;
    if (u >= 0x80) {
      const std::size_t length = Utf8SequenceAt(path, i);
      if (length == 0) return false;
      i += length - 1;
    }
    previous = path[i];
  }
  return previous != '\\';
}

std::string AddKeyWithParents(SettingsTree& tree, const std::string& path) {
  for (std::size_t slash = path.find('\\'); slash != std::string::npos;
       slash = path.find('\\', slash + 1)) {
    tree.try_emplace(AsciiLower(path.substr(0, slash)), SettingsKey{path.substr(0, slash), {}});
  }
  std::string id = AsciiLower(path);
  tree.try_emplace(id, SettingsKey{path, {}});
  return id;
}

SettingsTree ParseSettings(std::string_view text) {
  SettingsTree tree;
  SettingsKey* current = nullptr;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    if (line.front() == '[') {
      current = nullptr;
      if (line.size() < 2 || !line.ends_with(']')) continue;
      const std::string_view path = line.substr(1, line.size() - 2);
      if (IsValidKeyPath(path)) current = &tree[AddKeyWithParents(tree, std::string(path))];
      continue;
    }
    if (!current) continue;
    if (auto value = ParseValueLine(line)) {
      current->values.insert_or_assign(AsciiLower(value->first), std::move(*value));
    }
  }
  return tree;
}

std::string FormatSettings(const SettingsTree& tree) {
  std::string out = "# Orbelle settings\n";
  for (const auto& [id, key] : tree) {
    out += '[' + key.path + "]\n";
    for (const auto& [lowered, named] : key.values) {
      const auto& [name, value] = named;
      AppendQuoted(out, name);
      out += '=';
      for (const auto& [type, typeName] : kTypeNames) {
        if (type == value.type) out += typeName;
      }
      out += ':';
      if (value.type == ValueType::Number && value.data.size() == 4) {
        std::uint32_t number = 0;
        for (int i = 3; i >= 0; --i)
          number = number << 8 | static_cast<std::uint32_t>(value.data[i]);
        out += "0x";
        for (int shift = 28; shift >= 0; shift -= 4) out += kHexDigits[number >> shift & 0xF];
      } else {
        AppendQuoted(out, std::string_view(reinterpret_cast<const char*>(value.data.data()),
                                           value.data.size()));
      }
      out += '\n';
    }
  }
  return out;
}

}  // namespace orbl::lnx
