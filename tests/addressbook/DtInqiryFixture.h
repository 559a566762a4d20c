#pragma once

#include "addressbook/AdrsList.h"
#include "addressbook/DtInqiry.h"
#include "core/AdrsSel.h"
#include "core/DBInfo.h"
#include "core/Env.h"
#include "core/Inquiry.h"
#include "platform/Table.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TestEnvironment.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

// A book "テスト" of kBookRows records (RecNo n: telephone 0311110000 + n,
// name "名前n", customer code "C00n"; record 3 carries the keyword "目印"),
// the main list window opened on it, and a record form.
class RecordFormTest : public ::testing::Test
{
protected:
    static constexpr int kBookRows = 5;

    void SetUp() override
    {
        for (QString *var : m_vars)
            m_saved << *var;
        m_flags = {AddressChangeData, AddressFormClose, AddressConfirmation, AddressOutOfTarget, AddressSameNum};
        AddressChangeData = AddressFormClose = AddressConfirmation = true;
        AddressOutOfTarget = true;
        AddressSameNum = false;
        const QString data = home.root() + QStringLiteral("/data/");
        DataRoot = home.root() + QStringLiteral("/root/");
        DataPath = data;
        AdrsPath = data + QStringLiteral("Adrs/");
        OtherPath = data + QStringLiteral("Other/");
        HistoryPath = data + QStringLiteral("History/");
        for (const QString &folder : {DataRoot, AdrsPath + QStringLiteral("Book1"), HistoryPath})
            QDir().mkpath(folder);
        AdrsFolderList = {{QStringLiteral("テスト"), QStringLiteral("Book1"), AdrsStateUnchanged}};
        AdrsFolderIndex = 0;
        AdrsName = QStringLiteral("テスト");
        FirstRun = DataPathChanged = MustSelectAdrs = false;
        DMMurven19 = new TDMMurven19;
        writeBook();
        list = std::make_unique<TAddressList>();
        list->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(list.get()));
        for (int i = 0; i < 50 && list->GetRowCount() == 0; ++i)
            QCoreApplication::processEvents();
        ASSERT_EQ(list->GetRowCount(), kBookRows);
    }

    void TearDown() override
    {
        if (form) {
            form->SetSkipConfirm(true);
            form->close();
        }
        flushDeletes();
        delete form.data();
        TDataInquiry::RecordLimit = 100000;
        list.reset();
        DMMurven19->FreeSenderTable();
        DMMurven19->FreeAdrsTable();
        DMMurven19->Disconnect();
        DMMurven19->FreeDatabase();
        delete DMMurven19;
        DMMurven19 = nullptr;
        AdrsFolderList.clear();
        for (int i = 0; i < m_vars.size(); ++i)
            *m_vars[i] = m_saved[i];
        AddressChangeData = m_flags[0];
        AddressFormClose = m_flags[1];
        AddressConfirmation = m_flags[2];
        AddressOutOfTarget = m_flags[3];
        AddressSameNum = m_flags[4];
    }

    static void writeBook()
    {
        DMMurven19->CreateAdrsTable(QStringLiteral("Book1"));
        ASSERT_TRUE(DMMurven19->OpenAdrs());
        TTable &table = *DMMurven19->AdrsTable();
        for (int n = 1; n <= kBookRows; ++n) {
            table.Append();
            table.FieldByName(QStringLiteral("Tel")).SetAsString(QString::number(311110000 + n).prepend(u'0'));
            table.FieldByName(QStringLiteral("NameKanji")).SetAsString(QStringLiteral("名前%1").arg(n));
            table.FieldByName(QStringLiteral("CustomCode")).SetAsString(QStringLiteral("C00%1").arg(n));
            table.FieldByName(QStringLiteral("PrivCorp")).SetAsBoolean(true);
            table.FieldByName(QStringLiteral("JointPrint")).SetAsBoolean(true);
            table.FieldByName(QStringLiteral("SymbolColor")).SetAsInteger(0x7FDF3F);
            if (n == 3)
                table.FieldByName(QStringLiteral("Keyword1")).SetAsString(QStringLiteral("目印"));
            table.Post();
        }
        table.FlushBuffers();
        DMMurven19->CloseAdrs();
        DMMurven19->CreateSenderTable();
        ASSERT_TRUE(DMMurven19->OpenSender());
        TTable &senders = *DMMurven19->SenderTable();
        senders.Append();
        senders.FieldByName(QStringLiteral("RecNo")).SetAsInteger(10);
        senders.FieldByName(QStringLiteral("Title")).SetAsString(QStringLiteral("差出人１"));
        senders.Post();
        DMMurven19->CloseSender();
    }

    static void flushDeletes()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }

    void openNew()
    {
        form = new TDataInquiry;
        form->StartNewRecord();
        form->show();
        QCoreApplication::processEvents();
    }

    // The record form on list row `row`, as the inquiry command opens it.
    void openRow(int row)
    {
        form = new TDataInquiry;
        TAddressData data;
        ASSERT_TRUE(list->GetRecordAt(row, data));
        form->SetNavigationSource(1);
        form->StartInquiry(data);
        form->show();
        QCoreApplication::processEvents();
    }

    template <class T = QWidget>
    T *child(const QString &name) const
    {
        T *w = form->findChild<T *>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    QLineEdit *edit(const QString &name) const { return child<QLineEdit>(name); }
    QComboBox *combo(const QString &name) const { return child<QComboBox>(name); }
    void click(const QString &name) const { child<QAbstractButton>(name)->click(); }
    void setText(const QString &name, const QString &text) const { edit(name)->setText(text); }
    void setComboText(const QString &name, const QString &text) const { combo(name)->setEditText(text); }

    int bookCount() const { return DMMurven19->AdrsTable()->RecordCount(); }
    QByteArray stored(qint32 recNo, const char *field) const
    {
        TTable &table = *DMMurven19->AdrsTable();
        table.SetIndexName(QString());
        if (!table.FindKey({QVariant(recNo)}))
            return "<missing>";
        return table.FieldByName(QLatin1String(field)).AsBytes();
    }
    qint32 lastRecNo() const
    {
        TTable &table = *DMMurven19->AdrsTable();
        table.SetIndexName(QString());
        table.Last();
        return table.FieldByName(QStringLiteral("RecNo")).AsInteger();
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
    ScriptedMessageBoxes boxes;
    std::unique_ptr<TAddressList> list;
    QPointer<TDataInquiry> form;

private:
    const QList<QString *> m_vars{&DataRoot, &DataPath, &AdrsPath, &OtherPath, &HistoryPath, &AdrsName};
    QStringList m_saved;
    QList<bool> m_flags;
};
