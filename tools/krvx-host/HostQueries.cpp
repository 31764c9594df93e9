#include "tools/krvx-host/HostQueries.h"

#include <cstring>
#include <vector>

#include "host/Selectors.h"

namespace krvx {
namespace sim {

namespace {
// Far larger than any record the plug-in fills, so an overrun would land in our own bytes.
constexpr size_t kRecordBytes = 1024;
constexpr int kMaxFormats = 16;
}  // namespace

int32_t PrintCapabilities(Session& session, FILE* out) {
    int32_t firstError = 0;
    std::vector<int32_t> info(kRecordBytes / 4, 0);
    int32_t result = session.Call(imInit, info.data(), nullptr);
    std::fprintf(out, "imInit: %d\n", result);
    if (result == 0) {
        std::fprintf(out, "  importer information:");
        for (int offset = 8; offset <= 72; offset += 4)
            std::fprintf(out, " [%d]=%d", offset, info[offset / 4]);
        std::fprintf(out, "\n");
    } else if (!firstError) {
        firstError = result;
    }

    for (int index = 0; index < kMaxFormats; ++index) {
        std::vector<char> record(kRecordBytes, 0);
        result = session.Call(imGetIndFormat, static_cast<intptr_t>(index),
                              reinterpret_cast<intptr_t>(record.data()));
        std::fprintf(out, "imGetIndFormat[%d]: %d\n", index, result);
        if (result != 0) break;
    }

    result = session.Call(imGetSupports7, nullptr, nullptr);
    std::fprintf(out, "imGetSupports7: %d\n", result);
    if (result != 100 && !firstError) firstError = result;
    result = session.Call(imGetSupports8, nullptr, nullptr);
    std::fprintf(out, "imGetSupports8: %d\n", result);
    if (result != 101 && !firstError) firstError = result;
    result = session.Call(imShutdown, nullptr, nullptr);
    std::fprintf(out, "imShutdown: %d\n", result);
    if (result != 0 && !firstError) firstError = result;
    return firstError;
}

}  // namespace sim
}  // namespace krvx
