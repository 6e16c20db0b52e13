// The core's bytes as the desktop shows them: UTF-8 stays, anything else is
// Windows-1252, and a line ends once.
#include "platform/linux/LinuxText.h"

#include <gtest/gtest.h>

namespace orbl::lnx {
namespace {

TEST(LinuxText, UsesUtf8WhereItIsWellFormedAndWindows1252Elsewhere) {
  const struct {
    std::string in;
    std::string shown;
  } cases[] = {
      {"Options\r\nline", "Options\nline"},
      {"a\rb\r\r\n", "a\rb\r\n"},
      {"Gr\xC3\xB6\xC3\x9F"
       "e \xE2\x82\xAC \xF0\x9F\x92\xBF",
       "Gr\xC3\xB6\xC3\x9F"
       "e \xE2\x82\xAC \xF0\x9F\x92\xBF"},
      {"Fran\xE7"
       "ais",
       "Fran\xC3\xA7"
       "ais"},
      {"\x80\x81\x8D\x96\x9F\xA0\xFF",
       "\xE2\x82\xAC\xC2\x81\xC2\x8D\xE2\x80\x93\xC5\xB8\xC2\xA0\xC3\xBF"},
      // Not UTF-8: a cut sequence, an overlong slash, a surrogate, past U+10FFFF.
      {"\xC3", "\xC3\x83"},
      {"\xC0\xAF", "\xC3\x80\xC2\xAF"},
      {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},
      {"\xF4\x90\x80\x80", "\xC3\xB4\xC2\x90\xE2\x82\xAC\xE2\x82\xAC"},
      {"\xE0\x9F\xBF", "\xC3\xA0\xC5\xB8\xC2\xBF"},
      {"\xF0\x8F\xBF\xBF", "\xC3\xB0\xC2\x8F\xC2\xBF\xC2\xBF"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ToDisplayText(c.in), c.shown) << ::testing::PrintToString(c.in);
    EXPECT_TRUE(IsUtf8(ToDisplayText(c.in))) << ::testing::PrintToString(c.in);
  }
}

}  // namespace
}  // namespace orbl::lnx
