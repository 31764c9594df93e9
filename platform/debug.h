// Diagnostic lines, written as a debugger's output: OutputDebugStringA on Windows; on POSIX the file
// named by KRVX_DEBUG_LOG ("-" for standard error), nowhere when it is unset.
#pragma once

namespace krvx {
namespace platform {

// Writes `text` unchanged (the caller supplies any line feed). On POSIX a line feed is added to the
// log when the text does not end with one, so every call stays one record, as a debug viewer shows it.
void DebugOutput(const char* text);

// Formats with printf rules into a stack buffer (longer text is cut) and writes it with DebugOutput.
void DebugPrintf(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Tests that link the plug-in's code directly install one callback that receives every text before
// it goes to the debug output. Null removes it.
using DebugCapture = void (*)(void* context, const char* text);
void SetDebugCapture(DebugCapture capture, void* context);

}  // namespace platform
}  // namespace krvx
