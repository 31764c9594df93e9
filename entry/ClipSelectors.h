// Opening a clip and describing it to the host.
#pragma once
#include <cstdint>

namespace krvx {

struct imStdParms;
struct FileOpenRecord;
struct FileAccessRecord;
struct FileInfoRecord;
struct PreferredFrameSizeRecord;
enum FieldType : uint8_t;

int32_t HandleOpenFile8(const imStdParms* stdParms, int32_t* fileReference, FileOpenRecord* record);
int32_t HandleGetInfo8(const imStdParms* stdParms, const FileAccessRecord* access, FileInfoRecord* info);
int32_t HandleGetPreferredFrameSize(PreferredFrameSizeRecord* record);

// The host's field type for a clip from the sample's field value, its size and its stream rate.
FieldType HostFieldType(uint32_t fieldValue, int32_t width, int32_t height, uint32_t rate, uint32_t scale);

}  // namespace krvx
