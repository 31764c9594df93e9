#include "tools/krvx-host/ClipQueries.h"

#include <cstring>

#include "host/HostResults.h"
#include "host/Selectors.h"

namespace krvx {
namespace sim {

std::u16string ToUtf16(const std::string& text) {
    std::u16string out;
    for (size_t i = 0; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        uint32_t code;
        int extra;
        if (c < 0x80) {
            code = c;
            extra = 0;
        } else if ((c & 0xE0) == 0xC0) {
            code = c & 0x1F;
            extra = 1;
        } else if ((c & 0xF0) == 0xE0) {
            code = c & 0x0F;
            extra = 2;
        } else {
            code = c & 0x07;
            extra = 3;
        }
        ++i;
        for (int k = 0; k < extra && i < text.size(); ++k, ++i)
            code = (code << 6) | (static_cast<unsigned char>(text[i]) & 0x3F);
        if (code >= 0x10000) {
            code -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(code));
        }
    }
    return out;
}

std::string FourChars(uint32_t code) {
    std::string text;
    for (int i = 0; i < 4; ++i) {
        char c = static_cast<char>((code >> (8 * i)) & 0xFF);
        text.push_back(c >= 32 && c < 127 ? c : '?');
    }
    return text;
}

OpenClip::OpenClip(Session& session, const std::string& path) : m_session(session), m_path(ToUtf16(path)) {}

OpenClip::~OpenClip() {
    Close();
}

int32_t OpenClip::Open(int32_t importerId) {
    FileOpenRecord open{};
    open.fileType = kFileTypeAVIV;
    open.path = m_path.c_str();
    int32_t fileReference = -1;
    m_openResult = m_session.Call(imOpenFile8, &fileReference, &open);
    m_handle = open.privateData;
    if (m_openResult != 0) return m_openResult;

    FileAccessRecord access{};
    access.path = m_path.c_str();
    std::memset(&m_info, 0, sizeof(m_info));
    m_info.importerId = importerId;
    m_info.privateData = m_handle;
    int32_t result = m_session.Call(imGetInfo8, &access, &m_info);
    m_handle = m_info.privateData;
    return result;
}

std::vector<std::pair<int32_t, int32_t>> OpenClip::PreferredSizes(uint32_t pixelFormat) {
    std::vector<std::pair<int32_t, int32_t>> sizes;
    for (int32_t index = 0; index < 16; ++index) {
        PreferredFrameSizeRecord record{};
        record.privateData = m_handle;
        record.pixelFormat = static_cast<int32_t>(pixelFormat);
        record.index = index;
        if (m_session.Call(imGetPreferredFrameSize, &record, nullptr) != kImIterateFrameSizes) break;
        sizes.emplace_back(record.width, record.height);
    }
    return sizes;
}

std::vector<uint32_t> OpenClip::PixelFormats(int32_t* result) {
    std::vector<uint32_t> formats;
    int32_t answer = 0;
    for (int32_t index = 0; index < 32; ++index) {
        PixelFormatRecord record{};
        record.privateData = m_handle;
        answer = m_session.Call(imGetIndPixelFormat, static_cast<intptr_t>(index),
                                reinterpret_cast<intptr_t>(&record));
        if (answer != 0) break;
        formats.push_back(static_cast<uint32_t>(record.pixelFormat));
    }
    if (result) *result = answer;
    return formats;
}

int32_t OpenClip::ImportAudio(int64_t position, uint32_t count, float* left, float* right, int64_t* next) {
    float* buffers[2] = {left, right};
    AudioImportRecord record{};
    record.position = position;
    record.size = count;
    record.buffers = buffers;
    record.privateData = m_handle;
    int32_t result = m_session.Call(imImportAudio7, nullptr, &record);
    if (next) *next = record.position;
    return result;
}

int32_t OpenClip::Close() {
    if (!m_handle) return 0;
    int32_t result = m_session.Call(imCloseFile, nullptr, m_handle);
    m_handle = nullptr;
    return result;
}

}  // namespace sim
}  // namespace krvx
