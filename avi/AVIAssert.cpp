#include "avi/AVIAssert.h"

#include "platform/debug.h"

namespace krvx {

bool AVIAssertion(bool condition, const char* text) {
    if (!condition) platform::DebugPrintf("AVIReader: assertion failed: %s\n", text);
    return condition;
}

}  // namespace krvx
