#pragma once

// The backup and restore wizards over a data folder with one book, 家族.
#include "core/AdrsSel.h"
#include "core/Env.h"
#include "DataFolderBooks.h"
#include "support/DataFolders.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QStringList>
#include <QTreeWidget>
#include <QWidget>

#include <gtest/gtest.h>

class WizardFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QDir().mkpath(DataRoot);
        WriteMarkedBook(AdrsPath + "Book1", "a", 3);
        AdrsFolderList = {{"家族", "Book1", AdrsStateUnchanged}};
        AdrsFolderIndex = 0;
    }
    void TearDown() override
    {
        AdrsFolderList.clear();
        AdrsFolderIndex = -1;
    }
    template <typename T> static T *child(QWidget &w, const char *name)
    {
        T *c = w.findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    static QStringList marks(QWidget &w)
    {
        QStringList m;
        auto *list = child<QTreeWidget>(w, "lvResult");
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            m << list->topLevelItem(i)->text(1);
        return m;
    }

    ScopedHome home;
    ScriptedMessageBoxes boxes;
    ScopedDataFolders folders{home.root()};
};
