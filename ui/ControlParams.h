// Short forms for the control descriptions the dialogs are built from, so that
// a dialog's constructor reads as the list of its controls.
#pragma once

#include <functional>
#include <string>
#include <utility>

#include "platform/WindowSystem.h"

namespace orbl::ui {

inline platform::ControlSpec Params(platform::ControlKind kind, platform::Rect rect,
                                    std::string text = {}) {
  platform::ControlSpec params;
  params.kind = kind;
  params.rect = rect;
  params.text = std::move(text);
  return params;
}

inline platform::ControlSpec Bold(platform::ControlSpec params) {
  params.bold = true;
  return params;
}

inline platform::ControlSpec WithImage(platform::ControlSpec params, std::string image) {
  params.image = std::move(image);
  return params;
}

inline platform::ControlSpec AsDefault(platform::ControlSpec params) {
  params.defaultButton = true;
  return params;
}

inline platform::ControlSpec AsCancel(platform::ControlSpec params) {
  params.cancelButton = true;
  return params;
}

inline platform::ControlEvents OnClick(std::function<void()> onClick) {
  platform::ControlEvents events;
  events.onClick = std::move(onClick);
  return events;
}

}  // namespace orbl::ui
