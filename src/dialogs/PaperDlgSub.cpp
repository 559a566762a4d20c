#include "dialogs/PaperDlgSub.h"

#include "platform/Cp932.h"
#include "platform/SafeFile.h"
#include "platform/SharedIni.h"
#include "platform/TextLines.h"
#include "util/MsgBoxPos.h"
#include "util/StrFunc.h"
#include "util/SubUnit.h"
#include "util/WriteFailure.h"
#include "widgets/CheckedCaption.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

void showUnreadable(QWidget *owner, const QString &path, const QString &reason, const QString &keptAs)
{
    QString text = QStringLiteral("用紙情報ファイルを読めません。  \r\n%1  \r\n%2  ").arg(QDir::toNativeSeparators(path), reason);
    if (!keptAs.isEmpty())
        text += QStringLiteral("\r\nこのファイルは %1 として残しました。  ").arg(QFileInfo(keptAs).fileName());
    ShowMessageBoxAt(owner, text, ProductCaption(), MB_ICONERROR, mbpCenterOnOwner, 0, 0);
}

QString keepAside(const QString &path)
{
    const QString base = path + QStringLiteral(".unreadable-") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int n = 1; n < 1000; ++n) {
        const QString target = n == 1 ? base : base + QStringLiteral("-%1").arg(n);
        if (QFileInfo::exists(target) || QFileInfo(target).isSymLink())
            continue;
        return QFile::rename(path, target) ? target : QString();
    }
    return {};
}

template <typename Catalogue>
void loadAny(QWidget *owner, Catalogue &catalogue, const QString &path)
{
    QString error;
    if (!catalogue.load(path, &error) && !error.isEmpty())
        showUnreadable(owner, path, error, QString());
}

} // namespace

namespace PaperDlg {

void loadCatalogue(QWidget *owner, TLayoutCatalogue &catalogue, const QString &path) { loadAny(owner, catalogue, path); }
void loadCatalogue(QWidget *owner, TDesignCatalogue &catalogue, const QString &path) { loadAny(owner, catalogue, path); }

bool loadUserFormats(QWidget *owner, TCustomFormats &formats, const QString &path)
{
    QString error;
    if (formats.load(path, &error) || error.isEmpty())
        return true;
    const QString kept = keepAside(path);
    showUnreadable(owner, path, error, kept);
    return !kept.isEmpty();
}

void saveUserFormats(QWidget *owner, TCustomFormats &base, TCustomFormats &formats, const QString &path,
                     bool allowed, int *selected)
{
    if (!allowed)
        return;
    QString error;
    TCustomFormats current;
    QHash<std::int32_t, std::int32_t> ids;
    {
        // Held until the file is replaced: no other program reads the
        // formats between this read and this write.
        TFileLock lock(path);
        if (!lock.Acquire(SharedFileWaitMs, &error)) {
            ShowWriteFailure(owner, QStringLiteral("ユーザー用紙"), path, error);
            return;
        }
        if (!current.load(path, &error) && !error.isEmpty()) {
            // Damaged since the dialog read it: what the dialog read stands
            // for it, and the file stays aside.
            // The user is told once the lock is given back: the message box
            // runs the event loop, and no other save may wait on it.
            const QString kept = keepAside(path);
            AfterFileLocks([owner, path, error, kept] { showUnreadable(owner, path, error, kept); });
            if (kept.isEmpty())
                return;
            current = base;
        }
        ids = current.mergeChanges(base, formats);
        if (!current.save(path, &error)) {
            AfterFileLocks(
                [owner, path, error] { ShowWriteFailure(owner, QStringLiteral("ユーザー用紙"), path, error); });
            return;
        }
    }
    if (selected && *selected < 0 && ids.contains(-*selected))
        *selected = -ids.value(-*selected);
    base = current;
    formats = std::move(current);
}

void inform(QWidget *owner, const QStringList &lines)
{
    ShowMessageBoxAt(owner, lines.join(QStringLiteral("  \r\n")) + QStringLiteral("  "), ProductCaption(),
                     MB_ICONINFORMATION, mbpCenterOnOwner, 0, 0);
}

QRadioButton *radio(QWidget *parent, const char *name, const QString &text)
{
    auto *b = new QRadioButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

QWidget *radioPair(QWidget *parent, QRadioButton *a, QRadioButton *b)
{
    auto *box = new QWidget(parent);
    auto *group = new QButtonGroup(box);
    group->addButton(a);
    group->addButton(b);
    auto *row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    a->setParent(box);
    b->setParent(box);
    row->addWidget(a);
    row->addWidget(b);
    row->addStretch();
    return box;
}

QPushButton *button(QWidget *parent, const char *name, const QString &text)
{
    // A focused button takes Return itself; elsewhere Return presses the
    // dialog's default button, OK.
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

void paintPair(QAbstractButton *a, QAbstractButton *b)
{
    PaintCheckedCaption(a);
    PaintCheckedCaption(b);
}

std::optional<int> parseTenths(const QString &text)
{
    const QString filtered = QString::fromLatin1(FilterNumberChars(Cp932::encode(text), nckDigits | nckPeriod));
    const qsizetype dot = text.indexOf(QLatin1Char('.'));
    bool ok = false;
    const double v = filtered.toDouble(&ok);
    if (text.isEmpty() || TrimBlanks(text) != filtered || (dot >= 0 && text.indexOf(QLatin1Char('.'), dot + 1) >= 0) ||
        !ok)
        return std::nullopt;
    return static_cast<int>(std::min<qint64>(RoundHalfAway(v * 10.0L), 32767));
}

QString sizeText(int width, int height)
{
    return QString::asprintf("%.1f x %.1f mm", width / 10.0, height / 10.0);
}

} // namespace PaperDlg
