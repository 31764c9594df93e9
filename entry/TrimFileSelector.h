// imTrimFile8: finds the importer through the record's handle and writes the trimmed copy.
#pragma once
#include <cstdint>

namespace krvx {

struct imStdParms;
struct TrimFileRecord;

// kImUnsupported without a record or importer; otherwise the copy's result (kImNoErr, kImMemErr or
// kImOtherErr).
int32_t HandleTrimFile8(const imStdParms* stdParms, TrimFileRecord* record);

}  // namespace krvx
