// The pin and media-type enumerators, and the media-type record helpers.
#include <gtest/gtest.h>

#include "TestFilters.h"
#include "dshow/ComPointer.h"
#include "platform/com.h"

namespace krvx {
namespace dshow {
namespace test {
namespace {

TEST(DShowEnumPins, BatchesSkipResetAndClone) {
    TestSource* source = new TestSource();
    IEnumPins* pins = nullptr;
    ASSERT_EQ(source->EnumPins(&pins), kOk);
    const int before = g_filtersDestroyed;
    source->Release();  // the enumerator keeps the filter alive

    IPin* got[3] = {};
    uint32_t fetched = 9;
    EXPECT_EQ(pins->Next(3, got, &fetched), kFalse);
    ASSERT_EQ(fetched, 2u);
    EXPECT_EQ(got[0], static_cast<IPin*>(source->GetPin(0)));
    EXPECT_EQ(got[1], static_cast<IPin*>(source->GetPin(1)));
    got[0]->Release();
    got[1]->Release();
    EXPECT_EQ(pins->Next(1, got, &fetched), kFalse);
    EXPECT_EQ(fetched, 0u);
    EXPECT_EQ(pins->Next(2, got, nullptr), kPointer);

    ASSERT_EQ(pins->Reset(), kOk);
    ASSERT_EQ(pins->Skip(1), kOk);
    IEnumPins* copy = nullptr;
    ASSERT_EQ(pins->Clone(&copy), kOk);
    EXPECT_EQ(pins->Skip(2), kFalse);  // past the end; the clone keeps its own place
    ASSERT_EQ(copy->Next(1, got, nullptr), kOk);
    EXPECT_EQ(got[0], static_cast<IPin*>(source->GetPin(1)));
    got[0]->Release();

    EXPECT_EQ(pins->Release(), 0u);
    EXPECT_EQ(g_filtersDestroyed, before);
    EXPECT_EQ(copy->Release(), 0u);
    EXPECT_EQ(g_filtersDestroyed, before + 1);
}

TEST(DShowEnumMediaTypes, BatchesSkipResetAndClone) {
    TestSource* source = new TestSource();
    IEnumMediaTypes* types = nullptr;
    ASSERT_EQ(source->Out().EnumMediaTypes(&types), kOk);

    MediaType* got[2] = {};
    uint32_t fetched = 0;
    ASSERT_EQ(types->Next(2, got, &fetched), kOk);
    ASSERT_EQ(fetched, 2u);
    EXPECT_TRUE(got[0]->majorType == kMediaTypeVideo);
    ASSERT_EQ(got[0]->formatSize, sizeof(VideoInfoHeader));
    EXPECT_EQ(reinterpret_cast<VideoInfoHeader*>(got[0]->format)->bitmap.width, kVideoWidth);
    EXPECT_TRUE(got[1]->majorType == kMediaTypeAudio);
    DeleteMediaType(got[0]);
    DeleteMediaType(got[1]);
    ASSERT_EQ(types->Next(2, got, &fetched), kFalse);
    ASSERT_EQ(fetched, 1u);
    EXPECT_TRUE(got[0]->majorType == kMediaTypeStream);
    DeleteMediaType(got[0]);
    EXPECT_EQ(types->Next(1, got, &fetched), kFalse);
    EXPECT_EQ(fetched, 0u);

    ASSERT_EQ(types->Reset(), kOk);
    ASSERT_EQ(types->Skip(1), kOk);
    IEnumMediaTypes* copy = nullptr;
    ASSERT_EQ(types->Clone(&copy), kOk);
    EXPECT_EQ(types->Skip(3), kFalse);
    ASSERT_EQ(copy->Next(1, got, nullptr), kOk);
    EXPECT_TRUE(got[0]->majorType == kMediaTypeAudio);
    DeleteMediaType(got[0]);

    // The enumerators hold the pin's filter.
    types->Release();
    copy->Release();
    EXPECT_EQ(source->Release(), 0u);
}

TEST(DShowMediaTypes, TypePositionsFollowTheConvention) {
    const ComPointer<TestSource> source(new TestSource());
    MediaType type{};
    EXPECT_EQ(source->Out().GetMediaType(-1, &type), kInvalidArg);
    EXPECT_EQ(source->Out().GetMediaType(3, &type), kNoMoreItems);
    EXPECT_EQ(source->Out().GetMediaType(0, &type), kOk);
    FreeMediaType(type);
}

// An IUnknown that counts, to see copies AddRef and frees Release.
class Counted final : public IUnknown {
public:
    int references = 1;
    HResult KRVX_COM_CALL QueryInterface(const Guid&, void** object) override {
        *object = nullptr;
        return kNoInterface;
    }
    uint32_t KRVX_COM_CALL AddRef() override { return static_cast<uint32_t>(++references); }
    uint32_t KRVX_COM_CALL Release() override { return static_cast<uint32_t>(--references); }
};

TEST(DShowMediaTypes, CopiesOwnTheirFormatAndReference) {
    Counted counted;
    MediaType original{};
    FillVideoType(original);
    original.unknown = &counted;
    counted.AddRef();

    MediaType copy{};
    ASSERT_EQ(CopyMediaType(&copy, &original), kOk);
    EXPECT_NE(copy.format, original.format);
    ASSERT_EQ(copy.formatSize, original.formatSize);
    EXPECT_EQ(std::memcmp(copy.format, original.format, copy.formatSize), 0);
    EXPECT_TRUE(copy.subtype == original.subtype);
    EXPECT_EQ(counted.references, 3);

    MediaType* created = CreateMediaType(&copy);
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(counted.references, 4);
    DeleteMediaType(created);
    FreeMediaType(copy);
    EXPECT_EQ(copy.format, nullptr);
    EXPECT_EQ(copy.formatSize, 0u);
    EXPECT_EQ(copy.unknown, nullptr);
    FreeMediaType(original);
    EXPECT_EQ(counted.references, 1);
    EXPECT_EQ(CopyMediaType(&copy, nullptr), kPointer);
    EXPECT_EQ(CreateMediaType(nullptr), nullptr);
}

TEST(DShowMediaTypes, AllocateFormatGivesAZeroedReplacement) {
    MediaType type{};
    FillAudioType(type);
    uint8_t* block = AllocateFormat(type, 40);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(type.format, block);
    EXPECT_EQ(type.formatSize, 40u);
    for (uint32_t i = 0; i < type.formatSize; ++i) EXPECT_EQ(block[i], 0) << i;
    EXPECT_EQ(AllocateFormat(type, 0), nullptr);
    EXPECT_EQ(type.format, nullptr);
    EXPECT_EQ(type.formatSize, 0u);
    FreeMediaType(type);
}

}  // namespace
}  // namespace test
}  // namespace dshow
}  // namespace krvx
