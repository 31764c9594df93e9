// Frame requests: imGetSourceVideo and the older imImportImage, each served by a frame reader over the
// importer in the record's private-data handle.
#pragma once
#include <cstdint>

namespace krvx {

struct ImageImportRecord;
struct SourceVideoRecord;

int32_t HandleGetSourceVideo(SourceVideoRecord* record);
int32_t HandleImportImage(ImageImportRecord* record);

}  // namespace krvx
