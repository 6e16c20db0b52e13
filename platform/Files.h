// Files and the process: the program's own path, the command line, file search
// and reading, and the end of the process.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace orbl::platform {

class Files {
 public:
  virtual ~Files() = default;
  // Full path of the running program file (GetModuleFileNameA), such as
  // "C:\Program Files\Orbelle\orbl3.exe".
  virtual std::string ModulePath() const = 0;
  // The folder that holds the program file, without a trailing separator.
  virtual std::string ProgramFolder() const = 0;
  // `folder` and `name` joined with the system's separator.
  virtual std::string JoinPath(const std::string& folder, const std::string& name) const = 0;
  // The arguments after the program name, in order.
  virtual std::vector<std::string> Arguments() const = 0;
  // Names (without folder) of the files in `folder` matching `pattern` (such as
  // "*.INI", matched without regard to case), in the order the file system
  // gives them. Folders are not listed.
  virtual std::vector<std::string> FindFiles(const std::string& folder,
                                             const std::string& pattern) const = 0;
  // The whole content of a file; nullopt when it cannot be read.
  virtual std::optional<std::string> ReadFile(const std::string& path) const = 0;
  // Ends the process with the exit code; never returns.
  [[noreturn]] virtual void ExitProcess(int code) = 0;
};

}  // namespace orbl::platform
