// One stream of an AVI file: its header, its indexes and the lookups the sample reads share.
#pragma once
#include <cstdint>

#include "avi/AVIHeaders.h"
#include "avi/AVIOldIndex.h"
#include "avi/AVISuperIndex.h"
#include "dshow/HResult.h"

namespace krvx {

class AVIReader;

class AVIStream {
public:
    AVIStream();
    virtual ~AVIStream();
    AVIStream(const AVIStream&) = delete;
    AVIStream& operator=(const AVIStream&) = delete;

    virtual void Reset();
    virtual uint32_t GetHandler() const;

    // The super index when it has entries, else the legacy table; standard index chunks are read on
    // the first call. S_OK or E_FAIL.
    dshow::HResult EnsureIndex();

    bool IsValid() const { return m_valid != 0; }
    const AVIStreamHeaderRecord& HeaderRecord() const { return m_streamHeader; }
    const AVIStreamHeader& Header() const { return m_streamHeader.header; }

    void SetReader(AVIReader* reader) { m_reader = reader; }
    AVIReader* Reader() const { return m_reader; }
    AVISuperIndex& SuperIndex() { return m_superIndex; }
    AVIOldIndex& OldIndex() { return m_oldIndex; }

    // The index every lookup goes to: the super index when it has entries, else the legacy table.
    AVIIndexBase& ActiveIndex();

protected:
    dshow::HResult LoadStandardIndexes();
    // Stores the stream header taken from "strh" (at most 56 bytes, the rest zero).
    void TakeHeader(const uint8_t* data, uint64_t size, uint32_t chunkId, uint64_t chunkSize);

    uint8_t m_valid;
    AVIStreamHeaderRecord m_streamHeader;
    AVIReader* m_reader;
    AVISuperIndex m_superIndex;
    AVIOldIndex m_oldIndex;
};

}  // namespace krvx
