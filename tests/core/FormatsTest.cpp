// The formats both sides share: the calendar's month texts, CSV files in the Windows code page,
// and the import report's wire form, exact and refused when malformed.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "core/Calendar.h"
#include "core/Csv.h"
#include "core/Error.h"
#include "core/ImportReport.h"

namespace {

using nlohmann::json;

TEST(CalendarTest, MonthTextLastDayAndIsoDateRoundTrip) {
    const std::pair<const char*, const char*> months[] = {
        {"02/2024", "2024-02-29"}, {"02/2023", "2023-02-28"}, {"02/1900", "1900-02-28"},
        {"02/2000", "2000-02-29"}, {"04/2025", "2025-04-30"}, {"12/9999", "9999-12-31"},
        {"01/0001", "0001-01-31"}};
    for (const auto& [text, lastDay] : months) {
        EXPECT_EQ(core::LastDayIsoOfMonthText(text), lastDay) << text;
        EXPECT_EQ(core::MonthTextOfIso(lastDay), text) << lastDay;
        EXPECT_TRUE(core::IsIsoDate(lastDay)) << lastDay;
    }
    for (const char* bad : {"13/2024", "00/2024", "02/0000", "1/2024", "02-2024", "02/20245",
                            "0a/2024", "", "02/ 024"})
        EXPECT_FALSE(core::LastDayIsoOfMonthText(bad).has_value()) << bad;
    for (const char* bad : {"2024-02-30", "2024-13-01", "0000-01-01", "2024-2-01", "2024-02-01x"})
        EXPECT_FALSE(core::IsIsoDate(bad)) << bad;
    // The serial days the desktop exchanges count from 30/12/1899.
    double serial = -1;
    ASSERT_TRUE(core::TryEncodeDate(2024, 2, 29, serial));
    EXPECT_EQ(serial, 45351);
    EXPECT_EQ(core::DateTimeToIso(-1), "1899-12-29");
    EXPECT_EQ(core::DateTimeToIso(serial), "2024-02-29");
}

TEST(CsvTest, WindowsCodePageBytesLatin1LacksAreDecoded) {
    // Euro sign, curly quotes, an unassigned byte (kept as its Latin-1 character) and "ã".
    const core::CsvFileText text = core::DecodeCsvBytes("\x80\x93x\x94\x81\xE3");
    EXPECT_EQ(text.encoding, core::CsvEncoding::Windows1252);
    EXPECT_EQ(text.utf8, "€“x”\u0081ã");
    const core::CsvFileText utf8 = core::DecodeCsvBytes("\xEF\xBB\xBFMês");
    EXPECT_EQ(utf8.encoding, core::CsvEncoding::Utf8);
    EXPECT_EQ(utf8.utf8, "Mês");
}

core::ImportReport Sample() {
    core::ImportReport report;
    report.encoding = "Latin-1";
    report.dataLines = 3;
    report.dryRun = true;
    report.accepted.push_back({2, "2025-01-31", "2.1.1.01.0001", "000001", -123450, false});
    report.refusals.push_back({3, "Mês inválido.", {"13/2025", "2.1", "000002", "1,00"}});
    return report;
}

TEST(ImportReportTest, TheWireFormIsExactAndReadsBack) {
    const json wire = core::ImportReportToJson(Sample());
    EXPECT_EQ(wire.dump(),
              R"({"aceitas":[[2,"01/2025","2.1.1.01.0001","000001",-123450,false]],)"
              R"("codificacao":"Latin-1","gravado":false,"linhas":3,"recusadas":[[3,)"
              R"("Mês inválido.","13/2025","2.1","000002","1,00"]],"simulacao":true})");
    const core::ImportReport read = core::ImportReportFromJson(wire);
    EXPECT_EQ(core::ImportReportToJson(read), wire);
    EXPECT_EQ(read.accepted.at(0).month, "2025-01-31");
}

TEST(ImportReportTest, AnythingElseIsRefusedWithAReason) {
    const json good = core::ImportReportToJson(Sample());
    const std::pair<const char*, json> bad[] = {
        {"/gravado", "sim"},
        {"/aceitas", json::object()},
        {"/aceitas/0", json::array({2, "01/2025"})},
        {"/aceitas/0/0", -2},
        {"/aceitas/0/1", "13/2025"},
        {"/aceitas/0/2", std::string(17, '1')},
        {"/aceitas/0/4", 1.5},
        {"/aceitas/0/4", 1'000'000'000'000'000},
        {"/aceitas/0/5", "Não"},
        {"/recusadas/0/1", std::string(1025, 'x')},
        {"/recusadas/0/2", std::string("\xFF")},
        {"/linhas", -1},
        {"/simulacao", 1},
    };
    for (const auto& [pointer, value] : bad) {
        json reply = good;
        reply[json::json_pointer(pointer)] = value;
        EXPECT_THROW(core::ImportReportFromJson(reply), core::Error) << pointer;
    }
    json missing = good;
    missing.erase("recusadas");
    EXPECT_THROW(core::ImportReportFromJson(missing), core::Error);
    EXPECT_THROW(core::ImportReportFromJson(json::array()), core::Error);
}

}  // namespace
