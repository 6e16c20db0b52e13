// Short forms for the control descriptions the dialogs are built from, so that
// a dialog's constructor reads as the list of its controls.
#pragma once

#include <functional>
#include <string>
#include <utility>

#include "platform/WindowSystem.h"

namespace orbl::ui {

inline platform::ControlParams Params(platform::ControlKind kind, platform::Rect rect,
                                      std::string text = {}) {
  platform::ControlParams params;
  params.kind = kind;
  params.rect = rect;
  params.text = std::move(text);
  return params;
}

inline platform::ControlParams Bold(platform::ControlParams params) {
  params.bold = true;
  return params;
}

inline platform::ControlParams WithImage(platform::ControlParams params, std::string image) {
  params.image = std::move(image);
  return params;
}

inline platform::ControlParams AsDefault(platform::ControlParams params) {
  params.defaultButton = true;
  return params;
}

inline platform::ControlParams AsCancel(platform::ControlParams params) {
  params.cancelButton = true;
  return params;
}

inline platform::ControlEvents OnClick(std::function<void()> onClick) {
  platform::ControlEvents events;
  events.onClick = std::move(onClick);
  return events;
}

}  // namespace orbl::ui
