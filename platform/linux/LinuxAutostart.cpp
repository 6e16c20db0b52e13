#include "platform/linux/LinuxAutostart.h"

#include <unistd.h>

#include <cerrno>

#include "platform/linux/LinuxFolders.h"

namespace orbl::lnx {

namespace {

// An autostart entry is a few lines; a bigger file is not ours.
constexpr std::size_t kMaxEntryBytes = std::size_t{64} * 1024;

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// The escapes of a desktop entry's string values: \s \n \t \r \\.
std::optional<std::string> UnescapeValue(std::string_view value) {
  std::string out;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\') {
      out += value[i];
      continue;
    }
    if (++i == value.size()) return std::nullopt;
    switch (value[i]) {
      case 's':
        out += ' ';
        break;
      case 'n':
        out += '\n';
        break;
      case 't':
        out += '\t';
        break;
      case 'r':
        out += '\r';
        break;
      case '\\':
        out += '\\';
        break;
      default:
        return std::nullopt;
    }
  }
  return out;
}

// The first argument of an unescaped Exec value: a quoted one, in which only
// " ` $ and \ may be, and must be, escaped; or a bare word. "%%" is a
// literal percent sign; any other field code makes it no program path.
std::optional<std::string> FirstArgument(std::string_view exec) {
  std::string raw;
  if (!exec.empty() && exec.front() == '"') {
    std::size_t i = 1;
    for (;; ++i) {
      if (i >= exec.size()) return std::nullopt;
      const char c = exec[i];
      if (c == '"') break;
      if (c == '\\') {
        if (++i == exec.size()) return std::nullopt;
        const char escaped = exec[i];
        if (escaped != '"' && escaped != '`' && escaped != '$' && escaped != '\\') {
          return std::nullopt;
        }
        raw += escaped;
      } else if (c == '`' || c == '$') {
        return std::nullopt;
      } else {
        raw += c;
      }
    }
    if (i + 1 < exec.size() && exec[i + 1] != ' ') return std::nullopt;
  } else {
    raw = exec.substr(0, exec.find(' '));
  }
  std::string path;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '%') {
      if (i + 1 == raw.size() || raw[i + 1] != '%') return std::nullopt;
      ++i;
    }
    path += raw[i];
  }
  if (path.empty()) return std::nullopt;
  return path;
}

}  // namespace

std::string LinuxAutostart::ExecLine(std::string_view programPath) {
  // Quoted for the argument, then escaped as a string value: a backslash in
  // the path is written four times.
  std::string quoted = "\"";
  for (char c : programPath) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    if (c == '%') quoted += '%';
    quoted += c;
  }
  quoted += '"';
  std::string line;
  for (char c : quoted) {
    if (c == '\\') {
      line += "\\\\";
    } else if (c == '\n') {
      line += "\\n";
    } else if (c == '\t') {
      line += "\\t";
    } else if (c == '\r') {
      line += "\\r";
    } else {
      line += c;
    }
  }
  return line;
}

std::optional<std::string> LinuxAutostart::StartedProgram(std::string_view entry) {
  bool inMainGroup = false;
  std::optional<std::string> program;
  while (!entry.empty()) {
    const std::size_t end = entry.find('\n');
    std::string_view line = entry.substr(0, end);
    entry.remove_prefix(end == std::string_view::npos ? entry.size() : end + 1);
    line = Trimmed(line);
    if (line.starts_with('[')) {
      inMainGroup = line == "[Desktop Entry]";
      continue;
    }
    const std::size_t equals = line.find('=');
    if (!inMainGroup || equals == std::string_view::npos) continue;
    const std::string_view key = Trimmed(line.substr(0, equals));
    const std::string_view value = Trimmed(line.substr(equals + 1));
    if (key == "Hidden" && value == "true") return std::nullopt;
    if (key == "Exec") {
      const std::optional<std::string> exec = UnescapeValue(value);
      program = exec ? FirstArgument(*exec) : std::nullopt;
    }
  }
  return program;
}

bool LinuxAutostart::IsEnabled() const {
  if (programPath_.empty()) return false;
  const std::optional<std::string> entry = ReadSmallFile(EntryPath(), kMaxEntryBytes);
  return entry && StartedProgram(*entry) == programPath_;
}

bool LinuxAutostart::Enable() {
  if (programPath_.empty()) return false;
  const std::string entry =
      "[Desktop Entry]\n"
      "Type=Application\n"
      "Name=Orbelle\n"
      "Exec=" +
      ExecLine(programPath_) + "\nTerminal=false\n";
  return MakeFolders(folder_) && ReplaceFile(EntryPath(), entry);
}

bool LinuxAutostart::Disable() {
  const std::string path = EntryPath();
  if (::access(path.c_str(), F_OK) != 0) return errno == ENOENT;
  const std::optional<std::string> entry = ReadSmallFile(path, kMaxEntryBytes);
  if (!entry) return false;
  // Another copy of the program, elsewhere, keeps its entry.
  if (StartedProgram(*entry) != programPath_) return true;
  return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

}  // namespace orbl::lnx
