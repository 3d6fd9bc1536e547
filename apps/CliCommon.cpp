#include "CliCommon.h"

#include "platform/cad/Host.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace hostapp {

bool OpenDrawing(const std::string& path) {
    cad::DxfResult result = cad::Host::Instance().OpenDrawing(path);
    if (!result.Ok()) {
        if (result.line > 0)
            std::fprintf(stderr, "vantorel: %s, %s: %s\n", path.c_str(), result.Place().c_str(), result.detail.c_str());
        else
            std::fprintf(stderr, "vantorel: %s\n", result.detail.c_str());
        return false;
    }
    for (const std::string& warning : result.warnings)
        std::fprintf(stderr, "vantorel: %s: %s\n", path.c_str(), warning.c_str());
    return true;
}

bool SameWords(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

void ReportOpenObjects() {
    std::size_t open = cad::Host::Instance().WorkingDatabase().OpenObjectCount();
    if (open > 0)
        std::fprintf(stderr, "vantorel: %zu object(s) of the drawing were left open\n", open);
}

bool SaveDrawingTo(const std::string& path) {
    cad::DxfResult saved = cad::Host::Instance().SaveDrawing(path);
    if (!saved.Ok()) {
        std::fprintf(stderr, "vantorel: %s: %s\n", path.c_str(), saved.detail.c_str());
        return false;
    }
    return true;
}

} // namespace hostapp
