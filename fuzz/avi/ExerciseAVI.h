// Opens one file as an AVI and, when it opens, runs every read operation of the reader on it.
#pragma once

namespace krvx {
namespace fuzz {

// Aborts when a result breaks the reader's promises (a frame span larger than its read, more samples
// than asked for); everything else the file may say is fine.
void ExerciseAVIFile(const char* path);

}  // namespace fuzz
}  // namespace krvx
