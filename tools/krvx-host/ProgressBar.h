// A progress bar on standard error, drawn only when standard error is a terminal.
#pragma once
#include <cstdint>

namespace krvx {
namespace sim {

class ProgressBar {
public:
    // `unit` names what is counted ("sample frames"); `enabled` false draws nothing.
    ProgressBar(uint64_t total, const char* unit, bool enabled);
    ~ProgressBar();  // ends the line if anything was drawn

    // Redraws when the filled width changes.
    void Update(uint64_t done);

private:
    uint64_t m_total;
    const char* m_unit;
    bool m_enabled;
    int m_drawn = -1;
};

}  // namespace sim
}  // namespace krvx
