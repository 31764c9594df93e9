// The module's entry point: one selector number and two values per host request.
#pragma once
#include <cstdint>

#include "entry/Export.h"

namespace krvx {
struct imStdParms;
}

extern "C" KRVX_MODULE_EXPORT int32_t xImportEntry(int32_t selector, krvx::imStdParms* stdParms, intptr_t param1,
                                                   intptr_t param2);

using XImportEntryFn = int32_t (*)(int32_t selector, krvx::imStdParms* stdParms, intptr_t param1, intptr_t param2);
