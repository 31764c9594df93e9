#include "convert/LanczosFilter.h"

#include <climits>
#include <cmath>
#include <cstring>

namespace krvx {

namespace {

double Lanczos3(double t) {
    if (t == 0.0) return 1.0;
    const double pt = 3.1415926535 * t;
    const double pt3 = 1.0471975511666667 * t;
    return (std::sin(pt) / pt) * (std::sin(pt3) / pt3);
}

double Frac(double x) {
    return x - std::floor(x);
}

struct RealTap {
    int32_t index;
    double weight;
};

}  // namespace

int32_t ComputeLanczosTaps(int32_t sourceLength, int32_t destinationLength, int32_t position,
                           LanczosTap* taps) {
    if (sourceLength < 1 || destinationLength < 1) return 0;
    RealTap kept[kMaxLanczosTaps];
    int32_t count = 0;
    double sum = 0.0;
    int32_t decimation = 1;
    const double ctr = position;
    const double a = ctr - 3.0;
    const double x1 = ctr + 3.0;
    auto keep = [&](int32_t j, double w) {
        if (count < kMaxLanczosTaps) {
            kept[count++] = RealTap{j, w};
            sum += w;
        }
    };
    if (destinationLength >= sourceLength) {
        const float s = static_cast<float>(sourceLength) / static_cast<float>(destinationLength);
        const double x0 = a - Frac(s * a);
        for (double x = x0; x < x1; x += 1.0) {
            const double t = x - ctr;
            if (t < -3.0 || t > 3.0) continue;
            const int32_t j = static_cast<int32_t>(std::floor(t + s * ctr + 0.5));
            if (j >= 0 && j < sourceLength) keep(j, Lanczos3(t));
        }
    } else {
        int32_t reduced = sourceLength;
        while (reduced / destinationLength > 4) {
            decimation *= 2;
            reduced /= 2;
        }
        const float step = static_cast<float>(destinationLength) / static_cast<float>(reduced);
        const float s = static_cast<float>(reduced) / static_cast<float>(destinationLength);
        const double x0 = a - Frac(s * a) * step;
        for (double x = x0; x < x1; x += step) {
            const double t = x - ctr;
            if (t < -3.0 || t > 3.0) continue;
            const int32_t j = static_cast<int32_t>(std::floor(x * s + 0.5));
            if (j >= 0 && j < reduced) keep(j, Lanczos3(t));
        }
    }

    int32_t out = 0;
    int32_t total = 0;
    for (int32_t i = 0; i < count; ++i) {
        const double q = kept[i].weight * 256.0 / sum;
        const int32_t w = q > 0.5 ? static_cast<int32_t>(q + 0.5) : static_cast<int32_t>(q - 0.5);
        if (w == 0) continue;
        taps[out++] = LanczosTap{kept[i].index, w};
        total += w;
    }
    if (out > 0 && total != 256) {
        int32_t largest = 0;
        for (int32_t i = 1; i < out; ++i) {
            if (taps[i].weight > taps[largest].weight) largest = i;
        }
        taps[largest].weight += 256 - total;
    }
    for (int32_t i = 0; i < out; ++i) taps[i].index *= decimation;
    return out;
}

uint32_t CoefficientTableBytes(const int32_t* counts, int32_t positions) {
    uint64_t entries = 1;
    for (int32_t p = 0; p < positions; ++p) entries += 2 + 2 * static_cast<uint64_t>(counts[p]);
    const uint64_t bytes = entries * 2;
    return bytes > kCoefficientTableMinBytes ? static_cast<uint32_t>(bytes) : kCoefficientTableMinBytes;
}

uint32_t WriteCoefficientTable(const LanczosTap* taps, const int32_t* counts, int32_t positions,
                               uint16_t* table, uint32_t capacityBytes) {
    const uint32_t capacity = capacityBytes / 2;
    uint32_t n = 0;
    for (int32_t p = 0; p < positions; ++p) {
        if (n + 2 + 2 * static_cast<uint32_t>(counts[p]) + 1 > capacity) return 0;
        table[n++] = static_cast<uint16_t>(p);
        const LanczosTap* list = taps + static_cast<size_t>(p) * kMaxLanczosTaps;
        for (int32_t i = 0; i < counts[p]; ++i) {
            table[n++] = static_cast<uint16_t>(list[i].index);
            table[n++] = static_cast<uint16_t>(list[i].weight);
        }
        table[n++] = kTableEnd;
    }
    table[n++] = kTableEnd;
    return n;
}

int32_t TableReach(const uint16_t* table) {
    int32_t reach = 1;
    for (const uint16_t* e = table; static_cast<int16_t>(*e) != -1;) {
        ++e;
        int32_t low = INT32_MAX, high = -1;
        for (; *e != kTableEnd; e += 2) {
            low = e[0] < low ? e[0] : low;
            high = e[0] > high ? e[0] : high;
        }
        ++e;
        if (high >= low && high - low + 1 > reach) reach = high - low + 1;
    }
    return reach;
}

namespace {
int32_t SpanFor(int32_t reach) {
    return (reach + 7) & ~7;
}
}  // namespace

uint32_t DenseTapsBytes(int32_t positions, int32_t reach) {
    const uint64_t bytes = static_cast<uint64_t>(positions) * (4 + 2 * static_cast<uint64_t>(SpanFor(reach)));
    return static_cast<uint32_t>(bytes);
}

namespace {

// The run of positions around the middle that repeat the middle position's weights `stride` samples
// on; false when it is shorter than eight positions.
bool TryStridedRun(DenseTaps* dense, int32_t stride) {
    const int32_t middle = dense->positions / 2;
    const int32_t offset = dense->first[middle] - stride * middle;
    const size_t rowBytes = static_cast<size_t>(dense->span) * sizeof(int16_t);
    const int16_t* weights = dense->weights + static_cast<size_t>(middle) * dense->span;
    auto same = [&](int32_t p) {
        return dense->first[p] == stride * p + offset &&
               std::memcmp(dense->weights + static_cast<size_t>(p) * dense->span, weights, rowBytes) == 0;
    };
    int32_t from = middle, to = middle + 1;
    while (from > 0 && same(from - 1)) --from;
    while (to < dense->positions && same(to)) ++to;
    to = from + ((to - from) & ~7);
    if (to - from < 8) return false;
    dense->runFrom = from;
    dense->runTo = to;
    dense->runOffset = offset;
    dense->runStride = stride;
    return true;
}

void FindStridedRun(DenseTaps* dense) {
    dense->runFrom = dense->runTo = dense->runOffset = dense->runStride = 0;
    // The vector kernels hold the weights of a run in registers: spans of up to 32 taps.
    if (dense->positions < 16 || dense->span > 32) return;
    if (!TryStridedRun(dense, 2)) TryStridedRun(dense, 4);
}

}  // namespace

void BuildDenseTaps(const uint16_t* table, int32_t sourceLength, int32_t reach, void* memory,
                    DenseTaps* dense) {
    int32_t positions = 0;
    for (const uint16_t* e = table; static_cast<int16_t>(*e) != -1; ++positions) {
        for (++e; *e != kTableEnd; e += 2) {
        }
        ++e;
    }
    const int32_t span = SpanFor(reach);
    dense->positions = positions;
    dense->span = span;
    dense->reach = reach;
    dense->first = static_cast<int32_t*>(memory);
    dense->weights = reinterpret_cast<int16_t*>(dense->first + positions);
    dense->usable = span <= sourceLength;
    dense->identity = positions == sourceLength;
    {
        int32_t p = 0;
        for (const uint16_t* e = table; dense->identity && static_cast<int16_t>(*e) != -1; ++p) {
            dense->identity = e[1] == p && e[2] == 256 && e[3] == kTableEnd;
            while (*++e != kTableEnd) ++e;
            ++e;
        }
    }
    std::memset(dense->weights, 0, static_cast<size_t>(positions) * span * sizeof(int16_t));
    if (!dense->usable) return;
    int32_t p = 0;
    for (const uint16_t* e = table; static_cast<int16_t>(*e) != -1; ++p) {
        ++e;
        int32_t low = sourceLength;
        for (const uint16_t* t = e; *t != kTableEnd; t += 2) low = t[0] < low ? t[0] : low;
        const int32_t first = low + span > sourceLength ? sourceLength - span : low;
        dense->first[p] = first;
        int16_t* weights = dense->weights + static_cast<size_t>(p) * span;
        for (; *e != kTableEnd; e += 2) weights[e[0] - first] += static_cast<int16_t>(e[1]);
        ++e;
    }
    FindStridedRun(dense);
}

}  // namespace krvx
