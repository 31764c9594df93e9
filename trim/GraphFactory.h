// Creates the filter graph and the filters a trimmed copy is written through: on Windows the system's
// (created by class identifier through COM), elsewhere the stand-in graph's. On Windows, where the
// system's "AVI Mux" and "File Writer" cannot work as a pair (Wine's file writer takes no positioned
// writes), both come from the stand-in graph; the filter graph stays the system's.
#pragma once
#include "dshow/ComTypes.h"

namespace krvx {

dshow::HResult CreateGraphObject(const dshow::Guid& classId, const dshow::Guid& interfaceId, void** object);

}  // namespace krvx
