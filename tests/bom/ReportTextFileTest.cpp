#include "bom/ReportTextFile.h"

#include "BomTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using bomtest::Slurp;
using bomtest::TakeAlerts;
using bomtest::TempFolder;
using vantorel::ProposeReportFileName;
using vantorel::WriteReportTextFile;

// Rows of texts as a report grid would show them; row -1 is the heading row.
class Rows : public vantorel::ShownReportView {
public:
    explicit Rows(std::vector<std::vector<std::string>> rows) : m_rows(std::move(rows)) {}
    long ShownRowCount() const override { return static_cast<long>(m_rows.size()); }
    std::string ShownText(int col, long row) const override {
        static const char* const kHeadings[] = {"Block name", "Item Price", "Quantity", "Description", "Total"};
        return row < 0 ? kHeadings[col] : m_rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
    }

private:
    std::vector<std::vector<std::string>> m_rows;
};

const Rows kDoor({{"door", "12.50", "3", "Wooden door", "37.50"}, {"Summary:", "", "", "", "37.50"}});

TEST(ReportTextFile, ProposesTheCatalogueFolderAndBothNames) {
    EXPECT_EQ(ProposeReportFileName("", "Plan1.dwg"), "Plan1.txt");
    EXPECT_EQ(ProposeReportFileName("C:\\prices\\doors.prc", "Plan1.dwg"), "C:\\prices\\doors-Plan1.txt");
    EXPECT_EQ(ProposeReportFileName("/work/doors.prc", "office.dxf"), "/work/doors-office.txt");
    // Texts shorter than an extension are cut to nothing.
    EXPECT_EQ(ProposeReportFileName("", "a.b"), ".txt");
    EXPECT_EQ(ProposeReportFileName("x", "Plan1.dwg"), "-Plan1.txt");
}

TEST(ReportTextFile, WithPricesEveryColumnInItsWidthAndTheSummaryLast) {
    TempFolder folder;
    std::string path = folder.File("report.txt");
    ASSERT_TRUE(WriteReportTextFile(path, "w", kDoor, 1));
    EXPECT_EQ(Slurp(path), "Block name Item Price   Quantity          Description      Total\n"
                           "      door      12.50          3          Wooden door      37.50\n"
                           "  Summary:                                                 37.50\n");
}

TEST(ReportTextFile, WithoutPricesThreeColumnsAndNoSummary) {
    TempFolder folder;
    std::string path = folder.File("report.txt");
    ASSERT_TRUE(WriteReportTextFile(path, "w", kDoor, 0));
    EXPECT_EQ(Slurp(path), "Block name   Quantity          Description\n"
                           "      door          3          Wooden door\n");
}

TEST(ReportTextFile, LongTextsPushTheLineRightAndAnEmptyReportIsItsHeading) {
    TempFolder folder;
    std::string path = folder.File("report.txt");
    Rows longName({{"door-with-glass", "1.00", "12", "Door with a glass pane", "12.00"}});
    ASSERT_TRUE(WriteReportTextFile(path, "w", longName, 1));
    EXPECT_EQ(Slurp(path), "Block name Item Price   Quantity          Description      Total\n"
                           "door-with-glass       1.00         12 Door with a glass pane      12.00\n");
    ASSERT_TRUE(WriteReportTextFile(path, "w", Rows({}), 1));
    EXPECT_EQ(Slurp(path), "Block name Item Price   Quantity          Description      Total\n");
}

TEST(ReportTextFile, AFileThatCannotBeWrittenIsToldAndTheOldOneStays) {
    TempFolder folder;
    TakeAlerts();
    std::string missing = folder.File("no-folder/report.txt");
    EXPECT_FALSE(WriteReportTextFile(missing, "w", kDoor, 1));
    EXPECT_EQ(TakeAlerts(), std::vector<std::string>{"File " + missing + " could  not be opened"});
    std::string old = folder.Write("old.txt", "kept\n");
    std::filesystem::permissions(folder.Path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    bool written = WriteReportTextFile(old, "w", kDoor, 1);
    std::filesystem::permissions(folder.Path(), std::filesystem::perms::owner_all);
    if (::geteuid() != 0) { // root writes into read-only folders
        EXPECT_FALSE(written);
        EXPECT_EQ(TakeAlerts(), std::vector<std::string>{"File " + old + " could  not be opened"});
        EXPECT_EQ(Slurp(old), "kept\n");
    }
}

} // namespace
