#include "platform/ui/SdlBackend.h"

#include "platform/text/CodePage.h"

#include <SDL.h>
#include <cairo.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace ui {

namespace {
// Virtual-key codes of the keys that dialogs and grids know by code.
int KeyCodeOf(SDL_Keycode key) {
    switch (key) {
    case SDLK_BACKSPACE: return KeyBack;
    case SDLK_TAB: return KeyTab;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return KeyEnter;
    case SDLK_ESCAPE: return KeyEscape;
    case SDLK_SPACE: return KeySpace;
    case SDLK_PAGEUP: return KeyPageUp;
    case SDLK_PAGEDOWN: return KeyPageDown;
    case SDLK_END: return KeyEnd;
    case SDLK_HOME: return KeyHome;
    case SDLK_LEFT: return KeyLeft;
    case SDLK_UP: return KeyUp;
    case SDLK_RIGHT: return KeyRight;
    case SDLK_DOWN: return KeyDown;
    case SDLK_INSERT: return KeyInsert;
    case SDLK_DELETE: return KeyDelete;
    case SDLK_F1: return KeyF1;
    case SDLK_F2: return KeyF2;
    case SDLK_F4: return KeyF4;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return KeyShift;
    case SDLK_LCTRL:
    case SDLK_RCTRL: return KeyControl;
    default: break;
    }
    if (key >= SDLK_a && key <= SDLK_z)
        return 'A' + static_cast<int>(key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9)
        return '0' + static_cast<int>(key - SDLK_0);
    return 0;
}

unsigned ModifiersOf(Uint16 mod) {
    unsigned modifiers = ModNone;
    if (mod & KMOD_SHIFT)
        modifiers |= ModShift;
    if (mod & KMOD_CTRL)
        modifiers |= ModControl;
    if (mod & KMOD_ALT)
        modifiers |= ModAlt;
    return modifiers;
}

MouseButton ButtonOf(Uint8 button) {
    return button == SDL_BUTTON_RIGHT ? MouseButton::Right
         : button == SDL_BUTTON_MIDDLE ? MouseButton::Middle : MouseButton::Left;
}

// Text typed as UTF-8, a character at a time in the code page the windows take; a character it cannot hold
// is refused with the warning sound, never stored as something else.
void TypeText(WindowSystem& system, const char* text) {
    std::string_view typed(text);
    std::string bytes;
    for (std::size_t i = 0; i < typed.size();) {
        auto lead = static_cast<unsigned char>(typed[i]);
        std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 1;
        length = std::min(length, typed.size() - i);
        if (textkit::Active().FromUtf8(typed.substr(i, length), bytes) && !bytes.empty()) {
            for (char byte : bytes)
                system.Char(static_cast<unsigned char>(byte));
        } else {
            system.MessageBeep();
        }
        i += length;
    }
}

// Whether any shown window of the tree waits to be painted; hidden ones are never painted, so never count.
bool TreeNeedsPaint(const Window& window) {
    if (!window.IsVisible())
        return false;
    if (window.NeedsPaint())
        return true;
    for (const Window* child : window.Children())
        if (TreeNeedsPaint(*child))
            return true;
    return false;
}
} // namespace

SdlBackend::~SdlBackend() {
    if (m_audio)
        SDL_CloseAudioDevice(m_audio);
    m_screen.reset();
    m_painted.clear();
    if (m_texture)
        SDL_DestroyTexture(m_texture);
    if (m_renderer)
        SDL_DestroyRenderer(m_renderer);
    if (m_window) {
        SDL_DestroyWindow(m_window);
        SDL_Quit();
    }
}

void SdlBackend::SetTitle(const std::string& title) {
    m_title = title;
    if (m_window)
        SDL_SetWindowTitle(m_window, m_title.c_str());
}

bool SdlBackend::Open(const std::string& title, int width, int height, std::string& error) {
    // Without a desktop SDL would settle for drawing off screen, and the editor would run where nobody sees
    // it. A driver asked for by name (the tests' dummy one) is taken as asked.
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    bool named = driver && *driver;
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if (!named && !(display && *display) && !(wayland && *wayland)) {
        error = "no display: the live editor needs a desktop (X11 or Wayland), and neither DISPLAY nor "
                "WAYLAND_DISPLAY is set; scripts (vantorel script) and reports (vantorel report) need none";
        return false;
    }
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) != 0) {
        error = std::string("no display: ") + SDL_GetError();
        return false;
    }
    std::string chosen = SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "";
    if (!named && (chosen == "offscreen" || chosen == "dummy")) {
        error = "no display: the desktop named by DISPLAY or WAYLAND_DISPLAY cannot be reached";
        SDL_Quit();
        return false;
    }
    if (m_title.empty())
        m_title = title;
    m_window = SDL_CreateWindow(m_title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                                SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE);
    if (!m_window) {
        error = std::string("cannot open a window: ") + SDL_GetError();
        SDL_Quit();
        return false;
    }
    // Software rendering: the picture is made by Cairo anyway, and it works on any display, Xvfb included.
    m_renderer = SDL_CreateRenderer(m_window, -1, SDL_RENDERER_SOFTWARE);
    if (!m_renderer) {
        error = std::string("cannot draw in the window: ") + SDL_GetError();
        return false;
    }
    m_width = width;
    m_height = height;
    m_lastTick = NowMs();
    SDL_StartTextInput();
    OpenAudio();
    return true;
}

void SdlBackend::OpenAudio() {
    // Sound is a nicety: a machine without a sound card still gets the window, just without beeps, and
    // without the sound libraries' complaints about the missing card on its terminal.
    int savedError = dup(STDERR_FILENO);
    int quiet = open("/dev/null", O_WRONLY);
    if (savedError >= 0 && quiet >= 0)
        dup2(quiet, STDERR_FILENO);
    struct Restore {
        int saved;
        int quiet;
        ~Restore() {
            if (saved >= 0) {
                dup2(saved, STDERR_FILENO);
                close(saved);
            }
            if (quiet >= 0)
                close(quiet);
        }
    } restore{savedError, quiet};
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return;
    SDL_AudioSpec wanted{};
    wanted.freq = 44100;
    wanted.format = AUDIO_F32SYS;
    wanted.channels = 1;
    wanted.samples = 512;
    SDL_AudioSpec obtained{};
    m_audio = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (!m_audio) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return;
    }
    m_audioRate = obtained.freq;
    SDL_PauseAudioDevice(m_audio, 0);
}

void SdlBackend::Beep(const BeepRecord& beep) {
    if (!m_audio || m_audioRate <= 0)
        return;
    // The system's default sound has no tone of its own here: a short middle one stands for it.
    constexpr int kDefaultHz = 750;
    constexpr int kDefaultMs = 80;
    int frequency = beep.frequency > 0 ? beep.frequency : kDefaultHz;
    int duration = beep.frequency > 0 ? beep.duration : kDefaultMs;
    if (duration <= 0)
        return;
    int count = static_cast<int>(static_cast<long long>(m_audioRate) * duration / 1000);
    // Two milliseconds of fading at either end, so that the tone starts and stops without a click.
    int ramp = std::max(1, m_audioRate / 500);
    std::vector<float> samples(static_cast<std::size_t>(count));
    constexpr double kTwoPi = 6.283185307179586;
    for (int i = 0; i < count; ++i) {
        double fade = std::min({1.0, static_cast<double>(i) / ramp, static_cast<double>(count - 1 - i) / ramp});
        samples[static_cast<std::size_t>(i)] =
            static_cast<float>(0.25 * fade * std::sin(kTwoPi * frequency * i / m_audioRate));
    }
    SDL_QueueAudio(m_audio, samples.data(), static_cast<Uint32>(samples.size() * sizeof(float)));
}

void SdlBackend::CatchUp(WindowSystem& system) {
    std::int64_t now = NowMs();
    if (now > m_lastTick) {
        system.Advance(static_cast<int>(now - m_lastTick));
        m_lastTick = now;
    }
}

bool SdlBackend::MouseInputWaiting(WindowSystem& system, bool idle) {
    if (m_quit || !m_window)
        return true;
    Refresh(system);
    // A loop whose last turn changed nothing waits for the user rather than spin.
    if (idle)
        SDL_WaitEventTimeout(nullptr, 16);
    CatchUp(system);
    SDL_PumpEvents();
    SDL_Event event;
    return SDL_PeepEvents(&event, 1, SDL_PEEKEVENT, SDL_MOUSEMOTION, SDL_MOUSEBUTTONUP) > 0 ||
           SDL_PeepEvents(&event, 1, SDL_PEEKEVENT, SDL_QUIT, SDL_QUIT) > 0;
}

void SdlBackend::Pause(WindowSystem& system, int ms) {
    Refresh(system);
    if (ms > 0)
        SDL_Delay(static_cast<Uint32>(ms));
}

std::int64_t SdlBackend::NowMs() const {
    return static_cast<std::int64_t>(SDL_GetTicks64());
}

void SdlBackend::Present(Window&) {
    m_dirty = true;
}

void SdlBackend::Deliver(WindowSystem& system, const void* raw) {
    const SDL_Event& event = *static_cast<const SDL_Event*>(raw);
    switch (event.type) {
    case SDL_QUIT:
        // Whoever listens decides, and may first ask about unsaved work; with no one to ask the loops end.
        if (onQuit)
            onQuit();
        else
            m_quit = true;
        break;
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
            m_width = event.window.data1;
            m_height = event.window.data2;
            if (m_texture) {
                SDL_DestroyTexture(m_texture);
                m_texture = nullptr;
            }
            m_screen.reset();
            if (onResize)
                onResize(m_width, m_height);
        }
        m_dirty = true;
        break;
    case SDL_MOUSEMOTION:
        system.MouseMove(Point{event.motion.x, event.motion.y}, ModifiersOf(SDL_GetModState()));
        break;
    case SDL_MOUSEBUTTONDOWN:
        system.MouseDown(Point{event.button.x, event.button.y}, ButtonOf(event.button.button),
                         ModifiersOf(SDL_GetModState()));
        break;
    case SDL_MOUSEBUTTONUP:
        system.MouseUp(Point{event.button.x, event.button.y}, ButtonOf(event.button.button),
                       ModifiersOf(SDL_GetModState()));
        break;
    case SDL_MOUSEWHEEL: {
        int x = 0;
        int y = 0;
        SDL_GetMouseState(&x, &y);
        system.MouseWheel(Point{x, y}, event.wheel.y * 120, ModifiersOf(SDL_GetModState()));
        break;
    }
    case SDL_KEYDOWN:
        if (int key = KeyCodeOf(event.key.keysym.sym)) {
            system.KeyDown(key, ModifiersOf(event.key.keysym.mod));
            // Text input types no Backspace; editors delete on the character it types.
            if (key == KeyBack)
                system.Char(static_cast<unsigned>(KeyBack), ModifiersOf(event.key.keysym.mod));
        }
        break;
    case SDL_KEYUP:
        if (int key = KeyCodeOf(event.key.keysym.sym))
            system.KeyUp(key, ModifiersOf(event.key.keysym.mod));
        break;
    case SDL_TEXTINPUT:
        // With Alt or Ctrl held a key is a command (a mnemonic, Ctrl+Z), not a character typed.
        if ((SDL_GetModState() & (KMOD_ALT | KMOD_CTRL)) == 0)
            TypeText(system, event.text.text);
        break;
    default: break;
    }
}

bool SdlBackend::WaitForInput(WindowSystem& system) {
    if (m_quit || !m_window)
        return false;
    if (onFrame)
        onFrame();
    Refresh(system);
    SDL_Event event;
    // A frame's time at most, so that timers and the clock keep up while nothing happens.
    bool got = SDL_WaitEventTimeout(&event, 16) == 1;
    CatchUp(system);
    while (got) {
        Deliver(system, &event);
        got = SDL_PollEvent(&event) == 1;
    }
    return !m_quit;
}

void SdlBackend::Refresh(WindowSystem& system) {
    if (!m_window)
        return;
    const std::vector<Window*>& tops = system.TopLevels();
    bool changed = m_dirty || !m_screen;
    // Windows gone since the last picture, or moved: the screen must be put together again.
    for (auto it = m_painted.begin(); it != m_painted.end();) {
        if (std::find(tops.begin(), tops.end(), it->first) == tops.end()) {
            it = m_painted.erase(it);
            changed = true;
        } else {
            ++it;
        }
    }
    for (Window* top : tops) {
        auto found = m_painted.find(top);
        bool shown = top->IsVisible();
        if (!shown)
            continue;
        if (found == m_painted.end() || found->second.rect != top->ScreenRect() || TreeNeedsPaint(*top)) {
            Painted& painted = m_painted[top];
            painted.rect = top->ScreenRect();
            painted.image = system.Render(*top);
            changed = true;
        }
    }
    if (!changed)
        return;
    m_dirty = false;
    if (!m_screen || m_screen->Width() != m_width || m_screen->Height() != m_height)
        m_screen = std::make_unique<Image>(m_width, m_height);
    cairo_t* cr = cairo_create(m_screen->Surface());
    cairo_set_source_rgb(cr, 0.5, 0.5, 0.5);
    cairo_paint(cr);
    for (Window* top : tops) {
        auto found = m_painted.find(top);
        if (!top->IsVisible() || found == m_painted.end() || !found->second.image)
            continue;
        cairo_set_source_surface(cr, found->second.image->Surface(), found->second.rect.left, found->second.rect.top);
        cairo_paint(cr);
    }
    cairo_destroy(cr);
    cairo_surface_flush(m_screen->Surface());
    if (!m_texture) {
        m_texture = SDL_CreateTexture(m_renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, m_width,
                                      m_height);
        if (!m_texture)
            return;
    }
    SDL_UpdateTexture(m_texture, nullptr, cairo_image_surface_get_data(m_screen->Surface()),
                      cairo_image_surface_get_stride(m_screen->Surface()));
    SDL_RenderClear(m_renderer);
    SDL_RenderCopy(m_renderer, m_texture, nullptr, nullptr);
    SDL_RenderPresent(m_renderer);
}

} // namespace ui
