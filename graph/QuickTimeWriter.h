// A QuickTime movie (".mov") written as samples arrive: "ftyp", then "mdat" streamed to the file, and at
// Close the "moov" with one track per stream (and a timecode track when one was set). Only the sample
// tables are kept in memory. Results are small integer codes; nothing is thrown.
#pragma once
#include <cstdint>

#include "graph/QtMovieHeader.h"
#include "graph/QtTiming.h"

namespace krvx {
namespace platform {
struct NativeFile;
}

namespace graph {

// Result codes.
constexpr int kQtOk = 0;
constexpr int kQtIoError = 2;      // the file could not be created, written or positioned
constexpr int kQtNoMemory = 4;     // a sample table could not grow
constexpr int kQtBadArgument = 5;  // a bad argument, or a call out of order

struct QtVideoTrack {
    uint32_t width;
    uint32_t height;
    char fourCC[4];        // sample entry type, e.g. "KRVX"
    uint16_t depth;        // bits per pixel, e.g. 32
    QtFrameTiming timing;  // see QtTiming.h for the usual ways to get it
};

struct QtAudioTrack {
    uint32_t sampleRate;     // 1 to 65535 samples per second
    uint16_t channels;       // 1 to 255
    uint16_t bitsPerSample;  // 16 (signed little-endian, "sowt") or 8 (unsigned, "raw ")
};

class QuickTimeWriter {
public:
    QuickTimeWriter();
    // Finishes an open movie as Close does.
    ~QuickTimeWriter();
    QuickTimeWriter(const QuickTimeWriter&) = delete;
    QuickTimeWriter& operator=(const QuickTimeWriter&) = delete;

    // Creates (or replaces) the file at `path` (multibyte) with the given tracks; either may be null,
    // not both.
    int Open(const char* path, const QtVideoTrack* video, const QtAudioTrack* audio);

    // Appends one frame.
    int WriteVideo(const void* data, uint32_t size, bool keyFrame);
    // Appends interleaved PCM; `bytes` is a whole number of sample frames (channels * bits / 8 each).
    int WriteAudio(const void* data, uint32_t bytes);

    // Gives the movie a timecode track starting at hours << 24 | minutes << 16 | seconds << 8 | frames,
    // counted at `rateTimes1000` / 1000 frames per second (24000 for 24). May be called any time before
    // Close; the last call counts.
    int SetTimecode(uint32_t packedStart, uint32_t rateTimes1000);

    // Writes the timecode sample and the "moov", settles the "mdat" size and closes the file. After a
    // failed write the file is still closed and the first failure is returned.
    int Close();

    bool IsOpen() const { return m_file != nullptr; }

private:
    int Append(QtTrackTables& track, const void* data, uint32_t size, uint32_t samples);
    int WriteAll(const void* data, uint64_t size);
    int WriteAt(uint64_t offset, const void* data, uint32_t size);
    int Finish();
    void Reset();

    platform::NativeFile* m_file = nullptr;
    int m_failure = kQtOk;                 // the first failure; every later call answers it
    uint64_t m_position = 0;               // the end of the file, where the next bytes go
    QtTrackTables* m_lastTrack = nullptr;  // the track whose chunk ends at m_position
    QtVideoTrack m_videoFormat{};
    QtAudioTrack m_audioFormat{};
    uint32_t m_audioFrameBytes = 0;
    bool m_hasVideo = false;
    bool m_hasAudio = false;
    QtTrackTables m_video;
    QtTrackTables m_audio;
    bool m_hasTimecode = false;
    uint32_t m_timecodeStart = 0;
    QtTimecodeFormat m_timecodeFormat{};
};

}  // namespace graph
}  // namespace krvx
