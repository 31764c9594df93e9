// The COM interfaces of the filter graph, declared in the system's method order and calling convention
// so that their tables match the system's: a filter of ours plugs into the system's graph on Windows
// and into the stand-in graph elsewhere. Only what the writer, its filters and the stand-in graph use
// is given meaning; every method is present so the tables line up.
#pragma once
#include <cstdint>

#include "dshow/ComTypes.h"
#include "platform/com.h"

namespace krvx {
namespace dshow {

class IUnknown {
public:
    virtual HResult KRVX_COM_CALL QueryInterface(const Guid& iid, void** object) = 0;
    virtual uint32_t KRVX_COM_CALL AddRef() = 0;
    virtual uint32_t KRVX_COM_CALL Release() = 0;

protected:
    ~IUnknown() = default;
};

class IPin;
class IEnumPins;
class IEnumMediaTypes;
class IEnumFilters;
class IReferenceClock;
class IMemAllocator;
class IMediaSample;

class IPersist : public IUnknown {
public:
    virtual HResult KRVX_COM_CALL GetClassID(Guid* classId) = 0;

protected:
    ~IPersist() = default;
};

class IMediaFilter : public IPersist {
public:
    virtual HResult KRVX_COM_CALL Stop() = 0;
    virtual HResult KRVX_COM_CALL Pause() = 0;
    virtual HResult KRVX_COM_CALL Run(ReferenceTime start) = 0;
    virtual HResult KRVX_COM_CALL GetState(uint32_t timeoutMs, FilterState* state) = 0;
    virtual HResult KRVX_COM_CALL SetSyncSource(IReferenceClock* clock) = 0;
    virtual HResult KRVX_COM_CALL GetSyncSource(IReferenceClock** clock) = 0;

protected:
    ~IMediaFilter() = default;
};

class IBaseFilter : public IMediaFilter {
public:
    virtual HResult KRVX_COM_CALL EnumPins(IEnumPins** pins) = 0;
    virtual HResult KRVX_COM_CALL FindPin(const OleChar* id, IPin** pin) = 0;
    virtual HResult KRVX_COM_CALL QueryFilterInfo(FilterInfo* info) = 0;
    virtual HResult KRVX_COM_CALL JoinFilterGraph(IFilterGraph* graph, const OleChar* name) = 0;
    virtual HResult KRVX_COM_CALL QueryVendorInfo(OleChar** vendorInfo) = 0;

protected:
    ~IBaseFilter() = default;
};

class IPin : public IUnknown {
public:
    virtual HResult KRVX_COM_CALL Connect(IPin* receivePin, const MediaType* type) = 0;
    virtual HResult KRVX_COM_CALL ReceiveConnection(IPin* connector, const MediaType* type) = 0;
    virtual HResult KRVX_COM_CALL Disconnect() = 0;
    virtual HResult KRVX_COM_CALL ConnectedTo(IPin** pin) = 0;
    virtual HResult KRVX_COM_CALL ConnectionMediaType(MediaType* type) = 0;
    virtual HResult KRVX_COM_CALL QueryPinInfo(PinInfo* info) = 0;
    virtual HResult KRVX_COM_CALL QueryDirection(PinDirection* direction) = 0;
    virtual HResult KRVX_COM_CALL QueryId(OleChar** id) = 0;
    virtual HResult KRVX_COM_CALL QueryAccept(const MediaType* type) = 0;
    virtual HResult KRVX_COM_CALL EnumMediaTypes(IEnumMediaTypes** types) = 0;
    virtual HResult KRVX_COM_CALL QueryInternalConnections(IPin** pins, uint32_t* count) = 0;
    virtual HResult KRVX_COM_CALL EndOfStream() = 0;
    virtual HResult KRVX_COM_CALL BeginFlush() = 0;
    virtual HResult KRVX_COM_CALL EndFlush() = 0;
    virtual HResult KRVX_COM_CALL NewSegment(ReferenceTime start, ReferenceTime stop, double rate) = 0;

protected:
    ~IPin() = default;
};

class IEnumPins : public IUnknown {
public:
    virtual HResult KRVX_COM_CALL Next(uint32_t count, IPin** pins, uint32_t* fetched) = 0;
    virtual HResult KRVX_COM_CALL Skip(uint32_t count) = 0;
    virtual HResult KRVX_COM_CALL Reset() = 0;
    virtual HResult KRVX_COM_CALL Clone(IEnumPins** copy) = 0;

protected:
    ~IEnumPins() = default;
};

class IEnumMediaTypes : public IUnknown {
public:
    // Each type and its format block are allocated with the COM task allocator; the caller frees them.
    virtual HResult KRVX_COM_CALL Next(uint32_t count, MediaType** types, uint32_t* fetched) = 0;
    virtual HResult KRVX_COM_CALL Skip(uint32_t count) = 0;
    virtual HResult KRVX_COM_CALL Reset() = 0;
    virtual HResult KRVX_COM_CALL Clone(IEnumMediaTypes** copy) = 0;

protected:
    ~IEnumMediaTypes() = default;
};

class IEnumFilters : public IUnknown {
public:
    virtual HResult KRVX_COM_CALL Next(uint32_t count, IBaseFilter** filters, uint32_t* fetched) = 0;
    virtual HResult KRVX_COM_CALL Skip(uint32_t count) = 0;
    virtual HResult KRVX_COM_CALL Reset() = 0;
    virtual HResult KRVX_COM_CALL Clone(IEnumFilters** copy) = 0;

protected:
    ~IEnumFilters() = default;
};

class IReferenceClock : public IUnknown {
public:
    virtual HResult KRVX_COM_CALL GetTime(ReferenceTime* time) = 0;
    virtual HResult KRVX_COM_CALL AdviseTime(ReferenceTime base, ReferenceTime offset, void* event,
                                             uintptr_t* cookie) = 0;
    virtual HResult KRVX_COM_CALL AdvisePeriodic(ReferenceTime start, ReferenceTime period, void* semaphore,
                                                 uintptr_t* cookie) = 0;
    virtual HResult KRVX_COM_CALL Unadvise(uintptr_t cookie) = 0;

protected:
    ~IReferenceClock() = default;
};

class IMediaSample : public IUnknown {
public:
    virtual HResult KRVX_COM_CALL GetPointer(uint8_t** buffer) = 0;
    virtual int32_t KRVX_COM_CALL GetSize() = 0;
    virtual HResult KRVX_COM_CALL GetTime(ReferenceTime* start, ReferenceTime* stop) = 0;
    virtual HResult KRVX_COM_CALL SetTime(ReferenceTime* start, ReferenceTime* stop) = 0;
    virtual HResult KRVX_COM_CALL IsSyncPoint() = 0;
    virtual HResult KRVX_COM_CALL SetSyncPoint(int32_t isSyncPoint) = 0;
    virtual HResult KRVX_COM_CALL IsPreroll() = 0;
    virtual HResult KRVX_COM_CALL SetPreroll(int32_t isPreroll) = 0;
    virtual int32_t KRVX_COM_CALL GetActualDataLength() = 0;
    virtual HResult KRVX_COM_CALL SetActualDataLength(int32_t length) = 0;
    virtual HResult KRVX_COM_CALL GetMediaType(MediaType** type) = 0;
    virtual HResult KRVX_COM_CALL SetMediaType(MediaType* type) = 0;
    virtual HResult KRVX_COM_CALL IsDiscontinuity() = 0;
    virtual HResult KRVX_COM_CALL SetDiscontinuity(int32_t isDiscontinuity) = 0;
    virtual HResult KRVX_COM_CALL GetMediaTime(int64_t* start, int64_t* stop) = 0;
    virtual HResult KRVX_COM_CALL SetMediaTime(int64_t* start, int64_t* stop) = 0;

protected:
    ~IMediaSample() = default;
};

class IMemAllocator : public IUnknown {
public:
    virtual HResult KRVX_COM_CALL SetProperties(AllocatorProperties* request, AllocatorProperties* actual) = 0;
    virtual HResult KRVX_COM_CALL GetProperties(AllocatorProperties* properties) = 0;
    virtual HResult KRVX_COM_CALL Commit() = 0;
    virtual HResult KRVX_COM_CALL Decommit() = 0;
    virtual HResult KRVX_COM_CALL GetBuffer(IMediaSample** sample, ReferenceTime* start, ReferenceTime* stop,
                                            uint32_t flags) = 0;
    virtual HResult KRVX_COM_CALL ReleaseBuffer(IMediaSample* sample) = 0;

protected:
    ~IMemAllocator() = default;
};

class IMemInputPin : public IUnknown {
public:
    virtual HResult KRVX_COM_CALL GetAllocator(IMemAllocator** allocator) = 0;
    virtual HResult KRVX_COM_CALL NotifyAllocator(IMemAllocator* allocator, int32_t readOnly) = 0;
    virtual HResult KRVX_COM_CALL GetAllocatorRequirements(AllocatorProperties* properties) = 0;
    virtual HResult KRVX_COM_CALL Receive(IMediaSample* sample) = 0;
    virtual HResult KRVX_COM_CALL ReceiveMultiple(IMediaSample** samples, int32_t count, int32_t* processed) = 0;
    virtual HResult KRVX_COM_CALL ReceiveCanBlock() = 0;

protected:
    ~IMemInputPin() = default;
};

class IFilterGraph : public IUnknown {
public:
    virtual HResult KRVX_COM_CALL AddFilter(IBaseFilter* filter, const OleChar* name) = 0;
    virtual HResult KRVX_COM_CALL RemoveFilter(IBaseFilter* filter) = 0;
    virtual HResult KRVX_COM_CALL EnumFilters(IEnumFilters** filters) = 0;
    virtual HResult KRVX_COM_CALL FindFilterByName(const OleChar* name, IBaseFilter** filter) = 0;
    virtual HResult KRVX_COM_CALL ConnectDirect(IPin* output, IPin* input, const MediaType* type) = 0;
    virtual HResult KRVX_COM_CALL Reconnect(IPin* pin) = 0;
    virtual HResult KRVX_COM_CALL Disconnect(IPin* pin) = 0;
    virtual HResult KRVX_COM_CALL SetDefaultSyncSource() = 0;

protected:
    ~IFilterGraph() = default;
};

class IGraphBuilder : public IFilterGraph {
public:
    virtual HResult KRVX_COM_CALL Connect(IPin* output, IPin* input) = 0;
    virtual HResult KRVX_COM_CALL Render(IPin* output) = 0;
    virtual HResult KRVX_COM_CALL RenderFile(const OleChar* file, const OleChar* playList) = 0;
    virtual HResult KRVX_COM_CALL AddSourceFilter(const OleChar* file, const OleChar* name,
                                                  IBaseFilter** filter) = 0;
    virtual HResult KRVX_COM_CALL SetLogFile(uintptr_t file) = 0;
    virtual HResult KRVX_COM_CALL Abort() = 0;
    virtual HResult KRVX_COM_CALL ShouldOperationContinue() = 0;

protected:
    ~IGraphBuilder() = default;
};

// IDispatch's four methods, present for the table's sake; nothing here calls them.
class IDispatch : public IUnknown {
public:
    virtual HResult KRVX_COM_CALL GetTypeInfoCount(uint32_t* count) = 0;
    virtual HResult KRVX_COM_CALL GetTypeInfo(uint32_t index, uint32_t locale, void** typeInfo) = 0;
    virtual HResult KRVX_COM_CALL GetIDsOfNames(const Guid& iid, OleChar** names, uint32_t count, uint32_t locale,
                                                int32_t* ids) = 0;
    virtual HResult KRVX_COM_CALL Invoke(int32_t id, const Guid& iid, uint32_t locale, uint16_t flags,
                                         void* parameters, void* result, void* exception,
                                         uint32_t* argumentError) = 0;

protected:
    ~IDispatch() = default;
};

class IMediaControl : public IDispatch {
public:
    virtual HResult KRVX_COM_CALL Run() = 0;
    virtual HResult KRVX_COM_CALL Pause() = 0;
    virtual HResult KRVX_COM_CALL Stop() = 0;
    virtual HResult KRVX_COM_CALL GetState(int32_t timeoutMs, int32_t* state) = 0;
    virtual HResult KRVX_COM_CALL RenderFile(OleChar* file) = 0;
    virtual HResult KRVX_COM_CALL AddSourceFilter(OleChar* file, IDispatch** filter) = 0;
    virtual HResult KRVX_COM_CALL get_FilterCollection(IDispatch** collection) = 0;
    virtual HResult KRVX_COM_CALL get_RegFilterCollection(IDispatch** collection) = 0;
    virtual HResult KRVX_COM_CALL StopWhenReady() = 0;

protected:
    ~IMediaControl() = default;
};

class IFileSinkFilter : public IUnknown {
public:
    virtual HResult KRVX_COM_CALL SetFileName(const OleChar* file, const MediaType* type) = 0;
    virtual HResult KRVX_COM_CALL GetCurFile(OleChar** file, MediaType* type) = 0;

protected:
    ~IFileSinkFilter() = default;
};

class ISequentialStream : public IUnknown {
public:
    virtual HResult KRVX_COM_CALL Read(void* buffer, uint32_t bytes, uint32_t* read) = 0;
    virtual HResult KRVX_COM_CALL Write(const void* buffer, uint32_t bytes, uint32_t* written) = 0;

protected:
    ~ISequentialStream() = default;
};

enum class StreamSeek : uint32_t { Set = 0, Current = 1, End = 2 };

// IStream, as a file writer's input pin offers it to a multiplexer that writes at positions. The
// 64-bit integer arguments travel as the system's LARGE_INTEGER and ULARGE_INTEGER do.
class IStream : public ISequentialStream {
public:
    virtual HResult KRVX_COM_CALL Seek(int64_t move, StreamSeek origin, uint64_t* newPosition) = 0;
    virtual HResult KRVX_COM_CALL SetSize(uint64_t size) = 0;
    virtual HResult KRVX_COM_CALL CopyTo(IStream* target, uint64_t bytes, uint64_t* read, uint64_t* written) = 0;
    virtual HResult KRVX_COM_CALL Commit(uint32_t flags) = 0;
    virtual HResult KRVX_COM_CALL Revert() = 0;
    virtual HResult KRVX_COM_CALL LockRegion(uint64_t offset, uint64_t bytes, uint32_t lockType) = 0;
    virtual HResult KRVX_COM_CALL UnlockRegion(uint64_t offset, uint64_t bytes, uint32_t lockType) = 0;
    virtual HResult KRVX_COM_CALL Stat(void* statistics, uint32_t flags) = 0;
    virtual HResult KRVX_COM_CALL Clone(IStream** copy) = 0;

protected:
    ~IStream() = default;
};

// Mode 1 (AM_FILE_OVERWRITE) replaces an existing file.
constexpr uint32_t kFileOverwrite = 1;

class IFileSinkFilter2 : public IFileSinkFilter {
public:
    virtual HResult KRVX_COM_CALL SetMode(uint32_t flags) = 0;
    virtual HResult KRVX_COM_CALL GetMode(uint32_t* flags) = 0;

protected:
    ~IFileSinkFilter2() = default;
};

class IConfigInterleaving : public IUnknown {
public:
    virtual HResult KRVX_COM_CALL put_Mode(InterleavingMode mode) = 0;
    virtual HResult KRVX_COM_CALL get_Mode(InterleavingMode* mode) = 0;
    virtual HResult KRVX_COM_CALL put_Interleaving(const ReferenceTime* interleave, const ReferenceTime* preroll) = 0;
    virtual HResult KRVX_COM_CALL get_Interleaving(ReferenceTime* interleave, ReferenceTime* preroll) = 0;

protected:
    ~IConfigInterleaving() = default;
};

// The QuickTime multiplexer's timecode interface: the start timecode packed as
// hours << 24 | minutes << 16 | seconds << 8 | frames (second argument 0), and the timecode rate in
// thousandths of a frame per second.
class IQtMuxTimecode : public IUnknown {
public:
    virtual HResult KRVX_COM_CALL SetStartTimecode(uint32_t packed, uint32_t reserved) = 0;
    virtual HResult KRVX_COM_CALL SetTimecodeRate(uint32_t rateTimes1000) = 0;

protected:
    ~IQtMuxTimecode() = default;
};

// Interface identifiers.
constexpr Guid kIidStream = {0x0000000C, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr Guid kIidSequentialStream = {0x0C733A30, 0x2A1C, 0x11CE, {0xAD, 0xE5, 0x00, 0xAA, 0x00, 0x44, 0x77, 0x3D}};
constexpr Guid kIidUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr Guid kIidPersist = {0x0000010C, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr Guid kIidMediaFilter = {0x56A86899, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
constexpr Guid kIidBaseFilter = {0x56A86895, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
constexpr Guid kIidPin = {0x56A86891, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
constexpr Guid kIidEnumPins = {0x56A86892, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
constexpr Guid kIidEnumMediaTypes = {0x89C31040, 0x846B, 0x11CE, {0x97, 0xD3, 0x00, 0xAA, 0x00, 0x55, 0x59, 0x5A}};
constexpr Guid kIidEnumFilters = {0x56A86893, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
constexpr Guid kIidReferenceClock = {0x56A86897, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
constexpr Guid kIidMediaSample = {0x56A8689A, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
constexpr Guid kIidMemAllocator = {0x56A8689C, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
constexpr Guid kIidMemInputPin = {0x56A8689D, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
constexpr Guid kIidFilterGraph = {0x56A8689F, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
constexpr Guid kIidGraphBuilder = {0x56A868A9, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
constexpr Guid kIidMediaControl = {0x56A868B1, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
constexpr Guid kIidFileSinkFilter = {0xA2104830, 0x7C70, 0x11CF, {0x8B, 0xCE, 0x00, 0xAA, 0x00, 0xA3, 0xF1, 0xA6}};
constexpr Guid kIidFileSinkFilter2 = {0x00855B90, 0xCE1B, 0x11D0, {0xBD, 0x4F, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86}};
constexpr Guid kIidConfigInterleaving = {0xBEE3D220, 0x157B, 0x11D0, {0xBD, 0x23, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86}};
constexpr Guid kIidQtMuxTimecode = {0xE5EC579C, 0xC637, 0x44B7, {0x9D, 0x24, 0x70, 0x35, 0xE0, 0x73, 0x19, 0x66}};

// Class identifiers of the objects the writer creates.
constexpr Guid kClsidFilterGraph = {0xE436EBB3, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
constexpr Guid kClsidAviDest = {0xE2510970, 0xF137, 0x11CE, {0x8B, 0x67, 0x00, 0xAA, 0x00, 0xA3, 0xF1, 0xA6}};
constexpr Guid kClsidFileWriter = {0x8596E5F0, 0x0DA5, 0x11D0, {0xBD, 0x21, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86}};
constexpr Guid kClsidQtMux = {0x1B5715C6, 0x3EBD, 0x47BF, {0x83, 0x0A, 0x4C, 0x91, 0xA6, 0xB5, 0xE0, 0xEE}};

// Media types, subtypes and format types.
constexpr Guid kMediaTypeVideo = FourCCSubtype(0x73646976);  // "vids"
constexpr Guid kMediaTypeAudio = FourCCSubtype(0x73647561);  // "auds"
constexpr Guid kMediaTypeStream = {0xE436EB83, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
constexpr Guid kMediaSubtypePcm = FourCCSubtype(0x00000001);
constexpr Guid kMediaSubtypeAvi = {0xE436EB88, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
constexpr Guid kFormatVideoInfo = {0x05589F80, 0xC356, 0x11CE, {0xBF, 0x01, 0x00, 0xAA, 0x00, 0x55, 0x59, 0x5A}};
constexpr Guid kFormatVideoInfo2 = {0xF72A76A0, 0xEB0A, 0x11D0, {0xAC, 0xE4, 0x00, 0x00, 0xC0, 0xCC, 0x16, 0xBA}};
constexpr Guid kFormatWaveFormatEx = {0x05589F81, 0xC356, 0x11CE, {0xBF, 0x01, 0x00, 0xAA, 0x00, 0x55, 0x59, 0x5A}};

}  // namespace dshow
}  // namespace krvx
