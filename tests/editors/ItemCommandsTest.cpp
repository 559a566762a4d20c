#include "EditorsFixture.h"
#include "FakeHost.h"
#include "SenderBook.h"
#include "core/AppSub.h"
#include "core/Env.h"
#include "dialogs/FgrSet.h"
#include "dialogs/QRCode.h"
#include "dialogs/Sender.h"
#include "dialogs/SenderData.h"
#include "editors/DesignForm.h"
#include "editors/ItemCommands.h"
#include "editors/LabelForm.h"
#include "editors/LayoutForm.h"
#include "editors/PageView.h"
#include "editors/PrintData.h"
#include "editors/PrintLoop.h"
#include "items/BackImage.h"
#include "items/BarRect.h"
#include "items/FigureRect.h"
#include "items/IllustRect.h"
#include "items/SenderRect.h"
#include "platform/IniFile.h"
#include "support/DataFolders.h"
#include "support/RowName.h"
#include "support/Screenshot.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TestEnvironment.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QtEndian>

namespace {

template <typename Form> std::unique_ptr<TPrintEditor> makeEditor(FakeHost &Host, int Format)
{
    auto form = std::make_unique<Form>(nullptr, Host);
    TLabelGrid grid;
    form->SetLayout(Format, catalogueFormat(Format, &grid), grid);
    return form;
}

struct EditorCase {
    const char *name;
    std::function<std::unique_ptr<TPrintEditor>(FakeHost &)> make;
    bool background;
};

class EditorItemCommands : public ::testing::TestWithParam<EditorCase>
{
protected:
    SampleBook book;
    FakeHost host{book.table};
};

TEST_P(EditorItemCommands, insertMenuOffersTheItemsAndOnlyTheDesignHasABackground)
{
    std::unique_ptr<TPrintEditor> editor = GetParam().make(host);
    for (const char *name :
         {"actInsertIllust", "actInsertFigure", "actInsertQRCode", "actInsertSender", "actItemSetting", "actSender"})
        EXPECT_NE(editor->findChild<QAction *>(QLatin1String(name)), nullptr) << name;
    EXPECT_EQ(editor->findChild<QAction *>(QStringLiteral("actBackImage")) != nullptr, GetParam().background);
    EXPECT_NE(editor->findChild<QMenu *>(QStringLiteral("mnuInsert")), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Editors, EditorItemCommands,
    ::testing::Values(EditorCase{"postcard", [](FakeHost &H) { return makeEditor<TLayoutForm>(H, 0); }, false},
                      EditorCase{"label", [](FakeHost &H) { return makeEditor<TLabelForm>(H, 24); }, false},
                      EditorCase{"design", [](FakeHost &H) { return makeEditor<TDesignForm>(H, 0); }, true}),
    rowName);

class ItemCommandsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TLabelGrid grid;
        editor.SetLayout(0, catalogueFormat(0, &grid), grid);
        // Only the items the test adds, so their ink is all there is.
        editor.Document().Items.clear();
        editor.Document().ItemRoles.clear();
        editor.MergeCurrentRecord();
        commands = editor.findChild<TItemCommands *>();
        ASSERT_NE(commands, nullptr);
        editor.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    }
    QAction *action(const char *Name) { return editor.findChild<QAction *>(QLatin1String(Name)); }
    TDrawRect &last() { return *editor.Document().Items.back(); }

    SenderBook senders;
    SampleBook book;
    FakeHost host{book.table};
    TLayoutForm editor{nullptr, host};
    TItemCommands *commands = nullptr;
    QStringList shownDialogs;
};

TEST_F(ItemCommandsTest, insertingAQRCodeTakesWhatTheDialogSays)
{
    editor.ExecDialog = [this](QDialog &D) {
        shownDialogs << D.objectName();
        D.findChild<QPlainTextEdit *>(QStringLiteral("memText"))->setPlainText(QStringLiteral("https://example.jp/"));
        D.findChild<QPushButton *>(QStringLiteral("btnOK"))->click();
        return D.result();
    };
    action("actInsertQRCode")->trigger();
    EXPECT_EQ(shownDialogs, QStringList{QStringLiteral("QRCodeSettingDialog")});
    ASSERT_EQ(editor.Document().Items.size(), 1u);
    auto *qr = dynamic_cast<TQRCodeRect *>(&last());
    ASSERT_NE(qr, nullptr);
    EXPECT_EQ(qr->GetText(), QStringLiteral("https://example.jp/"));
    EXPECT_EQ(editor.PageView()->Selected(), 0);
}

TEST_F(ItemCommandsTest, cancelledFigureAddsNothing)
{
    editor.ExecDialog = [](QDialog &) { return int(QDialog::Rejected); };
    action("actInsertFigure")->trigger();
    EXPECT_TRUE(editor.Document().Items.empty());
}

TEST_F(ItemCommandsTest, doubleClickOpensTheItemsSettingsAndKeepsItsCorner)
{
    auto figure = std::make_unique<TFigureRect>();
    figure->SetFigureKind(TFigureRect::Rectangle);
    figure->SetRect({50, 60, 150, 120});
    editor.Document().Items.push_back(std::move(figure));
    editor.Document().ItemRoles.push_back(-1);
    editor.MergeCurrentRecord();
    editor.ExecDialog = [this](QDialog &D) {
        shownDialogs << D.objectName();
        auto *kind = D.findChild<QComboBox *>(QStringLiteral("cbxFigureKind"));
        kind->setCurrentIndex(3);
        emit kind->activated(3);
        return int(QDialog::Accepted);
    };
    const QPoint inside = editor.PageView()->ToScreen(QPoint(100, 90));
    QTest::mouseDClick(editor.PageView(), Qt::LeftButton, {}, inside);
    EXPECT_EQ(shownDialogs, QStringList{QStringLiteral("FigureSettingDialog")});
    auto &edited = dynamic_cast<TFigureRect &>(last());
    EXPECT_EQ(edited.GetFigureKind(), TFigureRect::Ellipse);
    EXPECT_EQ(edited.GetRect().Left, 50);
    EXPECT_EQ(edited.GetRect().Top, 60);
    EXPECT_EQ(edited.GetRect().Right, 150);
}

TEST_F(ItemCommandsTest, insertingAPictureTakesTheChosenFile)
{
    QTemporaryDir dir;
    QImage image(64, 32, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    const QString file = dir.filePath(QStringLiteral("leaf.bmp"));
    ASSERT_TRUE(image.save(file));
    commands->ChooseImageFile = [file] { return file; };
    action("actInsertIllust")->trigger();
    ASSERT_EQ(editor.Document().Items.size(), 1u);
    auto *illust = dynamic_cast<TIllustRect *>(&last());
    ASSERT_NE(illust, nullptr);
    EXPECT_EQ(illust->GetBitmap().size(), QSize(64, 32));
}

// A picture comes in at the size its file's resolution gives on paper: a
// 48-dpi picture twice the size of its pixels on the 96-dpi page, a 300-dpi
// one at 96/300 of them.
struct PictureSizeCase {
    const char *name;
    const char *format;
    QSize pixels;
    int dpi;
    QSize onPage; // 96 per inch
};

class PictureSize : public ItemCommandsTest, public ::testing::WithParamInterface<PictureSizeCase>
{
};

TEST_P(PictureSize, comesInAtTheSizeItsResolutionGives)
{
    const PictureSizeCase &c = GetParam();
    QTemporaryDir dir;
    QImage image(c.pixels, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    image.setDotsPerMeterX(qRound(c.dpi / 0.0254));
    image.setDotsPerMeterY(qRound(c.dpi / 0.0254));
    const QString file = dir.filePath(QStringLiteral("picture.") + QLatin1String(c.format));
    ASSERT_TRUE(image.save(file, c.format));
    commands->ChooseImageFile = [file] { return file; };
    action("actInsertIllust")->trigger();
    ASSERT_EQ(editor.Document().Items.size(), 1u);
    const TPageRect rect = last().GetRect();
    EXPECT_EQ(QSize(rect.Right - rect.Left, rect.Bottom - rect.Top), c.onPage);
}

INSTANTIATE_TEST_SUITE_P(Resolutions, PictureSize,
                         ::testing::Values(PictureSizeCase{"lowBmp", "bmp", {40, 20}, 48, {80, 40}},
                                           PictureSizeCase{"lowJpeg", "jpg", {40, 20}, 48, {80, 40}},
                                           PictureSizeCase{"printBmp", "bmp", {450, 225}, 300, {144, 72}}),
                         rowName);

// Picture files dragged from a file manager onto the page: the first picture
// lands where it was dropped; a drop of nothing the items can show is named.
TEST_F(ItemCommandsTest, aPictureDroppedOnThePageIsInsertedWhereItFell)
{
    ScriptedMessageBoxes boxes;
    QTemporaryDir dir;
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::darkBlue);
    const QString picture = dir.filePath(QStringLiteral("stamp.jpg"));
    ASSERT_TRUE(image.save(picture));
    const QString text = dir.filePath(QStringLiteral("notes.txt"));
    QWidget *page = editor.PageView();
    const auto drop = [page](const QStringList &Files, QPoint At) {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString &f : Files)
            urls << QUrl::fromLocalFile(f);
        data.setUrls(urls);
        QDragEnterEvent enter(At, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(page, &enter);
        QDropEvent dropped(QPointF(At), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(page, &dropped);
    };
    const QPoint at = static_cast<TPageView *>(page)->ToScreen(QPoint(30, 50));
    drop({text}, at);
    EXPECT_TRUE(editor.Document().Items.empty());
    EXPECT_EQ(boxes.count(), 1);
    drop({text, picture}, at);
    ASSERT_EQ(editor.Document().Items.size(), 1u);
    auto *illust = dynamic_cast<TIllustRect *>(&last());
    ASSERT_NE(illust, nullptr);
    EXPECT_EQ(illust->GetBitmap().size(), QSize(40, 20));
    EXPECT_NEAR(illust->GetRect().Left, 30, 1);
    EXPECT_NEAR(illust->GetRect().Top, 50, 1);
}

// The chosen picture file is gone when it is read: the user hears which
// file, nothing is added, and nothing escapes into the event loop.
TEST_F(ItemCommandsTest, aPictureFileGoneBeforeItIsReadIsNamedAndAddsNothing)
{
    ScriptedMessageBoxes boxes;
    QTemporaryDir dir;
    const QString gone = dir.filePath(QStringLiteral("gone.bmp"));
    commands->ChooseImageFile = [gone] { return gone; };
    EXPECT_NO_THROW(commands->InsertIllust());
    EXPECT_TRUE(editor.Document().Items.empty());
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.contains(gone)) << qPrintable(boxes.last().text);
}

// A top-down BMP whose picture is taller than a picture may be: refused when
// it is inserted, with the reason, rather than saved into a layout that no
// longer opens.
TEST_F(ItemCommandsTest, aPictureBeyondTheItemsLimitsIsRefusedWhenInserted)
{
    ScriptedMessageBoxes boxes;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("tall.bmp"));
    const int stride = 32; // ten 24-bit pixels, padded to four bytes
    QByteArray bmp(54 + stride * 31000, '\0');
    auto put32 = [&bmp](int At, qint32 V) { qToLittleEndian<qint32>(V, bmp.data() + At); };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(2, qint32(bmp.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, 10);
    put32(22, -31000); // top-down
    qToLittleEndian<qint16>(1, bmp.data() + 26);
    qToLittleEndian<qint16>(24, bmp.data() + 28);
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(bmp);
    out.close();
    commands->ChooseImageFile = [file] { return file; };
    action("actInsertIllust")->trigger();
    EXPECT_TRUE(editor.Document().Items.empty());
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("画像が大きすぎます"))) << qPrintable(boxes.last().text);
}

TEST_F(ItemCommandsTest, pictureSettingsComeBackTurnedAndFramedFromTheSameCorner)
{
    auto illust = std::make_unique<TIllustRect>();
    QImage image(64, 32, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    illust->SetPicture(image);
    illust->SetRect({40, 50, 104, 82});
    editor.Document().Items.push_back(std::move(illust));
    editor.Document().ItemRoles.push_back(-1);
    editor.MergeCurrentRecord();
    editor.PageView()->SetSelected(0);
    editor.ExecDialog = [this](QDialog &D) {
        shownDialogs << D.objectName();
        D.findChild<QRadioButton *>(QStringLiteral("rbR90"))->click();
        D.findChild<QPushButton *>(QStringLiteral("bbtnRotate"))->click();
        D.findChild<QCheckBox *>(QStringLiteral("ckbFrame"))->click();
        return int(QDialog::Accepted);
    };
    action("actItemSetting")->trigger();
    EXPECT_EQ(shownDialogs, QStringList{QStringLiteral("IllustSettingDialog")});
    auto &edited = dynamic_cast<TIllustRect &>(last());
    const TPageRect r = edited.GetRect();
    EXPECT_EQ(r.Left, 40);
    EXPECT_EQ(r.Top, 50);
    EXPECT_EQ(r.Right - r.Left, 32);
    EXPECT_EQ(r.Bottom - r.Top, 64);
    EXPECT_TRUE(edited.Frame().HasFrame());
    EXPECT_EQ(edited.GetBitmap().size(), QSize(32, 64));
}

TEST_F(ItemCommandsTest, cancelledSettingsLeaveTheItem)
{
    auto figure = std::make_unique<TFigureRect>();
    figure->SetFigureKind(TFigureRect::Diamond);
    figure->SetRect({50, 60, 150, 120});
    editor.Document().Items.push_back(std::move(figure));
    editor.Document().ItemRoles.push_back(-1);
    editor.ExecDialog = [](QDialog &D) {
        auto *kind = D.findChild<QComboBox *>(QStringLiteral("cbxFigureKind"));
        kind->setCurrentIndex(3);
        emit kind->activated(3);
        return int(QDialog::Rejected);
    };
    EXPECT_FALSE(commands->EditItem(0));
    EXPECT_EQ(dynamic_cast<TFigureRect &>(last()).GetFigureKind(), TFigureRect::Diamond);
}

// Opening an item's settings and pressing OK without a change gives the
// item back as it was, to the byte of its stream. (A frame or fill that is
// off opens with a preset colour; these items have theirs on.)
void framed(TRectFrame &Frame)
{
    Frame.SetFrame(true);
    Frame.SetFrameColor(0x224466);
    Frame.SetBack(true);
    Frame.SetBackColor(0x88AACC);
}

struct UnchangedCase {
    const char *name;
    std::function<std::unique_ptr<TDrawRect>()> make;
};

class UnchangedItemSettings : public ItemCommandsTest, public ::testing::WithParamInterface<UnchangedCase>
{
};

TEST_P(UnchangedItemSettings, okWithoutAChangeKeepsTheItemByteForByte)
{
    editor.Document().Items.push_back(GetParam().make());
    editor.Document().ItemRoles.push_back(-1);
    editor.MergeCurrentRecord();
    const QByteArray before = EncodeItemRecord(last(), -1);
    editor.ExecDialog = [](QDialog &D) {
        D.show();
        D.findChild<QPushButton *>(QStringLiteral("btnOK"))->click();
        return D.result();
    };
    ASSERT_TRUE(commands->EditItem(0));
    const QByteArray after = EncodeItemRecord(last(), -1);
    qsizetype differs = -1;
    for (qsizetype i = 0; i < std::max(before.size(), after.size()) && differs < 0; ++i)
        if (i >= before.size() || i >= after.size() || before[i] != after[i])
            differs = i;
    EXPECT_EQ(differs, -1) << "sizes " << before.size() << " and " << after.size() << "; bytes there "
                           << before.mid(differs, 16).toHex(' ').constData() << " / "
                           << after.mid(differs, 16).toHex(' ').constData();
}

INSTANTIATE_TEST_SUITE_P(
    Items, UnchangedItemSettings,
    ::testing::Values(UnchangedCase{"picture",
                                    [] {
                                        auto item = std::make_unique<TIllustRect>();
                                        QImage image(64, 32, QImage::Format_RGB32);
                                        image.fill(Qt::darkGreen);
                                        item->SetPicture(image);
                                        item->SetRect({40, 50, 104, 82});
                                        framed(item->Frame());
                                        return std::unique_ptr<TDrawRect>(std::move(item));
                                    }},
                      UnchangedCase{"maskedPicture",
                                    [] {
                                        auto item = std::make_unique<TIllustRect>();
                                        QImage image(90, 61, QImage::Format_RGB32);
                                        image.fill(Qt::darkGreen);
                                        item->SetPicture(image);
                                        item->SetRect({40, 50, 157, 129});
                                        item->SetMask(3);
                                        item->SetTransparentColor(0x00FF00);
                                        item->Mirror(true);
                                        framed(item->Frame());
                                        return std::unique_ptr<TDrawRect>(std::move(item));
                                    }},
                      UnchangedCase{"figure",
                                    [] {
                                        auto item = std::make_unique<TFigureRect>();
                                        item->SetFigureKind(TFigureRect::RoundRect);
                                        item->SetRect({50, 60, 150, 120});
                                        item->SetBack(true);
                                        item->SetColor1(0x336699);
                                        item->SetColor2(0x996633);
                                        return std::unique_ptr<TDrawRect>(std::move(item));
                                    }},
                      UnchangedCase{"qrCode",
                                    [] {
                                        auto item = std::make_unique<TQRCodeRect>();
                                        item->SetQRKind(TQRKind::PhoneDocomo);
                                        item->SetName(QStringLiteral("山田 太郎"));
                                        item->SetTel(0, QStringLiteral("0312345678"));
                                        item->SetRect({10, 10, 20, 20});
                                        return std::unique_ptr<TDrawRect>(std::move(item));
                                    }},
                      UnchangedCase{"senderBlock",
                                    [] {
                                        auto item = std::make_unique<TSenderRect>();
                                        item->SetSenderTitle(QStringLiteral("自宅"));
                                        item->SetRect({30, 40, 230, 200});
                                        item->ResetChildRect(-1);
                                        framed(item->Frame());
                                        return std::unique_ptr<TDrawRect>(std::move(item));
                                    }}),
    [](const auto &Info) { return std::string(Info.param.name); });

TEST_F(ItemCommandsTest, senderBlockNamesTheDefaultSenderAndIsComposedFromSenderDb)
{
    DefaultSenderNo = 6;
    action("actInsertSender")->trigger();
    auto *block = dynamic_cast<TSenderRect *>(&last());
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->GetSenderTitle(), QStringLiteral("会社"));
    EXPECT_EQ(block->NameRect().GetName(), QStringLiteral("差出 花子"));
}

TEST_F(ItemCommandsTest, senderBlockWhoseSenderIsGoneMergesEmpty)
{
    action("actInsertSender")->trigger();
    auto *block = dynamic_cast<TSenderRect *>(&last());
    ASSERT_NE(block, nullptr);
    block->SetSenderTitle(QStringLiteral("削除された差出人"));
    editor.MergeCurrentRecord();
    EXPECT_TRUE(block->NameRect().GetName().isEmpty());
    EXPECT_TRUE(block->PosRect().GetPostcode().isEmpty());
}

TEST_F(ItemCommandsTest, senderCommandChoosesTheSenderTheEditorPrints)
{
    editor.ExecDialog = [this](QDialog &D) {
        shownDialogs << D.objectName();
        D.findChild<QPushButton *>(QStringLiteral("btnChoice"))->click();
        return D.result();
    };
    host.SetSenderNo(6);
    action("actSender")->trigger();
    EXPECT_EQ(shownDialogs, QStringList{QStringLiteral("SenderForm")});
    EXPECT_EQ(host.SenderNo(), 6);
    EXPECT_EQ(DMMurven19->SenderOpenCount(), 0);
}

TEST_F(ItemCommandsTest, newItemsSurviveSavingAndOpening)
{
    action("actInsertSender")->trigger();
    auto qr = std::make_unique<TQRCodeRect>();
    qr->SetText(QStringLiteral("QR"));
    qr->SetRect({10, 10, 20, 20});
    editor.Document().Items.push_back(std::move(qr));
    editor.Document().ItemRoles.push_back(-1);
    auto figure = std::make_unique<TFigureRect>();
    figure->SetRect({30, 30, 90, 90});
    figure->SetFigureKind(TFigureRect::Diamond);
    editor.Document().Items.push_back(std::move(figure));
    editor.Document().ItemRoles.push_back(-1);
    const QByteArray bytes = EncodePrintData(editor.Document());
    TLayoutDocument read;
    QString error;
    ASSERT_TRUE(DecodePrintData(bytes, read, &error)) << qPrintable(error);
    ASSERT_EQ(read.Items.size(), 3u);
    EXPECT_EQ(read.Items[0]->GetKind(), TDrawRectKind::SenderBlock);
    EXPECT_EQ(dynamic_cast<TSenderRect &>(*read.Items[0]).GetSenderTitle(), QStringLiteral("自宅"));
    EXPECT_EQ(dynamic_cast<TQRCodeRect &>(*read.Items[1]).GetText(), QStringLiteral("QR"));
    EXPECT_EQ(dynamic_cast<TFigureRect &>(*read.Items[2]).GetFigureKind(), TFigureRect::Diamond);
    EXPECT_EQ(EncodePrintData(read), bytes);
}

// A postcard with a sender block and a QR code: printed to a PDF file by
// the print command, and drawn by the same print loop onto a page image
// that shows ink in both items and a code that reads back.
TEST_F(ItemCommandsTest, postcardWithSenderBlockAndQRCodePrints)
{
    action("actInsertSender")->trigger();
    last().SetRect({30, 40, 230, 200});
    auto qr = std::make_unique<TQRCodeRect>();
    qr->SetQRKind(TQRKind::Text);
    qr->SetText(QStringLiteral("https://example.jp/murven"));
    qr->SetCellPitch(3);
    qr->SetRect({60, 380, 61, 381});
    editor.Document().Items.push_back(std::move(qr));
    editor.Document().ItemRoles.push_back(-1);
    editor.MergeCurrentRecord();
    const TPageRect senderRect = editor.Document().Items[0]->GetRect();
    const TPageRect qrRect = editor.Document().Items[1]->GetRect();

    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("postcard.pdf"));
    host.Selected = {1};
    editor.Printer().setOutputFormat(QPrinter::PdfFormat);
    editor.Printer().setOutputFileName(pdf);
    editor.Printer().setResolution(300);
    editor.PrintWizard = [](QPrinter &, TPrintRequest &Request) {
        Request.RecNos = {1};
        return true;
    };
    action("actPrint")->trigger();
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().count("/Type /Page\n"), 1);

    constexpr int dpi = 300;
    TPrintLoop loop(editor.Document(), TableRecordSource(book.table));
    QList<QImage> pages;
    QString error;
    ASSERT_TRUE(loop.RunToImages({dpi, dpi}, {1}, {}, pages, &error)) << qPrintable(error);
    ASSERT_EQ(pages.size(), 1);
    saveScreenshot(pages.first(), QStringLiteral("editors_postcard_sender_qr"));
    auto dots = [](const TPageRect &R) {
        auto d = [](int px) { return PageToDots(TPagePx(px), dpi); };
        return QRect(QPoint(d(R.Left), d(R.Top)), QPoint(d(R.Right) - 1, d(R.Bottom) - 1));
    };
    EXPECT_GT(inkIn(pages.first(), dots(senderRect)), 500);
    const QRect qrArea = dots(qrRect);
    EXPECT_GT(inkIn(pages.first(), qrArea), 1000);

    const QString zbar = QStandardPaths::findExecutable(QStringLiteral("zbarimg"));
    if (zbar.isEmpty())
        GTEST_SKIP() << "zbarimg is not installed";
    const QString png = out.filePath(QStringLiteral("qr.png"));
    ASSERT_TRUE(pages.first().copy(qrArea.adjusted(-40, -40, 40, 40)).save(png));
    QProcess proc;
    proc.start(zbar, {QStringLiteral("--raw"), QStringLiteral("-q"), png});
    ASSERT_TRUE(proc.waitForFinished(20000));
    EXPECT_EQ(QString::fromUtf8(proc.readAllStandardOutput()).trimmed(), QStringLiteral("https://example.jp/murven"));
}

} // namespace

namespace {

class DesignBackground : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TLabelGrid grid;
        editor.SetLayout(0, catalogueFormat(0, &grid), grid);
        editor.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    }
    SampleBook book;
    FakeHost host{book.table};
    TDesignForm editor{nullptr, host};
};

TEST_F(DesignBackground, backgroundCommandColoursThePageAndTheFileKeepsIt)
{
    editor.ExecDialog = [](QDialog &D) {
        D.findChild<QRadioButton *>(QStringLiteral("rbColor"))->click();
        D.accept();
        return D.result();
    };
    editor.findChild<QAction *>(QStringLiteral("actBackImage"))->trigger();
    ASSERT_EQ(editor.Document().Background.GetKind(), TBackImage::Colour);
    const QImage page = editor.PageView()->grab().toImage();
    EXPECT_EQ(page.pixelColor(page.width() / 2, page.height() / 2), QColor(255, 160, 91));

    const QByteArray bytes = EncodePrintData(editor.Document());
    TLayoutDocument read;
    QString error;
    ASSERT_TRUE(DecodePrintData(bytes, read, &error)) << qPrintable(error);
    EXPECT_EQ(read.Background.GetKind(), TBackImage::Colour);
    EXPECT_EQ(read.Background.GetColor1(), editor.Document().Background.GetColor1());
    EXPECT_EQ(EncodePrintData(read), bytes);
}

TEST_F(DesignBackground, backgroundPrintsUnderTheItems)
{
    editor.Document().Background.SetKind(TBackImage::Colour);
    editor.Document().Background.SetColor1(clBlue);
    TPrintLoop loop(editor.Document(), TableRecordSource(book.table));
    QList<QImage> pages;
    ASSERT_TRUE(loop.RunToImages({150, 150}, {1}, {}, pages, nullptr));
    ASSERT_EQ(pages.size(), 1);
    EXPECT_EQ(pages.first().pixelColor(10, 10), QColor(0, 0, 255));
}

} // namespace

namespace {

struct HostSenderCase {
    const char *name;
    qint32 chosen;
    qint32 defaultNo;
    const char16_t *expected;
};

class MainListHostSender : public ::testing::TestWithParam<HostSenderCase>
{
protected:
    void TearDown() override { MainListHost().SetSenderNo(0); }
    SenderBook senders;
};

TEST_P(MainListHostSender, takesTheChosenThenTheDefaultThenTheFirstSender)
{
    DefaultSenderNo = GetParam().defaultNo;
    MainListHost().SetSenderNo(GetParam().chosen);
    const std::optional<TAddressText> sender = MainListHost().SenderRecord();
    ASSERT_TRUE(sender.has_value());
    EXPECT_EQ(sender->NameKanji, QString::fromUtf16(GetParam().expected));
    EXPECT_EQ(DMMurven19->SenderOpenCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Senders, MainListHostSender,
                         ::testing::Values(HostSenderCase{"chosen", 6, 5, u"差出 花子"},
                                           HostSenderCase{"defaultWhenNoneChosen", 0, 6, u"差出 花子"},
                                           HostSenderCase{"firstWhenTheChosenIsGone", 99, 0, u"差出 太郎"}),
                         rowName);

} // namespace

namespace {

TEST(ItemCommandsDefaultSender, anEditorReadsTheDefaultSenderFromSenderIni)
{
    SenderBook senders;
    TMemIniFile ini(SenderIniFileName());
    ini.WriteInteger(QStringLiteral("SENDER"), QStringLiteral("Default"), 6);
    ini.WriteInteger(QStringLiteral("SENDER"), QStringLiteral("LastNo"), 6);
    ASSERT_TRUE(ini.UpdateFile());
    SampleBook book;
    FakeHost host{book.table};
    TLayoutForm editor{nullptr, host};
    TLabelGrid grid;
    // 角形２号: its face has room for a company's block whose lines read.
    editor.SetLayout(11, catalogueFormat(11, &grid), grid);
    EXPECT_EQ(DefaultSenderNo, 6);
    editor.findChild<QAction *>(QStringLiteral("actInsertSender"))->trigger();
    auto *block = dynamic_cast<TSenderRect *>(editor.Document().Items.back().get());
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->GetSenderTitle(), QStringLiteral("会社"));
}

} // namespace
