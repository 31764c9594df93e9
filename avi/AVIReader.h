// Opens one AVI file: walks its RIFF structure once up to the movie data, keeps the main and extended
// headers, one video and one audio stream with their indexes, and reads samples through them.
#pragma once
#include <cstdint>

#include "avi/AVIAudioStream.h"
#include "avi/AVIHeaders.h"
#include "avi/AVIVideoStream.h"
#include "avi/BlockFileIO.h"
#include "avi/FileIO.h"
#include "avi/RiffChunk.h"
#include "dshow/HResult.h"

namespace krvx {

constexpr size_t kAVIPathBytes = 260;
// Index chunks (legacy, super and standard) are read whole; none of an honest file comes near this.
constexpr uint64_t kMaxIndexChunkBytes = 256u << 20;

class AVIReader {
public:
    AVIReader();
    ~AVIReader();
    AVIReader(const AVIReader&) = delete;
    AVIReader& operator=(const AVIReader&) = delete;

    // S_OK, or E_FAIL for every failure.
    dshow::HResult Open(const char* path);
    void Reset();

    // Reads the chunk header at the file's position. Lists are entered (the file stays after the list
    // type), "JUNK" is skipped, and of any other chunk the data the reader uses is read.
    dshow::HResult ReadChunk(FileIO* file, RiffChunk* chunk);
    // Takes one "strl" list, the file positioned after its list type.
    dshow::HResult ParseStreamList(int64_t end);
    // Reads the "idx1" chunk that must start at `position`; entry offsets count from `base`.
    dshow::HResult LoadOldIndex(uint64_t position, uint64_t base);

    // Video frame queries: 1 or 0 (E_FAIL when no index can be had); the size as the index states it,
    // which the file may not hold, and 0 when unknown.
    uint32_t IsVideoKeyFrame(uint32_t frame);
    uint32_t GetVideoFrameSize(uint32_t frame);

    // Reads `size` bytes at `offset`; a short read of a BlockFileIO's last sector counts as success.
    static dshow::HResult ReadFileData(FileIO* file, uint64_t offset, uint64_t size, void* buffer,
                                       uint64_t* bytesRead);

    // True when [offset, offset + size) lies inside the file (its length is asked again when the
    // file may have grown since it was opened).
    bool SpanInFile(uint64_t offset, uint64_t size);
    uint64_t FileSize() const { return m_fileSize; }

    FileIO* ParseFile() const { return m_parseFile; }
    BlockFileIO* SampleFile() const { return m_sampleFile; }
    const AVIMainHeaderRecord& MainHeaderRecord() const { return m_mainHeader; }
    const AVIMainHeader& MainHeader() const { return m_mainHeader.header; }
    const AVIExtendedHeaderRecord& ExtendedHeaderRecord() const { return m_extendedHeader; }
    uint32_t TotalFrames() const { return m_extendedHeader.header.totalFrames; }
    AVIVideoStream& Video() { return m_video; }
    AVIAudioStream& Audio() { return m_audio; }
    const char* Path() const { return m_path; }

private:
    void DestroyFiles();
    uint64_t QueryFileSize();

    FileIO* m_parseFile;
    BlockFileIO* m_sampleFile;
    uint8_t m_ownsFiles;
    AVIMainHeaderRecord m_mainHeader;
    AVIExtendedHeaderRecord m_extendedHeader;
    AVIVideoStream m_video;
    AVIAudioStream m_audio;
    char m_path[kAVIPathBytes];
    uint64_t m_fileSize;
};

}  // namespace krvx
