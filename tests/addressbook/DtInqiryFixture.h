#pragma once

#include "BookFixture.h"
#include "addressbook/DtInqiry.h"
#include "core/Inquiry.h"
#include "directory/DicSch.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>

#include <functional>

// A book "テスト" of kBookRows records (RecNo n: telephone 0311110000 + n,
// name "名前n", customer code "C00n"; record 3 carries the keyword "目印"),
// the main list window opened on it, and a record form. The dictionary
// search the form opens is answered by dicAnswer (cancelled when unset) and
// counted in dicShown.
class RecordFormTest : public BookFixture
{
protected:
    static constexpr int kBookRows = 5;

    void SetUp() override
    {
        m_flags = {AddressChangeData, AddressFormClose, AddressConfirmation, AddressOutOfTarget, AddressSameNum};
        AddressChangeData = AddressFormClose = AddressConfirmation = true;
        AddressOutOfTarget = true;
        AddressSameNum = false;
        TDicSearch::ModalRunner = [this](TDicSearch &dialog) {
            ++dicShown;
            return dicAnswer ? dicAnswer(dialog) : 2;
        };
        BookFixture::SetUp();
        writeBook();
        ASSERT_NO_FATAL_FAILURE(openList());
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
        TDicSearch::ModalRunner = nullptr;
        AddressChangeData = m_flags[0];
        AddressFormClose = m_flags[1];
        AddressConfirmation = m_flags[2];
        AddressOutOfTarget = m_flags[3];
        AddressSameNum = m_flags[4];
        BookFixture::TearDown();
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
        writeSenders({QStringLiteral("差出人１")});
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
    // The form's position display as it reads, "3 / 5".
    QString position() const
    {
        return child<QLabel>(QStringLiteral("lblPosition"))->text() + QStringLiteral(" / ") +
               child<QLabel>(QStringLiteral("lblCount"))->text();
    }
    // Stores one field of record recNo (an integer or a text).
    static void writeField(qint32 recNo, const char *field, const QVariant &value)
    {
        TTable &table = *DMMurven19->AdrsTable();
        table.SetIndexName(QString());
        ASSERT_TRUE(table.FindKey({QVariant(recNo)}));
        table.Edit();
        if (value.typeId() == QMetaType::Int)
            table.FieldByName(QLatin1String(field)).SetAsInteger(value.toInt());
        else
            table.FieldByName(QLatin1String(field)).SetAsString(value.toString());
        table.Post();
    }
    QPointer<TDataInquiry> form;
    int dicShown = 0;
    std::function<int(TDicSearch &)> dicAnswer;

private:
    QList<bool> m_flags;
};
