// The language step over any language file: the interface texts, the
// translator details and the list entry it reads, and the key names and hot
// key texts made from those texts. Texts a file gives may be empty, equal to
// each other or to a key's own name; the key names must still convert
// consistently and nothing may grow past what the reader hands out.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "fuzz/Fuzz.h"
#include "language/IniFile.h"
#include "language/Language.h"
#include "platform/AsciiCase.h"
#include "support/LanguageKeys.h"
#include "ui/VirtualKeys.h"

namespace {

using orbl::TIniFile;
using orbl::TInterfaceTexts;

void Check(bool condition) {
  if (!condition) std::abort();
}

// The first byte picks the input's form. Raw: the rest is the file. Built:
// the rest is records [key][length][value bytes] for the keys the program
// reads, written under their sections, some with changed case or blanks, so
// that the texts are reached at all.
std::string MakeContent(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return {};
  const std::uint8_t form = data[0];
  if ((form & 0x01) == 0) return std::string(reinterpret_cast<const char*>(data + 1), size - 1);
  const auto& keys = orbl::kInterfaceTexts;
  std::string content = "[Main]\r\nLangNameEng=E\r\n";
  std::size_t i = 1;
  while (i + 2 <= size) {
    const std::uint8_t pick = data[i];
    const std::size_t slot = pick % 64u;
    std::size_t length = data[i + 1] % 64;
    i += 2;
    if (length > size - i) length = size - i;
    const std::string value(reinterpret_cast<const char*>(data + i), length);
    i += length;
    if (slot >= keys.size() + orbl::test::FileDetailKeys().size()) {
      content += value + "\n";  // any line at all
      continue;
    }
    std::string section = "Main";
    std::string key;
    if (slot < keys.size()) {
      section = keys[slot].Section;
      key = keys[slot].Key;
    } else {
      key = orbl::test::FileDetailKeys()[slot - keys.size()];
    }
    if ((pick & 0x40) != 0) key = " " + key + "\t";
    if ((pick & 0x80) != 0) section = orbl::AsciiLower(section);
    content += "[" + section + "]\r\n" + key + "=" + value + "\r\n";
  }
  return content;
}

// A key code to its name and back must come to the same name: the name may
// stand for another code when texts coincide, but that code shows it again.
void CheckKeyNames(const TInterfaceTexts& texts) {
  for (std::int32_t code = 0; code < 256; ++code) {
    const std::string name = orbl::KeyCodeToName(code, texts);
    if (name.empty()) continue;
    Check(orbl::KeyCodeToName(orbl::KeyNameToCode(name, texts), texts) == name);
  }
  const std::vector<std::string> list = orbl::KeyList(texts);
  Check(list.size() == 60);
  // With names that are all different and none a name of the fixed
  // entries, every entry of the list is its own key again.
  std::set<std::string> names;
  for (const std::string& name : list) names.insert(name);
  bool distinct = names.size() == list.size();
  for (std::size_t i = 0; i < 9; ++i) distinct = distinct && list[i].size() > 1;
  if (!distinct) return;
  for (const std::string& name : list) {
    Check(orbl::KeyCodeToName(orbl::KeyNameToCode(name, texts), texts) == name);
  }
}

}  // namespace

int orbl::fuzz::Language(const std::uint8_t* data, std::size_t size) {
  const TIniFile file(MakeContent(data, size));
  const TInterfaceTexts builtIn;
  TInterfaceTexts texts;
  orbl::ReadInterfaceTexts(file, texts);
  orbl::ReadCloseNowTexts(file, texts);

  // A text the file gives is its value; every other one is unchanged.
  for (const orbl::TInterfaceText& k : orbl::kInterfaceTexts) {
    const std::optional<std::string> value = file.Find(k.Section, k.Key);
    Check(texts.*k.Member == (value ? *value : builtIn.*k.Member));
    Check((texts.*k.Member).size() <= TIniFile::kMaxValue);
  }
  // Read a second time over its own texts, the file changes nothing.
  TInterfaceTexts again = texts;
  orbl::ReadInterfaceTexts(file, again);
  orbl::ReadCloseNowTexts(file, again);
  for (const orbl::TInterfaceText& k : orbl::kInterfaceTexts) {
    Check(again.*k.Member == texts.*k.Member);
  }

  const orbl::TTranslatorInfo translator = orbl::ReadTranslatorInfo(file);
  Check(translator.Name == file.ReadText("Main", "Tanslator", "UNKNOWN"));
  Check(translator.Email.size() <= TIniFile::kMaxValue);
  const std::string entry = orbl::LanguageListEntry(file);
  Check(entry == file.ReadText("Main", "LangNameEng", "") + " (" +
                     file.ReadText("Main", "LangNameNative", "") + ")");

  // The round trip over every key code costs more than all the rest: the
  // first byte asks for it.
  if (size > 0 && (data[0] & 0x02) != 0) CheckKeyNames(texts);
  for (std::uint8_t bits = 0; bits < 16; ++bits) {
    const orbl::THotKeyDef hotKey{(bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0,
                                  (bits & 8) != 0, size > 0 ? data[size - 1] : 0};
    const std::string text = orbl::HotKeyText(hotKey, texts);
    if (hotKey.Key == 0) {
      Check(text == texts.Key_None);
    } else {
      const std::string key = orbl::KeyCodeToName(hotKey.Key, texts);
      Check(text.size() >= key.size() &&
            text.compare(text.size() - key.size(), key.size(), key) == 0);
    }
  }
  return 0;
}
