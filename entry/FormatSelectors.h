// What the plug-in imports: its one file format and the codec's subtypes.
#pragma once
#include <cstdint>

namespace krvx {

struct FormatRecord;
struct imStdParms;

int32_t HandleGetIndFormat(int32_t index, FormatRecord* record);
int32_t HandleGetSubTypeNames(const imStdParms* stdParms, int32_t fileType, void** arrayOut);

}  // namespace krvx
