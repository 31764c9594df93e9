// The last step of creating a stand-in object: hand out the interface asked for and drop the creation
// reference, so the caller holds the only one.
#pragma once
#include "dshow/ComPointer.h"
#include "dshow/ComTypes.h"

namespace krvx {
namespace graph {

// `made` is the new object (null when it could not be allocated) and `whole` whether its parts (pins)
// were made too; kOutOfMemory when either failed.
template <typename Object>
dshow::HResult HandOut(Object* made, bool whole, const dshow::Guid& iid, void** object) {
    const dshow::ComPointer<Object> creation(made);
    if (!creation) return dshow::kOutOfMemory;
    return whole ? creation->QueryInterface(iid, object) : dshow::kOutOfMemory;
}

}  // namespace graph
}  // namespace krvx
