// The translators' check, run inside a Wine session by scripts/check-language.sh:
// starts orbl3.exe with each language file in turn and reports every text
// that does not fit the control showing it (text_fit.h).
//
//   orbl_fit.exe PROGRAM FILE...
//
// Exit code 0 when every text fits, 1 when one does not, 2 when a window
// could not be brought up.
#include <cstdio>
#include <string>

#include "text_fit.h"

int main(int argc, char** argv) {
  using namespace orbl::e2e;
  if (argc < 3) {
    std::printf("usage: orbl_fit PROGRAM FILE...\n");
    return 2;
  }
  int clipped = 0;
  for (int i = 2; i < argc; ++i) {
    char full[MAX_PATH] = {};
    char* name = nullptr;
    if (GetFullPathNameA(argv[i], sizeof full, full, &name) == 0 || name == nullptr) {
      std::printf("%s: no such file\n", argv[i]);
      return 2;
    }
    try {
      for (const Clipped& c : CheckLanguage(argv[1], full, name)) {
        std::printf("%s\n", Describe(c).c_str());
        ++clipped;
      }
    } catch (const Failure& failure) {
      std::printf("%s: %s\n", name, failure.what());
      return 2;
    }
    std::fflush(stdout);
  }
  if (clipped == 0) {
    std::printf("every text fits\n");
    return 0;
  }
  std::printf("%d text(s) do not fit\n", clipped);
  return 1;
}
