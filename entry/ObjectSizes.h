// In-memory sizes of the plug-in's main objects, reported by imInit.
#pragma once

namespace krvx {

struct ObjectSizes {
    int fileImporter;
    int asyncFileImporter;
    int asyncFrameReader;
    int allocator;
    int aviReader;
};

ObjectSizes CurrentObjectSizes();

}  // namespace krvx
