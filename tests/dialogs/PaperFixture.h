#pragma once

#include "core/Env.h"
#include "dialogs/PaperFmt.h"
#include "support/ScriptedMessageBoxes.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <gtest/gtest.h>

// The paper dialogs read the catalogues the build generated (as the program
// folder's Common/) and keep the user's formats in a fresh data folder.
class PaperDialogFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_savedApp = AppPath;
        m_savedData = DataPath;
        AppPath = QStringLiteral(MURVEN_PAPER_BUILD_DIR "/../");
        DataPath = m_data.path() + QLatin1Char('/');
    }
    void TearDown() override
    {
        AppPath = m_savedApp;
        DataPath = m_savedData;
    }

    // A program folder of the test's own, for damaged catalogues.
    QString useOwnProgramFolder()
    {
        QDir(m_program.path()).mkpath(QStringLiteral("Common/Format"));
        AppPath = m_program.path() + QLatin1Char('/');
        return AppPath + QStringLiteral("Common/");
    }

    static void writeFile(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }

    static const TLayoutCatalogue &catalogue()
    {
        static const TLayoutCatalogue c = [] {
            TLayoutCatalogue c;
            QString error;
            EXPECT_TRUE(c.load(QStringLiteral(MURVEN_PAPER_BUILD_DIR "/Lyt.fmt"), &error));
            return c;
        }();
        return c;
    }

    static int firstOf(TPaperKind kind)
    {
        for (int i = 0; i < catalogue().Records.size(); ++i)
            if (catalogue().Records.at(i).PaperKind() == kind)
                return i;
        return -1;
    }

    ScriptedMessageBoxes boxes;
    QTemporaryDir m_data;
    QTemporaryDir m_program;

private:
    QString m_savedApp, m_savedData;
};

// A paper dialog of the test's own, with its controls found by object name.
template <typename Dialog>
class PaperDialogTest : public PaperDialogFixture
{
protected:
    template <typename T>
    T *child(const char *name) const
    {
        auto *w = dialog->template findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void click(const char *name) { QTest::mouseClick(child<QAbstractButton>(name), Qt::LeftButton); }

    std::unique_ptr<Dialog> dialog;
};
