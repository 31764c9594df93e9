// Media-type records and their format blocks. Format blocks and records handed across interfaces live
// in COM task memory, because the system's graph frees what it receives with the task allocator.
#pragma once
#include <cstdint>

#include "dshow/ComTypes.h"

namespace krvx {
namespace dshow {

// Frees the format block and releases `unknown`; the record itself stays, emptied of both.
void FreeMediaType(MediaType& type);
// Frees a task-allocated record together with its format block. Null is ignored.
void DeleteMediaType(MediaType* type);
// Deep copy into `target` (whose previous contents are not freed): its own format block, `unknown` AddRef'd.
HResult CopyMediaType(MediaType* target, const MediaType* source);
// A task-allocated deep copy, or null when memory runs out.
MediaType* CreateMediaType(const MediaType* source);
// Replaces the format block with `size` zeroed bytes of task memory; null (format left empty) on failure.
uint8_t* AllocateFormat(MediaType& type, uint32_t size);

}  // namespace dshow
}  // namespace krvx
