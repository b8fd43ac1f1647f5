#pragma once
// A LinkScreen that draws ReadAll's progress messages as a text bar on a
// terminal. ReadAll delivers WM_LINK_PROGRESS synchronously on the calling
// thread; nothing else is drawn. Main thread only.

#include "EcuLink.h"

#include <cstdio>

namespace lumex::cli {

class ProgressBar : public LinkScreen {
public:
    explicit ProgressBar(std::FILE* out) : m_out(out) {}

    void SendToActiveWindow(unsigned message, std::intptr_t wParam,
                            std::intptr_t lParam) override;
    // Ends the bar's line; call once the transfer is over.
    void Finish();

    int Position() const { return m_position; }

private:
    void Draw();

    std::FILE* m_out;
    int m_position = 0;
    bool m_drawn = false;
};

}  // namespace lumex::cli
