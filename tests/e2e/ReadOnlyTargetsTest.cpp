// Every writer of a file the user sees or the program keeps, reached the way
// a user reaches it, on a file the user set read-only in a folder the user
// may write, with an ordinary user's rights: the file stays byte for byte and
// the window says why, in the words every writer uses for that cause.
#include "UserRoad.h"
#include "addressbook/AdrsSch.h"
#include "core/Env.h"
#include "dialogs/PrtOpen.h"
#include "platform/IniFile.h"
#include "support/FailingDisk.h"
#include "support/FileHelpers.h"
#include "support/OrdinaryUser.h"
#include "support/RowName.h"

#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>

#include <sys/stat.h>

namespace {

const QString kReadOnlyCause = QStringLiteral("ファイルが読み取り専用のため、書き込めません。");

class ReadOnlyTargets;

struct WriterCase {
    const char *name;
    // Writes the file once as the user did before (with the rights the test
    // starts with) and gives its name.
    QString (ReadOnlyTargets::*write)();
    // Sets the file read-only at the moment a user would, and has the writer
    // write it again.
    void (ReadOnlyTargets::*writeAgain)(const QString &File);
    // How the window's message begins.
    const char16_t *says;
};

class ReadOnlyTargets : public UserRoadFixture, public ::testing::WithParamInterface<WriterCase>
{
public:
    void SetUp() override
    {
        UserRoadFixture::SetUp();
        // The layouts in the test's data folder, which the user owns.
        LayoutPath = DataPath + QStringLiteral("Layout/");
        LabelPath = DataPath + QStringLiteral("Label/");
    }
    void TearDown() override
    {
        delete m_listPrint.data();
        LayoutPath = m_layoutPath;
        LabelPath = m_labelPath;
        UserRoadFixture::TearDown();
    }

    static void setReadOnly(const QString &File)
    {
        ASSERT_EQ(::chmod(QFile::encodeName(File).constData(), 0444), 0) << qPrintable(File);
    }

    // ---- a layout, through ファイル -> 名前を付けて保存 and 上書き保存
    QString saveLayoutAs(const char *Command, TPrintEditorKind Kind, int Paper)
    {
        m_editor = openEditor(Command, Kind, Paper);
        if (!m_editor)
            return {};
        m_editor->ExecDialog = [](QDialog &Dialog) {
            EXPECT_NE(dynamic_cast<TPrintDataSaveDialog *>(&Dialog), nullptr);
            Dialog.findChild<QLineEdit *>(QStringLiteral("edTitle"))->setText(QStringLiteral("年賀状"));
            Dialog.accept();
            return Dialog.result();
        };
        m_editor->findChild<QAction *>(QStringLiteral("actSaveAs"))->trigger();
        return m_editor->FileName();
    }
    QString addressLayout() { return saveLayoutAs("actLayoutPrint", TPrintEditorKind::AddressSide, 0); }
    QString labelLayout() { return saveLayoutAs("actLabelPrint", TPrintEditorKind::Label, 16); }
    void saveLayoutAgain(const QString &File)
    {
        ASSERT_NE(m_editor, nullptr);
        // An item moved since the save.
        TPageRect moved = m_editor->Document().Items.front()->GetRect();
        moved.Left += 20;
        moved.Right += 20;
        m_editor->Document().Items.front()->SetRect(moved);
        setReadOnly(File);
        m_editor->findChild<QAction *>(QStringLiteral("actSave"))->trigger();
    }

    // ---- the settings, saved as the main list closes
    QString settings() { return SettingsFileName(); }
    void closeTheList(const QString &File)
    {
        setReadOnly(File);
        list.reset();
    }

    // ---- the settings, as a window whose place the program keeps closes
    QString settingsOfAWindow()
    {
        // The export window opens over a list with rows.
        EXPECT_NO_FATAL_FAILURE(enterPerson(QStringLiteral("山田 太郎")));
        action("actExportFile")->trigger();
        EXPECT_NE(FileExport, nullptr);
        return SettingsFileName();
    }
    static void closeTheExportWindow()
    {
        ASSERT_NE(FileExport, nullptr);
        FileExport->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ASSERT_EQ(FileExport, nullptr);
    }
    void closeTheWindow(const QString &File)
    {
        setReadOnly(File);
        closeTheExportWindow();
    }

    // ---- the list's filter, kept for the next start as the main list closes
    QString filter()
    {
        // Written as the list closes with the filter set, read as it opens.
        list.reset();
        EXPECT_TRUE(WriteSearchList(DataPath + QStringLiteral("Search.lst"), markedCondition()));
        openList();
        return DataPath + QStringLiteral("Search.lst");
    }

    // ---- the text export, replacing or appending to the file it wrote
    QString textExport()
    {
        EXPECT_NO_FATAL_FAILURE(enterRecords());
        action("actExportFile")->trigger();
        EXPECT_NE(FileExport, nullptr);
        if (!FileExport)
            return {};
        FileExport->rbNormal->click();
        FileExport->sgDest->selectRow(0);
        FileExport->sgSrc->selectRow(eiName);
        FileExport->SetItem();
        FileExport->rbAll->click();
        FileExport->btnExportClick();
        return exportFile();
    }
    // The file is set read-only while the window asks whether to replace it
    // or add to it (Answer): after the window looked at it.
    void exportAgain(const QString &File, int Answer)
    {
        ASSERT_NE(FileExport, nullptr);
        boxes.whileShown([File](const TMessageBoxRequest &Box) {
            if (Box.text.startsWith(QStringLiteral("既にあるファイルを指定しました")))
                setReadOnly(File);
        });
        boxes.enqueue(IDYES); // export
        boxes.enqueue(IDNO);  // to the same file
        boxes.enqueue(Answer);
        FileExport->btnExportClick();
        boxes.whileShown({});
    }
    void replaceTheExport(const QString &File) { exportAgain(File, IDYES); }
    void appendToTheExport(const QString &File) { exportAgain(File, IDNO); }

    // ---- the list print's own templates
    TListPrint *listPrintWindow()
    {
        if (!m_listPrint) {
            action("actListPrint")->trigger();
            m_listPrint = list->findChild<TListPrint *>();
        }
        EXPECT_NE(m_listPrint, nullptr);
        return m_listPrint;
    }
    void addColumn(int Item)
    {
        TListPrint *w = listPrintWindow();
        for (int row = 0; row < w->lbxSrc->count(); ++row)
            if (w->lbxSrc->item(row)->data(Qt::UserRole).toInt() == Item)
                w->lbxSrc->setCurrentRow(row);
        w->lbxDest->setCurrentRow(w->lbxDest->count() - 1);
        w->bbtnSet->click();
    }
    QString listTemplate()
    {
        EXPECT_NO_FATAL_FAILURE(enterRecords());
        TListPrint *w = listPrintWindow();
        if (!w)
            return {};
        w->bbtnAllDelete->click();
        addColumn(19);
        w->cbxTemplateName->setEditText(QStringLiteral("名簿"));
        w->btnTemplateSave->click();
        return DataPath + QStringLiteral("LPCustom.tpl");
    }
    void saveTheTemplateAgain(const QString &File)
    {
        addColumn(15);
        setReadOnly(File);
        listPrintWindow()->btnTemplateSave->click();
    }

    // ---- PDFs: the editors' print run and the list print
    QString editorPdf()
    {
        EXPECT_NO_FATAL_FAILURE(enterRecords());
        selectRows({0, 1});
        m_editor = openEditor("actLayoutPrint", TPrintEditorKind::AddressSide, 0);
        if (!m_editor)
            return {};
        EXPECT_TRUE(runPrintWizard(*m_editor));
        return pdfFile();
    }
    // The print dialog names the read-only file: it is refused as it is
    // named, and the user cancels the dialog it asks again with.
    void printTheEditorAgain(const QString &File)
    {
        ASSERT_NE(m_editor, nullptr);
        setReadOnly(File);
        int asked = 0;
        m_editor->ExecPrintDialog = [this, &asked](QPrinter &Printer) {
            if (++asked > 1)
                return false;
            Printer.setOutputFileName(pdfFile());
            return true;
        };
        EXPECT_TRUE(runPrintWizard(*m_editor));
        EXPECT_EQ(asked, 2) << "the print dialog asks again after the refusal";
    }
    QString listPdf()
    {
        EXPECT_NO_FATAL_FAILURE(enterRecords());
        TListPrint *w = listPrintWindow();
        if (!w)
            return {};
        w->PrinterInfo().SelectPdf(pdfFile());
        w->ChoosePdfFile = [this](QWidget *, const QString &) { return pdfFile(); };
        w->rbAll->setChecked(true);
        w->bbtnAllDelete->click();
        addColumn(19);
        boxes.enqueue(IDYES);
        w->btnPrint->click();
        return pdfFile();
    }
    // The read-only file named again is refused as it is named; the user
    // cancels the dialog it asks again with.
    void printTheListAgain(const QString &File)
    {
        setReadOnly(File);
        int asked = 0;
        listPrintWindow()->ChoosePdfFile = [this, &asked](QWidget *, const QString &) {
            return ++asked > 1 ? QString() : pdfFile();
        };
        boxes.enqueue(IDYES);
        listPrintWindow()->btnPrint->click();
        EXPECT_EQ(asked, 2) << "the file dialog asks again after the refusal";
    }

    TPrintEditor *m_editor = nullptr;
    QPointer<TListPrint> m_listPrint;
    const QString m_layoutPath = LayoutPath;
    const QString m_labelPath = LabelPath;
};

TEST_P(ReadOnlyTargets, theFileStaysAsItWasAndTheWindowSaysItIsReadOnly)
{
    const QString file = (this->*GetParam().write)();
    ASSERT_FALSE(HasFailure());
    ASSERT_TRUE(QFileInfo(file).isFile()) << qPrintable(file);
    const QByteArray before = fileBytes(file);
    boxes.clear();
    {
        const ScopedOrdinaryUser user;
        ASSERT_TRUE(user.Bound());
        (this->*GetParam().writeAgain)(file);
    }
    EXPECT_TRUE(sameBytes(before, fileBytes(file)));
    EXPECT_EQ(fileMode(file), 0444);
    QStringList told;
    for (const TMessageBoxRequest &box : boxes.shown())
        if (box.text.contains(kReadOnlyCause))
            told << box.text;
    ASSERT_FALSE(told.isEmpty()) << "no window named the cause";
    EXPECT_TRUE(told.first().startsWith(QString::fromUtf16(GetParam().says))) << qPrintable(told.first());
    EXPECT_TRUE(told.first().contains(QDir::toNativeSeparators(file))) << qPrintable(told.first());
    // Nothing claims the file was written.
    for (const TMessageBoxRequest &box : boxes.shown())
        EXPECT_FALSE(box.text.contains(QStringLiteral("完了しました"))) << qPrintable(box.text);
}

INSTANTIATE_TEST_SUITE_P(
    Writers, ReadOnlyTargets,
    ::testing::Values(
        WriterCase{"addressLayout", &ReadOnlyTargets::addressLayout, &ReadOnlyTargets::saveLayoutAgain,
                   u"印刷データを保存できませんでした"},
        WriterCase{"labelLayout", &ReadOnlyTargets::labelLayout, &ReadOnlyTargets::saveLayoutAgain,
                   u"印刷データを保存できませんでした"},
        WriterCase{"settingsOnClosingTheList", &ReadOnlyTargets::settings, &ReadOnlyTargets::closeTheList,
                   u"一覧の位置と重複表示の設定をファイルに保存できませんでした"},
        WriterCase{"settingsOnClosingAWindow", &ReadOnlyTargets::settingsOfAWindow, &ReadOnlyTargets::closeTheWindow,
                   u"設定をファイルに保存できませんでした"},
        WriterCase{"filterOnClosingTheList", &ReadOnlyTargets::filter, &ReadOnlyTargets::closeTheList,
                   u"絞り込み条件が保存できませんでした"},
        WriterCase{"textExportReplaced", &ReadOnlyTargets::textExport, &ReadOnlyTargets::replaceTheExport,
                   u"ファイルに出力できませんでした"},
        WriterCase{"textExportAppended", &ReadOnlyTargets::textExport, &ReadOnlyTargets::appendToTheExport,
                   u"ファイルに出力できませんでした"},
        WriterCase{"listTemplate", &ReadOnlyTargets::listTemplate, &ReadOnlyTargets::saveTheTemplateAgain,
                   u"テンプレートを保存できませんでした。"},
        WriterCase{"editorPdf", &ReadOnlyTargets::editorPdf, &ReadOnlyTargets::printTheEditorAgain,
                   u"PDFファイルを作成できませんでした"},
        WriterCase{"listPrintPdf", &ReadOnlyTargets::listPdf, &ReadOnlyTargets::printTheListAgain,
                   u"PDFファイルを作成できませんでした"}),
    rowName);

// Settings the program goes on without (the places of windows) are named
// once a run when they cannot be written, not at every window that closes;
// the windows go on working.
class SettingsNotSaved : public ReadOnlyTargets
{
protected:
    static int notices(const ScriptedMessageBoxes &Boxes, const QString &Cause)
    {
        int told = 0;
        for (const TMessageBoxRequest &box : Boxes.shown())
            if (box.text.startsWith(QStringLiteral("設定をファイルに保存できませんでした")) &&
                box.text.contains(QDir::toNativeSeparators(SettingsFileName())) && box.text.contains(Cause))
                ++told;
        return told;
    }
    void SetUp() override
    {
        ReadOnlyTargets::SetUp();
        // The export window opens over a list with rows.
        ASSERT_NO_FATAL_FAILURE(enterPerson(QStringLiteral("山田 太郎")));
    }
    // The export window opened and closed Times times: each time it opens.
    void openAndCloseTheExportWindow(int Times)
    {
        for (int i = 0; i < Times; ++i) {
            action("actExportFile")->trigger();
            ASSERT_NE(FileExport, nullptr) << i;
            ASSERT_NO_FATAL_FAILURE(closeTheExportWindow());
        }
    }
};

TEST_F(SettingsNotSaved, aReadOnlySettingsFileIsNamedOnceAndKept)
{
    const QByteArray before = fileBytes(SettingsFileName());
    boxes.clear();
    {
        const ScopedOrdinaryUser user;
        ASSERT_TRUE(user.Bound());
        setReadOnly(SettingsFileName());
        ASSERT_NO_FATAL_FAILURE(openAndCloseTheExportWindow(3));
    }
    EXPECT_EQ(notices(boxes, kReadOnlyCause), 1);
    EXPECT_EQ(boxes.count(), 1);
    EXPECT_TRUE(sameBytes(before, fileBytes(SettingsFileName())));
}

TEST_F(SettingsNotSaved, aFullDiskIsNamedOnceAndTheFileKept)
{
    const QByteArray before = fileBytes(SettingsFileName());
    boxes.clear();
    {
        const ScopedFailingDisk full(DataRoot, TDiskFault::DiskFull);
        ASSERT_NO_FATAL_FAILURE(openAndCloseTheExportWindow(2));
    }
    EXPECT_EQ(notices(boxes, QStringLiteral("ディスクの空き容量が足りません。")), 1);
    EXPECT_EQ(boxes.count(), 1);
    EXPECT_TRUE(sameBytes(before, fileBytes(SettingsFileName())));
}

TEST_F(SettingsNotSaved, aWritableSettingsFileSaysNothingAndKeepsThePlace)
{
    boxes.clear();
    ASSERT_NO_FATAL_FAILURE(openAndCloseTheExportWindow(1));
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_TRUE(TMemIniFile(SettingsFileName()).ValueExists(QStringLiteral("FILE EXPORT"), QStringLiteral("Left")));
}

} // namespace
