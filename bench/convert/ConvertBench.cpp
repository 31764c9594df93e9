// 1920 x 1080 conversions and scales: ours, libswscale's closest equivalent (single context, default
// threading) and memcpy of the bytes our conversion writes, each as its own benchmark in one run.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

extern "C" {
#include <libavutil/pixfmt.h>
#include <libswscale/swscale.h>
}

#include "convert/CpuDispatch.h"
#include "convert/OutputConversions.h"

namespace {

using namespace krvx;

constexpr int32_t kW = 1920, kH = 1080;

class MallocAllocator : public IScratchAllocator {
public:
    void* Alloc(uint32_t size) override { return std::malloc(size); }
    void Free(void* block) override { std::free(block); }
};

struct Buffer {
    explicit Buffer(size_t size) : bytes(size + 64) {
        std::mt19937 random(7);
        for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
    }
    uint8_t* data() { return bytes.data() + (64 - reinterpret_cast<uintptr_t>(bytes.data()) % 64) % 64; }
    std::vector<uint8_t> bytes;
};

int32_t Pitch(int32_t width, int32_t bytesPerPixel) {
    return (width * bytesPerPixel + 15) & ~15;
}

// Decoded formats and their bytes per pixel; 13-bit samples are kept within 0..8191.
struct Source {
    DecodedLayout format;
    int32_t bytesPerPixel;
};

Buffer MakeSource(const Source& source) {
    Buffer buffer(static_cast<size_t>(Pitch(kW, source.bytesPerPixel)) * kH);
    if (source.format == DecodedLayout::Rgb13 || source.format == DecodedLayout::Rgba13) {
        int16_t* samples = reinterpret_cast<int16_t*>(buffer.data());
        for (size_t i = 0; i < buffer.bytes.size() / 2 - 32; ++i) samples[i] &= 0x1FFF;
    }
    return buffer;
}

int32_t HostBytesPerPixel(HostLayout format) {
    switch (format) {
        case HostLayout::BgraFloat:
        case HostLayout::ArgbFloat:
        case HostLayout::VuyaFloat:
            return 16;
        case HostLayout::Bgra16:
            return 8;
        case HostLayout::Yuyv8:
            return 2;
        default:
            return 4;
    }
}

void Ours(benchmark::State& state, Source source, HostLayout host, int32_t dw, int32_t dh) {
    SetKernelLevel(state.range(0) ? SupportedKernelLevel() : KernelLevel::Scalar);
    Buffer src = MakeSource(source);
    const int32_t dstPitch = dw * HostBytesPerPixel(host);
    Buffer dst(static_cast<size_t>(dstPitch) * dh);
    MallocAllocator allocator;
    const DecodedFrameView view{src.data(),    Pitch(kW, source.bytesPerPixel),   kW, kH,
                                source.format, DecoderRowsBottomUp(source.format)};
    for (auto _ : state) {
        if (ConvertOutputFrame(view, kW, kH, {dst.data(), dstPitch, dw, dh, host}, &allocator, true) != 0)
            state.SkipWithError("conversion failed");
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(dstPitch) * dh);
    SetKernelLevel(SupportedKernelLevel());
}

void Swscale(benchmark::State& state, AVPixelFormat in, AVPixelFormat out, int32_t dw, int32_t dh,
             int flags) {
    SwsContext* context = sws_getContext(kW, kH, in, dw, dh, out, flags, nullptr, nullptr, nullptr);
    if (!context) {
        state.SkipWithError("libswscale has no such conversion");
        return;
    }
    // Up to four planes, each large enough for 16 bytes per pixel.
    std::vector<Buffer> inPlanes, outPlanes;
    uint8_t* inData[4];
    uint8_t* outData[4];
    int inStride[4], outStride[4];
    for (int i = 0; i < 4; ++i) {
        inPlanes.emplace_back(static_cast<size_t>(kW) * 16 * kH);
        outPlanes.emplace_back(static_cast<size_t>(dw) * 16 * dh);
        inData[i] = inPlanes.back().data();
        outData[i] = outPlanes.back().data();
        inStride[i] = kW * 16;
        outStride[i] = dw * 16;
    }
    // Packed inputs: a tight stride of the format's size.
    const int inBytes = in == AV_PIX_FMT_YUYV422    ? 2
                        : in == AV_PIX_FMT_Y210LE   ? 4
                        : in == AV_PIX_FMT_RGB48LE  ? 6
                        : in == AV_PIX_FMT_RGBA64LE ? 8
                                                    : 4;
    inStride[0] = kW * inBytes;
    for (auto _ : state) {
        sws_scale(context, inData, inStride, 0, kH, outData, outStride);
        benchmark::ClobberMemory();
    }
    sws_freeContext(context);
}

void Memcpy(benchmark::State& state, int64_t bytes) {
    Buffer src(bytes), dst(bytes);
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), bytes);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}

const Source kBgra{DecodedLayout::Bgra8, 4}, kYuyv{DecodedLayout::Yuyv8, 2},
    kYu64{DecodedLayout::Yu64, 4}, kWp13{DecodedLayout::Rgb13, 6}, kW13a{DecodedLayout::Rgba13, 8},
    kB64a{DecodedLayout::Rgba16, 8};

struct Case {
    const char* name;
    Source source;
    HostLayout host;
    AVPixelFormat swsIn, swsOut;
};

const Case kSameSize[] = {
    {"RowCopy_BGRA", kBgra, HostLayout::Bgra8, AV_PIX_FMT_BGRA, AV_PIX_FMT_BGRA},
    {"YUYV_to_BGRA8", kYuyv, HostLayout::Bgra8, AV_PIX_FMT_YUYV422, AV_PIX_FMT_BGRA},
    {"YUYV_to_VUYA8_HD", kYuyv, HostLayout::Vuya8, AV_PIX_FMT_YUYV422, AV_PIX_FMT_YUVA444P},
    {"BGRA_to_VUYA8", kBgra, HostLayout::Vuya8, AV_PIX_FMT_BGRA, AV_PIX_FMT_YUVA444P},
    {"BGRA_to_ARGB8", kBgra, HostLayout::Argb8, AV_PIX_FMT_BGRA, AV_PIX_FMT_ARGB},
    {"YU64_to_VUYA32f", kYu64, HostLayout::VuyaFloat, AV_PIX_FMT_Y210LE, AV_PIX_FMT_GBRAPF32LE},
    {"WP13_to_BGRA32f", kWp13, HostLayout::BgraFloat, AV_PIX_FMT_RGB48LE, AV_PIX_FMT_GBRAPF32LE},
    {"WP13_to_ARGB32f", kWp13, HostLayout::ArgbFloat, AV_PIX_FMT_RGB48LE, AV_PIX_FMT_GBRAPF32LE},
    {"WP13_to_VUYA32f", kWp13, HostLayout::VuyaFloat, AV_PIX_FMT_RGB48LE, AV_PIX_FMT_GBRAPF32LE},
    {"W13A_to_ARGB8", kW13a, HostLayout::Argb8, AV_PIX_FMT_RGBA64LE, AV_PIX_FMT_ARGB},
    {"B64A_to_BGRA16", kB64a, HostLayout::Bgra16, AV_PIX_FMT_RGBA64LE, AV_PIX_FMT_BGRA64LE},
};

const Case kScaled[] = {
    {"Lanczos_BGRA8", kBgra, HostLayout::Bgra8, AV_PIX_FMT_BGRA, AV_PIX_FMT_BGRA},
    {"Lanczos_VUYA8", kYuyv, HostLayout::Vuya8, AV_PIX_FMT_YUYV422, AV_PIX_FMT_YUVA444P},
    {"Lanczos_BGRA32f", kWp13, HostLayout::BgraFloat, AV_PIX_FMT_RGB48LE, AV_PIX_FMT_GBRAPF32LE},
};

void Register() {
    for (const Case& c : kSameSize) {
        const std::string base = std::string("1080p/") + c.name;
        benchmark::RegisterBenchmark((base + "/ours").c_str(), Ours, c.source, c.host, kW, kH)
            ->Arg(1)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->MeasureProcessCPUTime();
        benchmark::RegisterBenchmark((base + "/ours_scalar").c_str(), Ours, c.source, c.host, kW, kH)
            ->Arg(0)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->MeasureProcessCPUTime();
        benchmark::RegisterBenchmark((base + "/swscale").c_str(), Swscale, c.swsIn, c.swsOut, kW, kH,
                                     SWS_POINT)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->MeasureProcessCPUTime();
        benchmark::RegisterBenchmark((base + "/memcpy").c_str(), Memcpy,
                                     static_cast<int64_t>(kW) * HostBytesPerPixel(c.host) * kH)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->MeasureProcessCPUTime();
    }
    for (const Case& c : kScaled) {
        for (auto size : {std::pair<int32_t, int32_t>{960, 540}, {480, 270}}) {
            const std::string base = std::string("1080p_to_") + std::to_string(size.first) + "x" +
                                     std::to_string(size.second) + "/" + c.name;
            benchmark::RegisterBenchmark((base + "/ours").c_str(), Ours, c.source, c.host, size.first,
                                         size.second)
                ->Arg(1)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime()
                ->MeasureProcessCPUTime();
            benchmark::RegisterBenchmark((base + "/ours_scalar").c_str(), Ours, c.source, c.host, size.first,
                                         size.second)
                ->Arg(0)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime()
                ->MeasureProcessCPUTime();
            benchmark::RegisterBenchmark((base + "/swscale").c_str(), Swscale, c.swsIn, c.swsOut, size.first,
                                         size.second, SWS_LANCZOS)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime()
                ->MeasureProcessCPUTime();
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    Register();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
