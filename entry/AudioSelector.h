// imImportAudio7: a block of the clip's audio as float samples per channel.
#pragma once
#include <cstdint>

namespace krvx {

struct AudioImportRecord;

// 5 when the record's handle holds no importer, else the audio reader's result.
int32_t HandleImportAudio7(AudioImportRecord* record);

}  // namespace krvx
