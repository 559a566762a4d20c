// Return takes the choice a menu or a paper dialog shows: wherever the user
// made the choice (a list, a combo, a radio button, the check box), Return
// presses OK and the dialog is accepted with that choice. In the dialogs
// whose fields Enter walks through, OK is the default button and Return on
// it, where the walk ends, presses it.

#include "dialogs/AddInfo.h"
#include "dialogs/CstmLbl.h"
#include "dialogs/CstmLyt.h"
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
#include "dialogs/WordEdit.h"
#include "dialogs/WordSet.h"

#include "PaperFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
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
        ReturnCase{"designKind", designPapers, "cbxKind", {}, paperChoice<TNewDesignDialog>}),
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
