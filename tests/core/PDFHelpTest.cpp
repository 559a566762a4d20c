#include "core/PDFHelp.h"

#include "core/AdrsSel.h"
#include "core/BkupDat.h"
#include "core/ConvAdrsPos.h"
#include "core/ConvKykbn.h"
#include "core/Env.h"
#include "core/Environment.h"
#include "core/GrpEdt.h"
#include "core/InputPW.h"
#include "core/OptData.h"
#include "core/RepIndex.h"
#include "core/RestDat.h"
#include "support/DataFolders.h"
#include "support/ManualF1.h"
#include "support/ScriptedMessageBoxes.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
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

TEST_F(ManualViewer, aContextPastTheLastPageOpensTheLastPage)
{
    {
        QPdfWriter writer(document);
        QPainter painter(&writer);
        for (int page = 1; page < 8; ++page)
            writer.newPage();
    }
    ASSERT_EQ(PdfPageCount(document), 8);
    TPDFHelp help;
    prepare(help);
    ASSERT_TRUE(help.ShowPage(4)); // page index 7: the last one
    EXPECT_EQ(help.LastArguments().value(1), QStringLiteral("8"));
    ASSERT_TRUE(help.ShowPage(5)); // page index 8: exactly one past the last
    EXPECT_EQ(help.LastArguments().value(1), QStringLiteral("8"));
    ASSERT_TRUE(help.ShowPage(85));
    EXPECT_EQ(help.LastArguments().value(1), QStringLiteral("8"));
    help.CloseDocument();
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

// ---- F1 while the program runs ------------------------------------------------------

// The PATH and the program folder of a test, put back when it ends.
class ProgramStarted : public ::testing::Test
{
protected:
    void SetUp() override
    {
        savedPath = qgetenv("PATH");
        savedAppPath = AppPath;
        qputenv("PATH", bin.path().toLocal8Bit());
        AppPath = program.path() + QLatin1Char('/');
        QFile manual(AppPath + QStringLiteral("Murven19.pdf"));
        ASSERT_TRUE(manual.open(QIODevice::WriteOnly));
        manual.write("%PDF-1.4\n");
    }
    void TearDown() override
    {
        FreeManual();
        qputenv("PATH", savedPath);
        AppPath = savedAppPath;
    }
    // A program on the PATH that notes its name and command line.
    void install(const QString &name) const
    {
        makeProgram(bin.filePath(name),
                    "#!/bin/sh\necho \"" + name.toUtf8() + " $@\" >> \"" + log().toUtf8() + "\"\n");
    }
    QString log() const { return program.filePath(QStringLiteral("started.log")); }
    QStringList started() const
    {
        QFile file(log());
        return file.open(QIODevice::ReadOnly)
                   ? QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)
                   : QStringList();
    }
    // F1 in a control of a window whose manual page is that of context 5:
    // the command line of the program started, empty for none.
    QString pressF1(bool viewerExpected = true)
    {
        QWidget window;
        window.setProperty("HelpContext", 5);
        auto *edit = new QLineEdit(&window);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        edit->setFocus();
        const qsizetype seen = started().size();
        QTest::keyClick(edit, Qt::Key_F1);
        // A program started writes its line soon after; none is awaited long.
        if (!QTest::qWaitFor([&] { return started().size() > seen; }, viewerExpected ? 5000 : 500))
            return {};
        return started().at(seen);
    }

    QTemporaryDir bin;
    QTemporaryDir program;
    QByteArray savedPath;
    QString savedAppPath;
    ScriptedMessageBoxes boxes;
};

TEST_F(ProgramStarted, aViewerInstalledAfterTheStartShowsThePageAtTheNextF1)
{
    install(QStringLiteral("xdg-open"));
    CreateManual();
    const QString document = AppPath + QStringLiteral("Murven19.pdf");
    // Only the desktop's opener at first: the document at its start.
    EXPECT_EQ(pressF1(), QStringLiteral("xdg-open ") + document);
    install(QStringLiteral("evince"));
    EXPECT_EQ(pressF1(), QStringLiteral("evince -i 9 ") + document);
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(ProgramStarted, aViewerInstalledWhenNoneWasThereIsUsedWithoutARestart)
{
    CreateManual();
    EXPECT_TRUE(pressF1(false).isEmpty());
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.startsWith(QStringLiteral("PDFファイルを表示するソフトが見つかりません  ")));
    install(QStringLiteral("okular"));
    EXPECT_EQ(pressF1(), QStringLiteral("okular -p 9 ") + AppPath + QStringLiteral("Murven19.pdf"));
    EXPECT_EQ(boxes.count(), 1);
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

TEST(BuiltManual, everyPageHasATitle)
{
    const QList<ManualPage> pages = builtPages();
    // Every context up to the last window's is a page of its own.
    ASSERT_GE(pages.size(), ManualPageIndex(128, true, ManualPageOffset) + 1);
    for (const ManualPage &page : pages)
        EXPECT_FALSE(page.title.trimmed().isEmpty()) << "page " << page.page;
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

// ---- F1 in the windows of this library --------------------------------------------

struct CoreWindowPage {
    const char *name;
    std::function<std::unique_ptr<QWidget>()> make;
    const char16_t *heading; // as the manual's contents name the page
};

class CoreWindowManualPages : public ::testing::TestWithParam<CoreWindowPage>
{
protected:
    void SetUp() override { QDir().mkpath(DataRoot); }

    QTemporaryDir home;
    ScopedDataFolders folders{home.path()};
    ScriptedMessageBoxes boxes;
    ManualF1 manual;
};

TEST_P(CoreWindowManualPages, f1OpensThePageAboutTheWindow)
{
    const std::unique_ptr<QWidget> window = GetParam().make();
    EXPECT_EQ(manual.HeadingOpenedByF1In(window.get()), ManualF1::AsRead(GetParam().heading));
}

template <typename Window>
std::unique_ptr<QWidget> make()
{
    return std::make_unique<Window>();
}

std::unique_ptr<QWidget> settingsPage(int page)
{
    auto settings = std::make_unique<TEnvironment>();
    settings->ShowPage(page);
    return settings;
}

INSTANTIATE_TEST_SUITE_P(
    Windows, CoreWindowManualPages,
    ::testing::Values(CoreWindowPage{"password", make<TInputPassword>, u"起動時パスワードの入力"},
                      CoreWindowPage{"settingsBase", [] { return settingsPage(0); }, u"環境設定 － 基本設定"},
                      CoreWindowPage{"settingsOperation", [] { return settingsPage(1); }, u"環境設定 － 動作"},
                      CoreWindowPage{"settingsAddress", [] { return settingsPage(2); }, u"環境設定 － アドレス帳"},
                      CoreWindowPage{"settingsView", [] { return settingsPage(3); }, u"環境設定 － 表示"},
                      CoreWindowPage{"settingsCooperate", [] { return settingsPage(4); }, u"環境設定 － 連携ソフト"},
                      CoreWindowPage{"settingsUpdate", [] { return settingsPage(5); }, u"環境設定 － アップデート"},
                      CoreWindowPage{"books", make<TAddressSelect>, u"アドレス帳の作成と選択"},
                      CoreWindowPage{"groups", make<TGruopEdit>, u"キーワード項目の設定・グループ名の設定"},
                      CoreWindowPage{"backup", make<TBackupData>, u"バックアップ"},
                      CoreWindowPage{"restore", make<TRestoreData>, u"復元"},
                      CoreWindowPage{"optimize", make<TOptimizeData>, u"データの最適化・インデックス修復"},
                      CoreWindowPage{"repairIndex", make<TRepairIndex>, u"データの最適化・インデックス修復"},
                      CoreWindowPage{"areaCodes", make<TConvertKykbn>, u"局番変換・住所・郵便番号変換"},
                      CoreWindowPage{"addressesAndPostcodes", make<TConvertAdrsPos>, u"局番変換・住所・郵便番号変換"}),
    [](const ::testing::TestParamInfo<CoreWindowPage> &info) { return std::string(info.param.name); });

} // namespace
