#include "dshow/Interfaces.h"
#include "graph/StandInFactory.h"
#include "platform/com.h"
#include "platform/debug.h"
#include "trim/GraphFactory.h"

namespace krvx {

using namespace dshow;

namespace {

// A multiplexer writes its headers and indexes at positions through IStream on the file writer's
// input pin. Wine's file writer offers none, so its AVI multiplexer cannot run into it.
bool InputPinOffersStream(IBaseFilter* filter) {
    IEnumPins* pins = nullptr;
    if (Failed(filter->EnumPins(&pins)) || !pins) return false;
    bool offers = false;
    IPin* pin = nullptr;
    uint32_t fetched = 0;
    while (!offers && pins->Next(1, &pin, &fetched) == kOk && fetched == 1) {
        PinDirection direction = PinDirection::Output;
        IStream* stream = nullptr;
        if (Succeeded(pin->QueryDirection(&direction)) && direction == PinDirection::Input &&
            Succeeded(pin->QueryInterface(kIidStream, reinterpret_cast<void**>(&stream))) && stream) {
            stream->Release();
            offers = true;
        }
        pin->Release();
    }
    pins->Release();
    return offers;
}

}  // namespace

HResult CreateGraphObject(const Guid& classId, const Guid& interfaceId, void** object) {
    HResult result = platform::ComCreateInstance(&classId, &interfaceId, object);
    if (classId != kClsidFileWriter || Failed(result) || !*object || interfaceId != kIidBaseFilter) return result;
    IBaseFilter* fileWriter = static_cast<IBaseFilter*>(*object);
    if (InputPinOffersStream(fileWriter)) return result;
    platform::DebugPrintf("The system's file writer offers no stream to write at positions; ours writes the copy\n");
    fileWriter->Release();
    *object = nullptr;
    return graph::CreateStandInObject(classId, interfaceId, object);
}

}  // namespace krvx
