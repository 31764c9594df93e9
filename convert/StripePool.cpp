#include "convert/StripePool.h"

#include "convert/RowKernels.h"
#include "platform/system.h"

namespace krvx {

namespace {

struct StripeContext {
    StripeJob job;
    const RowKernels* kernels;
};

void ConvertRow(const StripeContext& context, int32_t row) {
    const StripeJob& job = context.job;
    const RowKernels& k = *context.kernels;
    const uint8_t* src = job.source + static_cast<intptr_t>(job.height - 1 - row) * job.sourcePitch;
    uint8_t* dst = job.destination + static_cast<intptr_t>(row) * job.destinationPitch;
    const int16_t* src13 = reinterpret_cast<const int16_t*>(src);
    // The 13-bit kinds carry their samples per pixel (3, or 4 with alpha) in the first argument.
    const int32_t samples = static_cast<int32_t>(job.argument[0]);
    switch (job.kind) {
        case kStripeYu64ToVuyaFloat:
            k.yu64ToVuyaFloat(reinterpret_cast<const uint16_t*>(src), reinterpret_cast<float*>(dst),
                              job.width, job.argument[0] != 0, job.argument[1] != 0);
            break;
        case kStripeYuyvToVuya8:
            k.yuyvToVuya(src, dst, job.width, job.argument[0] != 0);
            break;
        case kStripeYuyvToBgra8:
            k.yuyvToBgra(src, dst, job.width);
            break;
        case kStripeBgraToVuya8:
            k.bgraToVuya(src, dst, job.width);
            break;
        case kStripeRgb13ToBgraFloat:
            k.rgb13ToBgraFloat(src13, samples, reinterpret_cast<float*>(dst), job.width);
            break;
        case kStripeRgb13ToVuyaFloat:
            k.rgb13ToVuyaFloat(src13, samples, reinterpret_cast<float*>(dst), job.width);
            break;
        case kStripeRgb13ToArgbFloat:
            k.rgb13ToArgbFloat(src13, samples, reinterpret_cast<float*>(dst), job.width);
            break;
        case kStripeRgb13ToArgb8:
            k.rgb13ToArgb8(src13, samples, dst, job.width);
            break;
        case kStripeRgba16ToBgra16:
            k.rgba16ToBgra16(reinterpret_cast<const uint16_t*>(src), reinterpret_cast<uint16_t*>(dst),
                             job.width);
            break;
        default:
            break;
    }
}

void RunStripeItem(void* context, int32_t item, uint32_t) {
    const StripeContext& stripe = *static_cast<const StripeContext*>(context);
    const StripeJob& job = stripe.job;
    if (IsRowStripeKind(job.kind)) {
        ConvertRow(stripe, item);
        return;
    }
    const int32_t first = item * job.bandHeight;
    const int32_t end = first + job.bandHeight < job.height ? first + job.bandHeight : job.height;
    for (int32_t row = first; row < end; ++row) ConvertRow(stripe, row);
}

}  // namespace

bool IsRowStripeKind(int32_t kind) {
    return kind == kStripeYu64ToVuyaFloat || kind == kStripeYuyvToVuya8;
}

CWorkerPool& StripePool() {
    // Built exactly once, also when two threads start their first conversion together.
    static CWorkerPool* const pool = new CWorkerPool(CapThreadCount(platform::ProcessorCount()));
    return *pool;
}

void RunStripeJob(const StripeJob& job) {
    CWorkerPool& pool = StripePool();
    platform::ScopedLock jobLock(pool.JobLock());
    static StripeContext context;  // the one descriptor of the process, written under the job lock
    context.job = job;
    context.kernels = &ActiveRowKernels();
    const bool rows = IsRowStripeKind(job.kind);
    context.job.bandHeight = rows ? 0 : kStripeBandRows;
    const int32_t height = job.height > 0 ? job.height : 0;
    const int32_t items = rows ? height : (height + kStripeBandRows - 1) / kStripeBandRows;
    pool.Run(items, &RunStripeItem, &context);
}

}  // namespace krvx
