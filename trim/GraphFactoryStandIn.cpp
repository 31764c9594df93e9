#include "graph/StandInFactory.h"
#include "trim/GraphFactory.h"

namespace krvx {

dshow::HResult CreateGraphObject(const dshow::Guid& classId, const dshow::Guid& interfaceId, void** object) {
    return graph::CreateStandInObject(classId, interfaceId, object);
}

}  // namespace krvx
