// Writes AVI files: one video stream and an optional PCM audio stream, samples in the order they come.
//
//     krvx::AVIVideoParams video;
//     video.compression = krvx::MakeFourCC('K', 'R', 'V', 'X');
//     video.width = 1920; video.height = 1080; video.rate = 25; video.scale = 1;
//     krvx::AVIWriter writer;
//     if (krvx::dshow::Succeeded(
//             writer.Open("clip.avi", video, krvx::AVIAudioParams{}, krvx::AVIOpenDml::kOff))) {
//         writer.WriteVideo(sample, size, /*keyFrame=*/true);
//         writer.Close();
//     }
//
// The file is RIFF "AVI " with "hdrl", "movi" ("00dc" video, "01wb" audio) and "idx1" over the first
// RIFF form. With OpenDML it also has "odml"/"dmlh", an "indx" super index per stream, "ix00"/"ix01"
// standard index chunks closing each RIFF form's movie list, and "AVIX" continuation forms once a form
// would grow past the RIFF limit.
#pragma once
#include <cstdint>

#include "avi/AVIByteSink.h"
#include "avi/FourCC.h"
#include "dshow/HResult.h"

namespace krvx {

// What a multiplexer knows of a video stream from its media type.
struct AVIVideoParams {
    uint32_t compression = 0;  // four-character code, first character in the low byte (MakeFourCC)
    uint16_t bitCount = 24;    // bits per pixel of the decoded picture, for the format record
    uint32_t width = 0, height = 0;
    uint32_t rate = 25, scale = 1;  // rate / scale frames per second
};

// PCM audio; sampleRate 0 means no audio stream. A video width of 0 means no video stream: the file
// then holds audio alone, as stream 0.
struct AVIAudioParams {
    uint32_t sampleRate = 0;
    uint16_t channels = 2;
    uint16_t bitsPerSample = 16;
};

enum class AVIOpenDml {
    kOff,     // AVI 1.0 only; one RIFF form of at most 4 GiB
    kAlways,  // OpenDML indexes from the start
    // AVI 1.0 while the data fits the first RIFF form, with room kept ("JUNK") for the OpenDML headers;
    // past the limit the file continues in "AVIX" forms and the headers become OpenDML at Close.
    kAutomatic,
};

constexpr uint64_t kAVIDefaultRiffLimit = uint64_t(1) << 30;

class AVIWriter {
public:
    AVIWriter();
    ~AVIWriter();  // closes an open file
    AVIWriter(const AVIWriter&) = delete;
    AVIWriter& operator=(const AVIWriter&) = delete;

    // Creates the file at `path`, or writes through `sink` (not owned; it must outlive Close) from
    // position 0. A RIFF form holds at least one sample whatever the limit; limits past 4 GiB - 1 are
    // taken as that. kInvalidArg for a zero size, rate or scale, audio without channels or bits, a
    // format whose header fields cannot hold it (a frame period past 2^32 microseconds, an audio block
    // past 65535 bytes or a data rate past 2^32 bytes per second), or a second Open; kFail when the
    // file cannot be created or written.
    dshow::HResult Open(const char* path, const AVIVideoParams& video, const AVIAudioParams& audio,
                        AVIOpenDml openDml, uint64_t riffLimit = kAVIDefaultRiffLimit);
    dshow::HResult Open(IAVIByteSink* sink, const AVIVideoParams& video, const AVIAudioParams& audio,
                        AVIOpenDml openDml, uint64_t riffLimit = kAVIDefaultRiffLimit);

    // One sample as one chunk. Audio is a whole number of sample frames. kFail when a write failed
    // (the writer stays failed until Close), or when an AVI 1.0 file would pass 4 GiB.
    dshow::HResult WriteVideo(const uint8_t* sample, uint32_t size, bool keyFrame);
    dshow::HResult WriteAudio(const uint8_t* data, uint32_t size);

    // Ends the last RIFF form, writes the final headers and closes the file. kOk only when every
    // byte of the file was written.
    dshow::HResult Close();

    bool IsOpen() const { return m_state != nullptr; }
    // Bytes written so far, that is the file's length.
    uint64_t Position() const;

private:
    dshow::HResult Start(IAVIByteSink* sink, const AVIVideoParams& video, const AVIAudioParams& audio,
                         AVIOpenDml openDml, uint64_t riffLimit);

    struct State;
    State* m_state;
};

}  // namespace krvx
