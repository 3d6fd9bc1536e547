#include "platform/cad/dwg/DwgConverter.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

extern char** environ;

namespace cad {

namespace {

// A big drawing takes the converter some seconds; one that runs for minutes has hung.
constexpr int kDefaultSeconds = 120;
constexpr std::size_t kKeptError = 16 * 1024;
constexpr const char* kNoNode =
    "Node.js (node) is not installed here; install it (apt-get install nodejs npm) and run scripts/install-deps.sh";

bool Digit(char c) {
    return c >= '0' && c <= '9';
}

DxfResult Failure(const std::string& dwgPath, const std::string& reason) {
    DxfResult result;
    result.status = DxfStatus::CannotOpen;
    result.detail = "cannot convert " + dwgPath + " from DWG: " + reason;
    return result;
}

// The converter script: named by VANTOREL_DWG_CONVERTER, else beside the program, else under lib/vantorel of the
// prefix the program is installed in, else where the build put it.
std::string ConverterScript() {
    if (const char* named = std::getenv("VANTOREL_DWG_CONVERTER"); named && *named)
        return named;
    std::error_code error;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        for (const std::filesystem::path& script :
             {self.parent_path() / "dwg" / "dwg2dxf.mjs",
              self.parent_path().parent_path() / "lib" / "vantorel" / "dwg" / "dwg2dxf.mjs"}) {
            if (std::filesystem::exists(script, error))
                return script.string();
        }
    }
#ifdef VANTOREL_DWG_CONVERTER_SCRIPT
    return VANTOREL_DWG_CONVERTER_SCRIPT;
#else
    return {};
#endif
}

int TimeLimitSeconds() {
    const char* given = std::getenv("VANTOREL_DWG_TIMEOUT");
    int seconds = given ? std::atoi(given) : 0;
    return seconds > 0 ? seconds : kDefaultSeconds;
}

// The last line of what the converter said, which is where its reason is.
std::string LastLine(const std::string& text) {
    std::size_t end = text.find_last_not_of(" \t\r\n");
    if (end == std::string::npos)
        return {};
    std::size_t start = text.rfind('\n', end);
    return text.substr(start == std::string::npos ? 0 : start + 1, end - (start == std::string::npos ? 0 : start + 1) + 1);
}

// Closes what the guard holds when it goes.
struct Descriptor {
    int fd = -1;
    ~Descriptor() {
        if (fd >= 0)
            close(fd);
    }
};

} // namespace

bool LooksLikeDwg(std::string_view head) {
    if (head.size() < 6 || head.substr(0, 2) != "AC")
        return false;
    std::string_view rest = head.substr(2, 4);
    if (Digit(rest[0]) && Digit(rest[1]) && Digit(rest[2]) && Digit(rest[3]))
        return true;
    return Digit(rest[0]) && rest[1] == '.' && Digit(rest[2]) && Digit(rest[3]);
}

bool IsDwgFile(const std::string& path) {
    char head[6] = {};
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    std::size_t read = std::fread(head, 1, sizeof head, file);
    std::fclose(file);
    return LooksLikeDwg(std::string_view(head, read));
}

namespace {

struct ConverterRun {
    enum Outcome { Done, Failed, NotInstalled, TimedOut, Crashed, NoNode };
    Outcome outcome = Failed;
    std::string reason;
};

// Runs one converter script on the drawing, writing into `output` (its descriptor 3), within the time limit.
ConverterRun RunConverter(const std::string& script, const std::string& dwgPath, int output) {
    ConverterRun run;
    std::error_code error;
    if (script.empty() || !std::filesystem::exists(script, error)) {
        run.outcome = ConverterRun::NotInstalled;
        return run;
    }
    const char* nodeName = std::getenv("VANTOREL_NODE");
    std::string node = nodeName && *nodeName ? nodeName : "node";
    // The converter writes to the file it is given as its descriptor 3, whatever the file's name, if any.
    std::string outputName = "/dev/fd/3";
    if (ftruncate(output, 0) != 0) {
        run.reason = std::string("cannot empty the temporary DXF: ") + std::strerror(errno);
        return run;
    }

    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
        run.reason = std::string("cannot start the converter: ") + std::strerror(errno);
        return run;
    }
    Descriptor reading{pipeEnds[0]};
    Descriptor writing{pipeEnds[1]};

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, writing.fd, STDERR_FILENO);
    posix_spawn_file_actions_adddup2(&actions, output, 3);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // Its own process group, so that a converter that has to be stopped goes with everything it started.
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    std::string scriptName = script;
    std::vector<char*> argv{node.data(), scriptName.data(), const_cast<char*>(dwgPath.c_str()), outputName.data(),
                            nullptr};
    // The converter ends when this process does, killed or not, rather than run on for no one.
    std::string host = "VANTOREL_HOST_PID=" + std::to_string(getpid());
    std::vector<char*> environment;
    for (char** variable = environ; *variable; ++variable) {
        if (std::strncmp(*variable, "VANTOREL_HOST_PID=", 18) != 0)
            environment.push_back(*variable);
    }
    environment.push_back(host.data());
    environment.push_back(nullptr);
    pid_t pid = -1;
    int spawned = posix_spawnp(&pid, node.c_str(), &actions, &attributes, argv.data(), environment.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    close(writing.fd);
    writing.fd = -1;
    if (spawned != 0) {
        run.outcome = ConverterRun::NoNode;
        return run;
    }

    std::string said;
    int limit = TimeLimitSeconds();
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(limit);
    bool timedOut = false;
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            timedOut = true;
            break;
        }
        pollfd watch{reading.fd, POLLIN, 0};
        int ready = poll(&watch, 1, static_cast<int>(std::min<long long>(left.count(), 1000)));
        if (ready < 0 && errno != EINTR)
            break;
        if (ready <= 0)
            continue;
        char buffer[4096];
        ssize_t n = read(reading.fd, buffer, sizeof buffer);
        if (n <= 0)
            break; // the converter has ended, or closed what it says
        if (said.size() < kKeptError)
            said.append(buffer, static_cast<std::size_t>(n));
    }
    if (timedOut)
        kill(-pid, SIGKILL);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    // Whatever the script started goes too.
    kill(-pid, SIGKILL);

    run.reason = LastLine(said);
    if (timedOut) {
        run.outcome = ConverterRun::TimedOut;
        run.reason = "ran past " + std::to_string(limit) + " s and was stopped";
    } else if (WIFSIGNALED(status)) {
        run.outcome = ConverterRun::Crashed;
        run.reason = "it crashed (signal " + std::to_string(WTERMSIG(status)) + ")";
    } else if (int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1; code == 0) {
        run.outcome = ConverterRun::Done;
    } else if (code == 127 || code == 3 || run.reason.find("Cannot find module") != std::string::npos) {
        run.outcome = ConverterRun::NotInstalled;
    } else if (code == 2) {
        run.outcome = ConverterRun::Failed; // it found nothing it could read: there is no more to say
        run.reason.clear();
    } else {
        run.outcome = ConverterRun::Failed;
        if (run.reason.empty())
            run.reason = "it failed";
    }
    return run;
}

// The second converter: named by VANTOREL_DWG_FALLBACK_CONVERTER, else beside the first.
std::string FallbackScript(const std::string& first) {
    if (const char* named = std::getenv("VANTOREL_DWG_FALLBACK_CONVERTER"); named && *named)
        return named;
    if (first.empty())
        return {};
    return (std::filesystem::path(first).parent_path() / "dwg2dxf-libdxfrw.mjs").string();
}

// "LibreDWG could not read it (table index is out of bounds)"
std::string CouldNotRead(const ConverterRun& run) {
    if (run.outcome == ConverterRun::NotInstalled)
        return "LibreDWG is not installed here";
    return "LibreDWG could not read it" + (run.reason.empty() ? std::string() : " (" + run.reason + ")");
}

} // namespace

std::string ReadByLibdxfrw(const std::string& why) {
    return why + "; read by libdxfrw, which keeps no dynamic-block or extended data: check the counts";
}

DxfResult ConvertDwgToDxf(const std::string& dwgPath, ConvertedDrawing& converted, DwgConverter first) {
    std::string why;
    if (!converted.file.Open("vantorel-dwg-", ".dxf", why))
        return Failure(dwgPath, why);
    std::string script = ConverterScript();
    ConverterRun libreDwg;
    if (first == DwgConverter::LibreDwg) {
        libreDwg = RunConverter(script, dwgPath, converted.file.Descriptor());
        if (libreDwg.outcome == ConverterRun::Done) {
            converted.converter = DwgConverter::LibreDwg;
            return DxfResult{};
        }
        if (libreDwg.outcome == ConverterRun::NoNode)
            return Failure(dwgPath, kNoNode);
        // A drawing that has kept the first converter busy past its time is not given to another.
        if (libreDwg.outcome == ConverterRun::TimedOut)
            return Failure(dwgPath, "the converter " + libreDwg.reason);
    }
    // LibreDWG failed or crashed on it: libdxfrw reads some drawings it cannot, though with less of them.
    ConverterRun libdxfrw = RunConverter(FallbackScript(script), dwgPath, converted.file.Descriptor());
    if (libdxfrw.outcome == ConverterRun::Done) {
        converted.converter = DwgConverter::Libdxfrw;
        if (first == DwgConverter::LibreDwg)
            converted.notes.push_back(ReadByLibdxfrw(CouldNotRead(libreDwg)));
        return DxfResult{};
    }
    if (libdxfrw.outcome == ConverterRun::NoNode)
        return Failure(dwgPath, kNoNode);
    bool neither = first == DwgConverter::LibreDwg && libreDwg.outcome == ConverterRun::NotInstalled &&
                   libdxfrw.outcome == ConverterRun::NotInstalled;
    if (neither)
        return Failure(dwgPath, "the DWG converter is not installed here; run scripts/install-deps.sh (it needs "
                                "Node.js and npm)");
    std::string second = libdxfrw.outcome == ConverterRun::NotInstalled
                             ? "libdxfrw, the second converter, is not installed here (scripts/install-deps.sh)"
                             : "libdxfrw could not read it either" +
                                   (libdxfrw.reason.empty() ? std::string() : " (" + libdxfrw.reason + ")");
    std::string firstSaid = first == DwgConverter::LibreDwg ? CouldNotRead(libreDwg) + "; " : std::string();
    return Failure(dwgPath, firstSaid + second +
                                ". Save the drawing as DXF in the program that made it, and open that instead");
}

} // namespace cad
