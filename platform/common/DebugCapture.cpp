#include "platform/common/DebugCapture.h"

#include <atomic>

namespace krvx {
namespace platform {

namespace {
struct Capture {
    DebugCapture callback;
    void* context;
};
std::atomic<const Capture*> g_capture{nullptr};
Capture g_slots[2];
std::atomic<int> g_next{0};
}  // namespace

void SetDebugCapture(DebugCapture capture, void* context) {
    if (!capture) {
        g_capture = nullptr;
        return;
    }
    // Two slots so that a reader never sees a half-written capture while a test swaps it.
    Capture& slot = g_slots[g_next.fetch_add(1) & 1];
    slot.callback = capture;
    slot.context = context;
    g_capture = &slot;
}

namespace detail {
void ForwardToCapture(const char* text) {
    const Capture* capture = g_capture.load();
    if (capture) capture->callback(capture->context, text);
}
}  // namespace detail

}  // namespace platform
}  // namespace krvx
