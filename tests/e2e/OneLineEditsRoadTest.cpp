// Every one-line edit of the windows the main list opens keeps what the user
// pastes on one line: text copied over several lines, with a tab and a
// control character, is pasted into each edit (the combo boxes' edit parts
// and the number edits included) and no edit shows a control character
// afterwards.
#include "UserRoad.h"
#include "core/AppSub.h"
#include "exchange/ConstIn.h"
#include "exchange/FImport.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPointer>
#include <QSet>
#include <QTabWidget>
#include <QTimer>

#include <functional>

namespace {

const QString kPasted = QStringLiteral("甲\r\n乙\t丙\a");

// The name by which a failure names an edit: its own, or its combo box's.
QString editName(const QLineEdit *Edit)
{
    if (!Edit->objectName().isEmpty())
        return Edit->objectName();
    const QWidget *parent = Edit->parentWidget();
    return parent ? parent->objectName() + QStringLiteral("/edit") : QStringLiteral("?");
}

// The windows whose edits were pasted into.
QSet<QString> g_swept;

// Pastes into every edit of Window the user can type in, its tab page
// brought up first; the edits that took a control character, with what they
// show.
QStringList pasteIntoEveryEdit(QWidget *Window)
{
    QStringList kept;
    int edits = 0;
    for (QLineEdit *edit : Window->findChildren<QLineEdit *>()) {
        if (edit->isReadOnly())
            continue;
        for (QTabWidget *pages : Window->findChildren<QTabWidget *>())
            for (int i = 0; i < pages->count(); ++i)
                if (pages->widget(i)->isAncestorOf(edit))
                    pages->setCurrentIndex(i);
        edit->setFocus();
        edit->selectAll();
        PasteText(edit, kPasted);
        ++edits;
        const QString shown = edit->text();
        if (std::any_of(shown.cbegin(), shown.cend(), [](QChar c) { return c.unicode() < 0x20; })) {
            QString visible;
            for (const QChar c : shown)
                visible += c.unicode() < 0x20 ? QStringLiteral("<%1>").arg(c.unicode()) : QString(c);
            kept << editName(edit) + QStringLiteral(": ") + visible;
        }
    }
    EXPECT_GT(edits, 0) << Window->objectName().toStdString();
    if (edits > 0)
        g_swept.insert(Window->objectName());
    return kept;
}

class OneLineEditsRoad : public UserRoadFixture
{
protected:
    void SetUp() override
    {
        UserRoadFixture::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        m_importOpener = FileImportOpener;
        RegisterFileImport();
    }
    void TearDown() override
    {
        FileImportOpener = m_importOpener;
        UserRoadFixture::TearDown();
    }

    // Runs the main list's Command; the modal window it opens is swept and
    // cancelled, a window of its own (not modal) is swept and closed.
    void sweepCommand(const char *Command)
    {
        SCOPED_TRACE(Command);
        const QWidgetList before = QApplication::topLevelWidgets();
        QWidget *const modalBefore = QApplication::activeModalWidget();
        bool modal = false;
        QTimer::singleShot(0, [&] {
            QWidget *dialog = QApplication::activeModalWidget();
            if (!dialog || dialog == modalBefore)
                return;
            modal = true;
            EXPECT_EQ(pasteIntoEveryEdit(dialog).join(u'|').toStdString(), "") << dialog->objectName().toStdString();
            if (auto *d = qobject_cast<QDialog *>(dialog))
                d->reject();
            else
                dialog->close();
        });
        action(Command)->trigger();
        QCoreApplication::processEvents();
        if (modal)
            return;
        bool swept = false;
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (before.contains(w) || !w->isVisible() || w->inherits("QMenu"))
                continue;
            swept = true;
            QPointer<QWidget> window = w;
            EXPECT_EQ(pasteIntoEveryEdit(w).join(u'|').toStdString(), "") << w->objectName().toStdString();
            if (window)
                window->close();
        }
        EXPECT_TRUE(swept) << "no window opened";
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

private:
    std::function<bool(QWidget *)> m_importOpener;
};

TEST_F(OneLineEditsRoad, everyEditOfTheListsWindowsKeepsPastedTextOnOneLine)
{
    ASSERT_NO_FATAL_FAILURE(enterRecords());
    list->SelectRow(0, true, true);
    g_swept.clear();
    for (const char *command : {"actNumerSearch", "actInquiry", "actEditGroup", "actKeywordEdit", "actBatchChange",
                                "actAdrsSearch", "actWordSearch", "actNameAdrsSearch", "actExportFile",
                                "actImportFile", "actListPrint", "actOpen", "actEnvironment"}) {
        ASSERT_NE(action(command), nullptr) << command;
        sweepCommand(command);
        if (DataInquiry) {
            DataInquiry->SetSkipConfirm(true);
            DataInquiry->close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }
    for (const char *window : {"DataInquiry", "GruopEdit", "KeywordEdit", "BatchChange", "AddressSearch", "WordSearch",
                               "NameAdrsSearch", "FileExport", "FileImport", "ListPrint", "AddressSelect",
                               "Environment"})
        EXPECT_TRUE(g_swept.contains(QLatin1String(window))) << window;
}

// The constant an import assigns to a row, in its own dialog.
TEST_F(OneLineEditsRoad, theImportsConstantKeepsPastedTextOnOneLine)
{
    for (const int limit : {0, 40}) {
        TConstantInput dialog(nullptr, limit);
        dialog.show();
        PasteText(dialog.edtConst, kPasted);
        EXPECT_EQ(dialog.Text(), QStringLiteral("甲 乙 丙")) << limit;
    }
}

// The sender records window of the print editors.
TEST_F(OneLineEditsRoad, theSenderWindowKeepsPastedTextOnOneLine)
{
    TPrintEditor *editor = openEditor("actLayoutPrint", TPrintEditorKind::AddressSide, 0);
    ASSERT_NE(editor, nullptr);
    bool shown = false;
    editor->ExecDialog = [&](QDialog &Dialog) {
        shown = true;
        Dialog.show();
        EXPECT_EQ(pasteIntoEveryEdit(&Dialog).join(u'|').toStdString(), "");
        return int(QDialog::Rejected);
    };
    editor->findChild<QAction *>(QStringLiteral("actSender"))->trigger();
    EXPECT_TRUE(shown);
}

} // namespace
