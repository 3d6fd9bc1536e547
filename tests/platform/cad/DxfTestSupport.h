#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <unistd.h>

// Drawings written by ezdxf for the tests, and ezdxf's reading of the drawings we write.
namespace dxftest {

inline std::string Slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

inline std::string RunPython(const std::string& arguments) {
    std::string command = "/usr/bin/python3 " + std::string(TEST_DATA_DIR) + "/drawings.py " + arguments + " 2>&1";
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return "cannot run python";
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, n);
    pclose(pipe);
    return output;
}

// The folder of the test drawings, made once per test program.
struct DrawingFolder {
    std::filesystem::path path;
    DrawingFolder() {
        path = std::filesystem::temp_directory_path() / ("vantorel-dxf-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
        RunPython("make " + path.string());
    }
    ~DrawingFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

inline const std::filesystem::path& Drawings() {
    static const DrawingFolder s_folder;
    return s_folder.path;
}

inline std::string EzdxfSummary(const std::filesystem::path& path) {
    return RunPython("summary " + path.string());
}

} // namespace dxftest
