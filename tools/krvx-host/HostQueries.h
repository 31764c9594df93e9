// Conversations with the plug-in shared by several commands.
#pragma once
#include <cstdint>
#include <cstdio>

#include "tools/krvx-host/Session.h"

namespace krvx {
namespace sim {

// Initialises the plug-in, asks its formats and capabilities, shuts it down, and prints each answer.
// Returns the first result that was not the expected one, or 0.
int32_t PrintCapabilities(Session& session, FILE* out);

}  // namespace sim
}  // namespace krvx
