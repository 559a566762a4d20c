#include "core/PDFHelp.h"

#include "core/AdrsSel.h"
#include "core/Environment.h"
#include "core/GrpEdt.h"
#include "core/InputPW.h"
#include "support/DataFolders.h"
#include "support/ScriptedMessageBoxes.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>

namespace {

// ---- Page arithmetic and command lines ------------------------------------------

struct PageCase {
    int context;
    bool offsetOn;
    int page;
};

class ManualPages : public ::testing::TestWithParam<PageCase>
{
};

TEST_P(ManualPages, contextMapsToItsPage)
{
    EXPECT_EQ(ManualPageIndex(GetParam().context, GetParam().offsetOn, 3), GetParam().page)
        << "context " << GetParam().context;
}

INSTANTIATE_TEST_SUITE_P(Contexts, ManualPages,
                         ::testing::Values(PageCase{5, true, 8}, PageCase{1, true, 4}, PageCase{0, true, 0},
                                           PageCase{999, true, 0}, PageCase{5, false, 5}, PageCase{54, true, 57}));

struct ArgumentCase {
    const char *name;
    TViewerKind kind;
    QStringList arguments;
};

class ViewerCommandLines : public ::testing::TestWithParam<ArgumentCase>
{
};

TEST_P(ViewerCommandLines, openTheDocumentAtThePageCountedFromOne)
{
    EXPECT_EQ(ViewerArguments(GetParam().kind, QStringLiteral("/p/M.pdf"), 8), GetParam().arguments);
}

INSTANTIATE_TEST_SUITE_P(
    Viewers, ViewerCommandLines,
    ::testing::Values(ArgumentCase{"evince", TViewerKind::Evince, {"-i", "9", "/p/M.pdf"}},
                      ArgumentCase{"okular", TViewerKind::Okular, {"-p", "9", "/p/M.pdf"}},
                      ArgumentCase{"zathura", TViewerKind::Zathura, {"-P", "9", "/p/M.pdf"}},
                      ArgumentCase{"mupdf", TViewerKind::MuPdf, {"/p/M.pdf", "9"}},
                      ArgumentCase{"openerHasNoPage", TViewerKind::Opener, {"/p/M.pdf"}}),
    [](const ::testing::TestParamInfo<ArgumentCase> &info) { return std::string(info.param.name); });

// ---- Finding a viewer ------------------------------------------------------------

void makeProgram(const QString &path, const QByteArray &script = "#!/bin/sh\nexit 0\n", bool executable = true)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(script);
    file.close();
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                    (executable ? QFileDevice::ExeOwner : QFileDevice::Permissions()));
}

TEST(ViewerDiscovery, prefersTheViewersThatTakeAPageInTheirOrder)
{
    QTemporaryDir dir;
    const QString a = dir.path() + QStringLiteral("/a");
    const QString b = dir.path() + QStringLiteral("/b");
    makeProgram(b + QStringLiteral("/zathura"));
    makeProgram(a + QStringLiteral("/xdg-open"));
    makeProgram(b + QStringLiteral("/okular"));
    const TViewer viewer = FindViewer(a + QLatin1Char(':') + b);
    EXPECT_EQ(viewer.Kind, TViewerKind::Okular);
    EXPECT_EQ(viewer.Program, b + QStringLiteral("/okular"));
}

TEST(ViewerDiscovery, aFileThatCannotRunIsNoViewer)
{
    QTemporaryDir dir;
    makeProgram(dir.path() + QStringLiteral("/evince"), "#!/bin/sh\n", false);
    makeProgram(dir.path() + QStringLiteral("/mupdf"));
    EXPECT_EQ(FindViewer(dir.path()).Kind, TViewerKind::MuPdf);
}

TEST(ViewerDiscovery, theDesktopOpenerIsTheLastChoice)
{
    QTemporaryDir dir;
    makeProgram(dir.path() + QStringLiteral("/xdg-open"));
    EXPECT_EQ(FindViewer(dir.path()).Kind, TViewerKind::Opener);
}

TEST(ViewerDiscovery, anEmptyPathFindsNothing)
{
    QTemporaryDir dir;
    EXPECT_EQ(FindViewer(dir.path()).Kind, TViewerKind::None);
    EXPECT_EQ(FindViewer(QString()).Kind, TViewerKind::None);
}

// ---- Showing pages ------------------------------------------------------------------

class ManualViewer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // A viewer that writes its arguments and stays open like a real one.
        makeProgram(bin.path() + QStringLiteral("/evince"),
                    "#!/bin/sh\necho \"$@\" >> \"" + log().toUtf8() + "\"\nexec sleep 30\n");
        document = bin.path() + QStringLiteral("/M.pdf");
        QFile file(document);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("%PDF-1.4\n");
    }
    QString log() const { return bin.path() + QStringLiteral("/args.log"); }
    QStringList logged() const
    {
        QFile file(log());
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)
                                              : QStringList();
    }
    void prepare(TPDFHelp &help) const
    {
        ASSERT_TRUE(help.CheckReader(bin.path()));
        help.SetDocument(document);
        help.SetTitle(QStringLiteral("ピルカノス2014 操作ガイド"));
        help.SetPageOffset(ManualPageOffset);
        help.SetPageOffsetEnabled(true);
    }

    QTemporaryDir bin;
    QString document;
    ScriptedMessageBoxes boxes;
};

TEST_F(ManualViewer, opensTheViewerAtThePageOfTheContext)
{
    TPDFHelp help;
    prepare(help);
    ASSERT_TRUE(help.ShowPage(5));
    EXPECT_EQ(help.LastArguments(), (QStringList{QStringLiteral("-i"), QStringLiteral("9"), document}));
    EXPECT_TRUE(help.ViewerRunning());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !logged().isEmpty(); }, 5000));
    help.CloseDocument();
    EXPECT_FALSE(help.ViewerRunning());
    EXPECT_EQ(logged(), QStringList{QStringLiteral("-i 9 ") + document});
}

TEST_F(ManualViewer, closesOnlyTheViewerItStarted)
{
    QProcess other; // a viewer the user opened
    other.start(bin.path() + QStringLiteral("/evince"), {QStringLiteral("other.pdf")});
    ASSERT_TRUE(other.waitForStarted());
    {
        TPDFHelp help;
        prepare(help);
        ASSERT_TRUE(help.ShowPage(2));
        ASSERT_TRUE(help.ShowPage(9)); // our first viewer makes room for the second
        help.CloseDocument();
    }
    EXPECT_EQ(other.state(), QProcess::Running);
    other.kill();
    other.waitForFinished();
}

TEST_F(ManualViewer, aMissingDocumentIsReportedAndNothingStarts)
{
    TPDFHelp help;
    prepare(help);
    QFile::remove(document);
    EXPECT_FALSE(help.ShowPage(1));
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("『ピルカノス2014 操作ガイド』が見つかりません  "));
    EXPECT_EQ(help.ErrorCode(), 201);
    EXPECT_TRUE(logged().isEmpty());
}

TEST_F(ManualViewer, withoutAViewerEveryRequestSaysSoAndStartsNothing)
{
    QTemporaryDir empty;
    PDFHelp = new TPDFHelp;
    EXPECT_FALSE(PDFHelp->CheckReader(empty.path()));
    PDFHelp->SetDocument(document);
    EXPECT_FALSE(ShowHelp(5));
    delete PDFHelp;
    PDFHelp = nullptr;
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.startsWith(QStringLiteral("PDFファイルを表示するソフトが見つかりません  ")));
    EXPECT_EQ(boxes.last().flags, unsigned(MB_ICONWARNING));
}

// ---- The manual that is built ------------------------------------------------------

struct ManualPage {
    int page;
    QString context;
    QString title;
};

QList<ManualPage> builtPages()
{
    QList<ManualPage> pages;
    QFile file(QStringLiteral(MURVEN_MANUAL_DIR "Murven19.pages"));
    if (!file.open(QIODevice::ReadOnly))
        return pages;
    for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList parts = line.split(QLatin1Char('\t'));
        pages << ManualPage{parts.value(0).toInt(), parts.value(1), parts.value(2)};
    }
    return pages;
}

TEST(BuiltManual, isAPdfWithOnePagePerListedPage)
{
    QFile pdf(QStringLiteral(MURVEN_MANUAL_DIR "Murven19.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF-"));
    const QList<ManualPage> pages = builtPages();
    ASSERT_FALSE(pages.isEmpty());
    EXPECT_EQ(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") + bytes.count("/Type /Page ") +
                  bytes.count("/Type /Page/"),
              pages.size());
    for (int i = 0; i < pages.size(); ++i)
        EXPECT_EQ(pages[i].page, i + 1);
}

// Text copied from the manual is the text written: its ideographs, never
// the Kangxi radicals whose glyphs they share (一 not ⼀, 目 not ⽬).
TEST(BuiltManual, copiedTextGivesTheIdeographsNotTheirRadicals)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"),
                    {QStringLiteral("-enc"), QStringLiteral("UTF-8"), QStringLiteral(MURVEN_MANUAL_DIR "Murven19.pdf"),
                     QStringLiteral("-")});
    ASSERT_TRUE(pdftotext.waitForFinished(30000));
    const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
    ASSERT_TRUE(text.contains(QStringLiteral("一")));
    ASSERT_TRUE(text.contains(QStringLiteral("目")));
    const auto radical = std::find_if(text.cbegin(), text.cend(), [](QChar c) {
        return c.unicode() >= 0x2E80 && c.unicode() <= 0x2FDF;
    });
    EXPECT_EQ(radical, text.cend()) << "radical U+" << std::hex << (radical == text.cend() ? 0 : radical->unicode());
}

struct WindowPage {
    const char *window;
    int context;
    const char16_t *title;
};

class ManualWindowPages : public ::testing::TestWithParam<WindowPage>
{
};

TEST_P(ManualWindowPages, eachWindowsContextOpensThePageAboutIt)
{
    const int page = ManualPageIndex(GetParam().context, true, ManualPageOffset) + 1;
    const QList<ManualPage> pages = builtPages();
    ASSERT_GE(pages.size(), page);
    EXPECT_EQ(pages[page - 1].title, QString::fromUtf16(GetParam().title)) << GetParam().window;
}

INSTANTIATE_TEST_SUITE_P(
    Windows, ManualWindowPages,
    ::testing::Values(WindowPage{"mainList", 0, u"ピルカノス2014 操作ガイド"},
                      WindowPage{"password", 1, u"起動時パスワードの入力"},
                      WindowPage{"settingsBase", 2, u"環境設定 － 基本設定"},
                      WindowPage{"settingsOperation", 5, u"環境設定 － 動作"},
                      WindowPage{"settingsAddress", 6, u"環境設定 － アドレス帳"},
                      WindowPage{"settingsView", 7, u"環境設定 － 表示"},
                      WindowPage{"settingsCooperate", 8, u"環境設定 － 連携ソフト"},
                      WindowPage{"settingsUpdate", 9, u"環境設定 － アップデート"},
                      WindowPage{"dictionaryResults", 24, u"辞書検索の結果"},
                      WindowPage{"books", 31, u"アドレス帳の作成と選択"},
                      WindowPage{"columns", 33, u"表示項目の設定"},
                      WindowPage{"keywordsAndGroups", 34, u"キーワード項目の設定・グループ名の設定"},
                      WindowPage{"wordSearch", 35, u"一覧内のワード検索"},
                      WindowPage{"filter", 36, u"絞り込み"},
                      WindowPage{"filterAdvanced", 37, u"絞り込み（高度な設定）"},
                      WindowPage{"batchChange", 54, u"アドレス帳の一括編集"}),
    [](const ::testing::TestParamInfo<WindowPage> &info) { return std::string(info.param.window); });

// The windows of this library carry the contexts the table above names.
TEST(WindowHelpContexts, windowsAnswerF1WithTheirOwnContext)
{
    QTemporaryDir home;
    ScopedDataFolders folders(home.path());
    QDir().mkpath(DataRoot);
    ScriptedMessageBoxes boxes;
    EXPECT_EQ(HelpContextOf(std::make_unique<TInputPassword>().get()), 1);
    EXPECT_EQ(HelpContextOf(std::make_unique<TAddressSelect>().get()), 31);
    EXPECT_EQ(HelpContextOf(std::make_unique<TGruopEdit>().get()), 34);
    TEnvironment settings;
    for (int page = 0; page < 6; ++page) {
        settings.ShowPage(page);
        EXPECT_EQ(HelpContextOf(&settings), (std::array{2, 5, 6, 7, 8, 9}[size_t(page)]));
    }
}

} // namespace
