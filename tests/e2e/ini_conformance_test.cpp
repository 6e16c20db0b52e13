// TIniFile against the system's own private-profile reader: awkward INI files
// are written to the temporary folder and every key, read with
// GetPrivateProfileStringA into a 4096-byte buffer, must give what TIniFile
// gives. The keys compared are the ones the system lists, the ones TIniFile
// parsed and a few probes per file (other case, blanks, absent names).
//
// tests/language/IniFileTest.cpp pins the rules the language files lean on, so
// that a change shows without Wine; where this test fails, the host rule is
// the one to question first.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "language/IniFile.h"

namespace orbl {
namespace {

struct Probe {
  std::string section;
  std::string key;
};

struct IniCase {
  const char* name;
  std::string content;
  std::vector<Probe> probes;
  // Read through the ANSI code page, so compared only where that is the
  // Western one the language files are written in.
  bool needsWestern = false;
};

// Defaults with trailing blanks and one longer than the buffer show what
// becomes of a default.
const std::vector<std::string>& Defaults() {
  static const std::vector<std::string> defaults = {
      "<default>", "spaced default  ",           "tab default \t", " lead",
      "   ",       std::string(5000, 'd') + "  "};
  return defaults;
}

std::string TempFolder() {
  char path[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathA(MAX_PATH, path);
  return std::string(path, length);
}

// The system's result, cut at the length it reports.
std::string SystemRead(const std::string& path, const Probe& probe, const std::string& fallback) {
  std::vector<char> buffer(4096, '\x7F');
  const DWORD length =
      GetPrivateProfileStringA(probe.section.c_str(), probe.key.c_str(), fallback.c_str(),
                               buffer.data(), static_cast<DWORD>(buffer.size()), path.c_str());
  return std::string(buffer.data(), length);
}

// A list of NUL-terminated names ending in an empty one.
std::vector<std::string> SplitNames(const std::vector<char>& buffer, DWORD length) {
  std::vector<std::string> names;
  std::size_t start = 0;
  for (std::size_t i = 0; i < length; ++i) {
    if (buffer[i] != '\0') continue;
    names.emplace_back(buffer.data() + start, i - start);
    start = i + 1;
  }
  return names;
}

std::vector<Probe> SystemKeys(const std::string& path) {
  std::vector<char> buffer(1 << 16);
  std::vector<Probe> keys;
  DWORD length = GetPrivateProfileSectionNamesA(buffer.data(), static_cast<DWORD>(buffer.size()),
                                                path.c_str());
  for (const std::string& section : SplitNames(buffer, length)) {
    length = GetPrivateProfileStringA(section.c_str(), nullptr, "", buffer.data(),
                                      static_cast<DWORD>(buffer.size()), path.c_str());
    for (const std::string& key : SplitNames(buffer, length)) keys.push_back({section, key});
  }
  return keys;
}

// A long value whose every position can be told apart: the 5-character
// blocks "00000", "00005", ... in order.
std::string Numbered(std::size_t length) {
  std::string text;
  while (text.size() < length) {
    std::string block = std::to_string(text.size());
    text += std::string(5 - block.size() % 5, '0') + block;
  }
  text.resize(length);
  return text;
}

std::vector<IniCase> Cases() {
  using namespace std::string_literals;
  return {
      {"case of names", "[MaIn]\nKeY=Value\n", {{"main", "key"}, {"MAIN", "KEY"}}},
      {"blanks around names and values",
       "  [Main]  \n  Key  =  value with  inner  blanks  \n\tTabKey\t=\tv\t\nMy Key = spaced\n",
       {{" Main ", " Key "}, {"Main", "\tTabKey"}, {"Main", "My Key"}, {"Main", "My  Key"}}},
      {"blanks inside brackets",
       "[ Main ]\nA=1\n[Other ]\nB=2\n[\tThird]\nC=3\n",
       {{"Main", "A"}, {" Main ", "A"}, {"Other", "B"}, {"Other ", "B"}, {"Third", "C"}}},
      {"duplicate keys and sections",
       "[S]\nK=first\nK=second\nk=third\n[T]\nX=1\n[s]\nK=fourth\nL=only in the second\n",
       {{"S", "K"}, {"S", "L"}, {"T", "X"}}},
      {"a key without '=' before the same key with one", "[S]\nK\nK=v\n", {}},
      {"quotes",
       "[Q]\nA=\"double\"\nB='single'\nC=\"mismatch'\nD=\"\nE=\"\"\nF=''\nG=\" spaced \"\n"
       "H=\"inner \"quote\" here\"\nI=\"open\nJ=close\"\nK=  \"padded\"  \nL='\nM=\"x\nN=x\"\n"
       "O=\"a\"b\"\n",
       {}},
      {"empty values and lines without '='",
       "[E]\nEmpty=\nBlank=   \nNoEquals\n  Spaced no equals  \n=novalue\n = also\nLast=1\n",
       {{"E", ""}, {"E", "NoEquals"}, {"E", "Spaced no equals"}}},
      {"a header without ']'",
       "[Main\nA=1\n[Good]\nB=2\n[Also bad\nC=3\n",
       {{"Main", "A"}, {"[Main", "A"}, {"", "A"}, {"Good", "B"}, {"Good", "[Also bad"}}},
      {"text after ']'",
       "[Main] trailing\nA=1\n[X]]\nB=2\n[Y] ; note ]\nC=3\n[]\nD=4\n[ ]\nE=5\n[Z]x]y\nF=6\n",
       {{"Main", "A"}, {"X", "B"}, {"X]", "B"}, {"Y", "C"}, {"", "D"}, {"", "E"}, {"Z", "F"}}},
      {"'[]' as the first line", "[]\nA=1\n[ ]\nB=2\n", {{"", "A"}, {"", "B"}}},
      {"lines before any section",
       "A=1\nB\n[Main]\nC=3\n",
       {{"", "A"}, {" ", "A"}, {"Main", "A"}, {"", "B"}}},
      {"CRLF", "[Main]\r\nA=1\r\nB=2\r\n", {}},
      {"LF", "[Main]\nA=1\nB=2\n", {}},
      {"lone CR", "[Main]\rA=1\rB=2\r", {{"Main", "A"}, {"Main", "B"}}},
      {"mixed line ends", "[Main]\r\nA=1\rB=2\nC=3\r\r\nD=4\n\rE=5\n", {{"Main", "B"}}},
      {"no final newline", "[Main]\nA=last", {}},
      {"a key without '=' and no final newline", "[Main]\nA", {{"Main", "A"}}},
      {"a header without final newline", "[Main]", {{"Main", "A"}}},
      {"tabs", "[Main]\n\tA\t=\t1\t\n\t[Tabbed]\t\nB=2\n", {{"Tabbed", "B"}}},
      {"0x1A", "[Main]\nA=1\x1A\nB=\x1Avalue\x1A\n\x1A\nC=3\n\x1A", {}},
      {"UTF-8 byte order mark", "\xEF\xBB\xBF[Main]\nA=1\n", {{"Main", "A"}}},
      {"byte order mark before a key",
       "\xEF\xBB\xBF"
       "A=1\n[Main]\nB=2\n",
       {{"", "A"}}},
      {"a 5000-character value", "[Main]\nLong=" + Numbered(5000) + "\nAfter=1\n", {}},
      {"values around the buffer size",
       "[Main]\nV4094=" + Numbered(4094) + "\nV4095=" + Numbered(4095) +
           "\nV4096=" + Numbered(4096) + "\n",
       {}},
      {"quoted values over 4095",
       "[Main]\nQ4093=\"" + Numbered(4093) + "\"\nQ4094=\"" + Numbered(4094) + "\"\nQ4095=\"" +
           Numbered(4095) + "\"\nQ5000=\"" + Numbered(5000) + "\"\n",
       {}},
      {"NUL bytes",
       "[Main]\nA=before\0after\nB=2\n[Ma\0in]\nC=3\n\0D=4\nE\0=5\nF \0x=6\n[\0Nul]\nG=7\nH=\"x\0y\"\n"s,
       {{"Main", "A"},
        {"Main", "B"},
        {"Ma", "C"},
        {"Main", "C"},
        {"Main", "E"},
        {"Ma", "F"},
        {"", "G"}}},
      {"comments", "; top\n[Main]\n;A=1\n#B=2\nC=3 ; trailing\n", {{"Main", ";A"}, {"Main", "A"}}},
      {"'=' in a value", "[Main]\nA=b=c\nB==\nC = = d\n", {}},
      {"vertical tab and form feed", "[Main]\n\vA\f=\f1\v\n\f[\vOther\f]\nB=2\n", {{"Other", "B"}}},
      {"blank lines", "\n\n   \n[Main]\n\n\t\nA=1\n\n", {}},
      {"a long name",
       "[" + std::string(300, 's') + "]\n" + std::string(300, 'k') + "=v\n",
       {{std::string(300, 's'), std::string(300, 'k')}}},
      {"8-bit characters",
       "[Main]\nA=Fran\xE7"
       "ais\nB=\xA0no-break\xA0\n\xA0"
       "C=3\nD=\x85\x81\x8D\x9D\n[\xC9t\xE9]\nE=5\n",
       {{"\xE9t\xE9", "E"}, {"\xC9T\xC9", "E"}, {"Main", "C"}},
       true},
  };
}

TEST(IniConformance, EveryKeyReadsAsThePrivateProfileReaderReadsIt) {
  const std::string folder = TempFolder();
  const std::vector<IniCase> cases = Cases();
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const IniCase& c = cases[i];
    SCOPED_TRACE(c.name);
    if (c.needsWestern && GetACP() != 1252) {
      std::cout << "skipped \"" << c.name << "\": the ANSI code page is " << GetACP() << "\n";
      continue;
    }
    // A name per case: the system keeps a parsed file cached by its name.
    const std::string path = folder + "orbl_ini_" + std::to_string(i) + ".ini";
    {
      std::ofstream out(path, std::ios::binary | std::ios::trunc);
      out.write(c.content.data(), static_cast<std::streamsize>(c.content.size()));
      ASSERT_TRUE(out.good()) << path;
    }
    const TIniFile ini(c.content);

    std::vector<Probe> probes = c.probes;
    for (const Probe& p : SystemKeys(path)) probes.push_back(p);
    for (const TIniFile::KeyName& k : ini.Keys()) probes.push_back({k.section, k.key});
    probes.push_back({"Main", "NoSuchKey"});
    probes.push_back({"NoSuchSection", "A"});

    std::set<std::pair<std::string, std::string>> seen;
    for (const Probe& probe : probes) {
      if (!seen.insert({probe.section, probe.key}).second) continue;
      for (const std::string& fallback : Defaults()) {
        EXPECT_EQ(ini.ReadText(probe.section, probe.key, fallback),
                  SystemRead(path, probe, fallback))
            << "[" << probe.section << "] " << probe.key;
      }
    }
    DeleteFileA(path.c_str());
  }
}

}  // namespace
}  // namespace orbl
