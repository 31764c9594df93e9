#include "platform/text.h"

#include <windows.h>

namespace krvx {
namespace platform {

bool WideToMultibyte(const char16_t* text, char* buffer, size_t bufferSize) {
    if (!text || !buffer || bufferSize == 0 || bufferSize > 0x7FFFFFFF) return false;
    int written = WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const wchar_t*>(text), -1, buffer,
                                      static_cast<int>(bufferSize), nullptr, nullptr);
    if (written <= 0) {
        buffer[0] = '\0';
        return false;
    }
    return true;
}

size_t MultibyteToWide(const char* text, char16_t* buffer, size_t bufferChars) {
    if (!text || bufferChars > 0x7FFFFFFF) return 0;
    int written = MultiByteToWideChar(CP_ACP, 0, text, -1, reinterpret_cast<wchar_t*>(buffer),
                                      buffer ? static_cast<int>(bufferChars) : 0);
    return written > 0 ? static_cast<size_t>(written) : 0;
}

}  // namespace platform
}  // namespace krvx
