#include "exchange/ImportFields.h"

#include "core/Env.h"
#include "exchange/ExportItems.h"
#include "platform/Cp932.h"
#include "util/StrFunc.h"

namespace {

struct TFieldRow {
    const char16_t *Caption;
    int Limit;
    std::initializer_list<const char16_t *> Names;
};

const TFieldRow kRows[ImportFieldCount] = {
    {u"グループ名", 20, {u"グループ", u"グループ名"}},
    {u"顧客コード", 20, {u"顧客コード"}},
    {u"電話番号", 13, {u"電話番号", u"電話番号１", u"電話", u"TEL"}},
    {u"代表電話", 4, {u"代表", u"代表電話"}},
    {u"FAX番号", 13, {u"FAX番号", u"FAX"}},
    {u"初期掲載年月", 7, {u"初期掲載年月"}},
    {u"携帯番号１", 13, {u"携帯番号", u"携帯番号１", u"携帯電話", u"携帯電話１", u"携帯", u"携帯１"}},
    {u"携帯番号２", 13, {u"携帯番号２", u"携帯電話２", u"携帯２"}},
    {u"郵便番号", 8, {u"郵便番号", u"〒"}},
    // The prefecture column is tried in a pass of its own first (ImportSlots).
    {u"住所１", 38, {u"住所１", u"住所"}},
    {u"住所２", 100, {u"住所２", u"残り住所"}},
    {u"住所３", 116, {u"住所３"}},
    {u"住所カナ", 100, {u"住所カナ", u"住所フリガナ", u"フリガナ（住所）"}},
    {u"市町村コード", 5, {u"市町村コード", u"住所コード", u"市区郡町村コード"}},
    {u"緯度", 10, {u"緯度", u"緯度(msec)"}},
    {u"経度", 10, {u"経度", u"経度(msec)"}},
    {u"個人会社区分", 4, {u"個人会社区分", u"個人法人区分"}},
    {u"会社名", 112, {u"会社名", u"会社名漢字"}},
    {u"会社名カナ", 80, {u"会社名カナ", u"会社名フリガナ", u"フリガナ（会社）"}},
    {u"部署", 100, {u"部署", u"部署１", u"部署名", u"部署名１"}},
    {u"役職", 50, {u"役職", u"役職名"}},
    {u"名前", 22, {u"名前", u"名前漢字", u"名称", u"名称漢字", u"掲載名", u"掲載名漢字", u"氏名", u"氏名漢字"}},
    {u"名前カナ", 20, {u"名前カナ", u"名前フリガナ", u"名称カナ", u"掲載名カナ", u"氏名カナ"}},
    {u"敬称", 10, {u"敬称"}},
    {u"宛名印刷名前未使用", 10, {u"宛名印刷名前未使用"}},
    {u"URL", 128, {u"URL", u"ホームページ", u"HPアドレス"}},
    {u"メールアドレス１", 64, {u"メールアドレス", u"メールアドレス１", u"メール"}},
    {u"メールアドレス２", 64, {u"メールアドレス２"}},
    {u"連名１", 22, {u"連名", u"連名１"}},
    {u"連名２", 22, {u"連名２"}},
    {u"連名３", 22, {u"連名３"}},
    {u"連名４", 22, {u"連名４"}},
    {u"連名５", 22, {u"連名５"}},
    {u"連名敬称１", 10, {u"連名敬称", u"連名敬称１", u"連名１敬称"}},
    {u"連名敬称２", 10, {u"連名敬称２", u"連名２敬称"}},
    {u"連名敬称３", 10, {u"連名敬称３", u"連名３敬称"}},
    {u"連名敬称４", 10, {u"連名敬称４", u"連名４敬称"}},
    {u"連名敬称５", 10, {u"連名敬称５", u"連名５敬称"}},
    {u"連名主", 22, {u"連名主"}},
    {u"連名印刷対象", 4, {u"連名印刷対象"}},
    {u"連名印刷対象１", 4, {u"連名印刷対象１"}},
    {u"連名印刷対象２", 4, {u"連名印刷対象２"}},
    {u"連名印刷対象３", 4, {u"連名印刷対象３"}},
    {u"連名印刷対象４", 4, {u"連名印刷対象４"}},
    {u"連名印刷対象５", 4, {u"連名印刷対象５"}},
    {u"印刷指定", 8, {u"印刷指定"}},
    {u"差出人", 30, {u"差出人"}},
    {nullptr, 100, {u"キーワード", u"キーワード１"}},
    {nullptr, 100, {u"キーワード２"}},
    {nullptr, 100, {u"キーワード３"}},
    {nullptr, 100, {u"キーワード４"}},
    {nullptr, 100, {u"キーワード５"}},
    {nullptr, 100, {u"キーワード６"}},
    {nullptr, 100, {u"キーワード７"}},
    {nullptr, 100, {u"キーワード８"}},
    {u"備考", 0, {u"備考"}},
    {u"外部リンク", 0, {u"外部リンク", u"外部ファイル"}},
    {u"シンボルマーク", 2, {u"シンボルマーク"}},
    {u"シンボル色", 8, {u"シンボル色"}},
    {u"登録日付", 10, {u"登録日付"}},
    {u"登録時刻", 8, {u"登録時刻"}},
};

} // namespace

std::array<TImportField, ImportFieldCount> ImportFieldList()
{
    std::array<TImportField, ImportFieldCount> list;
    const QList<QByteArray> columnNames = ExportHeaderNames(ExportItemCatalogue());
    for (int i = 0; i < ImportFieldCount; ++i) {
        const TFieldRow &row = kRows[i];
        TImportField &field = list[i];
        field.Limit = row.Limit;
        for (const char16_t *name : row.Names)
            field.HeaderNames.append(QString::fromUtf16(name));
        if (row.Caption) {
            field.Caption = QString::fromUtf16(row.Caption);
        } else {
            // Keyword rows: the user's caption names the row and is
            // recognised as a header too.
            const int keyword = i - (irKeyword1 - 1) + 1;
            field.Caption = KeywordNames[keyword];
            field.ColumnName = columnNames.value(eiKeyword1 + keyword - 1);
            if (!field.Caption.isEmpty())
                field.HeaderNames.append(field.Caption);
            // The export writes a caption without its blanks.
            const QString written = Cp932::decode(RemoveSpaces(field.Caption));
            if (!written.isEmpty() && written != field.Caption)
                field.HeaderNames.append(written);
        }
    }
    return list;
}

QStringList NamesOfOtherItems(int Keyword)
{
    QStringList names{QStringLiteral("都道府県")};
    for (int i = 0; i < ImportFieldCount; ++i) {
        if (i == irKeyword1 - 1 + Keyword - 1)
            continue;
        const TFieldRow &row = kRows[i];
        if (row.Caption)
            names << QString::fromUtf16(row.Caption);
        for (const char16_t *name : row.Names)
            names << QString::fromUtf16(name);
    }
    // Items the export writes and the import has no row for (レコード番号,
    // 更新日付 ...).
    const QStringList captions = ExportItemCatalogue();
    for (int item = 0; item < captions.size(); ++item) {
        if (item < eiKeyword1 || item > eiKeyword8)
            names << captions[item];
    }
    return names;
}
