#include "platform/WindowsPath.h"

namespace orbl::platform {

std::string JoinWindowsPath(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (!path.empty() && path.back() != '\\' && path.back() != '/') path += '\\';
  path += name;
  return path;
}

std::string WindowsParentFolder(std::string_view path) {
  const auto slash = path.find_last_of("\\/");
  return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash));
}

}  // namespace orbl::platform
