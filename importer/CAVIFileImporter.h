// The per-file importer behind every host request on one open clip. It lives in the host's private-data
// handle, holds the host suites and its tracking allocator, and owns the clip's reader.
#pragma once
#include <cstdint>

#include "host/CAdobeFileImporter.h"

namespace krvx {

class CAVIFileImporter : public CAdobeFileImporter {
public:
    // Acquires the host suites and creates the owned allocator.
    explicit CAVIFileImporter(const imStdParms* stdParms);
    ~CAVIFileImporter() override;

    // Deletes the reader and clears the open flag; the decoder and buffers stay.
    void Close();
    bool IsOpen() const { return m_isOpen; }

private:
    bool m_isOpen = false;
};

}  // namespace krvx
