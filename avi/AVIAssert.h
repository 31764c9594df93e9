// Checks of the reader's 32-bit counters. A failed check writes a diagnostic line naming the source
// and the condition; the operation that made it then fails instead of computing with a cut value.
#pragma once

namespace krvx {

bool AVIAssertion(bool condition, const char* text);

}  // namespace krvx

#define AVI_ASSERT(condition) ::krvx::AVIAssertion((condition), #condition)
