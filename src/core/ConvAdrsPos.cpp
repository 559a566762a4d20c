#include "core/ConvAdrsPos.h"

#include "core/AdrsSel.h"
#include "core/AppSub.h"
#include "core/BkupDat.h"
#include "core/ContinualAdrsDicClass.h"
#include "core/DBInfo.h"
#include "core/Env.h"
#include "core/PosDicClass.h"
#include "platform/Cp932.h"
#include "platform/Table.h"
#include "util/MsgBoxPos.h"
#include "util/StrFunc.h"
#include "util/WaitCursor.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <memory>

namespace {

const QString Caption = QStringLiteral("ピルカノス2014");
constexpr int MaxSentBytes = 184;
constexpr int Adrs2Bytes = 100;

QString digitsOnly(const QString &text)
{
    QString d;
    for (const QChar c : text) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            d += c;
    }
    return d;
}

QString fieldText(const char *field, std::size_t size)
{
    return Cp932::decode(QByteArrayView(field, qstrnlen(field, size))).trimmed();
}

} // namespace

TAdrsSplit SplitConvertedAddress(const QString &NewText, const QString &OldAdrs3)
{
    if (!OldAdrs3.isEmpty() && NewText.endsWith(OldAdrs3, Qt::CaseInsensitive))
        return {NewText.left(NewText.size() - OldAdrs3.size()), OldAdrs3};
    const QString head = Cp932::truncatedToBytes(NewText, Adrs2Bytes);
    return {head, NewText.mid(head.size())};
}

bool ConvertRecordAddress(TAdrsFields &F, const TAdrsConversion &C)
{
    QString full = F.Tdfkn + F.Adrs1 + F.Adrs2 + F.Adrs3;
    if (full.isEmpty())
        return false;
    full = ToFullWidthW(full);
    QString rest;
    if (Cp932::byteLength(full) > MaxSentBytes) {
        const QString head = Cp932::truncatedToBytes(full, MaxSentBytes);
        rest = full.mid(head.size());
        full = head;
    }
    bool changed = false;
    bool merged = false;
    if (C.Merger) {
        if (const std::optional<TMergedAddress> m = C.Merger(full)) {
            F.Tdfkn = m->Pref;
            F.Adrs1 = m->City;
            const TAdrsSplit split = SplitConvertedAddress(m->Rest.trimmed() + rest, F.Adrs3);
            F.Adrs2 = split.Adrs2;
            F.Adrs3 = split.Adrs3;
            full = m->Full.trimmed();
            merged = changed = true;
        }
    }
    if (!C.Lookup)
        return changed;
    const std::optional<TAddressLookup> found = C.Lookup(full);
    if (!found)
        return changed;
    if (merged) {
        F.JisCode = found->JisCode.trimmed();
        const QString prefCity = (found->PrefKana + found->CityKana).left(36);
        F.AdrsKana = (prefCity + found->TownKana).left(188).trimmed();
    }
    const QString postcode = found->Postcode.trimmed();
    if (!postcode.isEmpty() && postcode != F.Pos && !(C.LargeOffice && C.LargeOffice(F.Pos))
        && !(C.OfTown && C.OfTown(F.Pos, *found))) {
        F.Pos = postcode;
        changed = true;
    }
    return changed;
}

bool ConvertAddresses(QWidget *Owner, const QString &LibFolder, const QString &DataFolder, TConversionCounts &Counts,
                      bool *NoDictionary, QString *Error)
{
    *NoDictionary = false;
    if (!DMMurven19 || AdrsFolderIndex < 0 || AdrsFolderIndex >= AdrsFolderList.size() || !DMMurven19->AdrsTable()) {
        *Error = QStringLiteral("アドレス帳が開かれていません");
        return false;
    }
    const TAdrsFolderInfo &info = AdrsFolderList[AdrsFolderIndex];
    QString why;
    if (!MakeSafetyCopy(QStringLiteral("backup.cap/"), {info.Name, info.Folder}, true, false, &why)) {
        *Error = QStringLiteral("データの控えを作成できなかったため、住所・郵便番号変換を中止しました  \r\n") + why;
        return false;
    }
    std::unique_ptr<TContinualAdrsSearch> addresses;
    std::unique_ptr<TPosSearch> postcodes;
    try {
        addresses = std::make_unique<TContinualAdrsSearch>(LibFolder, DataFolder);
        postcodes = std::make_unique<TPosSearch>(LibFolder, DataFolder);
    } catch (const Exception &) {
        addresses.reset();
        postcodes.reset();
    }
    TAdrsConversion conversion;
    if (addresses && postcodes) {
        conversion.Lookup = [&addresses](const QString &full) -> std::optional<TAddressLookup> {
            try {
                if (addresses->Search(full) != 0)
                    return std::nullopt;
                const TDicAdrsShortResult *r = addresses->GetAddress(false);
                if (!r)
                    return std::nullopt;
                const QString postcode = digitsOnly(fieldText(r->Postcode, sizeof r->Postcode));
                if (postcode.size() != 7)
                    return std::nullopt;
                return TAddressLookup{postcode,
                                      fieldText(r->CityCode, sizeof r->CityCode),
                                      fieldText(r->PrefKana, sizeof r->PrefKana),
                                      fieldText(r->CityKana, sizeof r->CityKana),
                                      fieldText(r->TownKana, sizeof r->TownKana),
                                      fieldText(r->TownCode, sizeof r->TownCode)};
            } catch (const Exception &) {
                return std::nullopt;
            }
        };
        conversion.LargeOffice = [&postcodes](const QString &pos) {
            if (pos.size() != 7)
                return false;
            try {
                return postcodes->SearchPostcode(pos) == 0 && postcodes->GetCityCount() > 0 &&
                       postcodes->GetCity(0)->LargeCount > 0;
            } catch (const Exception &) {
                return false;
            }
        };
        // The town's rows share its oaza number, the first three characters
        // of their town codes: a building's floors are listed under the town
        // the building's name starts with.
        conversion.OfTown = [&postcodes](const QString &pos, const TAddressLookup &town) {
            const QByteArray oaza = town.TownCode.left(3).toLatin1();
            if (pos.size() != 7 || oaza.size() != 3)
                return false;
            try {
                if (postcodes->SearchPostcode(pos) != 0)
                    return false;
                for (int i = 0; i < postcodes->GetCityCount(); ++i) {
                    const TWqzplstCity *city = postcodes->GetCity(i);
                    if (fieldText(city->CityCode, sizeof city->CityCode) != town.JisCode)
                        continue;
                    if (postcodes->SearchTown(i, 0) != 0)
                        continue;
                    for (int j = 0; j < postcodes->GetTownCount(); ++j) {
                        const TWqzplstTown *row = postcodes->GetTown(j);
                        if (QByteArray(row->TownCode, qstrnlen(row->TownCode, sizeof row->TownCode)).startsWith(oaza))
                            return true;
                    }
                }
            } catch (const Exception &) {
            }
            return false;
        };
    } else {
        *NoDictionary = true;
    }
    if (!DMMurven19->OpenAdrs()) {
        *Error = QStringLiteral("アドレス帳ファイルがオープンできませんでした  ");
        return false;
    }
    const QStringList names = {QStringLiteral("Tdfkn"), QStringLiteral("Adrs1"), QStringLiteral("Adrs2"),
                               QStringLiteral("Adrs3"), QStringLiteral("Pos"),   QStringLiteral("JisCode"),
                               QStringLiteral("AdrsKana")};
    const bool ok = ConvertRecords(Owner, *DMMurven19->AdrsTable(), QStringLiteral("住所・郵便番号変換"), [&](TTable &t) {
        if (!conversion.Lookup && !conversion.Merger)
            return false;
        TAdrsFields f{t.FieldByName(names[0]).AsString(), t.FieldByName(names[1]).AsString(),
                      t.FieldByName(names[2]).AsString(), t.FieldByName(names[3]).AsString(),
                      t.FieldByName(names[4]).AsString(), t.FieldByName(names[5]).AsString(),
                      t.FieldByName(names[6]).AsString()};
        if (!ConvertRecordAddress(f, conversion))
            return false;
        // Only what the conversion changed is written: a field written back
        // as read would lose the stored form of a character code page 932
        // spells twice (an NEC-selected IBM extension comes back as its IBM
        // code).
        const QString values[] = {f.Tdfkn, f.Adrs1, f.Adrs2, f.Adrs3, f.Pos, f.JisCode, f.AdrsKana};
        for (int i = 0; i < 7; ++i) {
            TField &field = t.FieldByName(names[i]);
            if (values[i] != field.AsString())
                field.SetAsString(values[i]);
        }
        t.FieldByName(QStringLiteral("UpdDateTime")).SetAsDateTime(CurrentTimeStamp());
        return true;
    }, Counts, Error);
    DMMurven19->CloseAdrs();
    return ok;
}

TConvertAdrsPos::TConvertAdrsPos(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("住所・郵便番号変換"));
    setProperty("HelpContext", 41);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("アドレス帳の郵便番号を、住所から辞書で求めた郵便番号に変換します。\n"
                                                "市町村合併による住所の変換データはないため、住所は変換しません。\n"
                                                "変換の前に、データの控えを backup.cap フォルダーに作成します。"),
                                 this));
    btnConvert = AddMaintenanceButtons(this, layout, "btnConvert", QStringLiteral("変換"), btnClose);
    connect(btnConvert, &QPushButton::clicked, this, [this] { btnConvertClick(); });
}

void TConvertAdrsPos::btnConvertClick()
{
    if (ShowMessageBoxAt(this,
                         QStringLiteral("アドレス帳に登録してあるデータの住所・郵便番号変換を行います  \r\nよろしいですか？  "),
                         Caption, 292, 0, 0, 0) != IDYES)
        return;
    if (CloseChildWindows && !CloseChildWindows())
        return;
    repaint();
    TConversionCounts counts;
    bool noDictionary = false;
    QString error;
    bool ok = false;
    {
        TWaitCursor wait;
        ok = ConvertAddresses(this, AppPath, AppPath + QStringLiteral("Dic/"), counts, &noDictionary, &error);
    }
    if (!ok) {
        ShowMessageBoxAt(this, error, Caption, 0x10, 0, 0, 0);
        return;
    }
    QString text = ConversionReport(counts.Cancelled ? QStringLiteral("住所・郵便番号変換を中止しました")
                                                     : QStringLiteral("住所・郵便番号変換が完了しました"),
                                    counts);
    text += noDictionary ? QStringLiteral("\r\n\r\n  辞書データがないため、何も変換していません  ")
                         : QStringLiteral("\r\n\r\n  市町村合併による住所の変換データがないため、住所は変換していません  ");
    ShowMessageBoxAt(this, text, Caption, 64, 0, 0, 0);
    accept();
}
