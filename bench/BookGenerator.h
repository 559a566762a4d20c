#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <random>

// Realistic address-book records for benchmarks and load tests: Japanese
// names with their half-width kana readings, companies, postcodes and
// addresses, telephone numbers, e-mail addresses and keywords, drawn from a
// seeded generator so every run sees the same book.
struct BookRecord
{
    int group = 0;
    QString customCode, tel, fax, pubDate, portable1, pos, tdfkn, adrs1, adrs2, adrs3, adrsKana, jisCode;
    bool privCorp = false;
    QString corpKanji, corpKana, dptmnt, post, nameKanji, nameKana, honor, email1;
    QString keywords[8];
    QString note;
    QDateTime added;
};

class BookGenerator
{
public:
    explicit BookGenerator(unsigned seed = 20140401) : m_rng(seed) {}

    BookRecord next()
    {
        BookRecord r;
        const int s = pick(surnames().size());
        const int g = pick(givenNames().size());
        r.group = pick(12);
        r.customCode = (pick(4) == 0) ? QString() : QStringLiteral("C%1").arg(pick(100000), 6, 10, QLatin1Char('0'));
        r.nameKanji = surnames()[s].first + QStringLiteral("　") + givenNames()[g].first;
        r.nameKana = surnames()[s].second + QLatin1Char(' ') + givenNames()[g].second;
        r.honor = QStringLiteral("様");
        const int p = pick(prefectures().size());
        r.tdfkn = prefectures()[p];
        r.jisCode = QStringLiteral("%1%2").arg(p + 1, 2, 10, QLatin1Char('0')).arg(pick(1000), 3, 10, QLatin1Char('0'));
        r.pos = QStringLiteral("%1%2").arg(pick(1000), 3, 10, QLatin1Char('0')).arg(pick(10000), 4, 10, QLatin1Char('0'));
        const int c = pick(cities().size());
        r.adrs1 = cities()[c].first;
        r.adrs2 = r.tdfkn + r.adrs1 + towns()[pick(towns().size())] + QStringLiteral("%1丁目%2番%3号")
                                                                           .arg(pick(9) + 1)
                                                                           .arg(pick(30) + 1)
                                                                           .arg(pick(20) + 1);
        if (pick(3) == 0)
            r.adrs3 = buildings()[pick(buildings().size())] + QStringLiteral("%1号室").arg(100 + pick(900));
        r.adrsKana = cities()[c].second;
        r.tel = QStringLiteral("0%1%2").arg(pick(99) + 1, 2, 10, QLatin1Char('0')).arg(pick(100000000), 8, 10,
                                                                                        QLatin1Char('0'));
        if (pick(2) == 0)
            r.fax = r.tel.left(r.tel.size() - 1) + QString::number(pick(10));
        if (pick(2) == 0)
            r.portable1 = QStringLiteral("090%1").arg(pick(100000000), 8, 10, QLatin1Char('0'));
        r.privCorp = pick(3) == 0;
        if (r.privCorp) {
            const int k = pick(companies().size());
            r.corpKanji = QStringLiteral("株式会社") + companies()[k].first;
            r.corpKana = companies()[k].second;
            r.dptmnt = QStringLiteral("営業部");
            r.post = QStringLiteral("課長");
        }
        r.email1 = QStringLiteral("user%1@example.jp").arg(pick(1000000));
        for (int i = 0; i < 8; ++i) {
            if (pick(3) != 0)
                r.keywords[i] = keywordWords()[pick(keywordWords().size())];
        }
        if (pick(5) == 0)
            r.note = QStringLiteral("年賀状は毎年１２月に送付。ゴルフ仲間");
        r.added = QDateTime(QDate(2010, 1, 1), QTime(9, 0)).addSecs(qint64(pick(100000000)));
        return r;
    }

private:
    using Pair = QPair<QString, QString>;
    int pick(qsizetype n) { return int(std::uniform_int_distribution<qsizetype>(0, n - 1)(m_rng)); }

    static const QList<Pair> &surnames()
    {
        static const QList<Pair> v = {
            {"佐藤", "ｻﾄｳ"}, {"鈴木", "ｽｽﾞｷ"}, {"高橋", "ﾀｶﾊｼ"}, {"田中", "ﾀﾅｶ"},   {"伊藤", "ｲﾄｳ"},
            {"渡辺", "ﾜﾀﾅﾍﾞ"}, {"山本", "ﾔﾏﾓﾄ"}, {"中村", "ﾅｶﾑﾗ"}, {"小林", "ｺﾊﾞﾔｼ"}, {"加藤", "ｶﾄｳ"},
            {"吉田", "ﾖｼﾀﾞ"}, {"山田", "ﾔﾏﾀﾞ"}, {"佐々木", "ｻｻｷ"}, {"山口", "ﾔﾏｸﾞﾁ"}, {"松本", "ﾏﾂﾓﾄ"},
            {"井上", "ｲﾉｳｴ"}, {"木村", "ｷﾑﾗ"},   {"林", "ﾊﾔｼ"},     {"斎藤", "ｻｲﾄｳ"},   {"髙橋", "ﾀｶﾊｼ"}};
        return v;
    }
    static const QList<Pair> &givenNames()
    {
        static const QList<Pair> v = {{"太郎", "ﾀﾛｳ"},   {"花子", "ﾊﾅｺ"},   {"一郎", "ｲﾁﾛｳ"}, {"美咲", "ﾐｻｷ"},
                                      {"健太", "ｹﾝﾀ"},   {"陽子", "ﾖｳｺ"},   {"翔", "ｼｮｳ"},     {"さくら", "ｻｸﾗ"},
                                      {"大輔", "ﾀﾞｲｽｹ"}, {"由美", "ﾕﾐ"},     {"拓也", "ﾀｸﾔ"},   {"愛", "ｱｲ"}};
        return v;
    }
    static const QStringList &prefectures()
    {
        static const QStringList v = {"北海道", "青森県", "宮城県", "東京都", "神奈川県", "千葉県", "埼玉県",
                                      "愛知県", "大阪府", "京都府", "兵庫県", "広島県", "福岡県", "沖縄県"};
        return v;
    }
    static const QList<Pair> &cities()
    {
        static const QList<Pair> v = {{"札幌市中央区", "ｻｯﾎﾟﾛｼﾁｭｳｵｳｸ"}, {"千代田区", "ﾁﾖﾀﾞｸ"},
                                      {"横浜市西区", "ﾖｺﾊﾏｼﾆｼｸ"},       {"名古屋市中区", "ﾅｺﾞﾔｼﾅｶｸ"},
                                      {"大阪市北区", "ｵｵｻｶｼｷﾀｸ"},       {"福岡市博多区", "ﾌｸｵｶｼﾊｶﾀｸ"},
                                      {"那覇市", "ﾅﾊｼ"},                 {"仙台市青葉区", "ｾﾝﾀﾞｲｼｱｵﾊﾞｸ"}};
        return v;
    }
    static const QStringList &towns()
    {
        static const QStringList v = {"丸の内", "本町", "栄", "梅田", "天神", "中央", "緑町", "旭町"};
        return v;
    }
    static const QStringList &buildings()
    {
        static const QStringList v = {"第一ビル", "メゾン桜", "グランドハイツ", "コーポ山田"};
        return v;
    }
    static const QList<Pair> &companies()
    {
        static const QList<Pair> v = {{"山田商事", "ﾔﾏﾀﾞｼｮｳｼﾞ"}, {"東洋電機", "ﾄｳﾖｳﾃﾞﾝｷ"}, {"日本物産", "ﾆﾎﾝﾌﾞｯｻﾝ"},
                                      {"ABC Trading", "abc trading"}, {"大和建設", "ﾀﾞｲﾜｹﾝｾﾂ"}};
        return v;
    }
    static const QStringList &keywordWords()
    {
        static const QStringList v = {"取引先", "友人", "親戚", "ゴルフ", "年賀状", "お中元", "PTA", "ｸﾗｽ会",
                                      "VIP", "vip", "同窓会", "町内会"};
        return v;
    }

    std::mt19937 m_rng;
};
