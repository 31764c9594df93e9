// libFuzzer target: arbitrary bytes, opened as an AVI file and read in every way the reader offers.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

#include "ExerciseAVI.h"

namespace {

// One file per fuzzing process, rewritten for every input.
const std::string& InputPath() {
    static const std::string path = [] {
        std::random_device random;
        std::string name = "krvx-avi-fuzz-" + std::to_string(random()) + ".avi";
        return (std::filesystem::temp_directory_path() / name).string();
    }();
    return path;
}

struct RemoveAtExit {
    ~RemoveAtExit() { std::remove(InputPath().c_str()); }
} g_removeAtExit;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::FILE* file = std::fopen(InputPath().c_str(), "wb");
    if (!file) return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    krvx::fuzz::ExerciseAVIFile(InputPath().c_str());
    return 0;
}
