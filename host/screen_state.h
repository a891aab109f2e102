// Collects the `dump` state from the live window tree.
#pragma once

#include <vector>

#include "host/dump.h"

namespace host {

// `messages` are the message boxes shown so far, in order.
ScreenState CollectScreenState(const std::vector<ShownMessage>& messages);

}  // namespace host
