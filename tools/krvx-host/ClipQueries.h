// A clip opened as the host opens it: imOpenFile8, imGetInfo8, and imCloseFile at the end.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "host/HostRecords.h"
#include "tools/krvx-host/Session.h"

namespace krvx {
namespace sim {

// UTF-8 (or plain ASCII) text as the UTF-16 the host passes.
std::u16string ToUtf16(const std::string& text);

// The four characters of a code stored lowest byte first.
std::string FourChars(uint32_t code);

class OpenClip {
public:
    OpenClip(Session& session, const std::string& path);
    ~OpenClip();  // closes the clip, if a handle was made
    OpenClip(const OpenClip&) = delete;
    OpenClip& operator=(const OpenClip&) = delete;

    // imOpenFile8 then imGetInfo8; the first nonzero result, else 0.
    int32_t Open(int32_t importerId = 7);
    int32_t OpenResult() const { return m_openResult; }
    const FileInfoRecord& Info() const { return m_info; }
    PrivateDataHandle Handle() const { return m_handle; }

    // The preferred sizes in `pixelFormat`, index by index until the plug-in stops.
    std::vector<std::pair<int32_t, int32_t>> PreferredSizes(uint32_t pixelFormat);
    // The pixel formats offered, index by index until 301; result receives the closing code.
    std::vector<uint32_t> PixelFormats(int32_t* result);

    // imImportAudio7 of `count` sample frames at `position` (0 rewinds, -1 continues) into `left` and
    // `right`; *next receives the position the plug-in answered (unchanged on failure).
    int32_t ImportAudio(int64_t position, uint32_t count, float* left, float* right, int64_t* next = nullptr);

    int32_t Close();

private:
    Session& m_session;
    std::u16string m_path;
    PrivateDataHandle m_handle = nullptr;
    FileInfoRecord m_info{};
    int32_t m_openResult = 0;
};

}  // namespace sim
}  // namespace krvx
