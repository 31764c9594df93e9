#include "entry/FrameSelectors.h"

#include "entry/ImporterHandle.h"
#include "host/HostRecords.h"
#include "host/HostResults.h"
#include "importer/CAVIFileImporter.h"
#include "importer/CFrameReader.h"

namespace krvx {

int32_t HandleGetSourceVideo(SourceVideoRecord* record) {
    CAVIFileImporter* importer = record ? ImporterFromHandle(record->privateData) : nullptr;
    if (!importer) return kImOtherErr;
    CFrameReader<CAVIFileImporter> reader(importer);
    return reader.ImportImage(record);
}

int32_t HandleImportImage(ImageImportRecord* record) {
    CAVIFileImporter* importer = record ? ImporterFromHandle(record->privateData) : nullptr;
    if (!importer) return kImOtherErr;
    CFrameReader<CAVIFileImporter> reader(importer);
    return reader.ImportImageIntoBuffer(record);
}

}  // namespace krvx
