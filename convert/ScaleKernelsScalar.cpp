// The reference row routines of the scaling passes, reading the 16-bit coefficient tables directly.
#include <cstring>

#include "convert/ColourConstants.h"
#include "convert/ScaleJob.h"

namespace krvx {

namespace {

inline int32_t Clamp(int32_t value, int32_t low, int32_t high) {
    return value < low ? low : (value > high ? high : value);
}

template <typename T>
inline T* RowAt(T* base, int32_t row, int32_t pitch) {
    return reinterpret_cast<T*>(reinterpret_cast<uintptr_t>(base) + static_cast<intptr_t>(row) * pitch);
}

// Calls visit(position, taps, tapCount) for every position of a table; taps are (index, weight) pairs.
template <typename Visit>
void ForEachPosition(const uint16_t* e, Visit visit) {
    while (static_cast<int16_t>(*e) != -1) {
        const int32_t position = *e++;
        const uint16_t* taps = e;
        while (*e != kTableEnd) e += 2;
        visit(position, taps, static_cast<int32_t>(e - taps) / 2);
        ++e;
    }
}

// Sum over the taps of one position of sample(j) x weight.
template <typename Sample>
inline int32_t FilterSum(const uint16_t* taps, int32_t count, Sample sample) {
    int32_t sum = 0;
    for (int32_t i = 0; i < count; ++i) sum += sample(taps[2 * i]) * static_cast<int16_t>(taps[2 * i + 1]);
    return sum;
}

// Destination-row taps of the vertical pass.
inline const uint16_t* VerticalTaps(const ScaleJob& job, int32_t row, int32_t* count) {
    const uint16_t* e = job.verticalTable + job.verticalOffsets[row] + 1;
    const uint16_t* taps = e;
    while (*e != kTableEnd) e += 2;
    *count = static_cast<int32_t>(e - taps) / 2;
    return taps;
}

// Vertical sums for every sample of an intermediate row, as 32-bit values before the shift.
template <typename Sample>
void VerticalSums(const ScaleJob& job, int32_t row, int32_t samples, int32_t* sums) {
    int32_t count = 0;
    const uint16_t* taps = VerticalTaps(job, row, &count);
    for (int32_t c = 0; c < samples; ++c) {
        sums[c] = FilterSum(taps, count, [&](int32_t j) {
            return static_cast<int32_t>(
                RowAt(reinterpret_cast<const Sample*>(job.intermediate), j, job.intermediatePitch)[c]);
        });
    }
}

void YuyvHorizontal(const ScaleJob& job, int32_t r, uint8_t* scratch) {
    const uint8_t* row = RowAt(job.source, r, job.sourcePitch);
    if (job.highDefinition && job.destinationHeight <= 576) {
        for (int32_t p = 0; p < job.sourceWidth / 2; ++p) {
            const uint8_t* in = row + 4 * p;
            uint8_t* out = scratch + 4 * p;
            const int32_t m = (25 * in[1] + 49 * in[3]) >> 8;
            out[0] = static_cast<uint8_t>(Clamp(in[0] + m - 37, 0, 255));
            out[1] = static_cast<uint8_t>(Clamp(in[1] - ((28 * in[3]) >> 8) + 14, 0, 255));
            out[2] = static_cast<uint8_t>(Clamp(in[2] + m - 37, 0, 255));
            out[3] = in[3];
        }
        if (job.sourceWidth & 1)
            std::memcpy(scratch + 4 * (job.sourceWidth / 2), row + 4 * (job.sourceWidth / 2), 2);
        row = scratch;
    }
    uint8_t* out = RowAt(job.intermediate, job.sourceHeight - 1 - r, job.intermediatePitch);
    ForEachPosition(job.horizontalTable, [&](int32_t x, const uint16_t* taps, int32_t n) {
        out[4 * x + 2] = static_cast<uint8_t>(
            Clamp(FilterSum(taps, n, [&](int32_t j) { return row[2 * j]; }) >> 8, 0, 255));
        out[4 * x + 3] = 255;
    });
    ForEachPosition(job.chromaTable, [&](int32_t x, const uint16_t* taps, int32_t n) {
        out[4 * x + 1] = static_cast<uint8_t>(
            Clamp(FilterSum(taps, n, [&](int32_t j) { return row[4 * j + 1]; }) >> 8, 0, 255));
        out[4 * x + 0] = static_cast<uint8_t>(
            Clamp(FilterSum(taps, n, [&](int32_t j) { return row[4 * j + 3]; }) >> 8, 0, 255));
    });
}

// Vertical pass over 8-bit samples: sums shifted right by 8 and clamped; alpha (every fourth byte)
// written as 255 unless it is filtered.
void Vertical8(const ScaleJob& job, int32_t y, uint8_t* out, bool filterAlpha) {
    int32_t count = 0;
    const uint16_t* taps = VerticalTaps(job, y, &count);
    const int32_t samples = job.destinationWidth * 4;
    for (int32_t c = 0; c < samples; ++c) {
        if ((c & 3) == 3 && !filterAlpha) {
            out[c] = 255;
            continue;
        }
        const int32_t sum = FilterSum(taps, count, [&](int32_t j) {
            return static_cast<int32_t>(RowAt(job.intermediate, j, job.intermediatePitch)[c]);
        });
        out[c] = static_cast<uint8_t>(Clamp(sum >> 8, 0, 255));
    }
}

void Yu64Horizontal(const ScaleJob& job, int32_t r) {
    const uint16_t* row = RowAt(reinterpret_cast<const uint16_t*>(job.source), r, job.sourcePitch);
    uint16_t* out = RowAt(reinterpret_cast<uint16_t*>(job.intermediate), r, job.intermediatePitch);
    ForEachPosition(job.horizontalTable, [&](int32_t x, const uint16_t* taps, int32_t n) {
        out[3 * x] = static_cast<uint16_t>(
            Clamp(FilterSum(taps, n, [&](int32_t j) { return row[2 * j]; }) >> 8, 0, 65535));
    });
    ForEachPosition(job.chromaTable, [&](int32_t x, const uint16_t* taps, int32_t n) {
        out[3 * x + 1] = static_cast<uint16_t>(
            Clamp(FilterSum(taps, n, [&](int32_t j) { return row[4 * j + 3]; }) >> 8, 0, 65535));
        out[3 * x + 2] = static_cast<uint16_t>(
            Clamp(FilterSum(taps, n, [&](int32_t j) { return row[4 * j + 1]; }) >> 8, 0, 65535));
    });
}

void Yu64Vertical(const ScaleJob& job, int32_t y, int32_t* sums) {
    VerticalSums<uint16_t>(job, y, job.destinationWidth * 3, sums);
    float* out =
        RowAt(reinterpret_cast<float*>(job.destination), job.destinationHeight - 1 - y, job.destinationPitch);
    for (int32_t x = 0; x < job.destinationWidth; ++x, out += 4) {
        float luma = Clamp(sums[3 * x] >> 8, 0, 65535) * kWordScale;
        float cb = Clamp(sums[3 * x + 1] >> 8, 0, 65535) * kWordScale - 0.5f;
        float cr = Clamp(sums[3 * x + 2] >> 8, 0, 65535) * kWordScale - 0.5f;
        if (job.rematrix) Rematrix709To601(luma, cb, cr);
        out[0] = cr * kChromaRange;
        out[1] = cb * kChromaRange;
        out[2] = (luma - kLumaFloor) * kLumaRange;
        out[3] = 1.0f;
    }
}

void Rgb13Horizontal(const ScaleJob& job, int32_t r) {
    const int16_t* row = RowAt(reinterpret_cast<const int16_t*>(job.source), r, job.sourcePitch);
    int16_t* out = RowAt(reinterpret_cast<int16_t*>(job.intermediate), r, job.intermediatePitch);
    const int32_t planeSize = job.destinationWidth;
    const int32_t spp = job.samplesPerPixel;
    ForEachPosition(job.horizontalTable, [&](int32_t x, const uint16_t* taps, int32_t n) {
        for (int32_t c = 0; c < 3; ++c) {
            const int32_t sum = FilterSum(taps, n, [&](int32_t j) { return row[j * spp + c]; });
            out[c * planeSize + x] = static_cast<int16_t>(Clamp(sum >> 8, 0, 32767));
        }
    });
}

void Rgb13Vertical(const ScaleJob& job, int32_t y, int32_t* sums) {
    const int32_t width = job.destinationWidth;
    VerticalSums<int16_t>(job, y, width * 3, sums);
    float* out = RowAt(reinterpret_cast<float*>(job.destination), y, job.destinationPitch);
    for (int32_t x = 0; x < width; ++x, out += 4) {
        const float r = (sums[x] >> 8) * k13BitScale;
        const float g = (sums[width + x] >> 8) * k13BitScale;
        const float b = (sums[2 * width + x] >> 8) * k13BitScale;
        switch (job.kind) {
            case kScaleRgb13BgraVertical:
                out[0] = b, out[1] = g, out[2] = r, out[3] = 1.0f;
                break;
            case kScaleRgb13ArgbVertical:
                out[0] = 1.0f, out[1] = r, out[2] = g, out[3] = b;
                break;
            default:
                RgbFloatToVuya(r, g, b, out);
                out[3] = 1.0f;
                break;
        }
    }
}

void Rgba16Horizontal(const ScaleJob& job, int32_t r) {
    const uint16_t* row = RowAt(reinterpret_cast<const uint16_t*>(job.source), r, job.sourcePitch);
    uint16_t* out = RowAt(reinterpret_cast<uint16_t*>(job.intermediate), r, job.intermediatePitch);
    ForEachPosition(job.horizontalTable, [&](int32_t x, const uint16_t* taps, int32_t n) {
        for (int32_t c = 0; c < 4; ++c) {
            const int32_t sum = FilterSum(taps, n, [&](int32_t j) { return row[4 * j + c]; });
            out[4 * x + c] = static_cast<uint16_t>(Clamp(sum >> 8, 0, 65535));
        }
    });
}

// Written in the same form as the same-size conversion: s3, s2, s1, s0, each halved.
void Rgba16Vertical(const ScaleJob& job, int32_t y, int32_t* sums) {
    VerticalSums<uint16_t>(job, y, job.destinationWidth * 4, sums);
    uint16_t* out = RowAt(reinterpret_cast<uint16_t*>(job.destination), y, job.destinationPitch);
    for (int32_t x = 0; x < job.destinationWidth; ++x, out += 4) {
        for (int32_t c = 0; c < 4; ++c)
            out[c] = static_cast<uint16_t>(Clamp(sums[4 * x + 3 - c] >> 8, 0, 65535) >> 1);
    }
}

void Bgra8Horizontal(const ScaleJob& job, int32_t r) {
    const uint8_t* row = RowAt(job.source, r, job.sourcePitch);
    uint8_t* out = RowAt(job.intermediate, r, job.intermediatePitch);
    const int32_t channels = job.alpha ? 4 : 3;
    ForEachPosition(job.horizontalTable, [&](int32_t x, const uint16_t* taps, int32_t n) {
        for (int32_t c = 0; c < channels; ++c) {
            const int32_t sum = FilterSum(taps, n, [&](int32_t j) { return row[4 * j + c]; });
            out[4 * x + c] = static_cast<uint8_t>(Clamp(sum >> 8, 0, 255));
        }
        if (!job.alpha) out[4 * x + 3] = 255;
    });
}

uint8_t* WorkerScratch(const ScaleJob& job, uint32_t worker) {
    return job.scratch + static_cast<size_t>(worker) * job.scratchPerWorker;
}

}  // namespace

int32_t IntermediateBytesPerPixel(int32_t horizontalKind) {
    switch (horizontalKind) {
        case kScaleYuyvHorizontal:
            return 4;
        case kScaleRgba16Horizontal:
            return 8;
        case kScaleBgra8Horizontal:
            return 4;
        case kScaleYu64Horizontal:
        case kScaleRgb13BgraHorizontal:
        case kScaleRgb13ArgbHorizontal:
        case kScaleRgb13VuyaHorizontal:
            return 6;
        default:
            return 4;
    }
}

uint32_t ScaleScratchBytes(const ScaleJob& job) {
    // Room for planar 32-bit rows of the wider side in every sample, plus the dense spans.
    const int32_t wide = job.sourceWidth > job.destinationWidth ? job.sourceWidth : job.destinationWidth;
    const uint64_t bytes = static_cast<uint64_t>(wide + 256) * 4 * 4 * 2 + 4096;
    return static_cast<uint32_t>((bytes + 63) & ~uint64_t{63});
}

void RunScaleItem(const ScaleJob& job, int32_t item, uint32_t worker) {
    uint8_t* scratch = WorkerScratch(job, worker);
    if (job.vector && detail::VectorScaleRow(job, job.kind, item, scratch)) return;
    int32_t* sums = reinterpret_cast<int32_t*>(scratch);
    switch (job.kind) {
        case kScaleYuyvHorizontal:
            YuyvHorizontal(job, item, scratch);
            break;
        case kScaleYuyvVertical:
            Vertical8(job, item, RowAt(job.destination, item, job.destinationPitch), false);
            break;
        case kScaleYu64Horizontal:
            Yu64Horizontal(job, item);
            break;
        case kScaleYu64Vertical:
            Yu64Vertical(job, item, sums);
            break;
        case kScaleRgb13BgraHorizontal:
        case kScaleRgb13ArgbHorizontal:
        case kScaleRgb13VuyaHorizontal:
            Rgb13Horizontal(job, item);
            break;
        case kScaleRgb13BgraVertical:
        case kScaleRgb13ArgbVertical:
        case kScaleRgb13VuyaVertical:
            Rgb13Vertical(job, item, sums);
            break;
        case kScaleRgba16Horizontal:
            Rgba16Horizontal(job, item);
            break;
        case kScaleRgba16Vertical:
            Rgba16Vertical(job, item, sums);
            break;
        default:
            break;
    }
}

void ScaleBgra8HorizontalRow(const ScaleJob& job, int32_t row, uint32_t worker) {
    if (job.vector && detail::VectorBgra8Row(job, true, row, WorkerScratch(job, worker))) return;
    Bgra8Horizontal(job, row);
}

void ScaleBgra8VerticalRow(const ScaleJob& job, int32_t row, uint32_t worker) {
    if (job.vector && detail::VectorBgra8Row(job, false, row, WorkerScratch(job, worker))) return;
    Vertical8(job, row, RowAt(job.destination, row, job.destinationPitch), job.alpha);
}

}  // namespace krvx
