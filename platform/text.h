// Path text: the host gives UTF-16; files open with the multibyte form (the ANSI code page on Windows,
// UTF-8 on POSIX).
#pragma once
#include <cstddef>

namespace krvx {
namespace platform {

// Converts zero-terminated UTF-16 into `buffer`, terminator included. False, with nothing usable
// written, when the text does not convert or does not fit in bufferSize bytes.
bool WideToMultibyte(const char16_t* text, char* buffer, size_t bufferSize);

// Converts zero-terminated multibyte text into UTF-16, terminator included, and returns the number of
// UTF-16 units written. With a null buffer it returns the number needed. 0 when the text does not
// convert or does not fit in bufferChars units.
size_t MultibyteToWide(const char* text, char16_t* buffer, size_t bufferChars);

}  // namespace platform
}  // namespace krvx
