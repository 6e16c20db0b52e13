// The reading rules of TIniFile, as the Windows test ini_conformance_test.cpp
// found them in GetPrivateProfileStringA: pinned here so that a change shows
// without Wine.
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
      // Names
      {"section and key without regard to case", "[MaIn]\nKeY=v\n", "MAIN", "key", "v"},
      {"blanks around the line and the names", "  [Main]  \n  Key  =  v  \n", "Main", "Key", "v"},
      {"blanks around the asked names", "[Main]\nKey=v\n", " Main\t", "\tKey ", "v"},
      {"blanks inside a name count", "[Main]\nMy Key=v\n", "Main", "My  Key", kDefault},
      {"blanks inside the brackets", "[ Main\t]\nA=1\n", "Main", "A", "1"},
      {"the last ']' closes the name", "[Main]x]\nA=1\n", "Main]x", "A", "1"},
      {"text after ']'", "[Main] ; note\nA=1\n", "Main", "A", "1"},
      {"a header without ']' is a key line", "[Main\nA=1\n", "Main", "A", kDefault},
      {"... in the section before it", "[S]\n[Main\nA=1\n", "S", "A", "1"},
      {"keys before any section", "A=1\n[Main]\n", "", "A", "1"},
      // The lines before the first header form the first section named "".
      {"'[]' comes after that section", "[]\nA=1\n", "", "A", kDefault},
      {"';' starts no comment", "[Main]\n;A=1\n", "Main", ";A", "1"},
      {"an empty key name", "[Main]\n = v\n", "Main", "", "v"},
      {"'=' inside a value", "[Main]\nA = b = c\n", "Main", "A", "b = c"},
      // Duplicates
      {"the first of two keys", "[S]\nK=first\nk=second\n", "S", "K", "first"},
      {"only the first of two sections", "[S]\nA=1\n[s]\nA=2\nB=3\n", "S", "B", kDefault},
      {"a line without '=' hides a later key", "[S]\nK\nK=v\n", "S", "K", kDefault},
      // Values
      {"an empty value", "[E]\nK=\n", "E", "K", ""},
      {"a value of blanks", "[E]\nK=  \t \n", "E", "K", ""},
      {"a line without '=' has no value", "[E]\nK\n", "E", "K", kDefault},
      {"blanks inside a value stay", "[E]\nK= a  b \n", "E", "K", "a  b"},
      {"double quotes", "[Q]\nK=\" a \"\n", "Q", "K", " a "},
      {"single quotes", "[Q]\nK='a'\n", "Q", "K", "a"},
      {"quotes inside blanks", "[Q]\nK=  \"a\"  \n", "Q", "K", "a"},
      {"only the outer pair", "[Q]\nK=\"a\"b\"\n", "Q", "K", "a\"b"},
      {"an empty pair", "[Q]\nK=\"\"\n", "Q", "K", ""},
      {"quotes that differ", "[Q]\nK=\"a'\n", "Q", "K", "\"a'"},
      {"one quote alone", "[Q]\nK=\"\n", "Q", "K", "\""},
      {"an opening quote only", "[Q]\nK=\"a\n", "Q", "K", "\"a"},
      {"a closing quote only", "[Q]\nK=a\"\n", "Q", "K", "a\""},
      // Line ends and odd characters
      {"CRLF", "[M]\r\nA=1\r\nB=2\r\n", "M", "B", "2"},
      {"a lone CR ends a line", "[M]\rA=1\rB=2", "M", "A", "1"},
      {"no final line end", "[M]\nA=last", "M", "A", "last"},
      {"tabs are blanks", "\t[M]\t\n\tA\t=\t1\t\n", "M", "A", "1"},
      {"vertical tab and form feed are blanks", "[M]\n\vA\f=\f1\v\n", "M", "A", "1"},
      {"0x1A is a blank",
       "[M]\nA=\x1A"
       "1\x1A\n\x1A",
       "M", "A", "1"},
      {"a UTF-8 byte order mark is skipped", "\xEF\xBB\xBF[M]\nA=1\n", "M", "A", "1"},
      {"... only at the start",
       "[M]\n\xEF\xBB\xBF"
       "A=1\n",
       "M",
       "\xEF\xBB\xBF"
       "A",
       "1"},
      {"8-bit characters pass unchanged",
       "[M]\nA=Fran\xE7"
       "ais\xA0\n",
       "M", "A",
       "Fran\xE7"
       "ais\xA0"},
      {"no case folding beyond ASCII", "[\xC9t\xE9]\nA=1\n", "\xE9t\xE9", "A", kDefault},
      {"a NUL ends a value", "[M]\nA=x\0y\nB=2\n"s, "M", "A", "x"},
      {"... and the line goes on", "[M]\nA=x\0y\nB=2\n"s, "M", "B", "2"},
      {"a NUL ends a key name", "[M]\nE\0x=5\n"s, "M", "E", "5"},
      {"... after the blanks were trimmed", "[M]\nE \0x=5\n"s, "M", "E", kDefault},
      {"a NUL ends a section name", "[Ma\0in]\nA=1\n"s, "Ma", "A", "1"},
      {"a NUL cuts a quoted value before its quote", "[M]\nA=\"x\0y\"\n"s, "M", "A", "\"x"},
  };
  for (const Read& r : reads) {
    EXPECT_EQ(TIniFile(r.content).ReadText(r.section, r.key, kDefault), r.expected) << r.rule;
  }
}

// A 4096-byte buffer holds 4095 characters, counted after the opening quote.
TEST(IniFile, CutsValuesToTheBuffer) {
  const auto read = [](const std::string& value) {
    return TIniFile("[M]\nK=" + value + "\n").ReadText("M", "K", kDefault);
  };
  const std::string x(5000, 'x');
  const struct {
    std::string value;
    std::string expected;
  } cases[] = {
      {x.substr(0, 4094), x.substr(0, 4094)},
      {x.substr(0, 4095), x.substr(0, 4095)},
      {x.substr(0, 4096), x.substr(0, 4095)},
      {x, x.substr(0, 4095)},
      {'"' + x.substr(0, 4093) + '"', x.substr(0, 4093)},
      {'"' + x.substr(0, 4094) + '"', x.substr(0, 4094)},
      // The closing quote is dropped by cutting the last character copied,
      // which here is the value's own last one.
      {'"' + x.substr(0, 4095) + '"', x.substr(0, 4094)},
      {'"' + x.substr(0, 4096) + '"', x.substr(0, 4095)},
      {'"' + x + '"', x.substr(0, 4095)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(read(c.value), c.expected) << c.value.size() << " characters";
  }
  // The line after a long one is still read.
  EXPECT_EQ(TIniFile("[M]\nK=" + x + "\nL=1").ReadText("M", "L", kDefault), "1");
}

TEST(IniFile, GivesTheDefaultWithoutTrailingSpaces) {
  const TIniFile file("[M]\nA=1\n");
  const struct {
    std::string fallback;
    std::string expected;
  } cases[] = {
      {"text  ", "text"}, {" lead", " lead"},
      {"tab\t", "tab\t"}, {"   ", " "},  // the first character stays
      {"", ""},           {std::string(5000, 'd') + "  ", std::string(4095, 'd')},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(file.ReadText("M", "B", c.fallback), c.expected) << '"' << c.fallback << '"';
    EXPECT_EQ(TIniFile().ReadText("M", "A", c.fallback), c.expected) << "no file";
  }
  // A present value keeps its blanks inside quotes.
  EXPECT_EQ(TIniFile("[M]\nA=\"a  \"\n").ReadText("M", "A", "x"), "a  ");
}

// Find tells an empty value from an absent key; Keys lists every key line in
// file order, duplicates and lines without '=' included.
TEST(IniFile, FindTellsAnEmptyValueFromAnAbsentKey) {
  const TIniFile file("A=0\n[M]\nEmpty=\nBare\nK=1\nK=2\n[T]\n[M]\nL=3\n");
  EXPECT_EQ(file.Find("M", "Empty"), std::optional<std::string>(""));
  EXPECT_EQ(file.Find("M", "Bare"), std::nullopt);
  EXPECT_EQ(file.Find("M", "Absent"), std::nullopt);
  EXPECT_EQ(file.Find("Other", "Empty"), std::nullopt);
  EXPECT_EQ(TIniFile().Find("M", "Empty"), std::nullopt);
  std::vector<std::string> listed;
  for (const auto& k : file.Keys()) listed.push_back(k.section + "/" + k.key);
  EXPECT_EQ(listed, (std::vector<std::string>{"/A", "M/Empty", "M/Bare", "M/K", "M/K", "M/L"}));
}

}  // namespace
}  // namespace orbl
