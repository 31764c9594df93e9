#include "platform/debug.h"

#include <windows.h>

#include "platform/common/DebugCapture.h"

namespace krvx {
namespace platform {

void DebugOutput(const char* text) {
    if (!text) return;
    detail::ForwardToCapture(text);
    OutputDebugStringA(text);
}

}  // namespace platform
}  // namespace krvx
