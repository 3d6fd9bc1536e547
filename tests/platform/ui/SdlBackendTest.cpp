// The live backend on SDL's dummy display: what typed text becomes, and its beeps, heard through the disk audio
// driver: the samples it wrote are the tone asked for.
#include "platform/ui/SdlBackend.h"
#include "platform/ui/Controls.h"
#include "platform/text/CodePage.h"

#include <gtest/gtest.h>

#include <SDL.h>

#include <cmath>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

// Where the tone begins and ends in the samples; begin == end when there is none yet.
struct Tone {
    std::size_t begin = 0;
    std::size_t end = 0;
};
Tone FindTone(const std::vector<float>& samples) {
    Tone tone;
    while (tone.begin < samples.size() && samples[tone.begin] == 0.0f)
        ++tone.begin;
    tone.end = samples.size();
    while (tone.end > tone.begin && samples[tone.end - 1] == 0.0f)
        --tone.end;
    return tone;
}

std::vector<float> ReadSamples(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<float> samples;
    float sample = 0.0f;
    while (in.read(reinterpret_cast<char*>(&sample), sizeof sample))
        samples.push_back(sample);
    return samples;
}

class LiveBackend : public ::testing::Test {
protected:
    void SetUp() override {
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        file = (std::filesystem::path(::testing::TempDir()) / ("vantorel-" + name + ".raw")).string();
        std::filesystem::remove(file);
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
        setenv("SDL_DISKAUDIODELAY", "1", 1);
    }
    std::string file;
};

TEST_F(LiveBackend, ABeepIsASineOfItsToneAndLength) {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    {
        ui::SdlBackend backend;
        std::string error;
        ASSERT_TRUE(backend.Open("sound", 100, 100, error)) << error;
        ASSERT_TRUE(backend.HasSound());
        ui::WindowSystem& system = ui::WindowSystem::Instance();
        system.SetBackend(&backend);
        system.Beep(1000, 50);
        system.SetBackend(nullptr);
        // The device writes in real time: wait until the tone is out and silence has followed it.
        for (int waited = 0; waited < 5000; waited += 20) {
            std::vector<float> written = ReadSamples(file);
            Tone tone = FindTone(written);
            if (tone.begin < tone.end && written.size() > tone.end + 4410)
                break;
            SDL_Delay(20);
        }
    }
    std::vector<float> samples = ReadSamples(file);
    Tone tone = FindTone(samples);
    std::size_t first = tone.begin;
    std::size_t last = tone.end;
    ASSERT_LT(first, last) << "no tone was written";
    // 50 ms at 44100 samples a second, and a thousand periods a second: a hundred zero crossings.
    EXPECT_NEAR(static_cast<double>(last - first), 2205.0, 3.0);
    int crossings = 0;
    for (std::size_t i = first + 1; i < last; ++i)
        if ((samples[i - 1] < 0.0f) != (samples[i] < 0.0f))
            ++crossings;
    EXPECT_NEAR(crossings, 100, 2);
    float loudest = 0.0f;
    for (std::size_t i = first; i < last; ++i)
        loudest = std::max(loudest, std::fabs(samples[i]));
    EXPECT_NEAR(loudest, 0.25f, 0.01f);
}

TEST_F(LiveBackend, WithoutAnAudioDeviceTheWindowOpensAndBeepsAreSilent) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    ui::SdlBackend backend;
    std::string error;
    ASSERT_TRUE(backend.Open("sound", 100, 100, error)) << error;
    EXPECT_FALSE(backend.HasSound());
    ui::WindowSystem& system = ui::WindowSystem::Instance();
    system.SetBackend(&backend);
    system.Beep(1000, 50);
    system.SetBackend(nullptr);
    EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(LiveBackend, TypedTextIsTheCodePagesBytesAndWhatItCannotHoldIsRefusedWithABeep) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    ui::SdlBackend backend;
    std::string error;
    ASSERT_TRUE(backend.Open("typing", 200, 100, error)) << error;
    ui::WindowSystem& system = ui::WindowSystem::Instance();
    system.Reset();
    system.SetBackend(&backend);
    ASSERT_EQ(textkit::Active().Number(), 1252);
    ui::EditBox edit;
    edit.Create(nullptr, ui::Rect::FromSize(0, 0, 150, 20), 0, "", ui::StyleVisible | ui::StyleTabStop);
    edit.SetFocus();
    auto type = [&](const char* utf8) {
        SDL_Event event{};
        event.type = SDL_TEXTINPUT;
        std::strncpy(event.text.text, utf8, sizeof event.text.text - 1);
        ASSERT_EQ(SDL_PushEvent(&event), 1);
        ASSERT_TRUE(backend.WaitForInput(system));
    };
    type("B\xC3\xBC");        // Bü
    type("\xCE\xA9r");        // Ω has no byte in 1252; the r after it has
    EXPECT_EQ(edit.Text(), "B\xFCr");
    EXPECT_EQ(system.BeepRecords(), (std::vector<ui::BeepRecord>{{0, 0, system.BeepRecords().at(0).at}}));
    // Backspace types the character an editor deletes with.
    SDL_Event key{};
    key.type = SDL_KEYDOWN;
    key.key.keysym.sym = SDLK_BACKSPACE;
    ASSERT_EQ(SDL_PushEvent(&key), 1);
    ASSERT_TRUE(backend.WaitForInput(system));
    EXPECT_EQ(edit.Text(), "B\xFC");
    edit.Destroy();
    system.SetBackend(nullptr);
}

} // namespace
