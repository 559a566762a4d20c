// Return takes the choice a menu or a paper dialog shows: wherever the user
// made the choice (a list, a combo, a radio button, the check box), Return
// presses OK and the dialog is accepted with that choice. In the dialogs
// whose fields Enter walks through, OK is the default button and Return on
// it, where the walk ends, presses it.

#include "dialogs/AddInfo.h"
#include "dialogs/BackImg.h"
#include "dialogs/CstmLbl.h"
#include "dialogs/CstmLyt.h"
#include "dialogs/DataFormat.h"
#include "dialogs/DataFrm.h"
#include "dialogs/DsnFmt.h"
#include "dialogs/FgrSet.h"
#include "dialogs/IlstSet.h"
#include "dialogs/LblFmt.h"
#include "dialogs/LytDtl.h"
#include "dialogs/LytFmt.h"
#include "dialogs/LytFont.h"
#include "dialogs/PrtMenu.h"
#include "dialogs/QRCode.h"
#include "dialogs/SndSet.h"
#include "dialogs/WordEdit.h"
#include "dialogs/WordSet.h"
#include "items/FigureRect.h"
#include "items/BackImage.h"
#include "items/IllustRect.h"
#include "items/ItemStream.h"
#include "items/SenderRect.h"
#include "items/WordRect.h"

#include "PaperFixture.h"
#include "support/KeyInput.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

#include <functional>
#include <memory>

#include <gtest/gtest.h>

namespace {

struct ReturnCase {
    const char *name;
    // The dialog as its editor sets it up before showing it.
    std::function<std::unique_ptr<QDialog>()> make;
    const char *control; // where the user chooses and presses Return
    // What the user does there first (nothing, a key, a click).
    std::function<void(QWidget *control)> choose;
    // The choice the dialog hands its editor.
    std::function<int(QDialog &)> choice;
};

class ReturnAccepts : public PaperDialogFixture, public ::testing::WithParamInterface<ReturnCase>
{
public:
    static int paperOf(TPaperKind kind) { return firstOf(kind); }
};

TEST_P(ReturnAccepts, theChoiceShown)
{
    const ReturnCase &c = GetParam();
    const std::unique_ptr<QDialog> dialog = c.make();
    dialog->show();
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    auto *control = dialog->findChild<QWidget *>(QLatin1String(c.control));
    ASSERT_NE(control, nullptr) << c.control;
    // The page the control is on, brought up as the user does.
    for (QTabWidget *pages : dialog->findChildren<QTabWidget *>())
        for (int i = 0; i < pages->count(); ++i)
            if (pages->widget(i)->isAncestorOf(control))
                pages->setCurrentIndex(i);
    control->setFocus(Qt::TabFocusReason);
    if (c.choose)
        c.choose(control);
    ASSERT_EQ(QApplication::focusWidget(), control);
    const int shown = c.choice(*dialog);
    QTest::keyClick(control, Qt::Key_Return);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(c.choice(*dialog), shown);
}

std::unique_ptr<QDialog> printMenu(int choice)
{
    auto dialog = std::make_unique<TPrintMenuDialog>(nullptr);
    dialog->SetDocKind(0);
    dialog->SetChoice(choice);
    return dialog;
}

// The menu's choice and its option: choice × 10 + shown again.
int menuChoice(QDialog &dialog)
{
    const auto &menu = static_cast<TPrintMenuDialog &>(dialog);
    return menu.GetChoice() * 10 + (menu.GetShowMenu() ? 1 : 0);
}

template <typename Dialog>
int paperChoice(QDialog &dialog)
{
    return static_cast<Dialog &>(dialog).SelectedIndex();
}

std::unique_ptr<QDialog> papers(TPaperKind kind)
{
    auto dialog = std::make_unique<TNewLayoutDialog>(nullptr);
    dialog->ShowFormat(ReturnAccepts::paperOf(kind));
    return dialog;
}

std::unique_ptr<QDialog> sheets(int labelKind, TPaperKind kind)
{
    auto dialog = std::make_unique<TNewLabelDialog>(nullptr);
    dialog->SetLabelKind(labelKind);
    dialog->ShowFormat(ReturnAccepts::paperOf(kind));
    return dialog;
}

std::unique_ptr<QDialog> designPapers()
{
    auto dialog = std::make_unique<TNewDesignDialog>(nullptr);
    dialog->ShowFormat(0);
    return dialog;
}

// The detail dialog as the address side's editor opens it: automatic or
// detailed frames, both sides' boxes, the layout's format.
std::unique_ptr<QDialog> layoutDetail(bool Detailed)
{
    auto dialog = std::make_unique<TLayoutDetailDialog>(nullptr);
    dialog->SetLayoutKind(TLayoutKind::lkPostcard);
    dialog->SetDetailedFrames(Detailed);
    dialog->SetDataSide(0);
    dialog->SetNameVisible(true);
    dialog->SetDetail(TDataFormat{});
    return dialog;
}

// Everything the detail dialog hands back: the format's bytes it edits,
// the frame set and a visibility box.
int detailChoice(QDialog &dialog)
{
    const auto &detail = static_cast<TLayoutDetailDialog &>(dialog);
    TDataFormat format;
    detail.GetDetail(format);
    return int(qHash(WriteDataFormat(format))) ^ (detail.DetailedFrames ? 1 << 30 : 0) ^
           (detail.GetNameVisible() ? 1 << 29 : 0);
}

// The figure dialog opened on a figure of the kind, outlined and filled.
std::unique_ptr<QDialog> figure(quint8 Kind)
{
    auto dialog = std::make_unique<TFigureSettingDialog>(nullptr);
    TFigureRect item;
    item.SetRect({10, 10, 110, 70});
    item.SetFigureKind(Kind);
    item.SetLineDirections(1);
    item.SetFrame(true);
    item.SetLineWidth(3);
    item.SetBack(true);
    dialog->SetItem(item);
    return dialog;
}

// The figure the dialog hands back.
int figureChoice(QDialog &dialog)
{
    const TFigureRect &f = static_cast<TFigureSettingDialog &>(dialog).WorkItem();
    return f.GetFigureKind() | f.GetLineDirections() << 3 | f.GetLineStyle() << 7 | int(f.HasFrame()) << 10 |
           int(f.HasBack()) << 11 | int(f.HasGradation()) << 12 | f.GetCornerRadius(0) << 13 |
           f.GetCornerRadius(1) << 15 | f.GetSectorDirection() << 17 | f.GetLineWidth() << 20;
}

template <typename Dialog>
std::unique_ptr<QDialog> plainUnique()
{
    return std::make_unique<Dialog>(nullptr);
}

// Any item the dialog works on, as the editor copies it back: its stream.
template <typename Dialog>
int itemChoice(QDialog &dialog)
{
    TItemWriter stream;
    static_cast<Dialog &>(dialog).WorkItem().SaveToStream(stream);
    return int(qHash(stream.bytes()));
}

// The design's background as the dialog hands it back.
int backgroundChoice(QDialog &dialog)
{
    TItemWriter stream;
    static_cast<TBackImageDialog &>(dialog).WorkItem().SaveToStream(stream);
    return int(qHash(stream.bytes()));
}

std::unique_ptr<QDialog> additions()
{
    auto dialog = std::make_unique<TAdditionInfoDialog>(nullptr);
    dialog->SetLayoutKind(TLayoutKind::lkLabel);
    dialog->SetDataSource(1);
    return dialog;
}

int additionChoice(QDialog &dialog)
{
    const auto &lines = static_cast<TAdditionInfoDialog &>(dialog);
    QString all;
    for (int i = 0; i < TAdditionInfoDialog::LineCount; ++i)
        all += QStringLiteral("%1/%2/%3|").arg(lines.GetAdditionChecked(i)).arg(lines.GetAdditionItem(i))
                   .arg(lines.GetAdditionText(i));
    return int(qHash(all + QStringLiteral("%1/%2").arg(lines.GetBarcode()).arg(lines.GetBarSize())));
}

std::unique_ptr<QDialog> dataFormat()
{
    auto dialog = std::make_unique<TDataFormDialog>(nullptr);
    dialog->SetLayoutKind(TLayoutKind::lkPostcard);
    dialog->SetDataFormat(TDataFormat{});
    return dialog;
}

int formatChoice(QDialog &dialog)
{
    TDataFormat format;
    static_cast<TDataFormDialog &>(dialog).GetDataFormat(format);
    return int(qHash(WriteDataFormat(format)));
}

int fontChoice(QDialog &dialog)
{
    const auto &fonts = static_cast<TLayoutFontDialog &>(dialog);
    const TLayoutFont f = fonts.GetFont();
    return int(qHash(QStringLiteral("%1/%2/%3/%4/%5/%6")
                         .arg(f.Face).arg(f.Charset).arg(f.Bold).arg(f.Italic).arg(f.Color.name())
                         .arg(fonts.GetApplyToAll())));
}

void honorific(QWidget *control)
{
    static_cast<QLineEdit *>(control)->selectAll();
    TypeCharacters(control, QStringLiteral("殿"));
}

void right(QWidget *control)
{
    QTest::keyClick(control, Qt::Key_Right);
}

void down(QWidget *control)
{
    QTest::keyClick(control, Qt::Key_Down);
}

void click(QWidget *control)
{
    QTest::mouseClick(control, Qt::LeftButton);
}

void space(QWidget *control)
{
    QTest::keyClick(control, Qt::Key_Space);
}

INSTANTIATE_TEST_SUITE_P(
    Dialogs, ReturnAccepts,
    ::testing::Values(
        ReturnCase{"printMenuNew", [] { return printMenu(0); }, "rbNew", {}, menuChoice},
        ReturnCase{"printMenuOpenClicked", [] { return printMenu(0); }, "rbOpen", click, menuChoice},
        ReturnCase{"printMenuReopen", [] { return printMenu(2); }, "rbContinue", {}, menuChoice},
        ReturnCase{"printMenuOptionCleared", [] { return printMenu(0); }, "ckbShowMenu", space, menuChoice},
        ReturnCase{"postcardList", [] { return papers(TPaperKind::Postcard); }, "lbPostcard", down,
                   paperChoice<TNewLayoutDialog>},
        ReturnCase{"postcardCategory", [] { return papers(TPaperKind::Postcard); }, "cbxPstCategory", {},
                   paperChoice<TNewLayoutDialog>},
        ReturnCase{"postcardAcross", [] { return papers(TPaperKind::Postcard); }, "rbPostCardH", click,
                   paperChoice<TNewLayoutDialog>},
        ReturnCase{"paperKind", [] { return papers(TPaperKind::Postcard); }, "cbxPaperKind", {},
                   paperChoice<TNewLayoutDialog>},
        ReturnCase{"envelopeList", [] { return papers(TPaperKind::Envelope); }, "lbEnvelope", down,
                   paperChoice<TNewLayoutDialog>},
        ReturnCase{"envelopeTurned", [] { return papers(TPaperKind::Envelope); }, "rbEnvCardH", click,
                   paperChoice<TNewLayoutDialog>},
        ReturnCase{"labelList", [] { return sheets(2, TPaperKind::Label); }, "lbLabel", down,
                   paperChoice<TNewLabelDialog>},
        ReturnCase{"labelAcross", [] { return sheets(2, TPaperKind::Label); }, "rbLblH", click,
                   paperChoice<TNewLabelDialog>},
        ReturnCase{"cardCategory", [] { return sheets(3, TPaperKind::Card); }, "cbxCrdCategory", {},
                   paperChoice<TNewLabelDialog>},
        ReturnCase{"cardList", [] { return sheets(3, TPaperKind::Card); }, "lbCard", down,
                   paperChoice<TNewLabelDialog>},
        ReturnCase{"designList", designPapers, "lbFormat", down, paperChoice<TNewDesignDialog>},
        ReturnCase{"designLandscape", designPapers, "rbHorz", click, paperChoice<TNewDesignDialog>},
        ReturnCase{"designKind", designPapers, "cbxKind", {}, paperChoice<TNewDesignDialog>},
        // フォント・配置の詳細設定: on each page, wherever a setting is made.
        ReturnCase{"detailAutomaticLayout", [] { return layoutDetail(false); }, "ckbAuto", space, detailChoice},
        ReturnCase{"detailFrameShown", [] { return layoutDetail(true); }, "ckbName", space, detailChoice},
        ReturnCase{"detailSenderFrameShown", [] { return layoutDetail(true); }, "ckbS_Post", space, detailChoice},
        ReturnCase{"detailPages", [] { return layoutDetail(false); }, "qt_tabwidget_tabbar", right, detailChoice},
        ReturnCase{"detailNameSize", [] { return layoutDetail(false); }, "tbrName", right, detailChoice},
        ReturnCase{"detailCompanyRatio", [] { return layoutDetail(false); }, "cbxCorpRatio", down, detailChoice},
        ReturnCase{"detailNameRatio", [] { return layoutDetail(false); }, "edNameRatio", {}, detailChoice},
        ReturnCase{"detailAlignment", [] { return layoutDetail(false); }, "rbLeft", click, detailChoice},
        ReturnCase{"detailJointNames", [] { return layoutDetail(false); }, "rbSeries", click, detailChoice},
        ReturnCase{"detailCompanyBreak", [] { return layoutDetail(false); }, "ckbCorpBreak", space, detailChoice},
        ReturnCase{"detailCharacterSpace", [] { return layoutDetail(false); }, "ckbCharSpace", space, detailChoice},
        // 図形の設定: the kind with its options, the outline and the fill.
        ReturnCase{"figureKind", [] { return figure(TFigureRect::Rectangle); }, "cbxFigureKind", down, figureChoice},
        ReturnCase{"figureLineDirection", [] { return figure(TFigureRect::Line); }, "ckbVertical", space,
                   figureChoice},
        ReturnCase{"figureCorner", [] { return figure(TFigureRect::RoundRect); }, "cbxDiameterV", down, figureChoice},
        ReturnCase{"figureSector", [] { return figure(TFigureRect::Sector); }, "rbTopLeft", click, figureChoice},
        ReturnCase{"figurePages", [] { return figure(TFigureRect::Rectangle); }, "qt_tabwidget_tabbar", right,
                   figureChoice},
        ReturnCase{"figureOutline", [] { return figure(TFigureRect::Rectangle); }, "ckbFrame", space, figureChoice},
        ReturnCase{"figureLineType", [] { return figure(TFigureRect::Rectangle); }, "dgLineType", down, figureChoice},
        ReturnCase{"figureFill", [] { return figure(TFigureRect::Rectangle); }, "ckbBack", space, figureChoice},
        ReturnCase{"figureGradation", [] { return figure(TFigureRect::Rectangle); }, "rbGradation", click,
                   figureChoice},
        // The editors' other settings dialogs.
        ReturnCase{"fontFace", plainUnique<TLayoutFontDialog>, "lbFonts", down, fontChoice},
        ReturnCase{"fontBold", plainUnique<TLayoutFontDialog>, "ckbBold", space, fontChoice},
        ReturnCase{"fontItalic", plainUnique<TLayoutFontDialog>, "ckbItalic", space, fontChoice},
        ReturnCase{"fontEveryFrame", plainUnique<TLayoutFontDialog>, "ckbAll", space, fontChoice},
        ReturnCase{"additionLine", additions, "ckbAddition2", space, additionChoice},
        ReturnCase{"additionField", additions, "cbxAddition1", {}, additionChoice},
        ReturnCase{"additionBarcode", additions, "ckbBarcode", space, additionChoice},
        ReturnCase{"additionBarSize", additions, "cbxBarSize", down, additionChoice},
        ReturnCase{"formatNumerals", dataFormat, "ckbChineseNumeral", space, formatChoice},
        ReturnCase{"formatCompany", dataFormat, "rbFull", click, formatChoice},
        ReturnCase{"formatPostalMark", dataFormat, "rbPosMark", click, formatChoice},
        ReturnCase{"formatSenderPostalMark", dataFormat, "rbSendPosHyphen", click, formatChoice},
        ReturnCase{"formatHonorificTyped", dataFormat, "edDefHonor", honorific, formatChoice},
        ReturnCase{"pictureFlip", plainUnique<TIllustSettingDialog>, "rbVert", click,
                   itemChoice<TIllustSettingDialog>},
        ReturnCase{"pictureTurn", plainUnique<TIllustSettingDialog>, "rbR90", click,
                   itemChoice<TIllustSettingDialog>},
        ReturnCase{"pictureOutline", plainUnique<TIllustSettingDialog>, "ckbFrame", space,
                   itemChoice<TIllustSettingDialog>},
        ReturnCase{"pictureFill", plainUnique<TIllustSettingDialog>, "ckbBack", space,
                   itemChoice<TIllustSettingDialog>},
        ReturnCase{"textFace", plainUnique<TWordSettingDialog>, "lbFonts", down, itemChoice<TWordSettingDialog>},
        ReturnCase{"textBold", plainUnique<TWordSettingDialog>, "ckbBold", space, itemChoice<TWordSettingDialog>},
        ReturnCase{"textItalic", plainUnique<TWordSettingDialog>, "ckbItalic", space,
                   itemChoice<TWordSettingDialog>},
        ReturnCase{"textVertical", plainUnique<TWordSettingDialog>, "rbVertical", click,
                   itemChoice<TWordSettingDialog>},
        ReturnCase{"textSize", plainUnique<TWordSettingDialog>, "cbxFSize", down, itemChoice<TWordSettingDialog>},
        ReturnCase{"backgroundKind", plainUnique<TBackImageDialog>, "rbNone", {}, backgroundChoice},
        ReturnCase{"senderBlock", plainUnique<TSenderSettingDialog>, "cbxSender", {}, itemChoice<TSenderSettingDialog>}),
    [](const ::testing::TestParamInfo<ReturnCase> &info) { return std::string(info.param.name); });

struct OkCase {
    const char *name;
    // The dialog; a shared pointer so a dialog owned by another keeps it.
    std::function<std::shared_ptr<QDialog>()> make;
};

class ReturnOnOk : public PaperDialogFixture, public ::testing::WithParamInterface<OkCase>
{
public:
    static int paperOf(TPaperKind kind) { return firstOf(kind); }
};

TEST_P(ReturnOnOk, pressesItAndItIsTheDefaultButton)
{
    const std::shared_ptr<QDialog> dialog = GetParam().make();
    dialog->show();
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == dialog.get(); }));
    QPushButton *ok = nullptr;
    for (QPushButton *button : dialog->findChildren<QPushButton *>())
        if (button->text() == QStringLiteral("OK"))
            ok = button;
    ASSERT_NE(ok, nullptr);
    EXPECT_TRUE(ok->isDefault());
    ok->setFocus(Qt::TabFocusReason);
    ASSERT_EQ(QApplication::focusWidget(), ok);
    QSignalSpy pressed(ok, &QPushButton::clicked);
    QTest::keyClick(ok, Qt::Key_Return);
    EXPECT_EQ(pressed.count(), 1);
}

template <typename Dialog>
std::shared_ptr<QDialog> plain()
{
    return std::make_shared<Dialog>(nullptr);
}

std::shared_ptr<QDialog> customPaper(TPaperKind kind)
{
    auto papers = std::make_shared<TNewLayoutDialog>(nullptr);
    auto *custom = new TCustomLayoutFormatDialog(papers.get(), papers.get());
    custom->SetBaseFormat(ReturnOnOk::paperOf(kind));
    return {papers, custom};
}

std::shared_ptr<QDialog> customSheet(TPaperKind kind)
{
    auto sheets = std::make_shared<TNewLabelDialog>(nullptr);
    sheets->SetLabelKind(kind == TPaperKind::Card ? 3 : 2);
    auto *custom = new TCustomLabelDialog(sheets.get(), sheets.get());
    custom->SetBaseSheet(ReturnOnOk::paperOf(kind));
    return {sheets, custom};
}

INSTANTIATE_TEST_SUITE_P(
    Dialogs, ReturnOnOk,
    ::testing::Values(OkCase{"figureSetting", plain<TFigureSettingDialog>},
                      OkCase{"illustSetting", plain<TIllustSettingDialog>},
                      OkCase{"qrCodeSetting", plain<TQRCodeSettingDialog>},
                      OkCase{"wordSetting", plain<TWordSettingDialog>},
                      OkCase{"postcardCustomPaper", [] { return customPaper(TPaperKind::Postcard); }},
                      OkCase{"labelCustomSheet", [] { return customSheet(TPaperKind::Label); }},
                      OkCase{"additionInfo", plain<TAdditionInfoDialog>},
                      OkCase{"dataForm", plain<TDataFormDialog>},
                      OkCase{"layoutDetail", plain<TLayoutDetailDialog>},
                      OkCase{"layoutFont", plain<TLayoutFontDialog>},
                      OkCase{"wordEdit", plain<TWordEditDialog>},
                      OkCase{"printMenu", plain<TPrintMenuDialog>},
                      OkCase{"designPaper", plain<TNewDesignDialog>}),
    [](const ::testing::TestParamInfo<OkCase> &info) { return std::string(info.param.name); });

// A focused キャンセル takes Return itself: the dialog closes and nothing
// the user set there is taken.
class ReturnOnCancel : public PaperDialogFixture, public ::testing::WithParamInterface<OkCase>
{
public:
    static int paperOf(TPaperKind kind) { return firstOf(kind); }
};

TEST_P(ReturnOnCancel, cancelsTheDialog)
{
    const std::shared_ptr<QDialog> dialog = GetParam().make();
    dialog->show();
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == dialog.get(); }));
    auto *cancel = dialog->findChild<QPushButton *>(QStringLiteral("btnCancel"));
    ASSERT_NE(cancel, nullptr);
    cancel->setFocus(Qt::TabFocusReason);
    ASSERT_EQ(QApplication::focusWidget(), cancel);
    QTest::keyClick(cancel, Qt::Key_Return);
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_FALSE(dialog->isVisible());
}

INSTANTIATE_TEST_SUITE_P(Dialogs, ReturnOnCancel,
                         ::testing::Values(OkCase{"layoutDetail", [] { return std::shared_ptr(layoutDetail(false)); }},
                                           OkCase{"figureSetting",
                                                  [] { return std::shared_ptr(figure(TFigureRect::Rectangle)); }}),
                         [](const ::testing::TestParamInfo<OkCase> &info) { return std::string(info.param.name); });

// A width or an angle typed into 図形の設定 and Return: the dialog closes
// with the number typed, held to its range as leaving the field holds it.
struct TypedCase {
    const char *name;
    const char *edit;
    const char16_t *typed;
    std::function<int(const TFigureRect &)> read;
    int expected;
};

class ReturnAfterTyping : public PaperDialogFixture, public ::testing::WithParamInterface<TypedCase>
{
};

TEST_P(ReturnAfterTyping, takesTheNumberTyped)
{
    const TypedCase &c = GetParam();
    auto dialog = figure(TFigureRect::Rectangle);
    auto &figures = static_cast<TFigureSettingDialog &>(*dialog);
    dialog->show();
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    dialog->findChild<QCheckBox *>(QStringLiteral("ckbBack"))->setChecked(true);
    dialog->findChild<QRadioButton *>(QStringLiteral("rbGradation"))->click();
    auto *edit = dialog->findChild<QLineEdit *>(QLatin1String(c.edit));
    ASSERT_NE(edit, nullptr);
    dialog->findChild<QTabWidget *>(QStringLiteral("pgcSetting"))->setCurrentIndex(1);
    edit->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(edit->isEnabled());
    edit->selectAll();
    TypeCharacters(edit, QString::fromUtf16(c.typed));
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(c.read(figures.WorkItem()), c.expected);
}

int lineWidth(const TFigureRect &f)
{
    return f.GetLineWidth();
}

int angle(const TFigureRect &f)
{
    return f.GetGradientAngle();
}

INSTANTIATE_TEST_SUITE_P(
    Figure, ReturnAfterTyping,
    ::testing::Values(TypedCase{"width", "edLineWidth", u"12", lineWidth, 12},
                      TypedCase{"widestWidth", "edLineWidth", u"50", lineWidth, 50},
                      TypedCase{"widthAboveTheWidest", "edLineWidth", u"51", lineWidth, 50},
                      TypedCase{"angle", "edAngle", u"45", angle, 45},
                      TypedCase{"largestAngle", "edAngle", u"359", angle, 359},
                      TypedCase{"angleAboveTheLargest", "edAngle", u"360", angle, 359}),
    [](const ::testing::TestParamInfo<TypedCase> &info) { return std::string(info.param.name); });

using PaperReturn = PaperDialogFixture;

// A focused button other than OK takes Return itself: 登録 registers, OK
// is not pressed behind it.
TEST_F(PaperReturn, returnOnAFocusedButtonPressesThatButton)
{
    TNewLayoutDialog dialog(nullptr);
    dialog.ShowFormat(firstOf(TPaperKind::Postcard));
    int customRuns = 0;
    dialog.ExecCustomFormat = [&customRuns](TCustomLayoutFormatDialog &) {
        ++customRuns;
        return int(QDialog::Rejected);
    };
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &dialog; }));
    auto *add = dialog.findChild<QPushButton *>(QStringLiteral("bbtnPstAdd"));
    ASSERT_NE(add, nullptr);
    add->setFocus(Qt::TabFocusReason);
    QTest::keyClick(add, Qt::Key_Return);
    EXPECT_EQ(customRuns, 1);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_NE(dialog.result(), QDialog::Accepted);
}


// The choice really is the user's: a sheet picked further down the list.
TEST_F(PaperReturn, returnTakesTheSheetPickedInTheList)
{
    TNewLabelDialog dialog(nullptr);
    dialog.SetLabelKind(2);
    dialog.ShowFormat(firstOf(TPaperKind::Label));
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    auto *list = dialog.findChild<QListWidget *>(QStringLiteral("lbLabel"));
    ASSERT_GE(list->count(), 3);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Down);
    ASSERT_EQ(list->currentRow(), 2);
    const QString picked = list->currentItem()->text();
    QTest::keyClick(list, Qt::Key_Return);
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.WorkingFormat().NameText(), picked);
    EXPECT_NE(dialog.SelectedIndex(), firstOf(TPaperKind::Label));
}

} // namespace
