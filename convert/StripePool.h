// The process-wide pool of stripe workers that runs the full-frame pixel conversions. One job runs at a
// time in the process; the caller blocks until every band or row of it is converted.
#pragma once
#include <cstdint>

#include "convert/WorkerPool.h"

namespace krvx {

enum StripeKind : int32_t {
    kStripeYu64ToVuyaFloat = 18,   // row items; args: high definition, interpolate
    kStripeYuyvToVuya8 = 19,       // row items; arg: high definition
    kStripeYuyvToBgra8 = 20,       // bands
    kStripeRgb13ToBgraFloat = 21,  // bands; arg: samples per pixel (3 or 4)
    kStripeRgb13ToVuyaFloat = 22,  // bands; arg: samples per pixel (3 or 4)
    kStripeRgb13ToArgbFloat = 23,  // bands; arg: samples per pixel (3 or 4)
    kStripeBgraToVuya8 = 24,       // bands
    kStripeRgb13ToArgb8 = 25,      // bands; arg: samples per pixel (3 or 4)
    kStripeRgba16ToBgra16 = 26,    // bands
};

constexpr int32_t kStripeBandRows = 16;

// The shared job descriptor. Destination row y is made from source row height - 1 - y.
struct StripeJob {
    const uint8_t* source = nullptr;
    uint8_t* destination = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t sourcePitch = 0;
    int32_t destinationPitch = 0;
    uint32_t argument[2] = {0, 0};
    int32_t bandHeight = 0;
    int32_t kind = 0;
};

// The pool, created on first use (one worker per processor, at most 32) and never torn down.
CWorkerPool& StripePool();

// True for the kinds whose work item is one row; the others work on bands of 16 rows.
bool IsRowStripeKind(int32_t kind);

// Runs one job on the pool under its job lock. A kind outside the table converts nothing.
void RunStripeJob(const StripeJob& job);

}  // namespace krvx
