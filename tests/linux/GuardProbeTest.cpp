// The eject button's helper: who may open a drive, and the built orbl3-guarded
// run against folders of the test's own in place of /run/user and /dev.
#include "platform/linux/guard/GuardProbe.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "platform/linux/LinuxFolders.h"
#include "tests/linux/TempFolder.h"

namespace orbl::lnx {
namespace {

// An access list as the kernel stores it, from (tag, permissions, id) entries.
std::string Acl(std::initializer_list<std::array<char, 3>> entries) {
  std::string bytes("\2\0\0\0", 4);
  for (const auto& [tag, perm, id] : entries) bytes += std::string{tag, 0, perm, 0, id, 0, 0, 0};
  return bytes;
}

TEST(GuardProbe, WhoMayOpenTheDrive) {
  // A seat's drive: root:cdrom 0660 and the active user 100 added by name.
  const std::string seat = Acl({{1, 6, 0}, {2, 6, 100}, {4, 6, 0}, {16, 6, 0}, {32, 0, 0}});
  const std::string masked = Acl({{1, 6, 0}, {2, 6, 100}, {4, 6, 0}, {16, 0, 0}, {32, 4, 0}});
  const std::string groupShut = Acl({{1, 6, 0}, {4, 0, 0}, {32, 4, 0}});
  const std::vector<gid_t> cdrom = {24};
  struct Row {
    DeviceAccess device;
    uid_t uid;
    std::vector<gid_t> groups;
    bool may;
  } const rows[] = {
      {{0600, 100, 24, {}}, 100, {}, true},
      {{0060, 100, 24, {}}, 100, cdrom, false},
      {{0660, 0, 24, {}}, 100, cdrom, true},
      {{0604, 0, 24, {}}, 100, {}, true},
      {{0600, 0, 24, {}}, 100, cdrom, false},
      {{0000, 0, 24, {}}, 0, {}, true},
      {{0660, 0, 24, seat}, 100, {}, true},
      {{0660, 0, 24, seat}, 101, {}, false},
      {{0660, 0, 24, masked}, 100, {}, false},
      {{0664, 0, 24, groupShut}, 100, cdrom, false},
      {{0660, 0, 24, seat.substr(0, 23)}, 100, {}, false},
  };
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    EXPECT_EQ(MayRead(rows[i].device, rows[i].uid, rows[i].groups), rows[i].may) << "row " << i;
  }
}

int RunHelper(const std::vector<std::string>& arguments) {
  std::vector<std::string> words = {ORBL_GUARDED_PATH};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// As root the files belong to an ordinary user, whom the kernel does not let
// past a device's permissions.
TEST(GuardProbe, HelperSucceedsOnlyWhileAGuardIsHeld) {
  const TempFolder temp;
  const uid_t uid = ::geteuid() == 0 ? 4242 : ::geteuid();
  const std::string run = temp / "run";
  const std::string dev = temp / "dev";
  const std::string user = run + "/" + std::to_string(uid);
  for (const std::string& folder : {run, dev, user, user + "/orbelle"}) {
    std::filesystem::create_directories(folder);
    ::chmod(folder.c_str(), 0700);
  }
  for (const char* name : {"sr0", "sr1", "srx"}) {
    WriteText(dev + "/" + name, "");
    WriteText(user + "/orbelle/" + name + ".guard", "");
  }
  const auto own = [uid](const std::string& path) {
    ASSERT_EQ(::lchown(path.c_str(), uid, uid), 0);
  };
  for (const auto& entry : std::filesystem::recursive_directory_iterator(temp.path)) {
    own(entry.path().string());
  }
  ::chmod((dev + "/sr0").c_str(), 0600);
  const FileDescriptor held(::open((user + "/orbelle/sr0.guard").c_str(), O_RDWR));
  const FileDescriptor junk(::open((user + "/orbelle/srx.guard").c_str(), O_RDWR));
  ASSERT_EQ(::flock(held.Get(), LOCK_EX), 0);
  ASSERT_EQ(::flock(junk.Get(), LOCK_EX), 0);
  const auto guarded = [&](const std::string& drive) { return RunHelper({drive, run, dev}); };

  EXPECT_EQ(guarded("sr0"), 0);
  EXPECT_EQ(guarded("sr1"), 1);  // a guard file no one holds
  EXPECT_EQ(guarded("sr2"), 1);  // no such drive
  for (const char* name : {"srx", "sr0/../srx", "", "sr"}) EXPECT_EQ(guarded(name), 1) << name;
  EXPECT_EQ(RunHelper({"sr0", run}), 2);

  // A drive its holder may not open, a folder others may enter, a folder
  // named after someone else, and a link to the held guard.
  ::chmod((dev + "/sr0").c_str(), 0);
  EXPECT_EQ(guarded("sr0"), 1);
  ::chmod((dev + "/sr0").c_str(), 0644);  // from here on anyone may open it
  ::chmod((user + "/orbelle").c_str(), 0750);
  EXPECT_EQ(guarded("sr0"), 1);
  ::chmod((user + "/orbelle").c_str(), 0700);
  const std::string other = run + "/" + std::to_string(uid + 1);
  std::filesystem::rename(user, other);
  for (const std::string& path : {other + "/orbelle", other + "/orbelle/sr0.guard"}) {
    (void)::lchown(path.c_str(), uid + 1, uid + 1);  // as root, only the folder above is not theirs
  }
  EXPECT_EQ(guarded("sr0"), 1);
  std::filesystem::rename(other, user);
  own(user + "/orbelle");
  own(user + "/orbelle/sr0.guard");
  std::filesystem::rename(user + "/orbelle/sr0.guard", user + "/orbelle/held");
  std::filesystem::create_symlink("held", user + "/orbelle/sr0.guard");
  own(user + "/orbelle/sr0.guard");
  EXPECT_EQ(guarded("sr0"), 1);
  std::filesystem::remove(user + "/orbelle/sr0.guard");
  std::filesystem::rename(user + "/orbelle/held", user + "/orbelle/sr0.guard");
  EXPECT_EQ(guarded("sr0"), 0);

  ASSERT_EQ(::flock(held.Get(), LOCK_UN), 0);
  EXPECT_EQ(guarded("sr0"), 1);
}

}  // namespace
}  // namespace orbl::lnx
