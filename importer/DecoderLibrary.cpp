#include "importer/DecoderLibrary.h"

#include <mutex>
#include <string>

#include "platform/debug.h"
#include "platform/module.h"

namespace krvx {

namespace {
const char kLibraryFile[] = KRVX_DECODER_LIBRARY_NAME;

int g_addressInPlugin;

platform::NativeModule* LoadLibraryFile() {
    char folder[1024];
    if (platform::ModuleDirectoryOf(&g_addressInPlugin, folder, sizeof(folder))) {
        if (platform::NativeModule* beside = platform::ModuleLoad((std::string(folder) + kLibraryFile).c_str()))
            return beside;
    }
    return platform::ModuleLoad(kLibraryFile);
}

template <typename Function>
bool Resolve(platform::NativeModule* module, const char* name, Function* function) {
    *function = reinterpret_cast<Function>(platform::ModuleSymbol(module, name));
    return *function != nullptr;
}

// Loaded once; the module stays for the life of the process, as the decoders it made may.
const DecoderLibrary* Load() {
    static DecoderLibrary library;
    platform::NativeModule* module = LoadLibraryFile();
    if (!module) {
        platform::DebugPrintf("KRVXDecoder: cannot load %s: %s\n", kLibraryFile, platform::ModuleLastError());
        return nullptr;
    }
    bool complete = Resolve(module, "KRVX_CreateSampleDecoder", &library.createSampleDecoder) &&
                    Resolve(module, "KRVX_OpenMetadata", &library.openMetadata) &&
                    Resolve(module, "KRVX_InitSampleMetadata", &library.initSampleMetadata) &&
                    Resolve(module, "KRVX_SetActiveMetadata", &library.setActiveMetadata) &&
                    Resolve(module, "KRVX_ReadMetadata", &library.readMetadata) &&
                    Resolve(module, "KRVX_CloseMetadata", &library.closeMetadata);
    if (!complete) {
        platform::DebugPrintf("KRVXDecoder: %s lacks a function: %s\n", kLibraryFile, platform::ModuleLastError());
        platform::ModuleFree(module);
        return nullptr;
    }
    return &library;
}
}  // namespace

const DecoderLibrary* GetDecoderLibrary() {
    static const DecoderLibrary* library = Load();
    return library;
}

SampleDecoder* CreateSampleDecoder(IAllocator* allocator) {
    const DecoderLibrary* library = GetDecoderLibrary();
    return library ? library->createSampleDecoder(allocator, nullptr) : nullptr;
}

}  // namespace krvx
