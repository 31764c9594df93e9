// One frame request: from a host time, format and size to a filled host frame. It chooses the size and
// format the decoder works in (the coarsest decode resolution whose picture still covers the request),
// has the importer decode the frame, and converts or scales the picture into the host's frame.
#pragma once
#include <cstdint>

#include "host/HostTables.h"
#include "importer/CFrameBuffer.h"

namespace krvx {

struct ImageImportRecord;
struct SourceVideoRecord;

template <class Importer>
class CFrameReader {
public:
    // Halving steps of the decode resolution: at most three for a key frame (one eighth), two for any
    // other frame, which the decoder cannot serve below quarter size.
    static constexpr int32_t kMaxKeyFrameSteps = 3;
    static constexpr int32_t kMaxDependentFrameSteps = 2;

    explicit CFrameReader(Importer* importer);
    // Frees the frame buffer and gives back a host frame still held.
    virtual ~CFrameReader();
    CFrameReader(const CFrameReader&) = delete;
    CFrameReader& operator=(const CFrameReader&) = delete;

    // imGetSourceVideo: the frame at the record's time, in its first format, returned in a new host
    // frame. kImNoErr, kImUnsupported, kImMemErr, kImOtherErr, kImDecodeFailed, kImNoFrameCreatorSuite
    // or the host's frame-creation answer.
    int32_t ImportImage(SourceVideoRecord* record);

    // imImportImage: the same frame road, converted straight into the host's buffer.
    int32_t ImportImageIntoBuffer(ImageImportRecord* record);

    // Decode size, resolution, format, bytes per pixel and pitch for the output size already set:
    // kImNoErr, kImUnsupported (no decoder format for the host format) or kImOtherErr.
    int32_t SelectDecodeGeometry(uint32_t hostFormat, bool keyFrame);

    void SetOutput(int32_t width, int32_t height, uint32_t hostFormat) {
        m_outputWidth = width;
        m_outputHeight = height;
        m_outputFormat = hostFormat;
    }
    int32_t DecodeWidth() const { return m_decodeWidth; }
    int32_t DecodeHeight() const { return m_decodeHeight; }
    int32_t DecodePitch() const { return m_decodePitch; }
    int32_t DecodeResolution() const { return m_decodeResolution; }
    uint32_t DecodeFormat() const { return m_decodeFormat; }

protected:
    // The decode geometry for frame's key-frame flag and the output set, and the frame buffer for it:
    // kImNoErr, kImUnsupported, kImMemErr or kImOtherErr.
    int32_t PrepareFrameBuffer(int32_t frame);

    // Decodes `frame` into the frame buffer with the importer's decoder taken out of the process-wide
    // list, then converts it into the host's pixels. `timed` writes the two timing lines.
    int32_t DecodeAndConvert(int32_t frame, char* pixels, int32_t rowBytes, bool timed);

    Importer* m_importer;
    int32_t m_sourceWidth = 0;
    int32_t m_sourceHeight = 0;
    uint32_t m_sourceCompression = 0;
    int32_t m_decodeWidth = 0;
    int32_t m_decodeHeight = 0;
    int32_t m_decodePitch = 0;
    uint32_t m_decodeFormat = 0;
    uint32_t m_bytesPerPixel = 0;
    int32_t m_decodeResolution = 0;
    int32_t m_outputWidth = 0;
    int32_t m_outputHeight = 0;
    uint32_t m_outputFormat = 0;
    CFrameBuffer m_frameBuffer;
    PPixHand m_hostFrame = nullptr;
};

class CAVIFileImporter;
extern template class CFrameReader<CAVIFileImporter>;

}  // namespace krvx
