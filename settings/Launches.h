// The three documents the program hands to the desktop shell: its help file,
// the maker's web site and a new mail to the translator of the language in use.
// Each launch is fire and forget: the shell's answer is not examined and no
// failure is shown.
#pragma once

#include <string>
#include <string_view>

#include "platform/Types.h"

namespace orbl::platform {
class Files;
class Shell;
}  // namespace orbl::platform

namespace orbl {

// The maker's web address, shown by the options window and the About window.
// A reserved example domain: it can never lead anyone to a stranger's site.
inline constexpr std::string_view kMakerSite = "https://www.example.com/orbelle/";

// The help file the program ships, used when a language file names none that
// may be opened.
inline constexpr std::string_view kBuiltInHelpFile = "ORBL.hlp";

// `name` when it may be opened as the help file: a relative path that stays
// inside the program's folder (no "..", no drive, no root, no UNC path, no
// ':' at all, nothing the file system would read as a wildcard or a quote)
// and names a document (.htm, .html, .chm, .hlp, .pdf, .txt). Otherwise the
// built-in name. The HelpFile text comes from a file anyone may drop beside
// the program, and the shell runs whatever "open" means for what it is given.
std::string CheckedHelpFile(std::string_view name);

// "mailto:" and the address, percent-encoded except for '@' and the
// unreserved characters: a translator's address from a language file must
// not add headers, recipients or a body to the mail it starts.
std::string MailtoLink(std::string_view address);

// The program's help file: its folder followed by the checked `helpFile`,
// maximised.
void OpenHelp(platform::Shell& shell, const platform::Files& files, platform::WindowHandle owner,
              std::string_view helpFile);
// The maker's web site, maximised.
void OpenMakerSite(platform::Shell& shell, platform::WindowHandle owner);
// A new mail to `address` (the text of the translator-address label), shown
// normally. "UNKNOWN" is sent on as it is, as any other text.
void MailTranslator(platform::Shell& shell, platform::WindowHandle owner, std::string_view address);

}  // namespace orbl
