#include "Terminal.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <thread>
#include <vector>

namespace hostapp {

namespace {
std::string Lowered(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return out;
}

std::string LocaleName() {
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value)
            return value;
    }
    return {};
}

bool NamesUtf8(const std::string& charset) {
    std::string lowered = Lowered(charset);
    return lowered == "utf-8" || lowered == "utf8";
}

struct Relay {
    int terminal = -1; // where the converted text goes
    int pipeRead = -1;
    int stream = -1; // 1 or 2
    std::thread thread;
};

std::vector<Relay*>& Relays() {
    static auto* s_relays = new std::vector<Relay*>();
    return *s_relays;
}

void RunRelay(Relay* relay, const textkit::CodePage* page, std::string charset) {
    std::string carried;
    char buffer[4096];
    for (;;) {
        ssize_t got = read(relay->pipeRead, buffer, sizeof buffer);
        if (got <= 0)
            break;
        carried.append(buffer, static_cast<std::size_t>(got));
        std::size_t whole = page->WholeCharacters(carried);
        std::string converted;
        if (!textkit::ToCharset(std::string_view(carried).substr(0, whole), *page, charset, converted))
            converted = carried.substr(0, whole);
        carried.erase(0, whole);
        for (std::size_t at = 0; at < converted.size();) {
            ssize_t wrote = write(relay->terminal, converted.data() + at, converted.size() - at);
            if (wrote <= 0)
                break;
            at += static_cast<std::size_t>(wrote);
        }
    }
    if (!carried.empty()) {
        std::string rest;
        if (textkit::ToCharset(carried, *page, charset, rest))
            [[maybe_unused]] ssize_t wrote = write(relay->terminal, rest.data(), rest.size());
    }
}

void StopRelays() {
    std::fflush(stdout);
    std::fflush(stderr);
    for (Relay* relay : Relays()) {
        // The stream's descriptor is the pipe's last writer: put the terminal back there, and the relay sees
        // the end once it has passed on what was written.
        dup2(relay->terminal, relay->stream);
        relay->thread.join();
        close(relay->terminal);
        close(relay->pipeRead);
        delete relay;
    }
    Relays().clear();
}
} // namespace

const textkit::CodePage& LocaleCodePage() {
    return NamesUtf8(LocaleCharset()) ? textkit::CodePage::Utf8() : textkit::CodePage::Default();
}

std::string LocaleCharset() {
    std::string name = LocaleName();
    std::size_t dot = name.find('.');
    if (dot == std::string::npos)
        return NamesUtf8(name) ? name : std::string();
    std::string charset = name.substr(dot + 1);
    std::size_t modifier = charset.find('@');
    return modifier == std::string::npos ? charset : charset.substr(0, modifier);
}

void ConvertTerminalOutput(const textkit::CodePage& active) {
    std::string charset = LocaleCharset();
    if (charset.empty())
        return;
    if (NamesUtf8(charset) ? active.IsUtf8() : textkit::CodePage::FromName(charset) == &active)
        return;
    bool started = false;
    for (int stream : {STDOUT_FILENO, STDERR_FILENO}) {
        if (!isatty(stream))
            continue;
        int ends[2];
        if (pipe2(ends, O_CLOEXEC) != 0)
            continue;
        auto* relay = new Relay();
        relay->stream = stream;
        relay->pipeRead = ends[0];
        relay->terminal = fcntl(stream, F_DUPFD_CLOEXEC, 3);
        if (relay->terminal < 0 || dup2(ends[1], stream) < 0) {
            close(ends[0]);
            close(ends[1]);
            if (relay->terminal >= 0)
                close(relay->terminal);
            delete relay;
            continue;
        }
        close(ends[1]);
        relay->thread = std::thread(RunRelay, relay, &active, charset);
        Relays().push_back(relay);
        started = true;
    }
    if (started)
        std::atexit(StopRelays);
}

} // namespace hostapp
