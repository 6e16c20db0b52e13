#include "settings/Launches.h"

#include <algorithm>
#include <array>

#include "platform/AsciiCase.h"
#include "platform/Files.h"
#include "platform/Shell.h"

namespace orbl {

namespace {

constexpr std::array<std::string_view, 6> kDocumentExtensions{"htm", "html", "chm",
                                                              "hlp", "pdf",  "txt"};

bool IsSeparator(char c) {
  return c == '\\' || c == '/';
}

// Characters no file name may hold, and the control characters: a name
// with one of them is no plain file below the program's folder.
bool IsForbidden(char c) {
  const auto byte = static_cast<unsigned char>(c);
  if (byte < 0x20 || byte == 0x7F) return true;
  return std::string_view("*?\"<>|:").find(c) != std::string_view::npos;
}

bool HasDocumentExtension(std::string_view name) {
  const std::size_t lastSeparator = name.find_last_of("\\/");
  const std::string_view fileName =
      lastSeparator == std::string_view::npos ? name : name.substr(lastSeparator + 1);
  const std::size_t dot = fileName.rfind('.');
  if (dot == std::string_view::npos) return false;
  const std::string_view extension = fileName.substr(dot + 1);
  return std::any_of(
      kDocumentExtensions.begin(), kDocumentExtensions.end(),
      [&](std::string_view known) { return EqualsIgnoringAsciiCase(extension, known); });
}

bool IsUnreserved(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

}  // namespace

std::string CheckedHelpFile(std::string_view name) {
  const bool safe =
      !name.empty() && !IsSeparator(name.front()) && name.find("..") == std::string_view::npos &&
      std::none_of(name.begin(), name.end(), IsForbidden) && HasDocumentExtension(name);
  return safe ? std::string(name) : std::string(kBuiltInHelpFile);
}

std::string MailtoLink(std::string_view address) {
  constexpr std::string_view kHex = "0123456789ABCDEF";
  std::string link = "mailto:";
  for (const char c : address) {
    if (IsUnreserved(c) || c == '@') {
      link += c;
      continue;
    }
    const auto byte = static_cast<unsigned char>(c);
    link += '%';
    link += kHex[byte >> 4];
    link += kHex[byte & 0x0F];
  }
  return link;
}

void OpenHelp(platform::Shell& shell, const platform::Files& files, platform::WindowHandle owner,
              std::string_view helpFile) {
  shell.Open(owner, files.JoinPath(files.ProgramFolder(), CheckedHelpFile(helpFile)),
             platform::sw::kShowMaximized);
}

void OpenMakerSite(platform::Shell& shell, platform::WindowHandle owner) {
  shell.Open(owner, std::string(kMakerSite), platform::sw::kShowMaximized);
}

void MailTranslator(platform::Shell& shell, platform::WindowHandle owner,
                    std::string_view address) {
  shell.Open(owner, MailtoLink(address), platform::sw::kShow);
}

}  // namespace orbl
