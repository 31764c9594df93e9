// The questions about an open clip beyond its description: time information, the analysis text, the
// stored bytes per frame, and a trim widened to the clip's key frames.
#pragma once
#include <cstdint>

namespace krvx {

struct TimeInfoRecord;
struct AnalysisRecord;
struct DataRateRecord;
struct TrimCheckRecord;

// 0; 3 without a record or importer; 5 without a video stream.
int32_t HandleGetTimeInfo8(TimeInfoRecord* record);
// 0 (also with no video: no text); 3 without a record or importer.
int32_t HandleAnalysis(AnalysisRecord* record);
// 0; 3 without a record, importer or video stream; 5 when the frame count cannot be had.
int32_t HandleDataRateAnalysis(DataRateRecord* record);
// 0, or 20 when the trim cannot be aligned.
int32_t HandleCheckTrim8(TrimCheckRecord* record);

}  // namespace krvx
