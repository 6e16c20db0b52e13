// The reading rules of TIniFile that the language files lean on. Every rule
// is compared with GetPrivateProfileStringA itself under Wine
// (tests/e2e/ini_conformance_test.cpp); these few show a change without Wine.
#include "language/IniFile.h"

#include <gtest/gtest.h>

#include <string>

namespace orbl {
namespace {

using namespace std::string_literals;

constexpr const char* kDefault = "<default>";

struct Read {
  const char* rule;
  std::string content;
  std::string section;
  std::string key;
  std::string expected;  // kDefault when the key counts as absent
};

TEST(IniFile, ReadsAsThePrivateProfileReader) {
  const Read reads[] = {
      {"section and key without regard to case", "[MaIn]\nKeY=v\n", "MAIN", "key", "v"},
      {"blanks around the line and the names", "  [Main]  \n  Key  =  v  \n", "Main", "Key", "v"},
      {"blanks around the asked names", "[Main]\nKey=v\n", " Main\t", "\tKey ", "v"},
      {"the first of two keys", "[S]\nK=first\nk=second\n", "S", "K", "first"},
      {"only the first of two sections", "[S]\nA=1\n[s]\nA=2\nB=3\n", "S", "B", kDefault},
      {"double quotes", "[Q]\nK=\" a \"\n", "Q", "K", " a "},
      {"quotes that differ", "[Q]\nK=\"a'\n", "Q", "K", "\"a'"},
      {"a UTF-8 byte order mark is skipped", "\xEF\xBB\xBF[M]\nA=1\n", "M", "A", "1"},
      {"a NUL ends a value", "[M]\nA=x\0y\nB=2\n"s, "M", "A", "x"},
  };
  for (const Read& r : reads) {
    EXPECT_EQ(TIniFile(r.content).ReadText(r.section, r.key, kDefault), r.expected) << r.rule;
  }
}

// A 4096-byte buffer holds 4095 characters, counted after the opening quote.
TEST(IniFile, CutsValuesToTheBuffer) {
  const std::string x(5000, 'x');
  const struct {
    std::string value;
    std::string expected;
  } cases[] = {
      {x.substr(0, 4095), x.substr(0, 4095)},
      {x, x.substr(0, 4095)},
      {'"' + x.substr(0, 4094) + '"', x.substr(0, 4094)},
      // The closing quote is dropped by cutting the last character copied,
      // which here is the value's own last one.
      {'"' + x.substr(0, 4095) + '"', x.substr(0, 4094)},
      {'"' + x + '"', x.substr(0, 4095)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TIniFile("[M]\nK=" + c.value + "\nL=1").ReadText("M", "K", kDefault), c.expected)
        << c.value.size() << " characters";
  }
}

}  // namespace
}  // namespace orbl
