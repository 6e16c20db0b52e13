// The bytes another process hands the running program: exactly the short
// forms a command line is turned into, and nothing else.
#include <gtest/gtest.h>

#include <string>

#include "drives/DriveCommands.h"

namespace orbl {
namespace {

TEST(CommandRequest, OnlyTheShortFormsOfDriveCommandsAndOptionsAreTaken) {
  const struct {
    std::string bytes;
    bool taken;
  } rows[] = {
      {"close D", true},
      {"toggle-lock all", true},
      {"status", true},
      {"options", true},
      {"close d", false},   // the short form has the letter in upper case
      {"close D:", false},  // and no colon
      {"close  D", false},  // one blank
      {"Close D", false},   // verbs are lower case
      {"close D ", false},  // nothing after it
      {std::string("close D\0", 8), false},
      {"lock ALL", false},
      {"status all", false},
      {"options D", false},
      {"--help", false},  // printed by the command itself, never handed over
      {"", false},
      {"eject D", false},
      {std::string(5000, 'a'), false},
  };
  for (const auto& row : rows) {
    const TParsedCommand parsed = ParseRequest(row.bytes);
    EXPECT_EQ(parsed.Ok, row.taken) << '"' << row.bytes.substr(0, 20) << '"';
    EXPECT_EQ(parsed.Error.empty(), row.taken) << '"' << row.bytes.substr(0, 20) << '"';
  }
}

}  // namespace
}  // namespace orbl
