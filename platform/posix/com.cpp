#include "platform/com.h"

#include <cstdlib>

namespace krvx {
namespace platform {

namespace {
constexpr int32_t kClassNotRegistered = static_cast<int32_t>(0x80040154u);
}

int32_t ComInitialize() {
    return 0;
}

void ComUninitialize() {}

int32_t ComCreateInstance(const void*, const void*, void** object) {
    if (object) *object = nullptr;
    return kClassNotRegistered;
}

void* ComTaskMemAlloc(size_t bytes) {
    return std::malloc(bytes);
}

void ComTaskMemFree(void* block) {
    std::free(block);
}

}  // namespace platform
}  // namespace krvx
