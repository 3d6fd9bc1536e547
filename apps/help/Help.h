#pragma once

// What the program says of itself: its version, and its manual page and bash completion, both made from the
// same definitions of the command line as --help, so none of them can name an option the program lacks.
#include <CLI/CLI.hpp>

#include <string>

namespace hostapp {

// "vantorel 0.1 (git 1a2b3c4)", or without the revision when built from sources that are no checkout.
std::string VersionText();
// The page vantorel(1) in man(7) markup.
std::string ManualPage(const CLI::App& app);
// A bash completion script: subcommands, their options, --codepage's values, files by extension.
std::string BashCompletion(const CLI::App& app);

} // namespace hostapp
