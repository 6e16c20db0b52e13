// File-name wildcards, shared by the backends that search folders.
#pragma once

#include <string_view>

namespace orbl::platform {

// Matches a file name against a pattern with '*' and '?', without regard to
// ASCII case, as "*.INI" is meant: "English.ini" matches, "English.ini_old"
// does not.
bool MatchesFilePattern(std::string_view name, std::string_view pattern);

}  // namespace orbl::platform
