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

}  // namespace platform
}  // namespace krvx
