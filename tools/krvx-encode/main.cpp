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

// Everything the command line sets.
struct EncodeArguments {
    ClipOptions options;
    std::string output;
    std::string input;  // printf-style PNG file pattern; empty for a built-in pattern
    bool quiet = false;
    bool sizeGiven = false;
};

// --size, --rate, --frames, --gop.
bool ApplyClipShape(const std::string& arg, const char* value, EncodeArguments& args) {
    ClipOptions& options = args.options;
    uint64_t number = 0;
    if (arg == "--size") {
        args.sizeGiven = true;
        return ParsePair(value, 'x', options.width, options.height) && options.width <= 8192 &&
               options.height <= 8192;
    }
    if (arg == "--rate") return ParsePair(value, '/', options.rate, options.scale);
    if (arg == "--frames") {
        if (!ParseUnsigned(value, number) || number == 0 || number > 10000000) return false;
        options.frames = static_cast<uint32_t>(number);
        return true;
    }
    // --gop
    if (!ParseUnsigned(value, number) || number == 0 || number > 0xFFFFFFFFu) return false;
    options.gop = static_cast<uint32_t>(number);
    return true;
}

// --format, --field, --pattern.
bool ApplyCoding(const std::string& arg, const char* value, ClipOptions& options) {
    if (arg == "--format") {
        static const char* const names[] = {"yuv", "rgb", "rgba"};
        static const uint32_t values[] = {krvx::encode::kFormatYuv, krvx::encode::kFormatRgb,
                                          krvx::encode::kFormatRgba};
        return Lookup(value, names, values, 3, options.format);
    }
    if (arg == "--field") {
        static const char* const names[] = {"progressive", "upper", "lower", "unknown"};
        static const uint32_t values[] = {1, 2, 3, 0};
        return Lookup(value, names, values, 4, options.fieldValue);
    }
    // --pattern
    static const char* const names[] = {"bars", "gradient", "zoneplate", "box"};
    static const krvx::encode::Pattern values[] = {krvx::encode::kPatternBars, krvx::encode::kPatternGradient,
                                                   krvx::encode::kPatternZonePlate,
                                                   krvx::encode::kPatternBox};
    return Lookup(value, names, values, 4, options.pattern);
}

// --audio, --channels, --bits.
bool ApplyAudio(const std::string& arg, const char* value, ClipOptions& options) {
    uint64_t number = 0;
    if (arg == "--audio") {
        if (std::strcmp(value, "none") == 0) {
            options.audioRate = 0;
            return true;
        }
        if (!ParseUnsigned(value, number) || number == 0 || number > 1000000) return false;
        options.audioRate = static_cast<uint32_t>(number);
        return true;
    }
    if (arg == "--channels") {
        if (!ParseUnsigned(value, number) || number == 0 || number > 16) return false;
        options.audioChannels = static_cast<uint16_t>(number);
        return true;
    }
    // --bits
    if (!ParseUnsigned(value, number) || (number != 16 && number != 24)) return false;
    options.audioBits = static_cast<uint16_t>(number);
    return true;
}

// One option that takes a value; false when the value is not one the option takes.
bool ApplyOption(const std::string& arg, const char* value, EncodeArguments& args) {
    if (arg == "-o") {
        args.output = value;
        return true;
    }
    if (arg == "--input") {
        args.input = value;
        return true;
    }
    if (arg == "--size" || arg == "--rate" || arg == "--frames" || arg == "--gop")
        return ApplyClipShape(arg, value, args);
    if (arg == "--format" || arg == "--field" || arg == "--pattern")
        return ApplyCoding(arg, value, args.options);
    if (arg == "--audio" || arg == "--channels" || arg == "--bits")
        return ApplyAudio(arg, value, args.options);
    if (arg == "--riff-limit") {
        uint64_t number = 0;
        if (!ParseUnsigned(value, number) || number < 4096) return false;
        args.options.riffLimit = number;
        return true;
    }
    // --meta
    const char* eq = std::strchr(value, '=');
    krvx::encode::MetadataItem item;
    if (eq == nullptr || !krvx::encode::MakeMetadataItem(std::string(value, eq), eq + 1, item)) return false;
    args.options.metadata.push_back(item);
    return true;
}

constexpr int kExitContinue = -1;

// Reads the command line into args; kExitContinue to go on, else the exit code (help shown, or a usage
// error reported).
int ParseArguments(int argc, char** argv, EncodeArguments& args) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            std::fputs(kHelp, stdout);
            return 0;
        }
        if (arg == "-q" || arg == "--quiet") {
            args.quiet = true;
            continue;
        }
        if (arg == "--odml") {
            args.options.openDml = true;
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
        if (!ApplyOption(arg, value, args)) return Usage("bad " + arg + " " + std::string(value));
    }
    if (args.output.empty()) return Usage("-o OUT is required");
    return kExitContinue;
}

// Pictures from the numbered PNG files; without --size the clip takes the first picture's size. A read
// failure leaves its message in `error`, which must outlive the clip's writing.
int UsePngInput(EncodeArguments& args, std::string& error) {
    if (!krvx::tools::PngInputAvailable()) return Usage("--input needs PNG support, which this build lacks");
    args.options.source = [&args, &error](uint32_t frame, krvx::encode::Picture& picture) {
        char path[4096];
        std::snprintf(path, sizeof(path), args.input.c_str(), frame);
        return krvx::tools::ReadPng(path, args.options.format, picture, error);
    };
    if (args.sizeGiven) return kExitContinue;
    krvx::encode::Picture first;
    if (!args.options.source(0, first)) {
        std::fprintf(stderr, "krvx-encode: %s\n", error.c_str());
        return 1;
    }
    args.options.width = first.width;
    args.options.height = first.height;
    return kExitContinue;
}

// Writes the clip with a progress bar unless quiet; 0, or 1 with the reason on standard error.
int WriteClipFile(const EncodeArguments& args, const std::string& sourceError) {
    krvx::encode::ProgressCallback progress;
    if (!args.quiet) progress = ShowProgress;
    const int rc = krvx::encode::WriteClip(args.options, args.output.c_str(), progress);
    if (rc == krvx::encode::kEncodeOkay) return 0;
    if (!sourceError.empty()) {
        std::fprintf(stderr, "krvx-encode: %s\n", sourceError.c_str());
    } else if (rc == krvx::encode::kEncodeBadPicture) {
        std::fprintf(stderr, "krvx-encode: input picture does not match --size\n");
    } else {
        std::fprintf(stderr, "krvx-encode: cannot write %s (error %d)\n", args.output.c_str(), rc);
    }
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    EncodeArguments args;
    int exitCode = ParseArguments(argc, argv, args);
    if (exitCode != kExitContinue) return exitCode;
    std::string sourceError;
    if (!args.input.empty()) {
        exitCode = UsePngInput(args, sourceError);
        if (exitCode != kExitContinue) return exitCode;
    }
    return WriteClipFile(args, sourceError);
}
