// A record whose stored bytes are damaged (a lone lead byte, 0x80, 0xFD to
// 0xFF) is copied into another book byte for byte: the copy re-encodes
// nothing it only carries over.
#include "addressbook/AdrsCopy.h"

#include "BookFixture.h"
#include "core/AppSub.h"
#include "core/Inquiry.h"
#include "support/RowName.h"
#include "widgets/TntComCtrls.h"

#include <QPointer>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <memory>

namespace {

std::unique_ptr<TTable> bookTable(const QString &folder)
{
    auto table = std::make_unique<TTable>();
    table->SetTableName(AdrsPath + folder + QStringLiteral("/Adrs.DB"));
    table->SetPassword(TablePassword);
    table->SetFieldDefs(AdrsFieldDefs);
    table->SetIndexDefs(AdrsIndexDefs);
    return table;
}

struct DamagedCase {
    const char *name;
    const char *Field;
    QByteArray Bytes;
};

const DamagedCase kDamaged[] = {
    {"loneLeadByteAtTheEnd", "Adrs1", QByteArray("\x93\x8c\x8b\x9e\x82", 5)},
    {"byte0x80", "Adrs2", QByteArray("A\x80" "B", 3)},
    {"bytesFDtoFF", "Keyword1", QByteArray("\xfd\xfe\xff", 3)},
    {"damagedCompanyName", "CorpKanji", QByteArray("\x8a\x94\x80\x8e\xae", 5)},
};

class CopyOfDamagedBytes : public BookFixture, public ::testing::WithParamInterface<DamagedCase>
{
protected:
    CopyOfDamagedBytes()
        : BookFixture({{QStringLiteral("元帳"), QStringLiteral("Book1"), AdrsStateUnchanged},
                       {QStringLiteral("写し"), QStringLiteral("Book2"), AdrsStateUnchanged}})
    {
    }

    void SetUp() override
    {
        BookFixture::SetUp();
        for (const QString &folder : {QStringLiteral("Book1"), QStringLiteral("Book2")}) {
            auto table = bookTable(folder);
            ASSERT_TRUE(table->CreateTable());
            if (folder == QStringLiteral("Book1")) {
                table->Open();
                table->Append();
                table->FieldByName(QStringLiteral("NameKanji")).SetAsBytes(EncodeUnicodeField(QStringLiteral("佐藤")));
                table->FieldByName(QStringLiteral("Tel")).SetAsBytes("0312345678");
                table->FieldByName(QLatin1String(GetParam().Field)).SetAsBytes(GetParam().Bytes);
                table->Post();
                table->Close();
            }
        }
    }

    static QByteArray field(const QString &folder, const char *name)
    {
        auto table = bookTable(folder);
        table->Open();
        table->First();
        return table->Eof() ? QByteArray("<none>") : table->FieldByName(QLatin1String(name)).AsBytes();
    }
};

TEST_P(CopyOfDamagedBytes, isCopiedByteForByte)
{
    ASSERT_NO_FATAL_FAILURE(openList());
    ASSERT_EQ(list->GetRowCount(), 1);
    ShowAddressCopy(list.get());
    QPointer<TAddressCopy> copy = AddressCopy;
    ASSERT_TRUE(copy);
    copy->findChild<QRadioButton *>(QStringLiteral("rbAll"))->setChecked(true);
    copy->findChild<TTntListView *>(QStringLiteral("lvAdrs"))->Items().GetItem(0)->SetSelected(true);
    boxes.enqueue(IDYES);
    copy->findChild<QPushButton *>(QStringLiteral("btnCopy"))->click();
    EXPECT_EQ(field(QStringLiteral("Book2"), GetParam().Field), GetParam().Bytes)
        << (boxes.count() ? boxes.last().text.toStdString() : std::string());
    EXPECT_EQ(field(QStringLiteral("Book2"), "Tel"), QByteArray("0312345678"));
    if (copy)
        copy->close();
}

INSTANTIATE_TEST_SUITE_P(Fields, CopyOfDamagedBytes, ::testing::ValuesIn(kDamaged), rowName);

} // namespace
