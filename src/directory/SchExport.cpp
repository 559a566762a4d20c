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
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    // The cause of a refused open, in the words every writer uses.
    auto refused = [&](int Code) { return fail(WriteErrorReason(Code, TWriteTarget::File)); };
    if (const QString refusal = ProgramFileRefusal(FileName); !refusal.isEmpty())
        return fail(refusal);
    // A new file takes the old one's place by a rename, which the folder
    // allows whatever the file's own setting: a file set read-only is refused
    // here, with the cause every writer gives.
    if (const int code = ReadOnlyFileError(FileName))
        return refused(code);
    const QByteArray name = QFile::encodeName(FileName);
    const QFileInfo info(FileName);
    if (!Append && info.exists() && !info.isFile()) {
        // No regular file (a device, a pipe): written where it is, nothing to put back.
        m_appendFrom = -1;
        m_fd = ::open(name.constData(), O_WRONLY | O_CLOEXEC);
        return m_fd >= 0 || refused(errno);
    }
    if (!Append || !info.isFile()) {
        // Never written in place: a failure half-way would leave the old
        // file cut.
        m_new = std::make_unique<TSafeReplacement>(FileName);
        QString reason;
        if (!m_new->Begin(&reason))
            return fail(reason);
        m_fd = ::open(QFile::encodeName(m_new->TemporaryPath()).constData(), O_WRONLY | O_CLOEXEC);
        return m_fd >= 0 || refused(errno);
    }
    m_fd = ::open(name.constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (m_fd < 0)
        return refused(errno);
    struct stat st {};
    if (::fstat(m_fd, &st) != 0)
        return refused(errno);
    m_appendFrom = qint64(st.st_size);
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
    if (m_fd < 0)
        return false;
    const int code = WriteAllTo(m_fd, m_pending.constData(), m_pending.size());
    if (code == 0) {
        m_pending.clear();
        return true;
    }
    if (Error != nullptr)
        *Error = WriteErrorReason(code, TWriteTarget::File);
    return false;
}

bool TExportFile::WriteLine(const QByteArray &Line, QString *Error)
{
    if (m_fd < 0)
        return false;
    m_pending += Line;
    m_pending += "\r\n";
    return m_pending.size() < 64 * 1024 || writePending(Error);
}

bool TExportFile::Finish(QString *Error)
{
    if (m_fd < 0)
        return false;
    QString failure;
    if (!writePending(&failure)) {
        if (failure.isEmpty())
            failure = WriteErrorReason(EIO, TWriteTarget::File);
    } else if (m_new) {
        // The temporary is synced and put in place by its commit.
        if (::close(std::exchange(m_fd, -1)) != 0)
            failure = WriteErrorReason(errno, TWriteTarget::File);
        else if (!m_new->Commit(&failure) && failure.isEmpty())
            failure = WriteErrorReason(EIO, TWriteTarget::File);
        m_new.reset();
    } else if (m_appendFrom >= 0 && ::fsync(m_fd) != 0) {
        // The lines appended are on the disk before they count as written: a
        // disk that fills only now says so here, and they are cut off again.
        failure = WriteErrorReason(errno, TWriteTarget::File);
    } else {
        // Synced: whatever closing could report, the sync reported first.
        ::close(std::exchange(m_fd, -1));
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
    // A file appended to is cut back to its old end; the temporary of a new
    // file goes with its replacement.
    if (m_fd >= 0 && !m_new && m_appendFrom >= 0)
        (void)::ftruncate(m_fd, off_t(m_appendFrom));
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_new.reset();
    m_appendFrom = 0;
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
