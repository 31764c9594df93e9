// krvx-encode: makes KRVX AVI clips from built-in test patterns or numbered PNG files.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tools/clip-writer/ClipWriter.h"
#include "tools/krvx-encode/PngInput.h"

namespace {

using krvx::encode::ClipOptions;

constexpr int kExitUsage = 2;

const char kHelp[] =
    "Usage: krvx-encode -o OUT [options]\n"
    "Writes an AVI clip with KRVX video and PCM audio.\n"
    "\n"
    "  -o OUT                output file (required)\n"
    "  --size WxH            frame size (default 1920x1080, or the first input picture's)\n"
    "  --rate NUM/DEN        frame rate (default 25/1)\n"
    "  --frames N            number of frames (default 50)\n"
    "  --gop K               a key frame every K frames, 1 = all key frames (default 10)\n"
    "  --format yuv|rgb|rgba encoded format (default yuv)\n"
    "  --field progressive|upper|lower|unknown  field value 1, 2, 3 or 0 (default progressive)\n"
    "  --pattern bars|gradient|zoneplate|box   test pattern (default bars)\n"
    "  --input PATTERN       PNG files instead of a pattern, printf-style frame number (e.g. f%04d.png)\n"
    "  --audio RATE|none     audio sample rate (default 48000)\n"
    "  --channels N          audio channels (default 2)\n"
    "  --bits 16|24          audio bits per sample (default 16)\n"
    "  --odml                OpenDML indexes (super index, standard index chunks, AVIX forms)\n"
    "  --riff-limit BYTES    size at which a RIFF form is continued with OpenDML (default 1073741824)\n"
    "  --meta TAG=VALUE      metadata item, repeatable; numbers for TAKE SHOT SCEN CAMR PROJ PRNT\n"
    "                        and CACT CMIX CMVL (colour track), text for the others\n"
    "  -q, --quiet           no progress bar\n"
    "  -h, --help            this text\n";

int Usage(const std::string& message) {
    std::fprintf(stderr, "krvx-encode: %s (see --help)\n", message.c_str());
    return kExitUsage;
}

bool ParseUnsigned(const char* text, uint64_t& value) {
    if (text == nullptr || *text == '\0' || *text == '-') return false;
    char* end = nullptr;
    value = std::strtoull(text, &end, 10);
    return end != nullptr && *end == '\0';
}

bool ParsePair(const char* text, char separator, uint32_t& a, uint32_t& b) {
    const char* split = std::strchr(text, separator);
    if (split == nullptr) return false;
    uint64_t first = 0, second = 0;
    const std::string head(text, split);
    if (!ParseUnsigned(head.c_str(), first) || !ParseUnsigned(split + 1, second)) return false;
    if (first == 0 || second == 0 || first > 0xFFFFFFFFu || second > 0xFFFFFFFFu) return false;
    a = static_cast<uint32_t>(first);
    b = static_cast<uint32_t>(second);
    return true;
}

template <typename T>
bool Lookup(const char* text, const char* const* names, const T* values, size_t count, T& out) {
    for (size_t i = 0; i < count; ++i) {
        if (std::strcmp(text, names[i]) == 0) {
            out = values[i];
            return true;
        }
    }
    return false;
}

void ShowProgress(uint32_t done, uint32_t total) {
    const int width = 40;
    const int filled = total ? static_cast<int>(uint64_t(done) * width / total) : width;
    std::fprintf(stderr, "\r[%.*s%*s] %u/%u frames", filled,
                 "========================================", width - filled, "", done, total);
    if (done == total) std::fputc('\n', stderr);
    std::fflush(stderr);
}

}  // namespace

int main(int argc, char** argv) {
    ClipOptions options;
    std::string output, input;
    bool quiet = false;
    bool sizeGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            std::fputs(kHelp, stdout);
            return 0;
        }
        if (arg == "-q" || arg == "--quiet") {
            quiet = true;
            continue;
        }
        if (arg == "--odml") {
            options.openDml = true;
            continue;
        }
        static const char* const kWithValue[] = {
            "-o",        "--size",  "--rate",  "--frames",   "--gop",  "--format", "--field",
            "--pattern", "--input", "--audio", "--channels", "--bits", "--meta",   "--riff-limit"};
        bool known = false;
        for (const char* name : kWithValue) known = known || arg == name;
        if (!known) return Usage("unknown option " + arg);
        if (i + 1 >= argc) return Usage("option " + arg + " needs a value");
        const char* value = argv[++i];
        uint64_t number = 0;
        if (arg == "-o") {
            output = value;
        } else if (arg == "--size") {
            sizeGiven = true;
            if (!ParsePair(value, 'x', options.width, options.height) || options.width > 8192 ||
                options.height > 8192) {
                return Usage("bad --size " + std::string(value));
            }
        } else if (arg == "--rate") {
            if (!ParsePair(value, '/', options.rate, options.scale))
                return Usage("bad --rate " + std::string(value));
        } else if (arg == "--frames") {
            if (!ParseUnsigned(value, number) || number == 0 || number > 10000000) {
                return Usage("bad --frames " + std::string(value));
            }
            options.frames = static_cast<uint32_t>(number);
        } else if (arg == "--gop") {
            if (!ParseUnsigned(value, number) || number == 0 || number > 0xFFFFFFFFu) {
                return Usage("bad --gop " + std::string(value));
            }
            options.gop = static_cast<uint32_t>(number);
        } else if (arg == "--format") {
            static const char* const names[] = {"yuv", "rgb", "rgba"};
            static const uint32_t values[] = {krvx::encode::kFormatYuv, krvx::encode::kFormatRgb,
                                              krvx::encode::kFormatRgba};
            if (!Lookup(value, names, values, 3, options.format))
                return Usage("bad --format " + std::string(value));
        } else if (arg == "--field") {
            static const char* const names[] = {"progressive", "upper", "lower", "unknown"};
            static const uint32_t values[] = {1, 2, 3, 0};
            if (!Lookup(value, names, values, 4, options.fieldValue)) {
                return Usage("bad --field " + std::string(value));
            }
        } else if (arg == "--pattern") {
            static const char* const names[] = {"bars", "gradient", "zoneplate", "box"};
            static const krvx::encode::Pattern values[] = {
                krvx::encode::kPatternBars, krvx::encode::kPatternGradient, krvx::encode::kPatternZonePlate,
                krvx::encode::kPatternBox};
            if (!Lookup(value, names, values, 4, options.pattern)) {
                return Usage("bad --pattern " + std::string(value));
            }
        } else if (arg == "--input") {
            input = value;
        } else if (arg == "--audio") {
            if (std::strcmp(value, "none") == 0) {
                options.audioRate = 0;
            } else if (!ParseUnsigned(value, number) || number == 0 || number > 1000000) {
                return Usage("bad --audio " + std::string(value));
            } else {
                options.audioRate = static_cast<uint32_t>(number);
            }
        } else if (arg == "--channels") {
            if (!ParseUnsigned(value, number) || number == 0 || number > 16) {
                return Usage("bad --channels " + std::string(value));
            }
            options.audioChannels = static_cast<uint16_t>(number);
        } else if (arg == "--bits") {
            if (!ParseUnsigned(value, number) || (number != 16 && number != 24)) {
                return Usage("bad --bits " + std::string(value));
            }
            options.audioBits = static_cast<uint16_t>(number);
        } else if (arg == "--riff-limit") {
            if (!ParseUnsigned(value, number) || number < 4096)
                return Usage("bad --riff-limit " + std::string(value));
            options.riffLimit = number;
        } else if (arg == "--meta") {
            const char* eq = std::strchr(value, '=');
            krvx::encode::MetadataItem item;
            if (eq == nullptr || !krvx::encode::MakeMetadataItem(std::string(value, eq), eq + 1, item)) {
                return Usage("bad --meta " + std::string(value));
            }
            options.metadata.push_back(item);
        }
    }
    if (output.empty()) return Usage("-o OUT is required");

    std::string sourceError;
    if (!input.empty()) {
        if (!krvx::tools::PngInputAvailable())
            return Usage("--input needs PNG support, which this build lacks");
        options.source = [&](uint32_t frame, krvx::encode::Picture& picture) {
            char path[4096];
            std::snprintf(path, sizeof(path), input.c_str(), frame);
            return krvx::tools::ReadPng(path, options.format, picture, sourceError);
        };
        // Without --size the clip takes the size of its first picture.
        krvx::encode::Picture first;
        if (!sizeGiven) {
            if (!options.source(0, first)) {
                std::fprintf(stderr, "krvx-encode: %s\n", sourceError.c_str());
                return 1;
            }
            options.width = first.width;
            options.height = first.height;
        }
    }
    krvx::encode::ProgressCallback progress;
    if (!quiet) progress = ShowProgress;
    const int rc = krvx::encode::WriteClip(options, output.c_str(), progress);
    if (rc != krvx::encode::kEncodeOkay) {
        if (!sourceError.empty()) {
            std::fprintf(stderr, "krvx-encode: %s\n", sourceError.c_str());
        } else if (rc == krvx::encode::kEncodeBadPicture) {
            std::fprintf(stderr, "krvx-encode: input picture does not match --size\n");
        } else {
            std::fprintf(stderr, "krvx-encode: cannot write %s (error %d)\n", output.c_str(), rc);
        }
        return 1;
    }
    return 0;
}
