#include "core/VersionInfo.h"

#include "support/Screenshot.h"
#include "support/UrlRecorder.h"

#include <QSysInfo>
#include <QLabel>
#include <QProgressBar>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <ostream>

namespace {

struct VersionCase {
    const char *name;
    std::array<int, 4> version;
    const char *label;
};

class VersionLabel : public ::testing::TestWithParam<VersionCase>
{
};

TEST_P(VersionLabel, showsMajorMinorAndAReleaseOtherThanZeroButNeverTheBuild)
{
    EXPECT_EQ(FormatVersionLabel(GetParam().version), QString::fromLatin1(GetParam().label));
}

INSTANTIATE_TEST_SUITE_P(Versions, VersionLabel,
                         ::testing::Values(VersionCase{"noRelease", {19, 0, 0, 0}, "Version 19.0"},
                                           VersionCase{"release", {19, 0, 5, 0}, "Version 19.0.5"},
                                           VersionCase{"buildHidden", {19, 1, 0, 7}, "Version 19.1"},
                                           VersionCase{"releaseAndBuild", {19, 2, 3, 4}, "Version 19.2.3"}),
                         [](const ::testing::TestParamInfo<VersionCase> &info) { return std::string(info.param.name); });

TEST(ProgramVersion, comesFromTheBuildsProjectVersion)
{
    EXPECT_EQ(ProgramVersion()[0], 19);
    EXPECT_EQ(FormatVersionLabel(ProgramVersion()), QStringLiteral("Version 19.0"));
}

TEST(MemInfo, readsAvailableAndTotalKilobytes)
{
    const QByteArray text = "MemTotal:       16318540 kB\nMemFree:         1000000 kB\n"
                            "MemAvailable:    3541234 kB\nBuffers:          123 kB\n";
    const std::optional<TMemoryStatus> status = ParseMemInfo(text);
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(status->TotalKB, 16318540);
    EXPECT_EQ(status->AvailableKB, 3541234);
}

TEST(MemInfo, withoutMemAvailableGivesNothing)
{
    EXPECT_FALSE(ParseMemInfo("MemTotal:       16318540 kB\nMemFree:  1 kB\n").has_value());
}

TEST(MemInfo, aZeroTotalGivesNothing)
{
    EXPECT_FALSE(ParseMemInfo("MemTotal: 0 kB\nMemAvailable: 0 kB\n").has_value());
}

TEST(MemInfo, theRunningSystemReportsSomeMemory)
{
    const std::optional<TMemoryStatus> status = ReadMemoryStatus();
    ASSERT_TRUE(status.has_value());
    EXPECT_GT(status->TotalKB, 0);
    EXPECT_LE(status->AvailableKB, status->TotalKB);
}

TEST(MemoryLabel, groupsThousandsAndShowsOneDecimalPercent)
{
    const TMemoryStatus status{3541234, 16318540};
    EXPECT_EQ(FormatMemoryLabel(status), QStringLiteral("利用可能なメモリ:  3,541,234 / 16,318,540 (KB)"));
    EXPECT_EQ(FormatMemoryPercent(status), QStringLiteral("[21.7 %]"));
    EXPECT_EQ(FormatMemoryLabel({999, 1000}), QStringLiteral("利用可能なメモリ:  999 / 1,000 (KB)"));
}

TEST(OperatingSystem, labelNamesTheKernelVersion)
{
    EXPECT_TRUE(OperatingSystemLabel().contains(QSysInfo::kernelVersion()));
}

TEST(VersionBox, linksOpenThePublisherAndProductPagesThroughTheDesktop)
{
    TUrlRecorder recorder({QStringLiteral("https")});
    TVersionInfo box;
    box.show();
    for (const char *name : {"lblURL", "lblURLApp"}) {
        auto *label = box.findChild<QLabel *>(QLatin1String(name));
        ASSERT_NE(label, nullptr) << name;
        const QString html = label->text();
        const qsizetype start = html.indexOf(QLatin1String("href=\"")) + 6;
        emit label->linkActivated(html.mid(start, html.indexOf(QLatin1Char('"'), start) - start));
    }
    EXPECT_EQ(recorder.opened, (QList<QUrl>{QUrl(PublisherUrl), QUrl(ProductUrl)}));
}

TEST(VersionBox, showsTheVersionAndAMemoryBarWithinItsRange)
{
    TVersionInfo box;
    box.show();
    EXPECT_FALSE(saveScreenshot(&box, QStringLiteral("VersionInfo")).isEmpty());
    EXPECT_EQ(box.findChild<QLabel *>(QStringLiteral("lblVersion"))->text(), FormatVersionLabel(ProgramVersion()));
    EXPECT_TRUE(box.findChild<QLabel *>(QStringLiteral("lblMemory"))->text().startsWith(QStringLiteral("利用可能なメモリ:  ")));
    const auto *bar = box.findChild<QProgressBar *>(QStringLiteral("pbMemory"));
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_LE(bar->value(), bar->maximum());
}

} // namespace
