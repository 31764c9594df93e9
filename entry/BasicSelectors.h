// The selectors answered without a clip's work: initialisation, metadata, closing a file.
#pragma once
#include <cstdint>

namespace krvx {

struct imStdParms;
struct ImporterInfoRecord;
struct MetaDataRecord;

int32_t HandleInit(const imStdParms* stdParms, ImporterInfoRecord* info);
int32_t HandleCloseFile(const imStdParms* stdParms, char** privateData);
int32_t HandleGetMetaData(MetaDataRecord* record);

}  // namespace krvx
