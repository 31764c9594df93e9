#include "platform/com.h"

#include <objbase.h>

namespace krvx {
namespace platform {

int32_t ComInitialize() {
    return static_cast<int32_t>(CoInitialize(nullptr));
}

void ComUninitialize() {
    CoUninitialize();
}

int32_t ComCreateInstance(const void* classId, const void* interfaceId, void** object) {
    return static_cast<int32_t>(CoCreateInstance(*static_cast<const CLSID*>(classId), nullptr,
                                                 CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER,
                                                 *static_cast<const IID*>(interfaceId), object));
}

void* ComTaskMemAlloc(size_t bytes) {
    return CoTaskMemAlloc(bytes);
}

void ComTaskMemFree(void* block) {
    CoTaskMemFree(block);
}

}  // namespace platform
}  // namespace krvx
