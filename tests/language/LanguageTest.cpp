// The interface texts read from a language file.
#include "language/Language.h"

#include <gtest/gtest.h>

#include <string>

#include "language/InterfaceTexts.h"

namespace orbl {
namespace {

// Each text is read from its own section and key: a file that gives every key
// a value naming its place shows a text read from the wrong one.
TEST(InterfaceTexts, EachIsReadFromItsOwnSectionAndKey) {
  // One header per section: of two sections of a name only the first counts.
  std::string content;
  std::string section;
  for (const TInterfaceText& k : kInterfaceTexts) {
    if (section != k.Section) content += "[" + (section = k.Section) + "]\n";
    content += std::string(k.Key) + "=" + k.Section + "/" + k.Key + "\n";
  }
  TInterfaceTexts texts;
  ReadInterfaceTexts(TIniFile(content), texts);
  ReadCloseNowTexts(TIniFile(content), texts);
  for (const TInterfaceText& k : kInterfaceTexts) {
    EXPECT_EQ(texts.*k.Member, std::string(k.Section) + "/" + k.Key);
  }
}

}  // namespace
}  // namespace orbl
