#pragma once

namespace vantorel {

inline constexpr const char* kCommandGroup = "VirivIdiro_Group";

void RegisterCommands();
void RemoveCommands();

// The catalogue command, KXBOMT.
void RunCatalogCommand();
// The report command, KXBOMC.
void RunReportCommand();

} // namespace vantorel
