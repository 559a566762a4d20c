// Each dialog of the editors answers F1 with the manual page about it, and
// the dialogs that show one of several papers or kinds follow what they show.

#include "core/PDFHelp.h"
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
#include "support/ScriptedMessageBoxes.h"

#include <QComboBox>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

namespace {

struct DialogCase {
    const char *name;
    std::function<std::unique_ptr<QWidget>()> make;
    int context;
};

class NoRows : public TPrintRowSource
{
public:
    int RowCount() const override { return 0; }
    bool IsRowSelected(int) const override { return false; }
    qint32 RowRecNo(int) const override { return 0; }
    int FirstSelected() const override { return -1; }
};

class NoMarks : public TPrintMarkSource
{
public:
    std::optional<qint32> PrintTarget(qint32) override { return 1; }
};

class DialogHelpContexts : public ::testing::Test
{
protected:
    QTemporaryDir home;
    ScopedDataFolders folders{home.path()};
    ScriptedMessageBoxes boxes;
    QPrinter printer{QPrinter::HighResolution};
};

TEST_F(DialogHelpContexts, eachDialogAnswersF1WithItsOwnPage)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    const std::vector<DialogCase> cases{
        {"PrintMenu", [] { return std::make_unique<TPrintMenuDialog>(nullptr); }, 65},
        {"DesignPrint", [this] { return std::make_unique<TDesignPrintDialog>(nullptr, printer); }, 97},
        {"LayoutFont", [] { return std::make_unique<TLayoutFontDialog>(nullptr); }, 101},
        {"LayoutDetail", [] { return std::make_unique<TLayoutDetailDialog>(nullptr); }, 102},
        {"DataForm", [] { return std::make_unique<TDataFormDialog>(nullptr); }, 104},
        {"AdditionInfo", [] { return std::make_unique<TAdditionInfoDialog>(nullptr); }, 106},
        {"BackImage", [] { return std::make_unique<TBackImageDialog>(nullptr); }, 111},
        {"IllustSetting", [] { return std::make_unique<TIllustSettingDialog>(nullptr); }, 113},
        {"WordEdit", [] { return std::make_unique<TWordEditDialog>(nullptr); }, 115},
        {"WordSetting", [] { return std::make_unique<TWordSettingDialog>(nullptr); }, 116},
        {"FigureSetting", [] { return std::make_unique<TFigureSettingDialog>(nullptr); }, 118},
        {"QRCodeSetting", [] { return std::make_unique<TQRCodeSettingDialog>(nullptr); }, 119},
    };
    for (const DialogCase &c : cases) {
        SCOPED_TRACE(c.name);
        const std::unique_ptr<QWidget> dialog = c.make();
        EXPECT_EQ(HelpContextOf(dialog.get()), c.context);
        // F1 in any of its controls asks for the same page.
        for (const QWidget *child : dialog->findChildren<QWidget *>())
            if (child->focusPolicy() != Qt::NoFocus) {
                EXPECT_EQ(HelpContextOf(child), c.context) << child->objectName().toStdString();
                break;
            }
    }
}

TEST_F(DialogHelpContexts, thePrintWizardFollowsTheKindItPrints)
{
    NoRows rows;
    NoMarks marks;
    printer.setOutputFormat(QPrinter::PdfFormat);
    EXPECT_EQ(HelpContextOf(std::make_unique<TLayoutPrintDialog>(nullptr, rows, marks, printer).get()), 69);
    const std::pair<TLayoutKind, int> kinds[] = {{TLayoutKind::lkPostcard, 69},
                                                 {TLayoutKind::lkEnvelope, 75},
                                                 {TLayoutKind::lkLabel, 82},
                                                 {TLayoutKind::lkCard, 90}};
    for (const auto &[kind, context] : kinds) {
        TLayoutPrintDialog dialog(nullptr, rows, marks, printer);
        dialog.SetLayoutKind(kind);
        EXPECT_EQ(HelpContextOf(&dialog), context) << int(kind);
    }
}

TEST_F(DialogHelpContexts, printDataFilesFollowTheDocumentAndThePaper)
{
    const struct {
        int docKind;
        int paperKind; // -1: not told; the editors tell every kind its paper
        int context;
    } cases[] = {{1, -1, 81}, {2, -1, 89}, {3, -1, 96}, {0, 0, 68}, {0, 1, 74}, {0, 5, 0}, {1, 0, 81}, {2, 1, 89}, {3, 0, 96}};
    for (const auto &c : cases) {
        for (const bool save : {false, true}) {
            std::unique_ptr<TPrintDataFileDialog> dialog;
            if (save)
                dialog = std::make_unique<TPrintDataSaveDialog>(nullptr);
            else
                dialog = std::make_unique<TPrintDataOpenDialog>(nullptr);
            dialog->SetDocKind(c.docKind);
            if (c.paperKind >= 0)
                dialog->SetPaperKind(c.paperKind);
            EXPECT_EQ(HelpContextOf(dialog.get()), c.context)
                << "kind " << c.docKind << " paper " << c.paperKind << (save ? " save" : " open");
        }
    }
}

class PaperHelpContexts : public PaperDialogFixture
{
};

TEST_F(PaperHelpContexts, thePostcardAndEnvelopeDialogFollowsItsKindCombo)
{
    TNewLayoutDialog dialog(nullptr);
    EXPECT_EQ(HelpContextOf(&dialog), 66);
    dialog.ShowFormat(firstOf(TPaperKind::Postcard));
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    auto *kind = dialog.findChild<QComboBox *>(QStringLiteral("cbxPaperKind"));
    ASSERT_NE(kind, nullptr);
    kind->setFocus();
    QTest::keyClick(kind, Qt::Key_Down);
    ASSERT_EQ(kind->currentIndex(), 1);
    EXPECT_EQ(HelpContextOf(&dialog), 72);
    QTest::keyClick(kind, Qt::Key_Up);
    EXPECT_EQ(HelpContextOf(&dialog), 66);
    dialog.ShowFormat(firstOf(TPaperKind::Envelope));
    EXPECT_EQ(HelpContextOf(&dialog), 72);
}

TEST_F(PaperHelpContexts, theCustomPaperDialogFollowsItsBase)
{
    TNewLayoutDialog papers(nullptr);
    TCustomLayoutFormatDialog custom(&papers, &papers);
    custom.SetBaseFormat(firstOf(TPaperKind::Envelope));
    EXPECT_EQ(HelpContextOf(&custom), 73);
    custom.SetBaseFormat(firstOf(TPaperKind::Postcard));
    EXPECT_EQ(HelpContextOf(&custom), 67);
}

TEST_F(PaperHelpContexts, theSheetDialogsFollowLabelOrCard)
{
    for (const auto &[kind, context] : {std::pair{2, 79}, std::pair{3, 87}}) {
        TNewLabelDialog sheets(nullptr);
        sheets.SetLabelKind(kind);
        EXPECT_EQ(HelpContextOf(&sheets), context) << kind;
    }
    TNewLabelDialog sheets(nullptr);
    sheets.SetLabelKind(2);
    TCustomLabelDialog custom(&sheets, &sheets);
    custom.SetBaseSheet(firstOf(TPaperKind::Card));
    EXPECT_EQ(HelpContextOf(&custom), 88);
    custom.SetBaseSheet(firstOf(TPaperKind::Label));
    EXPECT_EQ(HelpContextOf(&custom), 80);
    EXPECT_EQ(HelpContextOf(std::make_unique<TNewDesignDialog>(nullptr).get()), 95);
}

class SenderHelpContexts : public SenderFixture
{
};

TEST_F(SenderHelpContexts, theSenderWindowsAnswerWithTheirPages)
{
    ScriptedMessageBoxes boxes;
    EXPECT_EQ(HelpContextOf(std::make_unique<TSenderForm>(nullptr).get()), 107);
    EXPECT_EQ(HelpContextOf(std::make_unique<TSenderSettingDialog>(nullptr).get()), 110);
}

} // namespace
