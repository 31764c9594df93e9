// imTrimFile8: copies a range of the clip's compressed frames and its audio into a new AVI or
// QuickTime file, without decoding, on the calling thread.
#pragma once
#include <cstdint>

namespace krvx {

class CAVIFileImporter;
struct imStdParms;
struct TrimFileRecord;

// kImNoErr, also when the host's progress callback stopped the copy; kImUnsupported without an importer;
// kImMemErr when the audio buffer cannot be had; kImOtherErr when a stream is missing, or a read or a
// write failed. The audio buffer comes from the host's memory functions in stdParms.
int32_t TrimFile(const imStdParms* stdParms, CAVIFileImporter* importer, const TrimFileRecord& record);

}  // namespace krvx
