// Two programs with one data folder save the same file of the user's own
// entries (list-print templates, named filters, custom papers) at the same
// moment, each from the copy it read before the other saved: both saves are
// reported done and the file keeps both programs' entries.
#include "addressbook/AdrsSch.h"
#include "dialogs/PaperDlgSub.h"
#include "dialogs/PaperFmt.h"
#include "exchange/ListPrtLayout.h"
#include "platform/Cp932.h"
#include "platform/SafeFile.h"
#include "platform/UnreadableFile.h"
#include "support/FileHelpers.h"
#include "support/ScriptedMessageBoxes.h"
#include "util/WriteFailure.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

namespace {

// A program that has read the file: the save that adds its own entry.
using TSave = std::function<bool()>;

struct SharedUserFile {
    const char *file;
    // Reads `path` as the window does when it opens; the save it returns
    // adds `entry` to what was read, as the user's click does.
    std::function<TSave(const QString &path, const QString &entry)> readThenAdd;
    // The entries' names the file holds.
    std::function<QStringList(const QString &path)> entries;
};

SharedUserFile templates()
{
    return {"LPCustom.tpl",
            [](const QString &path, const QString &entry) -> TSave {
                TListPrintTemplates base;
                (void)ReadTemplateFile(path, base);
                return [=] {
                    TListPrintTemplates mine = base;
                    mine.push_back({entry, {DefaultListPrintColumn(19)}});
                    TListPrintTemplates saved;
                    return SaveTemplateChanges(path, base, mine, saved);
                };
            },
            [](const QString &path) {
                TListPrintTemplates read;
                QStringList names;
                if (ReadTemplateFile(path, read) == TTemplateRead::Read)
                    for (const TListPrintTemplate &t : read)
                        names << t.Name;
                return names;
            }};
}

SharedUserFile patterns()
{
    return {"Search.ptn",
            [](const QString &path, const QString &entry) -> TSave {
                const QList<TSearchPattern> base = ReadSearchPatterns(path);
                return [=] {
                    QList<TSearchPattern> mine = base;
                    mine.append({Cp932::encode(entry), TNarrowDownCondition{}});
                    QList<TSearchPattern> saved;
                    return SaveSearchPatternChanges(path, base, mine, saved);
                };
            },
            [](const QString &path) {
                QStringList names;
                for (const TSearchPattern &p : ReadSearchPatterns(path))
                    names << Cp932::decode(p.Name);
                return names;
            }};
}

SharedUserFile papers()
{
    return {"CstmL.fmt",
            [](const QString &path, const QString &entry) -> TSave {
                TCustomFormats base;
                QString error;
                (void)base.load(path, &error);
                return [=]() mutable {
                    TCustomFormats mine = base;
                    TCustomFormat paper;
                    paper.Format.Kind = static_cast<std::uint8_t>(TPaperKind::Postcard);
                    paper.Format.Name = PaperFmt::shortString(entry, TLayoutFormat::NameCapacity);
                    paper.Format.Width = 1000;
                    paper.Format.Height = 1480;
                    int selected = -mine.add(paper);
                    // A failure is told in a box; the sink records it.
                    PaperDlg::saveUserFormats(nullptr, base, mine, path, true, &selected);
                    // The paper the dialog hands on is its own, whatever id it was saved with.
                    const int at = mine.indexOfId(-selected);
                    return at >= 0 && mine.Records.at(at).Format.NameText() == entry;
                };
            },
            [](const QString &path) {
                TCustomFormats read;
                QString error;
                QStringList names;
                if (read.load(path, &error))
                    for (const TCustomFormat &c : read.Records)
                        names << c.Format.NameText();
                return names;
            }};
}

class SharedUserFiles : public ::testing::TestWithParam<SharedUserFile>
{
};

TEST_P(SharedUserFiles, bothProgramsEntriesSurviveSavesFromCopiesReadBeforeTheOthersSave)
{
    const ScriptedMessageBoxes boxes;
    QTemporaryDir folder;
    const QString path = folder.filePath(QString::fromLatin1(GetParam().file));
    ASSERT_TRUE(GetParam().readThenAdd(path, QStringLiteral("前から"))());

    // Both programs read the file before either saves.
    const TSave first = GetParam().readThenAdd(path, QStringLiteral("一つ目"));
    const TSave second = GetParam().readThenAdd(path, QStringLiteral("二つ目"));
    std::atomic<bool> go{false};
    bool saved[2] = {false, false};
    std::thread one([&] {
        while (!go)
            std::this_thread::yield();
        saved[0] = first();
    });
    std::thread two([&] {
        while (!go)
            std::this_thread::yield();
        saved[1] = second();
    });
    go = true;
    one.join();
    two.join();

    EXPECT_TRUE(saved[0]);
    EXPECT_TRUE(saved[1]);
    EXPECT_EQ(boxes.count(), 0) << qPrintable(boxes.count() ? boxes.last().text : QString());
    QStringList names = GetParam().entries(path);
    names.sort();
    QStringList expected{QStringLiteral("前から"), QStringLiteral("一つ目"), QStringLiteral("二つ目")};
    expected.sort();
    EXPECT_EQ(names, expected);
}

// A file damaged since the program read it is kept aside and the save goes
// on; the box that tells the user comes once the lock is given back: the box
// runs the event loop, and no other save of the file may wait on it.
TEST_P(SharedUserFiles, theBoxTellingOfAFileDamagedSinceTheReadComesOnceTheLockIsGivenBack)
{
    ScriptedMessageBoxes boxes;
    QTemporaryDir folder;
    const QString path = folder.filePath(QString::fromLatin1(GetParam().file));
    ASSERT_TRUE(GetParam().readThenAdd(path, QStringLiteral("前から"))());
    const TSave save = GetParam().readThenAdd(path, QStringLiteral("一つ目"));
    writeBytes(path, QByteArray("\xFF\xFE\x01\x00damaged", 11));
    const TUnreadableFileNotice unreadable = SetUnreadableFileNotice({});
    const TDamagedEntriesNotice damaged = SetDamagedEntriesNotice({});
    InstallUnreadableSettingsNotice();
    int toldUnderLock = 0;
    boxes.whileShown([&](const TMessageBoxRequest &) {
        TFileLock other(path);
        QString error;
        if (!other.Acquire(0, &error))
            ++toldUnderLock;
    });
    const bool saved = save();
    (void)SetUnreadableFileNotice(unreadable);
    (void)SetDamagedEntriesNotice(damaged);
    EXPECT_TRUE(saved);
    ASSERT_GE(boxes.count(), 1);
    EXPECT_EQ(toldUnderLock, 0);
    EXPECT_EQ(GetParam().entries(path), QStringList{QStringLiteral("前から")} + QStringList{QStringLiteral("一つ目")});
}

// A template named with a look-alike the code page stores as another
// character (the wave dash U+301C, the minus U+2212) is saved, then deleted:
// it stays deleted, and the list handed back holds the names as the file
// reads them, the base of the next save.
TEST(SharedTemplates, aTemplateWhoseNameTheFileStoresOtherwiseStaysDeleted)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("LPCustom.tpl"));
    for (const QString &name : {QStringLiteral("見本\u301C一覧"), QStringLiteral("\u2212宛名")}) {
        QFile::remove(path);
        const TListPrintTemplates none;
        const TListPrintTemplates mine{{name, {DefaultListPrintColumn(19)}}};
        TListPrintTemplates saved;
        ASSERT_TRUE(SaveTemplateChanges(path, none, mine, saved));
        TListPrintTemplates read;
        ASSERT_EQ(ReadTemplateFile(path, read), TTemplateRead::Read);
        ASSERT_EQ(saved.size(), 1U);
        ASSERT_EQ(read.size(), 1U);
        EXPECT_EQ(saved[0].Name.toStdString(), read[0].Name.toStdString()) << "what the file holds";

        const TListPrintTemplates base = saved;
        ASSERT_TRUE(SaveTemplateChanges(path, base, none, saved));
        EXPECT_TRUE(saved.empty()) << qPrintable(name);
        read.clear();
        (void)ReadTemplateFile(path, read);
        EXPECT_TRUE(read.empty()) << qPrintable(name);
    }
}

// Another program saved a template whose name the file stores as this
// window's new one (a wave dash typed as U+301C is stored as U+FF5E): one
// template of that name is saved, this window's, never two sections of one
// name of which the reader takes one.
TEST(SharedTemplates, aNameStoredAsAnotherProgramsTemplateTakesItsPlace)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("LPCustom.tpl"));
    const TListPrintTemplates none;
    TListPrintTemplates saved;
    ASSERT_TRUE(SaveTemplateChanges(path, none, {{QStringLiteral("見本\uFF5E一覧"), {DefaultListPrintColumn(19)}}}, saved));
    const TListPrintTemplates mine{
        {QStringLiteral("見本\u301C一覧"), {DefaultListPrintColumn(2), DefaultListPrintColumn(3)}}};
    ASSERT_TRUE(SaveTemplateChanges(path, none, mine, saved));
    TListPrintTemplates read;
    TTemplateDamage damage;
    int notWhole = 0;
    ASSERT_EQ(ReadTemplateFile(path, read, &notWhole, &damage), TTemplateRead::Read);
    EXPECT_EQ(notWhole, 0);
    EXPECT_TRUE(damage.Entries.isEmpty()) << qPrintable(damage.Entries.join(QLatin1Char(',')));
    ASSERT_EQ(read.size(), 1U);
    EXPECT_EQ(read[0].Columns, mine[0].Columns);
    EXPECT_EQ(saved, read);
}

// An entry this program deletes that another program changed since this one
// read it stays, as the other program saved it: the deletion was of the
// entry as this program knew it.
TEST(SharedEntries, anEntryAnotherProgramChangedMeanwhileIsNotDeletedWithTheOldOne)
{
    QTemporaryDir folder;
    {
        const QString path = folder.filePath(QStringLiteral("LPCustom.tpl"));
        const TListPrintTemplate old{QStringLiteral("名簿"), {DefaultListPrintColumn(19)}};
        const TListPrintTemplate changed{QStringLiteral("名簿"), {DefaultListPrintColumn(2)}};
        TListPrintTemplates saved;
        ASSERT_TRUE(SaveTemplateChanges(path, {}, {old}, saved));
        ASSERT_TRUE(SaveTemplateChanges(path, {old}, {changed}, saved)); // the other program
        ASSERT_TRUE(SaveTemplateChanges(path, {old}, {}, saved));
        TListPrintTemplates read;
        ASSERT_EQ(ReadTemplateFile(path, read), TTemplateRead::Read);
        EXPECT_EQ(read, TListPrintTemplates{changed});
        EXPECT_EQ(saved, read);
    }
    {
        const QString path = folder.filePath(QStringLiteral("Search.ptn"));
        TNarrowDownCondition anyOne;
        anyOne.MatchAll = false;
        const TSearchPattern old{Cp932::encode(QStringLiteral("名簿")), TNarrowDownCondition{}};
        const TSearchPattern changed{old.Name, anyOne};
        QList<TSearchPattern> saved;
        ASSERT_TRUE(SaveSearchPatternChanges(path, {}, {old}, saved));
        ASSERT_TRUE(SaveSearchPatternChanges(path, {old}, {changed}, saved));
        ASSERT_TRUE(SaveSearchPatternChanges(path, {old}, {}, saved));
        const QList<TSearchPattern> read = ReadSearchPatterns(path);
        ASSERT_EQ(read.size(), 1);
        EXPECT_TRUE(read[0].Condition == changed.Condition);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, SharedUserFiles, ::testing::Values(templates(), patterns(), papers()),
                         [](const auto &info) {
                             std::string name = info.param.file;
                             name[name.find('.')] = '_';
                             return name;
                         });

} // namespace
