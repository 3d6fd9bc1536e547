#include "CliCommon.h"

#include "platform/cad/Host.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace hostapp {

bool OpenDrawing(const std::string& path, std::size_t* leftOut) {
    cad::DxfResult result = cad::Host::Instance().OpenDrawing(path);
    if (!result.Ok()) {
        if (result.line > 0)
            std::fprintf(stderr, "vantorel: %s, %s: %s\n", path.c_str(), result.Place().c_str(), result.detail.c_str());
        else
            std::fprintf(stderr, "vantorel: %s\n", result.detail.c_str());
        return false;
    }
    TellWhatWasRead(path, result);
    if (leftOut)
        *leftOut = result.leftOut.size();
    return true;
}

void TellWhatWasRead(const std::string& path, const cad::DxfResult& result) {
    for (const std::string& warning : result.warnings)
        std::fprintf(stderr, "vantorel: %s: %s\n", path.c_str(), warning.c_str());
    for (const std::string& note : result.DamageNotes(path))
        std::fprintf(stderr, "vantorel: %s\n", note.c_str());
}

std::string CountedFromDamaged(std::size_t leftOut) {
    return "counted from a damaged drawing: " + std::to_string(leftOut) + (leftOut == 1 ? " object" : " objects") +
           " left out";
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
