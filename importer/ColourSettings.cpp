#include "importer/ColourSettings.h"

#include <IAllocator.h>
#include <KRVXDecoder.h>

#include <cstring>

#include "avi/FourCC.h"
#include "host/HostResults.h"
#include "importer/DecoderLibrary.h"
#include "importer/MetadataHandle.h"
#include "platform/file.h"
#include "platform/store.h"

namespace krvx {

namespace {

constexpr const char* kOverrideKey = "Software\\Korvane\\ColorProcessing";
constexpr const char* kOverrideValue = "OverridePath";
constexpr const char* kOverrideFileName = "\\override.colr";
constexpr uint32_t kPathBufferBytes = 1024;
constexpr uint32_t kRecordBytes = 12;
constexpr uint32_t kFixedRecords = 5;
constexpr uint32_t kUsedTagCount = 3;
constexpr uint32_t kTagActive = MetadataTag("CACT");
constexpr uint32_t kTagMix = MetadataTag("CMIX");
constexpr uint32_t kTagLevel = MetadataTag("CMVL");

// The path buffer comes from the importer's allocator and goes back on every path.
class PathBuffer {
public:
    explicit PathBuffer(IAllocator* allocator)
        : m_allocator(allocator),
          m_data(allocator ? static_cast<char*>(allocator->Alloc(kPathBufferBytes)) : nullptr) {}
    ~PathBuffer() {
        if (m_data) m_allocator->Free(m_data);
    }
    PathBuffer(const PathBuffer&) = delete;
    PathBuffer& operator=(const PathBuffer&) = delete;
    char* Data() const { return m_data; }

private:
    IAllocator* m_allocator;
    char* m_data;
};

class OverrideFile {
public:
    explicit OverrideFile(const char* path)
        : m_file(platform::FileOpen(path, platform::FileDisposition::OpenExistingForRead,
                                    platform::kFileAttributeNormal)) {}
    ~OverrideFile() { platform::FileClose(m_file); }
    OverrideFile(const OverrideFile&) = delete;
    OverrideFile& operator=(const OverrideFile&) = delete;
    bool IsOpen() const { return m_file != nullptr; }

    // Reads up to `size` bytes, looping over short reads; the count read.
    uint32_t Read(uint8_t* buffer, uint32_t size) {
        uint32_t total = 0;
        while (total < size) {
            uint32_t got = 0;
            if (!platform::FileRead(m_file, buffer + total, size - total, &got) || got == 0) break;
            total += got;
        }
        return total;
    }
    bool Skip(int64_t distance) {
        return platform::FileSeek(m_file, distance, platform::SeekOrigin::Current, nullptr);
    }

private:
    platform::NativeFile* m_file;
};

// Records read in order; an unknown tag moves on by its payload length past the 4 bytes already read.
void WalkRecords(OverrideFile& file, ColourSettings* settings) {
    uint8_t record[kRecordBytes];
    for (uint32_t used = 0; used < kUsedTagCount;) {
        if (file.Read(record, kRecordBytes) < kRecordBytes) return;
        const uint32_t tag = LoadU32(record);
        const int32_t value = static_cast<int32_t>(LoadU32(record + 8));
        if (tag == kTagActive) {
            settings->active = value;
        } else if (tag == kTagMix) {
            settings->mix = value;
        } else if (tag == kTagLevel) {
            settings->level = value;
        } else {
            const int64_t length = LoadU32(record + 4) & 0x00FFFFFFu;
            if (!file.Skip(length - 4)) return;
            continue;
        }
        ++used;
    }
}

// Five records looked at in place, later ones overriding earlier ones; nothing from a shorter file.
void ReadFiveFixedRecords(OverrideFile& file, ColourSettings* settings) {
    uint8_t records[kRecordBytes * kFixedRecords];
    if (file.Read(records, sizeof(records)) < sizeof(records)) return;
    for (uint32_t i = 0; i < kFixedRecords; ++i) {
        const uint8_t* record = records + i * kRecordBytes;
        const uint32_t tag = LoadU32(record);
        if (tag == kTagActive) settings->active = static_cast<int32_t>(LoadU32(record + 8));
        if (tag == kTagMix) settings->mix = static_cast<int32_t>(LoadU32(record + 8));
    }
}

}  // namespace

bool ReadColourSettings(IAllocator* allocator, OverrideReading reading, ColourSettings* settings) {
    *settings = ColourSettings{};
    PathBuffer path(allocator);
    if (!path.Data()) return false;
    const size_t room = kPathBufferBytes - std::strlen(kOverrideFileName);
    if (!platform::StoreReadString(platform::StoreHive::CurrentUser, kOverrideKey, kOverrideValue,
                                   path.Data(), room))
        return true;
    std::strcat(path.Data(), kOverrideFileName);
    OverrideFile file(path.Data());
    if (!file.IsOpen()) return true;
    if (reading == OverrideReading::WalkRecords) {
        WalkRecords(file, settings);
    } else {
        ReadFiveFixedRecords(file, settings);
    }
    return true;
}

int32_t ApplyColourSettings(SampleDecoder* decoder, const void* sample, uint32_t sampleSize,
                            const ColourSettings& settings, bool withLevel) {
    const DecoderLibrary* library = GetDecoderLibrary();
    if (!library || !decoder) return kImOtherErr;
    CMetadataHandle handle(library);
    if (!handle.Init(KRVX_TRACK_COLOUR, sample, sampleSize)) return kImOtherErr;
    const struct {
        uint32_t tag;
        int32_t value;
    } applied[] = {{kTagActive, settings.active}, {kTagMix, settings.mix}, {kTagLevel, settings.level}};
    const int count = withLevel ? 3 : 2;
    for (int i = 0; i < count; ++i) {
        if (library->setActiveMetadata(decoder, handle.Get(), applied[i].tag, KRVX_METADATA_INT32,
                                       &applied[i].value, sizeof(int32_t)) != KRVX_ERROR_OKAY)
            return kImOtherErr;
    }
    return kImNoErr;
}

}  // namespace krvx
