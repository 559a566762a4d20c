#include "exchange/ImportConv.h"

#include "exchange/ExportItems.h"

#include "core/AppSub.h"
#include "core/ContinualAdrsDicClass.h"
#include "core/Inquiry.h"
#include "platform/Cp932.h"
#include "platform/Table.h"
#include "platform/TextLines.h"
#include "util/StrFunc.h"

#include <algorithm>
#include <initializer_list>

namespace {

QByteArray trim(const QByteArray &text)
{
    return TrimBlanks(QByteArrayView(text)).toByteArray();
}

QByteArray digits(const QByteArray &text)
{
    return FilterNumberChars(text, nckDigits);
}

QByteArray sjis(const char16_t *text)
{
    return Cp932::encode(QStringView(text));
}

// True when Text is one of the words.
bool isWord(const QByteArray &text, std::initializer_list<const char16_t *> words)
{
    for (const char16_t *word : words) {
        if (text == sjis(word))
            return true;
    }
    return false;
}

QByteArray cut(const QByteArray &text, qsizetype width)
{
    return Cp932::truncated(text, width);
}

// A name as the record form stores it (the "@" form, or plain Shift-JIS
// for a name the "@" form cannot hold in the field), cut to the field only
// when neither form holds it whole.
QByteArray wide(const QByteArray &text, qsizetype width)
{
    return FitNameField(Cp932::decode(text), width);
}

std::optional<qint32> senderRecNo(const QByteArray &text, const TImportContext &context)
{
    const QString title = Cp932::decode(text);
    for (const auto &sender : context.Senders) {
        if (sender.first == title)
            return sender.second;
    }
    return std::nullopt;
}

const char16_t *const kJointWords[5] = {u"連名１", u"連名２", u"連名３", u"連名４", u"連名５"};

bool isJointWord(const QByteArray &t, int i)
{
    return t == sjis(kJointWords[i - 1]) || t == QByteArray::number(i);
}

QByteArray symbolMark(const QByteArray &text)
{
    const QString mark = Cp932::decode(trim(text));
    for (const QString &known : SymbolMarks) {
        if (known == mark)
            return Cp932::encode(mark);
    }
    return {};
}

QDate validPubDate(const QByteArray &d)
{
    return QDate(d.left(4).toInt(), d.mid(4, 2).toInt(), 1);
}

const char *const kJoint[5] = {"Joint1", "Joint2", "Joint3", "Joint4", "Joint5"};
const char *const kJointHonor[5] = {"JointHonor1", "JointHonor2", "JointHonor3", "JointHonor4", "JointHonor5"};
const char *const kJointPrint[5] = {"JointPrint1", "JointPrint2", "JointPrint3", "JointPrint4", "JointPrint5"};
const char *const kKeyword[8] = {"Keyword1", "Keyword2", "Keyword3", "Keyword4",
                                 "Keyword5", "Keyword6", "Keyword7", "Keyword8"};

// Writes into the table's record only what differs from the stored value,
// compared as the column keeps it; counts the writes.
class TChangeWriter
{
public:
    explicit TChangeWriter(TTable &Table) : m_table(Table) {}

    TField &field(const char *name) { return m_table.FieldByName(QLatin1String(name)); }
    QByteArray text(const char *name) { return field(name).AsBytes(); }
    qint32 integer(const char *name) { return field(name).AsInteger(); }
    bool boolean(const char *name) { return field(name).AsBoolean(); }

    void setText(const char *name, const QByteArray &value)
    {
        TField &f = field(name);
        const QByteArray kept = f.DataType() == TFieldType::ftMemo ? value : Cp932::truncated(value, f.Size());
        if (f.AsBytes() != kept) {
            f.SetAsBytes(kept);
            m_changed = true;
        }
    }
    void setInteger(const char *name, qint32 value)
    {
        TField &f = field(name);
        // A field never written reads as 0 and false, as the windows show it.
        if (f.AsInteger() != value) {
            f.SetAsInteger(value);
            m_changed = true;
        }
    }
    void setBoolean(const char *name, bool value)
    {
        TField &f = field(name);
        if (f.AsBoolean() != value) {
            f.SetAsBoolean(value);
            m_changed = true;
        }
    }
    void setDateTime(const char *name, const QDateTime &value)
    {
        TField &f = field(name);
        if (f.AsDateTime() != value) {
            f.SetAsDateTime(value);
            m_changed = true;
        }
    }
    [[nodiscard]] bool changed() const { return m_changed; }

private:
    TTable &m_table;
    bool m_changed = false;
};

} // namespace

// ---- Rules ------------------------------------------------------------------

QByteArray PhoneDigits(const QByteArray &Text)
{
    QString text = Cp932::decode(Text);
    for (QChar &c : text) {
        if (c.unicode() >= 0xFF10 && c.unicode() <= 0xFF19)
            c = QChar(u'0' + (c.unicode() - 0xFF10));
    }
    QByteArray out;
    for (QChar c : text) {
        if (c >= u'0' && c <= u'9')
            out.append(char(c.unicode()));
    }
    return out;
}

QByteArray RenumberOldPhoneNumber(const QByteArray &In)
{
    if (In.size() < 4 || In.size() > 10)
        return In;
    const QByteArray head = In.left(3);
    if (head == "010" || head == "020" || head == "030" || head == "040" || head == "080")
        return "090" + In.mid(1, 1) + In.mid(3);
    if (head == "050" || head == "060")
        return "070" + In.mid(1, 1) + In.mid(3);
    if (In.startsWith("06") && In.size() < 10)
        return "066" + In.mid(2);
    return In;
}

QByteArray RenumberArea0720(const QByteArray &In, const QDate &Today)
{
    if (Today >= QDate(2000, 1, 1) && In.size() >= 5 && In.startsWith("0720"))
        return "0728" + In.mid(4);
    return In;
}

QByteArray ConvertPhone(const QByteArray &Text, const QDate &Today)
{
    QByteArray number = PhoneDigits(Text).left(13);
    if (!number.isEmpty()) {
        number = RenumberOldPhoneNumber(number).left(13);
        number = RenumberArea0720(number, Today).left(13);
    }
    return number;
}

TWidthCut CutAtWidth(const QByteArray &Text, int Width)
{
    if (Text.size() <= Width)
        return {Text, {}};
    if (Cp932::isLeadByteAt(Text, Width - 1))
        return {Text.left(Width - 1) + ' ', Text.mid(Width - 1)};
    return {Text.left(Width), Text.mid(Width)};
}

TAddressSplit SplitAddress(const QByteArray &Row10, const QByteArray &Row11, const QByteArray &Row12, bool Run10,
                           bool Run11, bool Run12, const QByteArray &Stored2, const QByteArray &Stored3)
{
    TAddressSplit split;
    QByteArray overflow;
    if (Run10) {
        split.Has1 = true;
        const QByteArray text = trim(Row10);
        if (!text.isEmpty()) {
            QByteArray prefecture, rest;
            SplitPrefecture(text, prefecture, rest);
            split.Tdfkn = prefecture;
            const TWidthCut c = CutAtWidth(rest, 32);
            split.Adrs1 = c.Head;
            overflow = c.Rest;
        }
    }
    if (Run11 || !overflow.isEmpty()) {
        split.Has2 = true;
        const QByteArray text2 = trim(Run11 ? Row11 : Stored2);
        if (!text2.isEmpty() || !overflow.isEmpty()) {
            const TWidthCut c = CutAtWidth(overflow + text2, 100);
            split.Adrs2 = c.Head;
            overflow = c.Rest;
        }
    }
    if (Run12 || !overflow.isEmpty()) {
        split.Has3 = true;
        const QByteArray text3 = trim(Run12 ? Row12 : Stored3);
        if (!text3.isEmpty() || !overflow.isEmpty())
            split.Adrs3 = cut(overflow + text3, 116);
    }
    return split;
}

qint32 ConvertCoordinate(const QByteArray &Text)
{
    const QByteArray t = trim(Text);
    if (t.isEmpty() || t == "0")
        return 0;
    if (Cp932::decode(t).size() > 10)
        return 0;
    bool ok = false;
    // Sign and decimal digits only: no blanks, no base prefixes.
    qsizetype start = (t[0] == '+' || t[0] == '-') ? 1 : 0;
    bool digitsOnly = t.size() > start;
    for (qsizetype i = start; i < t.size(); ++i)
        digitsOnly = digitsOnly && t[i] >= '0' && t[i] <= '9';
    const qint64 value = digitsOnly ? t.toLongLong(&ok, 10) : 0;
    if (!digitsOnly || !ok)
        throw EImportValueError(QStringLiteral("緯度・経度が整数ではありません（%1）").arg(Cp932::decode(t)));
    if (value > 2147483647LL || value < -2147483648LL)
        return 0;
    return qint32(value);
}

// The export writes a group's name as the code page gives it (blanks at its
// ends kept), so the value is compared in that form: as it stands, then
// trimmed (a file typed by hand). A book's own group comes before "指定なし" (entry 0, no group), which
// the export never writes for no group (that is an empty value) but a group
// kept from an older settings file may be named. An empty value is no group.
int ImportGroupIndex(const QByteArray &value, const QStringList &groups)
{
    const auto named = [&groups](const QByteArray &text) {
        for (int i = 1; i < groups.size() && i <= 10; ++i) {
            if (Cp932::encode(groups[i]) == text)
                return i;
        }
        return -1;
    };
    if (value.isEmpty())
        return 0;
    if (const int group = named(value); group > 0)
        return group;
    const QByteArray trimmed = trim(value);
    if (trimmed.isEmpty())
        return 0;
    if (const int group = named(trimmed); group > 0)
        return group;
    return !groups.isEmpty() && Cp932::encode(groups[0]) == trimmed ? 0 : -1;
}

QStringList ConvertMemo(const QByteArray &Text)
{
    // Blanks alone are no memo. Otherwise nothing is trimmed: a tab at the
    // start ends an empty first line the memo had.
    if (trim(Text).isEmpty() && !Text.contains('\t') && !Text.contains(MemoTab))
        return {};
    QList<QByteArray> parts = Text.split('\t');
    if (parts.size() > 1 && parts.last().isEmpty())
        parts.removeLast(); // each tab ends a line: nothing follows the last one
    QStringList lines;
    for (QByteArray &line : parts) {
        line.replace(MemoTab, '\t');
        lines.append(Cp932::decode(line));
    }
    return lines;
}

qint32 ConvertSymbolColor(const QByteArray &Text)
{
    QByteArray t = trim(Text);
    // Zeros in front add nothing: a text of more than eight digits may still
    // hold a colour of 32 bits (a sheet that pads its columns).
    qsizetype zeros = 0;
    while (zeros + 1 < t.size() && t[zeros] == '0')
        ++zeros;
    t.remove(0, zeros);
    if (t.isEmpty() || t.size() > 8)
        return NewSymbolColor;
    for (char c : t) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')))
            return NewSymbolColor;
    }
    return qint32(t.toUInt(nullptr, 16));
}

QDateTime ComposeDateTime(const QByteArray &DateDigits, const QByteArray &TimeDigits)
{
    if (DateDigits.size() < 8)
        return {};
    const QByteArray t = TimeDigits.size() < 6 ? QByteArray("000000") : TimeDigits;
    const QDate date(DateDigits.left(4).toInt(), DateDigits.mid(4, 2).toInt(), DateDigits.mid(6, 2).toInt());
    const QTime time(t.left(2).toInt(), t.mid(2, 2).toInt(), t.mid(4, 2).toInt());
    if (!date.isValid() || !time.isValid())
        return {};
    const QDateTime stamp(date, time);
    return stamp.isValid() ? stamp : QDateTime();
}

void CompleteAddress(TImportAddressLookup &Lookup, const QByteArray &AddressText, TAddressCompletion &Values)
{
    const QByteArray text = trim(AddressText);
    if (text.isEmpty())
        return;
    const bool needPostcode = digits(Values.Postcode).size() != 7;
    const bool needCodes = digits(Values.JisCode).size() != 5;
    const bool needPosition = Values.Latitude == 0 || Values.Longitude == 0;
    if (!needPostcode && !needCodes && !needPosition)
        return;
    const std::optional<TImportFoundAddress> found = Lookup.Find(text);
    if (!found)
        return;
    if (needPostcode)
        Values.Postcode = digits(found->Postcode.left(9));
    if (needCodes) {
        Values.JisCode = trim(found->CityCode.left(6));
        Values.KajoCode = trim(found->TownCode.left(7));
    }
    if (needPosition) {
        Values.Latitude = found->Latitude;
        Values.Longitude = found->Longitude;
    }
}

std::optional<TImportFoundAddress> TDicImportAddressLookup::Find(const QByteArray &AddressText)
{
    try {
        if (m_search.Search(Cp932::decode(AddressText)) != 0)
            return std::nullopt;
        const TDicAdrsShortResult *result = m_search.GetAddress(true);
        if (!result)
            return std::nullopt;
        auto field = [](const char *data, std::size_t size) {
            return QByteArray(data, qsizetype(qstrnlen(data, size)));
        };
        TImportFoundAddress found;
        found.Postcode = field(result->Postcode, sizeof result->Postcode);
        found.CityCode = field(result->CityCode, sizeof result->CityCode);
        found.TownCode = field(result->TownCode, sizeof result->TownCode);
        found.Latitude = result->Latitude;
        found.Longitude = result->Longitude;
        return found;
    } catch (const Exception &) {
        // The dictionary's failure leaves the imported values as they are.
        return std::nullopt;
    }
}

// ---- Add mode ---------------------------------------------------------------

void ConvertImportValuesToRecord(const TImportValues &Values, const TImportContext &Context, TAddressData &Record)
{
    auto v = [&](int row) -> const QByteArray & { return Values[row - 1]; };
    auto tv = [&](int row) { return trim(v(row)); };
    const QDate today = Context.Now.date();

    ClearAddressData(Record);
    Record.Group = std::max(0, ImportGroupIndex(v(irGroup), Context.GroupNames));
    Record.CustomCode = tv(irCustomCode);
    Record.Tel = ConvertPhone(v(irTel), today);
    Record.TelDiv = isWord(tv(irTelDiv), {u"代表", u"代表電話"}) ? 3 : 0;
    Record.Fax = ConvertPhone(v(irFax), today);
    Record.PubDate = digits(v(irPubDate));
    Record.Portable1 = PhoneDigits(v(irPortable1));
    Record.Portable2 = PhoneDigits(v(irPortable2));

    const TAddressSplit split = SplitAddress(v(irAdrs1), v(irAdrs2), v(irAdrs3));
    Record.Tdfkn = split.Tdfkn;
    Record.Adrs1 = split.Adrs1;
    Record.Adrs2 = split.Adrs2;
    Record.Adrs3 = split.Adrs3;
    Record.AdrsKana = tv(irAdrsKana);

    TAddressCompletion place;
    place.Postcode = digits(v(irPos));
    place.JisCode = tv(irJisCode);
    place.Latitude = ConvertCoordinate(v(irLatitude));
    place.Longitude = ConvertCoordinate(v(irLongitude));
    if (!Context.Options.NotAutoSupplement && Context.Lookup) {
        const QByteArray address = trim(Record.Tdfkn.Bytes()) + trim(Record.Adrs1.Bytes()) +
                                   trim(Record.Adrs2.Bytes()) + trim(Record.Adrs3.Bytes());
        CompleteAddress(*Context.Lookup, address, place);
    }
    Record.Pos = place.Postcode;
    Record.JisCode = place.JisCode;
    Record.KajoCode = place.KajoCode;
    Record.Latitude = place.Latitude;
    Record.Longitude = place.Longitude;

    Record.PrivCorp = !isWord(tv(irPrivCorp), {u"会社", u"法人", u"0"});
    Record.CorpKanji = tv(irCorpKanji);
    Record.CorpKana = tv(irCorpKana);
    Record.Dptmnt = tv(irDptmnt);
    Record.Post = tv(irPost);
    Record.NameKanji = wide(tv(irName), 75);
    Record.NameKana = tv(irNameKana);
    Record.Honor = tv(irHonor);
    Record.IgnoreName = isWord(tv(irIgnoreName), {u"印刷しない", u"未印刷", u"1"});
    Record.URL = tv(irURL);
    Record.EMail1 = tv(irEMail1);
    Record.EMail2 = tv(irEMail2);

    TShortString<55> *joints[5] = {&Record.Joint1, &Record.Joint2, &Record.Joint3, &Record.Joint4, &Record.Joint5};
    TShortString<10> *honors[5] = {&Record.JointHonor1, &Record.JointHonor2, &Record.JointHonor3,
                                   &Record.JointHonor4, &Record.JointHonor5};
    bool *prints[5] = {&Record.JointPrint1, &Record.JointPrint2, &Record.JointPrint3, &Record.JointPrint4,
                       &Record.JointPrint5};
    for (int i = 0; i < 5; ++i)
        *joints[i] = wide(v(irJoint1 + i), 55);
    for (int i = 0; i < 5; ++i) {
        const bool named = !tv(irJoint1 + i).isEmpty();
        *honors[i] = named ? tv(irJointHonor1 + i) : QByteArray();
        *prints[i] = named && isWord(tv(irJointPrint1 + i), {u"印刷", u"1"});
    }

    const QByteArray owner = tv(irJointOwner);
    Record.JointOwner = 0;
    if (!owner.isEmpty() && owner != tv(irName) && !isWord(owner, {u"本人", u"0"})) {
        for (int i = 1; i <= 5; ++i) {
            const QByteArray joint = tv(irJoint1 + i - 1);
            if ((!joint.isEmpty() && owner == joint) || isJointWord(owner, i)) {
                Record.JointOwner = i;
                break;
            }
        }
    }
    Record.JointPrint = isWord(tv(irJointPrint), {u"印刷", u"1"});

    const QByteArray target = tv(irPrintTarget);
    Record.PrintTarget = isWord(target, {u"印刷対象", u"1"}) ? 1 : isWord(target, {u"印刷除外", u"2"}) ? 2 : 0;
    Record.Sender = senderRecNo(tv(irSender), Context).value_or(0);

    TShortString<100> *keywords[8] = {&Record.Keyword1, &Record.Keyword2, &Record.Keyword3, &Record.Keyword4,
                                      &Record.Keyword5, &Record.Keyword6, &Record.Keyword7, &Record.Keyword8};
    for (int i = 0; i < 8; ++i)
        *keywords[i] = v(irKeyword1 + i);

    // The record holds a memo only when it has lines.
    const QStringList note = ConvertMemo(v(irNote));
    const QStringList links = ConvertMemo(v(irExtLink));
    if (!note.isEmpty())
        Record.Note = note;
    if (!links.isEmpty())
        Record.ExtLink = links;
    Record.SymbolMark = symbolMark(v(irSymbolMark));
    Record.SymbolColor = ConvertSymbolColor(v(irSymbolColor));

    const QDateTime now = TruncMilliseconds(Context.Now);
    const QDateTime added = ComposeDateTime(digits(v(irAddDate)), digits(v(irAddTime)));
    Record.AddDateTime = added.isValid() ? added : now;
    Record.UpdDateTime = now;

    if (Context.Options.SetCorp && !tv(irCorpKanji).isEmpty() &&
        !(Context.Options.PriorityClass && !tv(irPrivCorp).isEmpty())) {
        Record.PrivCorp = Context.Options.SetCorpType == 1 && !tv(irName).isEmpty();
    }
}

// ---- Update mode ------------------------------------------------------------

bool ApplyImportValuesToTable(const TImportValues &Values, const TImportAssigned &Assigned,
                              const TImportContext &Context, TTable &Table)
{
    auto v = [&](int row) -> const QByteArray & { return Values[row - 1]; };
    auto tv = [&](int row) { return trim(v(row)); };
    auto on = [&](int row) { return Assigned[row - 1]; };
    const QDate today = Context.Now.date();
    TChangeWriter w(Table);

    if (on(irGroup)) {
        const int index = ImportGroupIndex(v(irGroup), Context.GroupNames);
        if (index >= 0)
            w.setInteger("Group", index);
    }
    if (on(irCustomCode))
        w.setText("CustomCode", tv(irCustomCode));
    if (on(irTel))
        w.setText("Tel", ConvertPhone(v(irTel), today));
    if (on(irTelDiv))
        w.setInteger("TelDiv", isWord(tv(irTelDiv), {u"代表", u"代表電話"}) ? 3 : 0);
    if (on(irFax))
        w.setText("Fax", ConvertPhone(v(irFax), today));
    if (on(irPubDate)) {
        const QByteArray d = digits(v(irPubDate));
        if (d.size() >= 6 && validPubDate(d).isValid())
            w.setText("PubDate", d.left(6));
    }
    if (on(irPortable1))
        w.setText("Portable1", PhoneDigits(v(irPortable1)).left(13));
    if (on(irPortable2))
        w.setText("Portable2", PhoneDigits(v(irPortable2)).left(13));
    if (on(irPos))
        w.setText("Pos", digits(v(irPos)).left(7));

    const TAddressSplit split = SplitAddress(v(irAdrs1), v(irAdrs2), v(irAdrs3), on(irAdrs1), on(irAdrs2),
                                             on(irAdrs3), w.text("Adrs2"), w.text("Adrs3"));
    if (split.Has1) {
        w.setText("Tdfkn", split.Tdfkn);
        w.setText("Adrs1", split.Adrs1);
    }
    if (split.Has2)
        w.setText("Adrs2", split.Adrs2);
    if (split.Has3)
        w.setText("Adrs3", split.Adrs3);

    const std::pair<int, const char *> plainTexts[] = {
        {irAdrsKana, "AdrsKana"}, {irJisCode, "JisCode"}, {irCorpKanji, "CorpKanji"}, {irCorpKana, "CorpKana"},
        {irDptmnt, "Dptmnt"},     {irPost, "Post"},       {irNameKana, "NameKana"},   {irHonor, "Honor"},
        {irURL, "URL"},           {irEMail1, "EMail1"},   {irEMail2, "EMail2"},
    };
    if (on(irLatitude))
        w.setInteger("Latitude", ConvertCoordinate(v(irLatitude)));
    if (on(irLongitude))
        w.setInteger("Longitude", ConvertCoordinate(v(irLongitude)));
    for (const auto &[row, name] : plainTexts) {
        if (on(row))
            w.setText(name, tv(row));
    }
    if (on(irPrivCorp)) {
        const QByteArray t = tv(irPrivCorp);
        if (isWord(t, {u"個人", u"1"}))
            w.setBoolean("PrivCorp", true);
        else if (isWord(t, {u"会社", u"法人", u"0"}))
            w.setBoolean("PrivCorp", false);
    }
    if (on(irName))
        w.setText("NameKanji", wide(tv(irName), 75));
    if (on(irIgnoreName)) {
        const QByteArray t = tv(irIgnoreName);
        if (isWord(t, {u"印刷する", u"0"}))
            w.setBoolean("IgnoreName", false);
        else if (isWord(t, {u"印刷しない", u"未印刷", u"1"}))
            w.setBoolean("IgnoreName", true);
    }
    for (int i = 0; i < 5; ++i) {
        if (on(irJoint1 + i))
            w.setText(kJoint[i], wide(tv(irJoint1 + i), 55));
    }
    // A joint without a name keeps no honorific and no print flag, whatever
    // the line assigns.
    for (int i = 0; i < 5; ++i) {
        if (trim(w.text(kJoint[i])).isEmpty()) {
            w.setText(kJointHonor[i], {});
            w.setBoolean(kJointPrint[i], false);
            continue;
        }
        if (on(irJointHonor1 + i))
            w.setText(kJointHonor[i], tv(irJointHonor1 + i));
        if (on(irJointPrint1 + i)) {
            const QByteArray t = tv(irJointPrint1 + i);
            if (isWord(t, {u"印刷", u"1"}))
                w.setBoolean(kJointPrint[i], true);
            else if (t.isEmpty() || t == "0")
                w.setBoolean(kJointPrint[i], false);
        }
    }
    if (on(irJointOwner)) {
        const QByteArray t = tv(irJointOwner);
        if (!t.isEmpty()) {
            const QString owner = Cp932::decode(t);
            std::optional<int> found;
            if (owner == DecodeUnicodeField(w.text("NameKanji")) || isWord(t, {u"本人", u"0"})) {
                found = 0;
            } else {
                for (int i = 1; i <= 5 && !found; ++i) {
                    const QString joint = DecodeUnicodeField(w.text(kJoint[i - 1]));
                    if ((!joint.isEmpty() && owner == joint) || isJointWord(t, i))
                        found = i;
                }
            }
            if (found)
                w.setInteger("JointOwner", *found);
        }
    }
    if (on(irJointPrint)) {
        const QByteArray t = tv(irJointPrint);
        if (isWord(t, {u"印刷", u"1"}))
            w.setBoolean("JointPrint", true);
        else if (t.isEmpty() || t == "0")
            w.setBoolean("JointPrint", false);
    }
    if (on(irPrintTarget)) {
        const QByteArray t = tv(irPrintTarget);
        if (isWord(t, {u"指定なし", u"0"}))
            w.setInteger("PrintTarget", 0);
        else if (isWord(t, {u"印刷対象", u"1"}))
            w.setInteger("PrintTarget", 1);
        else if (isWord(t, {u"印刷除外", u"2"}))
            w.setInteger("PrintTarget", 2);
    }
    if (on(irSender)) {
        const QByteArray t = tv(irSender);
        const std::optional<qint32> recNo = t.isEmpty() ? std::optional<qint32>(0) : senderRecNo(t, Context);
        if (recNo)
            w.setInteger("Sender", *recNo);
    }
    for (int i = 0; i < 8; ++i) {
        if (on(irKeyword1 + i))
            w.setText(kKeyword[i], cut(tv(irKeyword1 + i), 100));
    }
    // Memos are stored as their lines joined by CR LF, as every writer does.
    if (on(irNote))
        w.setText("Note", Cp932::encode(ConvertMemo(v(irNote)).join(QStringLiteral("\r\n"))));
    if (on(irExtLink))
        w.setText("ExtLink", Cp932::encode(ConvertMemo(v(irExtLink)).join(QStringLiteral("\r\n"))));
    if (on(irSymbolMark))
        w.setText("SymbolMark", symbolMark(v(irSymbolMark)));
    if (on(irSymbolColor))
        w.setInteger("SymbolColor", ConvertSymbolColor(v(irSymbolColor)));
    if (on(irAddDate) && on(irAddTime)) {
        const QByteArray d = digits(v(irAddDate));
        const QByteArray t = digits(v(irAddTime));
        if (d.size() >= 8 && t.size() >= 6) {
            const QDateTime added = ComposeDateTime(d, t);
            if (added.isValid())
                w.setDateTime("AddDateTime", added);
        }
    }
    if (!w.changed())
        return false;
    Table.FieldByName(QStringLiteral("UpdDateTime")).SetAsDateTime(TruncMilliseconds(Context.Now));
    return true;
}
