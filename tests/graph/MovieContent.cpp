#include "MovieContent.h"

namespace krvx {
namespace test {

std::string MovieContent::Audio() const {
    std::string all;
    for (const std::string& block : audioBlocks) all += block;
    return all;
}

graph::QtVideoTrack VideoTrackFor(const MovieOptions& options) {
    graph::QtVideoTrack video{};
    video.width = options.width;
    video.height = options.height;
    video.fourCC[0] = 'K';
    video.fourCC[1] = 'R';
    video.fourCC[2] = 'V';
    video.fourCC[3] = 'X';
    video.depth = 32;
    graph::QtFrameTimingFromAverageTimePerFrame(options.averageTimePerFrame, &video.timing);
    return video;
}

graph::QtAudioTrack AudioTrackFor(const MovieOptions& options) {
    return graph::QtAudioTrack{options.sampleRate, options.channels, options.bits};
}

MovieContent MakeContent(const MovieOptions& options) {
    MovieContent content;
    const uint32_t frameBytes = uint32_t(options.channels) * options.bits / 8;
    uint32_t seed = 12345;
    auto next = [&seed]() {
        seed = seed * 1103515245u + 12345u;
        return char(seed >> 16);
    };
    if (options.video) {
        for (uint32_t f = 0; f < options.frames; ++f) {
            // Sizes differ from frame to frame, so a table mix-up shows.
            std::string frame(900 + (f * 337) % 700, '\0');
            for (char& byte : frame) byte = next();
            content.frames.push_back(frame);
            content.keyFrames.push_back(f % options.keyInterval == 0);
        }
    }
    if (options.audio) {
        if (options.video) {
            // The audio under frame f runs from sample f * rate / fps; blocks alternate in length at 29.97.
            const graph::QtVideoTrack video = VideoTrackFor(options);
            auto position = [&](uint64_t f) {
                return f * options.sampleRate * video.timing.frameDuration / video.timing.timeScale;
            };
            for (uint32_t f = 0; f < options.frames; ++f) {
                std::string block((position(f + 1) - position(f)) * frameBytes, '\0');
                for (char& byte : block) byte = next();
                content.audioBlocks.push_back(block);
            }
        } else {
            std::string block(uint64_t(options.audioOnlySamples) * frameBytes, '\0');
            for (char& byte : block) byte = next();
            content.audioBlocks.push_back(block);
        }
    }
    return content;
}

int WriteMovie(const std::string& path, const MovieOptions& options, const MovieContent& content,
               uint32_t timecodeStart, uint32_t timecodeRate) {
    graph::QuickTimeWriter writer;
    const graph::QtVideoTrack video = VideoTrackFor(options);
    const graph::QtAudioTrack audio = AudioTrackFor(options);
    int result =
        writer.Open(path.c_str(), options.video ? &video : nullptr, options.audio ? &audio : nullptr);
    if (result != graph::kQtOk) return result;
    const size_t steps = content.frames.size() > content.audioBlocks.size() ? content.frames.size()
                                                                            : content.audioBlocks.size();
    for (size_t i = 0; i < steps; ++i) {
        if (i < content.frames.size()) {
            const std::string& frame = content.frames[i];
            result = writer.WriteVideo(frame.data(), uint32_t(frame.size()), content.keyFrames[i]);
            if (result != graph::kQtOk) return result;
        }
        if (i < content.audioBlocks.size()) {
            const std::string& block = content.audioBlocks[i];
            result = writer.WriteAudio(block.data(), uint32_t(block.size()));
            if (result != graph::kQtOk) return result;
        }
    }
    if (timecodeRate != 0) {
        result = writer.SetTimecode(timecodeStart, timecodeRate);
        if (result != graph::kQtOk) return result;
    }
    return writer.Close();
}

}  // namespace test
}  // namespace krvx
