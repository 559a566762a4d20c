// The data format's kanji numerals and dashes-to-の over a generated set of
// addresses in every writing (half-width, full-width, mixed, typed with the
// minus sign or the prolonged sound mark), before and after the conversion
// took both widths: how many an addressee (converted as typed) and a sender
// (widened first) print converted, whether the two callers agree, and every
// result that changed for the widened text, by its reason.
#include "util/StrFunc.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QString>

#include <chrono>
#include <cstdio>
#include <map>

namespace {

// The conversion as it was: full-width digits and the code page's three
// dashes only.
QString oldConvert(const QString &S, int DashKind)
{
    static const QString full = QStringLiteral("０１２３４５６７８９");
    static const QString dashes = QStringLiteral("\uFF0D\u2015\u2010");
    QString t = S;
    for (QChar &c : t) {
        const qsizetype d = full.indexOf(c);
        if (d >= 0)
            c = KanjiDigits()[d];
        else if (DashKind >= 0 && dashes.contains(c))
            c = DashReplacements()[DashKind];
    }
    return t;
}

QString newConvert(const QString &S, int DashKind)
{
    const QString k = DigitsToKanjiW(S);
    return DashKind >= 0 ? ReplaceDashesW(k, DashKind) : k;
}

bool isLatin(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z') || (u >= u'Ａ' && u <= u'Ｚ') ||
           (u >= u'ａ' && u <= u'ｚ');
}

bool isDigitChar(QChar c) { return (c >= u'0' && c <= u'9') || (c >= u'０' && c <= u'９'); }

// Whether a digit of S stands in a number written against a Latin letter.
bool hasNamedNumber(const QString &S)
{
    for (qsizetype i = 0; i < S.size(); ++i) {
        if (!isDigitChar(S[i]))
            continue;
        qsizetype j = i;
        while (j < S.size() && isDigitChar(S[j]))
            ++j;
        if ((i > 0 && isLatin(S[i - 1])) || (j < S.size() && isLatin(S[j])))
            return true;
        i = j;
    }
    return false;
}

// A digit or dash left in the text that the ticked boxes should have taken.
bool fullyConverted(const QString &S, bool Dashes)
{
    for (qsizetype i = 0; i < S.size(); ++i) {
        const QChar c = S[i];
        if (isDigitChar(c)) {
            qsizetype a = i, b = i;
            while (a > 0 && isDigitChar(S[a - 1]))
                --a;
            while (b < S.size() && isDigitChar(S[b]))
                ++b;
            if (!((a > 0 && isLatin(S[a - 1])) || (b < S.size() && isLatin(S[b]))))
                return false;
        }
        if (Dashes && (c == u'-' || c == QChar(0xFF0D) || c == QChar(0x2212)))
            return false;
    }
    return true;
}

QString number(QRandomGenerator &R, int Max) { return QString::number(R.bounded(1, Max + 1)); }

QString generate(QRandomGenerator &R)
{
    static const char16_t *towns[] = {u"大阪市北区梅田", u"札幌市中央区北一条西", u"千代田区永田町", u"横浜市中区山下町",
                                      u"京都市中京区御池通烏丸東入ル", u"福岡市博多区博多駅前"};
    static const char16_t *buildings[] = {u"",       u"梅田ビル", u"J1ビル", u"KSビル", u"第2ビル",
                                          u"センター", u"B棟",     u"グランドハイツ", u"コーポA"};
    QString s = QString::fromUtf16(towns[R.bounded(int(std::size(towns)))]);
    switch (R.bounded(4)) {
    case 0: s += number(R, 9) + QStringLiteral("丁目") + number(R, 99) + u'-' + number(R, 99); break;
    case 1: s += number(R, 9) + u'-' + number(R, 30) + u'-' + number(R, 30); break;
    case 2: s += number(R, 9) + QStringLiteral("番") + number(R, 30) + QStringLiteral("号"); break;
    default: s += number(R, 999) + QStringLiteral("番地") + number(R, 9); break;
    }
    const QString building = QString::fromUtf16(buildings[R.bounded(int(std::size(buildings)))]);
    if (!building.isEmpty())
        s += (R.bounded(2) ? QStringLiteral(" ") : QStringLiteral("")) + building;
    switch (R.bounded(6)) {
    case 0: s += u' ' + number(R, 1500) + QStringLiteral("号室"); break;
    case 1: s += number(R, 9) + QStringLiteral("-B"); break;
    case 2: s += u' ' + number(R, 1999); break;
    case 3: s += u' ' + number(R, 9) + u'F'; break;
    case 4: s += QStringLiteral(" B") + number(R, 3) + u'F'; break;
    default: break;
    }
    return s;
}

enum class Writing { Half, Full, Mixed, Minus, SoundMark };

QString write(const QString &Half, Writing W, QRandomGenerator &R)
{
    switch (W) {
    case Writing::Half: return Half;
    case Writing::Full: return ToFullWidthW(Half);
    case Writing::Mixed: {
        QString out;
        for (const QChar c : Half)
            out += R.bounded(2) ? ToFullWidthW(QString(c)) : QString(c);
        return out;
    }
    case Writing::Minus: return ToFullWidthW(Half).replace(QChar(0xFF0D), QChar(0x2212));
    case Writing::SoundMark: {
        // ー typed for the hyphen between numbers only.
        QString out = ToFullWidthW(Half);
        for (qsizetype i = 1; i + 1 < out.size(); ++i)
            if (out[i] == QChar(0xFF0D) && isDigitChar(out[i - 1]) && isDigitChar(out[i + 1]))
                out[i] = QChar(0x30FC);
        return out;
    }
    }
    return Half;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QRandomGenerator random(77);
    constexpr int kAddresses = 20000;
    const Writing writings[] = {Writing::Half, Writing::Full, Writing::Mixed, Writing::Minus, Writing::SoundMark};
    const char *writingNames[] = {"half", "full", "mixed", "minus", "soundmark"};
    // Dash kinds: -1 kanji numerals alone, 1 with dashes to の, 0 vertical.
    const int kinds[] = {-1, 1, 0};

    long cases = 0, oldAddresseeDone = 0, oldSenderDone = 0, newAddresseeDone = 0, newSenderDone = 0;
    long callersDisagreeOld = 0, callersDisagreeNew = 0, widthsDisagree = 0;
    std::map<std::string, long> changedForWidened;
    long changedUnexplained = 0;
    std::map<std::string, long> perWritingOldDone, perWritingNewDone, perWriting;
    const auto start = std::chrono::steady_clock::now();
    for (int n = 0; n < kAddresses; ++n) {
        const QString half = generate(random);
        for (const int kind : kinds) {
            QString fullResult;
            for (size_t w = 0; w < std::size(writings); ++w) {
                const QString typed = write(half, writings[w], random);
                const QString widened = ToFullWidthW(typed);
                const QString oldAddressee = oldConvert(typed, kind), oldSender = oldConvert(widened, kind);
                const QString newAddressee = newConvert(typed, kind), newSender = newConvert(widened, kind);
                ++cases;
                ++perWriting[writingNames[w]];
                const bool dashes = kind == 1;
                oldAddresseeDone += fullyConverted(oldAddressee, dashes);
                oldSenderDone += fullyConverted(oldSender, dashes);
                newAddresseeDone += fullyConverted(newAddressee, dashes);
                newSenderDone += fullyConverted(newSender, dashes);
                perWritingOldDone[writingNames[w]] += fullyConverted(oldAddressee, dashes);
                perWritingNewDone[writingNames[w]] += fullyConverted(newAddressee, dashes);
                callersDisagreeOld += ToFullWidthW(oldAddressee) != oldSender;
                callersDisagreeNew += ToFullWidthW(newAddressee) != newSender;
                if (w == 0)
                    fullResult = ToFullWidthW(newAddressee);
                else if (writings[w] == Writing::Full || writings[w] == Writing::Mixed)
                    widthsDisagree += ToFullWidthW(newAddressee) != fullResult;
                // What the widened path printed before and prints now.
                if (oldSender != newSender) {
                    if (hasNamedNumber(widened))
                        ++changedForWidened["number against a letter kept"];
                    else if (widened.contains(QChar(0x30FC)) || widened.contains(QChar(0x2212)))
                        ++changedForWidened["minus sign or ー between numbers"];
                    else
                        ++changedUnexplained;
                }
            }
        }
    }
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("cases %ld (%d addresses x 5 writings x 3 settings)\n", cases, kAddresses);
    std::printf("fully converted, addressee as typed: before %ld, after %ld\n", oldAddresseeDone, newAddresseeDone);
    std::printf("fully converted, sender widened:     before %ld, after %ld\n", oldSenderDone, newSenderDone);
    for (const char *w : writingNames)
        std::printf("  %-9s addressee before %ld / after %ld of %ld\n", w, perWritingOldDone[w],
                    perWritingNewDone[w], perWriting[w]);
    std::printf("addressee and sender disagree: before %ld, after %ld\n", callersDisagreeOld, callersDisagreeNew);
    std::printf("half, full and mixed writings of one address disagree (after): %ld\n", widthsDisagree);
    for (const auto &[reason, count] : changedForWidened)
        std::printf("widened text printed differently, %s: %ld\n", reason.c_str(), count);
    std::printf("widened text printed differently, other reason: %ld\n", changedUnexplained);
    std::printf("BENCH numerals_sweep_ms %.1f ms bar 5000\n", ms);
    return changedUnexplained == 0 && widthsDisagree == 0 && callersDisagreeNew == 0 ? 0 : 1;
}
