#include "platform/com.h"
#include "trim/GraphFactory.h"

namespace krvx {

dshow::HResult CreateGraphObject(const dshow::Guid& classId, const dshow::Guid& interfaceId, void** object) {
    return platform::ComCreateInstance(&classId, &interfaceId, object);
}

}  // namespace krvx
