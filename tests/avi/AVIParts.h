// Hand-built AVI files for structure tests: each part of the file is a callback, so a test changes
// only the part it is about.
#pragma once
#include <functional>

#include "ClipWriter.h"

namespace krvx {
namespace test {

using Part = std::function<void(RiffWriter&)>;

inline void Avih(RiffWriter& w, uint32_t frames, uint32_t bytes = 56) {
    uint64_t at = w.BeginChunk("avih");
    for (uint32_t i = 0; i < bytes / 4; ++i) w.U32(i == 4 ? frames : i == 8 ? 64 : i == 9 ? 48 : 1000 + i);
    w.End(at);
}

inline void Strh(RiffWriter& w, const char* type, uint32_t bytes = 56, uint32_t start = 0,
                 uint32_t scale = 1) {
    uint64_t at = w.BeginChunk("strh");
    uint32_t fields[14] = {0, 0, 0, 0, 0, scale, 25, start, 10, 0, 0, 4, 0, 0};
    w.Id(type);
    for (uint32_t i = 1; i < bytes / 4; ++i) w.U32(fields[i]);
    w.End(at);
}

// A stream list: "strh", "strf" of `strfBytes` (bitmap header fields where they fit), then `extra`.
inline void Strl(RiffWriter& w, const char* type, uint32_t strfBytes = 40, const Part& extra = {}) {
    uint64_t list = w.BeginList("LIST", "strl");
    Strh(w, type);
    uint64_t at = w.BeginChunk("strf");
    for (uint32_t i = 0; i < strfBytes / 4; ++i) w.U32(i == 0 ? 40 : i == 4 ? 0x5856524B : 7);
    w.End(at);
    if (extra) extra(w);
    w.End(list);
}

inline void Idx1Entry(RiffWriter& w, const char* id, uint32_t flags, uint32_t offset, uint32_t size) {
    w.Id(id);
    w.U32(flags);
    w.U32(offset);
    w.U32(size);
}

// RIFF "AVI " { LIST hdrl { hdrl } between LIST movi { movi } idx1 { idx1 } }. Defaults: one video
// stream and one 100-byte key frame, indexed.
inline std::vector<uint8_t> AVIFileBytes(const Part& hdrl = {}, const Part& between = {}, const Part& movi = {},
                                const Part& idx1 = {}, bool withIdx1 = true) {
    RiffWriter w;
    uint64_t riff = w.BeginList("RIFF", "AVI ");
    uint64_t list = w.BeginList("LIST", "hdrl");
    if (hdrl) {
        hdrl(w);
    } else {
        Avih(w, 1);
        Strl(w, "vids");
    }
    w.End(list);
    if (between) between(w);
    list = w.BeginList("LIST", "movi");
    if (movi) {
        movi(w);
    } else {
        w.Chunk("00dc", std::vector<uint8_t>(100, 0xAB).data(), 100);
    }
    w.End(list);
    if (withIdx1) {
        uint64_t at = w.BeginChunk("idx1");
        if (idx1) {
            idx1(w);
        } else {
            Idx1Entry(w, "00dc", 0x10, 4, 100);
        }
        w.End(at);
    }
    w.End(riff);
    return std::move(w.Memory());
}

}  // namespace test
}  // namespace krvx
