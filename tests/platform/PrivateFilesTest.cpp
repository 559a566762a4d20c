#include "platform/Folders.h"
#include "platform/IniFile.h"
#include "platform/Registry.h"
#include "platform/SafeFile.h"
#include "platform/Table.h"

#include "support/FileHelpers.h"
#include "support/RowName.h"
#include "support/TestEnvironment.h"

#include <QDir>

#include <gtest/gtest.h>

#include <functional>

#include <sys/stat.h>

namespace {

// Something the case made, the access it had when seen, and the access it must have.
struct Made {
    QString what;
    int mode;
    int expected;
};

Made seen(const QString &path, int expected)
{
    return {path, fileMode(path), expected};
}

// One kind of file or folder the program makes; `make` creates it under a
// fresh folder and names what it made (seen at the moment it exists).
struct PrivateCase {
    const char *name;
    std::function<QList<Made>(const QString &root)> make;
};

QList<Made> makeBookWithJournal(const QString &root)
{
    const QString folder = root + QStringLiteral("/Data/Adrs/Book");
    EXPECT_TRUE(Folders::makePrivatePath(folder));
    TTable table;
    table.SetTableName(folder + QStringLiteral("/Adrs.DB"));
    table.SetPassword("kestru42");
    table.SetFieldDefs({{QStringLiteral("RecNo"), TFieldType::ftAutoInc, 0},
                        {QStringLiteral("Name"), TFieldType::ftString, 20}});
    table.SetIndexDefs({{QString(), QStringLiteral("RecNo"), ixPrimary | ixUnique}});
    QString error;
    EXPECT_TRUE(table.CreateTable(&error)) << error.toStdString();
    table.Open();
    table.BeginBatch();
    table.Append();
    table.FieldByName(QStringLiteral("Name")).SetAsBytes("name");
    table.Post();
    // The journal lives only while the batch is open.
    const int journal = fileMode(folder + QStringLiteral("/Adrs.DB-journal"));
    table.EndBatch();
    table.Close();
    return {seen(root + QStringLiteral("/Data"), 0700), seen(root + QStringLiteral("/Data/Adrs"), 0700),
            seen(folder, 0700), seen(folder + QStringLiteral("/Adrs.DB"), 0600),
            {QStringLiteral("the book's journal"), journal, 0600}};
}

QList<Made> makeSettingsFile(const QString &root)
{
    const QString file = root + QStringLiteral("/Murven19.ini");
    TMemIniFile ini(file);
    ini.WriteString(QStringLiteral("BASE"), QStringLiteral("DataPath"), QStringLiteral("/data/"));
    EXPECT_TRUE(ini.UpdateFile());
    return {seen(file, 0600)};
}

QList<Made> makeRegistryFile(const QString &root)
{
    const QString file = root + QStringLiteral("/config/Pyx/user.reg");
    qputenv("MURVEN_USER_REGISTRY", QFile::encodeName(file));
    TRegistry registry(HKEY_CURRENT_USER);
    EXPECT_TRUE(registry.OpenKey(QStringLiteral("Software\\Qor\\Murven\\19.0"), true));
    return {seen(root + QStringLiteral("/config"), 0700), seen(root + QStringLiteral("/config/Pyx"), 0700),
            seen(file, 0600)};
}

QList<Made> makeTemporaryOfAReplace(const QString &root)
{
    const QString file = root + QStringLiteral("/AdrsMng.ini");
    writeBytes(file, "old");
    ::chmod(QFile::encodeName(file).constData(), 0600);
    int temporary = -1;
    SafeFile::setFailureHook([&](SafeFile::Step step) {
        if (step == SafeFile::Step::RenameTemporary)
            for (const QString &name : QDir(root).entryList(QDir::Files | QDir::Hidden)) {
                if (name.startsWith(QStringLiteral(".AdrsMng.ini.new-")))
                    temporary = fileMode(root + QLatin1Char('/') + name);
            }
        return false;
    });
    EXPECT_TRUE(SafeReplaceFile(file, "new"));
    SafeFile::setFailureHook({});
    return {{QStringLiteral("the temporary"), temporary, 0600}, seen(file, 0600)};
}

class PrivateFiles : public ::testing::TestWithParam<PrivateCase>
{
protected:
    // A mask that would let everyone read: the modes must come from the
    // program's own helpers, not from the mask the program sets at start.
    void SetUp() override { m_savedMask = ::umask(022); }
    void TearDown() override { ::umask(m_savedMask); }

    ScopedHome home;
    mode_t m_savedMask = 077;
};

TEST_P(PrivateFiles, areTheUsersAlone)
{
    for (const Made &made : GetParam().make(home.root()))
        EXPECT_EQ(made.mode, made.expected) << made.what.toStdString() << " has mode " << std::oct << made.mode;
}

INSTANTIATE_TEST_SUITE_P(Kinds, PrivateFiles,
                         ::testing::Values(PrivateCase{"bookFoldersBookAndJournal", makeBookWithJournal},
                                           PrivateCase{"settingsFile", makeSettingsFile},
                                           PrivateCase{"registryFileAndItsFolders", makeRegistryFile},
                                           PrivateCase{"temporaryOfASafeReplace", makeTemporaryOfAReplace}),
                         rowName);

TEST(PrivateFolders, anExistingFolderKeepsItsAccessAndAFileInTheWayFails)
{
    ScopedHome home;
    const QString shared = home.root() + QStringLiteral("/shared");
    ASSERT_TRUE(QDir().mkpath(shared));
    ASSERT_EQ(::chmod(QFile::encodeName(shared).constData(), 0755), 0);
    ASSERT_TRUE(Folders::makePrivatePath(shared + QStringLiteral("/mine")));
    EXPECT_EQ(fileMode(shared), 0755);
    EXPECT_EQ(fileMode(shared + QStringLiteral("/mine")), 0700);

    writeBytes(home.root() + QStringLiteral("/file"), "x");
    EXPECT_FALSE(Folders::makePrivatePath(home.root() + QStringLiteral("/file/below")));
}

} // namespace
