// The last step of creating a stand-in object: hand out the interface asked for and drop the creation
// reference, so the caller holds the only one.
#pragma once
#include "dshow/ComTypes.h"

namespace krvx {
namespace graph {

// `made` is the new object (null when it could not be allocated) and `whole` whether its parts (pins)
// were made too; kOutOfMemory when either failed.
template <typename Object>
dshow::HResult HandOut(Object* made, bool whole, const dshow::Guid& iid, void** object) {
    if (!made) return dshow::kOutOfMemory;
    const dshow::HResult result = whole ? made->QueryInterface(iid, object) : dshow::kOutOfMemory;
    made->Release();
    return result;
}

}  // namespace graph
}  // namespace krvx
