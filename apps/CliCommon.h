#pragma once

// What the subcommands of the host executable share: their exit codes, and reading and saving the drawing with
// what went wrong said on standard error.
#include "platform/cad/dxf/DxfTags.h"

#include <cstddef>
#include <string>

namespace hostapp {

enum ExitCode : int {
    kExitOk = 0,
    kExitCommandFailed = 1,
    kExitModuleRefused = 2,
    kExitDrawingRefused = 3,
    kExitPartialReport = 4, // a report over several drawings, some of which could not be read
    kExitUsage = 64,
};

// Opens the drawing, telling what the reader noticed and what of a damaged drawing it left out (how many objects, in
// `leftOut`); false after printing why it cannot be read.
bool OpenDrawing(const std::string& path, std::size_t* leftOut = nullptr);
// What a drawing read from `path` holds that is worth telling: its warnings and what of it was left out.
void TellWhatWasRead(const std::string& path, const cad::DxfResult& result);
// "counted from a damaged drawing: 2 objects left out"
std::string CountedFromDamaged(std::size_t leftOut);
// Equal but for the case of A to Z.
bool SameWords(const std::string& a, const std::string& b);
// Objects a command left open are a fault of the module; the user is told, the drawing is still saved.
void ReportOpenObjects();
// False after printing why the drawing could not be saved there.
bool SaveDrawingTo(const std::string& path);

} // namespace hostapp
