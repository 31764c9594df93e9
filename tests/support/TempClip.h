// Clips made by the encoder in a temporary folder that goes away with the test.
#pragma once
#include <cstdint>
#include <string>

#include "tools/clip-writer/ClipWriter.h"

namespace krvx {
namespace testing_support {

// A fresh folder under the system's temporary folder, removed with its files at destruction.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// Small clip options: a few frames, short audio, quick to write.
encode::ClipOptions SmallClip(uint32_t width = 64, uint32_t height = 36, uint32_t frames = 3);

// Writes a clip; fails the calling test when the encoder refuses.
std::string MakeClip(const TempFolder& folder, const std::string& name, const encode::ClipOptions& options);

// Replaces every occurrence of `from` (4 bytes) in the headers (before "movi") by `to`; returns how many
// were replaced.
int PatchFourCC(const std::string& path, const char* from, const char* to);

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);

}  // namespace testing_support
}  // namespace krvx
