// Damage and hand edits over the settings files as the program writes them
// (Group.dat, AdrsMng.ini, Murven19.ini), as the previous version wrote
// them (the encoding line without the sum) and saved again by hand in code
// page 932: every byte changed into every value, dropped and put in at every
// place, two changed bytes and short runs of bad bytes at random, cuts at
// every place, and edits a user makes by hand. Counted:
//   untold   entries whose line the damage did not touch read otherwise
//            while the user was told nothing (must be 0);
//   silent   damaged files read without a word (0 for files with the sum);
//   misread  entries of a file edited by hand read otherwise than the user
//            wrote them (0; a one-byte edit that the sum puts back to the
//            value written, with a notice, is counted apart as restored).
// A run takes a few minutes; its lines are "BENCH <name> <count> cases bar 0".

#include "core/AdrsSel.h"
#include "core/Env.h"
#include "core/GrpEdt.h"
#include "platform/Cp932.h"
#include "platform/IniFile.h"
#include "platform/UnreadableFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <utility>

namespace {

struct Entry {
    QString section;
    QString key;
    QString value;
};

// Where each entry's line, and its section's line, lie in a file.
struct Place {
    qsizetype start;
    qsizetype end; // after its line end
    qsizetype sectionStart;
    qsizetype sectionEnd;
};

struct Variant {
    QString name;
    QString file;
    QByteArray bytes;
    QList<Entry> entries;
    QList<Place> places;
    bool summed;
};

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAnew(const QString &path, const QByteArray &bytes)
{
    QFile::remove(path);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

QList<Place> placesOf(const QByteArray &bytes, const QList<Entry> &entries, bool cp932)
{
    QList<Place> places(entries.size(), Place{-1, -1, -1, -1});
    QString section;
    qsizetype sectionStart = -1;
    qsizetype sectionEnd = -1;
    for (qsizetype start = 0; start < bytes.size();) {
        qsizetype stop = start;
        while (stop < bytes.size() && bytes[stop] != '\r' && bytes[stop] != '\n')
            ++stop;
        qsizetype end = stop;
        while (end < bytes.size() && (bytes[end] == '\r' || bytes[end] == '\n') && end - stop < 2)
            ++end;
        const QByteArray raw = bytes.mid(start, stop - start);
        const QString line = cp932 ? Cp932::decode(raw) : QString::fromUtf8(raw);
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            section = line.mid(1, line.size() - 2);
            sectionStart = start;
            sectionEnd = end;
        } else if (const qsizetype eq = line.indexOf(QLatin1Char('=')); eq > 0 && !line.startsWith(QLatin1Char(';'))) {
            for (qsizetype i = 0; i < entries.size(); ++i) {
                if (entries[i].section == section && entries[i].key == line.left(eq))
                    places[i] = Place{start, end, sectionStart, sectionEnd};
            }
        }
        start = end;
    }
    return places;
}

// One character a case, in the order the trials run: '1' where the case
// reads right (every entry as written or the user told; a file with the sum
// never read without a word; a hand edit read as the user wrote it), '0'
// where not. Saved with --cases and compared with --before, to tell the
// cases an earlier build read right and this one does not.
QByteArray g_outcomes;

struct Tally {
    qint64 cases = 0;
    qint64 untold = 0;      // untouched entries read otherwise, nothing told
    qint64 silent = 0;      // damaged files read without a word
    qint64 touchedUntold = 0; // damaged entries read otherwise, nothing told
    qint64 restored = 0;    // hand edits put back to the value written, told
    qint64 misread = 0;     // entries of hand edits read otherwise than written by the user
};

class Reader
{
public:
    explicit Reader(const QString &path)
        : m_path(path)
    {
        UnreadableFile::setMoveRefused(true);
    }
    // Reads the file; whether the user was told anything, and the values.
    bool read(const QByteArray &bytes, const QList<Entry> &entries, QStringList *values)
    {
        bool told = false;
        // Installed anew for each file: every damage is told afresh.
        SetDamagedEntriesNotice([&](const QString &, const QString &, const QStringList &) { told = true; });
        SetUnreadableFileNotice([&](const QString &, const QString &, const QString &) { told = true; });
        writeAnew(m_path, bytes);
        const TMemIniFile ini(m_path);
        values->clear();
        for (const Entry &e : entries)
            *values << ini.ReadString(e.section, e.key, QStringLiteral("\x01"));
        SetDamagedEntriesNotice({});
        SetUnreadableFileNotice({});
        return told;
    }

private:
    QString m_path;
};

// One damaged file: `touched` tells whether an entry's line (or its
// section's) was reached by the damage.
void damaged(Reader &reader, const Variant &v, const QByteArray &bytes, const std::function<bool(qsizetype, qsizetype)> &touches,
             Tally &t)
{
    if (bytes == v.bytes)
        return;
    ++t.cases;
    QStringList values;
    const bool told = reader.read(bytes, v.entries, &values);
    if (!told)
        ++t.silent;
    bool right = told || (values.size() == v.entries.size() && !(v.summed && !v.name.contains(QStringLiteral("CP932"))));
    for (qsizetype i = 0; right && !told && i < v.entries.size(); ++i)
        right = values[i] == v.entries[i].value;
    g_outcomes.append(right ? '1' : '0');
    const bool show = qEnvironmentVariableIsSet("SETTINGS_TRIAL_SHOW");
    if (show && !told && v.summed)
        std::printf("silent: %s\n", bytes.toHex(' ').constData());
    for (qsizetype i = 0; i < v.entries.size(); ++i) {
        if (told || values[i] == v.entries[i].value)
            continue;
        const Place &p = v.places[i];
        // A damaged line end before a line glues it to the line before.
        const bool touched = touches(std::max<qsizetype>(0, p.start - 2), p.end) ||
                             touches(std::max<qsizetype>(0, p.sectionStart - 2), p.sectionEnd);
        ++(touched ? t.touchedUntold : t.untold);
        if (show && !touched)
            std::printf("untold %s as %s: %s\n", qPrintable(v.entries[i].key), qPrintable(values[i]), bytes.toHex(' ').constData());
    }
}

void damageTrials(Reader &reader, const Variant &v, QMap<QString, Tally> &tallies)
{
    const QByteArray &valid = v.bytes;
    const qsizetype n = valid.size();
    for (qsizetype at = 0; at < n; ++at) {
        const auto in = [at](qsizetype s, qsizetype e) { return at >= s && at < e; };
        for (int value = 0; value < 256; ++value) {
            QByteArray b = valid;
            b[at] = char(value);
            damaged(reader, v, b, in, tallies["changed"]);
            QByteArray added = valid;
            added.insert(at, char(value));
            damaged(reader, v, added, in, tallies["added"]);
        }
        damaged(reader, v, QByteArray(valid).remove(at, 1), in, tallies["dropped"]);
        damaged(reader, v, valid.left(at), [at](qsizetype, qsizetype e) { return e > at; }, tallies["cut"]);
    }
    QRandomGenerator random(20261210);
    for (int round = 0; round < 4000; ++round) {
        const qsizetype a = random.bounded(int(n));
        const qsizetype c = random.bounded(int(n));
        QByteArray b = valid;
        b[a] = char(random.bounded(256));
        b[c] = char(random.bounded(256));
        damaged(reader, v, b, [a, c](qsizetype s, qsizetype e) { return (a >= s && a < e) || (c >= s && c < e); },
                tallies["twoChanged"]);
        const qsizetype length = 2 + random.bounded(31);
        const qsizetype from = random.bounded(int(std::max<qsizetype>(1, n - length)));
        QByteArray run = valid;
        for (qsizetype i = from; i < std::min(n, from + length); ++i)
            run[i] = char(random.bounded(256));
        damaged(reader, v, run, [from, length](qsizetype s, qsizetype e) { return from < e && from + length > s; },
                tallies["badRun"]);
    }
}

// A hand edit: the bytes as the user saved them and what each entry then holds.
void handEdit(Reader &reader, const QByteArray &bytes, const QList<Entry> &expected, const QList<Entry> &written,
              Tally &t)
{
    ++t.cases;
    QStringList values;
    const bool told = reader.read(bytes, expected, &values);
    bool right = true;
    for (qsizetype i = 0; i < expected.size(); ++i) {
        if (values[i] == expected[i].value)
            continue;
        right = right && told && values[i] == written[i].value &&
                std::abs(expected[i].value.toUtf8().size() - written[i].value.toUtf8().size()) <= 1;
        if (told && values[i] == written[i].value && std::abs(expected[i].value.toUtf8().size() - written[i].value.toUtf8().size()) <= 1)
            ++t.restored; // a one-character edit put back as written, and told
        else
            ++t.misread;
        if (qEnvironmentVariableIsSet("SETTINGS_TRIAL_SHOW") && values[i] != expected[i].value)
            std::printf("hand edit %s read %s: %s\n", qPrintable(expected[i].key), qPrintable(values[i]), bytes.toHex(' ').constData());
    }
    g_outcomes.append(right ? '1' : '0');
}

QString editedValue(const QString &value, bool oneByte)
{
    if (oneByte) {
        // The last ASCII character typed as another.
        for (qsizetype i = value.size() - 1; i >= 0; --i) {
            if (value[i].unicode() >= '0' && value[i].unicode() <= '9')
                return value.left(i) + QChar(value[i] == QLatin1Char('9') ? '1' : value[i].unicode() + 1) + value.mid(i + 1);
            if (value[i].unicode() >= 'a' && value[i].unicode() <= 'y')
                return value.left(i) + QChar(value[i].unicode() + 1) + value.mid(i + 1);
        }
        return QString();
    }
    const bool japanese = std::any_of(value.cbegin(), value.cend(), [](QChar c) { return c.unicode() > 0x7F; });
    if (japanese)
        return value == QStringLiteral("親戚一同") ? QStringLiteral("同窓会") : QStringLiteral("親戚一同");
    return value + QStringLiteral("0");
}

void handTrials(Reader &reader, const Variant &v, bool cp932, QMap<QString, Tally> &tallies)
{
    // Lines as the file holds them, in the file's own encoding.
    const auto encode = [cp932](const QString &text) { return cp932 ? Cp932::encode(text) : text.toUtf8(); };
    for (qsizetype i = 0; i < v.entries.size(); ++i) {
        const Place &p = v.places[i];
        if (p.start < 0)
            continue;
        for (const bool oneByte : {false, true}) {
            const QString value = editedValue(v.entries[i].value, oneByte);
            if (value.isEmpty())
                continue;
            QList<Entry> expected = v.entries;
            expected[i].value = value;
            QByteArray b = v.bytes;
            const QByteArray eol = v.bytes.mid(p.start, p.end - p.start).endsWith("\r\n") ? "\r\n" : "\n";
            b.replace(p.start, p.end - p.start, encode(v.entries[i].key + QLatin1Char('=') + value) + eol);
            handEdit(reader, b, expected, v.entries, tallies[oneByte ? "oneCharacterEdit" : "valueEdit"]);
            if (!cp932 && !oneByte) {
                // The same edit, then the file saved in code page 932.
                handEdit(reader, Cp932::encode(QString::fromUtf8(b)), expected, v.entries, tallies["valueEditSavedIn932"]);
            }
        }
        // A line added by hand with a bare LF after the entry's line.
        QList<Entry> expected = v.entries;
        expected << Entry{v.entries[i].section, QStringLiteral("Added"), QStringLiteral("手で足した行")};
        QList<Entry> written = v.entries;
        written << Entry{v.entries[i].section, QStringLiteral("Added"), QStringLiteral("\x01")};
        QByteArray b = v.bytes;
        b.insert(p.end, encode(QStringLiteral("Added=手で足した行")) + "\n");
        handEdit(reader, b, expected, written, tallies["lineAddedWithLf"]);
    }
}

void report(const QString &name, const QMap<QString, Tally> &tallies)
{
    for (auto it = tallies.cbegin(); it != tallies.cend(); ++it) {
        const Tally &t = it.value();
        std::printf("%-34s %-22s cases %7lld  untold %5lld  silent %6lld  touchedUntold %6lld  restored %4lld  misread %4lld\n",
                    qPrintable(name), qPrintable(it.key()), t.cases, t.untold, t.silent, t.touchedUntold, t.restored,
                    t.misread);
    }
    std::fflush(stdout);
}

// The three files as the program's writers save them.
QList<Variant> writtenVariants(const QString &home)
{
    AdrsPath = home + QStringLiteral("/Adrs/");
    DataRoot = home + QStringLiteral("/root/");
    QDir().mkpath(AdrsPath + QStringLiteral("Book"));
    QDir().mkpath(DataRoot);

    QList<Variant> variants;
    const auto groupFile = [&](const QString &name, const QStringList &names) {
        // Through the group-name editor's own save.
        const QString file = GroupFileName(QStringLiteral("Book"));
        QFile::remove(file);
        TGroupNameList base = ReadGroupNames(QStringLiteral("Book"));
        TGroupNameList typed = base;
        for (int i = 1; i <= GroupCount; ++i)
            typed[size_t(i)] = names[i - 1];
        int conflict = 0;
        QString error;
        if (!SaveGroupNameChanges(QStringLiteral("Book"), base, typed, &conflict, &error))
            std::fprintf(stderr, "group names not saved: %s\n", qPrintable(error));
        QList<Entry> entries;
        for (int i = 1; i <= GroupCount; ++i)
            entries << Entry{QStringLiteral("GROUP"), QStringLiteral("Group%1").arg(i), names[i - 1]};
        variants << Variant{name, file, readAll(file), entries, {}, true};
    };
    QStringList friends;
    for (int i = 1; i <= 10; ++i)
        friends << QStringLiteral("友人%1").arg(i);
    groupFile(QStringLiteral("Group.dat 友人1..10"), friends);
    groupFile(QStringLiteral("Group.dat mixed"), {QStringLiteral("会社"), QStringLiteral("年賀状"), QStringLiteral("仕事"),
                                                  QStringLiteral("家族"), QStringLiteral("友人"), QStringLiteral("ゴルフ仲間"),
                                                  QStringLiteral("PTA"), QStringLiteral("取引先 A"), QStringLiteral("旧友"),
                                                  QStringLiteral("恩師")});
    {
        // Through the book list's own save.
        AdrsFolderList = {{QStringLiteral("個人用アドレス帳"), QStringLiteral("個人用アドレス帳"), 0},
                          {QStringLiteral("Book 2"), QStringLiteral("Book 2"), 0},
                          {QStringLiteral("趣味"), QStringLiteral("趣味"), 0}};
        if (!SaveBookOrder())
            std::fprintf(stderr, "book order not saved\n");
        QList<Entry> entries;
        for (int i = 0; i < AdrsFolderList.size(); ++i)
            entries << Entry{QStringLiteral("SORT"), QString::number(i + 1), AdrsFolderList[i].Folder};
        variants << Variant{QStringLiteral("AdrsMng.ini"), AdrsMngFileName(), readAll(AdrsMngFileName()), entries, {}, true};
    }
    {
        // The main settings: the sections and keys the program keeps there,
        // through the settings file's writer, and the open book's name
        // through its own save.
        QList<Entry> entries{{"UPDATE PARAMETER", "Domain", "update.example.jp"},
                             {"BASE", "DataPath", "/home/user/データ/"}};
        for (int i = 1; i <= 7; ++i)
            entries.append({"BASE", QStringLiteral("Use%1").arg(i), i % 3 ? "1" : "0"});
        entries += QList<Entry>{{"OPERATION", "HisCount", "10"}, {"OPERATION", "ViewSplash", "1"},
                                {"ADDRESS", "ChangeData", "1"},  {"VIEW", "BGColor", "14680047"},
                                {"ADRS LIST", "Left", "120"},    {"ADRS LIST", "Columns", "1,2,,3"}};
        {
            TMemIniFile ini(SettingsFileName());
            for (const Entry &e : entries)
                ini.WriteString(e.section, e.key, e.value);
            if (!ini.UpdateFile())
                std::fprintf(stderr, "settings not saved\n");
        }
        AdrsName = QStringLiteral("個人用アドレス帳");
        if (!SaveAdrsName())
            std::fprintf(stderr, "book name not saved\n");
        entries.insert(2, Entry{"BASE", "AdrsName", AdrsName});
        variants << Variant{QStringLiteral("Murven19.ini"), SettingsFileName(), readAll(SettingsFileName()), entries, {}, true};
    }

    // The previous version's form (the encoding line alone) and a hand save in code page 932.
    const qsizetype count = variants.size();
    for (qsizetype i = 0; i < count; ++i) {
        Variant previous = variants[i];
        previous.name += QStringLiteral(" (previous version)");
        previous.bytes = "; encoding=UTF-8" + previous.bytes.mid(previous.bytes.indexOf("\r\n"));
        previous.summed = false;
        variants << previous;
        Variant cp932 = variants[i];
        cp932.name += QStringLiteral(" (saved in CP932)");
        cp932.bytes = Cp932::encode(QString::fromUtf8(cp932.bytes));
        variants << cp932;
    }
    return variants;
}

// The variants kept in a folder (the manifest "name TAB file TAB summed" then
// "section TAB key TAB value" lines, an empty line after each), so that
// another build of the reader can be measured on the very same files.
void keepVariants(const QList<Variant> &variants, const QString &dir)
{
    QDir().mkpath(dir);
    QString manifest;
    for (qsizetype i = 0; i < variants.size(); ++i) {
        const Variant &v = variants[i];
        writeAnew(dir + QStringLiteral("/%1.bin").arg(i), v.bytes);
        manifest += v.name + QLatin1Char('\t') + QFileInfo(v.file).fileName() + QLatin1Char('\t') + (v.summed ? "1" : "0") + "\n";
        for (const Entry &e : v.entries)
            manifest += e.section + QLatin1Char('\t') + e.key + QLatin1Char('\t') + e.value + "\n";
        manifest += "\n";
    }
    writeAnew(dir + QStringLiteral("/manifest.txt"), manifest.toUtf8());
}

QList<Variant> keptVariants(const QString &dir, const QString &home)
{
    QList<Variant> variants;
    const QStringList blocks = QString::fromUtf8(readAll(dir + QStringLiteral("/manifest.txt"))).split(QStringLiteral("\n\n"), Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < blocks.size(); ++i) {
        const QStringList lines = blocks[i].split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        const QStringList head = lines[0].split(QLatin1Char('\t'));
        Variant v{head[0], home + QLatin1Char('/') + head[1], readAll(dir + QStringLiteral("/%1.bin").arg(i)), {}, {}, head[2] == "1"};
        for (qsizetype j = 1; j < lines.size(); ++j) {
            const QStringList f = lines[j].split(QLatin1Char('\t'));
            v.entries << Entry{f[0], f[1], f[2]};
        }
        variants << v;
    }
    return variants;
}

} // namespace

// With "--keep DIR" the files are also kept in DIR; with "--files DIR" they
// are taken from DIR instead of being written (to measure another build of
// the reader on the same files). "--cases FILE" saves each case's outcome,
// "--before FILE" compares with such a file of another build. Other
// arguments pick variants by name.
int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir home;
    QStringList only = QCoreApplication::arguments().mid(1);
    QString keep;
    QString from;
    QString casesFile;
    QString beforeFile;
    const QList<std::pair<QString, QString *>> options{{QStringLiteral("--keep"), &keep},
                                                       {QStringLiteral("--files"), &from},
                                                       {QStringLiteral("--cases"), &casesFile},
                                                       {QStringLiteral("--before"), &beforeFile}};
    for (bool taken = true; taken && only.size() >= 2;) {
        taken = false;
        for (const auto &[name, value] : options) {
            if (only[0] == name) {
                *value = only[1];
                only = only.mid(2);
                taken = true;
                break;
            }
        }
    }
    QList<Variant> variants = from.isEmpty() ? writtenVariants(home.path()) : keptVariants(from, home.path());
    if (!keep.isEmpty())
        keepVariants(variants, keep);
    qint64 untold = 0, silentSummed = 0, misread = 0;
    for (Variant &v : variants) {
        if (!only.isEmpty() && std::none_of(only.cbegin(), only.cend(), [&](const QString &o) { return v.name.contains(o); }))
            continue;
        const bool cp932 = v.name.contains(QStringLiteral("CP932"));
        v.places = placesOf(v.bytes, v.entries, cp932);
        Reader reader(v.file);
        QMap<QString, Tally> tallies;
        {
            QStringList values;
            if (reader.read(v.bytes, v.entries, &values) || values != [&] {
                    QStringList w;
                    for (const Entry &e : v.entries)
                        w << e.value;
                    return w;
                }())
                std::printf("%s: not read as written: %s\n", qPrintable(v.name), qPrintable(values.join(QLatin1Char(','))));
        }
        damageTrials(reader, v, tallies);
        handTrials(reader, v, cp932, tallies);
        report(v.name, tallies);
        for (auto it = tallies.cbegin(); it != tallies.cend(); ++it) {
            untold += it->untold;
            misread += it->misread;
            const bool handEdit = it->misread + it->restored > 0 || it.key().contains(QStringLiteral("Edit")) ||
                                  it.key().contains(QStringLiteral("Added"));
            if (v.summed && !cp932 && !handEdit)
                silentSummed += it->silent;
        }
        writeAnew(v.file, v.bytes);
    }
    if (!casesFile.isEmpty())
        writeAnew(casesFile, g_outcomes);
    if (!beforeFile.isEmpty()) {
        const QByteArray before = readAll(beforeFile);
        if (before.size() != g_outcomes.size()) {
            std::fprintf(stderr, "%s holds %lld cases, this run %lld\n", qPrintable(beforeFile),
                         static_cast<long long>(before.size()), static_cast<long long>(g_outcomes.size()));
            return 1;
        }
        qint64 rightBefore = 0, rightNow = 0, turnedWrong = 0;
        for (qsizetype i = 0; i < before.size(); ++i) {
            rightBefore += before[i] == '1';
            rightNow += g_outcomes[i] == '1';
            turnedWrong += before[i] == '1' && g_outcomes[i] != '1';
        }
        std::printf("cases %lld  right before %lld  right now %lld  right before and wrong now %lld\n",
                    static_cast<long long>(before.size()), rightBefore, rightNow, turnedWrong);
    }
    std::printf("BENCH settings_untouched_entries_read_otherwise_untold %lld cases bar 0\n", untold);
    std::printf("BENCH settings_damaged_files_with_the_sum_read_untold %lld cases bar 0\n", silentSummed);
    std::printf("BENCH settings_hand_edits_read_otherwise %lld cases bar 0\n", misread);
    return 0;
}
