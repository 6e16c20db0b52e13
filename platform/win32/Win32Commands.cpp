#include "platform/win32/Win32Commands.h"

#include <array>
#include <iterator>
#include <string_view>

namespace orbl::win32 {

using platform::CommandReply;

namespace {

constexpr wchar_t kListenerClass[] = L"OrbelleCommands";
constexpr wchar_t kReplyClass[] = L"OrbelleCommandReply";
// dwData of a request, and of a reply with the exit code in its low byte: a
// WM_COPYDATA some other program sends to our window is not taken for one.
constexpr ULONG_PTR kRequestTag = 0x4F524231;
constexpr ULONG_PTR kReplyTag = 0x4F524200;
constexpr ULONG_PTR kExitCodeBits = 0xFF;
constexpr UINT kRunRequest = WM_APP + 1;
// An instance still starting has not listened yet.
constexpr DWORD kFindForMs = 5000;
constexpr DWORD kFindEveryMs = 100;
constexpr UINT kTakeWithinMs = 5000;
// A box of the instance may wait for the user meanwhile.
constexpr ULONGLONG kReplyWithinMs = 5ULL * 60 * 1000;
constexpr UINT kDeliverWithinMs = 5000;

// What a command waits for, reached from its reply window.
struct Waiting {
  HWND listener = nullptr;
  std::optional<CommandReply> reply;
};

template <typename State>
State* StateOf(HWND hwnd, UINT msg, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    SetWindowLongPtrW(
        hwnd, GWLP_USERDATA,
        reinterpret_cast<LONG_PTR>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams));
  }
  return reinterpret_cast<State*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

HWND CreateMessageWindow(const wchar_t* className, WNDPROC proc, void* state) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.lpszClassName = className;
  RegisterClassExW(&wc);  // fails harmlessly when registered before
  return CreateWindowExW(0, className, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, state);
}

bool IsReplyWindow(HWND hwnd) {
  std::array<wchar_t, std::size(kReplyClass) + 1> name{};
  const int length = GetClassNameW(hwnd, name.data(), static_cast<int>(name.size()));
  return length > 0 && std::wstring_view(name.data(), static_cast<std::size_t>(length)) ==
                           std::wstring_view(kReplyClass);
}

// The reply comes from the instance's process: bounded, and only once.
LRESULT CALLBACK ReplyProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* waiting = StateOf<Waiting>(hwnd, msg, lParam);
  if (msg != WM_COPYDATA || waiting == nullptr) return DefWindowProcW(hwnd, msg, wParam, lParam);
  const auto& data = *reinterpret_cast<const COPYDATASTRUCT*>(lParam);
  if (reinterpret_cast<HWND>(wParam) != waiting->listener || waiting->reply ||
      (data.dwData & ~kExitCodeBits) != kReplyTag || data.cbData > platform::kMaxReplyBytes ||
      (data.cbData > 0 && data.lpData == nullptr)) {
    return FALSE;
  }
  const std::string_view bytes(static_cast<const char*>(data.lpData), data.cbData);
  const std::size_t end = bytes.find('\0');
  CommandReply reply;
  reply.exitCode = static_cast<int>(data.dwData & kExitCodeBits);
  reply.output = std::string(bytes.substr(0, end));
  if (end != std::string_view::npos) reply.errors = std::string(bytes.substr(end + 1));
  waiting->reply = std::move(reply);
  return TRUE;
}

HWND FindListener() {
  for (DWORD waited = 0;; waited += kFindEveryMs) {
    HWND listener = FindWindowExW(HWND_MESSAGE, nullptr, kListenerClass, nullptr);
    if (listener != nullptr || waited >= kFindForMs) return listener;
    Sleep(kFindEveryMs);
  }
}

// Dispatches this thread's messages, the reply among them, until the reply
// is in, the instance has ended or the time is up.
void WaitForReply(Waiting& waiting, HANDLE process) {
  const ULONGLONG deadline = GetTickCount64() + kReplyWithinMs;
  for (;;) {
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE) != FALSE) DispatchMessageW(&msg);
    const ULONGLONG now = GetTickCount64();
    if (waiting.reply || now >= deadline) return;
    const DWORD handles = process != nullptr ? 1 : 0;
    const DWORD woke = MsgWaitForMultipleObjectsEx(
        handles, &process, static_cast<DWORD>(deadline - now), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (woke == WAIT_FAILED || (handles == 1 && woke == WAIT_OBJECT_0)) {
      // A reply sent just before the end is already in the queue.
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE) != FALSE) DispatchMessageW(&msg);
      return;
    }
  }
}

void WriteAll(HANDLE handle, std::string_view text) {
  while (!text.empty()) {
    DWORD written = 0;
    const BOOL wrote =
        WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    if (wrote == FALSE || written == 0) return;
    text.remove_prefix(written);
  }
}

// A console ends its lines with CR LF.
std::string ConsoleLines(const std::string& text) {
  std::string lines;
  for (const char c : text) {
    if (c == '\n') lines += '\r';
    lines += c;
  }
  return lines;
}

}  // namespace

Win32CommandChannel::~Win32CommandChannel() {
  if (listener_ != nullptr) DestroyWindow(listener_);
}

void Win32CommandChannel::Listen(platform::WindowHandle /*owner*/,
                                 std::function<CommandReply(const std::string&)> handler) {
  handler_ = std::move(handler);
  if (listener_ == nullptr) listener_ = CreateMessageWindow(kListenerClass, &ListenerProc, this);
}

LRESULT CALLBACK Win32CommandChannel::ListenerProc(HWND hwnd, UINT msg, WPARAM wParam,
                                                   LPARAM lParam) {
  auto* channel = StateOf<Win32CommandChannel>(hwnd, msg, lParam);
  if (channel != nullptr && msg == WM_COPYDATA) {
    return channel->Take(reinterpret_cast<HWND>(wParam),
                         *reinterpret_cast<const COPYDATASTRUCT*>(lParam))
               ? TRUE
               : FALSE;
  }
  if (channel != nullptr && msg == kRunRequest) {
    channel->RunNext();
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// The sender's bytes are copied and the request waits its turn behind what
// was posted before: the sender is only told that it was taken.
bool Win32CommandChannel::Take(HWND replyTo, const COPYDATASTRUCT& data) {
  if (data.dwData != kRequestTag || data.cbData > platform::kMaxRequestBytes ||
      (data.cbData > 0 && data.lpData == nullptr)) {
    return false;
  }
  const auto* bytes = static_cast<const char*>(data.lpData);
  pending_.push_back(Request{std::string(bytes, data.cbData), replyTo});
  if (PostMessageW(listener_, kRunRequest, 0, 0) == FALSE) {
    pending_.pop_back();
    return false;
  }
  return true;
}

// The handler may show a box whose loop runs the next request meanwhile.
void Win32CommandChannel::RunNext() {
  if (pending_.empty() || !handler_) return;
  const Request request = std::move(pending_.front());
  pending_.pop_front();
  const CommandReply reply = handler_(request.bytes);
  // Only to a command's reply window: the window named in the request is the
  // sender's word alone.
  if (!IsReplyWindow(request.replyTo)) return;
  std::string bytes = reply.output.substr(0, platform::kMaxReplyBytes - 1);
  bytes += '\0';
  bytes += reply.errors.substr(0, platform::kMaxReplyBytes - bytes.size());
  COPYDATASTRUCT data{};
  data.dwData = kReplyTag | (static_cast<ULONG_PTR>(reply.exitCode) & kExitCodeBits);
  data.cbData = static_cast<DWORD>(bytes.size());
  data.lpData = bytes.data();
  // A sender that gave up or ended is not waited for.
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(request.replyTo, WM_COPYDATA, reinterpret_cast<WPARAM>(listener_),
                      reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, kDeliverWithinMs,
                      &ignored);
}

std::optional<CommandReply> Win32CommandChannel::Send(const std::string& request) {
  if (request.size() > platform::kMaxRequestBytes) return std::nullopt;
  Waiting waiting;
  waiting.listener = FindListener();
  if (waiting.listener == nullptr) return std::nullopt;
  HWND replyWindow = CreateMessageWindow(kReplyClass, &ReplyProc, &waiting);
  if (replyWindow == nullptr) return std::nullopt;
  std::string bytes = request;
  COPYDATASTRUCT data{};
  data.dwData = kRequestTag;
  data.cbData = static_cast<DWORD>(bytes.size());
  data.lpData = bytes.data();
  DWORD_PTR taken = FALSE;
  if (SendMessageTimeoutW(waiting.listener, WM_COPYDATA, reinterpret_cast<WPARAM>(replyWindow),
                          reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, kTakeWithinMs,
                          &taken) != 0 &&
      taken == TRUE) {
    DWORD pid = 0;
    GetWindowThreadProcessId(waiting.listener, &pid);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    WaitForReply(waiting, process);
    if (process != nullptr) CloseHandle(process);
  }
  DestroyWindow(replyWindow);
  return std::move(waiting.reply);
}

Win32Console::~Win32Console() {
  if (console_ != INVALID_HANDLE_VALUE) CloseHandle(console_);
}

void Win32Console::Out(const std::string& text) {
  Write(STD_OUTPUT_HANDLE, text);
}

void Win32Console::Err(const std::string& text) {
  Write(STD_ERROR_HANDLE, text);
}

void Win32Console::Write(DWORD which, const std::string& text) {
  const HANDLE handle = GetStdHandle(which);
  if (handle != nullptr && handle != INVALID_HANDLE_VALUE &&
      GetFileType(handle) != FILE_TYPE_UNKNOWN) {
    DWORD mode = 0;
    WriteAll(handle, GetConsoleMode(handle, &mode) != FALSE ? ConsoleLines(text) : text);
    return;
  }
  const HANDLE console = ParentConsole();
  if (console != INVALID_HANDLE_VALUE) WriteAll(console, ConsoleLines(text));
}

// A program of the GUI subsystem gets no console of its own: started from
// cmd or PowerShell it borrows theirs, started from a shortcut there is none.
HANDLE Win32Console::ParentConsole() {
  if (!attachTried_) {
    attachTried_ = true;
    if (AttachConsole(ATTACH_PARENT_PROCESS) != FALSE) {
      console_ =
          CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      nullptr, OPEN_EXISTING, 0, nullptr);
    }
  }
  return console_;
}

}  // namespace orbl::win32
