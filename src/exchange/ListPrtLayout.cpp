#include "exchange/ListPrtLayout.h"

#include "core/Inquiry.h"
#include "platform/Cp932.h"
#include "platform/IniFile.h"
#include "platform/SafeFile.h"
#include "platform/SharedIni.h"
#include "platform/UnreadableFile.h"
#include "platform/TextLines.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <set>

namespace {

struct TItemRow {
    const char *Caption;
    int Width;
    int Align;
};

// Items 0 to 44 in number order.
constexpr std::array<TItemRow, ListPrintItemCount> kItems{{
    {"＜空白＞", 2, 0},       {"＜通番＞", 4, 0},       {"グループ", 12, 0},     {"顧客コード", 20, 0},
    {"電話番号", 13, 0},       {"代表電話", 4, 1},       {"FAX番号", 13, 0},      {"初期掲載年月", 8, 0},
    {"携帯番号１", 13, 0},     {"携帯番号２", 13, 0},    {"郵便番号", 8, 0},      {"住所", 50, 0},
    {"住所カナ", 30, 0},       {"市町村コード", 5, 0},   {"個人会社区分", 4, 0},  {"会社名", 50, 0},
    {"会社名カナ", 30, 0},     {"部署", 40, 0},          {"役職", 30, 0},         {"名前", 14, 0},
    {"名前カナ", 14, 0},       {"URL", 50, 0},           {"メールアドレス１", 30, 0}, {"メールアドレス２", 30, 0},
    {"連名１", 8, 0},          {"連名２", 8, 0},         {"連名３", 8, 0},        {"連名４", 8, 0},
    {"連名５", 8, 0},          {"キーワード１", 30, 0},  {"キーワード２", 30, 0}, {"キーワード３", 30, 0},
    {"キーワード４", 30, 0},   {"キーワード５", 30, 0},  {"キーワード６", 30, 0}, {"キーワード７", 30, 0},
    {"キーワード８", 30, 0},   {"備考", 60, 0},          {"シンボル", 5, 1},      {"登録日時", 19, 0},
    {"登録日付", 10, 0},       {"登録時刻", 8, 0},       {"更新日時", 19, 0},     {"更新日付", 10, 0},
    {"更新時刻", 8, 0},
}};

constexpr int kFirstKeywordItem = 29;

const QString kItemNo = QStringLiteral("ItemNo");
const QString kItemSize = QStringLiteral("ItemSize");
const QString kItemAlign = QStringLiteral("ItemAlign");
const QString kItemSizeFitted = QStringLiteral("ItemSizeFitted");

// Whole decimal numbers only: an optional sign and digits, nothing else.
std::optional<int> wholeNumber(const QString &text)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}

int inRange(int value, int low, int high, int defaultValue)
{
    return value < low || value > high ? defaultValue : value;
}

QString colorKey(int n)
{
    return QStringLiteral("Color%1").arg(n);
}

// The sections of a Shift-JIS INI text in file order, each with its keys
// (first occurrence wins, as a reader of such files sees them).
struct TRawSection {
    QString Name;
    std::vector<std::pair<QString, QString>> Keys;
    // Its lines failed their sum: changed since the program wrote them.
    bool Damaged = false;
    [[nodiscard]] QString value(const QString &key) const
    {
        for (const auto &[name, text] : Keys)
            if (name.compare(key, Qt::CaseInsensitive) == 0)
                return text;
        return {};
    }
};

struct TRawTemplates {
    std::vector<TRawSection> Sections;
    // Lines of a template whose section line did not read, as found.
    QStringList LostLines;
};

quint32 crc32(QByteArrayView bytes)
{
    quint32 crc = 0xFFFFFFFFU;
    for (const char c : bytes) {
        crc ^= quint8(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320U & (0U - (crc & 1U)));
    }
    return ~crc;
}

// What a template's sum covers: its lines that carry text, without the
// blanks around them and the comments (the sum line among them), one LF
// after each. A blank line or blanks added or lost change no template and
// are no damage.
quint32 blockSum(const QStringList &lines)
{
    QByteArray text;
    for (const QString &line : lines) {
        text += Cp932::encode(line);
        text += '\n';
    }
    return crc32(text);
}

const QRegularExpression &sumLine()
{
    static const QRegularExpression pattern(QStringLiteral("^;\\s*sum=([0-9A-Fa-f]{8})$"));
    return pattern;
}

// The file's sections. The program ends each template with the sum of its
// lines ("; sum=XXXXXXXX", a comment to any INI reader): the lines up to a
// sum are one template's, and when they fail it, its sections are marked
// damaged, or, when no section line among them reads, its lines are kept
// to be named. A file without sums (an earlier version's, or made by hand)
// is read as it stands.
std::optional<TRawTemplates> parseTemplateText(const QByteArray &bytes)
{
    if (bytes.contains('\0'))
        return std::nullopt;
    const QString text = Cp932::decode(bytes);
    if (text.contains(QChar(0xFFFD)))
        return std::nullopt;
    TRawTemplates result;
    std::vector<TRawSection> &sections = result.Sections;
    TRawSection *current = nullptr;
    QStringList block;
    std::vector<size_t> blockSections;
    const auto takeLine = [&](const QString &trimmed) {
        if (trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']'))) {
            const QString name = trimmed.mid(1, trimmed.size() - 2).trimmed();
            auto found = std::find_if(sections.begin(), sections.end(),
                                      [&](const TRawSection &s) { return s.Name == name; });
            if (found == sections.end()) {
                sections.push_back({name, {}});
                found = sections.end() - 1;
            }
            blockSections.push_back(size_t(found - sections.begin()));
            current = &*found;
            return;
        }
        const qsizetype eq = trimmed.indexOf(QLatin1Char('='));
        if (current == nullptr || eq <= 0)
            return;
        const QString key = trimmed.left(eq).trimmed();
        const QString value = trimmed.mid(eq + 1).trimmed();
        const bool known = std::any_of(current->Keys.begin(), current->Keys.end(), [&](const auto &k) {
            return k.first.compare(key, Qt::CaseInsensitive) == 0;
        });
        if (!known)
            current->Keys.emplace_back(key, value);
    };
    bool summed = false;
    const auto markDamaged = [&] {
        for (const size_t i : blockSections)
            sections[i].Damaged = true;
        if (blockSections.empty())
            result.LostLines << block.first();
    };
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (const QRegularExpressionMatch sum = sumLine().match(trimmed); sum.hasMatch()) {
            summed = true;
            if (blockSum(block) != sum.captured(1).toUInt(nullptr, 16) && !block.isEmpty())
                markDamaged();
            // The next template's keys never join this one.
            block.clear();
            blockSections.clear();
            current = nullptr;
            continue;
        }
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';')))
            continue;
        block << trimmed;
        takeLine(trimmed);
    }
    // Lines after the last sum of a file that has sums: a template added
    // by hand, or one whose sum line a change ran into its last line.
    if (summed && !block.isEmpty())
        markDamaged();
    return result;
}

} // namespace

std::vector<TListPrintItem> MakeListPrintItems(const std::array<QString, 9> &keywordNames)
{
    std::vector<TListPrintItem> items;
    items.reserve(ListPrintItemCount);
    for (int i = 0; i < ListPrintItemCount; ++i) {
        const TItemRow &row = kItems[static_cast<std::size_t>(i)];
        TListPrintItem item{QString::fromUtf8(row.Caption), row.Width, row.Align};
        if (i >= kFirstKeywordItem && i < kFirstKeywordItem + 8) {
            const QString &name = keywordNames[static_cast<std::size_t>(i - kFirstKeywordItem + 1)];
            if (!name.isEmpty())
                item.Caption = name;
        }
        items.push_back(item);
    }
    return items;
}

TListPrintColumn DefaultListPrintColumn(int itemNo)
{
    if (itemNo < 0 || itemNo >= ListPrintItemCount)
        return {};
    const TItemRow &row = kItems[static_cast<std::size_t>(itemNo)];
    return {itemNo, row.Width, row.Align};
}

std::optional<TListPrintColumns> ParseListPrintColumns(const QString &itemNo, const QString &itemSize,
                                                       const QString &itemAlign)
{
    if (itemNo.isEmpty() || itemSize.isEmpty() || itemAlign.isEmpty())
        return std::nullopt;
    const qsizetype commas = itemNo.count(QLatin1Char(','));
    if (itemSize.count(QLatin1Char(',')) != commas || itemAlign.count(QLatin1Char(',')) != commas ||
        commas >= ListPrintMaxColumns)
        return std::nullopt;
    const QStringList nos = itemNo.split(QLatin1Char(','));
    const QStringList sizes = itemSize.split(QLatin1Char(','));
    const QStringList aligns = itemAlign.split(QLatin1Char(','));
    TListPrintColumns columns;
    std::set<int> taken;
    for (qsizetype i = 0; i < nos.size(); ++i) {
        const auto no = wholeNumber(nos[i]);
        const auto size = wholeNumber(sizes[i]);
        const auto align = wholeNumber(aligns[i]);
        if (!no || !size || !align)
            return std::nullopt;
        if (*no < 0 || *no >= ListPrintItemCount || *size < 1 || *size > 999 || *align < 0 || *align > 2)
            continue;
        if (*no != 0 && !taken.insert(*no).second)
            continue;
        columns.push_back({*no, *size, *align});
    }
    return columns;
}

TListPrintColumnTexts JoinListPrintColumns(const TListPrintColumns &columns)
{
    QStringList nos;
    QStringList sizes;
    QStringList aligns;
    for (const TListPrintColumn &c : columns) {
        nos << QString::number(c.ItemNo);
        sizes << QString::number(c.ItemSize);
        aligns << QString::number(c.ItemAlign);
    }
    return {nos.join(QLatin1Char(',')), sizes.join(QLatin1Char(',')), aligns.join(QLatin1Char(','))};
}

TListPrintSettings LoadListPrintLayout(const TMemIniFile &ini)
{
    TListPrintSettings s;
    TListPrintLayout &l = s.Layout;
    const QString &sec = ListPrintLayoutSection;
    if (auto columns = ParseListPrintColumns(ini.ReadString(sec, kItemNo, {}), ini.ReadString(sec, kItemSize, {}),
                                             ini.ReadString(sec, kItemAlign, {})))
        s.Columns = std::move(*columns);
    if (ini.ValueExists(sec, kItemSizeFitted))
        s.ColumnsFitted = ini.ReadBool(sec, kItemSizeFitted, false);
    l.IgnoreTdfkn = ini.ReadBool(sec, QStringLiteral("IgnoreTdfkn"), false);
    l.Title = Cp932::truncatedToBytes(TrimBlanks(ini.ReadString(sec, QStringLiteral("Title"), {})),
                                      ListPrintTitleMaxBytes);
    l.TitlePosX = inRange(ini.ReadInteger(sec, QStringLiteral("TitlePosX"), 1), 0, 2, 1);
    l.ViewDate = ini.ReadBool(sec, QStringLiteral("ViewDate"), true);
    l.Date = QDate::currentDate();
    l.DatePosX = inRange(ini.ReadInteger(sec, QStringLiteral("DatePosX"), 2), 0, 2, 2);
    l.DatePosY = inRange(ini.ReadInteger(sec, QStringLiteral("DatePosY"), 0), 0, 1, 0);
    l.ViewPage = ini.ReadBool(sec, QStringLiteral("ViewPage"), true);
    l.PageType = inRange(ini.ReadInteger(sec, QStringLiteral("PageType"), 0), 0, 5, 0);
    l.PagePosX = inRange(ini.ReadInteger(sec, QStringLiteral("PagePosX"), 1), 0, 2, 1);
    l.PagePosY = inRange(ini.ReadInteger(sec, QStringLiteral("PagePosY"), 1), 0, 1, 1);
    l.FontName = Cp932::truncatedToBytes(ini.ReadString(sec, QStringLiteral("FontName"), {}), 255);
    if (l.FontName.trimmed().isEmpty())
        l.FontName = ListPrintDefaultFont;
    const int sizeIndex = ini.ReadInteger(sec, QStringLiteral("FontSize"), 2);
    l.FontSize = ListPrintMinFontSize +
                 inRange(sizeIndex, 0, ListPrintMaxFontSize - ListPrintMinFontSize, 2);
    l.FontStyle = inRange(ini.ReadInteger(sec, QStringLiteral("FontStyle"), 0), 0, 3, 0);
    const int charset = ini.ReadInteger(sec, QStringLiteral("FontCharset"), 128);
    l.FontCharset = charset == 0 || charset == 128 ? charset : 128;
    l.iRowCount = inRange(ini.ReadInteger(sec, QStringLiteral("iRowCount"), 0), 0, 2, 0) + 1;
    l.OffsetX = inRange(ini.ReadInteger(sec, QStringLiteral("OffsetX"), 0), 0, 500, 0);
    l.OffsetY = inRange(ini.ReadInteger(sec, QStringLiteral("OffsetY"), 0), 0, 500, 0);
    for (int i = 0; i < 6; ++i) {
        l.Lines[static_cast<std::size_t>(i)] = ini.ReadBool(sec, QStringLiteral("Line%1").arg(i + 1), false);
        l.LineTypes[static_cast<std::size_t>(i)] = ini.ReadInteger(sec, QStringLiteral("LineType%1").arg(i + 1), 0);
    }
    l.HorzInterval = inRange(ini.ReadInteger(sec, QStringLiteral("HorzInterval"), 1), 1, 20, 1);
    l.HeaderColor = ini.ReadInteger(sec, QStringLiteral("HeaderColor"), 0xFFFFFF);
    l.HeaderColorExists = ini.ReadBool(sec, QStringLiteral("HeaderColorExists"), false);
    const int colorCount = inRange(ini.ReadInteger(sec, QStringLiteral("ColorCount"), 0), 0, 10, 0);
    for (int n = 1; n <= colorCount; ++n)
        l.Colors.push_back(ini.ReadInteger(sec, colorKey(n), 0xFFFFFF));
    l.DataSelect = inRange(ini.ReadInteger(ListPrintSection, QStringLiteral("DataSelect"), 0), 0, 2, 0);
    l.Copies = inRange(ini.ReadInteger(ListPrintSection, QStringLiteral("Copies"), 1), 1, 100, 1);
    s.BeginPos = ini.ReadInteger(ListPrintSection, QStringLiteral("BeginPos"), 0);
    s.EndPos = ini.ReadInteger(ListPrintSection, QStringLiteral("EndPos"), 0);
    return s;
}

void SaveListPrintLayout(TMemIniFile &ini, const TListPrintSettings &s)
{
    const TListPrintLayout &l = s.Layout;
    const QString &sec = ListPrintLayoutSection;
    const TListPrintColumnTexts texts = JoinListPrintColumns(s.Columns);
    ini.WriteString(sec, kItemNo, texts.ItemNo);
    ini.WriteString(sec, kItemSize, texts.ItemSize);
    ini.WriteString(sec, kItemAlign, texts.ItemAlign);
    if (s.ColumnsFitted)
        ini.WriteBool(sec, kItemSizeFitted, *s.ColumnsFitted);
    ini.WriteBool(sec, QStringLiteral("IgnoreTdfkn"), l.IgnoreTdfkn);
    // An ideographic space at either end belongs to the title.
    ini.WriteString(sec, QStringLiteral("Title"), TrimBlanks(l.Title));
    ini.WriteInteger(sec, QStringLiteral("TitlePosX"), l.TitlePosX);
    ini.WriteBool(sec, QStringLiteral("ViewDate"), l.ViewDate);
    ini.WriteInteger(sec, QStringLiteral("DatePosX"), l.DatePosX);
    ini.WriteInteger(sec, QStringLiteral("DatePosY"), l.DatePosY);
    ini.WriteBool(sec, QStringLiteral("ViewPage"), l.ViewPage);
    ini.WriteInteger(sec, QStringLiteral("PageType"), l.PageType);
    ini.WriteInteger(sec, QStringLiteral("PagePosX"), l.PagePosX);
    ini.WriteInteger(sec, QStringLiteral("PagePosY"), l.PagePosY);
    ini.WriteString(sec, QStringLiteral("FontName"), l.FontName.trimmed());
    if (l.FontSize >= ListPrintMinFontSize && l.FontSize <= ListPrintMaxFontSize)
        ini.WriteInteger(sec, QStringLiteral("FontSize"), l.FontSize - ListPrintMinFontSize);
    ini.WriteInteger(sec, QStringLiteral("FontStyle"), l.FontStyle);
    ini.WriteInteger(sec, QStringLiteral("FontCharset"), l.FontCharset);
    ini.WriteInteger(sec, QStringLiteral("iRowCount"), l.iRowCount - 1);
    ini.WriteInteger(sec, QStringLiteral("OffsetX"), l.OffsetX);
    ini.WriteInteger(sec, QStringLiteral("OffsetY"), l.OffsetY);
    for (int i = 0; i < 6; ++i) {
        ini.WriteBool(sec, QStringLiteral("Line%1").arg(i + 1), l.Lines[static_cast<std::size_t>(i)]);
        ini.WriteInteger(sec, QStringLiteral("LineType%1").arg(i + 1), l.LineTypes[static_cast<std::size_t>(i)]);
    }
    ini.WriteInteger(sec, QStringLiteral("HorzInterval"), l.HorzInterval);
    ini.WriteInteger(sec, QStringLiteral("HeaderColor"), l.HeaderColor);
    ini.WriteBool(sec, QStringLiteral("HeaderColorExists"), l.HeaderColorExists);
    // Colours beyond the new count would otherwise come back with a later,
    // larger count.
    for (int n = 1; n <= 10; ++n)
        ini.DeleteKey(sec, colorKey(n));
    ini.WriteInteger(sec, QStringLiteral("ColorCount"), static_cast<int>(l.Colors.size()));
    for (std::size_t n = 0; n < l.Colors.size(); ++n)
        ini.WriteInteger(sec, colorKey(static_cast<int>(n) + 1), l.Colors[n]);
    ini.WriteInteger(ListPrintSection, QStringLiteral("DataSelect"), l.DataSelect);
    ini.WriteInteger(ListPrintSection, QStringLiteral("Copies"), l.Copies);
    ini.WriteInteger(ListPrintSection, QStringLiteral("BeginPos"), s.BeginPos);
    ini.WriteInteger(ListPrintSection, QStringLiteral("EndPos"), s.EndPos);
}

TTemplateRead ReadTemplateFile(const QString &fileName, TListPrintTemplates &target, int *notWhole,
                               TTemplateDamage *damage)
{
    const QFileInfo info(fileName);
    if (!info.exists())
        return TTemplateRead::Missing;
    if (!info.isFile() || info.size() > ListPrintTemplateFileMax)
        return TTemplateRead::Unreadable;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return TTemplateRead::Unreadable;
    // Bounded even when the file grew after the size was taken.
    const QByteArray bytes = file.read(ListPrintTemplateFileMax + 1);
    if (bytes.size() > ListPrintTemplateFileMax)
        return TTemplateRead::Unreadable;
    const TTemplateRead read = ReadTemplateBytes(bytes, target, notWhole, damage ? &damage->Entries : nullptr);
    if (damage && !damage->Entries.isEmpty())
        damage->Bytes = bytes;
    return read;
}

TTemplateRead ReadTemplateBytes(const QByteArray &bytes, TListPrintTemplates &target, int *notWhole,
                                QStringList *damaged)
{
    int lost = 0;
    const auto parsed = parseTemplateText(bytes);
    if (!parsed)
        return TTemplateRead::Unreadable;
    if (damaged) {
        damaged->clear();
        for (const TRawSection &section : parsed->Sections)
            if (section.Damaged)
                *damaged << QLatin1Char('[') + section.Name + QLatin1Char(']');
        *damaged << parsed->LostLines;
    }
    lost += int(parsed->LostLines.size());
    for (const TRawSection &section : parsed->Sections) {
        if (target.size() >= ListPrintMaxTemplates) {
            ++lost;
            continue;
        }
        const QString no = section.value(kItemNo);
        const QString size = section.value(kItemSize);
        const QString align = section.value(kItemAlign);
        if (no.isEmpty() || size.isEmpty() || align.isEmpty() || section.Name.isEmpty()) {
            ++lost;
            continue;
        }
        auto columns = ParseListPrintColumns(no, size, align);
        // A section whose every column was dropped would be applied as no
        // columns at all and written back as a section no reader takes.
        if (!columns || columns->empty()) {
            ++lost;
            continue;
        }
        if (static_cast<qsizetype>(columns->size()) != no.count(QLatin1Char(',')) + 1 ||
            section.Name.size() > ListPrintTemplateNameMax)
            ++lost;
        target.push_back({section.Name.left(ListPrintTemplateNameMax), std::move(*columns)});
    }
    if (notWhole)
        *notWhole = lost;
    return TTemplateRead::Read;
}

QByteArray TemplateFileBytes(const TListPrintTemplates &templates)
{
    QByteArray bytes;
    for (const TListPrintTemplate &t : templates) {
        const TListPrintColumnTexts texts = JoinListPrintColumns(t.Columns);
        bytes += '[' + Cp932::encode(t.Name.trimmed()) + "]\r\n";
        bytes += "ItemNo=" + texts.ItemNo.toLatin1() + "\r\n";
        bytes += "ItemSize=" + texts.ItemSize.toLatin1() + "\r\n";
        bytes += "ItemAlign=" + texts.ItemAlign.toLatin1() + "\r\n";
        // Each template's own sum: a change is told and costs that template
        // alone.
        const QStringList lines{QLatin1Char('[') + t.Name.trimmed() + QLatin1Char(']'),
                                QStringLiteral("ItemNo=") + texts.ItemNo, QStringLiteral("ItemSize=") + texts.ItemSize,
                                QStringLiteral("ItemAlign=") + texts.ItemAlign};
        bytes += "; sum=" + QByteArray::number(blockSum(lines), 16).toUpper().rightJustified(8, '0') + "\r\n";
        bytes += "\r\n";
    }
    return bytes;
}

bool WriteTemplateFile(const QString &fileName, const TListPrintTemplates &templates, QString *error)
{
    return SafeReplaceFile(fileName, TemplateFileBytes(templates), error);
}

bool SaveTemplateChanges(const QString &fileName, const TListPrintTemplates &base, const TListPrintTemplates &mine,
                         TListPrintTemplates &saved, QString *error)
{
    auto refuse = [&](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    const QString blocked = QStringLiteral("読み込めなかったテンプレートファイルを上書きしないため  \r\n") +
                            QDir::toNativeSeparators(fileName);
    // Held until the file is replaced: no other program reads the templates
    // between this read and this write.
    TFileLock lock(fileName);
    if (!lock.Acquire(SharedFileWaitMs, error))
        return false;
    RecoverSafeReplace(fileName);
    TListPrintTemplates current;
    int notWhole = 0;
    TTemplateDamage damage;
    switch (ReadTemplateFile(fileName, current, &notWhole, &damage)) {
    case TTemplateRead::Missing:
        break;
    case TTemplateRead::Unreadable:
        // What this window read of it stands for it; the file stays aside.
        if (KeepUnreadableFileAside(fileName, QStringLiteral("not a template file")).isEmpty())
            return refuse(blocked);
        current = base;
        break;
    case TTemplateRead::Read:
        // Templates the read did not take would be lost with the rewrite.
        if (!damage.Entries.isEmpty()) {
            if (KeepDamagedFileCopy(fileName, damage.Bytes, damage.Entries).isEmpty())
                return refuse(blocked);
        } else if (notWhole > 0 &&
                   KeepUnreadableFileAside(fileName, QStringLiteral("templates that could not be read")).isEmpty()) {
            return refuse(blocked);
        }
        break;
    }
    // Matched by the name as the file stores it: two names the code page
    // stores alike would be two sections the reader takes as one.
    MergeEntryChanges(
        current, base, mine,
        [](const TListPrintTemplate &a, const TListPrintTemplate &b) {
            return Cp932::encode(a.Name.trimmed()) == Cp932::encode(b.Name.trimmed());
        },
        [](const TListPrintTemplate &a, const TListPrintTemplate &b) { return a == b; });
    if (current.size() > std::size_t(ListPrintMaxTemplates))
        return refuse(QStringLiteral("ほかの画面かほかのプログラムで保存されたテンプレートと合わせると%1件を超えるため")
                          .arg(ListPrintMaxTemplates));
    const QByteArray bytes = TemplateFileBytes(current);
    if (!SafeReplaceFile(fileName, bytes, error))
        return false;
    // The names as the file holds them (a look-alike the code page stores
    // as another character): the base of the next save matches the file's.
    saved.clear();
    (void)ReadTemplateBytes(bytes, saved, nullptr, nullptr);
    return true;
}

namespace {

// The list-print item printing each main-list column, by the column's
// catalogue caption.
int itemOfListColumn(const QString &caption)
{
    static const std::vector<std::pair<QString, int>> map = [] {
        std::vector<std::pair<QString, int>> m{
            {QStringLiteral("No."), 1},          {QStringLiteral("グループ"), 2},   {QStringLiteral("顧客コード"), 3},
            {QStringLiteral("電話番号"), 4},     {QStringLiteral("代表電話"), 5},   {QStringLiteral("FAX番号"), 6},
            {QStringLiteral("初期掲載年月"), 7}, {QStringLiteral("携帯番号1"), 8},  {QStringLiteral("携帯番号2"), 9},
            {QStringLiteral("〒"), 10},          {QStringLiteral("住所"), 11},      {QStringLiteral("住所カナ"), 12},
            {QStringLiteral("個人会社区分"), 14}, {QStringLiteral("会社名"), 15},   {QStringLiteral("会社名カナ"), 16},
            {QStringLiteral("部署"), 17},        {QStringLiteral("役職"), 18},      {QStringLiteral("名前"), 19},
            {QStringLiteral("名前カナ"), 20},    {QStringLiteral("URL"), 21},       {QStringLiteral("E-Mail1"), 22},
            {QStringLiteral("E-Mail2"), 23},     {QStringLiteral("備考"), 37},      {QStringLiteral("シンボル"), 38},
            {QStringLiteral("登録日時"), 39},    {QStringLiteral("登録日付"), 40},  {QStringLiteral("登録時刻"), 41},
            {QStringLiteral("更新日時"), 42},    {QStringLiteral("更新日付"), 43},  {QStringLiteral("更新時刻"), 44},
        };
        for (int n = 1; n <= 5; ++n)
            m.emplace_back(QStringLiteral("連名%1").arg(n), 23 + n);
        for (int n = 1; n <= 8; ++n)
            m.emplace_back(QStringLiteral("キーワード%1").arg(n), 28 + n);
        return m;
    }();
    for (const auto &[text, item] : map)
        if (text == caption)
            return item;
    return -1;
}

} // namespace

TListPrintColumns ListLayoutColumns(const std::vector<int> &shownColumnDefIndexes)
{
    TListPrintColumns columns;
    for (int def : shownColumnDefIndexes) {
        if (def < 0 || def >= AddressListColumnCount)
            continue;
        const int item = itemOfListColumn(AddressListColumns[static_cast<std::size_t>(def)].Caption);
        if (item > 0)
            columns.push_back(DefaultListPrintColumn(item));
    }
    return columns;
}
