// A 32-bit float WAV file written block by block; the header's sizes are settled at Close.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

namespace krvx {
namespace sim {

class WavWriter {
public:
    WavWriter() = default;
    ~WavWriter();  // closes the file (sizes settled) if Close was not called
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;

    bool Open(const std::string& path, uint16_t channels, uint32_t sampleRate);
    // Writes `frames` frames of interleaved samples.
    bool Write(const float* interleaved, uint32_t frames);
    // Settles the sizes in the header and closes; false when any write failed.
    bool Close();

private:
    bool WriteHeader();

    std::FILE* m_file = nullptr;
    uint16_t m_channels = 0;
    uint32_t m_sampleRate = 0;
    uint64_t m_frames = 0;
    bool m_failed = false;
};

}  // namespace sim
}  // namespace krvx
