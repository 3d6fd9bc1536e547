#include "grid/FlashLabel.h"

#include "platform/ui/WindowSystem.h"

namespace vantorel {

void FlashLabel::StartFlash(int durationMs, int periodMs, const std::string& text) {
    SetText(text);
    m_hidden = true; // so that the first tick shows it, with its beep
    SetTimer(kBlinkTimer, periodMs);
    if (durationMs > 0)
        SetTimer(kDurationTimer, durationMs);
}

void FlashLabel::StopFlash() {
    KillTimer(kDurationTimer);
    KillTimer(kBlinkTimer);
    Show(true);
    SetText("");
}

void FlashLabel::OnTimer(int id) {
    if (id == kDurationTimer) {
        StopFlash();
        return;
    }
    if (id != kBlinkTimer)
        return;
    if (m_hidden) {
        Show(true);
        m_hidden = false;
        ui::WindowSystem::Instance().Beep(kBeepHz, kBeepMs);
    } else {
        Show(false);
        m_hidden = true;
    }
}

} // namespace vantorel
