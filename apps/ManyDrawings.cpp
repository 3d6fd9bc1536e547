#include "ManyDrawings.h"

#include "CliCommon.h"
#include "ReportColumns.h"
#include "ReportRun.h"
#include "catalog/CatalogCheck.h"

#include "bom/BomReport.h"
#include "bom/ReplacingFile.h"
#include "exporters/ExportedReport.h"
#include "platform/cad/Host.h"
#include "platform/files/ReplacingWrite.h"
#include "platform/text/CodePage.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <mutex>
#include <optional>
#include <semaphore>
#include <sstream>
#include <thread>
#include <unordered_map>

namespace hostapp {

namespace {

// A drawing read on a worker thread, waiting for the host's thread to count it.
struct ReadDrawing {
    bool ready = false;
    bool dwg = false;
    cad::DxfResult result;
    std::unique_ptr<cad::Database> database;
};

// Reads the drawings in order on `jobs` threads. At most `jobs` drawings are held at once (being read, waiting,
// or being counted), so memory follows the largest of them, not their number.
class ParallelReader {
public:
    ParallelReader(const std::vector<std::string>& paths, int jobs)
        : m_paths(paths), m_slots(paths.size()), m_permits(jobs),
          // The cores are shared among the drawings read at once.
          m_threadsEach(std::max(1u, std::thread::hardware_concurrency() / static_cast<unsigned>(jobs))) {
        for (int i = 0; i < jobs; ++i)
            m_workers.emplace_back([this] { Work(); });
    }
    ~ParallelReader() {
        for (std::thread& worker : m_workers)
            worker.join();
    }
    ParallelReader(const ParallelReader&) = delete;
    ParallelReader& operator=(const ParallelReader&) = delete;

    // Waits for drawing `index` and hands it over.
    ReadDrawing Take(std::size_t index) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_ready.wait(lock, [&] { return m_slots[index].ready; });
        return std::move(m_slots[index]);
    }
    // The drawing taken last is done with: another may be read.
    void Release() { m_permits.release(); }

private:
    void Work() {
        const cad::CodePage& active = cad::Host::Instance().ActiveCodePage();
        for (;;) {
            m_permits.acquire();
            std::size_t index = m_next.fetch_add(1);
            if (index >= m_paths.size()) {
                m_permits.release();
                return;
            }
            ReadDrawing read;
            cad::DxfReadOptions options;
            options.threads = m_threadsEach;
            options.strict = cad::Host::Instance().StrictReading();
            read.result = cad::Host::ReadDrawing(m_paths[index], active, read.database, read.dwg, options);
            read.ready = true;
            {
                std::lock_guard<std::mutex> hold(m_mutex);
                m_slots[index] = std::move(read);
            }
            m_ready.notify_all();
        }
    }

    const std::vector<std::string>& m_paths;
    std::vector<ReadDrawing> m_slots;
    std::counting_semaphore<> m_permits;
    unsigned m_threadsEach;
    std::atomic<std::size_t> m_next{0};
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::vector<std::thread> m_workers;
};

// Shows how far the work is, on a terminal and once it has taken a second.
class Progress {
public:
    explicit Progress(std::size_t total) : m_total(total), m_start(std::chrono::steady_clock::now()) {
        // VANTOREL_PROGRESS_AFTER: the seconds of work before the bar shows (0: at once).
        if (const char* after = std::getenv("VANTOREL_PROGRESS_AFTER"); after && *after)
            m_after = std::chrono::milliseconds(static_cast<long>(std::max(0.0, std::atof(after)) * 1000));
    }
    ~Progress() {
        if (m_shown)
            std::fputs("\n", stderr);
    }
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;
    // Ends the bar's line before a message, which would otherwise be written over it; the bar starts again
    // below it.
    void Interrupt() {
        if (m_shown)
            std::fputs("\n", stderr);
        m_shown = false;
    }
    void Done(std::size_t done) {
        if (!isatty(STDERR_FILENO) || std::chrono::steady_clock::now() - m_start < m_after)
            return;
        constexpr std::size_t kWidth = 30;
        std::size_t filled = m_total ? done * kWidth / m_total : kWidth;
        std::fprintf(stderr, "\rvantorel: [%s%s] %zu of %zu drawings", std::string(filled, '#').c_str(),
                     std::string(kWidth - filled, ' ').c_str(), done, m_total);
        std::fflush(stderr);
        m_shown = true;
    }

private:
    std::size_t m_total;
    std::chrono::steady_clock::time_point m_start;
    std::chrono::milliseconds m_after{1000};
    bool m_shown = false;
};

// The drawings named, each once: the same file named twice (or by two paths) is said and counted once.
std::vector<std::string> OnceEach(const std::vector<std::string>& paths) {
    std::vector<std::string> once;
    std::vector<std::string> seen;
    for (const std::string& path : paths) {
        std::error_code error;
        std::filesystem::path canonical = std::filesystem::weakly_canonical(path, error);
        std::string key = error ? path : canonical.string();
        auto found = std::find(seen.begin(), seen.end(), key);
        if (found != seen.end()) {
            const std::string& first = once[static_cast<std::size_t>(found - seen.begin())];
            if (first == path)
                std::fprintf(stderr, "vantorel: %s is given twice: it is counted once\n", path.c_str());
            else
                std::fprintf(stderr, "vantorel: %s is %s again: it is counted once\n", path.c_str(), first.c_str());
            continue;
        }
        seen.push_back(key);
        once.push_back(path);
    }
    return once;
}

// The merged rows as the text file lays them out, names and descriptions in the active code page.
void PrintText(std::ostream& out, const vantorel::ExportedReport& report) {
    auto local = [](const std::string& utf8) {
        std::string bytes;
        return textkit::Active().FromUtf8(utf8, bytes) ? bytes : utf8;
    };
    // The text file's own layout ("%10s %10s ..."), however long the fields; in UTF-8 by the columns shown.
    auto right = [](const std::string& text, std::size_t width) {
        std::size_t shown = textkit::Active().DisplayWidth(text);
        return shown >= width ? text : std::string(width - shown, ' ') + text;
    };
    auto line = [&](const std::vector<std::string>& fields) {
        static constexpr std::size_t kPriced[] = {10, 10, 10, 20, 10};
        static constexpr std::size_t kPlain[] = {10, 10, 20};
        for (std::size_t i = 0; i < fields.size(); ++i)
            out << (i ? " " : "") << right(fields[i], report.showPrice ? kPriced[i] : kPlain[i]);
        out << '\n';
    };
    if (report.showPrice)
        line({"Block name", "Item Price", "Quantity", "Description", "Total"});
    else
        line({"Block name", "Quantity", "Description"});
    for (const vantorel::ExportedRow& row : report.rows) {
        std::string quantity = std::to_string(row.quantity);
        std::string name = local(vantorel::AttributedName(row.blockName, ShownValues(row.attributes)));
        if (report.showPrice)
            line({name, vantorel::FormatMoney(row.itemPrice), quantity, local(row.description),
                  vantorel::FormatMoney(row.total)});
        else
            line({name, quantity, local(row.description)});
    }
    if (report.hasSummary)
        line({"Summary:", "", "", "", vantorel::FormatMoney(report.summary)});
}

// The column a --sort names, and its direction.
void SortRows(std::vector<vantorel::ExportedRow>& rows, const std::string& sort) {
    if (sort.empty())
        return;
    std::string column = sort.substr(0, sort.rfind(':'));
    bool descending = sort.size() > 5 && sort.substr(sort.size() - 5) == ":desc";
    auto lower = [](std::string text) {
        for (char& c : text)
            c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        return text;
    };
    column = lower(column);
    auto less = [&](const vantorel::ExportedRow& a, const vantorel::ExportedRow& b) {
        if (column == "item price")
            return a.itemPrice < b.itemPrice;
        if (column == "quantity")
            return a.quantity < b.quantity;
        if (column == "description")
            return lower(a.description) < lower(b.description);
        if (column == "total")
            return a.total < b.total;
        return lower(vantorel::AttributedName(a.blockName, ShownValues(a.attributes))) <
               lower(vantorel::AttributedName(b.blockName, ShownValues(b.attributes)));
    };
    std::stable_sort(rows.begin(), rows.end(), [&](const auto& a, const auto& b) { return descending ? less(b, a) : less(a, b); });
}

} // namespace

int RunManyDrawingsReport(const ReportOptions& o, const std::string& modulePath) {
    if (!o.table.empty() || !o.output.empty() || !o.snapshot.empty()) {
        std::fprintf(stderr, "vantorel: --table, -o and --snapshot take one drawing; a report over several drawings "
                             "places no table\n");
        return kExitUsage;
    }
    if (!ExportNamesFit(o))
        return kExitUsage;
    std::string columnsBy;
    if (!ColumnsByOf(o.columnsBy, o.drawings.size(), columnsBy))
        return kExitUsage;
    std::vector<std::string> drawings = OnceEach(o.drawings);
    cad::Host& host = cad::Host::Instance();
    std::string error;
    if (!host.Modules().Load(modulePath, error)) {
        std::fprintf(stderr, "vantorel: %s\n", error.c_str());
        return kExitModuleRefused;
    }
    // The module writes each drawing's report into a folder of this run's.
    ScratchFolder folder;
    if (!folder.Make())
        return kExitCommandFailed;
    std::string textPath = folder.File("report.txt");
    std::string csvPath = folder.File("report.csv");
    ReportOptions each = o;
    each.sort.clear();
    each.text.clear();
    each.xlsx.clear();
    each.json.clear();
    each.csv = csvPath;

    vantorel::ExportedReport merged = ExportShell(o);
    std::unordered_map<std::string, std::size_t> byName;
    std::vector<std::string> counted; // the drawings reported
    std::vector<std::vector<vantorel::ExportedRow>> perDrawing;
    int failures = 0;
    int jobs = o.jobs > 0 ? o.jobs : std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    jobs = std::min<int>(jobs, static_cast<int>(drawings.size()));
    Progress progress(drawings.size());
    bool pricesHidden = false;
    bool keyCarried = false;
    QuantitySplit split(columnsBy);
    bool splitByReferences = columnsBy == "layer" || columnsBy == "layout";
    // The references each drawing counted, when the user wants them listed, split or the attributes' tags checked.
    bool listReferences = !o.references.empty() || !o.attributes.empty() || splitByReferences;
    // Each drawing's references go to the file as it is counted: memory holds one drawing's list at a time.
    std::optional<references::ReferenceFileWriter> listed;
    if (!o.references.empty())
        listed.emplace(o.references);
    std::vector<std::string> tagsCarried;
    {
        ParallelReader reader(drawings, jobs);
        for (std::size_t d = 0; d < drawings.size(); ++d) {
            const std::string& path = drawings[d];
            ReadDrawing read = reader.Take(d);
            if (!read.result.Ok() || !read.result.warnings.empty() || !read.result.leftOut.empty())
                progress.Interrupt();
            if (!read.result.Ok()) {
                if (read.result.line > 0)
                    std::fprintf(stderr, "vantorel: %s, %s: %s\n", path.c_str(), read.result.Place().c_str(),
                                 read.result.detail.c_str());
                else
                    std::fprintf(stderr, "vantorel: %s\n", read.result.detail.c_str());
                ++failures;
                reader.Release();
                progress.Done(d + 1);
                continue;
            }
            TellWhatWasRead(path, read.result);
            if (!read.result.leftOut.empty())
                std::fprintf(stderr, "vantorel: %s: %s\n", path.c_str(),
                             CountedFromDamaged(read.result.leftOut.size()).c_str());
            host.AdoptDrawing(path, std::move(read.database), read.dwg);
            // Show Price is the module's to remember from one report to the next: it is clicked off once.
            each.hidePrices = o.hidePrices && !pricesHidden;
            Session session;
            session.SetFilesFromCommandLine(true);
            bool built = BuildReportSession(each, textPath, session);
            int status = cad::RtNorm;
            if (built) {
                session.Attach();
                host.GetEditor().ForgetSelection();
                status = host.RunCommand("KXBOMC");
                session.Detach();
                pricesHidden = pricesHidden || (each.hidePrices && status == cad::RtNorm && session.Error().empty());
            }
            keyCarried = keyCarried || (!o.keyAttribute.empty() && built &&
                                        AnyReferenceCarries(o.keyAttribute, o.select == "all-layouts"));
            if (listReferences && built && status == cad::RtNorm && session.Error().empty()) {
                references::CountingRules rules = references::CountingRules::FromHost();
                for (const std::string& tag : references::CarriedTags(host.WorkingDatabase(),
                                                                      host.GetEditor().LastSelection(),
                                                                      rules.attributeTags, rules.nested)) {
                    if (std::find(tagsCarried.begin(), tagsCarried.end(), tag) == tagsCarried.end())
                        tagsCarried.push_back(tag);
                }
                if (!o.references.empty() || splitByReferences) {
                    references::ReferenceList list(host.WorkingDatabase(), rules);
                    list.Count(host.GetEditor().LastSelection());
                    if (splitByReferences)
                        split.Add(list);
                    if (!o.references.empty())
                        listed->Add(path, list);
                }
            }
            host.GetEditor().ClearAlerts();
            ReportOpenObjects();
            host.Documents().CloseDocument(&host.Documents().Current());
            reader.Release();
            progress.Done(d + 1);
            std::ifstream csvFile(csvPath, std::ios::binary);
            std::stringstream csvText;
            csvText << csvFile.rdbuf();
            std::remove(csvPath.c_str());
            if (!built || status != cad::RtNorm || !session.Error().empty() || csvText.str().empty()) {
                progress.Interrupt();
                std::fprintf(stderr, "vantorel: %s: the report did not run through%s%s\n", path.c_str(),
                             session.Error().empty() ? "" : ": ", session.Error().c_str());
                ++failures;
                continue;
            }
            std::vector<vantorel::ExportedRow> rows =
                RowsFromCsv(csvText.str(), merged.switches.attributeTags.size(), merged.showPrice);
            counted.push_back(path);
            perDrawing.push_back(std::move(rows));
        }
    }
    // The bar's line ends before the report starts below it.
    progress.Interrupt();
    // The rows summed: each name once, in the order it first came, its quantity in each drawing beside the sum.
    merged.drawings = counted;
    for (std::size_t d = 0; d < perDrawing.size(); ++d) {
        for (const vantorel::ExportedRow& row : perDrawing[d]) {
            auto [found, fresh] = byName.try_emplace(RowKey(row.blockName, row.attributes), merged.rows.size());
            if (fresh) {
                merged.rows.push_back(row);
                merged.rows.back().quantity = 0;
                merged.rows.back().total = 0.0;
                merged.rows.back().quantities.assign(perDrawing.size(), 0);
            }
            vantorel::ExportedRow& sum = merged.rows[found->second];
            sum.quantities[d] += row.quantity;
            sum.quantity += row.quantity;
            sum.total = vantorel::AddPrices(sum.total, row.total);
        }
    }
    for (const vantorel::ExportedRow& row : merged.rows)
        merged.summary = vantorel::AddPrices(merged.summary, row.total);
    // By default the columns tell drawings apart: one drawing read of several needs none.
    if (columnsBy == "drawing" && (counted.size() > 1 || !o.columnsBy.empty())) {
        merged.columnsBy = columnsBy;
        merged.columns = counted;
    } else if (splitByReferences) {
        split.Fill(merged);
    }
    SortRows(merged.rows, o.sort);

    int exitCode = failures == 0 ? kExitOk : counted.empty() ? kExitDrawingRefused : kExitPartialReport;
    if (!counted.empty()) {
        std::string table;
        for (const vantorel::ExportedRow& row : merged.rows) {
            if (row.blockName.size() == 7 && SameWords(row.blockName.substr(0, 3), "QVT"))
                table = row.blockName;
        }
        TellWhatTheSwitchesMissed(o, keyCarried, table);
        TellTagsNotCarried(merged.switches.attributeTags, tagsCarried);
        PrintText(std::cout, merged);
        std::cout.flush();
        if (!o.text.empty()) {
            std::ostringstream text;
            PrintText(text, merged);
            vantorel::ReplacingFile file(o.text);
            std::string bytes = text.str();
            bool written = file.Stream() && std::fwrite(bytes.data(), 1, bytes.size(), file.Stream()) == bytes.size();
            if (!written || !file.Commit()) {
                std::fprintf(stderr, "vantorel: the report could not be written to %s\n", o.text.c_str());
                exitCode = kExitCommandFailed;
            }
        }
        if (!WriteExports(o, merged))
            exitCode = kExitCommandFailed;
    }
    std::string reason;
    if (!counted.empty() && listed && !listed->Commit(reason)) {
        std::fprintf(stderr, "vantorel: the references could not be written: %s\n", reason.c_str());
        exitCode = kExitCommandFailed;
    }
    if (failures > 0 && !counted.empty())
        std::fprintf(stderr, "vantorel: the report is partial: %d of %zu drawings could not be read\n", failures,
                     drawings.size());
    host.Modules().UnloadAll();
    return exitCode;
}

} // namespace hostapp
