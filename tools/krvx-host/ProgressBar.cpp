#include "tools/krvx-host/ProgressBar.h"

#include <cstdio>

#include "platform/system.h"

namespace krvx {
namespace sim {

namespace {
constexpr int kWidth = 40;
}

ProgressBar::ProgressBar(uint64_t total, const char* unit, bool enabled)
    : m_total(total), m_unit(unit), m_enabled(enabled && platform::StandardErrorIsTerminal()) {}

ProgressBar::~ProgressBar() {
    if (m_drawn >= 0) std::fputc('\n', stderr);
}

void ProgressBar::Update(uint64_t done) {
    if (!m_enabled) return;
    const int filled =
        m_total ? static_cast<int>((done > m_total ? m_total : done) * kWidth / m_total) : kWidth;
    if (filled == m_drawn) return;
    m_drawn = filled;
    std::fprintf(stderr, "\r[%.*s%*s] %llu/%llu %s", filled,
                 "========================================", kWidth - filled, "",
                 static_cast<unsigned long long>(done), static_cast<unsigned long long>(m_total), m_unit);
    std::fflush(stderr);
}

}  // namespace sim
}  // namespace krvx
