#include "platform/text.h"

#include <cstdint>

namespace krvx {
namespace platform {

bool WideToMultibyte(const char16_t* text, char* buffer, size_t bufferSize) {
    if (!text || !buffer || bufferSize == 0) return false;
    size_t used = 0;
    auto put = [&](uint32_t byte) {
        if (used + 1 >= bufferSize) return false;  // keep room for the terminator
        buffer[used++] = static_cast<char>(byte);
        return true;
    };
    for (const char16_t* c = text; *c; ++c) {
        uint32_t code = *c;
        if (code >= 0xD800 && code <= 0xDBFF) {
            uint32_t low = c[1];
            if (low < 0xDC00 || low > 0xDFFF) return false;
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
            ++c;
        } else if (code >= 0xDC00 && code <= 0xDFFF) {
            return false;
        }
        bool ok;
        if (code < 0x80) {
            ok = put(code);
        } else if (code < 0x800) {
            ok = put(0xC0 | (code >> 6)) && put(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            ok = put(0xE0 | (code >> 12)) && put(0x80 | ((code >> 6) & 0x3F)) && put(0x80 | (code & 0x3F));
        } else {
            ok = put(0xF0 | (code >> 18)) && put(0x80 | ((code >> 12) & 0x3F)) && put(0x80 | ((code >> 6) & 0x3F)) &&
                 put(0x80 | (code & 0x3F));
        }
        if (!ok) {
            buffer[0] = '\0';
            return false;
        }
    }
    buffer[used] = '\0';
    return true;
}

}  // namespace platform
}  // namespace krvx
