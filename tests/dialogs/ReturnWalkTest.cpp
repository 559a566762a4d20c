// Return in the editors' windows outside the settings dialogs (the sender
// records, the design print, the print-data files), pressed where a person
// presses it: Enter walks the fields as each window lays down, to the
// button that acts, and Return there acts; a focused button takes Return
// itself.

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

#include "EditorDialogsFixture.h"
#include "SenderFixture.h"
#include "support/ReturnWalk.h"
#include "support/RowName.h"
#include "support/ScriptedMessageBoxes.h"

#include <QApplication>
#include <QPrinter>
#include <QPushButton>
#include <QTest>

#include <memory>

#include <gtest/gtest.h>

namespace {

// The main list's rows and print marks for the print wizard.
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
    // The print wizard of a postcard without address data: it opens on its
    // print page, at 印刷部数.
    std::shared_ptr<QWidget> layoutPrint()
    {
        auto dialog = std::make_shared<TLayoutPrintDialog>(nullptr, rows, marks, printer);
        dialog->SetUseAddressData(false);
        dialog->SetLayoutKind(TLayoutKind::lkPostcard);
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
    NoRows rows;
    NoMarks marks;
    int printerSetups = 0;
};

using WalkCase = TReturnWalk<EditorWindows>;

class ReturnWalks : public TReturnWalks<EditorWindows>
{
};

TEST_P(ReturnWalks, asTheWindowLaysDown)
{
    walk();
}

using E = EditorWindows;

INSTANTIATE_TEST_SUITE_P(
    Editors, ReturnWalks,
    ::testing::Values(
        // 文面印刷 － 印刷: the copies and the printer option lead to 印刷,
        // which asks and prints.
        WalkCase{"designPrintCopies", [](E &f) { return f.designPrint(); }, "edCopy", u"2", {"btnPrint"},
                 DialogAccepted},
        WalkCase{"designPrintOption", [](E &f) { return f.designPrint(); }, "ckbLimitedPrinter", nullptr, {"btnPrint"},
                 [](E &f, QWidget &w) {
                     if (f.printerSetups != 0)
                         return ::testing::AssertionFailure() << "the printer set-up opened";
                     return DialogAccepted(w);
                 }},
        // 宛名印刷: the copies lead on to the printer option and 印刷, which
        // asks and prints.
        WalkCase{"layoutPrintCopies", [](E &f) { return f.layoutPrint(); }, "edCopy", u"2",
                 {"ckbLimitedPrinter", "btnPrint"}, DialogAccepted},
        // 差出人の編集: every field moves on, a head combo to its line.
        WalkCase{"senderTitle", [](E &) { return E::senders(); }, "edTitle", u"実家", {}, FocusMovedTo("edName")},
        WalkCase{"senderHead", [](E &) { return E::senders(); }, "cbxHead1", nullptr, {}, FocusMovedTo("edAddition1")},
        WalkCase{"senderLastHead", [](E &) { return E::senders(); }, "cbxHead4", nullptr, {},
                 FocusMovedTo("edAddition4")},
        WalkCase{"senderPost", [](E &) { return E::senders(); }, "cbxPost", nullptr, {}, FocusMovedTo("ckbCorp")},
        // 名前を付けて保存: the title leads to OK, which takes it.
        WalkCase{"saveTitle", [](E &) { return E::printData(true); }, "edTitle", u"年賀状", {},
                 DialogAcceptedAnd([](QWidget &w) {
                     if (static_cast<TPrintDataSaveDialog &>(w).GetTitle() != QStringLiteral("年賀状"))
                         return ::testing::AssertionFailure() << "the title typed is lost";
                     return ::testing::AssertionSuccess();
                 })}),
    rowName);

// ---- A focused button takes Return itself ------------------------------------

using ButtonsCase = TButtonsRow<EditorWindows>;

class ReturnOnAButton : public TReturnOnAButton<EditorWindows>
{
};

TEST_P(ReturnOnAButton, pressesThatButtonAlone)
{
    pressEachButton();
}

INSTANTIATE_TEST_SUITE_P(Editors, ReturnOnAButton,
                         ::testing::Values(ButtonsCase{"senders", [](E &) { return E::senders(); }},
                                           ButtonsCase{"designPrint", [](E &f) { return f.designPrint(); }},
                                           ButtonsCase{"printDataSave", [](E &) { return E::printData(true); }},
                                           ButtonsCase{"printDataOpen", [](E &) { return E::printData(false); }}),
                         rowName);

// ---- Every settings dialog of the editors -----------------------------------

// The editors' settings dialogs, opened as the editors open them.
class SettingsDialogs : public EditorDialogsFixture
{
public:
    static int paperOf(TPaperKind Kind) { return firstOf(Kind); }

    ScriptedMessageBoxes boxes;
    NoRows rows;
    NoMarks marks;
};

using SettingsCase = TButtonsRow<SettingsDialogs>;

class ReturnOnASettingsButton : public TReturnOnAButton<SettingsDialogs>
{
};

TEST_P(ReturnOnASettingsButton, pressesThatButtonAlone)
{
    pressEachButton();
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
