// Where a trimmed copy goes and in which container: the destination's extension decides.
#pragma once
#include <cstdint>
#include <string>

namespace krvx {

enum OutputContainer : int32_t { kContainerAVI = 1, kContainerQuickTime = 2 };

// ".mov" (any case) keeps the path and gives QuickTime; ".avi" keeps it and gives AVI; no extension
// gets ".avi"; any other extension gets ".avi" appended to the whole name (clip.mxf becomes
// clip.mxf.avi). Both separators and a drive prefix are understood, as Windows paths have them.
std::string OutputPathFor(const std::string& destination, int32_t* container);

}  // namespace krvx
