#include "EditorsFixture.h"
#include "FakeHost.h"
#include "core/Env.h"
#include "core/PDFHelp.h"
#include "dialogs/LytFmt.h"
#include "dialogs/PrtFiles.h"
#include "dialogs/PrtMenu.h"
#include "dialogs/PrtOpen.h"
#include "dialogs/LblFmt.h"
#include "dialogs/DataFormat.h"
#include "editors/DesignForm.h"
#include "editors/LabelForm.h"
#include "editors/MergeFormat.h"
#include "editors/PrintData.h"
#include "editors/LayoutForm.h"
#include "platform/IniFile.h"
#include "platform/SafeFile.h"
#include "support/DataFolders.h"
#include "support/FileHelpers.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/SaveFaultCases.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTreeWidget>

namespace {

// The address-side editor with its print-data folder in a temporary home.
class EditorFiles : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QDir().mkpath(DataRoot);
        LayoutPath = home.path() + QStringLiteral("/data/Layout/");
        TLabelGrid grid;
        form.SetLayout(0, catalogueFormat(0, &grid), grid);
    }
    void TearDown() override { LayoutPath = savedLayoutPath; }

    QAction *action(const char *Name) { return form.findChild<QAction *>(QLatin1String(Name)); }
    // Saves the layout as Title through the save dialog.
    void saveAs(const QString &Title)
    {
        form.ExecDialog = [&](QDialog &Dialog) {
            auto *save = dynamic_cast<TPrintDataSaveDialog *>(&Dialog);
            EXPECT_NE(save, nullptr);
            Dialog.findChild<QLineEdit *>(QStringLiteral("edTitle"))->setText(Title);
            Dialog.accept();
            return Dialog.result();
        };
        action("actSaveAs")->trigger();
    }
    QString storedLastFile() const
    {
        return TMemIniFile(SettingsFileName()).ReadString(QStringLiteral("LAYOUT EDIT"), QStringLiteral("LastFile"), {});
    }

    QTemporaryDir home;
    ScopedDataFolders folders{home.path()};
    QString savedLayoutPath = LayoutPath;
    ScriptedMessageBoxes boxes;
    SampleBook book;
    FakeHost host{book.table};
    TLayoutForm form{nullptr, host};
};

TEST_F(EditorFiles, saveAsWritesTheTitleInTheKindsFolder)
{
    saveAs(QStringLiteral("年賀状"));
    const QString path = LayoutPath + QStringLiteral("年賀状.gpl");
    EXPECT_EQ(form.FileName(), path);
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_EQ(storedLastFile(), path);
}

// A layout the disk refuses is reported with the cause to mend; the saved
// file stays as it was and the editor keeps the changed layout.
class LayoutDiskFault : public EditorFiles, public ::testing::WithParamInterface<SaveFaultCase> {};

TEST_P(LayoutDiskFault, saveNamesTheCauseAndKeepsTheFileAndTheLayout)
{
    saveAs(QStringLiteral("年賀状"));
    const QString path = form.FileName();
    const QByteArray saved = fileBytes(path);
    form.Document().Items[2]->SetRect({100, 120, 150, 400});
    {
        const ScopedSaveFault fault(GetParam());
        action("actSave")->trigger();
    }
    ASSERT_EQ(boxes.count(), 1);
    const QString shown = boxes.last().text;
    EXPECT_TRUE(shown.startsWith(QStringLiteral("印刷データを保存できませんでした\r\n"))) << qPrintable(shown);
    EXPECT_TRUE(shown.contains(QString::fromUtf16(GetParam().cause))) << qPrintable(shown);
    EXPECT_TRUE(sameBytes(saved, fileBytes(path)));
    EXPECT_EQ(form.Document().Items[2]->GetRect(), (TPageRect{100, 120, 150, 400}));
}

INSTANTIATE_TEST_SUITE_P(Causes, LayoutDiskFault, SaveFaultCases(), SaveFaultName);

TEST_F(EditorFiles, savedFileIsListedWithItsThumbnail)
{
    saveAs(QStringLiteral("年賀状"));
    const QList<TPrintDataEntry> listed = ListPrintDataFiles(0);
    ASSERT_EQ(listed.size(), 1);
    EXPECT_EQ(listed.first().Title, QStringLiteral("年賀状"));
    const QImage thumbnail = ReadThumbnail(form.FileName(), *DocKindInfo(0));
    ASSERT_FALSE(thumbnail.isNull());
    // A postcard standing upright, drawn with its addressee's ink.
    EXPECT_GT(thumbnail.height(), thumbnail.width());
    EXPECT_GT(inkIn(thumbnail, thumbnail.rect()), 50);
}

TEST_F(EditorFiles, openDialogOpensTheChosenTitle)
{
    form.Document().Items[2]->SetRect({100, 120, 150, 400});
    saveAs(QStringLiteral("案内"));
    TLabelGrid grid;
    form.SetLayout(0, catalogueFormat(0, &grid), grid);
    QString offered;
    form.ExecDialog = [&](QDialog &Dialog) {
        auto *open = dynamic_cast<TPrintDataOpenDialog *>(&Dialog);
        EXPECT_NE(open, nullptr);
        offered = open ? open->GetSelectedName() : QString();
        Dialog.accept();
        return Dialog.result();
    };
    action("actOpen")->trigger();
    EXPECT_EQ(offered, QStringLiteral("案内"));
    EXPECT_EQ(form.Document().Items[2]->GetRect(), (TPageRect{100, 120, 150, 400}));
}

// A title may begin with "$$": saving, opening and listing the title
// without them never takes that layout for a leftover copy of a save.
TEST_F(EditorFiles, aLayoutTitledWithDollarsSurvivesSavesAndOpensOfItsNamesake)
{
    form.Document().Items[2]->SetRect({100, 120, 150, 400});
    saveAs(QStringLiteral("$$案内"));
    const QByteArray dollars = fileBytes(LayoutPath + QStringLiteral("$$案内.gpl"));
    ASSERT_FALSE(dollars.isEmpty());
    form.Document().Items[2]->SetRect({110, 130, 160, 410});
    saveAs(QStringLiteral("案内"));
    action("actSave")->trigger();
    TLayoutDocument opened;
    QString error;
    ASSERT_TRUE(LoadPrintData(LayoutPath + QStringLiteral("案内.gpl"), opened, &error)) << error.toStdString();
    QStringList titles;
    for (const TPrintDataEntry &entry : ListPrintDataFiles(0))
        titles << entry.Title;
    titles.sort();
    EXPECT_EQ(titles, (QStringList{QStringLiteral("$$案内"), QStringLiteral("案内")}));
    EXPECT_TRUE(sameBytes(dollars, fileBytes(LayoutPath + QStringLiteral("$$案内.gpl"))));
}

// A file saved without a format record of its own follows the defaults;
// opened after a layout with its own conversions, it must not take them on
// (nor be saved back with them).
TEST_F(EditorFiles, openedFileDoesNotInheritTheFormatOfTheLayoutBefore)
{
    ASSERT_FALSE(form.Document().DataFormat);
    saveAs(QStringLiteral("標準"));
    const QString plain = form.FileName();
    const TDataFormat defaults = EffectiveDataFormat(form.Document());
    TDataFormat kanji = defaults;
    kanji.KanjiNumerals = !defaults.KanjiNumerals;
    form.Document().DataFormat = std::make_shared<const TDataFormat>(kanji);
    ASSERT_TRUE(form.OpenFile(plain));
    EXPECT_EQ(EffectiveDataFormat(form.Document()).KanjiNumerals, defaults.KanjiNumerals);
    ASSERT_TRUE(form.SaveFile(plain));
    TLayoutDocument again;
    QString error;
    ASSERT_TRUE(LoadPrintData(plain, again, &error)) << qPrintable(error);
    EXPECT_EQ(EffectiveDataFormat(again).KanjiNumerals, defaults.KanjiNumerals);
}

// The catalogue's frames make new layouts only: a layout saved with its
// customer barcode elsewhere (by the user, or by the frames of an older
// catalogue) opens with it where it was saved.
TEST_F(EditorFiles, openedLayoutKeepsItsBarcodeWhereItWasSaved)
{
    auto barcode = [this]() -> TDrawRect * {
        for (const auto &item : form.Document().Items)
            if (item->GetKind() == TDrawRectKind::Barcode)
                return item.get();
        return nullptr;
    };
    ASSERT_NE(barcode(), nullptr);
    const TPageRect fresh = barcode()->GetRect();
    // Moved by the user (or put there by the frames of an older catalogue).
    const TPageRect saved{30, 40, 30 + fresh.width(), 40 + fresh.height()};
    barcode()->SetRect(saved);
    ASSERT_EQ(barcode()->GetRect(), saved);
    saveAs(QStringLiteral("旧配置"));
    const QString file = form.FileName();
    TLabelGrid grid;
    form.SetLayout(0, catalogueFormat(0, &grid), grid);
    ASSERT_EQ(barcode()->GetRect(), fresh);
    ASSERT_TRUE(form.OpenFile(file));
    ASSERT_NE(barcode(), nullptr);
    EXPECT_EQ(barcode()->GetRect(), saved);
}

// A new layout is a new file: saving it asks for a title and never writes
// over the file opened before it.
TEST_F(EditorFiles, newLayoutAfterAnOpenedFileIsSavedUnderANewTitleOnly)
{
    form.Document().Items[2]->SetRect({90, 110, 140, 390});
    saveAs(QStringLiteral("元の案内"));
    const QString opened = form.FileName();
    bool saveAsked = false;
    form.ExecDialog = [&](QDialog &Dialog) {
        if (dynamic_cast<TNewLayoutDialog *>(&Dialog)) {
            Dialog.accept();
            return Dialog.result();
        }
        saveAsked |= dynamic_cast<TPrintDataSaveDialog *>(&Dialog) != nullptr;
        return int(QDialog::Rejected);
    };
    action("actNew")->trigger();
    EXPECT_TRUE(form.FileName().isEmpty());
    action("actSave")->trigger();
    EXPECT_TRUE(saveAsked);
    TLayoutDocument kept;
    QString error;
    ASSERT_TRUE(LoadPrintData(opened, kept, &error)) << qPrintable(error);
    ASSERT_GE(kept.Items.size(), 3U);
    EXPECT_EQ(kept.Items[2]->GetRect(), (TPageRect{90, 110, 140, 390}));
}

TEST_F(EditorFiles, cancelledSaveDialogWritesNothing)
{
    form.ExecDialog = [](QDialog &) { return int(QDialog::Rejected); };
    action("actSaveAs")->trigger();
    EXPECT_TRUE(form.FileName().isEmpty());
    EXPECT_TRUE(ListPrintDataFiles(0).isEmpty());
}

TEST_F(EditorFiles, startMenuWithoutALastFileOffersNewOnly)
{
    bool continueEnabled = true;
    bool newChecked = false;
    bool paperDialog = false;
    form.ExecDialog = [&](QDialog &Dialog) {
        if (Dialog.objectName() != QStringLiteral("PrintMenuDialog") && !dynamic_cast<TPrintMenuDialog *>(&Dialog)) {
            paperDialog = dynamic_cast<TNewLayoutDialog *>(&Dialog) != nullptr;
            return int(QDialog::Rejected);
        }
        continueEnabled = Dialog.findChild<QRadioButton *>(QStringLiteral("rbContinue"))->isEnabled();
        newChecked = Dialog.findChild<QRadioButton *>(QStringLiteral("rbNew"))->isChecked();
        Dialog.accept();
        return Dialog.result();
    };
    form.RunStartMenu();
    EXPECT_FALSE(continueEnabled);
    EXPECT_TRUE(newChecked);
    EXPECT_TRUE(paperDialog);
}

TEST_F(EditorFiles, startMenuOpenChoiceWithTheBoxClearedTurnsTheMenuOff)
{
    bool openDialog = false;
    form.ExecDialog = [&](QDialog &Dialog) {
        if (auto *menu = dynamic_cast<TPrintMenuDialog *>(&Dialog)) {
            Dialog.findChild<QRadioButton *>(QStringLiteral("rbOpen"))->setChecked(true);
            Dialog.findChild<QCheckBox *>(QStringLiteral("ckbShowMenu"))->setChecked(false);
            menu->accept();
            return menu->result();
        }
        openDialog = dynamic_cast<TPrintDataOpenDialog *>(&Dialog) != nullptr;
        return int(QDialog::Rejected);
    };
    form.RunStartMenu();
    EXPECT_TRUE(openDialog);
    EXPECT_FALSE(action("actShowMenu")->isChecked());
    EXPECT_FALSE(TMemIniFile(SettingsFileName()).ReadBool(QStringLiteral("LAYOUT EDIT"), QStringLiteral("ShowMenu"), true));
}

TEST_F(EditorFiles, menuSwitchedOffReopensTheLastFileAtOnce)
{
    form.Document().Items[2]->SetRect({90, 110, 140, 390});
    saveAs(QStringLiteral("前回"));
    TLayoutForm next(nullptr, host);
    next.findChild<QAction *>(QStringLiteral("actShowMenu"))->setChecked(false);
    bool dialogShown = false;
    next.ExecDialog = [&](QDialog &) {
        dialogShown = true;
        return int(QDialog::Rejected);
    };
    next.RunStartMenu();
    EXPECT_FALSE(dialogShown);
    EXPECT_EQ(next.FileName(), LayoutPath + QStringLiteral("前回.gpl"));
    EXPECT_EQ(next.Document().Items[2]->GetRect(), (TPageRect{90, 110, 140, 390}));
}

// A restore or a change of data folder moves the kind's folder: the last
// file is opened from the folder in use, never from the old one.
TEST_F(EditorFiles, lastFileOpensFromTheDataFolderInUse)
{
    form.Document().Items[2]->SetRect({90, 110, 140, 390});
    saveAs(QStringLiteral("前回"));
    const QString oldPath = form.FileName();
    LayoutPath = home.path() + QStringLiteral("/moved/Layout/");
    form.Document().Items[2]->SetRect({70, 100, 120, 380});
    saveAs(QStringLiteral("前回"));
    ASSERT_EQ(form.FileName(), LayoutPath + QStringLiteral("前回.gpl"));
    // The setting still names the old folder's file, as it did before the change.
    TMemIniFile ini(SettingsFileName());
    ini.WriteString(QStringLiteral("LAYOUT EDIT"), QStringLiteral("LastFile"), oldPath);
    ASSERT_TRUE(ini.UpdateFile());
    TLayoutForm next(nullptr, host);
    next.findChild<QAction *>(QStringLiteral("actShowMenu"))->setChecked(false);
    next.RunStartMenu();
    EXPECT_EQ(next.FileName(), LayoutPath + QStringLiteral("前回.gpl"));
    EXPECT_EQ(next.Document().Items[2]->GetRect(), (TPageRect{70, 100, 120, 380}));
}

// The card window starts as the label window and is turned into the card
// window at once: from then on it keeps the cards' own start-menu setting
// and offers the card sheets for a new layout.
TEST_F(EditorFiles, cardWindowReadsTheCardsStartMenuSetting)
{
    {
        TMemIniFile ini(SettingsFileName());
        ini.WriteBool(QStringLiteral("CARD EDIT"), QStringLiteral("ShowMenu"), false);
        ASSERT_TRUE(ini.UpdateFile());
    }
    TLabelForm card(nullptr, host);
    card.SetCardMode(true);
    EXPECT_FALSE(card.findChild<QAction *>(QStringLiteral("actShowMenu"))->isChecked());
    bool menuShown = false;
    bool cardSheets = false;
    card.ExecDialog = [&](QDialog &Dialog) {
        menuShown |= dynamic_cast<TPrintMenuDialog *>(&Dialog) != nullptr;
        if (dynamic_cast<TNewLabelDialog *>(&Dialog))
            cardSheets = Dialog.findChild<QStackedWidget *>(QStringLiteral("pgcSheets"))->currentIndex() == 1;
        return int(QDialog::Rejected);
    };
    // No file edited yet: a new card at once, on the card sheets.
    card.RunStartMenu();
    EXPECT_FALSE(menuShown);
    EXPECT_TRUE(cardSheets);
    // The label window's own setting is untouched.
    EXPECT_TRUE(TMemIniFile(SettingsFileName()).ReadBool(QStringLiteral("LABEL EDIT"), QStringLiteral("ShowMenu"), true));
}

TEST_F(EditorFiles, eachEditorsFileDialogsAnswerF1WithItsKindsPage)
{
    int page = -1;
    const auto seen = [&page](QDialog &Dialog) {
        page = HelpContextOf(&Dialog);
        return int(QDialog::Rejected);
    };
    const QString savedLabelPath = LabelPath;
    const QString savedCardPath = CardPath;
    const QString savedDesignPath = DesignPath;
    DesignPath = home.path() + QStringLiteral("/data/Design/");
    LabelPath = home.path() + QStringLiteral("/data/Label/");
    CardPath = home.path() + QStringLiteral("/data/Card/");
    TLabelForm label(nullptr, host);
    TLabelForm card(nullptr, host);
    card.SetCardMode(true);
    TDesignForm design(nullptr, host);
    // The editors tell every dialog their paper; only the address side's
    // page depends on it.
    const std::pair<TPrintEditor *, int> editors[] = {{&form, 68}, {&label, 81}, {&card, 89}, {&design, 96}};
    for (const auto &[editor, context] : editors) {
        editor->ExecDialog = seen;
        for (const char *command : {"actOpen", "actSaveAs"}) {
            page = -1;
            editor->findChild<QAction *>(QLatin1String(command))->trigger();
            EXPECT_EQ(page, context) << editor->windowTitle().toStdString() << " " << command;
        }
    }
    EXPECT_EQ(boxes.count(), 0);
    LabelPath = savedLabelPath;
    CardPath = savedCardPath;
    DesignPath = savedDesignPath;
}

} // namespace
