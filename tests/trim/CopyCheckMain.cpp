// Checks a copy another build wrote (the Windows module under Wine) against its source, as the trim
// tests check their own copies:
//   trim_copy_check SOURCE COPY FIRST FRAMES VIDEO(0|1) AUDIO(0|1)
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "tests/trim/CopyCheck.h"

namespace {

krvx::testing_support::TrimmedCopy g_copy;

TEST(CopyMadeElsewhere, ReadsBackAsTheSourceAndAgreesWithTheProber) {
    krvx::testing_support::ExpectCopyOfSource(g_copy);
    krvx::testing_support::ExpectProbeAgrees(g_copy);
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc != 7) {
        std::fprintf(stderr, "usage: trim_copy_check SOURCE COPY FIRST FRAMES VIDEO(0|1) AUDIO(0|1)\n");
        return 2;
    }
    g_copy.source = argv[1];
    g_copy.copy = argv[2];
    g_copy.first = static_cast<uint32_t>(std::strtoul(argv[3], nullptr, 10));
    g_copy.frames = static_cast<uint32_t>(std::strtoul(argv[4], nullptr, 10));
    g_copy.video = argv[5][0] == '1';
    g_copy.audio = argv[6][0] == '1';
    return RUN_ALL_TESTS();
}
