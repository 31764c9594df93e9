#include "dshow/ComPointer.h"
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
    ComPointer<IEnumPins> pins;
    if (Failed(filter->EnumPins(pins.Receive())) || !pins) return false;
    for (;;) {
        ComPointer<IPin> pin;
        uint32_t fetched = 0;
        if (pins->Next(1, pin.Receive(), &fetched) != kOk || fetched != 1) return false;
        PinDirection direction = PinDirection::Output;
        ComPointer<IStream> stream;
        if (Succeeded(pin->QueryDirection(&direction)) && direction == PinDirection::Input &&
            Succeeded(pin->QueryInterface(kIidStream, stream.ReceiveVoid())) && stream) {
            return true;
        }
    }
}

// Whether the system's "AVI Mux" and "File Writer" can write a copy together; asked once per process
// of a file writer made for the purpose.
bool AskSystemPairServes() {
    ComPointer<IBaseFilter> fileWriter;
    if (Failed(platform::ComCreateInstance(&kClsidFileWriter, &kIidBaseFilter, fileWriter.ReceiveVoid())) ||
        !fileWriter)
        return true;  // no system file writer: creating it fails in its turn and says so
    const bool serves = InputPinOffersStream(fileWriter.Get());
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
