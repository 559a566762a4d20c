#pragma once

#include "NarrowDownItems.h"
#include "addressbook/AdrsList.h"
#include "core/AdrsSel.h"
#include "core/DBInfo.h"
#include "core/Env.h"
#include "platform/Cp932.h"
#include "platform/IniFile.h"
#include "platform/SqlCipher.h"
#include "platform/Table.h"
#include "support/DataFolders.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TestEnvironment.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QStringList>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

// A data folder in a temporary home with the books handed to the
// constructor registered and their folders made (the first is the book in
// use), a fresh data module, and message boxes answered by script. A test
// writes its records, then opens the main list window with openList. The
// data module goes, and the book list and folder variables come back, when
// the test ends; a fixture overriding TearDown calls this one last.
class BookFixture : public ::testing::Test
{
protected:
    explicit BookFixture(QList<TAdrsFolderInfo> books = {
                             {QStringLiteral("テスト"), QStringLiteral("Book1"), AdrsStateUnchanged}})
        : m_books(std::move(books))
    {
    }

    void SetUp() override
    {
        for (const QString &folder : {DataRoot, HistoryPath})
            QDir().mkpath(folder);
        for (const TAdrsFolderInfo &book : m_books)
            QDir().mkpath(AdrsPath + book.Folder);
        AdrsFolderList = m_books;
        AdrsFolderIndex = 0;
        AdrsName = m_books.first().Name;
        FirstRun = DataPathChanged = MustSelectAdrs = false;
        // The greeting and the automatic update check are switched off, as a
        // user does after the first start; tests of those turn them on.
        TMemIniFile settings(SettingsFileName());
        settings.WriteBool(QStringLiteral("BASE"), QStringLiteral("Info"), false);
        ASSERT_TRUE(settings.UpdateFile());
        UpdateCheck = false;
        DMMurven19 = new TDMMurven19;
    }

    void TearDown() override
    {
        list.reset();
        FreeDataModule();
        AdrsFolderList.clear();
        AdrsName = m_savedAdrsName;
    }

    // A sender table with one sender per title, RecNo 10, 20, ...
    static void writeSenders(const QStringList &titles)
    {
        DMMurven19->CreateSenderTable();
        ASSERT_TRUE(DMMurven19->OpenSender());
        TTable &senders = *DMMurven19->SenderTable();
        for (int i = 0; i < titles.size(); ++i) {
            senders.Append();
            senders.FieldByName(QStringLiteral("RecNo")).SetAsInteger((i + 1) * 10);
            senders.FieldByName(QStringLiteral("Title")).SetAsString(titles[i]);
            senders.Post();
        }
        DMMurven19->CloseSender();
    }

    // A second table object on the open book's file, as another window or
    // program holds one.
    static void openElsewhere(TTable &other)
    {
        other.SetTableName(DMMurven19->AdrsTable()->TableName());
        other.SetPassword(TablePassword);
        other.Open();
    }

    // Runs SQL on the open book's file behind the table layer's back: a
    // trigger that refuses one record, a reader that holds the file.
    static void alterBook(const char *sql)
    {
        QString error;
        sqlite3 *db = SqlCipher::open(DMMurven19->AdrsTable()->TableName(), TablePassword, false, &error);
        ASSERT_NE(db, nullptr) << qPrintable(error);
        EXPECT_TRUE(SqlCipher::exec(db, sql, &error)) << qPrintable(error);
        SqlCipher::close(db);
    }

    // The filter on the records whose keyword 1 begins with "目印".
    static TNarrowDownCondition markedCondition()
    {
        TNarrowDownCondition condition;
        condition.Items << textItem(22, Cp932::encode(QStringLiteral("目印")), 0);
        return condition;
    }

    // Creates the main list window and lets its first show open the book.
    void openList()
    {
        list = std::make_unique<TAddressList>();
        list->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(list.get()));
        for (int i = 0; i < 50 && list->GetRowCount() == 0; ++i)
            QCoreApplication::processEvents();
    }
    QAction *action(const char *name) const { return list->findChild<QAction *>(QLatin1String(name)); }
    // Selects exactly these rows of the list.
    void selectRows(const QList<int> &rows) const
    {
        list->SelectRow(rows.first(), true, false);
        for (const int row : rows)
            list->SetRowSelected(row, true);
    }
    QList<int> selectedRows() const
    {
        QList<int> rows;
        for (int row = 0; row < list->GetRowCount(); ++row) {
            if (list->IsRowSelected(row))
                rows << row;
        }
        return rows;
    }

    ScopedHome home;
    ScopedDataFolders folders{home.root()};
    ScriptedMessageBoxes boxes;
    std::unique_ptr<TAddressList> list;

private:
    const QList<TAdrsFolderInfo> m_books;
    const QString m_savedAdrsName = AdrsName;
};
