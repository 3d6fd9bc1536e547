#include "ReportRun.h"

#include "CliCommon.h"
#include "ManyDrawings.h"
#include "ReportColumns.h"
#include "Session.h"
#include "catalog/CatalogCheck.h"
#include "catalog/CatalogConversion.h"

#include "platform/cad/Host.h"
#include "platform/cad/Text.h"
#include "bom/BomReport.h"
#include "platform/files/ReplacingWrite.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <unistd.h>
#include <vector>

namespace hostapp {

namespace {
// "X,Y" or "X1,Y1,X2,Y2" as numbers; false when the text is not that many numbers.
bool ParseNumbers(const std::string& text, std::size_t count, std::vector<double>& numbers) {
    numbers.clear();
    std::stringstream in(text);
    std::string item;
    while (std::getline(in, item, ',')) {
        char* end = nullptr;
        double value = std::strtod(item.c_str(), &end);
        if (item.empty() || !end || *end != '\0')
            return false;
        numbers.push_back(value);
    }
    return numbers.size() == count;
}

Step MakeStep(Step::Kind kind, std::string text = {}, double number = 0.0) {
    Step step;
    step.kind = kind;
    step.text = std::move(text);
    step.number = number;
    return step;
}

// Whether model space holds a table this program placed (a reference to a block named QVT and four more
// characters): then Insert refreshes it with --replace-table, and asks for no corner.
bool HoldsPlacedTable() {
    const cad::Database& database = cad::Host::Instance().WorkingDatabase();
    const auto* model = database.PeekAs<cad::BlockTableRecord>(database.ModelSpaceId());
    for (cad::ObjectId id : model ? model->entities : std::vector<cad::ObjectId>{}) {
        const auto* reference = database.PeekAs<cad::BlockReference>(id);
        const auto* block = reference && !reference->IsErased() ? database.PeekAs<cad::BlockTableRecord>(reference->blockId)
                                                                : nullptr;
        if (block && block->name.size() == 7 && SameWords(block->name.substr(0, 3), "QVT"))
            return true;
    }
    return false;
}

// This program's own tables among the rows of the text file: names of seven characters starting qvt.
std::string PlacedTableRow(const std::string& textPath) {
    std::ifstream text(textPath);
    std::string line;
    std::getline(text, line);
    while (std::getline(text, line)) {
        std::istringstream fields(line);
        std::string name;
        fields >> name;
        if (name.size() == 7 && SameWords(name.substr(0, 3), "QVT"))
            return name;
    }
    return {};
}

} // namespace

// Whether any reference of model space (and with all layouts, of paper space) has the attribute `tag` with a
// value: without one, --key-attribute changes nothing, which the user would want to know.
bool AnyReferenceCarries(const std::string& tag, bool allLayouts) {
    const cad::Database& database = cad::Host::Instance().WorkingDatabase();
    const auto* table = database.PeekAs<cad::SymbolTable>(database.BlockTableId());
    for (cad::ObjectId recordId : table ? table->records : std::vector<cad::ObjectId>{}) {
        const auto* record = database.PeekAs<cad::BlockTableRecord>(recordId);
        bool space = recordId == database.ModelSpaceId() ||
                     (allLayouts && record && record->name.size() >= 12 &&
                      SameWords(record->name.substr(0, 12), "*Paper_Space"));
        if (!record || !space)
            continue;
        for (cad::ObjectId id : record->entities) {
            const auto* reference = database.PeekAs<cad::BlockReference>(id);
            for (cad::ObjectId attributeId : reference ? reference->attributes : std::vector<cad::ObjectId>{}) {
                const auto* attribute = database.PeekAs<cad::Attribute>(attributeId);
                if (attribute && !attribute->text.empty() && cad::NamesEqual(attribute->tag, tag))
                    return true;
            }
        }
    }
    return false;
}

void TellWhatTheSwitchesMissed(const ReportOptions& o, bool keyCarried, const std::string& table) {
    if (!o.keyAttribute.empty() && !keyCarried)
        std::fprintf(stderr, "vantorel: no reference carries the attribute %s with a value: every reference was "
                             "counted under its block's name\n",
                     o.keyAttribute.c_str());
    if (!table.empty() && !o.skipTables)
        std::fprintf(stderr, "vantorel: the report counts %s, a table this program placed; --skip-tables leaves such "
                             "tables out\n",
                     table.c_str());
}

void TellTagsNotCarried(const std::vector<std::string>& tags, const std::vector<std::string>& carried) {
    for (const std::string& tag : tags) {
        if (std::find(carried.begin(), carried.end(), tag) == carried.end())
            std::fprintf(stderr, "vantorel: no counted reference carries the attribute %s: its values are empty\n",
                         tag.c_str());
    }
}

bool WriteExports(const ReportOptions& o, const vantorel::ExportedReport& report) {
    bool written = true;
    for (auto [path, write] : {std::pair{&o.csv, &vantorel::WriteCsv}, std::pair{&o.xlsx, &vantorel::WriteXlsx},
                               std::pair{&o.json, &vantorel::WriteJson}}) {
        std::string why;
        if (!path->empty() && !write(*path, report, why)) {
            std::fprintf(stderr, "vantorel: the report could not be written to %s\n", path->c_str());
            written = false;
        }
    }
    return written;
}

vantorel::ExportedReport ExportShell(const ReportOptions& o) {
    vantorel::ExportedReport report;
    report.showPrice = !o.hidePrices;
    report.hasSummary = report.showPrice;
    report.catalog = o.catalogSource.empty() ? o.catalog : o.catalogSource;
    report.switches.effectiveNames = o.names == "effective";
    report.switches.nested = o.nested;
    report.switches.grids = o.minsert;
    report.switches.skipTables = o.skipTables;
    report.switches.keyAttribute = o.keyAttribute;
    report.switches.attributeTags = vantorel::SplitAttributeTags(o.attributes);
    return report;
}

bool ExportNamesFit(const ReportOptions& o) {
    for (auto [path, extension] : {std::pair{&o.csv, ".csv"}, std::pair{&o.xlsx, ".xlsx"}, std::pair{&o.json, ".json"}}) {
        std::string ending(extension);
        if (!path->empty() &&
            (path->size() < ending.size() || !SameWords(path->substr(path->size() - ending.size()), ending))) {
            std::fprintf(stderr, "vantorel: --%s takes a name ending in %s, which says the format\n", extension + 1,
                         extension);
            return false;
        }
    }
    if (!o.references.empty() && !references::IsReferenceFileName(o.references)) {
        std::fprintf(stderr, "vantorel: --references takes a name ending in .csv or .json, which says the format\n");
        return false;
    }
    return true;
}

bool BuildReportSession(const ReportOptions& o, const std::string& textPath, hostapp::Session& session) {
    session.Add(o.catalog.empty() ? MakeStep(Step::Cancel) : MakeStep(Step::File, o.catalog));
    std::vector<double> n;
    if (o.select == "all" || o.select == "all-layouts") {
        session.Add(MakeStep(o.select == "all" ? Step::SelectAll : Step::SelectAllLayouts));
    } else if (o.select.rfind("layer:", 0) == 0) {
        session.Add(MakeStep(Step::SelectLayer, o.select.substr(6)));
    } else if (o.select.rfind("window:", 0) == 0 && ParseNumbers(o.select.substr(7), 4, n)) {
        Step step = MakeStep(Step::SelectWindow);
        step.a = cad::Point3d{n[0], n[1], 0.0};
        step.b = cad::Point3d{n[2], n[3], 0.0};
        session.Add(step);
    } else {
        std::fprintf(stderr, "vantorel: --select takes all, all-layouts, layer:NAME or window:X1,Y1,X2,Y2, not %s\n", o.select.c_str());
        return false;
    }
    if (!o.sort.empty()) {
        std::string column = o.sort;
        bool descending = false;
        if (auto colon = column.rfind(':'); colon != std::string::npos) {
            std::string direction = column.substr(colon + 1);
            if (direction != "desc" && direction != "asc") {
                std::fprintf(stderr, "vantorel: --sort takes COLUMN, COLUMN:asc or COLUMN:desc\n");
                return false;
            }
            descending = direction == "desc";
            column = column.substr(0, colon);
        }
        static const char* const kHeadings[] = {"Block name", "Item Price", "Quantity", "Description", "Total"};
        std::string heading;
        for (const char* known : kHeadings)
            if (SameWords(column, known))
                heading = known;
        if (heading.empty()) {
            std::fprintf(stderr, "vantorel: --sort takes a column heading of the report: \"Block name\", "
                                 "\"Item Price\", \"Quantity\", \"Description\" or \"Total\" (not \"%s\")\n",
                         column.c_str());
            return false;
        }
        column = heading;
        if (o.hidePrices && (column == "Item Price" || column == "Total")) {
            std::fprintf(stderr, "vantorel: --sort %s: --hide-prices hides that column; sort by \"Block name\", "
                                 "\"Quantity\" or \"Description\"\n",
                         column.c_str());
            return false;
        }
        // The grid starts marked as sorted by block name, ascending: the first click on that heading turns
        // it round, the first click on any other sorts it ascending.
        int clicks = column == "Block name" ? (descending ? 1 : 2) : (descending ? 2 : 1);
        for (int i = 0; i < clicks; ++i)
            session.Add(MakeStep(Step::ClickHeader, column));
    }
    if (o.hidePrices)
        session.Add(MakeStep(Step::ClickControl, "Show Price"));
    if (!o.snapshot.empty())
        session.Add(MakeStep(Step::Snapshot, o.snapshot));
    session.Add(MakeStep(Step::ClickControl, "Save to file"));
    session.Add(MakeStep(Step::File, textPath));
    if (!ExportNamesFit(o))
        return false;
    for (const std::string* path : {&o.csv, &o.xlsx, &o.json}) {
        if (path->empty())
            continue;
        session.Add(MakeStep(Step::ClickControl, "Save to file"));
        session.Add(MakeStep(Step::File, *path));
    }
    if (!(o.textHeight > 0.0)) {
        std::fprintf(stderr, "vantorel: --text-height takes a number above 0, the height of the table's text\n");
        return false;
    }
    if (o.scaleGiven && !(o.scale > 0.0)) {
        std::fprintf(stderr, "vantorel: --scale takes a number above 0, the size of the table against its own\n");
        return false;
    }
    if (o.scaleGiven && o.table.empty()) {
        std::fprintf(stderr, "vantorel: --scale sizes the table: give --table X,Y too\n");
        return false;
    }
    if (o.output.size() >= 4 && SameWords(o.output.substr(o.output.size() - 4), ".dwg")) {
        std::fprintf(stderr, "vantorel: -o takes a name ending in .dxf: drawings are saved as DXF, and DWG cannot be "
                             "written here\n");
        return false;
    }
    if (!o.table.empty() && o.output.empty()) {
        std::fprintf(stderr, "vantorel: --table puts a table into the drawing: give -o OUT.dxf to save the drawing\n");
        return false;
    }
    if (o.table.empty()) {
        session.Add(MakeStep(Step::ClickControl, "Close"));
        return true;
    }
    if (!ParseNumbers(o.table, 2, n)) {
        std::fprintf(stderr, "vantorel: --table takes X,Y\n");
        return false;
    }
    session.Add(MakeStep(Step::ClickControl, "Insert"));
    if (o.replaceTable && HoldsPlacedTable())
        return true;
    Step corner = MakeStep(Step::Point);
    corner.a = cad::Point3d{n[0], n[1], 0.0};
    session.Add(corner);
    session.Add(o.scaleGiven ? MakeStep(Step::Scale, {}, o.scale) : MakeStep(Step::Return));
    return true;
}

namespace {
// The switches of the command line as the host's variables, where the module reads them.
void SetCountingVariables(const ReportOptions& o) {
    cad::Editor& editor = cad::Host::Instance().GetEditor();
    auto flag = [&editor](const char* name, bool on) {
        [[maybe_unused]] int set = editor.SetVariable(name, cad::VariableValue{static_cast<std::int16_t>(on ? 1 : 0)});
    };
    flag("BOMNAMES", o.names == "effective");
    flag("BOMNESTED", o.nested);
    flag("BOMMINSERT", o.minsert);
    flag("BOMSKIPTABLES", o.skipTables);
    [[maybe_unused]] int set = editor.SetVariable("BOMKEYATTR", cad::VariableValue{o.keyAttribute});
    set = editor.SetVariable("BOMATTRS", cad::VariableValue{o.attributes});
    flag("BOMREPLACE", o.replaceTable);
    // The other formats go through the dialog's Save to file, which writes them only with the switch on; a report
    // over several drawings takes each drawing's rows from its CSV.
    flag("BOMFILEFORMATS", !o.csv.empty() || !o.xlsx.empty() || !o.json.empty() || o.drawings.size() > 1);
    flag("BOMTABLETEXT", o.tableText);
    set = editor.SetVariable("BOMTEXTHEIGHT", cad::VariableValue{o.textHeight});
}


// References the report lists under anonymous names (*U12: a dynamic block's state), counted from the rows of
// the text file: such a name has no blanks, and its quantity is the third field (the second without prices).
long AnonymousReferences(const std::string& textPath, bool hidePrices) {
    std::ifstream text(textPath);
    long references = 0;
    std::string line;
    std::getline(text, line); // the headings
    while (std::getline(text, line)) {
        std::istringstream fields(line);
        std::string name;
        std::string price;
        long quantity = 0;
        fields >> name;
        if (!hidePrices)
            fields >> price;
        if (name.size() > 2 && (name[1] == 'u' || name[1] == 'U') && name[0] == '*' && (fields >> quantity))
            references += quantity;
    }
    return references;
}
} // namespace

namespace {
// The report's CSV, XLSX and JSON with the quantity split into columns, from the rows of the module's CSV at
// `csvPath` and the references counted; false after saying what could not be written.
bool WriteSplitExports(const ReportOptions& o, const std::string& columnsBy, const std::string& csvPath,
                       const references::ReferenceList& counted) {
    std::ifstream csvFile(csvPath, std::ios::binary);
    std::stringstream csvText;
    csvText << csvFile.rdbuf();
    vantorel::ExportedReport report = ExportShell(o);
    report.rows = RowsFromCsv(csvText.str(), report.switches.attributeTags.size(), report.showPrice);
    report.drawings = o.drawings;
    for (const vantorel::ExportedRow& row : report.rows)
        report.summary = vantorel::AddPrices(report.summary, row.total);
    if (columnsBy == "drawing") {
        report.columnsBy = columnsBy;
        report.columns = o.drawings;
        for (vantorel::ExportedRow& row : report.rows)
            row.quantities = {row.quantity};
    } else if (!columnsBy.empty()) {
        QuantitySplit split(columnsBy);
        split.Add(counted);
        split.Fill(report);
    }
    return WriteExports(o, report);
}
} // namespace

int RunReport(const ReportOptions& given, const std::string& modulePath) {
    cad::Host& host = cad::Host::Instance();
    ReportOptions ro = given;
    // A spreadsheet of prices becomes a catalogue the module reads; what it cannot carry is said here, cell by cell.
    std::vector<std::string> problems;
    std::string failure;
    bool converted = catalog::CatalogueForModule(given.catalog, ro.catalog, problems, failure);
    for (const std::string& problem : problems)
        std::fprintf(stderr, "vantorel: %s\n", problem.c_str());
    if (!converted) {
        std::fprintf(stderr, "vantorel: %s\n", failure.c_str());
        return kExitCommandFailed;
    }
    if (ro.catalog != given.catalog)
        ro.catalogSource = given.catalog;
    SetCountingVariables(ro);
    if (ro.catalogSource.empty())
        WarnOfCatalog(ro.catalog);
    if (!ro.columnsBy.empty() && ro.columnsBy != "none" && ro.csv.empty() && ro.xlsx.empty() && ro.json.empty())
        std::fprintf(stderr, "vantorel: --columns-by splits the quantity columns of --csv, --xlsx and --json, and "
                             "none of them was given: the report printed keeps its one quantity column\n");
    if (ro.drawings.size() > 1)
        return RunManyDrawingsReport(ro, modulePath);
    std::string columnsBy;
    if (!ColumnsByOf(ro.columnsBy, 1, columnsBy) || !ExportNamesFit(ro))
        return kExitUsage;
    // Split quantities come from the references the host lists, and a spreadsheet's name from the host: the module's
    // CSV is read back and every format written here.
    bool split = (!columnsBy.empty() || !ro.catalogSource.empty()) &&
                 (!ro.csv.empty() || !ro.xlsx.empty() || !ro.json.empty());
    ReportOptions steps = ro;
    ScratchFolder scratch;
    if (split) {
        if (!scratch.Make())
            return kExitCommandFailed;
        steps.csv = scratch.File("report.csv");
        steps.xlsx.clear();
        steps.json.clear();
    }
    std::size_t leftOut = 0;
    if (!OpenDrawing(ro.drawings.front(), &leftOut))
        return kExitDrawingRefused;
    std::string error;
    if (!host.Modules().Load(modulePath, error)) {
        std::fprintf(stderr, "vantorel: %s\n", error.c_str());
        return kExitModuleRefused;
    }
    // Without --text the report goes to a file without a name, read back for stdout: nothing is left behind.
    std::string textPath = ro.text;
    files::PrivateTemporary unnamed;
    std::string why;
    if (textPath.empty()) {
        if (!unnamed.Open("vantorel-report-", ".txt", why)) {
            std::fprintf(stderr, "vantorel: %s\n", why.c_str());
            return kExitCommandFailed;
        }
        textPath = unnamed.Path();
    }
    hostapp::Session session;
    session.SetFilesFromCommandLine(true);
    int exitCode = kExitOk;
    if (!BuildReportSession(steps, textPath, session)) {
        exitCode = kExitUsage;
    } else {
        session.Attach();
        host.GetEditor().ForgetSelection();
        std::size_t printed = host.GetEditor().CommandLine().size();
        int status = host.RunCommand("KXBOMC");
        session.Detach();
        for (const std::string& alert : host.GetEditor().Alerts())
            std::fprintf(stderr, "vantorel: alert: %s\n", alert.c_str());
        // The command line is not shown here; what the census said of the drawing is.
        std::istringstream said(host.GetEditor().CommandLine().substr(printed));
        for (std::string line; std::getline(said, line);) {
            if (line.rfind("Block ", 0) == 0 && line.find(" reference to itself:") != std::string::npos)
                std::fprintf(stderr, "vantorel: %s\n", line.c_str());
        }
        ReportOpenObjects();
        const std::vector<std::string>& alerts = host.GetEditor().Alerts();
        std::string failedPath;
        for (const std::string* path : std::initializer_list<const std::string*>{&textPath, &ro.csv, &ro.xlsx, &ro.json}) {
            if (!path->empty() && failedPath.empty() &&
                std::find(alerts.begin(), alerts.end(), "File " + *path + " could  not be opened") != alerts.end())
                failedPath = *path;
        }
        bool textFailed = !failedPath.empty();
        if (status == cad::RtNorm && session.Error().empty() && !session.Empty() &&
            host.GetEditor().LastSelectionKept() == 0) {
            std::fprintf(stderr, "vantorel: no block references were selected; try --select all or another "
                                 "layer or window\n");
            exitCode = kExitCommandFailed;
        } else if (!ro.catalog.empty() && std::find(alerts.begin(), alerts.end(), "File " + ro.catalog +
                                                        " could  not be opened") != alerts.end()) {
            std::fprintf(stderr, "vantorel: the catalogue %s could not be read\n", ro.catalog.c_str());
            exitCode = kExitCommandFailed;
        } else if (textFailed) {
            std::fprintf(stderr, "vantorel: the report could not be written to %s\n", failedPath.c_str());
            exitCode = kExitCommandFailed;
        } else if (status == cad::RtNorm && session.Error().empty() && !session.Empty()) {
            // The command ended before the user's side was done: a selection without block references,
            // a catalogue that could not be read, or a dialog that closed early.
            std::fprintf(stderr, "vantorel: the report ended before all of its steps were taken\n");
            exitCode = kExitCommandFailed;
        } else if (status != cad::RtNorm || !session.Error().empty()) {
            std::fprintf(stderr, "vantorel: the report did not run through: %s\n",
                         session.Error().empty() ? "the command failed" : session.Error().c_str());
            exitCode = kExitCommandFailed;
        } else {
            // Printed from the file it went to; a device (/dev/stdout, say) has had it already.
            std::error_code ignored;
            if (std::filesystem::is_regular_file(textPath, ignored)) {
                std::ifstream text(textPath);
                std::cout << text.rdbuf();
                std::cout.flush();
                long anonymous = ro.names == "effective" ? 0 : AnonymousReferences(textPath, ro.hidePrices);
                if (anonymous > 0)
                    std::fprintf(stderr, "vantorel: %ld reference%s counted under anonymous names (*U...), the states "
                                         "of dynamic blocks; --names effective counts them under their blocks' own "
                                         "names\n",
                                 anonymous, anonymous == 1 ? " is" : "s are");
            }
            if (leftOut > 0)
                std::fprintf(stderr, "vantorel: %s\n", CountedFromDamaged(leftOut).c_str());
            TellWhatTheSwitchesMissed(
                ro, !ro.keyAttribute.empty() && AnyReferenceCarries(ro.keyAttribute, ro.select == "all-layouts"),
                std::filesystem::is_regular_file(textPath, ignored) ? PlacedTableRow(textPath) : std::string());
            references::CountingRules rules = references::CountingRules::FromHost();
            TellTagsNotCarried(rules.attributeTags,
                               references::CarriedTags(host.WorkingDatabase(), host.GetEditor().LastSelection(),
                                                       rules.attributeTags, rules.nested));
            if (!ro.references.empty() || split) {
                references::ReferenceList counted(host.WorkingDatabase(), rules);
                counted.Count(host.GetEditor().LastSelection());
                std::string reason;
                if (!ro.references.empty() &&
                    !references::WriteReferenceFile(ro.references, ro.drawings.front(), counted, reason)) {
                    std::fprintf(stderr, "vantorel: the references could not be written: %s\n", reason.c_str());
                    exitCode = kExitCommandFailed;
                }
                if (split && !WriteSplitExports(ro, columnsBy, steps.csv, counted))
                    exitCode = kExitCommandFailed;
            }
            if (!ro.output.empty() && !SaveDrawingTo(ro.output))
                exitCode = kExitCommandFailed;
        }
    }
    host.Modules().UnloadAll();
    return exitCode;
}

} // namespace hostapp
