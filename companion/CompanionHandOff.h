// Handing a clip to the companion application through the per-user store, and waiting while it works.
#pragma once
#include <cstddef>
#include <cstdint>

namespace krvx {

// The companion's executable, compared without regard to case with running processes' base names.
extern const char kCompanionExecutable[];
// Per-user key holding the hand-off values, and the machine-wide key naming the install folder.
extern const char kCompanionKey[];
extern const char kInstallSpotsKey[];
extern const char kClipValue[];
extern const char kFocusedValue[];
extern const char kInstallFolderValue[];

// Milliseconds between two looks at the focus value while waiting.
constexpr uint32_t kCompanionPollMs = 100;
// Bytes for the install folder and for the launch path, terminator included.
constexpr size_t kCompanionPathBytes = 260;

// Writes the clip path and the focus flag for the companion, then brings the running companion to the
// front or starts it from its install folder. True when it was found running or was started.
bool HandOffClipToCompanion(const char* clipPath);

// Blocks while the companion holds the focus flag and runs, re-activating its main window at every look;
// then minimises it and brings the host's main window back.
void WaitWhileCompanionFocused();

}  // namespace krvx
