#pragma once

#include "platform/ui/WindowSystem.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;

namespace ui {

// A live screen: one desktop window of the operating system in which every window without parent is shown
// at its screen position, the bottom one first, each painted exactly as the headless backend would paint
// it. The mouse and keyboard of that window are the window system's input, and its clock runs in real time.
class SdlBackend : public Backend {
public:
    SdlBackend() = default;
    ~SdlBackend() override;
    SdlBackend(const SdlBackend&) = delete;
    SdlBackend& operator=(const SdlBackend&) = delete;

    // Opens the desktop window; false, with the reason in `error`, when no display can be had.
    [[nodiscard]] bool Open(const std::string& title, int width, int height, std::string& error);
    // The desktop window's title (UTF-8), kept for a window not yet open.
    void SetTitle(const std::string& title);
    const std::string& Title() const { return m_title; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // The desktop window was resized: the size the window at the bottom should take.
    std::function<void(int width, int height)> onResize;
    // The user closed the desktop window; without this every loop ends at once.
    std::function<void()> onQuit;
    // Each time a loop waits, before the picture is brought up to date: a chance to look at what changed.
    std::function<void()> onFrame;
    bool QuitRequested() const { return m_quit; }

    bool WaitForInput(WindowSystem& system) override;
    void Present(Window& window) override;
    bool MouseInputWaiting(WindowSystem& system, bool idle) override;
    void Pause(WindowSystem& system, int ms) override;
    // A short sine tone on the default audio device; nothing where there is none.
    void Beep(const BeepRecord& beep) override;
    bool HasSound() const { return m_audio != 0; }
    // Paints what has changed and shows it.
    void Refresh(WindowSystem& system);
    // The last image shown, for a test to look at.
    const Image* Screen() const { return m_screen.get(); }

private:
    void Deliver(WindowSystem& system, const void* event);
    std::int64_t NowMs() const;
    // Moves the window system's clock to the real time that has passed.
    void CatchUp(WindowSystem& system);
    void OpenAudio();

    SDL_Window* m_window = nullptr;
    std::string m_title;
    SDL_Renderer* m_renderer = nullptr;
    SDL_Texture* m_texture = nullptr;
    int m_width = 0;
    int m_height = 0;
    bool m_quit = false;
    bool m_dirty = true;
    std::uint32_t m_audio = 0; // the audio device; 0 when none could be opened
    int m_audioRate = 0;
    std::int64_t m_lastTick = 0;
    std::unique_ptr<Image> m_screen;
    // Each window without parent as last painted, so that one that has not changed is not painted again.
    struct Painted {
        std::unique_ptr<Image> image;
        Rect rect;
    };
    std::map<const Window*, Painted> m_painted;
};

} // namespace ui
