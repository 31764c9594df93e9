// Creates the stand-in graph and its filters by class identifier, as COM creation does on Windows:
// the filter graph, "AVI Mux", "File Writer" and "QT Mux".
#pragma once
#include "dshow/ComTypes.h"

namespace krvx {
namespace graph {

// Stores the object's `iid` interface with one reference in *object. kClassNotRegistered for any other
// class, kNoInterface when the object lacks the interface (*object is then null).
dshow::HResult CreateStandInObject(const dshow::Guid& classId, const dshow::Guid& iid, void** object);

}  // namespace graph
}  // namespace krvx
