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

size_t MultibyteToWide(const char* text, char16_t* buffer, size_t bufferChars) {
    if (!text) return 0;
    size_t used = 0;
    auto put = [&](uint32_t unit) {
        if (buffer) {
            if (used >= bufferChars) return false;
            buffer[used] = static_cast<char16_t>(unit);
        }
        ++used;
        return true;
    };
    const unsigned char* c = reinterpret_cast<const unsigned char*>(text);
    while (*c) {
        uint32_t code = *c;
        int follow = code < 0x80 ? 0 : (code & 0xE0) == 0xC0 ? 1 : (code & 0xF0) == 0xE0 ? 2 : (code & 0xF8) == 0xF0 ? 3 : -1;
        if (follow < 0) return 0;
        if (follow > 0) code &= 0x3F >> follow;
        ++c;
        for (int i = 0; i < follow; ++i, ++c) {
            if ((*c & 0xC0) != 0x80) return 0;
            code = (code << 6) | (*c & 0x3F);
        }
        static const uint32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
        if (code < kSmallest[follow] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
        bool ok = code < 0x10000 ? put(code)
                                 : put(0xD800 + ((code - 0x10000) >> 10)) && put(0xDC00 + ((code - 0x10000) & 0x3FF));
        if (!ok) return 0;
    }
    return put(0) ? used : 0;
}

}  // namespace platform
}  // namespace krvx
