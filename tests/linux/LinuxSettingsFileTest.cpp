// The settings file keeps what the registry keeps, reads what it can of a
// damaged file, and is written once per closed key, whole or not at all.
#include "platform/linux/LinuxSettingsFile.h"

#include <gtest/gtest.h>
#include <sys/ptrace.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>

#include "platform/AsciiCase.h"
#include "tests/linux/TempFolder.h"

namespace orbl::lnx {
namespace {

using platform::KeyAccess;
using platform::StoredValue;
using platform::ValueType;

constexpr const char* kKey = "SOFTWARE\\Corvantis\\Orbelle\\3.x";

StoredValue Value(ValueType type, std::string_view bytes) {
  StoredValue value{type, std::vector<std::byte>(bytes.size())};
  if (!bytes.empty()) std::memcpy(value.data.data(), bytes.data(), bytes.size());
  return value;
}

TEST(LinuxSettingsFile, KeepsNamesTypesAndBytesAndFindsThemInAnyCase) {
  TempFolder folder;
  const std::string file = folder / "orbelle/settings.reg";
  std::string everyByte;
  for (int b = 0; b < 256; ++b) everyByte += static_cast<char>(b);
  const struct {
    const char* name;
    StoredValue value;
  } values[] = {
      {"Language", Value(ValueType::Text, std::string_view("Gr\xC3\xB6\xC3\x9F"
                                                           "e\0",
                                                           7))},
      {"Bytes", Value(ValueType::Binary, everyByte)},
      {"Hot Key D", Value(ValueType::Number, std::string_view("\x41\x02\0\0", 4))},
      {"Short number", Value(ValueType::Number, "\x01\x02\x03")},
      {"List", Value(ValueType::MultiText, std::string_view("a\0b\0\0", 5))},
      {"", Value(ValueType::Absent, "")},
      {"quote \" back \\ line \n tab \t", Value(ValueType::Text, "\xE2\x82\xAC\xED\xA0\x80")},
  };
  {
    LinuxSettingsFile store(file);
    const auto key = store.CreateKey(kKey);
    ASSERT_NE(key, 0u);
    for (const auto& v : values) EXPECT_TRUE(store.SetValue(key, v.name, v.value)) << v.name;
    EXPECT_FALSE(store.SetValue(key, "Odd type", Value(static_cast<ValueType>(2), "x")));
    EXPECT_FALSE(std::filesystem::exists(file));  // nothing is written before the close
    store.CloseKey(key);
  }
  LinuxSettingsFile store(file);
  EXPECT_EQ(store.OpenKey("\\SOFTWARE", KeyAccess::Read), 0u);
  EXPECT_NE(store.OpenKey("software\\corvantis", KeyAccess::Read), 0u);  // parents are made
  const auto key = store.OpenKey("software\\CORVANTIS\\orbelle\\3.X", KeyAccess::Read);
  ASSERT_NE(key, 0u);
  for (const auto& v : values) {
    const auto read = store.QueryValue(key, AsciiUpper(v.name));
    ASSERT_TRUE(read) << v.name;
    EXPECT_EQ(read->type, v.value.type) << v.name;
    EXPECT_EQ(read->data, v.value.data) << v.name;
  }
  EXPECT_FALSE(store.SetValue(key, "Language", values[0].value));  // opened for reading
  EXPECT_NE(ReadText(file).find("\"Hot Key D\"=number:0x00000241\n"), std::string::npos);
}

TEST(LinuxSettingsFile, ADamagedLineOrAnOversizedValueIsAbsentAndTheRestLoads) {
  TempFolder folder;
  const std::string file = folder / "settings.reg";
  const std::string oneMiB(kMaxSettingsValueBytes, 'm');
  const std::string sized =
      "\"Too big\"=binary:\"" + oneMiB + "m\"\n\"Just fits\"=binary:\"" + oneMiB + "\"\n";
  WriteText(file,
            "\"Orphan\"=text:\"before any key\"\r\n[SOFTWARE\\Corvantis\\Orbelle\\3.x]\r\n"
            "\"a\"=dword:\"1\"\n\"b\"=text:\"bad \\q escape\"\n\"c\"=text:\"unterminated\n"
            "\"d\"=text:\"trailing\" junk\n\"e\"=number:0x0000004G\n\"f\"=binary:\"\\x4\"\n" +
                sized +
                "no quotes=text:\"x\"\n\"Good\"=number:0x0000000a\n[Broken\\\\Path]\n"
                "\"Lost\"=text:\"x\"\n[SOFTWARE\n\"Also good\"=text:\"y\"\n");
  LinuxSettingsFile store(file);
  EXPECT_EQ(store.OpenKey("Broken", KeyAccess::Read), 0u);
  const auto key = store.OpenKey(kKey, KeyAccess::Read);
  ASSERT_NE(key, 0u);
  for (const char* absent : {"Orphan", "a", "b", "c", "d", "e", "f", "Too big", "Lost"}) {
    EXPECT_FALSE(store.QueryValue(key, absent)) << absent;
  }
  EXPECT_EQ(store.QueryValue(key, "Just fits")->data.size(), kMaxSettingsValueBytes);
  EXPECT_EQ(store.QueryValue(key, "Good")->data,
            Value(ValueType::Number, std::string_view("\n\0\0\0", 4)).data);
  // A bad key line ends the key before it: its values have no key to go to.
  EXPECT_FALSE(store.QueryValue(key, "Also good"));
}

TEST(LinuxSettingsFile, IsWrittenOncePerClosedChangedKeyAndAFailedWriteKeepsTheOldFile) {
  TempFolder folder;
  const std::string file = folder / "settings.reg";
  const std::string handWritten = "# by hand\n[" + std::string(kKey) + "]\n\"Old\"=text:\"1\"\n";
  WriteText(file, handWritten);
  LinuxSettingsFile store(file);
  store.CloseKey(store.OpenKey(kKey, KeyAccess::Read));
  store.CloseKey(store.OpenKey(kKey, KeyAccess::ReadWrite));
  store.CloseKey(store.CreateKey(kKey));
  EXPECT_EQ(ReadText(file), handWritten);  // nothing changed, nothing written

  const auto first = store.OpenKey(kKey, KeyAccess::ReadWrite);
  const auto second = store.CreateKey(std::string(kKey) + "\\Held Locks");
  EXPECT_TRUE(store.SetValue(first, "New", Value(ValueType::Text, "2")));
  EXPECT_FALSE(store.DeleteValue(second, "Missing"));
  EXPECT_TRUE(store.DeleteValue(first, "old"));
  EXPECT_EQ(ReadText(file), handWritten);
  store.CloseKey(first);
  const std::string written = ReadText(file);
  EXPECT_EQ(written.find("Old"), std::string::npos);
  EXPECT_NE(written.find("\"New\"=text:\"2\""), std::string::npos);
  EXPECT_NE(written.find("Held Locks]"), std::string::npos);
  WriteText(file, written + "# touched\n");
  store.CloseKey(second);  // its change went out with the first
  EXPECT_EQ(ReadText(file), written + "# touched\n");

  // A name near the length limit leaves no room for the temporary file's suffix.
  const std::string tight = folder / std::string(250, 's');
  WriteText(tight, handWritten);
  LinuxSettingsFile failing(tight);
  const auto key = failing.OpenKey(kKey, KeyAccess::ReadWrite);
  EXPECT_TRUE(failing.SetValue(key, "New", Value(ValueType::Text, "2")));
  failing.CloseKey(key);
  EXPECT_EQ(ReadText(tight), handWritten);
  const auto again = failing.OpenKey(kKey, KeyAccess::Read);
  EXPECT_FALSE(failing.QueryValue(again, "New"));  // the file, not the lost change, is read
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path), {}), 2);
}

// A save killed at each of its system calls in turn, on entry and on return,
// from the file's first read to well past its rename: whatever the point,
// the next start reads one whole save.
TEST(LinuxSettingsFile, AKillAtAnyPointOfASaveLeavesTheOldFileOrTheNewOneWhole) {
  TempFolder folder;
  const std::string file = folder / "settings.reg";
  // Each save is one letter over and over, the next save the next letter.
  const auto save = [&](char letter) {
    LinuxSettingsFile store(file);
    const auto key = store.CreateKey(kKey);
    store.SetValue(key, "Body", Value(ValueType::Binary, std::string(20000, letter)));
    store.CloseKey(key);
  };
  char letter = 'a';
  save(letter);
  int changes = 0;
  for (int stops = 1; stops <= 100; ++stops) {
    const pid_t writer = ::fork();
    if (writer == 0) {
      if (::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0) ::_exit(1);
      ::raise(SIGSTOP);
      for (int n = 1;; ++n) save(static_cast<char>('a' + (letter - 'a' + n) % 26));
    }
    int status = 0;
    ::waitpid(writer, &status, 0);
    ASSERT_TRUE(WIFSTOPPED(status)) << "the writer cannot be traced";
    ::ptrace(PTRACE_SETOPTIONS, writer, nullptr, PTRACE_O_EXITKILL);
    for (int n = 0; n < stops && WIFSTOPPED(status); ++n) {
      ::ptrace(PTRACE_SYSCALL, writer, nullptr, nullptr);
      ::waitpid(writer, &status, 0);
    }
    ::kill(writer, SIGKILL);
    ::waitpid(writer, &status, 0);

    LinuxSettingsFile store(file);
    const auto body = store.QueryValue(store.OpenKey(kKey, KeyAccess::Read), "Body");
    ASSERT_TRUE(body && !body->data.empty()) << "killed at stop " << stops;
    const auto found = static_cast<char>(body->data.front());
    EXPECT_EQ(body->data, Value(ValueType::Binary, std::string(20000, found)).data)
        << "killed at stop " << stops;
    changes += found != letter ? 1 : 0;
    letter = found;
  }
  EXPECT_GT(changes, 1);  // the kills reached past whole saves
}

}  // namespace
}  // namespace orbl::lnx
