// imTrimFile8: copies a range of the clip's compressed frames and its audio into a new AVI or
// QuickTime file, without decoding, on the calling thread.
#pragma once
#include <cstdint>

namespace krvx {

class CAVIFileImporter;
struct imStdParms;
struct TrimFileRecord;

enum TrimResult : int32_t {
    kTrimDone = 0,          // also when the host's progress callback stopped the copy
    kTrimNoImporter = 3,
    kTrimNoAudioBuffer = 4,
    kTrimFailed = 5,        // a stream is missing, or a read or a write failed
};

// The audio buffer comes from the host's memory functions in stdParms.
int32_t TrimFile(const imStdParms* stdParms, CAVIFileImporter* importer, const TrimFileRecord& record);

}  // namespace krvx
