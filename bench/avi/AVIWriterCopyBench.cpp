// Copying a clip of more than 1 GiB sample by sample, read with AVIReader and written with AVIWriter
// (the trimmed copy's data path without the filter graph), against `cp` of the same file.
// Usage: avi_writer_copy_bench [folder] (default: the system's temporary folder).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "avi/AVIReader.h"
#include "avi/AVIWriter.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

krvx::AVIVideoParams Video() {
    krvx::AVIVideoParams video;
    video.compression = krvx::MakeFourCC('K', 'R', 'V', 'X');
    video.width = 1920;
    video.height = 1080;
    return video;
}

krvx::AVIAudioParams Audio() {
    krvx::AVIAudioParams audio;
    audio.sampleRate = 48000;
    return audio;
}

// 1800 frames of about 700 KB and 1920 stereo samples after each: about 1.27 GB in two RIFF forms.
bool WriteSource(const std::string& path) {
    krvx::AVIWriter writer;
    if (krvx::dshow::Failed(writer.Open(path.c_str(), Video(), Audio(), krvx::AVIOpenDml::kAutomatic)))
        return false;
    std::vector<uint8_t> frame(720000), pcm(1920 * 4);
    for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<uint8_t>(i * 131 + (i >> 9));
    for (uint32_t f = 0; f < 1800; ++f) {
        frame[0] = static_cast<uint8_t>(f);
        const uint32_t size = 700000 + (f * 7919) % 20000;
        if (krvx::dshow::Failed(writer.WriteVideo(frame.data(), size, f % 10 == 0)) ||
            krvx::dshow::Failed(writer.WriteAudio(pcm.data(), static_cast<uint32_t>(pcm.size())))) {
            return false;
        }
    }
    return krvx::dshow::Succeeded(writer.Close());
}

bool CopySamples(const std::string& from, const std::string& to) {
    krvx::AVIReader reader;
    if (krvx::dshow::Failed(reader.Open(from.c_str())) || krvx::dshow::Failed(reader.Video().EnsureIndex()) ||
        krvx::dshow::Failed(reader.Audio().EnsureIndex())) {
        return false;
    }
    krvx::AVIWriter writer;
    if (krvx::dshow::Failed(writer.Open(to.c_str(), Video(), Audio(), krvx::AVIOpenDml::kAutomatic)))
        return false;
    std::vector<uint8_t> buffer(1 << 20);
    auto copy = [&](krvx::AVIStream& stream, uint32_t n, bool video) {
        uint64_t offset = 0;
        uint32_t size = 0;
        if (krvx::dshow::Failed(stream.ActiveIndex().GetEntry(n, &offset, &size))) return false;
        if (size > buffer.size()) buffer.resize(size);
        uint64_t got = 0;
        if (reader.ParseFile()->ReadAt(buffer.data(), size, &got, offset) != krvx::kFileOk || got != size) {
            return false;
        }
        return krvx::dshow::Succeeded(
            video ? writer.WriteVideo(buffer.data(), size, stream.ActiveIndex().IsKeyFrame(n))
                  : writer.WriteAudio(buffer.data(), size));
    };
    for (uint32_t f = 0; f < reader.TotalFrames(); ++f) {
        if (!copy(reader.Video(), f, true) || !copy(reader.Audio(), f, false)) return false;
    }
    return krvx::dshow::Succeeded(writer.Close());
}

// The floor for any copy through user memory: 1 MiB reads and writes, no container at all.
bool CopyBlocks(const std::string& from, const std::string& to) {
    krvx::FileIO in, out;
    if (in.Open(from.c_str()) != krvx::kFileOk || out.Create(to.c_str(), 1) != krvx::kFileOk) return false;
    std::vector<uint8_t> buffer(1 << 20);
    for (;;) {
        uint64_t got = 0;
        in.Read(buffer.data(), buffer.size(), &got);
        if (got == 0) return true;
        if (out.Write(buffer.data(), got) != krvx::kFileOk) return false;
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::filesystem::path folder = argc > 1 ? argv[1] : std::filesystem::temp_directory_path();
    const std::string source = (folder / "krvx-copy-bench-source.avi").string();
    const std::string copied = (folder / "krvx-copy-bench-copy.avi").string();
    const std::string cp = (folder / "krvx-copy-bench-cp.avi").string();
    Clock::time_point start = Clock::now();
    if (!WriteSource(source)) {
        std::fprintf(stderr, "cannot write %s\n", source.c_str());
        return 1;
    }
    const double bytes = static_cast<double>(std::filesystem::file_size(source));
    std::printf("source %.0f MB written from memory in %.2f s\n", bytes / 1e6, Seconds(start));
    int failed = 0;
    // The machine is shared: runs differ a lot, so the three copies take turns.
    for (int run = 0; run < 5; ++run) {
        start = Clock::now();
        if (std::system(("cp \"" + source + "\" \"" + cp + "\"").c_str()) != 0) failed = 1;
        const double cpSeconds = Seconds(start);
        start = Clock::now();
        if (!CopyBlocks(source, cp)) failed = 1;
        const double blockSeconds = Seconds(start);
        start = Clock::now();
        if (!CopySamples(source, copied)) failed = 1;
        const double copySeconds = Seconds(start);
        std::printf(
            "cp %.2f s, 1 MiB read/write %.2f s, sample copy %.2f s (%.0f MB/s): %.2f of cp's speed\n",
            cpSeconds, blockSeconds, copySeconds, bytes / 1e6 / copySeconds, cpSeconds / copySeconds);
    }
    std::remove(source.c_str());
    std::remove(copied.c_str());
    std::remove(cp.c_str());
    return failed;
}
