// The process-wide list of idle decoders: most recent first, eight at most, small frames keep nothing.
#include <gtest/gtest.h>

#include <vector>

#include "importer/CDecoderList.h"
#include <KRVXDecoder.h>

using namespace krvx;

namespace {

class CountingDecoder : public SampleDecoder {
public:
    void Destroy(uint32_t) override {}
    KRVX_Error PrepareDecode(int32_t, int32_t, uint32_t, int32_t, int32_t, const void*, uint32_t, int32_t*, int32_t*,
                             int32_t*) override {
        return 0;
    }
    KRVX_Error GetSampleInfo(const void*, uint32_t, KRVX_SampleInfo*) override { return 0; }
    KRVX_Error DecodeSample(const void*, uint32_t, void*, int32_t) override { return 0; }
    void ReleaseResources() override { ++released; }
    bool ConfigurationDiffers(int32_t, int32_t, uint32_t, int32_t) override { return false; }
    int released = 0;
};

class DecoderListTest : public ::testing::Test {
protected:
    void TearDown() override {
        for (CountingDecoder& decoder : m_decoders) m_list.RemoveAll(&decoder);
    }
    CDecoderList m_list;
    std::vector<CountingDecoder> m_decoders = std::vector<CountingDecoder>(10);
};

TEST_F(DecoderListTest, ANinthDecoderEvictsTheLeastRecentlyUsedOne) {
    for (int i = 0; i < 8; ++i) m_list.Touch(&m_decoders[i], 1920);
    EXPECT_EQ(m_list.Count(), 8u);
    EXPECT_EQ(m_list.Front(), &m_decoders[7]);
    m_list.Touch(&m_decoders[8], 1920);
    EXPECT_EQ(m_list.Count(), 8u);
    EXPECT_FALSE(m_list.Contains(&m_decoders[0]));
    EXPECT_EQ(m_decoders[0].released, 1);
    EXPECT_EQ(m_list.Front(), &m_decoders[8]);
    for (int i = 1; i < 9; ++i) EXPECT_EQ(m_decoders[i].released, 0) << i;
}

TEST_F(DecoderListTest, TouchingAMemberMovesItToTheFrontWithoutGrowing) {
    for (int i = 0; i < 8; ++i) m_list.Touch(&m_decoders[i], 1920);
    m_list.Touch(&m_decoders[0], 1920);
    EXPECT_EQ(m_list.Count(), 8u);
    EXPECT_EQ(m_list.Front(), &m_decoders[0]);
    // Now decoder 1 is the oldest and the next newcomer evicts it.
    m_list.Touch(&m_decoders[9], 1920);
    EXPECT_FALSE(m_list.Contains(&m_decoders[1]));
    EXPECT_TRUE(m_list.Contains(&m_decoders[0]));
}

TEST_F(DecoderListTest, SmallFramesReleaseTheDecoderAndLeaveItOut) {
    m_list.Touch(&m_decoders[0], 1920);
    m_list.Touch(&m_decoders[0], 99);
    EXPECT_EQ(m_decoders[0].released, 1);
    EXPECT_FALSE(m_list.Contains(&m_decoders[0]));
    EXPECT_EQ(m_list.Count(), 0u);
    m_list.Touch(&m_decoders[1], 100);
    EXPECT_TRUE(m_list.Contains(&m_decoders[1]));
}

TEST_F(DecoderListTest, RemoveTakesOneDecoderOutAndReportsWhetherItWasThere) {
    m_list.Touch(&m_decoders[0], 1920);
    m_list.Touch(&m_decoders[1], 1920);
    EXPECT_TRUE(m_list.Remove(&m_decoders[0]));
    EXPECT_FALSE(m_list.Remove(&m_decoders[0]));
    EXPECT_EQ(m_list.Count(), 1u);
    EXPECT_EQ(m_decoders[0].released, 0);
}

}  // namespace
