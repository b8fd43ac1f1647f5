#include "ProgressBar.h"

#include <algorithm>
#include <string>

namespace lumex::cli {

void ProgressBar::SendToActiveWindow(unsigned message, std::intptr_t wParam,
                                     std::intptr_t lParam)
{
    if (message != WM_LINK_PROGRESS) return;
    // lParam set: a step to add; clear: an absolute position.
    const auto amount = static_cast<int>(wParam);
    m_position = lParam != 0 ? m_position + amount : amount;
    m_position = std::clamp(m_position, 0, 100);
    Draw();
}

void ProgressBar::Draw()
{
    constexpr int kWidth = 40;
    const int filled = m_position * kWidth / 100;
    std::string line = "\rreading [";
    line.append(static_cast<std::size_t>(filled), '#');
    line.append(static_cast<std::size_t>(kWidth - filled), '.');
    line += "] " + std::to_string(m_position) + "%";
    std::fputs(line.c_str(), m_out);
    std::fflush(m_out);
    m_drawn = true;
}

void ProgressBar::Finish()
{
    if (m_drawn) std::fputs("\n", m_out);
    m_drawn = false;
}

}  // namespace lumex::cli
