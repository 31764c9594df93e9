// One audio request of the host: reads interleaved 16-bit stereo PCM through the importer and converts
// it into the host's left and right float buffers. Built on the stack for each imImportAudio7.
#pragma once
#include <cstdint>

namespace krvx {

class CAVIFileImporter;
struct AudioImportRecord;

class CAudioReader {
public:
    explicit CAudioReader(CAVIFileImporter* importer);
    ~CAudioReader();  // releases the conversion buffer
    CAudioReader(const CAudioReader&) = delete;
    CAudioReader& operator=(const CAudioReader&) = delete;

    // kImNoErr when at least one sample frame was delivered; kImNoAudio when none was; kImBadFile or
    // kImOtherErr from the read itself; kImOtherErr when the stream stopped being 16-bit stereo after
    // frames were delivered.
    int32_t ReadAudio(AudioImportRecord* record);

private:
    bool AllocateBuffer(uint64_t bytes);
    // Converts `count` interleaved frames of the conversion buffer at the write pointers.
    void ConvertFrames(uint32_t count);

    CAVIFileImporter* m_importer;
    int16_t* m_buffer = nullptr;
    float* m_left = nullptr;
    float* m_right = nullptr;
};

}  // namespace krvx
