// The Linux benchmark's stand-in notification area: an XEmbed tray manager
// that owns _NET_SYSTEM_TRAY_S0 and answers no dock request, and the
// launcher that times the programs against it. Commands on standard input,
// one answer line each on standard output:
//
//   start PROGRAM [ARGUMENTS...]  ->  started PID DOCK_MS   (exec -> dock request)
//   term PID                      ->  ended PID EXIT_MS CODE (SIGTERM -> process gone)
//   grab KEYSYM (hex)             ->  grabbed KEYCODE (held with any modifiers, as
//                                     another program's hot key would hold it)
//   quit
//
// Errors answer "error ..." and the probe goes on.
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

double NowMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

xcb_atom_t Intern(xcb_connection_t* connection, const char* name) {
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
      connection,
      xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
  const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
  std::free(reply);
  return atom;
}

struct Tray {
  xcb_connection_t* connection = nullptr;
  xcb_window_t root = XCB_WINDOW_NONE;
  xcb_atom_t opcode = XCB_ATOM_NONE;
  std::vector<double> docks;  // times of the dock requests not yet taken

  bool Open() {
    int screenNumber = 0;
    connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection) != 0) return false;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber; ++i) xcb_screen_next(&it);
    xcb_screen_t* screen = it.data;
    root = screen->root;
    const xcb_window_t owner = xcb_generate_id(connection);
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, owner, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    const std::string selectionName = "_NET_SYSTEM_TRAY_S" + std::to_string(screenNumber);
    const xcb_atom_t selection = Intern(connection, selectionName.c_str());
    opcode = Intern(connection, "_NET_SYSTEM_TRAY_OPCODE");
    xcb_set_selection_owner(connection, owner, selection, XCB_CURRENT_TIME);
    // Tell the clients already waiting that a tray is here.
    xcb_client_message_event_t manager{};
    manager.response_type = XCB_CLIENT_MESSAGE;
    manager.format = 32;
    manager.window = screen->root;
    manager.type = Intern(connection, "MANAGER");
    manager.data.data32[0] = XCB_CURRENT_TIME;
    manager.data.data32[1] = selection;
    manager.data.data32[2] = owner;
    xcb_send_event(connection, 0, screen->root, XCB_EVENT_MASK_STRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&manager));
    xcb_flush(connection);
    return true;
  }

  void Drain() {
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
      if ((event->response_type & 0x7F) == XCB_CLIENT_MESSAGE) {
        const auto* message = reinterpret_cast<xcb_client_message_event_t*>(event);
        // Opcode 0 is SYSTEM_TRAY_REQUEST_DOCK.
        if (message->type == opcode && message->data.data32[1] == 0) docks.push_back(NowMs());
      }
      std::free(event);
    }
  }

  // The key's first key code, or 0 when the keymap has no such key.
  xcb_keycode_t KeyCode(xcb_keysym_t keysym) {
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    xcb_get_keyboard_mapping_reply_t* map = xcb_get_keyboard_mapping_reply(
        connection,
        xcb_get_keyboard_mapping(connection, setup->min_keycode, static_cast<std::uint8_t>(count)),
        nullptr);
    if (map == nullptr) return 0;
    const xcb_keysym_t* symbols = xcb_get_keyboard_mapping_keysyms(map);
    const int length = xcb_get_keyboard_mapping_keysyms_length(map);
    xcb_keycode_t found = 0;
    for (int i = 0; i < length && found == 0; ++i) {
      if (symbols[i] == keysym) {
        found = static_cast<xcb_keycode_t>(setup->min_keycode + i / map->keysyms_per_keycode);
      }
    }
    std::free(map);
    return found;
  }

  bool Grab(xcb_keycode_t code) {
    xcb_generic_error_t* error = xcb_request_check(
        connection, xcb_grab_key_checked(connection, 1, root, XCB_MOD_MASK_ANY, code,
                                         XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    std::free(error);
    return error == nullptr;
  }

  // Waits up to `timeoutMs` for a dock request after `since`.
  bool WaitDock(double since, double timeoutMs, double& at) {
    const double deadline = NowMs() + timeoutMs;
    for (;;) {
      Drain();
      for (double t : docks) {
        if (t >= since) {
          at = t;
          docks.clear();
          return true;
        }
      }
      const double left = deadline - NowMs();
      if (left <= 0) return false;
      pollfd fd{xcb_get_file_descriptor(connection), POLLIN, 0};
      poll(&fd, 1, static_cast<int>(left) + 1);
    }
  }
};

}  // namespace

int main() {
  signal(SIGPIPE, SIG_IGN);
  Tray tray;
  if (!tray.Open()) {
    std::cout << "error no X display" << std::endl;
    return 1;
  }
  std::cout << "ready" << std::endl;
  std::string line;
  while (std::getline(std::cin, line)) {
    std::istringstream words(line);
    std::string command;
    words >> command;
    if (command == "quit") break;
    if (command == "start") {
      std::vector<std::string> argv;
      for (std::string word; words >> word;) argv.push_back(word);
      if (argv.empty()) {
        std::cout << "error start needs a program" << std::endl;
        continue;
      }
      tray.Drain();
      tray.docks.clear();
      const double before = NowMs();
      const pid_t pid = fork();
      if (pid == 0) {
        std::vector<char*> args;
        for (std::string& arg : argv) args.push_back(arg.data());
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
      }
      double at = 0;
      if (pid < 0 || !tray.WaitDock(before, 30000, at)) {
        std::cout << "error no dock request from " << argv[0] << std::endl;
        continue;
      }
      std::cout << "started " << pid << ' ' << (at - before) << std::endl;
    } else if (command == "term") {
      pid_t pid = 0;
      words >> pid;
      const double before = NowMs();
      int status = 0;
      if (pid <= 0 || kill(pid, SIGTERM) != 0 || waitpid(pid, &status, 0) != pid) {
        std::cout << "error cannot end " << pid << std::endl;
        continue;
      }
      const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      std::cout << "ended " << pid << ' ' << (NowMs() - before) << ' ' << code << std::endl;
    } else if (command == "grab") {
      xcb_keysym_t keysym = 0;
      words >> std::hex >> keysym;
      const xcb_keycode_t code = tray.KeyCode(keysym);
      if (code == 0 || !tray.Grab(code)) {
        std::cout << "error cannot grab " << std::hex << keysym << std::dec << std::endl;
        continue;
      }
      std::cout << "grabbed " << static_cast<int>(code) << std::endl;
    } else {
      std::cout << "error unknown command " << command << std::endl;
    }
  }
  return 0;
}
