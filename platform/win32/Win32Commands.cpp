#include "platform/win32/Win32Commands.h"

#include "platform/win32/Win32Api.h"

namespace orbl::win32 {

namespace {

void Write(DWORD which, const std::string& text) {
  const HANDLE handle = GetStdHandle(which);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

}  // namespace

void Win32CommandChannel::Listen(platform::WindowHandle /*owner*/,
                                 std::function<platform::CommandReply(const std::string&)>) {}

std::optional<platform::CommandReply> Win32CommandChannel::Send(const std::string& /*request*/) {
  return std::nullopt;
}

void Win32Console::Out(const std::string& text) {
  Write(STD_OUTPUT_HANDLE, text);
}

void Win32Console::Err(const std::string& text) {
  Write(STD_ERROR_HANDLE, text);
}

}  // namespace orbl::win32
