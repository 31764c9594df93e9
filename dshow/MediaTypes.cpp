#include "dshow/MediaTypes.h"

#include <cstring>

#include "dshow/Interfaces.h"
#include "platform/com.h"

namespace krvx {
namespace dshow {

void FreeMediaType(MediaType& type) {
    if (type.format) platform::ComTaskMemFree(type.format);
    type.format = nullptr;
    type.formatSize = 0;
    if (type.unknown) type.unknown->Release();
    type.unknown = nullptr;
}

void DeleteMediaType(MediaType* type) {
    if (!type) return;
    FreeMediaType(*type);
    platform::ComTaskMemFree(type);
}

HResult CopyMediaType(MediaType* target, const MediaType* source) {
    if (!target || !source) return kPointer;
    *target = *source;
    target->format = nullptr;
    target->formatSize = 0;
    if (source->formatSize && source->format) {
        target->format = static_cast<uint8_t*>(platform::ComTaskMemAlloc(source->formatSize));
        if (!target->format) {
            target->unknown = nullptr;
            return kOutOfMemory;
        }
        std::memcpy(target->format, source->format, source->formatSize);
        target->formatSize = source->formatSize;
    }
    if (target->unknown) target->unknown->AddRef();
    return kOk;
}

MediaType* CreateMediaType(const MediaType* source) {
    if (!source) return nullptr;
    auto* copy = static_cast<MediaType*>(platform::ComTaskMemAlloc(sizeof(MediaType)));
    if (!copy) return nullptr;
    if (Failed(CopyMediaType(copy, source))) {
        platform::ComTaskMemFree(copy);
        return nullptr;
    }
    return copy;
}

uint8_t* AllocateFormat(MediaType& type, uint32_t size) {
    if (type.format) platform::ComTaskMemFree(type.format);
    type.format = nullptr;
    type.formatSize = 0;
    if (size == 0) return nullptr;
    auto* block = static_cast<uint8_t*>(platform::ComTaskMemAlloc(size));
    if (!block) return nullptr;
    std::memset(block, 0, size);
    type.format = block;
    type.formatSize = size;
    return block;
}

}  // namespace dshow
}  // namespace krvx
