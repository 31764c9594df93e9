// Plays the companion application: waits (at most ten seconds) until the plug-in has raised the focus value,
// works a moment, then gives the focus back by clearing the value, or with KRVX_TEST_COMPANION=exit ends
// without clearing it.
#include <cstdlib>
#include <cstring>

#include "platform/store.h"
#include "platform/thread.h"

namespace {
const char kKey[] = "SOFTWARE\\Bravik\\KorvaneStudio";
const char kFocused[] = "PremCS5VXFocused";
}  // namespace

int main() {
    using krvx::platform::StoreHive;
    const char* mode = std::getenv("KRVX_TEST_COMPANION");
    bool clearFocus = !mode || std::strcmp(mode, "exit") != 0;
    for (int look = 0; look < 500; ++look) {
        uint32_t focused = 0;
        if (krvx::platform::StoreReadDword(StoreHive::CurrentUser, kKey, kFocused, &focused) && focused == 1)
            break;
        krvx::platform::SleepMs(20);
    }
    krvx::platform::SleepMs(200);
    if (clearFocus) {
        if (!krvx::platform::StoreWriteDword(StoreHive::CurrentUser, kKey, kFocused, 0)) return 1;
        // Still running a moment after giving the focus back, as the real application does.
        krvx::platform::SleepMs(300);
    }
    return 0;
}
