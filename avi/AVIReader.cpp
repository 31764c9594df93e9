#include "avi/AVIReader.h"

#include <cstring>
#include <new>

#include "avi/FourCC.h"

namespace krvx {

using namespace dshow;

namespace {

// How much of a chunk's data the reader uses; the rest of the chunk is stepped over unread.
uint64_t KeptBytes(uint32_t id) {
    switch (id) {
        case fourcc::kAvih:
            return sizeof(AVIMainHeader);
        case fourcc::kDmlh:
            return sizeof(AVIExtendedHeader);
        case fourcc::kStrh:
            return sizeof(AVIStreamHeader);
        case fourcc::kStrf:
            return sizeof(BitmapInfoHeader) + kVideoFormatDataBytes;
        case fourcc::kIndx:
            return kMaxIndexChunkBytes;
        default:
            break;
    }
    if (FourCCChar(id, 0) == 'i' && FourCCChar(id, 1) == 'x') return kMaxIndexChunkBytes;
    return 0;
}

constexpr uint32_t kOldIndexEntryBytes = 16;

}  // namespace

AVIReader::AVIReader()
    : m_parseFile(nullptr),
      m_sampleFile(nullptr),
      m_ownsFiles(0),
      m_mainHeader(),
      m_extendedHeader(),
      m_path(),
      m_fileSize(0) {
    m_video.SetReader(this);
    m_audio.SetReader(this);
    Reset();
}

AVIReader::~AVIReader() {
    Reset();
}

void AVIReader::DestroyFiles() {
    delete m_parseFile;
    delete m_sampleFile;
    m_parseFile = nullptr;
    m_sampleFile = nullptr;
    m_ownsFiles = 0;
}

void AVIReader::Reset() {
    m_video.Reset();
    m_audio.Reset();
    if (m_ownsFiles) DestroyFiles();
    m_mainHeader = AVIMainHeaderRecord{};
    m_extendedHeader = AVIExtendedHeaderRecord{};
}

uint64_t AVIReader::QueryFileSize() {
    if (!m_parseFile) return 0;
    uint64_t position = m_parseFile->Tell();
    uint64_t size = 0;
    if (m_parseFile->Seek(0, 2) == kFileOk) size = m_parseFile->Tell();
    m_parseFile->Seek(static_cast<int64_t>(position), 0);
    return size;
}

bool AVIReader::SpanInFile(uint64_t offset, uint64_t size) {
    uint64_t end = offset + size;
    if (end < offset) return false;
    if (end <= m_fileSize) return true;
    // A file still being written may have grown since it was opened.
    m_fileSize = QueryFileSize();
    return end <= m_fileSize;
}

HResult AVIReader::ReadChunk(FileIO* file, RiffChunk* chunk) {
    if (!file || !chunk) return kFail;
    chunk->data.reset();
    chunk->dataSize = 0;
    chunk->listType = 0;
    chunk->position = file->Tell();
    uint8_t header[8];
    uint64_t got = 0;
    if (file->Read(header, 4, &got) != kFileOk || got != 4) return kFail;
    if (file->Read(header + 4, 4, &got) != kFileOk || got != 4) return kFail;
    chunk->id = LoadU32(header);
    uint64_t size = LoadU32(header + 4);
    chunk->size = size + (size & 1);
    if (chunk->id == fourcc::kList || chunk->id == fourcc::kRiff) {
        uint8_t type[4];
        if (file->Read(type, 4, &got) != kFileOk || got != 4) return kFail;
        chunk->listType = LoadU32(type);
        return kOk;
    }
    if (chunk->id == fourcc::kJunk) {
        file->Seek(static_cast<int64_t>(chunk->size), 1);
        return kOk;
    }
    // The data must lie in the file before anything is allocated for it.
    if (!SpanInFile(chunk->position + 8, chunk->size)) return kFail;
    uint64_t kept = KeptBytes(chunk->id);
    if (kept > chunk->size) kept = chunk->size;
    if (kept != 0) {
        chunk->data.reset(new (std::nothrow) uint8_t[static_cast<size_t>(kept)]);
        if (!chunk->data) return kFail;
        if (file->Read(chunk->data.get(), kept, &got) != kFileOk || got != kept) return kFail;
        chunk->dataSize = kept;
    }
    if (kept < chunk->size && file->Seek(static_cast<int64_t>(chunk->size - kept), 1) != kFileOk)
        return kFail;
    return kOk;
}

HResult AVIReader::Open(const char* path) {
    DestroyFiles();
    if (!path) return kFail;
    size_t length = strnlen(path, kAVIPathBytes);
    if (length >= kAVIPathBytes) return kFail;
    m_parseFile = new (std::nothrow) FileIO;
    m_sampleFile = new (std::nothrow) BlockFileIO;
    m_ownsFiles = 1;
    if (!m_parseFile || !m_sampleFile || m_parseFile->Open(path) != kFileOk ||
        m_sampleFile->Open(path) != kFileOk) {
        DestroyFiles();
        return kFail;
    }
    std::memcpy(m_path, path, length + 1);
    m_fileSize = QueryFileSize();

    FileIO* file = m_parseFile;
    RiffChunk chunk;
    if (Failed(ReadChunk(file, &chunk)) || chunk.id != fourcc::kRiff || chunk.listType != fourcc::kAVI) {
        return kFail;
    }
    bool sawMainHeader = false;
    bool sawExtendedHeader = false;
    for (;;) {
        if (Failed(ReadChunk(file, &chunk))) return kFail;
        if (chunk.id == fourcc::kList) {
            if (chunk.listType == fourcc::kMovi) break;
            // The list's data runs from behind its 8-byte header for its declared size.
            if (chunk.listType == fourcc::kStrl &&
                Failed(ParseStreamList(static_cast<int64_t>(chunk.position + 8 + chunk.size)))) {
                return kFail;
            }
        } else if (chunk.id == fourcc::kAvih) {
            sawMainHeader = true;
            m_mainHeader.chunkId = chunk.id;
            m_mainHeader.chunkSize = static_cast<uint32_t>(chunk.size);
            m_mainHeader.header = AVIMainHeader{};
            if (chunk.data)
                std::memcpy(&m_mainHeader.header, chunk.data.get(), static_cast<size_t>(chunk.dataSize));
        } else if (chunk.id == fourcc::kDmlh) {
            sawExtendedHeader = true;
            m_extendedHeader.chunkId = chunk.id;
            m_extendedHeader.chunkSize = static_cast<uint32_t>(chunk.size);
            m_extendedHeader.header = AVIExtendedHeader{};
            if (chunk.data) {
                std::memcpy(&m_extendedHeader.header, chunk.data.get(), static_cast<size_t>(chunk.dataSize));
            }
        }
        // "RIFF" and lists of other types are entered; "JUNK" and other chunks are passed over.
    }
    // Legacy index offsets count from the "movi" list type and point at a chunk's 8-byte header.
    const uint64_t moviEnd = chunk.position + 8 + chunk.size;
    const uint64_t base = chunk.position + 16;
    if (Failed(LoadOldIndex(moviEnd, base))) return kFail;
    if (!sawMainHeader) return kFail;
    if (!sawExtendedHeader) m_extendedHeader.header.totalFrames = m_mainHeader.header.totalFrames;
    return kOk;
}

HResult AVIReader::ParseStreamList(int64_t end) {
    FileIO* file = m_parseFile;
    RiffChunk strh;
    if (Failed(ReadChunk(file, &strh)) || strh.id != fourcc::kStrh) return kFail;
    RiffChunk strf;
    if (Failed(ReadChunk(file, &strf)) || strf.id != fourcc::kStrf) return kFail;
    AVIStream* stream = nullptr;
    uint32_t type = 0;
    if (strh.data)
        std::memcpy(&type, strh.data.get(), strh.dataSize < 4 ? static_cast<size_t>(strh.dataSize) : 4);
    if (type == fourcc::kVids) {
        if (Failed(m_video.Init(strh, strf))) return kFail;
        stream = &m_video;
    } else if (type == fourcc::kAuds) {
        if (Failed(m_audio.Init(strh, strf))) return kFail;
        stream = &m_audio;
    } else {
        // The rest of an unknown stream's list is passed over by the main walk.
        return kOk;
    }
    // A chunk that runs past the list's end is still read (never past the file: ReadChunk checks it
    // against the file's size) and ends the list; the main walk goes on behind it.
    while (static_cast<int64_t>(file->Tell()) < end) {
        RiffChunk chunk;
        if (Failed(ReadChunk(file, &chunk))) return kFail;
        if (chunk.id == fourcc::kIndx && Failed(stream->SuperIndex().Load(chunk))) return kFail;
    }
    return kOk;
}

// The third character of an "idx1" entry's identifier tells the stream kind; the stream number is not read.
enum class EntryKind { None, Audio, Video };

static EntryKind KindOf(const uint8_t* entry) {
    uint8_t c = entry[2];
    if (c == 'w') return EntryKind::Audio;
    if (c == 'i' || c == 'x' || c == 'd') return EntryKind::Video;
    return EntryKind::None;
}

// The "idx1" data is streamed in blocks twice (count, then fill) rather than held whole: opening a long
// clip then touches no more fresh memory than its two tables.
HResult AVIReader::LoadOldIndex(uint64_t position, uint64_t base) {
    if (!m_parseFile || !m_sampleFile) return kFail;
    FileIO* file = m_parseFile;
    if (position > static_cast<uint64_t>(INT64_MAX) ||
        file->Seek(static_cast<int64_t>(position), 0) != kFileOk) {
        return kFail;
    }
    RiffChunk chunk;
    if (Failed(ReadChunk(file, &chunk)) || chunk.id != fourcc::kIdx1) return kFail;
    uint64_t count = chunk.size / kOldIndexEntryBytes;
    if (count > kMaxIndexChunkBytes / kOldIndexEntryBytes) count = kMaxIndexChunkBytes / kOldIndexEntryBytes;
    constexpr uint32_t kBlockEntries = 4096;
    std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[kBlockEntries * kOldIndexEntryBytes]);
    if (!block) return kFail;
    // Runs `visit` on every entry in file order.
    auto forEach = [&](auto visit) -> bool {
        if (file->Seek(static_cast<int64_t>(chunk.position + 8), 0) != kFileOk) return false;
        for (uint64_t done = 0; done < count;) {
            uint64_t n = count - done < kBlockEntries ? count - done : kBlockEntries;
            uint64_t got = 0;
            if (file->Read(block.get(), n * kOldIndexEntryBytes, &got) != kFileOk) return false;
            for (uint64_t i = 0; i < n; ++i) visit(block.get() + i * kOldIndexEntryBytes);
            done += n;
        }
        return true;
    };
    uint32_t audioCount = 0;
    uint32_t videoCount = 0;
    bool read = forEach([&](const uint8_t* entry) {
        EntryKind kind = KindOf(entry);
        if (kind == EntryKind::Audio) ++audioCount;
        if (kind == EntryKind::Video) ++videoCount;
    });
    if (!read) return kFail;
    if (Failed(m_audio.OldIndex().Allocate(audioCount)) || Failed(m_video.OldIndex().Allocate(videoCount))) {
        return kFail;
    }
    OldIndexEntry* audio = m_audio.OldIndex().Entries();
    OldIndexEntry* video = m_video.OldIndex().Entries();
    read = forEach([&](const uint8_t* entry) {
        EntryKind kind = KindOf(entry);
        if (kind == EntryKind::None) return;
        OldIndexEntry& slot = kind == EntryKind::Audio ? *audio++ : *video++;
        slot.flags = LoadU32(entry + 4);
        slot.offset = base + LoadU32(entry + 8);
        slot.size = LoadU32(entry + 12);
    });
    return read ? kOk : kFail;
}

uint32_t AVIReader::IsVideoKeyFrame(uint32_t frame) {
    if (Failed(m_video.EnsureIndex())) return static_cast<uint32_t>(kFail);
    return m_video.ActiveIndex().IsKeyFrame(frame);
}

uint32_t AVIReader::GetVideoFrameSize(uint32_t frame) {
    if (!m_parseFile || Failed(m_video.EnsureIndex())) return 0;
    uint64_t offset = 0;
    uint32_t size = 0;
    if (Failed(m_video.ActiveIndex().GetEntry(frame, &offset, &size))) return 0;
    // The size the index states, whether or not the file holds that many bytes: nothing is allocated or
    // read from this answer. Reads locate the frame with GetAlignedFrameLocation, which checks the span.
    return size & ~kStdIndexNotKeyFrame;
}

HResult AVIReader::ReadFileData(FileIO* file, uint64_t offset, uint64_t size, void* buffer,
                                uint64_t* bytesRead) {
    if (!buffer || !file) return kInvalidArg;
    if (bytesRead) *bytesRead = 0;
    if (file->ReadAt(buffer, size, bytesRead, offset) != kFileOk) return kFail;
    if (!bytesRead) return kOk;
    return *bytesRead == 0 ? kFail : kOk;
}

}  // namespace krvx
