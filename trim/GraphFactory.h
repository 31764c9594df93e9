// Creates the filter graph and the filters a trimmed copy is written through: on Windows the system's
// (created by class identifier through COM), elsewhere the stand-in graph's. On Windows a system file
// writer whose input pin cannot take positioned writes (Wine's) is replaced by the stand-in's.
#pragma once
#include "dshow/ComTypes.h"

namespace krvx {

dshow::HResult CreateGraphObject(const dshow::Guid& classId, const dshow::Guid& interfaceId, void** object);

}  // namespace krvx
