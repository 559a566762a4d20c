#include "EditorsFixture.h"
#include "FakeHost.h"
#include "core/Env.h"
#include "editors/LayoutForm.h"
#include "editors/PageView.h"
#include "support/DataFolders.h"
#include "support/ScriptedMessageBoxes.h"

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QTest>

#include <functional>
#include <memory>

namespace {

// The address-side editor on the vertical postcard, shown, with its
// print-data folder in a temporary home and its message boxes scripted.
class EditorSaveQuestion : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QDir().mkpath(DataRoot);
        LayoutPath = home.path() + QStringLiteral("/data/Layout/");
        QDir().mkpath(LayoutPath);
        TLabelGrid grid;
        form->SetLayout(0, catalogueFormat(0, &grid), grid);
        // A test that reaches the save dialog by mistake fails, not hangs.
        form->ExecFileDialog = [](bool) {
            ADD_FAILURE() << "save dialog shown";
            return QString();
        };
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }
    void TearDown() override { LayoutPath = savedLayoutPath; }

    QAction *action(const char *Name) { return form->findChild<QAction *>(QLatin1String(Name)); }
    // Drags the name item 20 px right on the page view.
    void moveName()
    {
        const TScreenRect r = form->Document().Items[2]->GetDispRect();
        const QPoint start(TPageView::Margin + r.Left + r.width() / 2, TPageView::Margin + r.Top + r.height() / 2);
        QTest::mousePress(form->PageView(), Qt::LeftButton, {}, start);
        QTest::mouseMove(form->PageView(), start + QPoint(20, 0));
        QTest::mouseRelease(form->PageView(), Qt::LeftButton, {}, start + QPoint(20, 0));
    }
    QString saveToFile()
    {
        const QString path = LayoutPath + QStringLiteral("年賀状.gpl");
        EXPECT_TRUE(form->SaveFile(path));
        return path;
    }
    static QByteArray bytesOf(const QString &Path)
    {
        QFile file(Path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir home;
    ScopedDataFolders folders{home.path()};
    QString savedLayoutPath = LayoutPath;
    ScriptedMessageBoxes boxes;
    SampleBook book;
    FakeHost host{book.table};
    std::unique_ptr<TLayoutForm> form = std::make_unique<TLayoutForm>(nullptr, host);
};

TEST_F(EditorSaveQuestion, unchangedLayoutClosesWithoutAQuestion)
{
    EXPECT_FALSE(form->IsChanged());
    EXPECT_TRUE(form->close());
    EXPECT_EQ(boxes.count(), 0);
}

// Opening another layout, or a new one, over a changed layout asks first:
// キャンセル keeps the layout and opens nothing, いいえ goes on to the dialog.
TEST_F(EditorSaveQuestion, openingAnotherLayoutOverAChangedOneAsksFirst)
{
    moveName();
    int dialogs = 0;
    form->ExecFileDialog = [&dialogs](bool) {
        ++dialogs;
        return QString();
    };
    boxes.enqueue(IDCANCEL);
    action("actOpen")->trigger();
    EXPECT_EQ(boxes.count(), 1);
    EXPECT_EQ(dialogs, 0);
    EXPECT_TRUE(form->IsChanged());
    boxes.enqueue(IDNO);
    action("actOpen")->trigger();
    EXPECT_EQ(boxes.count(), 2);
    EXPECT_EQ(dialogs, 1);
    boxes.enqueue(IDCANCEL);
    action("actNew")->trigger();
    EXPECT_EQ(boxes.count(), 3);
    EXPECT_TRUE(form->IsChanged());
}

TEST_F(EditorSaveQuestion, movedItemAsksWhetherToSave)
{
    moveName();
    EXPECT_TRUE(form->IsChanged());
    boxes.enqueue(IDNO);
    EXPECT_TRUE(form->close());
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().flags & MB_TYPEMASK, MB_YESNOCANCEL);
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("変更されています")));
}

// Each way the layout changes makes closing ask; one rule per case.
TEST_F(EditorSaveQuestion, everyKindOfChangeCounts)
{
    const std::pair<const char *, std::function<void()>> cases[] = {
        {"move", [this] { moveName(); }},
        {"paste",
         [this] {
             form->PageView()->SetSelected(2);
             form->CopySelected();
             ASSERT_TRUE(form->Paste());
         }},
        {"undo after save",
         [this] {
             moveName();
             (void)saveToFile();
             action("actUndo")->trigger();
         }},
        {"redo after save",
         [this] {
             moveName();
             action("actUndo")->trigger();
             (void)saveToFile();
             action("actRedo")->trigger();
         }},
        {"data format",
         [this] {
             form->ExecDialog = [](QDialog &D) {
                 auto *hide = D.findChild<QCheckBox *>(QStringLiteral("ckbTdfkn"));
                 if (!hide)
                     ADD_FAILURE() << "no prefecture box";
                 else
                     hide->setChecked(!hide->isChecked());
                 D.accept();
                 return D.result();
             };
             ASSERT_TRUE(action("actDataFormat")->isEnabled());
             action("actDataFormat")->trigger();
             ASSERT_TRUE(form->Document().DataFormat);
         }},
    };
    for (const auto &[name, change] : cases) {
        TLabelGrid grid;
        form->SetLayout(0, catalogueFormat(0, &grid), grid);
        ASSERT_FALSE(form->IsChanged()) << name;
        change();
        EXPECT_TRUE(form->IsChanged()) << name;
    }
}

TEST_F(EditorSaveQuestion, noClosesAndLeavesTheFileAsItWas)
{
    const QString path = saveToFile();
    const QByteArray saved = bytesOf(path);
    moveName();
    boxes.enqueue(IDNO);
    EXPECT_TRUE(form->close());
    EXPECT_EQ(boxes.count(), 1);
    EXPECT_EQ(bytesOf(path), saved);
}

TEST_F(EditorSaveQuestion, yesSavesTheChangeToTheOpenFile)
{
    const QString path = saveToFile();
    moveName();
    const TPageRect moved = form->Document().Items[2]->GetRect();
    boxes.enqueue(IDYES);
    EXPECT_TRUE(form->close());
    TLayoutForm reopened(nullptr, host);
    ASSERT_TRUE(reopened.OpenFile(path));
    EXPECT_EQ(reopened.Document().Items[2]->GetRect(), moved);
}

TEST_F(EditorSaveQuestion, yesOnANewLayoutSavesUnderTheTitleOfTheSaveDialog)
{
    const QString path = LayoutPath + QStringLiteral("暑中見舞い.gpl");
    form->ExecFileDialog = [&path](bool Save) { return Save ? path : QString(); };
    moveName();
    boxes.enqueue(IDYES);
    EXPECT_TRUE(form->close());
    EXPECT_TRUE(QFile::exists(path));
}

TEST_F(EditorSaveQuestion, cancelledSaveDialogKeepsTheEditorOpen)
{
    form->ExecFileDialog = [](bool) { return QString(); };
    moveName();
    boxes.enqueue(IDYES);
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->IsChanged());
}

TEST_F(EditorSaveQuestion, failedSaveKeepsTheEditorOpen)
{
    // The file's folder is a file: the write fails and is reported.
    QFile blocker(home.filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    form->ExecFileDialog = [this](bool) { return home.filePath(QStringLiteral("blocker/年賀状.gpl")); };
    moveName();
    boxes.enqueue(IDYES);
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    ASSERT_EQ(boxes.count(), 2);
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("保存できませんでした")));
}

TEST_F(EditorSaveQuestion, cancelKeepsTheEditorOpenWithItsChange)
{
    moveName();
    const TPageRect moved = form->Document().Items[2]->GetRect();
    boxes.enqueue(IDCANCEL);
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->IsChanged());
    EXPECT_EQ(form->Document().Items[2]->GetRect(), moved);
}

TEST_F(EditorSaveQuestion, mergingAnotherRecordIsNoChange)
{
    host.Current = 2;
    form->NotifyCurrentRecordChanged();
    form->MergeCurrentRecord();
    EXPECT_FALSE(form->IsChanged());
    EXPECT_TRUE(form->close());
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(EditorSaveQuestion, savedLayoutClosesWithoutAQuestion)
{
    (void)saveToFile();
    moveName();
    action("actSave")->trigger();
    EXPECT_FALSE(form->IsChanged());
    EXPECT_TRUE(form->close());
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(EditorSaveQuestion, openedFileStartsUnchanged)
{
    const QString path = saveToFile();
    moveName();
    ASSERT_TRUE(form->OpenFile(path));
    EXPECT_FALSE(form->IsChanged());
}

} // namespace
