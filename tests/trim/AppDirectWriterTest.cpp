// The writer's graph: which filters it adds under which names, how their pins are connected, and
// where the copy goes for each destination.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "dshow/BaseFilter.h"
#include "dshow/ComPointer.h"
#include "dshow/Interfaces.h"
#include "tests/support/TempClip.h"
#include "trim/CAppDirectWriter.h"
#include "trim/OutputPath.h"

using namespace krvx;
using namespace krvx::dshow;
using namespace krvx::testing_support;

namespace {

std::u16string Wide(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

std::string Narrow(const OleChar* text) {
    std::string out;
    for (; text && *text; ++text) out.push_back(static_cast<char>(*text));
    return out;
}

// The name the filter owning `pin` was added under.
std::string OwnerName(IPin* pin) {
    PinInfo info{};
    if (!pin || Failed(pin->QueryPinInfo(&info))) return std::string();
    const ComPointer<IBaseFilter> owner(info.filter);
    FilterInfo filterInfo{};
    if (!owner || Failed(owner->QueryFilterInfo(&filterInfo))) return std::string();
    const ComPointer<IFilterGraph> graph(filterInfo.graph);
    return Narrow(filterInfo.name);
}

ComPointer<IBaseFilter> FindFilter(IGraphBuilder* graph, const char* name) {
    ComPointer<IBaseFilter> filter;
    if (graph) graph->FindFilterByName(Wide(name).c_str(), filter.Receive());
    return filter;
}

// For each pin of the named filter in the given direction: the name of the filter it is connected to,
// or "" when it is not connected.
std::vector<std::string> PeersOf(IGraphBuilder* graph, const char* filterName, PinDirection direction) {
    std::vector<std::string> peers;
    const ComPointer<IBaseFilter> filter = FindFilter(graph, filterName);
    ComPointer<IEnumPins> pins;
    if (!filter || Failed(filter->EnumPins(pins.Receive())) || !pins) return peers;
    for (;;) {
        ComPointer<IPin> pin;
        uint32_t fetched = 0;
        if (pins->Next(1, pin.Receive(), &fetched) != kOk || fetched != 1) return peers;
        PinDirection actual;
        pin->QueryDirection(&actual);
        if (actual != direction) continue;
        ComPointer<IPin> peer;
        peers.push_back(Succeeded(pin->ConnectedTo(peer.Receive())) && peer ? OwnerName(peer.Get())
                                                                            : std::string());
    }
}

bool HasFilter(IGraphBuilder* graph, const char* name) {
    return static_cast<bool>(FindFilter(graph, name));
}

const uint8_t kSample[64] = {1, 2, 3, 4, 5, 6, 7, 8};

// A filter that takes the QuickTime multiplexer's timecode calls and keeps what it is handed.
class TimecodeRecorder final : public CBaseFilter, public IQtMuxTimecode {
public:
    TimecodeRecorder() : CBaseFilter(kRecorderClass, &m_lock) {}

    HResult KRVX_COM_CALL QueryInterface(const Guid& iid, void** object) override {
        return CBaseFilter::QueryInterface(iid, object);
    }
    uint32_t KRVX_COM_CALL AddRef() override { return CBaseFilter::AddRef(); }
    uint32_t KRVX_COM_CALL Release() override { return CBaseFilter::Release(); }
    HResult KRVX_COM_CALL SetStartTimecode(uint32_t packedStart, uint32_t reservedArgument) override {
        packed = packedStart;
        reserved = reservedArgument;
        return kOk;
    }
    HResult KRVX_COM_CALL SetTimecodeRate(uint32_t rateTimes1000) override {
        rate = rateTimes1000;
        return kOk;
    }
    int GetPinCount() override { return 0; }
    CBasePin* GetPin(int) override { return nullptr; }

    uint32_t packed = 0xFFFFFFFFu;
    uint32_t reserved = 0xFFFFFFFFu;
    uint32_t rate = 0;

private:
    static constexpr Guid kRecorderClass = {0x7C0DEC0D, 0x1111, 0x2222, {3, 3, 4, 4, 5, 5, 6, 6}};

    ~TimecodeRecorder() override = default;
    HResult QueryOtherInterface(const Guid& iid, void** object) override {
        if (iid != kIidQtMuxTimecode) return CBaseFilter::QueryOtherInterface(iid, object);
        *object = static_cast<IQtMuxTimecode*>(this);
        AddRef();
        return kOk;
    }

    platform::CriticalSection m_lock;
};

TEST(OutputPathTest, TheExtensionDecidesTheContainerAndOthersGetAviAppended) {
    int32_t container = 0;
    EXPECT_EQ(OutputPathFor("C:\\out\\clip", &container), "C:\\out\\clip.avi");
    EXPECT_EQ(container, kContainerAVI);
    EXPECT_EQ(OutputPathFor("clip.MOV", &container), "clip.MOV");
    EXPECT_EQ(container, kContainerQuickTime);
    EXPECT_EQ(OutputPathFor("clip.mxf", &container), "clip.mxf.avi");
    EXPECT_EQ(container, kContainerAVI);
    EXPECT_EQ(OutputPathFor("D:\\takes\\clip.Avi", &container), "D:\\takes\\clip.Avi");
    // A dot in a folder's name is not an extension.
    EXPECT_EQ(OutputPathFor("/media/day.2/clip", &container), "/media/day.2/clip.avi");
    EXPECT_EQ(OutputPathFor("C:\\v1.0\\take", &container), "C:\\v1.0\\take.avi");
}

class AppDirectWriterTest : public ::testing::Test {
protected:
    TempFolder m_folder;
};

TEST_F(AppDirectWriterTest, VideoOnlyGoesToTheMultiplexersFirstInputAndOnToTheFileWriter) {
    const std::string path = m_folder.File("video");
    {
        CAppDirectWriter writer;
        ASSERT_EQ(writer.Init(path.c_str(), 40), kOk);
        EXPECT_EQ(writer.Container(), kContainerAVI);
        EXPECT_EQ(Narrow(writer.OutputPath()), path + ".avi");
        EXPECT_EQ(writer.InterleaveHint(), 40);
        ASSERT_EQ(writer.StartVideo(64, 36, 1001, 30000), kOk);
        EXPECT_TRUE(HasFilter(writer.Graph(), "App-Direct Video"));
        EXPECT_FALSE(HasFilter(writer.Graph(), "App-Direct Audio"));
        EXPECT_FALSE(writer.Running());
        ASSERT_EQ(writer.WriteVideo(kSample, sizeof(kSample), true), kOk);
        EXPECT_TRUE(writer.Running());
        const std::vector<std::string> muxInputs = PeersOf(writer.Graph(), "AVI Mux", PinDirection::Input);
        ASSERT_FALSE(muxInputs.empty());
        EXPECT_EQ(muxInputs[0], "App-Direct Video");
        for (size_t i = 1; i < muxInputs.size(); ++i) EXPECT_EQ(muxInputs[i], "") << "input " << i;
        EXPECT_EQ(PeersOf(writer.Graph(), "AVI Mux", PinDirection::Output),
                  std::vector<std::string>{"File Writer"});
        EXPECT_EQ(writer.Finish(), kOk);
        EXPECT_EQ(writer.Graph(), nullptr);
        EXPECT_FALSE(writer.Running());
    }
    const std::string bytes = ReadFile(path + ".avi");
    ASSERT_GE(bytes.size(), 12u);
    EXPECT_EQ(bytes.substr(0, 4), "RIFF");
    EXPECT_EQ(bytes.substr(8, 4), "AVI ");
}

TEST_F(AppDirectWriterTest, VideoAndAudioTakeTheFirstAndSecondInputs) {
    CAppDirectWriter writer;
    ASSERT_EQ(writer.Init(m_folder.File("both.avi").c_str(), 33), kOk);
    ASSERT_EQ(writer.StartVideo(64, 36, 1, 25), kOk);
    ASSERT_EQ(writer.StartAudio(48000, 2, 16), kOk);
    EXPECT_TRUE(HasFilter(writer.Graph(), "App-Direct Audio"));
    ASSERT_EQ(writer.WriteVideo(kSample, sizeof(kSample), true), kOk);
    const uint8_t audio[7680] = {};
    ASSERT_EQ(writer.WriteAudio(sizeof(audio), audio), kOk);
    const std::vector<std::string> muxInputs = PeersOf(writer.Graph(), "AVI Mux", PinDirection::Input);
    ASSERT_GE(muxInputs.size(), 2u);
    EXPECT_EQ(muxInputs[0], "App-Direct Video");
    EXPECT_EQ(muxInputs[1], "App-Direct Audio");
    EXPECT_EQ(writer.Finish(), kOk);
}

TEST_F(AppDirectWriterTest, WritesAreRefusedBeforeAStartAndWhenLargerThanAPinBuffer) {
    CAppDirectWriter writer;
    // No graph and no filter yet.
    EXPECT_EQ(writer.WriteVideo(kSample, sizeof(kSample), true), kFail);
    ASSERT_EQ(writer.Init(m_folder.File("limits.avi").c_str(), 40), kOk);
    ASSERT_EQ(writer.StartVideo(16, 8, 1, 25), kOk);
    // Audio was never started: there is no audio filter to write to.
    EXPECT_EQ(writer.WriteAudio(4, kSample), kInvalidArg);
    // One 16 x 8 picture at 32 bits is 512 bytes: a sample must fit in it.
    std::vector<uint8_t> large(513, 7);
    EXPECT_EQ(writer.WriteVideo(large.data(), 512, true), kOk);
    EXPECT_EQ(writer.WriteVideo(large.data(), 513, false), kFail);
    EXPECT_EQ(writer.Finish(), kOk);
    // Once finished the graph is gone: nothing more can be written.
    EXPECT_EQ(writer.WriteVideo(kSample, sizeof(kSample), true), kFail);
}

TEST_F(AppDirectWriterTest, StartsRefuseFormatsTheirPinsCannotDescribe) {
    const std::string path = m_folder.File("refused.avi");
    {
        CAppDirectWriter writer;
        ASSERT_EQ(writer.Init(path.c_str(), 40), kOk);
        // A frame of 10 seconds lasts 10,000,000,000 time units: more than the filter's 32 bits hold.
        EXPECT_EQ(writer.StartVideo(64, 36, 10, 1), kInvalidArg);
        EXPECT_FALSE(HasFilter(writer.Graph(), "App-Direct Video"));
        // Block alignment past 16 bits, and one second of audio past a signed 32-bit buffer.
        EXPECT_EQ(writer.StartAudio(48000, 65535, 16), kInvalidArg);
        EXPECT_EQ(writer.StartAudio(48000, 30000, 16), kInvalidArg);
        EXPECT_EQ(writer.StartAudio(0x7FFFFFFF, 2, 16), kInvalidArg);
        EXPECT_EQ(writer.StartAudio(0, 2, 16), kInvalidArg);
        EXPECT_FALSE(HasFilter(writer.Graph(), "App-Direct Audio"));
        // What the writer can describe still starts.
        EXPECT_EQ(writer.StartVideo(64, 36, 1, 25), kOk);
        EXPECT_EQ(writer.StartAudio(48000, 2, 16), kOk);
        EXPECT_EQ(writer.Finish(), kOk);
    }
    // Nothing was written, so no file was made.
    std::error_code error;
    EXPECT_FALSE(std::filesystem::exists(path, error));
}

TEST_F(AppDirectWriterTest, FinishHandsTheQuickTimeMultiplexerTheStartTimecodeAndItsRate) {
    CAppDirectWriter writer;
    ASSERT_EQ(writer.Init(m_folder.File("timed.mov").c_str(), 40), kOk);
    ASSERT_EQ(writer.StartVideo(64, 36, 1, 25), kOk);
    const ComPointer<TimecodeRecorder> recorder(new TimecodeRecorder());
    ASSERT_TRUE(Succeeded(writer.Graph()->AddFilter(recorder.Get(), u"QT Mux")));
    EXPECT_EQ(writer.Finish(), kOk);
    EXPECT_EQ(recorder->packed, 0u) << "00:00:00:00";
    EXPECT_EQ(recorder->reserved, 0u);
    EXPECT_EQ(recorder->rate, 24000u) << "24 frames per second";
}

TEST_F(AppDirectWriterTest, QuickTimeGoesThroughItsOwnMultiplexer) {
    CAppDirectWriter writer;
    ASSERT_EQ(writer.Init(m_folder.File("movie.mov").c_str(), 40), kOk);
    EXPECT_EQ(writer.Container(), kContainerQuickTime);
    ASSERT_EQ(writer.StartVideo(64, 36, 1, 25), kOk);
#ifdef _WIN32
    // The system has no QuickTime multiplexer: the graph cannot be built.
    EXPECT_TRUE(Failed(writer.WriteVideo(kSample, sizeof(kSample), true)));
#else
    ASSERT_EQ(writer.WriteVideo(kSample, sizeof(kSample), true), kOk);
    EXPECT_TRUE(HasFilter(writer.Graph(), "QT Mux"));
    EXPECT_FALSE(HasFilter(writer.Graph(), "File Writer"));
    EXPECT_FALSE(HasFilter(writer.Graph(), "AVI Mux"));
    EXPECT_EQ(PeersOf(writer.Graph(), "QT Mux", PinDirection::Input).at(0), "App-Direct Video");
    EXPECT_EQ(writer.Finish(), kOk);
    EXPECT_EQ(ReadFile(m_folder.File("movie.mov")).substr(4, 4), "ftyp");
#endif
}

}  // namespace
