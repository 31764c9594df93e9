// imTrimFile8: finds the importer through the record's handle and writes the trimmed copy.
#pragma once
#include <cstdint>

namespace krvx {

struct imStdParms;
struct TrimFileRecord;

// 3 without a record or importer; otherwise the copy's result (0, 4 or 5).
int32_t HandleTrimFile8(const imStdParms* stdParms, TrimFileRecord* record);

}  // namespace krvx
