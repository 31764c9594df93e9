#include "entry/ImportEntry.h"

#include "companion/GetPrefsSelector.h"
#include "entry/AudioSelector.h"
#include "entry/BasicSelectors.h"
#include "entry/ClipAnalysisSelectors.h"
#include "entry/ClipSelectors.h"
#include "entry/FormatSelectors.h"
#include "entry/FrameSelectors.h"
#include "entry/ImporterHandle.h"
#include "entry/PixelFormatSelector.h"
#include "entry/TrimFileSelector.h"
#include "host/HostRecords.h"
#include "host/HostResults.h"
#include "host/HostTables.h"
#include "host/Selectors.h"
#include "importer/CAVIFileImporter.h"
#include "platform/debug.h"

using namespace krvx;

namespace {
void WriteSelectorLine(int32_t selector) {
    const char* name = SelectorName(selector);
    if (name)
        platform::DebugPrintf("-- Sync Selector[%d]: %s", static_cast<int>(selector), name);
    else
        platform::DebugPrintf("-- Sync Selector[%d]: unknown name", static_cast<int>(selector));
}
}  // namespace

extern "C" int32_t xImportEntry(int32_t selector, imStdParms* stdParms, intptr_t param1, intptr_t param2) {
    WriteSelectorLine(selector);
    switch (selector) {
        case imInit:
            return HandleInit(stdParms, reinterpret_cast<ImporterInfoRecord*>(param1));
        case imShutdown:
        case imQuietFile:
            return kImNoErr;
        case imCloseFile:
            return HandleCloseFile(stdParms, reinterpret_cast<char**>(param2));
        case imGetIndFormat:
            return HandleGetIndFormat(static_cast<int32_t>(param1), reinterpret_cast<FormatRecord*>(param2));
        case imGetSubTypeNames:
            return HandleGetSubTypeNames(stdParms, static_cast<int32_t>(param1), reinterpret_cast<void**>(param2));
        case imOpenFile8:
            return HandleOpenFile8(stdParms, reinterpret_cast<int32_t*>(param1),
                                   reinterpret_cast<FileOpenRecord*>(param2));
        case imGetInfo8:
            return HandleGetInfo8(stdParms, reinterpret_cast<const FileAccessRecord*>(param1),
                                  reinterpret_cast<FileInfoRecord*>(param2));
        case imGetPreferredFrameSize:
            return HandleGetPreferredFrameSize(reinterpret_cast<PreferredFrameSizeRecord*>(param1));
        case imGetIndPixelFormat: {
            auto* record = reinterpret_cast<PixelFormatRecord*>(param2);
            CAVIFileImporter* importer = record ? ImporterFromHandle(record->privateData) : nullptr;
            if (!importer) return kImOtherErr;
            return HandleGetIndPixelFormat(importer->EncodedFormat(), static_cast<int32_t>(param1), record);
        }
        case imGetSourceVideo:
            return HandleGetSourceVideo(reinterpret_cast<SourceVideoRecord*>(param2));
        case imImportImage:
            return HandleImportImage(reinterpret_cast<ImageImportRecord*>(param2));
        case imGetPrefs8:
            return HandleGetPrefs8(stdParms, reinterpret_cast<const FileAccessRecord*>(param1),
                                   reinterpret_cast<PrefsRecord*>(param2));
        case imImportAudio7:
            return HandleImportAudio7(reinterpret_cast<AudioImportRecord*>(param2));
        case imGetTimeInfo8:
            return HandleGetTimeInfo8(reinterpret_cast<TimeInfoRecord*>(param2));
        case imAnalysis:
            return HandleAnalysis(reinterpret_cast<AnalysisRecord*>(param2));
        case imDataRateAnalysis:
            return HandleDataRateAnalysis(reinterpret_cast<DataRateRecord*>(param2));
        case imCheckTrim8:
            return HandleCheckTrim8(reinterpret_cast<TrimCheckRecord*>(param2));
        case imTrimFile8:
            return HandleTrimFile8(stdParms, reinterpret_cast<TrimFileRecord*>(param2));
        case imGetMetaData:
            return HandleGetMetaData(reinterpret_cast<MetaDataRecord*>(param2));
        case imGetSupports7:
            return kImSupports7;
        case imGetSupports8:
            return kImSupports8;
        default:
            return kImUnsupported;
    }
}
