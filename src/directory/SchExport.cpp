#include "directory/SchExport.h"

#include "core/OwnFiles.h"
#include "core/Wqarea17Wrapper.h"
#include "core/WqhypWrapper.h"
#include "directory/SchArea.h"
#include "platform/Cp932.h"
#include "platform/SafeFile.h"
#include "platform/WriteError.h"
#include "util/StrFunc.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>

#include <algorithm>
#include <cstring>

namespace {

enum TColumn { cTel, cMain, cFax, cPostcode, cAdrsKana, cPref, cAdrs1, cAdrs2, cCityCode, cCorpKana, cCorp,
               cNameKana, cName, cKind, cMonth };

QByteArray field(const char *text, std::size_t size)
{
    return QByteArray(text, static_cast<qsizetype>(strnlen(text, size))).trimmed();
}

QByteArray monthText(const QByteArray &month)
{
    if (month.size() < 6)
        return {};
    return month.left(4) + Cp932::encode(u"年") + month.mid(4, 2) + Cp932::encode(u"月");
}

QByteArray csvField(const QByteArray &value)
{
    if (!value.contains(',') && !value.contains('"') && !value.contains('\n') && !value.contains('\r'))
        return value;
    QByteArray quoted = value;
    quoted.replace("\"", "\"\"");
    return '"' + quoted + '"';
}

void setPhones(std::array<QByteArray, 15> &v, int kind, const QByteArray &number)
{
    if (kind == 0 || kind == 2 || kind == 3)
        v[cTel] = number;
    if (kind == 1 || kind == 2)
        v[cFax] = number;
    if (kind == 3)
        v[cMain] = Cp932::encode(u"代表");
}

} // namespace

TExportColumns DefaultExportColumns()
{
    TExportColumns c;
    for (int i = 0; i < 15; ++i)
        c[static_cast<std::size_t>(i)] = {i, true};
    return c;
}

TExportColumns ParseExportColumns(const QString &Items, const QString &Flags)
{
    TExportColumns c = DefaultExportColumns();
    const QStringList items = Items.split(u',');
    if (items.size() == 15) {
        std::array<bool, 15> seen{};
        TExportColumns ordered = c;
        bool ok = true;
        for (int i = 0; i < 15 && ok; ++i) {
            const int item = items.at(i).trimmed().toInt(&ok);
            ok = ok && item >= 0 && item < 15 && !seen[static_cast<std::size_t>(item)];
            if (ok) {
                seen[static_cast<std::size_t>(item)] = true;
                ordered[static_cast<std::size_t>(i)].Item = item;
            }
        }
        if (ok)
            c = ordered;
    }
    const QStringList flags = Flags.split(u',');
    if (flags.size() == 15)
        for (int i = 0; i < 15; ++i)
            c[static_cast<std::size_t>(i)].Exported = flags.at(i).trimmed() == u"1";
    return c;
}

QString ExportItemsText(const TExportColumns &Columns)
{
    QStringList parts;
    for (const TExportColumn &c : Columns)
        parts << QString::number(c.Item);
    return parts.join(u',');
}

QString ExportFlagsText(const TExportColumns &Columns)
{
    QStringList parts;
    for (const TExportColumn &c : Columns)
        parts << (c.Exported ? QStringLiteral("1") : QStringLiteral("0"));
    return parts.join(u',');
}

bool ExportNeedsRecord(const TExportColumns &Columns)
{
    return std::any_of(Columns.begin(), Columns.end(), [](const TExportColumn &c) {
        return c.Exported && HitColumnCatalogue[static_cast<std::size_t>(c.Item)].NeedsRecord;
    });
}

QByteArray BuildHeaderLine(const TExportColumns &Columns)
{
    QByteArray line;
    for (const TExportColumn &c : Columns)
        if (c.Exported)
            line += csvField(Cp932::encode(QString::fromUtf16(HitColumnCatalogue[static_cast<std::size_t>(c.Item)].Caption)))
                    + ',';
    line.chop(1);
    return line;
}

QByteArray BuildHitLine(const TAreaSearchHit &Hit, const std::optional<TTelRecord> &Record,
                        const TExportColumns &Columns)
{
    std::array<QByteArray, 15> v;
    if (Record) {
        const TTelRecord &r = *Record;
        setPhones(v, r.PhoneKind, field(r.Phone, sizeof r.Phone));
        const QByteArray postcode = field(r.Postcode, sizeof r.Postcode);
        if (postcode.size() == 5 || postcode.size() == 7)
            v[cPostcode] = postcode.left(3) + '-' + postcode.mid(3);
        v[cAdrsKana] = field(r.PrefKana, sizeof r.PrefKana) + field(r.CityKana, sizeof r.CityKana)
                       + field(r.Address2aKana, sizeof r.Address2aKana)
                       + field(r.Address2bKana, sizeof r.Address2bKana)
                       + field(r.Address2cKana, sizeof r.Address2cKana);
        v[cPref] = field(r.Pref, sizeof r.Pref);
        v[cAdrs1] = field(r.City, sizeof r.City);
        v[cAdrs2] = field(r.Address2a, sizeof r.Address2a) + field(r.Address2b, sizeof r.Address2b)
                    + field(r.Address2c, sizeof r.Address2c);
        v[cCityCode] = field(r.Codes, sizeof r.Codes).left(5);
        const bool person = r.ListingKind == 99;
        v[person ? cNameKana : cCorpKana] = field(r.NameKana, sizeof r.NameKana);
        v[person ? cName : cCorp] = field(r.Name, sizeof r.Name);
        v[cKind] = Cp932::encode(person ? u"個人" : u"会社");
        v[cMonth] = monthText(field(r.FirstMonth, sizeof r.FirstMonth));
    } else {
        setPhones(v, Hit.PhoneKind, field(Hit.Phone, sizeof Hit.Phone));
        QByteArray pref, rest;
        const QByteArray address = field(Hit.Address, sizeof Hit.Address);
        if (SplitPrefecture(address, pref, rest)) {
            v[cPref] = pref;
            v[cAdrs1] = rest;
        } else {
            v[cAdrs1] = address;
        }
        v[cCorp] = v[cName] = field(Hit.Name, sizeof Hit.Name);
        v[cMonth] = monthText(field(Hit.FirstMonth, sizeof Hit.FirstMonth));
    }
    QByteArray line;
    bool any = false;
    for (const TExportColumn &c : Columns) {
        if (!c.Exported)
            continue;
        const QByteArray &value = v[static_cast<std::size_t>(c.Item)];
        any = any || !value.isEmpty();
        line += csvField(value) + ',';
    }
    if (!any)
        return {};
    line.chop(1);
    return line;
}

namespace {

// Whether Head (the start of a file) reads as Shift-JIS text.
bool isShiftJisText(const QByteArray &Head)
{
    if (Head.startsWith("\xEF\xBB\xBF") || Head.startsWith("\xFF\xFE") || Head.startsWith("\xFE\xFF")
        || Head.contains('\0'))
        return false;
    // A character cut by the end of the head is no fault of the file.
    return !Cp932::decode(QByteArrayView(Head).first(Cp932::boundaryAtOrBefore(Head, Head.size())))
                .contains(QChar::ReplacementCharacter);
}

} // namespace

TExportFile::TExportFile() = default;

TExportFile::~TExportFile()
{
    Abandon();
}

bool TExportFile::Open(const QString &FileName, bool Append, QString *Error)
{
    Abandon();
    auto fail = [&](const QString &Reason) {
        if (Error != nullptr)
            *Error = Reason;
        Abandon();
        return false;
    };
    if (const QString refusal = ProgramFileRefusal(FileName); !refusal.isEmpty())
        return fail(refusal);
    // A new file takes the old one's place by a rename, which the folder
    // allows whatever the file's own setting: a file set read-only is refused
    // here, with the cause every writer gives.
    if (const int code = ReadOnlyFileError(FileName))
        return fail(WriteErrorReason(code, TWriteTarget::File));
    const QFileInfo info(FileName);
    if (!Append && info.exists() && !info.isFile()) {
        // No regular file (a device, a pipe): written where it is, nothing to put back.
        m_append = std::make_unique<QFile>(FileName);
        m_appendFrom = -1;
        if (!m_append->open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return fail(m_append->errorString());
        return true;
    }
    if (!Append || !info.isFile()) {
        // Never written in place: a failure half-way would leave the old
        // file cut.
        m_new = std::make_unique<QSaveFile>(FileName);
        m_new->setDirectWriteFallback(false);
        if (!m_new->open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return fail(m_new->errorString());
        return true;
    }
    m_append = std::make_unique<QFile>(FileName);
    if (!m_append->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return fail(m_append->errorString());
    m_appendFrom = m_append->size();
    if (m_appendFrom == 0)
        return true;
    // Read through a second handle: the appending one always writes at the end.
    QFile reader(FileName);
    if (!reader.open(QIODevice::ReadOnly))
        return fail(reader.errorString());
    const QByteArray head = reader.read(64 * 1024);
    char last = '\n';
    if (!reader.seek(m_appendFrom - 1) || !reader.getChar(&last))
        return fail(reader.errorString());
    reader.close();
    if (!isShiftJisText(head))
        return fail(QStringLiteral("Shift-JISのテキストファイルではないため追加できません"));
    if (last != '\n') {
        m_pending = last == '\r' ? QByteArray("\n") : QByteArray("\r\n");
    }
    return true;
}

bool TExportFile::writePending(QString *Error)
{
    QFileDevice *file = m_new ? static_cast<QFileDevice *>(m_new.get()) : m_append.get();
    if (file == nullptr)
        return false;
    if (m_pending.isEmpty())
        return true;
    const qint64 written = file->write(m_pending);
    if (written == m_pending.size()) {
        m_pending.clear();
        return true;
    }
    if (Error != nullptr)
        *Error = written < 0 || file->error() != QFileDevice::NoError ? file->errorString()
                                                                       : QStringLiteral("書き込みが途中で終わりました");
    return false;
}

bool TExportFile::WriteLine(const QByteArray &Line, QString *Error)
{
    if (!m_new && !m_append)
        return false;
    m_pending += Line;
    m_pending += "\r\n";
    return m_pending.size() < 64 * 1024 || writePending(Error);
}

bool TExportFile::Finish(QString *Error)
{
    if (!m_new && !m_append)
        return false;
    QString failure;
    if (!writePending(&failure)) {
        if (failure.isEmpty())
            failure = QStringLiteral("書き込めません");
    } else if (m_new) {
        if (!m_new->commit())
            failure = m_new->errorString();
        m_new.reset();
    } else {
        m_append->close();
        if (m_append->error() != QFileDevice::NoError)
            failure = m_append->errorString();
        else
            m_append.reset();
    }
    if (failure.isEmpty())
        return true;
    if (Error != nullptr)
        *Error = failure;
    Abandon();
    return false;
}

void TExportFile::Abandon()
{
    m_pending.clear();
    if (m_new) {
        m_new->cancelWriting();
        m_new.reset();
    }
    if (m_append) {
        const QString name = m_append->fileName();
        // The file is cut back to its old end.
        m_append->close();
        if (m_appendFrom >= 0)
            (void)QFile::resize(name, m_appendFrom);
        m_append.reset();
    }
}

QString UnreadableHitMessage(const TAreaSearchHit &Hit)
{
    const QString phone = Cp932::decode(field(Hit.Phone, sizeof Hit.Phone));
    const QString name = Cp932::decode(field(Hit.Name, sizeof Hit.Name));
    return QStringLiteral("電話帳のデータが読めませんでした  \r\n") + phone + QStringLiteral("  ") + name +
           QStringLiteral("  ");
}

std::optional<TTelRecord> FetchHitRecord(const TAreaSearchHit &Hit, const TAreaSearchCondition &First)
{
    TTelSearchCondition request{};
    int n = 0;
    for (std::size_t i = 0; i < sizeof Hit.Phone && Hit.Phone[i] != 0; ++i)
        if (Hit.Phone[i] >= '0' && Hit.Phone[i] <= '9' && n < 15)
            request.Phone[n++] = Hit.Phone[i];
    request.Always1 = 1;
    std::memcpy(request.DataFolder, First.DataFolder, sizeof request.DataFolder);
    std::memcpy(request.DicFolder, First.DicFolder, sizeof request.DicFolder);
    TTelRecord record{};
    if (CallWqareaTelOne(request, record, Hit.RecordKey) != 0)
        return std::nullopt;
    const QByteArray hyphenated = HyphenatePhoneNumber(field(record.Phone, sizeof record.Phone));
    if (!hyphenated.isEmpty() && hyphenated.size() < static_cast<qsizetype>(sizeof record.Phone)) {
        std::memset(record.Phone, 0, sizeof record.Phone);
        std::memcpy(record.Phone, hyphenated.constData(), static_cast<std::size_t>(hyphenated.size()));
    }
    return record;
}
