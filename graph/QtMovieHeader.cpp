#include "graph/QtMovieHeader.h"

#include <cmath>

#include "graph/QuickTimeWriter.h"

namespace krvx {
namespace graph {
namespace {

// Movie-level durations count milliseconds.
constexpr uint32_t kMovieTimeScale = 1000;

constexpr uint32_t kTrackEnabled = 0x1;
constexpr uint32_t kTrackInMovie = 0x2;
constexpr uint32_t kTrackInPreview = 0x4;

enum class Kind { Video, Audio, Timecode };

struct TrackInfo {
    Kind kind;
    uint32_t id;
    uint32_t mediaTimeScale;
    uint64_t mediaDuration;
    uint32_t referencedTimecode;  // track id, 0 for none
};

uint64_t ToMovieTime(uint64_t duration, uint32_t timeScale) {
    if (timeScale == 0) return 0;
    return static_cast<uint64_t>(std::llround(double(duration) * kMovieTimeScale / timeScale));
}

bool Needs64(uint64_t value) {
    return value > UINT32_MAX;
}

void Duration(QtAtomBuffer* out, uint64_t value, bool wide) {
    if (wide) {
        out->U64(value);
    } else {
        out->U32(static_cast<uint32_t>(value));
    }
}

void AppendMovieHeaderAtom(QtAtomBuffer* out, uint64_t duration, uint32_t nextTrackId) {
    const bool wide = Needs64(duration);
    const size_t mvhd = out->OpenFull("mvhd", wide ? 1 : 0, 0);
    Duration(out, 0, wide);  // creation time
    Duration(out, 0, wide);  // modification time
    out->U32(kMovieTimeScale);
    Duration(out, duration, wide);
    out->U32(0x00010000);  // preferred rate 1.0
    out->U16(0x0100);      // preferred volume 1.0
    out->Zeros(10);
    out->UnityMatrix();
    out->Zeros(6 * 4);  // preview, poster, selection and current times
    out->U32(nextTrackId);
    out->Close(mvhd);
}

void AppendTrackHeader(QtAtomBuffer* out, const TrackInfo& track, uint64_t movieDuration,
                       const QtVideoTrack* video) {
    const bool wide = Needs64(movieDuration);
    const size_t tkhd = out->OpenFull("tkhd", wide ? 1 : 0, kTrackEnabled | kTrackInMovie | kTrackInPreview);
    Duration(out, 0, wide);
    Duration(out, 0, wide);
    out->U32(track.id);
    out->U32(0);
    Duration(out, movieDuration, wide);
    out->Zeros(8);
    out->U16(0);                                       // layer
    out->U16(0);                                       // alternate group
    out->U16(track.kind == Kind::Audio ? 0x0100 : 0);  // volume
    out->U16(0);
    out->UnityMatrix();
    out->U32(video ? video->width << 16 : 0);
    out->U32(video ? video->height << 16 : 0);
    out->Close(tkhd);
}

void AppendHandler(QtAtomBuffer* out, const char* componentType, const char* subtype, const char* name) {
    const size_t hdlr = out->OpenFull("hdlr", 0, 0);
    out->Type(componentType);
    out->Type(subtype);
    out->U32(0);  // manufacturer
    out->U32(0);  // flags
    out->U32(0);  // flags mask
    out->PascalString(name);
    out->Close(hdlr);
}

void AppendDataInformation(QtAtomBuffer* out) {
    const size_t dinf = out->Open("dinf");
    const size_t dref = out->OpenFull("dref", 0, 0);
    out->U32(1);
    const size_t alis = out->OpenFull("alis", 0, 1);  // flag 1: the data is in this file
    out->Close(alis);
    out->Close(dref);
    out->Close(dinf);
}

void AppendVideoEntry(QtAtomBuffer* out, const QtVideoTrack& video) {
    const char type[5] = {video.fourCC[0], video.fourCC[1], video.fourCC[2], video.fourCC[3], 0};
    const size_t entry = out->Open(type);
    out->Zeros(6);
    out->U16(1);      // data reference index
    out->U16(0);      // version
    out->U16(0);      // revision
    out->U32(0);      // vendor
    out->U32(0);      // temporal quality
    out->U32(0x200);  // spatial quality: normal
    out->U16(static_cast<uint16_t>(video.width));
    out->U16(static_cast<uint16_t>(video.height));
    out->U32(72 << 16);  // horizontal resolution, 72 dpi
    out->U32(72 << 16);  // vertical resolution
    out->U32(0);         // data size
    out->U16(1);         // frames per sample
    out->PascalField(type, 32);
    out->U16(video.depth);
    out->U16(0xFFFF);  // no colour table
    out->Close(entry);
}

void AppendAudioEntry(QtAtomBuffer* out, const QtAudioTrack& audio) {
    const size_t entry = out->Open(audio.bitsPerSample == 8 ? "raw " : "sowt");
    out->Zeros(6);
    out->U16(1);  // data reference index
    out->U16(0);  // version
    out->U16(0);  // revision
    out->U32(0);  // vendor
    out->U16(audio.channels);
    out->U16(audio.bitsPerSample);
    out->U16(0);  // compression id
    out->U16(0);  // packet size
    out->U32(audio.sampleRate << 16);
    out->Close(entry);
}

void AppendTimecodeEntry(QtAtomBuffer* out, const QtTimecodeFormat& timecode) {
    const size_t entry = out->Open("tmcd");
    out->Zeros(6);
    out->U16(1);  // data reference index
    out->U32(0);
    out->U32(0);  // flags: not drop-frame, no 24-hour wrap, no negative times
    out->U32(timecode.timeScale);
    out->U32(timecode.frameDuration);
    out->U8(timecode.framesPerSecond);
    out->U8(0);
    out->Close(entry);
}

// stts with one run of `count` samples of `delta` each.
void AppendTimeToSample(QtAtomBuffer* out, uint32_t count, uint32_t delta) {
    const size_t stts = out->OpenFull("stts", 0, 0);
    out->U32(count > 0 ? 1 : 0);
    if (count > 0) {
        out->U32(count);
        out->U32(delta);
    }
    out->Close(stts);
}

void AppendChunkTables(QtAtomBuffer* out, const QtTrackTables& tables) {
    // One stsc entry wherever the number of samples per chunk changes.
    const std::vector<uint32_t>& samples = tables.chunkSamples;
    uint32_t entries = 0;
    for (size_t i = 0; i < samples.size(); ++i) {
        if (i == 0 || samples[i] != samples[i - 1]) ++entries;
    }
    const size_t stsc = out->OpenFull("stsc", 0, 0);
    out->U32(entries);
    for (size_t i = 0; i < samples.size(); ++i) {
        if (i > 0 && samples[i] == samples[i - 1]) continue;
        out->U32(static_cast<uint32_t>(i + 1));  // first chunk
        out->U32(samples[i]);
        out->U32(1);  // sample description
    }
    out->Close(stsc);

    bool wide = false;
    for (uint64_t offset : tables.chunkOffsets) wide = wide || Needs64(offset);
    const size_t stco = out->OpenFull(wide ? "co64" : "stco", 0, 0);
    out->U32(static_cast<uint32_t>(tables.chunkOffsets.size()));
    for (uint64_t offset : tables.chunkOffsets) {
        if (wide) {
            out->U64(offset);
        } else {
            out->U32(static_cast<uint32_t>(offset));
        }
    }
    out->Close(stco);
}

void AppendSampleSizes(QtAtomBuffer* out, const QtTrackTables& tables, uint32_t constantSize) {
    const size_t stsz = out->OpenFull("stsz", 0, 0);
    out->U32(constantSize);
    out->U32(static_cast<uint32_t>(tables.sampleCount));
    if (constantSize == 0) {
        for (uint32_t size : tables.sampleSizes) out->U32(size);
    }
    out->Close(stsz);
}

void AppendMediaHeader(QtAtomBuffer* out, uint32_t timeScale, uint64_t duration) {
    const bool wide = Needs64(duration);
    const size_t mdhd = out->OpenFull("mdhd", wide ? 1 : 0, 0);
    Duration(out, 0, wide);
    Duration(out, 0, wide);
    out->U32(timeScale);
    Duration(out, duration, wide);
    out->U16(0);  // language
    out->U16(0);  // quality
    out->Close(mdhd);
}

void AppendVideoTrack(QtAtomBuffer* out, const TrackInfo& info, const QtVideoTrack& video,
                      const QtTrackTables& tables) {
    const size_t trak = out->Open("trak");
    AppendTrackHeader(out, info, ToMovieTime(info.mediaDuration, info.mediaTimeScale), &video);
    if (info.referencedTimecode != 0) {
        const size_t tref = out->Open("tref");
        const size_t tmcd = out->Open("tmcd");
        out->U32(info.referencedTimecode);
        out->Close(tmcd);
        out->Close(tref);
    }
    const size_t mdia = out->Open("mdia");
    AppendMediaHeader(out, info.mediaTimeScale, info.mediaDuration);
    AppendHandler(out, "mhlr", "vide", "Video");
    const size_t minf = out->Open("minf");
    const size_t vmhd = out->OpenFull("vmhd", 0, 1);
    out->U16(0x40);  // graphics mode: dither copy
    out->U16(0x8000);
    out->U16(0x8000);
    out->U16(0x8000);
    out->Close(vmhd);
    AppendHandler(out, "dhlr", "alis", "Data");
    AppendDataInformation(out);
    const size_t stbl = out->Open("stbl");
    const size_t stsd = out->OpenFull("stsd", 0, 0);
    out->U32(1);
    AppendVideoEntry(out, video);
    out->Close(stsd);
    AppendTimeToSample(out, static_cast<uint32_t>(tables.sampleCount), video.timing.frameDuration);
    if (tables.keyFrames.size() != tables.sampleCount) {
        const size_t stss = out->OpenFull("stss", 0, 0);
        out->U32(static_cast<uint32_t>(tables.keyFrames.size()));
        for (uint32_t number : tables.keyFrames) out->U32(number);
        out->Close(stss);
    }
    AppendChunkTables(out, tables);
    AppendSampleSizes(out, tables, 0);
    out->Close(stbl);
    out->Close(minf);
    out->Close(mdia);
    out->Close(trak);
}

void AppendAudioTrack(QtAtomBuffer* out, const TrackInfo& info, const QtAudioTrack& audio,
                      const QtTrackTables& tables) {
    const size_t trak = out->Open("trak");
    AppendTrackHeader(out, info, ToMovieTime(info.mediaDuration, info.mediaTimeScale), nullptr);
    const size_t mdia = out->Open("mdia");
    AppendMediaHeader(out, info.mediaTimeScale, info.mediaDuration);
    AppendHandler(out, "mhlr", "soun", "Sound");
    const size_t minf = out->Open("minf");
    const size_t smhd = out->OpenFull("smhd", 0, 0);
    out->U16(0);  // balance
    out->U16(0);
    out->Close(smhd);
    AppendHandler(out, "dhlr", "alis", "Data");
    AppendDataInformation(out);
    const size_t stbl = out->Open("stbl");
    const size_t stsd = out->OpenFull("stsd", 0, 0);
    out->U32(1);
    AppendAudioEntry(out, audio);
    out->Close(stsd);
    AppendTimeToSample(out, static_cast<uint32_t>(tables.sampleCount), 1);
    AppendChunkTables(out, tables);
    AppendSampleSizes(out, tables, uint32_t(audio.channels) * audio.bitsPerSample / 8);
    out->Close(stbl);
    out->Close(minf);
    out->Close(mdia);
    out->Close(trak);
}

void AppendTimecodeTrack(QtAtomBuffer* out, const TrackInfo& info, const QtTimecodeFormat& timecode,
                         uint64_t sampleOffset) {
    const size_t trak = out->Open("trak");
    AppendTrackHeader(out, info, ToMovieTime(info.mediaDuration, info.mediaTimeScale), nullptr);
    const size_t mdia = out->Open("mdia");
    AppendMediaHeader(out, info.mediaTimeScale, info.mediaDuration);
    AppendHandler(out, "mhlr", "tmcd", "Time Code");
    const size_t minf = out->Open("minf");
    const size_t gmhd = out->Open("gmhd");
    const size_t gmin = out->OpenFull("gmin", 0, 0);
    out->U16(0x40);  // graphics mode
    out->U16(0x8000);
    out->U16(0x8000);
    out->U16(0x8000);
    out->U16(0);  // balance
    out->U16(0);
    out->Close(gmin);
    const size_t tmcd = out->Open("tmcd");
    const size_t tcmi = out->OpenFull("tcmi", 0, 0);
    out->U16(0);   // font
    out->U16(0);   // face
    out->U16(12);  // size
    out->U16(0);
    out->Zeros(6);     // text colour: black
    out->U16(0xFFFF);  // background colour: white
    out->U16(0xFFFF);
    out->U16(0xFFFF);
    out->PascalString("");
    out->Close(tcmi);
    out->Close(tmcd);
    out->Close(gmhd);
    AppendHandler(out, "dhlr", "alis", "Data");
    AppendDataInformation(out);
    const size_t stbl = out->Open("stbl");
    const size_t stsd = out->OpenFull("stsd", 0, 0);
    out->U32(1);
    AppendTimecodeEntry(out, timecode);
    out->Close(stsd);
    // One sample spans the whole movie; a duration beyond 32 bits is cut to what one run can hold.
    const uint64_t span = info.mediaDuration > UINT32_MAX ? UINT32_MAX : info.mediaDuration;
    AppendTimeToSample(out, 1, static_cast<uint32_t>(span));
    QtTrackTables tables;
    tables.chunkOffsets.push_back(sampleOffset);
    tables.chunkSamples.push_back(1);
    tables.sampleCount = 1;
    AppendChunkTables(out, tables);
    AppendSampleSizes(out, tables, 4);
    out->Close(stbl);
    out->Close(minf);
    out->Close(mdia);
    out->Close(trak);
}

}  // namespace

void AppendMovieHeader(const QtMovieLayout& layout, QtAtomBuffer* out) {
    TrackInfo video{Kind::Video, 0, 0, 0, 0};
    TrackInfo audio{Kind::Audio, 0, 0, 0, 0};
    TrackInfo timecode{Kind::Timecode, 0, 0, 0, 0};
    uint32_t nextId = 1;
    double seconds = 0.0;
    if (layout.video) {
        video.id = nextId++;
        video.mediaTimeScale = layout.video->timing.timeScale;
        video.mediaDuration = layout.videoTables->sampleCount * layout.video->timing.frameDuration;
        seconds = double(video.mediaDuration) / video.mediaTimeScale;
    }
    if (layout.audio) {
        audio.id = nextId++;
        audio.mediaTimeScale = layout.audio->sampleRate;
        audio.mediaDuration = layout.audioTables->sampleCount;
        seconds = std::fmax(seconds, double(audio.mediaDuration) / audio.mediaTimeScale);
    }
    if (layout.timecode) {
        timecode.id = nextId++;
        timecode.mediaTimeScale = layout.timecode->timeScale;
        timecode.mediaDuration = static_cast<uint64_t>(std::llround(seconds * timecode.mediaTimeScale));
        // An empty movie still gets a timecode sample of one frame.
        if (timecode.mediaDuration == 0) timecode.mediaDuration = layout.timecode->frameDuration;
        video.referencedTimecode = timecode.id;
    }
    uint64_t movieDuration = 0;
    for (const TrackInfo* track : {&video, &audio}) {
        if (track->id == 0) continue;
        const uint64_t duration = ToMovieTime(track->mediaDuration, track->mediaTimeScale);
        if (duration > movieDuration) movieDuration = duration;
    }

    const size_t moov = out->Open("moov");
    AppendMovieHeaderAtom(out, movieDuration, nextId);
    if (layout.video) AppendVideoTrack(out, video, *layout.video, *layout.videoTables);
    if (layout.audio) AppendAudioTrack(out, audio, *layout.audio, *layout.audioTables);
    if (layout.timecode) AppendTimecodeTrack(out, timecode, *layout.timecode, layout.timecodeSampleOffset);
    out->Close(moov);
}

}  // namespace graph
}  // namespace krvx
