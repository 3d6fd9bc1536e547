#pragma once

#include "platform/ui/Controls.h"

#include <string>

namespace vantorel {

// A message that blinks: shown with a short beep, hidden, shown again, every period, until stopped or until
// its duration has passed.
class FlashLabel : public ui::StaticText {
public:
    static constexpr int kBlinkTimer = 0;
    static constexpr int kDurationTimer = 1;
    // The short low beep each time the message shows.
    static constexpr int kBeepHz = 100;
    static constexpr int kBeepMs = 100;

    // A duration of 0 blinks until StopFlash.
    void StartFlash(int durationMs, int periodMs, const std::string& text);
    void StopFlash();
    void OnTimer(int id) override;

private:
    bool m_hidden = false;
};

} // namespace vantorel
