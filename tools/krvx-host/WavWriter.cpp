#include "tools/krvx-host/WavWriter.h"

#include <cstring>

namespace krvx {
namespace sim {

namespace {
constexpr uint16_t kWaveFormatIeeeFloat = 3;
constexpr uint16_t kBitsPerSample = 32;
// RIFF header 12, "fmt " chunk 8 + 18, "fact" chunk 8 + 4, "data" chunk header 8.
constexpr uint32_t kHeaderBytes = 12 + 26 + 12 + 8;

void Put16(uint8_t*& at, uint16_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
    at += 2;
}
void Put32(uint8_t*& at, uint32_t value) {
    Put16(at, static_cast<uint16_t>(value));
    Put16(at, static_cast<uint16_t>(value >> 16));
}
void PutTag(uint8_t*& at, const char* tag) {
    std::memcpy(at, tag, 4);
    at += 4;
}
}  // namespace

WavWriter::~WavWriter() {
    Close();
}

bool WavWriter::Open(const std::string& path, uint16_t channels, uint32_t sampleRate) {
    m_file = std::fopen(path.c_str(), "wb");
    if (!m_file) return false;
    m_channels = channels;
    m_sampleRate = sampleRate;
    m_frames = 0;
    m_failed = false;
    return WriteHeader();
}

bool WavWriter::WriteHeader() {
    const uint32_t frameBytes = m_channels * (kBitsPerSample / 8u);
    // A RIFF file counts its sizes in 32 bits; a longer take is cut to what they can say.
    uint64_t dataBytes = m_frames * frameBytes;
    if (dataBytes > UINT32_MAX - kHeaderBytes)
        dataBytes = (UINT32_MAX - kHeaderBytes) / frameBytes * frameBytes;
    uint8_t header[kHeaderBytes];
    uint8_t* at = header;
    PutTag(at, "RIFF");
    Put32(at, static_cast<uint32_t>(kHeaderBytes - 8 + dataBytes));
    PutTag(at, "WAVE");
    PutTag(at, "fmt ");
    Put32(at, 18);
    Put16(at, kWaveFormatIeeeFloat);
    Put16(at, m_channels);
    Put32(at, m_sampleRate);
    Put32(at, m_sampleRate * frameBytes);
    Put16(at, static_cast<uint16_t>(frameBytes));
    Put16(at, kBitsPerSample);
    Put16(at, 0);
    PutTag(at, "fact");
    Put32(at, 4);
    Put32(at, static_cast<uint32_t>(dataBytes / frameBytes));
    PutTag(at, "data");
    Put32(at, static_cast<uint32_t>(dataBytes));
    if (std::fseek(m_file, 0, SEEK_SET) != 0 ||
        std::fwrite(header, 1, sizeof(header), m_file) != sizeof(header))
        m_failed = true;
    return !m_failed;
}

bool WavWriter::Write(const float* interleaved, uint32_t frames) {
    if (!m_file || m_failed) return false;
    const size_t count = static_cast<size_t>(frames) * m_channels;
    // WAV samples are little-endian, as every machine this tool runs on stores them.
    if (std::fwrite(interleaved, sizeof(float), count, m_file) != count) m_failed = true;
    m_frames += frames;
    return !m_failed;
}

bool WavWriter::Close() {
    if (!m_file) return !m_failed;
    WriteHeader();
    if (std::fclose(m_file) != 0) m_failed = true;
    m_file = nullptr;
    return !m_failed;
}

}  // namespace sim
}  // namespace krvx
