#include "dshow/Interfaces.h"
#include "graph/StandInFactory.h"
#include "platform/com.h"
#include "platform/debug.h"
#include "trim/GraphFactory.h"

namespace krvx {

using namespace dshow;

namespace {

// A multiplexer writes its headers and indexes at positions through IStream on the file writer's
// input pin. Wine's file writer offers none, so its AVI multiplexer cannot run into it (and Wine's
// multiplexer takes no PCM audio either).
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

// Whether the system's "AVI Mux" and "File Writer" can write a copy together; asked once per process
// of a file writer made for the purpose.
bool AskSystemPairServes() {
    IBaseFilter* fileWriter = nullptr;
    if (Failed(platform::ComCreateInstance(&kClsidFileWriter, &kIidBaseFilter,
                                           reinterpret_cast<void**>(&fileWriter))) ||
        !fileWriter)
        return true;  // no system file writer: creating it fails in its turn and says so
    const bool serves = InputPinOffersStream(fileWriter);
    fileWriter->Release();
    if (!serves) {
        platform::DebugPrintf(
            "The system's file writer takes no positioned writes; the copy goes through the "
            "stand-in AVI Mux and File Writer\n");
    }
    return serves;
}

bool SystemPairServes() {
    static const bool serves = AskSystemPairServes();
    return serves;
}

}  // namespace

HResult CreateGraphObject(const Guid& classId, const Guid& interfaceId, void** object) {
    if ((classId == kClsidAviDest || classId == kClsidFileWriter) && !SystemPairServes())
        return graph::CreateStandInObject(classId, interfaceId, object);
    return platform::ComCreateInstance(&classId, &interfaceId, object);
}

}  // namespace krvx
