// The questions about an open clip beyond its description: time information, the analysis text, the
// stored bytes per frame, and a trim widened to the clip's key frames.
#pragma once
#include <cstdint>

namespace krvx {

struct TimeInfoRecord;
struct AnalysisRecord;
struct DataRateRecord;
struct TrimCheckRecord;

// kImNoErr; kImUnsupported without a record or importer; kImOtherErr without a video stream.
int32_t HandleGetTimeInfo8(TimeInfoRecord* record);
// kImNoErr (also with no video: no text); kImUnsupported without a record or importer.
int32_t HandleAnalysis(AnalysisRecord* record);
// kImNoErr; kImUnsupported without a record, importer or video stream; kImOtherErr when the frame count
// cannot be had.
int32_t HandleDataRateAnalysis(DataRateRecord* record);
// kImNoErr, or kImCantTrim when the trim cannot be aligned.
int32_t HandleCheckTrim8(TrimCheckRecord* record);

}  // namespace krvx
