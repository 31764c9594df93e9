#include "entry/FormatSelectors.h"

#include <cstring>

#include "host/HostRecords.h"
#include "host/HostResults.h"
#include "host/HostTables.h"

namespace krvx {

namespace {
constexpr int32_t kFormatFlags = 0xE008;
constexpr int kSubTypeEntries = 6;
constexpr uint32_t kSubTypeArrayBytes = 3096;
static_assert(kSubTypeEntries * sizeof(SubTypeEntry) == kSubTypeArrayBytes, "six entries of 516 bytes");

// The codec's code in the letter cases the host may meet, most significant character first.
constexpr int32_t kSubTypeCodes[] = {0x4B525658 /* KRVX */, 0x4B525678 /* KRVx */, 0x4B527658 /* KRvX */,
                                     0x4B725658 /* KrVX */, 0x6B727678 /* krvx */};
const char kSubTypeName[] = "Korvane Intermediate";

void CopyBounded(char* field, size_t size, const char* text) {
    std::strncpy(field, text, size - 1);
    field[size - 1] = '\0';
}
}  // namespace

int32_t HandleGetIndFormat(int32_t index, FormatRecord* record) {
    if (index != 0) return kImBadFormatIndex;
    if (!record) return kImNoErr;
    record->fileType = kFileTypeAVIV;
    record->flags = kFormatFlags;
    record->offset8 = 1;
    CopyBounded(record->formatName, sizeof(record->formatName), "AVI File");
    CopyBounded(record->shortName, sizeof(record->shortName), "KRVX File");
    CopyBounded(record->platformExtension, sizeof(record->platformExtension), "avi");
    return kImNoErr;
}

int32_t HandleGetSubTypeNames(const imStdParms* stdParms, int32_t fileType, void** arrayOut) {
    if (fileType != kFileTypeAVIV || !arrayOut) return kImNoErr;
    HostMemoryFunctions* memory = stdParms && stdParms->suites ? stdParms->suites->memoryFunctions : nullptr;
    auto newPtr = HostSlot<HostNewPtrFn>(memory, kMemNewPtr);
    char* block = newPtr ? newPtr(kSubTypeArrayBytes) : nullptr;
    if (!block) return kImNoErr;
    *arrayOut = block;

    auto* entries = reinterpret_cast<SubTypeEntry*>(block);
    for (int i = 0; i < kSubTypeEntries; ++i) {
        SubTypeEntry& entry = entries[i];
        std::memset(&entry, 0, sizeof(entry));
        if (i == kSubTypeEntries - 1) break;  // the terminating entry: code 0, empty name
        entry.subtype = kSubTypeCodes[i];
        // The name is plain ASCII: each byte is one UTF-16 unit.
        for (size_t c = 0; kSubTypeName[c] && c < 255; ++c) entry.name[c] = static_cast<char16_t>(kSubTypeName[c]);
    }
    return kImNoErr;
}

}  // namespace krvx
