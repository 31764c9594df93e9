// Writes the fuzzer's seed corpus: small valid clips of every layout the reader knows.
#include <cstdio>
#include <string>

#include "ClipWriter.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: avi_fuzz_seeds <folder>\n");
        return 2;
    }
    using krvx::test::ClipOptions;
    std::string folder = argv[1];
    int written = 0;
    auto write = [&](const char* name, ClipOptions options) {
        options.frameBase = 24;
        options.samplesPerChunk = 16;
        if (krvx::test::WriteClipFile(folder + "/" + name + ".avi", options)) ++written;
    };
    ClipOptions legacy;
    write("legacy", legacy);
    ClipOptions opendml;
    opendml.framesPerStdIndex = 5;
    write("opendml", opendml);
    ClipOptions videoOnly;
    videoOnly.audio = false;
    videoOnly.extendedHeader = false;
    videoOnly.junkBeforeMovi = false;
    write("video-only", videoOnly);
    ClipOptions start;
    start.audioStart = 20;
    start.keyInterval = 1;
    start.frames = 30;
    write("audio-start", start);
    std::printf("%d seed clips in %s\n", written, folder.c_str());
    return written == 4 ? 0 : 1;
}
