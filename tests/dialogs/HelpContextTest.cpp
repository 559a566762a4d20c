// F1 in each dialog of the editors opens the manual at the page about it:
// the page the viewer is asked to open carries the heading the manual's
// contents give that dialog. The dialogs that show one of several papers or
// kinds follow what they show.

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
#include "support/ManualF1.h"

#include <QComboBox>
#include <QDir>
#include <QPrinter>
#include <QTest>

#include <functional>
#include <memory>

#include <gtest/gtest.h>

namespace {

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

class DialogWindows;

struct DialogPage {
    const char *name;
    // The dialog; a shared pointer so a dialog owned by another keeps it.
    std::function<std::shared_ptr<QWidget>(DialogWindows &)> make;
    const char16_t *heading; // as the manual's contents name the page
};

// The editors' dialogs as the editors open them, and the manual under F1.
class DialogWindows : public EditorDialogsFixture
{
public:
    template <typename Dialog>
    static std::shared_ptr<QWidget> make()
    {
        return std::make_shared<Dialog>(nullptr);
    }
    std::shared_ptr<QWidget> layoutPrint(TLayoutKind kind)
    {
        auto dialog = std::make_shared<TLayoutPrintDialog>(nullptr, rows, marks, printer);
        dialog->SetLayoutKind(kind);
        return dialog;
    }
    static std::shared_ptr<QWidget> printData(bool save, int docKind, int paperKind)
    {
        std::shared_ptr<TPrintDataFileDialog> dialog;
        if (save)
            dialog = std::make_shared<TPrintDataSaveDialog>(nullptr);
        else
            dialog = std::make_shared<TPrintDataOpenDialog>(nullptr);
        dialog->SetDocKind(docKind);
        if (paperKind >= 0)
            dialog->SetPaperKind(paperKind);
        return dialog;
    }
    static std::shared_ptr<QWidget> papers(TPaperKind kind)
    {
        auto dialog = std::make_shared<TNewLayoutDialog>(nullptr);
        dialog->ShowFormat(firstOf(kind));
        return dialog;
    }
    static std::shared_ptr<QWidget> customPaper(TPaperKind kind)
    {
        auto papers = std::make_shared<TNewLayoutDialog>(nullptr);
        auto *custom = new TCustomLayoutFormatDialog(papers.get(), papers.get());
        custom->SetBaseFormat(firstOf(kind));
        return {papers, custom};
    }
    static std::shared_ptr<QWidget> sheets(int labelKind)
    {
        auto dialog = std::make_shared<TNewLabelDialog>(nullptr);
        dialog->SetLabelKind(labelKind);
        return dialog;
    }
    static std::shared_ptr<QWidget> customSheet(TPaperKind kind)
    {
        auto sheets = std::make_shared<TNewLabelDialog>(nullptr);
        sheets->SetLabelKind(kind == TPaperKind::Card ? 3 : 2);
        auto *custom = new TCustomLabelDialog(sheets.get(), sheets.get());
        custom->SetBaseSheet(firstOf(kind));
        return {sheets, custom};
    }

    ManualF1 manual;
    NoRows rows;
    NoMarks marks;
};

class DialogManualPages : public DialogWindows, public ::testing::WithParamInterface<DialogPage>
{
};

TEST_P(DialogManualPages, f1OpensThePageAboutTheDialog)
{
    const std::shared_ptr<QWidget> dialog = GetParam().make(*this);
    EXPECT_EQ(manual.HeadingOpenedByF1In(dialog.get()), ManualF1::AsRead(GetParam().heading));
}

using D = DialogWindows;

INSTANTIATE_TEST_SUITE_P(
    Dialogs, DialogManualPages,
    ::testing::Values(
        DialogPage{"printMenu", [](D &) { return D::make<TPrintMenuDialog>(); }, u"印刷　メニュー"},
        DialogPage{"designPrint",
                   [](D &f) { return std::make_shared<TDesignPrintDialog>(nullptr, f.printer); },
                   u"文面印刷 － 印刷"},
        DialogPage{"layoutFont", [](D &) { return D::make<TLayoutFontDialog>(); }, u"フォントの設定"},
        DialogPage{"layoutDetail", [](D &) { return D::make<TLayoutDetailDialog>(); }, u"フォント・配置の詳細設定"},
        DialogPage{"dataForm", [](D &) { return D::make<TDataFormDialog>(); }, u"書式の設定"},
        DialogPage{"additionInfo", [](D &) { return D::make<TAdditionInfoDialog>(); }, u"追加情報の設定"},
        DialogPage{"backImage", [](D &) { return D::make<TBackImageDialog>(); }, u"背景の選択"},
        DialogPage{"illustSetting", [](D &) { return D::make<TIllustSettingDialog>(); }, u"イラストの表示設定"},
        DialogPage{"wordEdit", [](D &) { return D::make<TWordEditDialog>(); }, u"文章の編集"},
        DialogPage{"wordSetting", [](D &) { return D::make<TWordSettingDialog>(); }, u"文章の表示設定"},
        DialogPage{"figureSetting", [](D &) { return D::make<TFigureSettingDialog>(); }, u"図形の設定"},
        DialogPage{"qrCodeSetting", [](D &) { return D::make<TQRCodeSettingDialog>(); }, u"QRコードの設定"},
        DialogPage{"postcardPrint", [](D &f) { return f.layoutPrint(TLayoutKind::lkPostcard); },
                   u"宛名印刷 － 印刷（はがき）"},
        DialogPage{"envelopePrint", [](D &f) { return f.layoutPrint(TLayoutKind::lkEnvelope); },
                   u"宛名印刷 － 印刷（封筒）"},
        DialogPage{"labelPrint", [](D &f) { return f.layoutPrint(TLayoutKind::lkLabel); }, u"ラベル印刷 － 印刷"},
        DialogPage{"cardPrint", [](D &f) { return f.layoutPrint(TLayoutKind::lkCard); }, u"名刺印刷 － 印刷"},
        DialogPage{"postcardOpen", [](D &) { return D::printData(false, 0, 0); },
                   u"開く・名前を付けて保存 － 宛名面（はがき）"},
        DialogPage{"envelopeSave", [](D &) { return D::printData(true, 0, 1); },
                   u"開く・名前を付けて保存 － 宛名面（封筒）"},
        DialogPage{"labelOpen", [](D &) { return D::printData(false, 1, -1); }, u"開く・名前を付けて保存 － ラベル"},
        DialogPage{"cardSaveWithAPaperTold", [](D &) { return D::printData(true, 2, 1); },
                   u"開く・名前を付けて保存 － 名刺"},
        DialogPage{"designOpen", [](D &) { return D::printData(false, 3, 0); }, u"開く・名前を付けて保存 － 文面"},
        DialogPage{"postcardPaper", [](D &) { return D::papers(TPaperKind::Postcard); }, u"新規作成 － はがきの用紙"},
        DialogPage{"envelopePaper", [](D &) { return D::papers(TPaperKind::Envelope); }, u"新規作成 － 封筒の用紙"},
        DialogPage{"postcardCustomPaper", [](D &) { return D::customPaper(TPaperKind::Postcard); },
                   u"カスタム用紙の作成 － はがき"},
        DialogPage{"envelopeCustomPaper", [](D &) { return D::customPaper(TPaperKind::Envelope); },
                   u"カスタム用紙の作成 － 封筒"},
        DialogPage{"labelSheet", [](D &) { return D::sheets(2); }, u"新規作成 － ラベルの用紙"},
        DialogPage{"cardSheet", [](D &) { return D::sheets(3); }, u"新規作成 － 名刺の用紙"},
        DialogPage{"labelCustomSheet", [](D &) { return D::customSheet(TPaperKind::Label); },
                   u"カスタム用紙の作成 － ラベル"},
        DialogPage{"cardCustomSheet", [](D &) { return D::customSheet(TPaperKind::Card); },
                   u"カスタム用紙の作成 － 名刺"},
        DialogPage{"designPaper", [](D &) { return D::make<TNewDesignDialog>(); }, u"用紙の設定 － 文面"},
        DialogPage{"senders", [](D &) { return D::make<TSenderForm>(); }, u"差出人の編集"},
        DialogPage{"senderSetting", [](D &) { return D::make<TSenderSettingDialog>(); }, u"差出人情報の表示設定"}),
    [](const ::testing::TestParamInfo<DialogPage> &info) { return std::string(info.param.name); });

// A control deep inside the dialog asks for the same page as the dialog.
TEST_F(DialogWindows, f1InAControlOfTheDialogOpensTheDialogsPage)
{
    TWordSettingDialog dialog(nullptr);
    dialog.show();
    QWidget *last = nullptr;
    for (QWidget *child : dialog.findChildren<QWidget *>())
        if (child->isVisible() && child->isEnabled() && (child->focusPolicy() & Qt::TabFocus))
            last = child;
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(manual.HeadingOpenedByF1(last), ManualF1::AsRead(u"文章の表示設定")) << last->objectName().toStdString();
}

TEST_F(DialogWindows, thePaperDialogsPageFollowsTheKindChosenInIt)
{
    TNewLayoutDialog dialog(nullptr);
    dialog.ShowFormat(firstOf(TPaperKind::Postcard));
    auto *kind = dialog.findChild<QComboBox *>(QStringLiteral("cbxPaperKind"));
    ASSERT_NE(kind, nullptr);
    EXPECT_EQ(manual.HeadingOpenedByF1(kind), ManualF1::AsRead(u"新規作成 － はがきの用紙"));
    QTest::keyClick(kind, Qt::Key_Down);
    ASSERT_EQ(kind->currentIndex(), 1);
    EXPECT_EQ(manual.HeadingOpenedByF1(kind), ManualF1::AsRead(u"新規作成 － 封筒の用紙"));
    QTest::keyClick(kind, Qt::Key_Up);
    EXPECT_EQ(manual.HeadingOpenedByF1(kind), ManualF1::AsRead(u"新規作成 － はがきの用紙"));
}

} // namespace
