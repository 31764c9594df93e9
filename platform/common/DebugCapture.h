// The capture callback shared by both debug-output backends.
#pragma once
#include "platform/debug.h"

namespace krvx {
namespace platform {
namespace detail {
// Hands `text` to the installed capture callback, if any.
void ForwardToCapture(const char* text);
}  // namespace detail
}  // namespace platform
}  // namespace krvx
