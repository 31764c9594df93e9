// Paths that may come in the host's form: a backslash separates folders there (a folder read from the
// key-value store with a file name appended, an install folder with the program's name), a slash here.
#pragma once
#include <cstddef>

namespace krvx {
namespace platform {

// `path` with every backslash made a slash, in `buffer`; false when it does not fit.
bool HostPathToNative(const char* path, char* buffer, size_t bufferSize);

}  // namespace platform
}  // namespace krvx
