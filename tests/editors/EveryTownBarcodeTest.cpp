// The customer barcode's address number over the whole postcode dictionary:
// every town whose name holds a numeral, and every town of Kyoto behind a
// street designation, written into addresses with a number the test knows,
// the ways people write them. The expected number is the one the test wrote
// (Japan Post reads what follows the town), never one the code worked out.
// The rule runs on every address; a sample is printed to PDF and its bars
// read back.
#include "DicSources.h"
#include "EditorsFixture.h"
#include "editors/PrintLoop.h"
#include "editors/TownNames.h"
#include "items/BarRect.h"
#include "support/PostBars.h"

#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <map>

namespace {

bool isKanjiNumeral(QChar c)
{
    return QStringView(u"〇一二三四五六七八九十百千").contains(c);
}

bool isDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'０' && c <= u'９');
}

int digitValue(QChar c)
{
    if (c >= u'０' && c <= u'９')
        return c.unicode() - u'０';
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    return int(QStringView(u"〇一二三四五六七八九").indexOf(c));
}

// A run of kanji numerals read as a number: with 十, 百 and 千 as places
// ("二百五十八"), without them digit by digit ("七五三").
int kanjiValue(QStringView Run)
{
    static const std::map<char16_t, int> places{{u'十', 10}, {u'百', 100}, {u'千', 1000}};
    const bool positional =
        std::none_of(Run.begin(), Run.end(), [](QChar c) { return places.count(c.unicode()) > 0; });
    int total = 0;
    int digit = -1;
    for (QChar c : Run) {
        if (positional) {
            total = total * 10 + digitValue(c);
        } else if (const auto place = places.find(c.unicode()); place != places.end()) {
            total += (digit < 0 ? 1 : digit) * place->second;
            digit = -1;
        } else {
            digit = digitValue(c);
        }
    }
    return positional ? total : total + std::max(digit, 0);
}

// A number in kanji numerals, with places: 258 is 二百五十八, 12 十二.
QString kanjiOf(int Value)
{
    static const QString digits = QStringLiteral("〇一二三四五六七八九");
    if (Value == 0)
        return digits.left(1);
    QString text;
    const std::array<std::pair<int, QChar>, 3> places{{{1000, u'千'}, {100, u'百'}, {10, u'十'}}};
    for (const auto &[place, sign] : places) {
        const int n = Value / place % 10;
        if (n > 1)
            text += digits.at(n);
        if (n > 0)
            text += sign;
    }
    if (Value % 10 > 0)
        text += digits.at(Value % 10);
    return Value >= 10000 ? QString() : text;
}

QString fullWidth(const QString &Ascii)
{
    QString wide;
    for (QChar c : Ascii)
        wide += c == u'-' ? QChar(u'－') : c.unicode() < 0x7F ? QChar(c.unicode() + 0xFEE0) : c;
    return wide;
}

// The numeral runs of a name, each kanji and each digit run read by value.
struct TNumeralRun {
    qsizetype Start;
    qsizetype End;
    int Value;
};

QList<TNumeralRun> numeralRuns(const QString &Name)
{
    QList<TNumeralRun> runs;
    for (qsizetype i = 0; i < Name.size();) {
        const bool kanji = isKanjiNumeral(Name[i]);
        if (!kanji && !isDigit(Name[i])) {
            ++i;
            continue;
        }
        qsizetype j = i;
        int value = 0;
        while (j < Name.size() && (kanji ? isKanjiNumeral(Name[j]) : isDigit(Name[j])))
            value = value * 10 + digitValue(Name[j++]);
        runs.append({i, j, kanji ? kanjiValue(QStringView(Name).mid(i, j - i)) : value});
        i = j;
    }
    return runs;
}

// Whether a kanji run is a number, not a name that is no number ("百千"):
// 千, 百 and 十 in that order, one digit at most before each.
bool isKanjiNumber(QStringView Run)
{
    static const QString places = QStringLiteral("十百千");
    int last = 4;
    bool digit = false;
    for (QChar c : Run) {
        const int place = int(places.indexOf(c)) + 1;
        if (place == 0) {
            if (digit && last < 4)
                return false;
            digit = true;
        } else {
            if (place >= last)
                return false;
            last = place;
            digit = false;
        }
    }
    return true;
}

// The name with each numeral in digits, half or full width.
QString inDigits(const QString &Name, bool Wide)
{
    QString text;
    qsizetype at = 0;
    for (const TNumeralRun &run : numeralRuns(Name)) {
        if (isKanjiNumeral(Name[run.Start]) && !isKanjiNumber(QStringView(Name).mid(run.Start, run.End - run.Start)))
            continue;
        text += Name.mid(at, run.Start - at);
        const QString digits = QString::number(run.Value);
        text += Wide ? fullWidth(digits) : digits;
        at = run.End;
    }
    return text + Name.mid(at);
}

// What Japan Post reads as numbers in a building's name after the address
// number: digits, and kanji numerals before 丁目, 丁, 番地, 番, 号, 地割, 線, の
// or ノ.
QStringList buildingNumbers(const QString &Name)
{
    static const QRegularExpression number(
        QStringLiteral("([0-9０-９]+)|([〇一二三四五六七八九十百千]+)(?=丁|番|号|地割|線|の|ノ)"));
    QStringList numbers;
    for (auto it = number.globalMatch(Name); it.hasNext();) {
        const auto match = it.next();
        numbers << (match.hasCaptured(1) ? QString::number(numeralRuns(match.captured(1)).value(0).Value)
                                         : QString::number(kanjiValue(match.captured(2))));
    }
    return numbers;
}

// One address number written one way, and the number it is.
struct TWriting {
    QString Text;
    QString Number;
};

// The ways people write the parts of a number (block, lot, house).
QList<TWriting> writingsOf(const QList<int> &Parts)
{
    QStringList digits;
    QString kanji, marked;
    static const std::array<std::array<QStringView, 3>, 3> markers{
        {{u"番地", u"", u""}, {u"番", u"号", u""}, {u"丁目", u"番", u"号"}}};
    const auto &mark = markers[size_t(std::clamp<qsizetype>(Parts.size(), 1, 3) - 1)];
    bool kanjiWritten = true;
    for (qsizetype i = 0; i < Parts.size(); ++i) {
        digits << QString::number(Parts[i]);
        const QString k = kanjiOf(Parts[i]);
        kanjiWritten = kanjiWritten && !k.isEmpty();
        kanji += k + mark[size_t(i)].toString();
        marked += QString::number(Parts[i]) + mark[size_t(i)].toString();
    }
    const QString number = digits.join(u'-');
    QList<TWriting> writings{{number, number}, {fullWidth(number), number}};
    if (kanjiWritten)
        writings.append({kanji, number});
    // "12番地3": the last part after 番地 without a marker of its own.
    if (Parts.size() == 2)
        writings.append({digits[0] + QStringLiteral("番地") + digits[1], number});
    else
        writings.append({marked, number});
    return writings;
}

// An address made by the test and the number it knows the address holds:
// Front (prefecture and city) and Rest (town and what follows).
struct TMade {
    QString Front;
    QString Rest;
    QString Number;
    QString address() const { return Front + Rest; }
};

// The addresses written for a town. Every town gets the number right after
// it in every writing, and the number after a blank or right after the town
// written with its numerals in digits, the writings taken in turn (Variant)
// so that each way meets thousands of towns; a number made of the town's
// own numerals; a building named after the town after the number. A town
// ending in a numeral gets every way, and numbers starting with the digits
// of that numeral.
QList<TMade> addressesOf(const TDicSourceRow &Row, int Variant)
{
    QList<TMade> made;
    const QString &town = Row.Town;
    // The prefecture is written on some addresses and left out on others.
    const QString front = (Variant % 2 == 0 ? Row.Prefecture : QString()) + Row.City;
    const QList<TNumeralRun> runs = numeralRuns(town);
    const bool endsInANumeral = !runs.isEmpty() && runs.back().End == town.size();
    QStringList spellings{town};
    for (bool wide : {false, true})
        if (const QString s = inDigits(town, wide); !spellings.contains(s))
            spellings << s;
    const QList<QString> blanks{QString(), QStringLiteral(" "), QStringLiteral("　")};
    auto add = [&](const QString &Spelling, const QString &Blank, const TWriting &Writing) {
        // A town the address writes otherwise than the dictionary, ending in
        // a numeral of the kind the number starts with, needs a blank: "北13"
        // and "12番地" joined are no address anybody could read.
        if (Spelling != town && Blank.isEmpty() && !Spelling.isEmpty() && !Writing.Text.isEmpty()) {
            const QChar last = Spelling.back(), first = Writing.Text.front();
            if ((isDigit(last) && isDigit(first)) || (isKanjiNumeral(last) && isKanjiNumeral(first)))
                return;
        }
        made.append({front, Spelling + Blank + Writing.Text, Writing.Number});
    };
    // Every way, or one writing a spelling and blank in turn.
    auto addWays = [&](const QList<TWriting> &Writings, bool Every) {
        int turn = Variant;
        for (const QString &spelling : spellings)
            for (const QString &blank : blanks) {
                if (Every) {
                    for (const TWriting &writing : Writings)
                        add(spelling, blank, writing);
                } else {
                    add(spelling, blank, Writings[turn++ % Writings.size()]);
                }
            }
    };
    const QList<TWriting> plain = writingsOf({3, 2, 5});
    for (const TWriting &writing : plain)
        add(town, QString(), writing);
    addWays(plain, endsInANumeral);
    // Numbers made of the town's own numerals: "十二 12番地", "北十条西10-1".
    for (const TNumeralRun &run : runs) {
        const QList<TWriting> own = writingsOf({run.Value, 1});
        if (endsInANumeral)
            addWays(own, true);
        else
            add(town, blanks[Variant % 3], own[Variant % own.size()]);
    }
    // A number starting with the digits of the town's last numeral: "二258".
    if (endsInANumeral) {
        addWays(writingsOf({QString::number(runs.back().Value).append(QStringLiteral("58")).toInt()}), true);
        addWays(writingsOf({runs.back().Value}), true);
    }
    // A building named after the town, after the number.
    static const QRegularExpression latin(QStringLiteral("[A-Za-zＡ-Ｚａ-ｚ]"));
    if (!town.contains(latin)) {
        const QString building = town + QStringLiteral("ハイツ101");
        QStringList number{QStringLiteral("3-2-5")};
        number << buildingNumbers(building);
        made.append({front, town + QStringLiteral("3-2-5 ") + building, number.join(u'-')});
    }
    return made;
}

// How the numeral of a street's name is written (四条, 4条, ４条).
enum class TStreetNumeral { Kanji, Digits };

bool holdsANumeral(const QString &Text)
{
    static const QRegularExpression numeral(QStringLiteral("[〇一二三四五六七八九十百千0-9０-９]"));
    return Text.contains(numeral);
}

// A street of Names taken in turn (Turn), as a writing of Numeral: with
// Digits only the streets numbered by their 条, the numeral written in
// digits, half and full width in turn, and 通 written 通り on every other
// turn as well ("河原町通り７条").
QString streetOf(const QStringList &Names, int Turn, TStreetNumeral Numeral)
{
    if (Numeral == TStreetNumeral::Kanji)
        return Names[Turn % Names.size()];
    static const QRegularExpression numbering(QStringLiteral("[一二三四五六七八九十]+条"));
    QStringList numbered;
    for (const QString &name : Names)
        if (name.contains(numbering))
            numbered << name;
    QString street = inDigits(numbered[Turn % numbered.size()], Turn / 2 % 2 == 1);
    if (Turn / 3 % 2 == 1)
        street.replace(u'通', QStringLiteral("通り"));
    return street;
}

// Kyoto's street designations: a street, the crossing street or a side, a
// direction and at times a block number, all before the town; the streets'
// numerals written as Numeral tells.
QList<TMade> kyotoAddressesOf(const TDicSourceRow &Row, int Variant, TStreetNumeral Numeral)
{
    static const QStringList streets{
        QStringLiteral("堀川通寺之内"), QStringLiteral("四条通寺町"),   QStringLiteral("烏丸通御池"),
        QStringLiteral("河原町通三条"), QStringLiteral("新町通四条"),   QStringLiteral("千本通今出川"),
        QStringLiteral("大宮通五条"),   QStringLiteral("東洞院通七条"), QStringLiteral("御幸町通二条"),
        QStringLiteral("新町四条"),     QStringLiteral("四条通東洞院"), QStringLiteral("河原町通七条")};
    static const QStringList ways{QStringLiteral("上る"),   QStringLiteral("下る"),   QStringLiteral("東入"),
                                  QStringLiteral("西入"),   QStringLiteral("上ル"),   QStringLiteral("下ル"),
                                  QStringLiteral("東入ル"), QStringLiteral("西入る"), QStringLiteral("上がる"),
                                  QStringLiteral("下がる")};
    static const QStringList blocks{QString(), QStringLiteral("4丁目"), QStringLiteral("四丁目"),
                                    QStringLiteral("２丁目")};
    static const QStringList blanks{QString(), QStringLiteral(" "), QStringLiteral("　")};
    QList<TMade> made;
    const QString front = (Variant % 2 == 0 ? Row.Prefecture : QString()) + Row.City;
    const QList<TWriting> numbers{{QStringLiteral("1番地の1"), QStringLiteral("1-1")},
                                  {QStringLiteral("35"), QStringLiteral("35")},
                                  {QStringLiteral("　三十五番地"), QStringLiteral("35")},
                                  {QStringLiteral("１２３－４"), QStringLiteral("123-4")},
                                  {QStringLiteral("650"), QStringLiteral("650")},
                                  {QStringLiteral("３２９－２８"), QStringLiteral("329-28")}};
    for (int k = 0; k < 4; ++k) {
        const int n = Variant + k;
        const QString street = streetOf(streets, n, Numeral) + ways[(n / 3) % ways.size()]
                               + blocks[(n / 2) % blocks.size()] + blanks[n / 5 % blanks.size()];
        const TWriting &number = numbers[(Variant % 3 + k) % numbers.size()];
        made.append({front, street + Row.Town + number.Text, number.Number});
    }
    return made;
}

// A number written in kanji numerals (Writing 0), full-width (1) or
// half-width digits (2).
QString numeralIn(int Value, int Writing)
{
    const QString digits = QString::number(Value);
    return Writing == 0 ? kanjiOf(Value) : Writing == 1 ? fullWidth(digits) : digits;
}

// Kyoto's street designations that hold numbers of their own, before the
// town: the side streets passed (2筋目), the blocks (二丁目), the ways to go
// and the sides of the street, their numbers in kanji numerals and in digits
// of both widths. Each town gets eight, the shapes, ways and writings taken
// in turn; a town whose own name holds a numeral (三番町, 六丁目) gets every
// shape in every writing, its name also in digits.
QList<TMade> kyotoDesignatedAddressesOf(const TDicSourceRow &Row, int Variant, TStreetNumeral Numeral)
{
    static const QStringList streets{QStringLiteral("室町通三条"),     QStringLiteral("室町三条"),
                                     QStringLiteral("室町通り姉小路"), QStringLiteral("東洞院通九条"),
                                     QStringLiteral("河原町通三条"),   QStringLiteral("寺町通今出川"),
                                     QStringLiteral("堀川通寺之内"),   QStringLiteral("四条通寺町"),
                                     QStringLiteral("東洞院通四条")};
    static const QStringList ways{QStringLiteral("上る"),   QStringLiteral("下る"),   QStringLiteral("上ル"),
                                  QStringLiteral("下ル"),   QStringLiteral("東入"),   QStringLiteral("西入"),
                                  QStringLiteral("東入ル"), QStringLiteral("西入ル"), QStringLiteral("西入る"),
                                  QStringLiteral("東入る"), QStringLiteral("上がる"), QStringLiteral("下がる")};
    static const QStringList sides{QStringLiteral("南側"), QStringLiteral("北側")};
    // S a street and its crossing, W, V and U ways, N and M numbers, D a side.
    static const QStringList shapes{
        QStringLiteral("SWN筋目V"),                   // 室町三条上る2筋目東入ル
        QStringLiteral("SWN丁目V"),                   // 河原町通三条下ル二丁目東入
        QStringLiteral("SWN丁目D"),                   // 寺町通今出川上る二丁目南側
        QStringLiteral("SWN丁目VM筋目U"),             // 寺町通今出川上る一丁目西入三筋目上る
        QStringLiteral("T南裏N筋目白川筋VM丁目D"), // 三条通南裏二筋目白川筋西入二丁目南側
        QStringLiteral("SWN筋目VM丁目"),
        QStringLiteral("SWN筋目VD"),
        QStringLiteral("SWN筋目"),
        QStringLiteral("SWN丁目"),
        QStringLiteral("SWD"),
    };
    static const QList<TWriting> numbers{{QStringLiteral("337番地"), QStringLiteral("337")},
                                         {QStringLiteral("３３７"), QStringLiteral("337")},
                                         {QStringLiteral(" ９８２－２３"), QStringLiteral("982-23")},
                                         {QStringLiteral("933番地一号"), QStringLiteral("933-1")},
                                         {QStringLiteral("5"), QStringLiteral("5")},
                                         {QStringLiteral("1番地の1"), QStringLiteral("1-1")},
                                         {QStringLiteral("　三十五番地"), QStringLiteral("35")}};
    static const QStringList blanks{QString(), QStringLiteral(" "), QStringLiteral("　")};
    const QString front = (Variant % 2 == 0 ? Row.Prefecture : QString()) + Row.City;
    QStringList spellings{Row.Town};
    const bool ownNumeral = holdsANumeral(Row.Town);
    if (ownNumeral)
        for (bool wide : {false, true})
            if (const QString s = inDigits(Row.Town, wide); !spellings.contains(s))
                spellings << s;
    const int count = ownNumeral ? int(shapes.size()) * 3 : 8;
    QList<TMade> made;
    for (const QString &town : spellings) {
        for (int k = 0; k < count; ++k) {
            const int n = Variant * count + k;
            const int writing = ownNumeral ? k / int(shapes.size()) : n / int(shapes.size()) % 3;
            QString designation;
            for (QChar c : shapes[n % shapes.size()]) {
                switch (c.unicode()) {
                case u'S': designation += streetOf(streets, n, Numeral); break;
                case u'T': designation += streetOf({QStringLiteral("三条通")}, n, Numeral); break;
                case u'W': designation += ways[n / 3 % ways.size()]; break;
                case u'V': designation += ways[n / 7 % ways.size()]; break;
                case u'U': designation += ways[n / 11 % ways.size()]; break;
                case u'N': designation += numeralIn(1 + n / 13 % 4, writing); break;
                case u'M': designation += numeralIn(1 + n / 17 % 4, (writing + n / 19) % 3); break;
                case u'D': designation += sides[n / 5 % sides.size()]; break;
                default: designation += c;
                }
            }
            const TWriting &number = numbers[n / 23 % numbers.size()];
            made.append({front, designation + blanks[n / 29 % blanks.size()] + town + number.Text, number.Number});
        }
    }
    return made;
}

bool isKyotoCity(const TDicSourceRow &Row)
{
    return Row.Prefecture == QStringLiteral("京都府") && Row.City.startsWith(QStringLiteral("京都市"));
}

// Area (in dots at Dpi) of every page of a PDF file as pdftoppm renders it:
// the bars alone, so that a sample of many pages renders in little time.
QList<QImage> renderPdfArea(const QString &Pdf, int Dpi, const QRect &Area)
{
    QList<QImage> pages;
    QTemporaryDir out;
    QProcess render;
    render.start(QStandardPaths::findExecutable(QStringLiteral("pdftoppm")),
                 {QStringLiteral("-r"), QString::number(Dpi), QStringLiteral("-x"), QString::number(Area.x()),
                  QStringLiteral("-y"), QString::number(Area.y()), QStringLiteral("-W"), QString::number(Area.width()),
                  QStringLiteral("-H"), QString::number(Area.height()), QStringLiteral("-gray"), Pdf,
                  out.filePath(QStringLiteral("page"))});
    if (!out.isValid() || !render.waitForFinished(60000) || render.exitCode() != 0)
        return pages;
    for (const QString &name : QDir(out.path()).entryList({QStringLiteral("page*")}, QDir::Files, QDir::Name))
        pages.append(QImage(out.filePath(name)).convertToFormat(QImage::Format_RGB32));
    return pages;
}

struct TChecked {
    TDicSourceRow Row;
    TMade Made;
};

class EveryTownBarcode : public ::testing::Test
{
protected:
    void SetUp() override
    {
        towns = DictionaryTownNames(QStringLiteral(MURVEN_DIC_LIB_DIR), QStringLiteral(MURVEN_DIC_FULL_DIR));
    }

    // Checks every address made of the rows chosen: the dictionary gives the
    // town for the postcode, and the number read is the one written.
    // Returns the addresses checked.
    template <typename Choose, typename Make>
    QList<TChecked> checkRows(Choose chosen, Make make, int MinimumTowns)
    {
        QList<TChecked> checked;
        QStringList wrong;
        int rows = 0;
        for (const TDicSourceRow &row : dicSourceRows(nullptr)) {
            if (row.Office || row.Town.isEmpty() || !chosen(row))
                continue;
            const TPostcodeTowns found = towns(row.Postcode);
            if (!found.Towns.contains(row.Town)) {
                wrong << row.Postcode + u' ' + row.Town + QStringLiteral(": the dictionary gives ")
                             + found.Towns.join(u',');
                continue;
            }
            for (const TMade &made : make(row, rows)) {
                const QString number = AddressNumberOf(made.address(), found.Towns);
                if (number != made.Number)
                    wrong << row.Postcode + u' ' + made.address() + QStringLiteral(": ") + number
                                 + QStringLiteral(" for ") + made.Number;
                checked.append({row, made});
            }
            ++rows;
        }
        EXPECT_GE(rows, MinimumTowns);
        EXPECT_TRUE(wrong.isEmpty()) << wrong.size() << " of " << checked.size() << " wrong:\n"
                                     << qPrintable(wrong.mid(0, 40).join(u'\n'));
        return checked;
    }

    // Prints the addresses Sample as postcards to one PDF through the print
    // loop and reads each page's bars back.
    void printAndRead(const QList<TChecked> &Sample)
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
            GTEST_SKIP() << "pdftoppm is not installed";
        SampleBook book;
        QList<qint32> numbers;
        for (const TChecked &c : Sample) {
            book.table.Append();
            // The city on the first line, the town and its number on the
            // second, as the record form's fields hold them.
            auto set = [&book](const char *Field, const QString &Text) {
                book.table.FieldByName(QString::fromLatin1(Field)).SetAsBytes(Cp932::encode(Text));
            };
            set("Pos", c.Row.Postcode);
            set("Tdfkn", c.Made.Front.startsWith(c.Row.Prefecture) ? c.Row.Prefecture : QString());
            set("Adrs1", c.Row.City);
            set("Adrs2", c.Made.Rest);
            set("NameKanji", QStringLiteral("山田 太郎"));
            book.table.FieldByName(QStringLiteral("PrivCorp")).SetAsBoolean(true);
            book.table.Post();
            numbers << qint32(4 + numbers.size());
        }
        TLayoutDocument layout;
        loadLayout(layout, 0, TLayoutKind::AddressSide);
        layout.TownNames = towns;
        QTemporaryDir out;
        const QString pdf = out.filePath(QStringLiteral("run.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setResolution(600);
        printer.setFullPage(true);
        SetupPrinterPage(printer, layout);
        TPrintLoop loop(layout, TableRecordSource(book.table));
        QString error;
        ASSERT_TRUE(loop.Run(printer, numbers, {}, &error)) << qPrintable(error);
        const TBarcodeRect *bar = nullptr;
        for (const auto &item : layout.Items)
            if (auto *b = dynamic_cast<const TBarcodeRect *>(item.get()))
                bar = b;
        ASSERT_NE(bar, nullptr);
        constexpr int dpi = 400;
        const TPageRect r = bar->GetRect();
        auto d = [](int px) { return PageToDots(TPagePx(px), dpi); };
        const QRect area =
            QRect(QPoint(d(r.Left), d(r.Top)), QPoint(d(r.Right) - 1, d(r.Bottom) - 1)).adjusted(-6, -6, 6, 6);
        const QList<QImage> pages = renderPdfArea(pdf, dpi, area);
        ASSERT_EQ(pages.size(), Sample.size());
        for (qsizetype p = 0; p < pages.size(); ++p) {
            const TChecked &c = Sample[p];
            const TReadPostBars read = readPostBars(barsInImage(pages[p], pages[p].rect()));
            EXPECT_TRUE(read.Valid) << qPrintable(c.Made.address()) << ": " << qPrintable(read.Error);
            EXPECT_EQ(read.Text, c.Row.Postcode + c.Made.Number) << qPrintable(c.Made.address());
        }
    }

    TTownNameLookup towns;
};

// Addresses under their postcodes, the towns from the dictionary: the lot
// typed right before a building's or a place's name is the number where the
// town is not found (櫻畠 for the dictionary's 桜畠, 本町 under another
// town's postcode) and where a building after it bears the town's name,
// even a name a street could bear (東３４条北, 条南町); a
// town typed in another writing (中ノ町, 上二ノ宮町, 山之元町) is found, so a
// street designation's counts stay out of the number. The same shapes over
// every town are the sweep tests/sweeps/TownBarsSweep.cpp, run by hand.
TEST_F(EveryTownBarcode, lotBeforeANameAndTownsTypedInAnotherWriting)
{
    REQUIRE_FULL_DICTIONARY();
    struct TCase {
        const char16_t *Postcode;
        const char16_t *Address;
        const char *Number;
    };
    static const std::array<TCase, 9> cases{{
        {u"7530021", u"山口県山口市櫻畠2棟202号", "2-202"},
        {u"0130019", u"秋田県横手市本町123山田荘201", "123-201"},
        {u"3900811", u"長野県松本市中央34地先 中央ハイツ104", "34-104"},
        {u"6008032", u"京都府京都市下京区新町通四条下る中ノ町７３１中ノ町コーポ / サンハイムＤ－２００８", "731D2008"},
        {u"6050907", u"京都府京都市東山区大和大路通四条下る西橘町909西橘町ハイツ　西橘町ビル１０Ｆ", "909-10"},
        {u"6008131", u"京都府京都市下京区東洞院通4条上ル2丁目上二ノ宮町329-28", "329-28"},
        {u"6068273", u"京都府京都市左京区大宮3条下がる　北白川山之元町８２北白川山之元町ビル", "82"},
        {u"0861074", u"北海道標津郡中標津町東３４条北40東３４条北ハイツ東３４条北ビル15Ｆ", "40-34-34-15"},
        {u"5950016", u"大阪府泉大津市条南町９８条南町ハイツ 条南町ビル18F", "98-18"},
    }};
    for (const TCase &c : cases) {
        const QString postcode = QString::fromUtf16(c.Postcode);
        const TPostcodeTowns found = towns(postcode);
        ASSERT_FALSE(found.Towns.isEmpty()) << qPrintable(postcode);
        EXPECT_EQ(CustomerBarcodeData(postcode, QString::fromUtf16(c.Address), found).toStdString(),
                  (postcode + QLatin1String(c.Number)).toStdString())
            << qPrintable(QString::fromUtf16(c.Address)) << " under " << qPrintable(found.Towns.join(u','));
    }
}

// Every town whose name holds a numeral, kanji or digit (some 14,000): the
// numeral is the town's, never the start of the number.
TEST_F(EveryTownBarcode, everyTownWithANumeralGivesTheNumberWrittenAfterIt)
{
    REQUIRE_FULL_DICTIONARY();
    static const QRegularExpression numeral(QStringLiteral("[〇一二三四五六七八九十百千0-9０-９]"));
    const QList<TChecked> checked =
        checkRows([](const TDicSourceRow &Row) { return Row.Town.contains(numeral); }, addressesOf, 10000);
    // Printed: the towns named by numerals alone, each with a number in
    // digits starting with the town's own ("二258", "十二1258"), and a
    // spread of the rest with the number right after the town.
    QList<TChecked> sample;
    static const QRegularExpression numeralsOnly(QStringLiteral("^[〇一二三四五六七八九十百千]+$"));
    qsizetype spread = 0;
    for (const TChecked &c : checked) {
        const bool alone = c.Row.Town.contains(numeralsOnly);
        const bool alike = alone && c.Made.Rest == c.Row.Town + c.Made.Number
                           && c.Made.Number == QString::number(kanjiValue(c.Row.Town)) + QStringLiteral("58");
        const bool rightAfter = !alone && c.Made.Rest == c.Row.Town + QStringLiteral("3-2-5");
        if (alike || (rightAfter && ++spread % 5000 == 0))
            sample.append(c);
    }
    ASSERT_GE(sample.size(), 7);
    printAndRead(sample);
}

// Every town of Kyoto city behind a street designation that may hold a block
// number of its own: the number is what follows the town.
TEST_F(EveryTownBarcode, everyKyotoTownAfterAStreetDesignationGivesItsNumber)
{
    REQUIRE_FULL_DICTIONARY();
    const QList<TChecked> checked = checkRows(
        isKyotoCity, [](const TDicSourceRow &Row, int Variant) {
            return kyotoAddressesOf(Row, Variant, TStreetNumeral::Kanji);
        },
        4000);
    QList<TChecked> sample;
    for (qsizetype i = 0; i < checked.size(); i += checked.size() / 3 + 1)
        sample.append(checked[i]);
    printAndRead(sample);
}

// Every town of Kyoto city behind a street designation that counts the side
// streets passed or the blocks, turns or names a side before it (室町三条上る
// 2筋目東入ル六角猪熊町３３７番地): the designation's numbers are no part of the
// address number, which is the lot after the town, also when the town's own
// name holds a numeral (３筋目西入ル　三番町 ９８２－２３).
TEST_F(EveryTownBarcode, everyKyotoTownAfterADesignationWithNumbersGivesTheLotAfterIt)
{
    REQUIRE_FULL_DICTIONARY();
    const QList<TChecked> checked = checkRows(
        isKyotoCity, [](const TDicSourceRow &Row, int Variant) {
            return kyotoDesignatedAddressesOf(Row, Variant, TStreetNumeral::Kanji);
        },
        4000);
    EXPECT_GE(checked.size(), 40000);
    QList<TChecked> sample;
    for (qsizetype i = 0; i < checked.size(); i += checked.size() / 3 + 1)
        sample.append(checked[i]);
    printAndRead(sample);
}

// Every town of Kyoto city behind a street whose name's numeral is written
// in digits, half or full width, with 通 or 通り, and every way (新町4条下がる
// 北舟橋町650, 河原町通り７条下ル 坊門中之町８２７, 東洞院通4条上ル2筋目東入
// 上二之宮町３２９－２８): the street's numeral is its name, as in kanji, and no
// part of the address number.
TEST_F(EveryTownBarcode, everyKyotoTownBehindAStreetNamedInDigitsGivesTheNumberAfterIt)
{
    REQUIRE_FULL_DICTIONARY();
    const QList<TChecked> checked = checkRows(
        isKyotoCity, [](const TDicSourceRow &Row, int Variant) {
            return kyotoAddressesOf(Row, Variant, TStreetNumeral::Digits)
                   + kyotoDesignatedAddressesOf(Row, Variant, TStreetNumeral::Digits);
        },
        4000);
    QList<TChecked> sample;
    for (qsizetype i = 0; i < checked.size(); i += checked.size() / 3 + 1)
        sample.append(checked[i]);
    printAndRead(sample);
}

} // namespace
