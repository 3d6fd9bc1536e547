#include "BomTestSupport.h"

#include "bom/BomReport.h"

#include <cfloat>

namespace {

using bomtest::TempFolder;
using vantorel::BomReport;
using vantorel::ReportRow;

std::vector<ReportRow> ReadRows(const std::string& bytes) {
    TempFolder folder;
    BomReport report;
    EXPECT_TRUE(report.ReadCatalog(folder.Write("parts.prc", bytes)));
    return report.Rows();
}

TEST(ReportCatalogRead, PricesAreTheLeadingNumberOfThePriceField) {
    EXPECT_EQ(ReadRows("Door|12.5|Wooden door\n"), (std::vector<ReportRow>{{"Door", 12.5, 0, "Wooden door", 0.0}}));
    EXPECT_EQ(ReadRows("Door|12.5\nLamp|abc|x\nBolt| 2.5kg|\nNut|1e2|\n"),
              (std::vector<ReportRow>{{"Door", 12.5, 0, "", 0.0}, {"Lamp", 0.0, 0, "x", 0.0},
                                      {"Bolt", 2.5, 0, "", 0.0}, {"Nut", 100.0, 0, "", 0.0}}));
    EXPECT_EQ(ReadRows("Door|1|a|b\n|2|x\nWindow||y\nplain\nLast|3|z"),
              (std::vector<ReportRow>{{"Door", 1.0, 0, "a", 0.0}}));
    EXPECT_EQ(ReadRows(""), std::vector<ReportRow>{});
}

TEST(ReportCatalogRead, OnlyADecimalNumberIsAPriceNeitherInfinityNorNanNorHexadecimal) {
    std::vector<ReportRow> rows = ReadRows("a|nan|\nb|inf|\nc|INFINITY|\nd|nan(123)|\ne|-inf|\n"
                                           "f|0x10|\ng|0x1p3|\nh|0X1A.8|\ni|.5|\nj|5.|\nk|-.|\nl|+3e|\nm|1e999|\n"
                                           "n|\t-2.5e+1x|\no|1e-999|\n");
    std::vector<double> prices;
    for (const ReportRow& row : rows)
        prices.push_back(row.itemPrice);
    // 0x10 is the decimal 0 before its x; an exponent without digits is no exponent; 1e999 is beyond a double.
    EXPECT_EQ(prices, (std::vector<double>{0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.5, 5.0, 0.0, 3.0, 0.0, -25.0,
                                           0.0}));
}

TEST(ReportPrices, SumsAndTotalsStayNumbersAtTheEdgeOfTheDoubles) {
    EXPECT_EQ(vantorel::AddPrices(1.5, 2.25), 3.75);
    EXPECT_EQ(vantorel::AddPrices(DBL_MAX, DBL_MAX), DBL_MAX);
    EXPECT_EQ(vantorel::AddPrices(-DBL_MAX, -DBL_MAX), -DBL_MAX);
    EXPECT_EQ(vantorel::AddPrices(DBL_MAX, -DBL_MAX), 0.0);
}

TEST(ReportCatalogRead, ReplacesTheRowsAndEmptiesTheGridFirstButOnlyWhenTheFileOpens) {
    TempFolder folder;
    BomReport report;
    report.AppendRow(ReportRow{"old", 1.0, 3, "", 3.0});
    int emptied = 0;
    bomtest::TakeAlerts();
    std::string missing = folder.File("missing.prc");
    EXPECT_FALSE(report.ReadCatalog(missing, [&] { ++emptied; }));
    EXPECT_EQ(bomtest::TakeAlerts(), std::vector<std::string>{"File " + missing + " could  not be opened"});
    EXPECT_EQ(emptied, 0);
    EXPECT_EQ(report.Rows().size(), 1u);
    EXPECT_TRUE(report.ReadCatalog(folder.Write("parts.prc", "Door|2|d\n"), [&] { ++emptied; }));
    EXPECT_EQ(emptied, 1);
    EXPECT_EQ(report.Rows(), (std::vector<ReportRow>{{"Door", 2.0, 0, "d", 0.0}}));
}

TEST(ReportShownForm, NumbersOfAnySizeAreFormattedWhole) {
    EXPECT_EQ(vantorel::FormatPrice(0.005), "0.01");
    EXPECT_EQ(vantorel::FormatPrice(-1.0), "-1.00");
    EXPECT_EQ(vantorel::FormatPrice(1e300).size(), 304u);
    EXPECT_EQ(vantorel::FormatQuantity(-2147483647 - 1), "-2147483648");
}

TEST(ReportRows, TheListGrowsInWholeStepsOf100Rows) {
    BomReport report;
    report.AppendRow(ReportRow{});
    EXPECT_EQ(report.Rows().capacity(), 100u);
    for (int i = 1; i < 101; ++i)
        report.AppendRow(ReportRow{});
    EXPECT_EQ(report.Rows().capacity() % 100, 0u);
    EXPECT_GT(report.Rows().capacity(), 100u);
}

} // namespace
