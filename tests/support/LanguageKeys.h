// The keys of a language file that the program's table of interface texts
// does not hold: the windows' captions with the texts the windows are built
// with, and the file's own details.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "ui/OptionsControls.h"

namespace orbl::test {

// The captions of the windows, with the texts the windows are built with:
// the options window's from its table, the dialogs' listed here. Interval
// names two labels, "Interval (seconds):" shown and "Interval:" never shown;
// the shown one, made first, is listed.
struct CaptionKey {
  const char* section;
  const char* key;
  const char* builtIn;
};

inline const std::vector<CaptionKey>& WindowCaptionKeys() {
  static const std::vector<CaptionKey> keys = [] {
    std::vector<CaptionKey> all;
    for (const TOptionsControl& control : kOptionsControls) {
      for (const char* key : {control.Key, control.SecondKey}) {
        const auto same = [&](const CaptionKey& k) {
          return std::string_view(k.section) == control.Section && std::string_view(k.key) == key;
        };
        if (key != nullptr && std::none_of(all.begin(), all.end(), same)) {
          all.push_back({control.Section, key, control.BuiltIn});
        }
      }
    }
    all.insert(all.end(), {
                              {"AboutWindow", "Caption", "About Orbelle"},
                              {"HotKeyOptionsWindow", "Remove", "Remove hot key"},
                              {"HotKeyOptionsWindow", "Caption", "Hot Key Options"},
                              {"HotKeyOptionsWindow", "HotKeyOptions", "Main key:"},
                              {"CloseImmediatelyWindow", "Close_Message", "OK"},
                              {"CloseImmediatelyWindow", "CancelCloseImmediately", "Cancel"},
                              {"CloseImmediatelyWindow", "CloseImmediately",
                               "Close the door of the drive immediately?"},
                              {"CloseImmediatelyWindow", "Caption", "Close Drive"},
                          });
    return all;
  }();
  return keys;
}

// [Main] beside HelpFile: the file's own details, which have no built-in text.
inline const std::vector<const char*>& FileDetailKeys() {
  static const std::vector<const char*> keys = {"LangNameEng", "LangNameNative", "Tanslator",
                                                "Email"};
  return keys;
}

}  // namespace orbl::test
