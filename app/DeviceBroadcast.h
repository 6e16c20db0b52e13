// Reading a WM_DEVICECHANGE: whether it reports a completed removal, and which
// drive letters a volume broadcast names.
//
// Any program may broadcast a device change, so the bytes are outside input:
// they are read only when lParam points at a structure, only as far as they
// go and only as far as the structure's own size field declares.
#pragma once

#include <optional>
#include <vector>

#include "platform/Types.h"

namespace orbl {

struct DeviceRemoval {
  // The broadcast was a volume broadcast (DEV_BROADCAST_VOLUME) that could be
  // read as far as its unit mask.
  bool volume = false;
  // The letters its unit mask names, A first; bits above Z are ignored.
  std::vector<char> letters;
  friend bool operator==(const DeviceRemoval&, const DeviceRemoval&) = default;
};

// Nothing unless the message is WM_DEVICECHANGE with DBT_DEVICEREMOVECOMPLETE.
// A removal whose broadcast is no volume broadcast or cannot be read is still
// a removal, with no letters.
std::optional<DeviceRemoval> DecodeDeviceRemoval(const platform::Message& message);

}  // namespace orbl
