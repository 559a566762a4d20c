#include "core/DicResult.h"

#include "core/WqmtadWrapper.h"
#include "platform/Cp932.h"
#include "platform/dic/store/DicText.h"
#include "util/SubUnit.h"

#include <cstring>
#include <string_view>

namespace {

std::string_view view(const QByteArray &text)
{
    return {text.constData(), static_cast<std::size_t>(text.size())};
}

QByteArray bytes(std::string_view text)
{
    return {text.data(), static_cast<qsizetype>(text.size())};
}

} // namespace

QByteArray FormatDicPostcode(const QByteArray &Postcode)
{
    const QByteArray trimmed = bytes(DicTrim(view(Postcode)));
    if (trimmed.size() == 7 || trimmed.size() == 5)
        return trimmed.left(3) + '-' + trimmed.mid(3);
    return trimmed;
}

void SetDicField(char *Field, std::size_t Size, const QByteArray &Text, bool Exact)
{
    DicSetField(Field, Size, DicTrim(view(Text)), !Exact);
}

QByteArray DicFieldText(const char *Field, std::size_t Size)
{
    return bytes(DicField(Field, Size));
}

QByteArray DicDetailCode(const QByteArray &CityCode, const QByteArray &TownCode)
{
    return (CityCode.left(6) + TownCode.left(7)).left(13).append("00000000000").left(WqmtadCodeLength);
}

std::int32_t DicDetailToMilliseconds(std::int32_t Value)
{
    return static_cast<std::int32_t>(RoundHalfAway(static_cast<long double>(static_cast<std::int64_t>(Value) * 1000) / 256.0L));
}

template <class TResult>
int CompleteDicDetail(TResult &Result, const QString &DataFolder, bool Texts)
{
    TWqmtadDetail detail{};
    const int code = CallWqMTAdrs(DicDetailCode(DicFieldText(Result.CityCode), DicFieldText(Result.TownCode)),
                                  detail, DataFolder);
    if (code != 0)
        return code;
    if (Texts) {
        SetDicField(Result.Postcode, FormatDicPostcode(DicFieldText(detail.Postcode)));
        SetDicField(Result.PrefKana, DicFieldText(detail.PrefKana));
        SetDicField(Result.Pref, DicFieldText(detail.Pref));
        SetDicField(Result.CityKana, DicFieldText(detail.CityKana));
        SetDicField(Result.City, DicFieldText(detail.City));
        SetDicField(Result.TownKana, DicFieldText(detail.OazaKana) + DicFieldText(detail.AzaKana));
        SetDicField(Result.Town, DicFieldText(detail.Oaza) + DicFieldText(detail.Aza));
    }
    Result.Latitude = DicDetailToMilliseconds(detail.Latitude);
    Result.Longitude = DicDetailToMilliseconds(detail.Longitude);
    return code;
}

template <class TResult>
void CompleteDicDetailOnce(TResult &Result, const QString &LibFolder, const QString &DataFolder, bool Texts)
{
    // A failed load has shown its box and left no use to release.
    if (LoadWqmtad(LibFolder) != 0)
        return;
    (void)CompleteDicDetail(Result, DataFolder, Texts);
    FreeWqmtad();
}

template int CompleteDicDetail<TDicAdrsResult>(TDicAdrsResult &, const QString &, bool);
template int CompleteDicDetail<TDicTelAdrsResult>(TDicTelAdrsResult &, const QString &, bool);
template int CompleteDicDetail<TDicAdrsShortResult>(TDicAdrsShortResult &, const QString &, bool);
template void CompleteDicDetailOnce<TDicAdrsResult>(TDicAdrsResult &, const QString &, const QString &, bool);
template void CompleteDicDetailOnce<TDicTelAdrsResult>(TDicTelAdrsResult &, const QString &, const QString &, bool);
