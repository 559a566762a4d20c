#include "core/AddressText.h"

#include "core/AppSub.h"
#include "core/Inquiry.h"
#include "platform/Cp932.h"

namespace {

template <qsizetype W>
QString plain(const TShortString<W> &Field)
{
    return Cp932::decode(Field.Bytes()).trimmed();
}

template <qsizetype W>
QString name(const TShortString<W> &Field)
{
    return DecodeUnicodeField(Field.Bytes()).trimmed();
}

} // namespace

TAddressText AddressTextOf(const TAddressData &R)
{
    TAddressText t;
    t.RecNo = R.RecNo;
    t.PrivCorp = R.PrivCorp;
    t.CustomCode = plain(R.CustomCode);
    t.Tel = plain(R.Tel);
    t.Fax = plain(R.Fax);
    t.Portable1 = plain(R.Portable1);
    t.Portable2 = plain(R.Portable2);
    t.Pos = plain(R.Pos);
    t.Tdfkn = plain(R.Tdfkn);
    t.Adrs1 = plain(R.Adrs1);
    t.Adrs2 = plain(R.Adrs2);
    t.Adrs3 = plain(R.Adrs3);
    t.AdrsKana = plain(R.AdrsKana);
    t.CorpKanji = plain(R.CorpKanji);
    t.CorpKana = plain(R.CorpKana);
    t.Dptmnt = plain(R.Dptmnt);
    t.Post = plain(R.Post);
    t.NameKanji = name(R.NameKanji);
    t.NameKana = name(R.NameKana);
    t.Honor = plain(R.Honor);
    t.URL = plain(R.URL);
    t.EMail1 = plain(R.EMail1);
    t.EMail2 = plain(R.EMail2);
    t.Joint = {name(R.Joint1), name(R.Joint2), name(R.Joint3), name(R.Joint4), name(R.Joint5)};
    t.JointHonor = {plain(R.JointHonor1), plain(R.JointHonor2), plain(R.JointHonor3), plain(R.JointHonor4),
                    plain(R.JointHonor5)};
    t.JointPrint = R.JointPrint;
    t.IgnoreName = R.IgnoreName;
    t.JointPrints = {R.JointPrint1, R.JointPrint2, R.JointPrint3, R.JointPrint4, R.JointPrint5};
    t.Keyword = {plain(R.Keyword1), plain(R.Keyword2), plain(R.Keyword3), plain(R.Keyword4),
                 plain(R.Keyword5), plain(R.Keyword6), plain(R.Keyword7), plain(R.Keyword8)};
    return t;
}
