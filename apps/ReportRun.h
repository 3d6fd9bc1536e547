#pragma once

// `vantorel report`: the user's side of one report built from the options, run through the real dialog.
#include "Session.h"
#include "exporters/ExportedReport.h"
#include "references/ReferenceList.h"

#include <string>
#include <vector>

namespace hostapp {

struct ReportOptions {
    std::vector<std::string> drawings; // one, or several reported as one
    int jobs = 0;                      // drawings read at once; 0: one per core
    std::string catalog;
    std::string catalogSource; // the spreadsheet (.csv, .xlsx) `catalog` was converted from; empty for a .prc
    std::string select = "all";
    std::string sort;
    bool hidePrices = false;
    std::string text;
    std::string table;
    double scale = 0.0;
    bool scaleGiven = false;
    std::string output;
    std::string snapshot;
    // What the census counts, set as the host's variables for this run.
    std::string names = "stored"; // BOMNAMES: stored or effective
    bool nested = false;          // BOMNESTED
    bool minsert = false;         // BOMMINSERT
    bool skipTables = false;      // BOMSKIPTABLES
    std::string keyAttribute;     // BOMKEYATTR
    std::string attributes;       // BOMATTRS: TAG,TAG
    // How Insert makes and places the table (BOMREPLACE, BOMTABLETEXT, BOMTEXTHEIGHT).
    bool replaceTable = false;
    bool tableText = false;
    double textHeight = 1.0;
    // The report also saved in these formats, through the dialog's "Save to file" as a user would.
    std::string csv;
    std::string xlsx;
    std::string json;
    // Every counted reference listed here, CSV or JSON by the extension.
    std::string references;
    // What the quantity columns of CSV, XLSX and JSON are split by: drawing, layer, layout, none ("": the default).
    std::string columnsBy;
};

// Whether a reference of the working drawing's model space (with `allLayouts`, of its paper space too) has the
// attribute `tag` with a value.
bool AnyReferenceCarries(const std::string& tag, bool allLayouts);
// What a report's switches did not find that the user would want to know, on standard error: --key-attribute
// with a tag no reference carries; this program's own table (`table`, a row's name) counted without --skip-tables.
void TellWhatTheSwitchesMissed(const ReportOptions& options, bool keyCarried, const std::string& table);
// Whether --csv, --xlsx, --json and --references name files of their formats; false after saying which does not.
bool ExportNamesFit(const ReportOptions& options);
// The user's side of one report, from the options: false after printing why they make no session.
bool BuildReportSession(const ReportOptions& options, const std::string& textPath, Session& session);

// The tags of --attributes that no counted reference carries, said on standard error.
void TellTagsNotCarried(const std::vector<std::string>& tags, const std::vector<std::string>& carried);

// The report as --csv, --xlsx and --json name it; false after saying which could not be written.
[[nodiscard]] bool WriteExports(const ReportOptions& options, const vantorel::ExportedReport& report);
// A report's facts for the other formats before any row: prices shown, the catalogue, the switches.
[[nodiscard]] vantorel::ExportedReport ExportShell(const ReportOptions& options);

// Runs the report on the drawing with the module at `modulePath`; the exit code, after saying what went wrong.
int RunReport(const ReportOptions& options, const std::string& modulePath);

} // namespace hostapp
