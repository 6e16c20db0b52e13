#include "platform/qt/QtSystem.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDesktopServices>
#include <QMetaObject>
#include <QUrl>
#include <cstdio>
#include <ctime>
#include <memory>

#include "platform/FilePattern.h"
#include "platform/linux/LinuxFolders.h"

namespace orbl::qt {

namespace {

// Larger than any language file or help page the program reads.
constexpr std::size_t kMaxReadBytes = std::size_t{16} * 1024 * 1024;

// "http:", "mailto:" and the like: a letter, then letters, digits, "+-." up
// to the colon.
bool HasScheme(const std::string& text) {
  const std::size_t colon = text.find(':');
  if (colon == std::string::npos || colon == 0) return false;
  for (std::size_t i = 0; i < colon; ++i) {
    const char c = text[i];
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    const bool other = (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
    if (!letter && (i == 0 || !other)) return false;
  }
  return true;
}

}  // namespace

std::string QtFiles::ModulePath() const {
  std::string path(4096, '\0');
  const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
  if (length <= 0 || static_cast<std::size_t>(length) >= path.size()) return {};
  path.resize(static_cast<std::size_t>(length));
  return path;
}

std::string QtFiles::ProgramFolder() const {
  const std::string path = ModulePath();
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string QtFiles::JoinPath(const std::string& folder, const std::string& name) const {
  if (folder.empty()) return name;
  return folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::vector<std::string> QtFiles::FindFiles(const std::string& folder,
                                            const std::string& pattern) const {
  std::vector<std::string> names;
  const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), &::closedir);
  if (!dir) return names;
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string name = entry->d_name;
    if (!platform::MatchesFilePattern(name, pattern)) continue;
    struct stat info {};
    if (::stat(JoinPath(folder, name).c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
      names.push_back(name);
    }
  }
  return names;
}

std::optional<std::string> QtFiles::ReadFile(const std::string& path) const {
  return lnx::ReadSmallFile(path, kMaxReadBytes);
}

void QtFiles::ExitProcess(int code) {
  std::fflush(nullptr);
  ::_exit(code);
}

std::string QtShell::AddressOf(const std::string& document) {
  if (HasScheme(document)) return document;
  return QUrl::fromLocalFile(QString::fromStdString(document)).toString().toStdString();
}

bool QtShell::Open(platform::WindowHandle /*owner*/, const std::string& document,
                   int /*showMode*/) {
  if (document.empty()) return false;
  return QDesktopServices::openUrl(QUrl(QString::fromStdString(AddressOf(document))));
}

std::uint64_t QtClock::UptimeMs() const {
  timespec now{};
  ::clock_gettime(CLOCK_BOOTTIME, &now);
  return static_cast<std::uint64_t>(now.tv_sec) * 1000U +
         static_cast<std::uint64_t>(now.tv_nsec / 1000000);
}

std::int64_t QtClock::WallClockSeconds() const {
  return static_cast<std::int64_t>(std::time(nullptr));
}

void QtConsole::Out(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

void QtConsole::Err(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

void QtCommandChannel::Listen(
    platform::WindowHandle /*owner*/,
    std::function<platform::CommandReply(const std::string& request)> handler) {
  if (!socket_.Listen(std::move(handler))) return;
  notifier_ = std::make_unique<QSocketNotifier>(socket_.ListeningFd(), QSocketNotifier::Read);
  // A waiting connection is taken in its turn behind what was posted before
  // it; the notifier is quiet until then, so it is taken once.
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
    notifier_->setEnabled(false);
    QMetaObject::invokeMethod(
        notifier_.get(),
        [this] {
          socket_.HandleReadable();
          notifier_->setEnabled(true);
        },
        Qt::QueuedConnection);
  });
}

std::optional<platform::CommandReply> QtCommandChannel::Send(const std::string& request) {
  return socket_.Send(request);
}

}  // namespace orbl::qt
