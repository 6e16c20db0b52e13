// The interface texts read from a language file.
#include "language/Language.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "language/InterfaceTexts.h"

namespace orbl {
namespace {

std::vector<std::string> Values(const TInterfaceTexts& texts) {
  std::vector<std::string> values;
  for (const TInterfaceText& k : kInterfaceTexts) values.push_back(texts.*k.Member);
  return values;
}

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

// A key the file lacks keeps its text, from the built-in table or from the
// language before; a present empty value empties it. The current text is the
// default handed to the reader, which drops its trailing spaces, as the
// system's reader does.
TEST(InterfaceTexts, AKeyTheFileLacksKeepsItsText) {
  TInterfaceTexts texts;
  std::vector<std::string> expected = Values(texts);
  const TIniFile locked("[Messages]\nMsg_Locked=Verrouill\xE9\n");
  ReadInterfaceTexts(locked, texts);
  ReadCloseNowTexts(locked, texts);
  for (std::size_t i = 0; i < kInterfaceTexts.size(); ++i) {
    if (kInterfaceTexts[i].Member == &TInterfaceTexts::Msg_Locked) expected[i] = "Verrouill\xE9";
  }
  EXPECT_EQ(Values(texts), expected);

  ReadInterfaceTexts(TIniFile("[Keys]\nCtrl_Key=Strg\nEsc_Key=\"Esc \"\n"), texts);
  EXPECT_EQ(texts.Esc_Key, "Esc ");
  ReadInterfaceTexts(TIniFile("[Keys]\nAlt_Key=Alt Gr\n"), texts);
  EXPECT_EQ(texts.Ctrl_Key, "Strg");
  EXPECT_EQ(texts.Alt_Key, "Alt Gr");
  EXPECT_EQ(texts.Msg_Locked, "Verrouill\xE9");
  EXPECT_EQ(texts.Esc_Key, "Esc");

  ReadInterfaceTexts(TIniFile("[Main]\nHelpFile=\n[Keys]\nKey_None=\"\"\nWin_Key\n"), texts);
  ReadCloseNowTexts(TIniFile("[CloseImmediatelyWindow]\nMsg_Drive=   \n"), texts);
  EXPECT_EQ(texts.HelpFile, "");
  EXPECT_EQ(texts.Key_None, "");
  EXPECT_EQ(texts.Win_Key, "Win") << "a line without '=' is no value";
  EXPECT_EQ(texts.Msg_Drive, "");
}

}  // namespace
}  // namespace orbl
