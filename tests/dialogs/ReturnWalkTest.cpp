// Return in the editors' windows outside the settings dialogs (the sender
// records, the design print, the print-data files), pressed where a person
// presses it: Enter walks the fields as each window lays down, to the
// button that acts, and Return there acts; a focused button takes Return
// itself.

#include "core/DBInfo.h"
#include "dialogs/AddInfo.h"
#include "dialogs/BackImg.h"
#include "dialogs/CstmLbl.h"
#include "dialogs/CstmLyt.h"
#include "dialogs/DataFrm.h"
#include "dialogs/DsnFmt.h"
#include "dialogs/DsnPrt.h"
#include "dialogs/FgrSet.h"
#include "dialogs/IlstSet.h"
#include "dialogs/LblFmt.h"
#include "dialogs/LytDtl.h"
#include "dialogs/LytFmt.h"
#include "dialogs/LytFont.h"
#include "dialogs/LytPrt.h"
#include "dialogs/PrtMenu.h"
#include "dialogs/PrtOpen.h"
#include "dialogs/QRCode.h"
#include "dialogs/Sender.h"
#include "dialogs/SndSet.h"
#include "dialogs/WordEdit.h"
#include "dialogs/WordSet.h"

#include "PaperFixture.h"
#include "SenderFixture.h"
#include "support/DataFolders.h"
#include "support/TestEnvironment.h"
#include "support/KeyInput.h"
#include "support/ReturnKey.h"
#include "support/RowName.h"
#include "support/ScriptedMessageBoxes.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPrinter>
#include <QTest>

#include <functional>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

namespace {

class EditorWindows : public SenderFixture
{
public:
    void SetUp() override
    {
        SenderFixture::SetUp();
        addSender(1, titled(QStringLiteral("自宅")));
        printer.setOutputFormat(QPrinter::PdfFormat);
    }

    // The design print with the printer set-up answered as cancelled.
    std::shared_ptr<QWidget> designPrint()
    {
        auto dialog = std::make_shared<TDesignPrintDialog>(nullptr, printer);
        dialog->RunPrinterSetup = [this](QPrinter &, QWidget *) {
            ++printerSetups;
            return false;
        };
        return dialog;
    }
    static std::shared_ptr<QWidget> senders() { return std::make_shared<TSenderForm>(nullptr); }
    static std::shared_ptr<QWidget> printData(bool Save)
    {
        std::shared_ptr<TPrintDataFileDialog> dialog;
        if (Save)
            dialog = std::make_shared<TPrintDataSaveDialog>(nullptr);
        else
            dialog = std::make_shared<TPrintDataOpenDialog>(nullptr);
        dialog->SetDocKind(0);
        dialog->SetPaperKind(0);
        return dialog;
    }

    QPrinter printer{QPrinter::HighResolution};
    ScriptedMessageBoxes boxes;
    int printerSetups = 0;
};

using Check = std::function<::testing::AssertionResult(EditorWindows &, QWidget &)>;

struct WalkCase {
    const char *name;
    std::function<std::shared_ptr<QWidget>(EditorWindows &)> make;
    const char *control;             // where the user stands
    const char16_t *typed;           // what the user types there first (nullptr: nothing)
    std::vector<const char *> stops; // where each further Return is pressed
    Check done;                      // what the user sees in the end
};

void PrintTo(const WalkCase &c, std::ostream *os)
{
    *os << c.name;
}

::testing::AssertionResult accepted(EditorWindows &, QWidget &window)
{
    auto &dialog = static_cast<QDialog &>(window);
    if (dialog.result() != QDialog::Accepted || dialog.isVisible())
        return ::testing::AssertionFailure() << "the dialog is " << (dialog.isVisible() ? "still open" : "cancelled");
    return ::testing::AssertionSuccess();
}

// The last Return moved the focus on to the control of that name, in a
// window still open.
Check movesTo(const char *name)
{
    return [name](EditorWindows &, QWidget &window) {
        QWidget *focused = QApplication::focusWidget();
        while (focused && focused->objectName().isEmpty())
            focused = focused->parentWidget();
        if (!window.isVisible())
            return ::testing::AssertionFailure() << "the window closed";
        if (!focused || focused->objectName() != QLatin1String(name))
            return ::testing::AssertionFailure()
                   << "the focus is on " << (focused ? focused->objectName().toStdString() : "nothing");
        return ::testing::AssertionSuccess();
    };
}

class ReturnWalks : public EditorWindows, public ::testing::WithParamInterface<WalkCase>
{
};

TEST_P(ReturnWalks, asTheWindowLaysDown)
{
    const WalkCase &c = GetParam();
    const std::shared_ptr<QWidget> window = c.make(*this);
    ASSERT_TRUE(ShowActive(window.get()));
    QWidget *control = window->findChild<QWidget *>(QLatin1String(c.control));
    ASSERT_TRUE(FocusControl(control)) << c.control;
    if (c.typed) {
        if (auto *edit = qobject_cast<QLineEdit *>(control))
            edit->selectAll();
        TypeCharacters(QApplication::focusWidget(), QString::fromUtf16(c.typed));
    }
    QStringList stops;
    for (const char *stop : c.stops)
        stops << QLatin1String(stop);
    ASSERT_TRUE(ReturnAlong(control, stops));
    EXPECT_TRUE(c.done(*this, *window));
}

using E = EditorWindows;

INSTANTIATE_TEST_SUITE_P(
    Editors, ReturnWalks,
    ::testing::Values(
        // 文面印刷 － 印刷: the copies and the printer option lead to 印刷,
        // which asks and prints.
        WalkCase{"designPrintCopies", [](E &f) { return f.designPrint(); }, "edCopy", u"2", {"btnPrint"}, accepted},
        WalkCase{"designPrintOption", [](E &f) { return f.designPrint(); }, "ckbLimitedPrinter", nullptr, {"btnPrint"},
                 [](E &f, QWidget &w) {
                     if (f.printerSetups != 0)
                         return ::testing::AssertionFailure() << "the printer set-up opened";
                     return accepted(f, w);
                 }},
        // 差出人の編集: every field moves on, a head combo to its line.
        WalkCase{"senderTitle", [](E &) { return E::senders(); }, "edTitle", u"実家", {}, movesTo("edName")},
        WalkCase{"senderHead", [](E &) { return E::senders(); }, "cbxHead1", nullptr, {}, movesTo("edAddition1")},
        WalkCase{"senderLastHead", [](E &) { return E::senders(); }, "cbxHead4", nullptr, {}, movesTo("edAddition4")},
        WalkCase{"senderPost", [](E &) { return E::senders(); }, "cbxPost", nullptr, {}, movesTo("ckbCorp")},
        // 名前を付けて保存: the title leads to OK, which takes it.
        WalkCase{"saveTitle", [](E &) { return E::printData(true); }, "edTitle", u"年賀状", {},
                 [](E &f, QWidget &w) {
                     const auto r = accepted(f, w);
                     if (!r)
                         return r;
                     if (static_cast<TPrintDataSaveDialog &>(w).GetTitle() != QStringLiteral("年賀状"))
                         return ::testing::AssertionFailure() << "the title typed is lost";
                     return ::testing::AssertionSuccess();
                 }}),
    rowName);

// ---- A focused button takes Return itself ------------------------------------

struct ButtonsCase {
    const char *name;
    std::function<std::shared_ptr<QWidget>(EditorWindows &)> make;
};

void PrintTo(const ButtonsCase &c, std::ostream *os)
{
    *os << c.name;
}

class ReturnOnAButton : public EditorWindows, public ::testing::WithParamInterface<ButtonsCase>
{
};

TEST_P(ReturnOnAButton, pressesThatButtonAlone)
{
    const auto pressed = ButtonsPressedByReturn([this] { return GetParam().make(*this); });
    ASSERT_FALSE(pressed.isEmpty());
    for (const auto &[button, clicked] : pressed)
        EXPECT_EQ(clicked.join(QStringLiteral(", ")).toStdString(), button.toStdString());
}

INSTANTIATE_TEST_SUITE_P(Editors, ReturnOnAButton,
                         ::testing::Values(ButtonsCase{"senders", [](E &) { return E::senders(); }},
                                           ButtonsCase{"designPrint", [](E &f) { return f.designPrint(); }},
                                           ButtonsCase{"printDataSave", [](E &) { return E::printData(true); }},
                                           ButtonsCase{"printDataOpen", [](E &) { return E::printData(false); }}),
                         rowName);

// ---- Every settings dialog of the editors -----------------------------------

class NoRows : public TPrintRowSource
{
public:
    int RowCount() const override { return 3; }
    bool IsRowSelected(int) const override { return true; }
    qint32 RowRecNo(int Row) const override { return Row + 1; }
    int FirstSelected() const override { return 0; }
};

class NoMarks : public TPrintMarkSource
{
public:
    std::optional<qint32> PrintTarget(qint32) override { return 1; }
};

// The paper catalogues of the build and the sender table open, as the
// editors open their dialogs.
class SettingsDialogs : public PaperDialogFixture
{
public:
    void SetUp() override
    {
        PaperDialogFixture::SetUp();
        for (const QString &folder : {DataRoot, DataPath, OtherPath, HistoryPath})
            QDir().mkpath(folder);
        DMMurven19 = new TDMMurven19;
        DMMurven19->CreateSenderTable();
        ASSERT_TRUE(DMMurven19->OpenSender());
        printer.setOutputFormat(QPrinter::PdfFormat);
    }
    void TearDown() override
    {
        FreeDataModule();
        PaperDialogFixture::TearDown();
    }
    static int paperOf(TPaperKind Kind) { return firstOf(Kind); }

    ScopedHome home;
    ScopedDataFolders folders{home.root()};
    ScriptedMessageBoxes boxes;
    QPrinter printer{QPrinter::HighResolution};
    NoRows rows;
    NoMarks marks;
};

struct SettingsCase {
    const char *name;
    std::function<std::shared_ptr<QWidget>(SettingsDialogs &)> make;
};

void PrintTo(const SettingsCase &c, std::ostream *os)
{
    *os << c.name;
}

class ReturnOnASettingsButton : public SettingsDialogs, public ::testing::WithParamInterface<SettingsCase>
{
};

TEST_P(ReturnOnASettingsButton, pressesThatButtonAlone)
{
    const auto pressed = ButtonsPressedByReturn([this] { return GetParam().make(*this); });
    ASSERT_FALSE(pressed.isEmpty());
    for (const auto &[button, clicked] : pressed)
        EXPECT_EQ(clicked.join(QStringLiteral(", ")).toStdString(), button.toStdString());
}

using S = SettingsDialogs;

template <typename Dialog>
std::shared_ptr<QWidget> plain(S &)
{
    return std::make_shared<Dialog>(nullptr);
}

std::shared_ptr<QWidget> papers(S &)
{
    auto dialog = std::make_shared<TNewLayoutDialog>(nullptr);
    dialog->ShowFormat(S::paperOf(TPaperKind::Postcard));
    return dialog;
}

std::shared_ptr<QWidget> sheets(S &)
{
    auto dialog = std::make_shared<TNewLabelDialog>(nullptr);
    dialog->SetLabelKind(2);
    dialog->ShowFormat(S::paperOf(TPaperKind::Label));
    return dialog;
}

std::shared_ptr<QWidget> customPaper(S &)
{
    auto owner = std::make_shared<TNewLayoutDialog>(nullptr);
    auto *custom = new TCustomLayoutFormatDialog(owner.get(), owner.get());
    custom->SetBaseFormat(S::paperOf(TPaperKind::Postcard));
    return {owner, custom};
}

std::shared_ptr<QWidget> customSheet(S &)
{
    auto owner = std::make_shared<TNewLabelDialog>(nullptr);
    owner->SetLabelKind(2);
    auto *custom = new TCustomLabelDialog(owner.get(), owner.get());
    custom->SetBaseSheet(S::paperOf(TPaperKind::Label));
    return {owner, custom};
}

// The print wizard on its second page, where the copies lead to 印刷.
std::shared_ptr<QWidget> layoutPrint(S &f)
{
    auto dialog = std::make_shared<TLayoutPrintDialog>(nullptr, f.rows, f.marks, f.printer);
    dialog->SetLayoutKind(TLayoutKind::lkPostcard);
    return dialog;
}

INSTANTIATE_TEST_SUITE_P(
    Editors, ReturnOnASettingsButton,
    ::testing::Values(SettingsCase{"printMenu", plain<TPrintMenuDialog>}, SettingsCase{"papers", papers},
                      SettingsCase{"sheets", sheets}, SettingsCase{"designPaper", plain<TNewDesignDialog>},
                      SettingsCase{"customPaper", customPaper}, SettingsCase{"customSheet", customSheet},
                      SettingsCase{"layoutDetail", plain<TLayoutDetailDialog>},
                      SettingsCase{"dataForm", plain<TDataFormDialog>},
                      SettingsCase{"additionInfo", plain<TAdditionInfoDialog>},
                      SettingsCase{"layoutFont", plain<TLayoutFontDialog>},
                      SettingsCase{"wordEdit", plain<TWordEditDialog>},
                      SettingsCase{"wordSetting", plain<TWordSettingDialog>},
                      SettingsCase{"figureSetting", plain<TFigureSettingDialog>},
                      SettingsCase{"illustSetting", plain<TIllustSettingDialog>},
                      SettingsCase{"qrCodeSetting", plain<TQRCodeSettingDialog>},
                      SettingsCase{"backImage", plain<TBackImageDialog>},
                      SettingsCase{"senderSetting", plain<TSenderSettingDialog>},
                      SettingsCase{"layoutPrint", layoutPrint}),
    rowName);

} // namespace
