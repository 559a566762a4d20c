// The customer barcode's address number over the whole postcode dictionary,
// run by hand: every town, typed as the dictionary writes it and in the
// writings people use for it, under its own postcode and under a postcode of
// another town of its city, in the shapes addresses come in. The number
// expected is put together from the parts the sweep wrote, never taken from
// the code. Too many cases for the test suites; they keep a table of its
// cases instead.
//
//   town_bars_sweep [--save FILE] [--before FILE] [--show N]
//
// --save writes one character a case ('1' right, '0' wrong), --before reads
// such a file of an earlier build and tells per shape which cases that were
// right are wrong now. The cases come in the same order on every run.
#include "editors/TownNames.h"
#include "items/BarRect.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>
#include <QRegularExpression>

#include <cstdio>
#include <map>

namespace {

struct TRow {
    QString Postcode;
    QString Prefecture;
    QString City;
    QString Town;
};

// The town rows of the jquery-jpostal-ja package the dictionary is built
// from; large offices' rows are left out.
QList<TRow> readRows(const QString &JsonDir)
{
    QList<TRow> rows;
    const QDir dir(JsonDir);
    for (const QString &name : dir.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name)) {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(file.fileName()));
            return {};
        }
        const QByteArray text = file.readAll();
        const qsizetype from = text.indexOf('('), to = text.lastIndexOf(')');
        if (from < 0 || to <= from)
            continue;
        for (const QJsonValue &value : QJsonDocument::fromJson(text.mid(from + 1, to - from - 1)).array()) {
            const QJsonArray row = value.toArray();
            const QString key = row.at(0).toString();
            if (key.size() != 8 || !key.startsWith(u'_') || !row.at(5).toString().isEmpty())
                continue;
            const QString town = row.at(3).toString();
            if (!town.isEmpty())
                rows.append({key.mid(1), row.at(1).toString(), row.at(2).toString(), town});
        }
    }
    return rows;
}

const QString KanjiDigits = QStringLiteral("〇一二三四五六七八九");

bool isKanjiNumeral(QChar c)
{
    return QStringView(u"〇一二三四五六七八九十百千").contains(c);
}

bool isDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'０' && c <= u'９');
}

// A number in kanji numerals with places: 258 is 二百五十八.
QString kanjiOf(int Value)
{
    QString text;
    const std::array<std::pair<int, QChar>, 3> places{{{1000, u'千'}, {100, u'百'}, {10, u'十'}}};
    for (const auto &[place, sign] : places) {
        const int n = Value / place % 10;
        if (n > 1)
            text += KanjiDigits.at(n);
        if (n > 0)
            text += sign;
    }
    if (Value % 10 > 0)
        text += KanjiDigits.at(Value % 10);
    return text;
}

// A kanji numeral run read as a number; -1 when it is none ("百千").
int kanjiValue(QStringView Run)
{
    const bool positional = std::none_of(Run.begin(), Run.end(), [](QChar c) { return QStringView(u"十百千").contains(c); });
    int total = 0, digit = -1, last = 10000;
    for (QChar c : Run) {
        const int place = c == u'十' ? 10 : c == u'百' ? 100 : c == u'千' ? 1000 : 0;
        if (positional) {
            total = total * 10 + int(KanjiDigits.indexOf(c));
        } else if (place > 0) {
            if (place >= last)
                return -1;
            last = place;
            total += (digit < 0 ? 1 : digit) * place;
            digit = -1;
        } else {
            if (digit >= 0)
                return -1;
            digit = int(KanjiDigits.indexOf(c));
        }
    }
    return positional ? total : total + std::max(digit, 0);
}

QString wide(const QString &Ascii)
{
    QString text;
    for (QChar c : Ascii)
        text += c == u'-' ? QChar(u'－') : c.unicode() < 0x7F ? QChar(c.unicode() + 0xFEE0) : c;
    return text;
}

// The name with its kanji numbers in digits, half or full width; the name
// itself when it has none.
QString inDigits(const QString &Name, bool Wide)
{
    QString text;
    for (qsizetype i = 0; i < Name.size();) {
        qsizetype j = i;
        while (j < Name.size() && isKanjiNumeral(Name[j]))
            ++j;
        if (j == i) {
            text += Name[i++];
            continue;
        }
        const int value = kanjiValue(QStringView(Name).mid(i, j - i));
        const QString digits = QString::number(value);
        text += value < 0 ? Name.mid(i, j - i) : Wide ? wide(digits) : digits;
        i = j;
    }
    return text;
}

// The writings people use for the same sound in a town's name: ノ, 之, の
// and 乃; ケ, ヶ, が, ガ and ヵ.
const std::array<QStringView, 2> Alike{u"ノ之の乃", u"ケヶがガヵ"};

// The town with each of these characters between two ideographs (三ノ輪,
// 霞ヶ関, not ケヤキ台) written another way of its group, Turn choosing which;
// the name itself when it has none.
QString variantOf(const QString &Town, int Turn)
{
    QString text = Town;
    for (qsizetype i = 1; i + 1 < text.size(); ++i)
        for (QStringView group : Alike)
            if (const qsizetype at = group.indexOf(text[i]);
                at >= 0 && Town[i - 1].script() == QChar::Script_Han && Town[i + 1].script() == QChar::Script_Han)
                text[i] = group[(at + 1 + Turn % (group.size() - 1)) % group.size()];
    return text;
}

// What is read as numbers in a building's name after the address number:
// digits, and kanji numerals before 丁目, 丁, 番地, 番, 号, 地割, 線, の or ノ.
QStringList buildingNumbers(const QString &Name)
{
    static const QRegularExpression number(
        QStringLiteral("([0-9０-９]+)|([〇一二三四五六七八九十百千]+)(?=丁|番|号|地割|線|の|ノ)"));
    QStringList numbers;
    for (auto it = number.globalMatch(Name); it.hasNext();) {
        const auto match = it.next();
        if (match.hasCaptured(1))
            numbers << QString::number(match.captured(1).normalized(QString::NormalizationForm_KC).toInt());
        else
            numbers << QString::number(kanjiValue(match.captured(2)));
    }
    return numbers;
}

struct TCase {
    QString Address;
    QString Number;
};

// The shapes: a lot before a building named after the town, a second such
// building, 地先, 番地, a blank or a hyphen after the lot, lot-lot-room, a
// room with a letter, and a Kyoto street designation before the town.
enum TShape { LotBuilding, SecondBuilding, Chisaki, Banchi, Blank, Hyphen, LotLotRoom, Letter, Kyoto, ShapeCount };
const std::array<const char *, ShapeCount> ShapeNames{"lot+building", "second building", "chisaki", "banchi",
                                                      "blank", "hyphen", "lot-lot-room", "letter room",
                                                      "kyoto street"};

// The number N written one of three ways: half-width, full-width digits, or
// kanji numerals (only before a marker, where they are a number).
QString numberText(int N, int Turn, bool Marked)
{
    const QString digits = QString::number(N);
    switch (Turn % 3) {
    case 0: return digits;
    case 1: return wide(digits);
    default: return Marked ? kanjiOf(N) : digits;
    }
}

// The addresses of one shape for a town written Spelling (Building the
// spelling its buildings are named with), N choosing the numbers and ways.
QList<TCase> casesOf(TShape Shape, const QString &Spelling, const QString &Building, int N, bool InKyoto,
                     bool OwnPostcode)
{
    // A town ending in a numeral is parted from the lot by a blank: "北13"
    // and "123" joined are no address anybody could read.
    QString town = Spelling;
    if (!town.isEmpty() && (isDigit(town.back()) || isKanjiNumeral(town.back())))
        town += u'　';
    const int lot = 1 + N % 997, second = 1 + N / 7 % 40, room = 101 + N % 9 * 100 + N % 7;
    const QString l = numberText(lot, N, false), m = numberText(second, N / 3, false), r = numberText(room, N / 5, false);
    const QString ln = QString::number(lot), mn = QString::number(second), rn = QString::number(room);
    const QString blank = N % 3 == 0 ? QStringLiteral("　") : N % 3 == 1 ? QStringLiteral(" ") : QString();
    // A building whose name starts with a numeral is parted from the lot by
    // a blank: "213一番堰荘" has no number anybody could tell.
    auto withBuilding = [&](const QString &Front, const QString &Name, const QString &Number) {
        QStringList parts{Number};
        parts << buildingNumbers(Name);
        const bool joined = !Front.isEmpty() && isDigit(Front.back()) && (isDigit(Name[0]) || isKanjiNumeral(Name[0]));
        return TCase{Front + (joined ? QStringLiteral("　") : QString()) + Name, parts.join(u'-')};
    };
    switch (Shape) {
    case LotBuilding: // 本町123本町荘201
        return {withBuilding(town + l, Building + QStringLiteral("荘") + r, ln)};
    case SecondBuilding: // 西橘町909西橘町ハイツ　西橘町ビル１０Ｆ
        return {withBuilding(town + l,
                             Building + QStringLiteral("ハイツ") + blank + Building + QStringLiteral("ビル") + m
                                 + (N % 2 ? QStringLiteral("Ｆ") : QStringLiteral("F")),
                             ln)};
    case Chisaki: // 中央34地先 中央ハイツ104
        return {withBuilding(town + l + QStringLiteral("地先") + blank, Building + QStringLiteral("ハイツ") + r, ln)};
    case Banchi: // 本町123番地 本町ハイツ201
        return {withBuilding(town + numberText(lot, N, true) + QStringLiteral("番地") + blank,
                             Building + QStringLiteral("ハイツ") + r, ln)};
    case Blank: // 本町123 本町ハイツ201
        return {withBuilding(town + l + (blank.isEmpty() ? QStringLiteral(" ") : blank),
                             Building + QStringLiteral("ハイツ") + r, ln)};
    case Hyphen: // 本町123-4本町ハイツ201
        return {withBuilding(town + l + (N % 2 ? QStringLiteral("－") : QStringLiteral("-")) + m,
                             Building + QStringLiteral("ハイツ") + r, ln + u'-' + mn)};
    case LotLotRoom: // 本町123-4-201
        return {{town + l + QStringLiteral("-") + m + QStringLiteral("-") + r, ln + u'-' + mn + u'-' + rn}};
    case Letter: { // 中ノ町７３１中ノ町コーポ / サンハイムＤ－２００８: a letter joins its neighbours
        const QChar letter(u'A' + N % 26);
        const QString name = Building + QStringLiteral("コーポ / サンハイム");
        QStringList parts{ln};
        parts << buildingNumbers(name);
        const bool joined = isDigit(Building[0]) || isKanjiNumeral(Building[0]);
        return {{town + l + (joined ? QStringLiteral("　") : QString()) + name + wide(QString(letter)) + QStringLiteral("－") + r,
                 parts.join(u'-') + letter + rn}};
    }
    case Kyoto: {
        if (!InKyoto)
            return {};
        static const QStringList streets{QStringLiteral("東洞院通四条"), QStringLiteral("大宮三条"),
                                         QStringLiteral("新町通七条"),   QStringLiteral("堀川通寺之内"),
                                         QStringLiteral("河原町通り五条"), QStringLiteral("室町通二条")};
        static const QStringList ways{QStringLiteral("上ル"), QStringLiteral("下がる"), QStringLiteral("東入"),
                                      QStringLiteral("西入る"), QStringLiteral("上る"), QStringLiteral("下ル")};
        // Counts of blocks or side streets go with the town's own postcode:
        // under another the town is not found and nothing tells them apart
        // from the lot.
        static const QStringList counts{QString(), QStringLiteral("2丁目"), QStringLiteral("二筋目東入"),
                                        QStringLiteral("３丁目")};
        QString street = streets[N % streets.size()];
        if (N / 2 % 3 == 1)
            street = inDigits(street, false);
        else if (N / 2 % 3 == 2)
            street = inDigits(street, true);
        const QString count = OwnPostcode ? counts[N / 5 % counts.size()] : QString();
        const QString front = street + ways[N / 3 % ways.size()] + count + blank + town;
        QList<TCase> cases{{front + l + QStringLiteral("-") + m, ln + u'-' + mn},
                           withBuilding(front + l, Building + QStringLiteral("ビル"), ln)};
        return cases;
    }
    default: return {};
    }
}

} // namespace

int main(int argc, char **argv)
{
    QString saveTo, before;
    int show = 10;
    for (int i = 1; i + 1 < argc; i += 2) {
        const QString option = QString::fromLocal8Bit(argv[i]);
        if (option == QLatin1String("--save"))
            saveTo = QString::fromLocal8Bit(argv[i + 1]);
        else if (option == QLatin1String("--before"))
            before = QString::fromLocal8Bit(argv[i + 1]);
        else if (option == QLatin1String("--show"))
            show = QString::fromLocal8Bit(argv[i + 1]).toInt();
    }
    const QList<TRow> rows = readRows(QStringLiteral(MURVEN_DIC_SOURCE_DIR "/jquery-jpostal-ja/json"));
    if (rows.isEmpty()) {
        std::fprintf(stderr, "no dictionary rows\n");
        return 1;
    }
    const TTownNameLookup towns = DictionaryTownNames(QStringLiteral(MURVEN_DIC_LIB_DIR), QStringLiteral(MURVEN_DIC_FULL_DIR));
    QByteArray earlier;
    if (!before.isEmpty()) {
        QFile file(before);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(before));
            return 1;
        }
        earlier = file.readAll();
    }

    static const QRegularExpression numeral(QStringLiteral("[〇一二三四五六七八九十百千0-9０-９]"));
    static const QRegularExpression odd(QStringLiteral("[A-Za-zＡ-Ｚａ-ｚ（）()、「」〜～・]"));
    struct TTally {
        qint64 Cases = 0, WrongBefore = 0, WrongAfter = 0, Broken = 0, Mended = 0;
        QStringList Wrong, BrokenCases;
    };
    // Per shape, and per way of typing (dictionary, variant, digits) and
    // postcode (own, other) within it.
    std::map<QString, TTally> tallies;
    QByteArray results;
    results.reserve(8 << 20);
    qint64 calls = 0;
    qint64 nanoseconds = 0;
    int towns_ = 0;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const TRow &row = rows[i];
        if (row.Town.contains(odd))
            continue;
        const TPostcodeTowns own = towns(row.Postcode);
        if (!own.Towns.contains(row.Town))
            continue;
        ++towns_;
        // A neighbouring postcode of the same city that does not list the town.
        QStringList other;
        for (qsizetype k = i + 1; k < rows.size() && k < i + 40 && other.isEmpty(); ++k)
            if (rows[k].City == row.City && rows[k].Postcode != row.Postcode) {
                const TPostcodeTowns t = towns(rows[k].Postcode);
                if (!t.Towns.contains(row.Town) && !t.Towns.isEmpty())
                    other = t.Towns;
            }
        const bool kyoto = row.Prefecture == QStringLiteral("京都府") && row.City.startsWith(QStringLiteral("京都市"));
        const bool hasNumeral = row.Town.contains(numeral);
        struct TSpelling {
            const char *Way;
            QString Text;
        };
        QList<TSpelling> spellings{{"dictionary", row.Town}};
        if (const QString v = variantOf(row.Town, int(i)); v != row.Town)
            spellings.append({"variant", v});
        if (hasNumeral)
            if (const QString d = inDigits(row.Town, i % 2 == 1); d != row.Town)
                spellings.append({"digits", d});
        const QString front = (i % 2 == 0 ? row.Prefecture : QString()) + row.City;
        for (const TSpelling &spelling : spellings) {
            // A building is named after the town as it is typed, its
            // numerals in kanji: digits there would be read as numbers.
            const QString building = QString::fromLatin1(spelling.Way) == QLatin1String("digits") ? row.Town : spelling.Text;
            for (int postcode = 0; postcode < 2; ++postcode) {
                // Under another town's postcode the town is not found, so a
                // town with numerals of its own has no number anyone could
                // tell.
                if (postcode == 1 && (other.isEmpty() || hasNumeral))
                    continue;
                const QStringList &names = postcode == 0 ? own.Towns : other;
                for (int shape = 0; shape < ShapeCount; ++shape) {
                    const int n = int(i * 7 + shape * 3 + postcode);
                    for (const TCase &c : casesOf(TShape(shape), spelling.Text, building, n, kyoto, postcode == 0)) {
                        const QString address = front + c.Address;
                        QElapsedTimer timer;
                        timer.start();
                        const QString got = AddressNumberOf(address, names);
                        nanoseconds += timer.nsecsElapsed();
                        ++calls;
                        const bool right = got == c.Number;
                        const qsizetype index = results.size();
                        results.append(right ? '1' : '0');
                        const QString key = QString::fromLatin1(ShapeNames[size_t(shape)]) + u'\t'
                                            + QLatin1String(spelling.Way) + u'\t'
                                            + (postcode == 0 ? QLatin1String("own") : QLatin1String("other"));
                        for (const QString &k : {QString::fromLatin1(ShapeNames[size_t(shape)]), key}) {
                            TTally &t = tallies[k];
                            ++t.Cases;
                            const QString line = row.Postcode + u' ' + address + QStringLiteral(": ") + got
                                                 + QStringLiteral(" for ") + c.Number;
                            if (!right) {
                                ++t.WrongAfter;
                                if (t.Wrong.size() < show)
                                    t.Wrong << line;
                            }
                            if (index < earlier.size()) {
                                const bool wasRight = earlier[index] == '1';
                                t.WrongBefore += wasRight ? 0 : 1;
                                if (wasRight && !right) {
                                    ++t.Broken;
                                    if (t.BrokenCases.size() < show)
                                        t.BrokenCases << line;
                                }
                                if (!wasRight && right)
                                    ++t.Mended;
                            }
                        }
                    }
                }
            }
        }
    }
    if (!earlier.isEmpty() && earlier.size() != results.size())
        std::printf("the earlier run has %lld cases, this one %lld: compared where both have one\n",
                    qint64(earlier.size()), qint64(results.size()));
    std::printf("%d towns, %lld cases, %.2f us a call\n", towns_, calls, double(nanoseconds) / 1000.0 / double(calls));
    std::printf("shape\tway\tpostcode\tcases\twrong before\twrong after\tright before, wrong after\twrong before, "
                "right after\n");
    qint64 broken = 0;
    for (const auto &[key, t] : tallies) {
        std::printf("%s\t%lld\t%s\t%lld\t%lld\t%lld\n", qPrintable(key.count(u'\t') ? key : key + QStringLiteral("\t*\t*")),
                    t.Cases, earlier.isEmpty() ? "-" : qPrintable(QString::number(t.WrongBefore)), t.WrongAfter,
                    t.Broken, t.Mended);
        if (!key.contains(u'\t'))
            broken += t.Broken;
    }
    for (const auto &[key, t] : tallies) {
        if (key.contains(u'\t'))
            continue;
        for (const QString &line : t.BrokenCases)
            std::printf("BROKEN %s: %s\n", qPrintable(key), qPrintable(line));
        for (const QString &line : t.Wrong)
            std::printf("WRONG %s: %s\n", qPrintable(key), qPrintable(line));
    }
    if (!saveTo.isEmpty()) {
        QFile file(saveTo);
        if (!file.open(QIODevice::WriteOnly) || file.write(results) != results.size() || !file.flush()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(saveTo));
            return 1;
        }
    }
    return broken == 0 ? 0 : 2;
}
