// make_trim_clip OUT [MIN_BYTES]: writes (or keeps) the trimmed-copy benchmarks' 1080p clip and
// prints its size and frame count.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/trim/BenchClip.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_trim_clip OUT [MIN_BYTES]\n");
        return 2;
    }
    const uint64_t minBytes = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : krvx::bench::kBenchClipBytes;
    krvx::bench::BenchClipInfo info;
    std::string error;
    if (!krvx::bench::MakeBenchClip(argv[1], minBytes, &info, &error)) {
        std::fprintf(stderr, "make_trim_clip: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s: %llu bytes, %u frames\n", argv[1], static_cast<unsigned long long>(info.bytes),
                info.frames);
    return 0;
}
