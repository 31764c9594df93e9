#include "tools/krvx-host/HostSim.h"

#include <cstdlib>
#include <cstring>

#include "host/PrPixelFormat.h"

namespace krvx {
namespace sim {

HostSim* HostSim::s_current = nullptr;

namespace {
// The suites the host offers, by name and version. Their function tables are filled as the frame
// paths come to need them; until then they are empty tables the plug-in may hold and release.
struct OfferedSuite {
    const char* name;
    int32_t version;
    HostFunction table[16];
};
OfferedSuite g_offered[] = {
    {"Premiere PPix Creator Suite", 1, {}},   {"Premiere PPix Cache Suite", 5, {}},
    {"Premiere PPix Suite", 1, {}},           {"Premiere Time Suite", 1, {}},
    {"Premiere Memory Manager Suite", 3, {}}, {"Importer File Manager Suite", 2, {}},
};
constexpr int32_t kSuiteUnknown = -1;
const char kFileManagerSuiteName[] = "Importer File Manager Suite";
}  // namespace

// A host frame: the handle the plug-in holds points at `self`, the first member.
struct HostSim::SimFrame {
    HostFrame* self = nullptr;
    uint32_t pixelFormat = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t rowBytes = 0;
    std::vector<uint8_t> pixels;
};

int32_t HostBytesPerPixel(uint32_t pixelFormat) {
    switch (pixelFormat) {
        case PrPixelFormat_BGRA_4444_8u:
        case PrPixelFormat_ARGB_4444_8u:
        case PrPixelFormat_VUYA_4444_8u:
            return 4;
        case PrPixelFormat_BGRA_4444_16u:
            return 8;
        case PrPixelFormat_BGRA_4444_32f:
        case PrPixelFormat_ARGB_4444_32f:
        case PrPixelFormat_VUYA_4444_32f:
            return 16;
        case PrPixelFormat_YUYV_422_8u_709:
            return 2;
        default:
            return 0;
    }
}

// Plain functions for the host's tables; they reach the one simulator of the process.
struct HostCallbacks {
    static char* NewPtr(uint32_t size) {
        HostSim* sim = HostSim::s_current;
        if (!sim || !sim->TakeAllocation()) return nullptr;
        char* block = static_cast<char*>(std::malloc(size ? size : 1));
        std::lock_guard<std::mutex> lock(sim->m_lock);
        if (block) sim->m_blocks.insert(block);
        return block;
    }
    static char* NewPtrClear(uint32_t size) {
        char* block = NewPtr(size);
        if (block) std::memset(block, 0, size);
        return block;
    }
    static void DisposePtr(char* block) {
        HostSim* sim = HostSim::s_current;
        if (!block || !sim) return;
        {
            std::lock_guard<std::mutex> lock(sim->m_lock);
            sim->m_blocks.erase(block);
        }
        std::free(block);
    }
    static char** NewHandle(uint32_t size) {
        HostSim* sim = HostSim::s_current;
        if (!sim || !sim->TakeAllocation()) return nullptr;
        char** handle = static_cast<char**>(std::malloc(sizeof(char*)));
        if (!handle) return nullptr;
        *handle = static_cast<char*>(std::calloc(1, size ? size : 1));
        if (!*handle) {
            std::free(handle);
            return nullptr;
        }
        std::lock_guard<std::mutex> lock(sim->m_lock);
        sim->m_handles.insert(handle);
        return handle;
    }
    static void DisposeHandle(char** handle) {
        HostSim* sim = HostSim::s_current;
        if (!handle || !sim) return;
        {
            std::lock_guard<std::mutex> lock(sim->m_lock);
            sim->m_handles.erase(handle);
        }
        std::free(*handle);
        std::free(handle);
    }
    static HostBasicSuite* GetBasicSuite() {
        HostSim* sim = HostSim::s_current;
        return sim && sim->m_basicSuiteAvailable ? &sim->m_basic : nullptr;
    }
    static int32_t AcquireSuite(const char* name, int32_t version, const void** suite) {
        HostSim* sim = HostSim::s_current;
        if (suite) *suite = nullptr;
        if (!sim || !name) return kSuiteUnknown;
        {
            std::lock_guard<std::mutex> lock(sim->m_lock);
            sim->m_acquired[name]++;
            sim->m_acquireOrder.push_back(name);
        }
        for (OfferedSuite& offered : g_offered) {
            if (std::strcmp(offered.name, name) == 0 && offered.version == version &&
                !sim->IsWithheld(name)) {
                if (suite) *suite = offered.table;
                return 0;
            }
        }
        return kSuiteUnknown;
    }
    // Frames are as large as the host would make them: rows padded to 16 bytes, at most 1 GiB.
    static int32_t CreatePPix(PPixHand* frame, int32_t, uint32_t pixelFormat, const HostRect* bounds) {
        HostSim* sim = HostSim::s_current;
        if (frame) *frame = nullptr;
        if (!sim || !frame || !bounds) return -1;
        const int64_t width = static_cast<int64_t>(bounds->right) - bounds->left;
        const int64_t height = static_cast<int64_t>(bounds->bottom) - bounds->top;
        const int32_t bytesPerPixel = HostBytesPerPixel(pixelFormat);
        if (width < 1 || height < 1 || bytesPerPixel == 0) return -1;
        const int64_t rowBytes = ((width + (width & 1)) * bytesPerPixel + 15) / 16 * 16;
        if (rowBytes * height > (int64_t(1) << 30) || !sim->TakeAllocation()) return -1;
        std::lock_guard<std::mutex> lock(sim->m_lock);
        // Like a host's frame cache, memory of a frame given back serves the next one of its size; a
        // fresh frame starts with a fill pattern, never with what a previous test left.
        HostSim::SimFrame* made = nullptr;
        const size_t bytes = static_cast<size_t>(rowBytes * height);
        if (sim->m_spare && sim->m_spare->pixels.size() == bytes) {
            made = sim->m_spare;
            sim->m_spare = nullptr;
        } else {
            made = new HostSim::SimFrame;
            made->pixels.assign(bytes, 0xCD);
        }
        made->pixelFormat = pixelFormat;
        made->width = static_cast<int32_t>(width);
        made->height = static_cast<int32_t>(height);
        made->rowBytes = static_cast<int32_t>(rowBytes);
        sim->m_frames.insert(made);
        ++sim->m_framesCreated;
        *frame = &made->self;
        return 0;
    }
    static HostSim::SimFrame* FrameOf(PPixHand frame) {
        HostSim* sim = HostSim::s_current;
        if (!sim || !frame) return nullptr;
        auto* candidate = reinterpret_cast<HostSim::SimFrame*>(frame);
        std::lock_guard<std::mutex> lock(sim->m_lock);
        return sim->m_frames.count(candidate) ? candidate : nullptr;
    }
    static int32_t DisposePPix(PPixHand frame) {
        HostSim* sim = HostSim::s_current;
        HostSim::SimFrame* found = FrameOf(frame);
        if (!found) return -1;
        std::lock_guard<std::mutex> lock(sim->m_lock);
        sim->m_frames.erase(found);
        delete sim->m_spare;
        sim->m_spare = found;
        return 0;
    }
    static int32_t GetPixels(PPixHand frame, int32_t, char** pixels) {
        HostSim::SimFrame* found = FrameOf(frame);
        if (pixels) *pixels = found ? reinterpret_cast<char*>(found->pixels.data()) : nullptr;
        return found ? 0 : -1;
    }
    static int32_t GetBounds(PPixHand frame, HostRect* bounds) {
        HostSim::SimFrame* found = FrameOf(frame);
        if (found && bounds) *bounds = HostRect{0, 0, found->width, found->height};
        return found ? 0 : -1;
    }
    static int32_t GetRowBytes(PPixHand frame, int32_t* rowBytes) {
        HostSim::SimFrame* found = FrameOf(frame);
        if (rowBytes) *rowBytes = found ? found->rowBytes : 0;
        return found ? 0 : -1;
    }
    static int32_t GetTicksPerSecond(int64_t* ticks) {
        if (ticks) *ticks = kHostTicksPerSecond;
        return 0;
    }
    static int32_t ReserveMemory(int32_t importerId, uint32_t bytes) {
        HostSim* sim = HostSim::s_current;
        if (!sim) return -1;
        std::lock_guard<std::mutex> lock(sim->m_lock);
        sim->m_reservations.emplace_back(importerId, bytes);
        return 0;
    }
    static int32_t RefreshFile(const char16_t* path) {
        HostSim* sim = HostSim::s_current;
        if (!sim || !path) return -1;
        std::lock_guard<std::mutex> lock(sim->m_lock);
        sim->m_refreshed.emplace_back(path);
        return 0;
    }
    static int32_t ReleaseSuite(const char* name, int32_t) {
        HostSim* sim = HostSim::s_current;
        if (!sim || !name) return kSuiteUnknown;
        std::lock_guard<std::mutex> lock(sim->m_lock);
        sim->m_released[name]++;
        sim->m_releaseOrder.push_back(name);
        return 0;
    }
};

namespace {
template <typename Function>
HostFunction Slot(Function function) {
    return reinterpret_cast<HostFunction>(function);
}
}  // namespace

static OfferedSuite* FindOffered(const char* name) {
    for (OfferedSuite& offered : g_offered)
        if (std::strcmp(offered.name, name) == 0) return &offered;
    return nullptr;
}

HostSim::HostSim(int32_t interfaceVersion) {
    s_current = this;
    FindOffered("Premiere Time Suite")->table[kTimeGetTicksPerSecond] =
        Slot(&HostCallbacks::GetTicksPerSecond);
    FindOffered("Premiere Memory Manager Suite")->table[kMemoryManagerReserve] =
        Slot(&HostCallbacks::ReserveMemory);
    HostFunction* creator = FindOffered("Premiere PPix Creator Suite")->table;
    creator[kPPixCreatorCreate] = Slot(&HostCallbacks::CreatePPix);
    HostFunction* ppix = FindOffered("Premiere PPix Suite")->table;
    ppix[kPPixDispose] = Slot(&HostCallbacks::DisposePPix);
    ppix[kPPixGetPixels] = Slot(&HostCallbacks::GetPixels);
    ppix[kPPixGetBounds] = Slot(&HostCallbacks::GetBounds);
    ppix[kPPixGetRowBytes] = Slot(&HostCallbacks::GetRowBytes);
    FindOffered(kFileManagerSuiteName)->table[kFileManagerRefreshFile] = Slot(&HostCallbacks::RefreshFile);
    m_memory.slot[kMemNewPtr] = Slot(&HostCallbacks::NewPtr);
    m_memory.slot[kMemDisposePtr] = Slot(&HostCallbacks::DisposePtr);
    m_memory.slot[kMemNewHandle] = Slot(&HostCallbacks::NewHandle);
    m_memory.slot[kMemDisposeHandle] = Slot(&HostCallbacks::DisposeHandle);
    m_memory.slot[kMemNewPtrClear] = Slot(&HostCallbacks::NewPtrClear);
    m_utility.slot[kUtilGetBasicSuite] = Slot(&HostCallbacks::GetBasicSuite);
    m_basic.slot[kBasicAcquireSuite] = Slot(&HostCallbacks::AcquireSuite);
    m_basic.slot[kBasicReleaseSuite] = Slot(&HostCallbacks::ReleaseSuite);
    m_suites.memoryFunctions = &m_memory;
    m_suites.utilityFunctions = &m_utility;
    m_stdParms.interfaceVersion = interfaceVersion;
    m_stdParms.suites = &m_suites;
}

HostSim::~HostSim() {
    if (s_current == this) s_current = nullptr;
    for (void* block : m_blocks) std::free(block);
    for (SimFrame* frame : m_frames) delete frame;
    delete m_spare;
    for (char** handle : m_handles) {
        std::free(*handle);
        std::free(handle);
    }
}

void HostSim::WithholdSuite(const std::string& name, bool withheld) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (withheld) {
        m_withheld.insert(name);
    } else {
        m_withheld.erase(name);
    }
}

void HostSim::SetFileManagerSuiteAvailable(bool available) {
    WithholdSuite(kFileManagerSuiteName, !available);
}

bool HostSim::IsWithheld(const char* name) const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_withheld.count(name) != 0;
}

size_t HostSim::LiveFrames() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_frames.size();
}

size_t HostSim::FramesCreated() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_framesCreated;
}

bool HostSim::Frame(PPixHand frame, FrameView* view) const {
    HostSim::SimFrame* found = HostCallbacks::FrameOf(frame);
    if (!found || !view) return false;
    *view = FrameView{found->pixelFormat, found->width, found->height, found->rowBytes, found->pixels.data()};
    return true;
}

void HostSim::DisposeFrame(PPixHand frame) {
    HostCallbacks::DisposePPix(frame);
}

void HostSim::FailAllocationNumber(uint64_t n) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_failAt = n ? m_allocations + n : 0;
}

bool HostSim::TakeAllocation() {
    std::lock_guard<std::mutex> lock(m_lock);
    ++m_allocations;
    return m_failAt == 0 || m_allocations != m_failAt;
}

std::vector<std::pair<int32_t, uint32_t>> HostSim::Reservations() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_reservations;
}

size_t HostSim::LiveBlocks() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_blocks.size();
}

size_t HostSim::LiveHandles() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_handles.size();
}

std::vector<std::u16string> HostSim::RefreshedFiles() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_refreshed;
}

int HostSim::Acquired(const std::string& name) const {
    std::lock_guard<std::mutex> lock(m_lock);
    auto found = m_acquired.find(name);
    return found == m_acquired.end() ? 0 : found->second;
}

int HostSim::Released(const std::string& name) const {
    std::lock_guard<std::mutex> lock(m_lock);
    auto found = m_released.find(name);
    return found == m_released.end() ? 0 : found->second;
}

}  // namespace sim
}  // namespace krvx
