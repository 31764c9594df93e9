// The "moov" atom of a movie whose samples are already in the file: the movie header, one track per
// stream and an optional timecode track that the video track refers to.
#pragma once
#include <cstdint>
#include <vector>

#include "graph/QtAtomBuffer.h"
#include "graph/QtTiming.h"

namespace krvx {
namespace graph {

struct QtVideoTrack;
struct QtAudioTrack;

// Where one track's samples lie: chunks are runs of consecutive samples of the track in the file.
struct QtTrackTables {
    std::vector<uint64_t> chunkOffsets;
    std::vector<uint32_t> chunkSamples;
    std::vector<uint32_t> sampleSizes;  // video: one size per frame
    std::vector<uint32_t> keyFrames;    // video: 1-based numbers of the key frames
    uint64_t sampleCount = 0;           // frames, or PCM sample frames
};

struct QtMovieLayout {
    const QtVideoTrack* video = nullptr;  // null without video
    const QtTrackTables* videoTables = nullptr;
    const QtAudioTrack* audio = nullptr;  // null without audio
    const QtTrackTables* audioTables = nullptr;
    const QtTimecodeFormat* timecode = nullptr;  // null without a timecode track
    uint64_t timecodeSampleOffset = 0;           // where its 4-byte sample lies
};

// Appends the "moov" atom to `out`. Growing the buffer may throw std::bad_alloc.
void AppendMovieHeader(const QtMovieLayout& layout, QtAtomBuffer* out);

}  // namespace graph
}  // namespace krvx
