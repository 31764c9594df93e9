// A trimmed copy of a whole 1080p clip of more than 1 GiB through the plug-in module (imTrimFile8 as
// the host asks for it, progress callback included), side by side in one run with copying the same
// file by `cp` (from the page cache, and with the clip dropped from it) and by a plain 1 MiB
// read/write loop. Each copy is one timed iteration; the cases take turns in random order
// (--benchmark_enable_random_interleaving, on by default here), and the summary after the table
// gives the medians' MB/s and the trim's share of cp's speed.
// The clip is KRVX_TRIM_BENCH_CLIP when set, else trim-1080p.avi in the build's bench folder, written
// on first use; copies are written beside it and removed after each round.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "avi/FileIO.h"
#include "bench/trim/BenchClip.h"
#include "host/HostRecords.h"
#include "host/Selectors.h"
#include "tools/krvx-host/ClipQueries.h"
#include "tools/krvx-host/Session.h"

namespace {

using Clock = std::chrono::steady_clock;

struct BenchFiles {
    std::string clip;
    std::string folder;
    krvx::bench::BenchClipInfo info;
};

BenchFiles& Files() {
    static BenchFiles files;
    return files;
}

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

uint64_t FileBytes(const std::string& path) {
    std::error_code error;
    const uint64_t bytes = std::filesystem::file_size(path, error);
    return error ? 0 : bytes;
}

void Remove(const std::string& path) {
    std::error_code error;
    std::filesystem::remove(path, error);
}

// Totals over a benchmark's iterations, turned into its counters at the end.
struct CopyTotals {
    double bytes = 0.0;
    double seconds = 0.0;
    double progressCalls = 0.0;

    void Add(benchmark::State& state, uint64_t written, double elapsed) {
        state.SetIterationTime(elapsed);
        bytes += static_cast<double>(written);
        seconds += elapsed;
    }
    void Report(benchmark::State& state, bool withProgress) const {
        if (seconds <= 0.0) return;
        state.counters["MB/s"] = bytes / 1e6 / seconds;
        state.counters["MB"] = bytes / 1e6 / static_cast<double>(state.iterations());
        if (withProgress) state.counters["calls/s"] = progressCalls / seconds;
    }
};

// The plug-in reads video unbuffered, from the disk whatever the page cache holds; cp reads the cache.
// Dropping the clip's pages from the cache first (dd's "nocache" with no blocks) makes cp read the
// disk as well. Only this file's clean pages are dropped.
void EvictClip() {
    const std::string command = "dd if='" + Files().clip + "' iflag=nocache count=0 status=none";
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "trim_bench: the clip stays in the cache\n");
}

void CopyByCp(benchmark::State& state, bool uncached) {
    const std::string to = Files().folder + "/trim-bench-cp.avi";
    const std::string command = "cp '" + Files().clip + "' '" + to + "'";
    CopyTotals totals;
    for (auto _ : state) {
        Remove(to);
        if (uncached) EvictClip();
        const Clock::time_point start = Clock::now();
        const int status = std::system(command.c_str());
        const double elapsed = SecondsSince(start);
        if (status != 0) {
            state.SkipWithError("cp failed");
            break;
        }
        totals.Add(state, FileBytes(to), elapsed);
        Remove(to);
    }
    totals.Report(state, false);
}

void CopyWithCp(benchmark::State& state) {
    CopyByCp(state, false);
}

void CopyWithCpUncached(benchmark::State& state) {
    CopyByCp(state, true);
}

// The floor for any copy through user memory: 1 MiB reads and writes, no container at all.
bool CopyBlocks(const std::string& from, const std::string& to, std::vector<uint8_t>& buffer) {
    krvx::FileIO in, out;
    if (in.Open(from.c_str()) != krvx::kFileOk || out.Create(to.c_str(), 1) != krvx::kFileOk) return false;
    for (;;) {
        uint64_t got = 0;
        in.Read(buffer.data(), buffer.size(), &got);
        if (got == 0) return true;
        if (out.Write(buffer.data(), got) != krvx::kFileOk) return false;
    }
}

void CopyReadWrite(benchmark::State& state) {
    const std::string to = Files().folder + "/trim-bench-rw.avi";
    std::vector<uint8_t> buffer(1 << 20);
    CopyTotals totals;
    for (auto _ : state) {
        Remove(to);
        const Clock::time_point start = Clock::now();
        const bool copied = CopyBlocks(Files().clip, to, buffer);
        const double elapsed = SecondsSince(start);
        if (!copied) {
            state.SkipWithError("the read/write copy failed");
            break;
        }
        totals.Add(state, FileBytes(to), elapsed);
        Remove(to);
    }
    totals.Report(state, false);
}

int32_t CountProgress(int32_t /*done*/, int32_t /*total*/, void* context) {
    ++*static_cast<int64_t*>(context);
    return 1;
}

krvx::sim::Session* StartedSession() {
    static krvx::sim::Session session(krvx::sim::SessionOptions{});
    static const bool started = session.Start();
    return started ? &session : nullptr;
}

// The whole clip, video and audio, as `krvx-host trim` asks for it; opening the clip is not timed.
void TrimWholeClip(benchmark::State& state) {
    krvx::sim::Session* session = StartedSession();
    if (!session) {
        state.SkipWithError("the plug-in module does not load");
        return;
    }
    krvx::sim::OpenClip clip(*session, Files().clip);
    if (clip.Open() != 0 || !clip.Info().hasAudio || clip.Info().ticksPerFrame <= 0) {
        state.SkipWithError("the clip does not open with audio");
        return;
    }
    const std::string to = Files().folder + "/trim-bench-trim.avi";
    const std::u16string destination = krvx::sim::ToUtf16(to);
    const int32_t ticks = clip.Info().ticksPerFrame;
    CopyTotals totals;
    for (auto _ : state) {
        Remove(to);
        int64_t calls = 0;
        krvx::TrimFileRecord record{};
        record.privateData = clip.Handle();
        record.trimIn = 0;
        record.duration = static_cast<int32_t>(clip.Info().durationTicks / ticks * ticks);
        record.keepAudio = 1;
        record.keepVideo = 1;
        record.destinationPath = destination.c_str();
        record.progress = CountProgress;
        record.progressContext = &calls;
        record.ticksPerFrame = ticks;
        const Clock::time_point start = Clock::now();
        const int32_t result = session->Call(krvx::imTrimFile8, nullptr, &record);
        const double elapsed = SecondsSince(start);
        if (result != 0 || calls != record.duration / ticks) {
            state.SkipWithError("imTrimFile8 failed or stopped early");
            break;
        }
        totals.Add(state, FileBytes(to), elapsed);
        totals.progressCalls += static_cast<double>(calls);
        Remove(to);
    }
    totals.Report(state, true);
}

BENCHMARK(CopyWithCp)->Name("Copy/cp")->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(CopyWithCpUncached)
    ->Name("Copy/cp_uncached")
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(CopyReadWrite)
    ->Name("Copy/read_write_1MiB")
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(TrimWholeClip)
    ->Name("Trim/whole_clip")
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// The console table (without colours, for logs), keeping each case's median counters for the summary.
class MedianKeeper : public benchmark::ConsoleReporter {
public:
    MedianKeeper() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                m_medians[run.run_name.function_name] = run.counters;
        }
    }
    double Median(const std::string& name, const std::string& counter) const {
        const auto found = m_medians.find(name);
        if (found == m_medians.end()) return 0.0;
        const auto value = found->second.find(counter);
        return value == found->second.end() ? 0.0 : value->second.value;
    }

private:
    std::map<std::string, benchmark::UserCounters> m_medians;
};

void PrintSummary(const MedianKeeper& medians) {
    const double cp = medians.Median("Copy/cp", "MB/s");
    const double cpUncached = medians.Median("Copy/cp_uncached", "MB/s");
    const double readWrite = medians.Median("Copy/read_write_1MiB", "MB/s");
    const double trim = medians.Median("Trim/whole_clip", "MB/s");
    if (cp <= 0.0 || trim <= 0.0) {
        std::printf("no medians to compare (run with --benchmark_repetitions of 2 or more)\n");
        return;
    }
    std::printf(
        "medians: cp %.0f MB/s (clip not cached: %.0f), 1 MiB read/write %.0f MB/s, trim %.0f MB/s "
        "with %.0f progress calls/s\n",
        cp, cpUncached, readWrite, trim, medians.Median("Trim/whole_clip", "calls/s"));
    std::printf(
        "trim / cp: %.2f (goal: at least 0.50); trim / cp with the clip not cached: %.2f; "
        "trim / read-write: %.2f\n",
        trim / cp, cpUncached > 0.0 ? trim / cpUncached : 0.0, readWrite > 0.0 ? trim / readWrite : 0.0);
}

std::string DefaultClip() {
    if (const char* path = std::getenv("KRVX_TRIM_BENCH_CLIP")) return path;
    return std::string(KRVX_BENCH_DATA_DIR) + "/trim-1080p.avi";
}

}  // namespace

int main(int argc, char** argv) {
    // Defaults of this benchmark, before the caller's flags so that those win.
    std::vector<char*> arguments{argv[0]};
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    std::string repetitions = "--benchmark_repetitions=5";
    arguments.push_back(&interleave[0]);
    arguments.push_back(&repetitions[0]);
    for (int i = 1; i < argc; ++i) arguments.push_back(argv[i]);
    int count = static_cast<int>(arguments.size());
    benchmark::Initialize(&count, arguments.data());
    if (benchmark::ReportUnrecognizedArguments(count, arguments.data())) return 1;

    BenchFiles& files = Files();
    files.clip = DefaultClip();
    files.folder = std::filesystem::path(files.clip).parent_path().string();
    if (files.folder.empty()) files.folder = ".";
    std::filesystem::create_directories(files.folder);
    std::string error;
    const Clock::time_point start = Clock::now();
    if (!krvx::bench::MakeBenchClip(files.clip, krvx::bench::kBenchClipBytes, &files.info, &error)) {
        std::fprintf(stderr, "trim_bench: %s\n", error.c_str());
        return 1;
    }
    std::printf(
        "clip %s: %.0f MB, %u frames of 1920 x 1080 at 25 fps, key frame every %u, 48 kHz stereo "
        "16-bit (ready in %.1f s)\n",
        files.clip.c_str(), static_cast<double>(files.info.bytes) / 1e6, files.info.frames,
        files.info.keyFrameInterval, SecondsSince(start));
    benchmark::AddCustomContext("clip_bytes", std::to_string(files.info.bytes));
    benchmark::AddCustomContext("clip_frames", std::to_string(files.info.frames));

    MedianKeeper reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintSummary(reporter);
    benchmark::Shutdown();
    return 0;
}
