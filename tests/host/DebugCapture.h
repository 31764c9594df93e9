// Collects the plug-in's debug lines in-process while a test runs.
#pragma once
#include <mutex>
#include <string>
#include <vector>

#include "platform/debug.h"

namespace krvx {
namespace testing_support {

class DebugCaptureScope {
public:
    DebugCaptureScope() { platform::SetDebugCapture(&DebugCaptureScope::Receive, this); }
    ~DebugCaptureScope() { platform::SetDebugCapture(nullptr, nullptr); }

    std::vector<std::string> Take() {
        std::lock_guard<std::mutex> lock(m_lock);
        std::vector<std::string> lines;
        lines.swap(m_lines);
        return lines;
    }

private:
    static void Receive(void* context, const char* text) {
        auto* self = static_cast<DebugCaptureScope*>(context);
        std::lock_guard<std::mutex> lock(self->m_lock);
        self->m_lines.emplace_back(text);
    }
    std::mutex m_lock;
    std::vector<std::string> m_lines;
};

}  // namespace testing_support
}  // namespace krvx
