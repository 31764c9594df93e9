#include <cstdarg>
#include <cstdio>

#include "avi/AVIReader.h"
#include "entry/ClipAnalysisSelectors.h"
#include "entry/ImporterHandle.h"
#include "host/FrameRate.h"
#include "host/HostRecords.h"
#include "host/HostResults.h"
#include "importer/CAVIFileImporter.h"
#include "importer/ClipMetadata.h"

namespace krvx {

namespace {

// The size the host is asked for when it offers no buffer.
constexpr int32_t kAnalysisBufferSize = 1024;

// Appends formatted text to the host's buffer; text that does not fit is cut, always terminated.
class TextAppender {
public:
    TextAppender(char* buffer, int32_t size)
        : m_buffer(buffer), m_size(size > 0 ? static_cast<size_t>(size) : 0) {
        if (m_size > 0) m_buffer[0] = '\0';
    }

    void Append(const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
    {
        if (m_length + 1 >= m_size) return;
        va_list arguments;
        va_start(arguments, format);
        int written = std::vsnprintf(m_buffer + m_length, m_size - m_length, format, arguments);
        va_end(arguments);
        if (written < 0) return;
        m_length += static_cast<size_t>(written);
        if (m_length > m_size - 1) m_length = m_size - 1;
    }

private:
    char* m_buffer;
    size_t m_size;
    size_t m_length = 0;
};

void AppendFrameRate(TextAppender& text, const AVIStreamHeader& header) {
    if (header.scale == 0) return;
    const SnappedFrameRate frameRate = SnapFrameRate(header.rate, header.scale);
    const double shown = static_cast<double>(frameRate.snapped);
    // The NTSC rates are shown by their usual names; every other rate rounded to a whole number.
    if (frameRate.code == kFrameRate23976)
        text.Append("%s%.3f\n", "Frame Rate is ", shown);
    else if (frameRate.code == kFrameRate2997)
        text.Append("%s%.2f\n", "Frame Rate is ", shown);
    else
        text.Append("%s%.0f\n", "Frame Rate is ", shown);
}

void AppendMetadata(TextAppender& text, CAVIFileImporter* importer) {
    ClipMetadata metadata;
    ReadClipMetadata(importer, &metadata);
    if (metadata.take != 0) {
        text.Append("Project : %d     Camera : %d     ", metadata.project, metadata.camera);
        text.Append("Scene : %d     Shot : %d     Take : %d\n", metadata.scene, metadata.shot, metadata.take);
    }
    if (metadata.time[0] != '\0' && metadata.date[0] != '\0') {
        text.Append("Date : %s    ", metadata.date);
        text.Append("Time : %s\n", metadata.time);
    }
    if (metadata.cameraId != 0)
        text.Append("Camera unique ID : %04X-%04X\n", static_cast<unsigned>(metadata.cameraId >> 16),
                    static_cast<unsigned>(metadata.cameraId & 0xFFFFu));
}

}  // namespace

int32_t HandleAnalysis(AnalysisRecord* record) {
    if (!record) return kImUnsupported;
    if (!record->buffer) {
        record->bufferSize = kAnalysisBufferSize;
        return kImNoErr;
    }
    CAVIFileImporter* importer = ImporterFromHandle(record->privateData);
    if (!importer) return kImUnsupported;
    AVIReader* reader = importer->Reader();
    if (!reader || !reader->Video().IsValid()) return kImNoErr;
    const bool hasAudio = reader->Audio().IsValid();
    TextAppender text(record->buffer, record->bufferSize);
    // 0x99 is the trade mark sign in the Windows-1252 code page the host shows the text in.
    text.Append("\n%s\n",
                "Korvane Faithful Detail"
                "\x99"
                " File details:");
    text.Append("%s", "Contains 1 video track(s) ");
    text.Append("%s\n", hasAudio ? "and 1 audio track(s)." : "and 0 audio track(s).");
    text.Append("\n%s\n", "Video track 1:");
    AppendFrameRate(text, reader->Video().Header());
    if (hasAudio) {
        // These two lines read the same for every clip, whatever its stream holds.
        text.Append("\n%s\n", "Audio track 1:");
        text.Append("%s%d%s\n", "Rate is ", 48000, " samples/sec");
        text.Append("%s%d%s\n", "Sample Size is ", 16, " bits");
    }
    AppendMetadata(text, importer);
    return kImNoErr;
}

}  // namespace krvx
