#include "exchange/ExportItems.h"

#include "core/AppSub.h"
#include "core/Env.h"
#include "core/WqhypWrapper.h"
#include "platform/Cp932.h"
#include "platform/Table.h"
#include "util/StrFunc.h"
#include "widgets/ByteLimitValidator.h"

#include <QHash>
#include <QSet>

#include <algorithm>


namespace {

// How an item turns its field into text.
enum class TRule {
    RecNo, Group, Trim, Hyphen, TelDiv, PubDate, Pos, PrivCorp, Wide, IgnoreName, JointOwner, Print,
    PrintTarget, Sender, Memo, SymbolColor, Date, Time,
};

struct TItemRow {
    const char16_t *Caption; // nullptr: a keyword item
    const char *Field;
    TRule Rule;
};

const TItemRow kItems[ExportItemCount] = {
    {u"レコード番号", "RecNo", TRule::RecNo},
    {u"グループ名", "Group", TRule::Group},
    {u"顧客コード", "CustomCode", TRule::Trim},
    {u"電話番号", "Tel", TRule::Hyphen},
    {u"代表電話", "TelDiv", TRule::TelDiv},
    {u"FAX番号", "Fax", TRule::Hyphen},
    {u"初期掲載年月", "PubDate", TRule::PubDate},
    {u"携帯番号１", "Portable1", TRule::Hyphen},
    {u"携帯番号２", "Portable2", TRule::Hyphen},
    {u"郵便番号", "Pos", TRule::Pos},
    {u"都道府県", "Tdfkn", TRule::Trim},
    {u"住所１", "Adrs1", TRule::Trim},
    {u"住所２", "Adrs2", TRule::Trim},
    {u"住所３", "Adrs3", TRule::Trim},
    {u"住所カナ", "AdrsKana", TRule::Trim},
    {u"市町村コード", "JisCode", TRule::Trim},
    {u"個人会社区分", "PrivCorp", TRule::PrivCorp},
    {u"会社名", "CorpKanji", TRule::Trim},
    {u"会社名カナ", "CorpKana", TRule::Trim},
    {u"部署", "Dptmnt", TRule::Trim},
    {u"役職", "Post", TRule::Trim},
    {u"名前", "NameKanji", TRule::Wide},
    {u"名前カナ", "NameKana", TRule::Trim},
    {u"敬称", "Honor", TRule::Trim},
    {u"宛名印刷名前未使用", "IgnoreName", TRule::IgnoreName},
    {u"URL", "URL", TRule::Trim},
    {u"メールアドレス１", "EMail1", TRule::Trim},
    {u"メールアドレス２", "EMail2", TRule::Trim},
    {u"連名１", "Joint1", TRule::Wide},
    {u"連名２", "Joint2", TRule::Wide},
    {u"連名３", "Joint3", TRule::Wide},
    {u"連名４", "Joint4", TRule::Wide},
    {u"連名５", "Joint5", TRule::Wide},
    {u"連名敬称１", "JointHonor1", TRule::Trim},
    {u"連名敬称２", "JointHonor2", TRule::Trim},
    {u"連名敬称３", "JointHonor3", TRule::Trim},
    {u"連名敬称４", "JointHonor4", TRule::Trim},
    {u"連名敬称５", "JointHonor5", TRule::Trim},
    {u"連名主", "JointOwner", TRule::JointOwner},
    {u"連名印刷対象", "JointPrint", TRule::Print},
    {u"連名印刷対象１", "JointPrint1", TRule::Print},
    {u"連名印刷対象２", "JointPrint2", TRule::Print},
    {u"連名印刷対象３", "JointPrint3", TRule::Print},
    {u"連名印刷対象４", "JointPrint4", TRule::Print},
    {u"連名印刷対象５", "JointPrint5", TRule::Print},
    {u"印刷指定", "PrintTarget", TRule::PrintTarget},
    {u"差出人", "Sender", TRule::Sender},
    {nullptr, "Keyword1", TRule::Trim},
    {nullptr, "Keyword2", TRule::Trim},
    {nullptr, "Keyword3", TRule::Trim},
    {nullptr, "Keyword4", TRule::Trim},
    {nullptr, "Keyword5", TRule::Trim},
    {nullptr, "Keyword6", TRule::Trim},
    {nullptr, "Keyword7", TRule::Trim},
    {nullptr, "Keyword8", TRule::Trim},
    {u"備考", "Note", TRule::Memo},
    {u"外部リンク", "ExtLink", TRule::Memo},
    {u"シンボルマーク", "SymbolMark", TRule::Trim},
    {u"シンボル色", "SymbolColor", TRule::SymbolColor},
    {u"登録日付", "AddDateTime", TRule::Date},
    {u"登録時刻", "AddDateTime", TRule::Time},
    {u"更新日付", "UpdDateTime", TRule::Date},
    {u"更新時刻", "UpdDateTime", TRule::Time},
};

const char *const kJointFields[] = {"NameKanji", "Joint1", "Joint2", "Joint3", "Joint4", "Joint5"};

QString wide(const TField &field)
{
    QString text = DecodeUnicodeField(field.AsBytesView());
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 0x20)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 0x20)
        --end;
    return begin == 0 && end == text.size() ? text : text.mid(begin, end - begin);
}

// CR and LF end a line where the import reads the file (quoted or not), a
// Ctrl-Z ends its text and a NUL makes the line unreadable: none may stand
// inside a field. CP932 never has these bytes as the trail byte of a
// double-byte character.
constexpr bool endsLine(char16_t c)
{
    return c == u'\r' || c == u'\n' || c == 0x1A || c == 0;
}
constexpr bool endsLine(char c)
{
    return endsLine(char16_t(static_cast<unsigned char>(c)));
}
constexpr bool endsLine(QChar c)
{
    return endsLine(c.unicode());
}

// Each run of line ends of Out from From on becomes one Blank: the bytes of
// a line being written, or the wide text of a value.
template<class Text, class Char>
void blankLineEndsIn(Text &Out, qsizetype From, Char Blank)
{
    const auto ends = [](auto c) { return endsLine(c); };
    const qsizetype first = std::find_if(Out.cbegin() + From, Out.cend(), ends) - Out.cbegin();
    if (first == Out.size())
        return;
    Text kept;
    kept.reserve(Out.size() - first);
    for (qsizetype i = first; i < Out.size(); ++i) {
        if (!endsLine(Out.at(i)))
            kept += Out.at(i);
        else if (i == first || !endsLine(Out.at(i - 1)))
            kept += Blank;
    }
    Out.truncate(first);
    Out += kept;
}

// BlankLineEnds on wide text.
QString blankLineEnds(QString text)
{
    blankLineEndsIn(text, 0, QChar(u' '));
    return text;
}

bool hyphenSwitch(int item, const TExportFormat &format)
{
    if (!format.EditHyphen)
        return false;
    switch (item) {
    case eiTel: return format.EditTel;
    case eiFax: return format.EditFax;
    case eiPortable1: return format.EditPortable1;
    case eiPortable2: return format.EditPortable2;
    case eiPos: return format.EditPos;
    default: return false;
    }
}

} // namespace

QByteArray TrimExportBytes(QByteArrayView Bytes)
{
    qsizetype begin = 0;
    qsizetype end = Bytes.size();
    while (begin < end && static_cast<unsigned char>(Bytes[begin]) <= 0x20)
        ++begin;
    while (end > begin && static_cast<unsigned char>(Bytes[end - 1]) <= 0x20)
        --end;
    return Bytes.sliced(begin, end - begin).toByteArray();
}

QStringList ExportItemCatalogue()
{
    QStringList captions;
    captions.reserve(ExportItemCount);
    for (int i = 0; i < ExportItemCount; ++i) {
        if (kItems[i].Caption)
            captions << QString::fromUtf16(kItems[i].Caption);
        else
            captions << KeywordNames[size_t(i - eiKeyword1 + 1)];
    }
    return captions;
}

QString KeywordFixedName(int Keyword)
{
    return QStringLiteral("キーワード") + QChar(0xFF10 + Keyword);
}

QList<QByteArray> ExportHeaderNames(const QStringList &Captions)
{
    QList<QByteArray> names;
    names.reserve(ExportItemCount);
    for (int i = 0; i < ExportItemCount; ++i)
        names << RemoveSpaces(Captions.value(i));
    // Every name but a keyword's own fixed name is taken before the keywords
    // choose theirs; each keyword's choice is then taken too.
    QSet<QByteArray> taken;
    for (int i = 0; i < ExportItemCount; ++i) {
        if (i < eiKeyword1 || i > eiKeyword8)
            taken.insert(names[i]);
    }
    for (int k = 1; k <= 8; ++k)
        taken.insert(Cp932::encode(KeywordFixedName(k)));
    for (int k = 1; k <= 8; ++k) {
        QByteArray &name = names[eiKeyword1 + k - 1];
        const QByteArray fixed = Cp932::encode(KeywordFixedName(k));
        // A caption kept with a line break would split the header line.
        if (name.isEmpty() || std::any_of(name.cbegin(), name.cend(), [](char c) { return endsLine(c); })
            || (name != fixed && taken.contains(name)))
            name = fixed;
        taken.insert(name);
    }
    return names;
}

QStringList ExportItemFields(int Item)
{
    if (Item < 0 || Item >= ExportItemCount)
        return {};
    if (kItems[Item].Rule == TRule::JointOwner) {
        QStringList names{QStringLiteral("JointOwner")};
        for (const char *name : kJointFields)
            names << QLatin1StringView(name);
        return names;
    }
    return {QLatin1StringView(kItems[Item].Field)};
}

namespace {

// Two decimal digits of a value below 100.
void appendTwoDigits(QByteArray &out, int value)
{
    out += char('0' + value / 10 % 10);
    out += char('0' + value % 10);
}

// "yyyy/mm/dd" or "hh:nn:ss" of a stamp; nothing for none.
void appendStamp(QByteArray &out, const QDateTime &stamp, bool date)
{
    if (!stamp.isValid())
        return;
    if (date) {
        const QDate d = stamp.date();
        const int year = d.year() % 10000;
        appendTwoDigits(out, year / 100);
        appendTwoDigits(out, year % 100);
        out += '/';
        appendTwoDigits(out, d.month());
        out += '/';
        appendTwoDigits(out, d.day());
    } else {
        const QTime t = stamp.time();
        appendTwoDigits(out, t.hour());
        out += ':';
        appendTwoDigits(out, t.minute());
        out += ':';
        appendTwoDigits(out, t.second());
    }
}

} // namespace

QString FormatExportValue(int Item, TTable &Table, const TExportContext &Context)
{
    if (Item < 0 || Item >= ExportItemCount)
        return {};
    return TExportItemReader(Table).Value(Item, Context);
}

TExportItemReader::TExportItemReader(TTable &Table)
{
    for (int i = 0; i < ExportItemCount; ++i)
        m_fields[i] = &Table.FieldByName(QLatin1StringView(kItems[i].Field));
    for (int i = 0; i < 6; ++i)
        m_joints[i] = &Table.FieldByName(QLatin1StringView(kJointFields[i]));
}

QString TExportItemReader::Value(int Item, const TExportContext &Context) const
{
    if (Item < 0 || Item >= ExportItemCount)
        return {};
    // The decoded names are wide text: they keep characters the code page
    // lacks until the line is written.
    switch (kItems[Item].Rule) {
    case TRule::Wide: return blankLineEnds(wide(*m_fields[Item]));
    case TRule::JointOwner: {
        const int owner = m_fields[Item]->AsInteger();
        return owner >= 0 && owner <= 5 ? blankLineEnds(wide(*m_joints[owner])) : QString();
    }
    default: {
        QByteArray bytes;
        AppendBytes(Item, Context, bytes);
        return Cp932::decode(bytes);
    }
    }
}

namespace {

QByteArrayView trimmedView(QByteArrayView bytes)
{
    qsizetype begin = 0;
    qsizetype end = bytes.size();
    while (begin < end && static_cast<unsigned char>(bytes[begin]) <= 0x20)
        ++begin;
    while (end > begin && static_cast<unsigned char>(bytes[end - 1]) <= 0x20)
        --end;
    return bytes.sliced(begin, end - begin);
}

const QByteArray &word(const char16_t *text)
{
    // The fixed words, encoded once each.
    static QHash<const char16_t *, QByteArray> words;
    auto it = words.find(text);
    if (it == words.end())
        it = words.insert(text, Cp932::encode(QStringView(text)));
    return *it;
}

} // namespace

void TExportItemReader::AppendName(const QString &Name, QByteArray &Out) const
{
    // The look-alikes the encoder maps are no loss; only a "?" is. A
    // character the code page lacks always leaves a "?" byte (never the
    // second byte of a pair), so only a name whose bytes hold one is looked
    // at character by character, to tell a typed "?" from a lost character.
    const QByteArray bytes = Cp932::encode(Name);
    if (bytes.contains('?') && !UnstorableCharList(Name).isEmpty())
        ++m_lossyNames;
    Out += bytes;
}

void BlankLineEnds(QByteArray &Out, qsizetype From)
{
    blankLineEndsIn(Out, From, ' ');
}

void TExportItemReader::AppendBytes(int Item, const TExportContext &Context, QByteArray &Out) const
{
    // A value stored with a line break (typed before the edits refused one,
    // or brought in by the import) would split the record's line.
    const qsizetype start = Out.size();
    AppendItemBytes(Item, Context, Out);
    BlankLineEnds(Out, start);
}

void TExportItemReader::AppendItemBytes(int Item, const TExportContext &Context, QByteArray &Out) const
{
    if (Item < 0 || Item >= ExportItemCount)
        return;
    const TItemRow &row = kItems[Item];
    const TField &f = *m_fields[Item];
    switch (row.Rule) {
    case TRule::RecNo: Out += QByteArray::number(f.AsInteger()); return;
    case TRule::Group: {
        // Stored values past the ten groups have no name: empty, as for 0.
        const int group = f.AsInteger();
        if (group >= 1 && group <= 10)
            Out += Cp932::encode(Context.GroupNames.value(group));
        return;
    }
    case TRule::Trim: Out += trimmedView(f.AsBytesView()); return;
    case TRule::Hyphen: {
        const QByteArrayView number = trimmedView(f.AsBytesView());
        if (!number.isEmpty() && hyphenSwitch(Item, Context.Format) && WqhypLoaded())
            Out += HyphenatePhoneNumber(number.toByteArray());
        else
            Out += number;
        return;
    }
    case TRule::TelDiv:
        if (f.AsInteger() == 3)
            Out += word(u"代表");
        return;
    case TRule::PubDate: {
        const QByteArrayView date = trimmedView(f.AsBytesView());
        if (!date.isEmpty()) {
            Out += date.first(qMin<qsizetype>(4, date.size()));
            Out += '/';
            if (date.size() > 4)
                Out += date.sliced(4, qMin<qsizetype>(2, date.size() - 4));
        }
        return;
    }
    case TRule::Pos: {
        const QByteArrayView pos = trimmedView(f.AsBytesView());
        if (hyphenSwitch(Item, Context.Format) && (pos.size() == 5 || pos.size() == 7)) {
            Out += pos.first(3);
            Out += '-';
            Out += pos.sliced(3);
        } else {
            Out += pos;
        }
        return;
    }
    case TRule::PrivCorp: Out += word(f.AsBoolean() ? u"個人" : u"会社"); return;
    case TRule::Wide: AppendName(wide(f), Out); return;
    case TRule::IgnoreName: Out += word(f.AsBoolean() ? u"印刷しない" : u"印刷する"); return;
    case TRule::JointOwner: {
        const int owner = f.AsInteger();
        if (owner >= 0 && owner <= 5)
            AppendName(wide(*m_joints[owner]), Out);
        return;
    }
    case TRule::Print:
        if (f.AsBoolean())
            Out += word(u"印刷");
        return;
    case TRule::PrintTarget:
        switch (f.AsInteger()) {
        case 0: Out += word(u"指定なし"); return;
        case 1: Out += word(u"印刷対象"); return;
        case 2: Out += word(u"印刷除外"); return;
        default: return;
        }
    case TRule::Sender: {
        const qint32 sender = f.AsInteger();
        if (sender <= 0)
            return;
        for (const auto &[title, recNo] : Context.Senders) {
            if (recNo == sender) {
                Out += Cp932::encode(title);
                return;
            }
        }
        return;
    }
    case TRule::Memo: {
        // A line of the file cannot hold a line break: the memo's lines are
        // joined by tabs, which the import splits again. A tab the memo
        // itself holds goes out as MemoTab, so it is not taken for a line
        // break when the file comes back.
        const QByteArrayView memo = f.AsBytesView();
        const qsizetype start = Out.size();
        // Lines end as the record form reads them: at CR LF, LF or a lone CR
        // (CP932 never has these bytes inside a double-byte character).
        for (qsizetype i = 0; i < memo.size(); ++i) {
            const char c = memo[i];
            if (c == '\r' || c == '\n') {
                Out += '\t';
                if (c == '\r' && i + 1 < memo.size() && memo[i + 1] == '\n')
                    ++i;
            } else {
                Out += c == '\t' ? MemoTab : c;
            }
        }
        // The TAB the import drops (MemoTab above): after an empty last line,
        // and behind blanks alone, which it would read as no memo.
        const QByteArrayView written = QByteArrayView(Out).sliced(start);
        if (written.endsWith('\t') ||
            (!written.isEmpty() && trimmedView(written).isEmpty() && !written.contains(MemoTab)))
            Out += '\t';
        return;
    }
    case TRule::SymbolColor: {
        const quint32 colour = static_cast<quint32>(f.AsInteger());
        for (int shift = 28; shift >= 0; shift -= 4)
            Out += "0123456789ABCDEF"[(colour >> shift) & 0xF];
        return;
    }
    case TRule::Date:
    case TRule::Time:
        if (m_stampField != &f) {
            m_stamp = f.AsDateTime();
            m_stampField = &f;
        }
        appendStamp(Out, m_stamp, row.Rule == TRule::Date);
        return;
    }
}
