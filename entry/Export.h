// Marks the module's one exported function; everything else stays hidden.
#pragma once

#if defined(_WIN32)
#define KRVX_MODULE_EXPORT __declspec(dllexport)
#else
#define KRVX_MODULE_EXPORT __attribute__((visibility("default")))
#endif
