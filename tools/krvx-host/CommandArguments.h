// A command's arguments: one clip path and named options with values, as the clip commands take them.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace krvx {
namespace sim {

class CommandArguments {
public:
    // `valued` lists the options that take a value ("-o", "--from"), `flags` those that do not.
    // False (with the reason printed for `command`) on an unknown option, a missing value, or a
    // second clip.
    bool Parse(const char* command, const std::vector<std::string>& arguments,
               const std::vector<std::string>& valued, const std::vector<std::string>& flags);

    const std::string& Clip() const { return m_clip; }
    bool Has(const std::string& option) const { return m_values.count(option) != 0; }
    std::string Value(const std::string& option) const;
    // The option's value as a number; `fallback` when absent. False (with the reason) when not a number
    // in [minimum, maximum].
    bool Number(const char* command, const std::string& option, int64_t fallback, int64_t minimum,
                int64_t maximum, int64_t* value) const;

private:
    std::string m_clip;
    std::map<std::string, std::string> m_values;
};

// The frame commands' "--format F" (four characters; 0 when absent) and "--size WxH" (0 x 0 when absent).
// False (with the reason printed for `command`) when either is malformed.
bool FrameFormatAndSize(const char* command, const CommandArguments& arguments, uint32_t* pixelFormat,
                        int32_t* width, int32_t* height);

}  // namespace sim
}  // namespace krvx
