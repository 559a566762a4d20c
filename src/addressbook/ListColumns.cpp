#include "addressbook/ListColumns.h"

#include "core/Env.h"
#include "core/Inquiry.h"
#include "util/SubUnit.h"

namespace {

constexpr int kFirstKeywordColumn = 27; // catalogue rows 27..34 are keywords 1..8
constexpr int kFirstKeywordSort = 7;    // sort types 7..14 are keywords 1..8

} // namespace

const std::array<TSortType, SortTypeCount> SortTypes{{
    {QStringLiteral("登録順"), QString()},
    {QStringLiteral("顧客コード順"), QStringLiteral("CustomCode")},
    {QStringLiteral("電話番号順"), QStringLiteral("Tel")},
    {QStringLiteral("郵便番号順"), QStringLiteral("Pos")},
    {QStringLiteral("住所順"), QStringLiteral("Adrs")},
    {QStringLiteral("会社名順"), QStringLiteral("CorpKana")},
    {QStringLiteral("名前順"), QStringLiteral("NameKana")},
    {QStringLiteral("キーワード１順"), QStringLiteral("Keyword1")},
    {QStringLiteral("キーワード２順"), QStringLiteral("Keyword2")},
    {QStringLiteral("キーワード３順"), QStringLiteral("Keyword3")},
    {QStringLiteral("キーワード４順"), QStringLiteral("Keyword4")},
    {QStringLiteral("キーワード５順"), QStringLiteral("Keyword5")},
    {QStringLiteral("キーワード６順"), QStringLiteral("Keyword6")},
    {QStringLiteral("キーワード７順"), QStringLiteral("Keyword7")},
    {QStringLiteral("キーワード８順"), QStringLiteral("Keyword8")},
}};

TColumnRecords DefaultColumnRecords()
{
    TColumnRecords records;
    for (int i = 0; i < ListColumnCount; ++i) {
        const TAddressListColumn &column = AddressListColumns[static_cast<std::size_t>(i)];
        records[static_cast<std::size_t>(i)] = {column.Index, i, ScaleForDpi(column.Width, true), column.Shown};
    }
    return records;
}

QString ColumnCaption(int DefIndex)
{
    if (DefIndex >= kFirstKeywordColumn && DefIndex < kFirstKeywordColumn + KeywordCount)
        return KeywordNames[static_cast<std::size_t>(DefIndex - kFirstKeywordColumn + 1)];
    if (DefIndex < 0 || DefIndex >= ListColumnCount)
        return QString();
    return AddressListColumns[static_cast<std::size_t>(DefIndex)].Caption;
}

QString SortTypeCaption(int SortType)
{
    if (SortType >= kFirstKeywordSort && SortType < kFirstKeywordSort + KeywordCount)
        return KeywordNames[static_cast<std::size_t>(SortType - kFirstKeywordSort + 1)] + u'順';
    if (SortType < 0 || SortType >= SortTypeCount)
        return QString();
    return SortTypes[static_cast<std::size_t>(SortType)].Caption;
}
