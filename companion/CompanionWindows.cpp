#include "companion/CompanionWindows.h"

namespace krvx {

bool ActivateMainWindow(platform::ProcessId process) {
    if (platform::IsMainWindowMinimised(process)) platform::RestoreMainWindow(process);
    platform::AllowForegroundChange();
    return !platform::RaiseMainWindow(process);
}

bool MinimizeMainWindow(platform::ProcessId process) {
    return !platform::MinimiseMainWindow(process);
}

}  // namespace krvx
