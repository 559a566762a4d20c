#include "core/AdrsSel.h"

#include "core/Env.h"
#include "platform/Cp932.h"
#include "platform/IniFile.h"
#include "platform/SharedIni.h"
#include "platform/WriteError.h"
#include "util/MsgBoxPos.h"
#include "util/WriteFailure.h"
#include "widgets/CheckedCaption.h"
#include "widgets/TntActnList.h"
#include "widgets/TntComCtrls.h"
#include "widgets/TntStdCtrls.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QVBoxLayout>

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

QList<TAdrsFolderInfo> AdrsFolderList;
int AdrsFolderIndex = -1;

namespace {

const QString SecSort = QStringLiteral("SORT");
const QString SecDelete = QStringLiteral("DELETE");
const QString SecRename = QStringLiteral("RENAME");
const QString KeyCount = QStringLiteral("Count");
const QString ForbiddenChars = QStringLiteral("\\/:;*?\"<>|");

QString msgForbidden()
{
    return QStringLiteral("アドレス帳には次の文字は使えません\r\n \\ / : ; * ? ") + QChar(u'"') +
           QStringLiteral(" < > |   ");
}
QString msgLeadingDot() { return QStringLiteral("' . ' で始まる名前は指定できません  "); }
QString msgTooLong() { return QStringLiteral("アドレス帳の名前の長さは全角で５０文字分までです  "); }
QString msgFolderTooLong() { return QStringLiteral("アドレス帳の名前が長すぎてフォルダー名にできません  "); }
QString msgControlChar() { return QStringLiteral("アドレス帳の名前に制御文字は使えません  "); }
QString msgReserved() { return QStringLiteral("この名前はアドレス帳の管理ファイルに使われているため指定できません  "); }

// Why the folder `path` could not be made: the nearest folder above it that
// is there refuses new names (its rights, a read-only disk), named with the
// cause; empty when it does not refuse.
QString folderRefusal(const QString &path)
{
    QString existing = QDir::cleanPath(path);
    while (!QFileInfo(existing).isDir()) {
        const QString up = QFileInfo(existing).absolutePath();
        if (up == existing)
            return {};
        existing = up;
    }
    if (::faccessat(AT_FDCWD, QFile::encodeName(existing).constData(), W_OK | X_OK, AT_EACCESS) == 0)
        return {};
    const int code = errno;
    return QDir::toNativeSeparators(existing) + QStringLiteral("  \r\n\r\n") +
           WriteErrorReason(code, TWriteTarget::Folder);
}

// Book names compare exactly, as the file system names their folders: "Abc"
// and "abc" are two books.
bool sameName(const QString &a, const QString &b) { return a == b; }

// The numbered entries of a section ("1", "2", ...) in the order of their
// numbers. An entry lost to a damaged line leaves a gap that costs that
// entry alone, not the ones after it.
QList<int> numberedKeys(const TMemIniFile &ini, const QString &section)
{
    QList<int> numbers;
    for (const QString &key : ini.ReadSection(section)) {
        bool ok = false;
        const int number = key.toInt(&ok);
        if (ok && number >= 1)
            numbers << number;
    }
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return numbers;
}

bool appendPending(const QString &section, const QString &value, QString *error)
{
    // Another program on the folder may append its own at the same moment.
    return EditSharedIni(
        AdrsOpFileName(),
        [&](TMemIniFile &ini) {
            // A count lost to a damaged line must not make the new entry take
            // the place of one still pending.
            const QList<int> numbers = numberedKeys(ini, section);
            const int count =
                std::max(ini.ReadInteger(section, KeyCount, 0), numbers.isEmpty() ? 0 : numbers.last()) + 1;
            ini.WriteInteger(section, KeyCount, count);
            ini.WriteString(section, QString::number(count), value);
        },
        error);
}

struct TPendingRename {
    QString OldName;
    QString NewName;
};

// A book folder on its way out is first renamed to this prefix and a number,
// so its own name is free at once and a replay of the deletion can never
// reach a book that later took that name. No book name begins with ".".
const QString DeletingPrefix = QStringLiteral(".deleting-");

bool isDeletingFolder(const QString &name) { return name.startsWith(DeletingPrefix); }

std::function<bool(const QString &, const QString &)> g_renameFailure;

// Renames a folder under AdrsPath; false when it did not move.
bool renameBookFolder(const QString &from, const QString &to)
{
    if (g_renameFailure && g_renameFailure(from, to))
        return false;
    return QDir(AdrsPath).rename(from, to);
}

// Deletes the files of a folder, then the folder; true when it is gone.
bool deleteFolderFiles(const QString &path)
{
    QDir dir(path);
    const QStringList files = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &file : files)
        dir.remove(file);
    QDir().rmdir(path);
    return !QFileInfo::exists(path);
}

// The name a deletion moves a book folder to: one that is not there yet.
QString freeDeletingName()
{
    for (int n = 1;; ++n) {
        const QString name = DeletingPrefix + QString::number(n);
        if (!QFileInfo::exists(AdrsPath + name) && !QFileInfo(AdrsPath + name).isSymLink())
            return name;
    }
}

// A folder name straight under AdrsPath: a damaged or hand-edited AdrsOp.ini
// must not make the start-up delete or move anything outside it.
bool isPlainFolderName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'));
}

bool holdsAddressTable(const QString &folderPath)
{
    const QStringList files = QDir(folderPath).entryList(QDir::Files | QDir::Hidden | QDir::System);
    return std::any_of(files.cbegin(), files.cend(), [](const QString &name) {
        return name.compare(QStringLiteral("Adrs.db"), Qt::CaseInsensitive) == 0;
    });
}

bool isEmptyFolder(const QString &path)
{
    const QFileInfo info(path);
    return info.isDir() && !info.isSymLink() &&
           QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).isEmpty();
}

// Bytes the suffix "（k）" of a temporary book folder takes, for k up to 99.
const int SuffixReserveBytes = static_cast<int>(QStringLiteral("（99）").toUtf8().size());

} // namespace

void SetBookFolderRenameFailure(std::function<bool(const QString &from, const QString &to)> hook)
{
    g_renameFailure = std::move(hook);
}

QString AdrsMngFileName() { return AdrsPath + QStringLiteral("AdrsMng.ini"); }
QString AdrsOpFileName() { return AdrsPath + QStringLiteral("AdrsOp.ini"); }

bool AppendPendingDelete(const QString &folder, QString *error) { return appendPending(SecDelete, folder, error); }

bool AppendPendingRename(const QString &oldName, const QString &newName, QString *error)
{
    return appendPending(SecRename, oldName + QLatin1Char('/') + newName, error);
}

bool SaveBookOrder(QString *error)
{
    if (AdrsFolderList.isEmpty())
        return true;
    // The order is this program's; a book another program added since this
    // one listed the books keeps its place after them.
    return EditSharedIni(
        AdrsMngFileName(),
        [](TMemIniFile &ini) {
            QStringList order;
            for (const TAdrsFolderInfo &book : std::as_const(AdrsFolderList))
                order << book.Folder;
            for (const int key : numberedKeys(ini, SecSort)) {
                const QString folder = ini.ReadString(SecSort, QString::number(key), QString());
                if (!order.contains(folder) && isPlainFolderName(folder) && QFileInfo(AdrsPath + folder).isDir())
                    order << folder;
            }
            ini.EraseSection(SecSort);
            for (int i = 0; i < order.size(); ++i)
                ini.WriteString(SecSort, QString::number(i + 1), order[i]);
        },
        error);
}

bool SaveAdrsName(QString *error)
{
    // The open book of a run on the stand-in data folder is no book of the
    // configured one, whose setting is kept for the next start.
    if (!UnavailableDataPath.isEmpty())
        return true;
    TMemIniFile ini(SettingsFileName());
    ini.WriteString(QStringLiteral("BASE"), QStringLiteral("AdrsName"), AdrsName);
    return ini.UpdateFile(error);
}

TBookNameError CheckBookName(const QString &name)
{
    if (name.isEmpty())
        return TBookNameError::Empty;
    if (name.startsWith(QLatin1Char('.')))
        return TBookNameError::LeadingDot;
    if (std::any_of(name.cbegin(), name.cend(), [](QChar c) { return ForbiddenChars.contains(c); }))
        return TBookNameError::ForbiddenChar;
    if (std::any_of(name.cbegin(), name.cend(), [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; }))
        return TBookNameError::ControlChar;
    // The files that live beside the book folders: a folder of that name
    // would block them. (Their aside copies while they are replaced begin
    // with a dot and hold a ';', which no book name can.)
    for (const QString &file : {QStringLiteral("AdrsOp.ini"), QStringLiteral("AdrsMng.ini")}) {
        if (name == file)
            return TBookNameError::Reserved;
    }
    if (Cp932::byteLength(name) > MaxBookNameBytes)
        return TBookNameError::TooLong;
    if (QFile::encodeName(name).size() + SuffixReserveBytes > MaxBookFolderBytes)
        return TBookNameError::FolderTooLong;
    return TBookNameError::None;
}

QString TrimBookName(const QString &name) { return name.trimmed(); }

QString FitBookName(const QString &name)
{
    QString fitted = Cp932::truncatedToBytes(name, MaxBookNameBytes);
    while (!fitted.isEmpty() && QFile::encodeName(fitted).size() + SuffixReserveBytes > MaxBookFolderBytes) {
        fitted.chop(1);
        if (!fitted.isEmpty() && fitted.back().isHighSurrogate())
            fitted.chop(1);
    }
    return fitted;
}

namespace {

// The raw entries of a section in the order of their numbers.
QStringList numberedEntries(const TMemIniFile &ini, const QString &section)
{
    QStringList entries;
    for (const int key : numberedKeys(ini, section))
        entries << ini.ReadString(section, QString::number(key), QString());
    return entries;
}

// The pending operations as AdrsOp.ini holds them, written back after every
// step of the start-up, so that an interruption at any moment leaves only
// operations that are still to be done.
struct TPendingFile {
    QStringList Deletions;
    QList<TPendingRename> Renamings;
    // Every entry this program read from the file or wrote to it. An entry
    // the file holds and that is not among them was appended by another
    // program on the folder since: it is kept, after this program's own, for
    // the next start to carry out.
    QSet<QString> SeenDeletions;
    QSet<QString> SeenRenamings;

    [[nodiscard]] bool Save(QString *error)
    {
        QStringList deletions = Deletions;
        QStringList renamings;
        for (const TPendingRename &rename : Renamings)
            renamings << rename.OldName + QLatin1Char('/') + rename.NewName;
        for (const QString &entry : deletions)
            SeenDeletions.insert(entry);
        for (const QString &entry : renamings)
            SeenRenamings.insert(entry);
        return EditSharedIni(
            AdrsOpFileName(),
            [&](TMemIniFile &op) {
                for (const QString &entry : numberedEntries(op, SecDelete)) {
                    if (!entry.isEmpty() && !SeenDeletions.contains(entry) && !deletions.contains(entry))
                        deletions << entry;
                }
                for (const QString &entry : numberedEntries(op, SecRename)) {
                    if (!entry.isEmpty() && !SeenRenamings.contains(entry))
                        renamings << entry;
                }
                op.Clear();
                if (deletions.isEmpty() && renamings.isEmpty())
                    return; // nothing left to do: the file goes
                op.WriteInteger(SecDelete, KeyCount, static_cast<int>(deletions.size()));
                for (qsizetype i = 0; i < deletions.size(); ++i)
                    op.WriteString(SecDelete, QString::number(i + 1), deletions[i]);
                op.WriteInteger(SecRename, KeyCount, static_cast<int>(renamings.size()));
                for (qsizetype i = 0; i < renamings.size(); ++i)
                    op.WriteString(SecRename, QString::number(i + 1), renamings[i]);
            },
            error, TSharedIniEmpty::Remove);
    }
};

// Carries out the pending operations in the order they were made: the
// deletions (made against the folders as they were at the start of the run
// that recorded them), then the renamings one after the other, each a single
// rename of a whole folder, never into a folder that is there already. The
// first renaming that cannot be done stops the rest: a later one may need
// its folder, or move what it was to free. False when the file could not be
// brought up to date (error); nothing more is then carried out.
bool applyPendingOperations(TPendingFile &pending, QStringList &order, QString *error)
{
    // Deletions an interrupted start left half done.
    const QStringList leftovers =
        QDir(AdrsPath).entryList({DeletingPrefix + QLatin1Char('*')}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString &folder : leftovers)
        deleteFolderFiles(AdrsPath + folder);

    for (qsizetype i = 0; i < pending.Deletions.size();) {
        const QString folder = pending.Deletions[i];
        const QString away = freeDeletingName();
        if (QFileInfo::exists(AdrsPath + folder) && !renameBookFolder(folder, away)) {
            ++i; // stays pending, and its folder keeps its name from new books
            continue;
        }
        pending.Deletions.removeAt(i);
        order.removeOne(folder);
        if (!pending.Save(error))
            return false;
        deleteFolderFiles(AdrsPath + away); // what is left goes at the next start
    }

    while (!pending.Renamings.isEmpty()) {
        const TPendingRename rename = pending.Renamings.first();
        const QString oldPath = AdrsPath + rename.OldName;
        const QString newPath = AdrsPath + rename.NewName;
        // Nothing to move: done before an interruption, or the book was deleted.
        const bool nothing = rename.NewName.isEmpty() || rename.OldName == rename.NewName ||
                             (!QFileInfo::exists(oldPath) && !QFileInfo(oldPath).isSymLink());
        if (!nothing) {
            // An empty folder holds nothing to lose; anything else in the way blocks.
            if (isEmptyFolder(newPath) && !pending.Deletions.contains(rename.NewName))
                QDir().rmdir(newPath);
            if (QFileInfo::exists(newPath) || QFileInfo(newPath).isSymLink() ||
                !renameBookFolder(rename.OldName, rename.NewName))
                break;
            const qsizetype at = order.indexOf(rename.OldName);
            if (at >= 0)
                order[at] = rename.NewName;
        }
        pending.Renamings.removeFirst();
        if (!pending.Save(error))
            return false;
    }
    // Nothing on record and nothing left to do: a first start has no book
    // folder yet to hold the file or its lock.
    if (pending.Deletions.isEmpty() && pending.Renamings.isEmpty() && !QFileInfo::exists(AdrsOpFileName()))
        return true;
    return pending.Save(error);
}

} // namespace

bool ScanAddressBooks(bool applyPending, QString *error)
{
    bool recorded = true;
    AdrsFolderList.clear();
    AdrsFolderIndex = -1;

    // The order file; folder names compare exactly.
    QStringList order;
    {
        const TMemIniFile mng(AdrsMngFileName());
        for (const int key : numberedKeys(mng, SecSort)) {
            const QString folder = mng.ReadString(SecSort, QString::number(key), QString());
            if (!order.contains(folder))
                order.append(folder);
        }
    }

    // The pending operations.
    TPendingFile pending;
    {
        const TMemIniFile op(AdrsOpFileName());
        for (const QString &entry : numberedEntries(op, SecDelete))
            pending.SeenDeletions.insert(entry);
        for (const QString &entry : numberedEntries(op, SecRename))
            pending.SeenRenamings.insert(entry);
        for (const int i : numberedKeys(op, SecDelete)) {
            const QString folder = op.ReadString(SecDelete, QString::number(i), QString());
            if (isPlainFolderName(folder) && QFileInfo::exists(AdrsPath + folder) && !pending.Deletions.contains(folder))
                pending.Deletions.append(folder);
        }
        for (const int i : numberedKeys(op, SecRename)) {
            const QString entry = op.ReadString(SecRename, QString::number(i), QString());
            if (entry.isEmpty())
                continue;
            const qsizetype slash = entry.indexOf(QLatin1Char('/'));
            const TPendingRename rename = slash < 0 ? TPendingRename{entry, QString()}
                                                    : TPendingRename{entry.left(slash), entry.mid(slash + 1)};
            if (isPlainFolderName(rename.OldName) && isPlainFolderName(rename.NewName))
                pending.Renamings.append(rename);
        }
    }

    if (applyPending)
        recorded = applyPendingOperations(pending, order, error);
    const QStringList &deletions = pending.Deletions;
    const QList<TPendingRename> &renamings = pending.Renamings;

    // The book folders, sorted ignoring case (exact spelling breaks ties).
    QStringList found;
    const QStringList folders = QDir(AdrsPath).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QString &folder : folders) {
        // A deletion left half done keeps its folder listed as deleted until it
        // is retried, so a new book of that name cannot move into the folder
        // the next start removes.
        if (isDeletingFolder(folder))
            continue;
        if (holdsAddressTable(AdrsPath + folder) || deletions.contains(folder))
            found.append(folder);
    }
    std::sort(found.begin(), found.end(), [](const QString &a, const QString &b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });

    order.erase(std::remove_if(order.begin(), order.end(), [&found](const QString &f) { return !found.contains(f); }),
                order.end());
    for (qsizetype p = 0; p < order.size(); ++p) {
        const qsizetype at = found.indexOf(order[p]);
        if (at >= 0)
            found.move(at, p);
    }

    for (const QString &folder : std::as_const(found)) {
        TAdrsFolderInfo info{folder, folder, AdrsStateUnchanged};
        if (deletions.contains(folder)) {
            info.Name.clear();
            info.State = AdrsStateDeleted;
        } else {
            // The renamings name the book as it was called when each was made.
            for (const TPendingRename &rename : renamings) {
                if (rename.OldName == info.Name && !rename.NewName.isEmpty()) {
                    info.Name = rename.NewName;
                    // Still pending: its folder must not be taken for a new book's.
                    info.State = AdrsStateRenamed;
                }
            }
        }
        AdrsFolderList.append(info);
    }
    return recorded;
}

// ---- TAddressSelect --------------------------------------------------------

TTntListView *CreateBookListView(QWidget *parent, int columnWidth)
{
    auto *view = new TTntListView(parent);
    view->setObjectName(QStringLiteral("lvAdrs"));
    view->Columns().Add()->SetWidth(columnWidth);
    view->header()->hide();
    view->header()->setStretchLastSection(true);
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    return view;
}

TAddressSelect::TAddressSelect(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AddressSelect"));
    // The manual page F1 opens.
    setProperty("HelpContext", HelpContext);
    setWindowTitle(QStringLiteral("アドレス帳の作成"));

    rbNew = new QRadioButton(QStringLiteral("新しいアドレス帳を作成する："), this);
    rbNew->setObjectName(QStringLiteral("rbNew"));
    rbOpen = new QRadioButton(QStringLiteral("既存のアドレス帳を開く："), this);
    rbOpen->setObjectName(QStringLiteral("rbOpen"));
    edtNew = new TTntEdit(this);
    edtNew->setObjectName(QStringLiteral("edtNew"));
    // The name becomes a folder name of at most 100 CP932 bytes.
    edtNew->SetMaxLengthBytes(MaxBookNameBytes);

    lvAdrs = CreateBookListView(this, 260);
    lvAdrs->SetReadOnly(false);
    lvAdrs->OnEdited = [this](QObject *, TTntListItem *item, QString &text) { ListEdited(item, text); };
    lvAdrs->OnSelectItem = [this](QObject *, TTntListItem *, bool) { UpdateActions(); };

    const auto makeAction = [this](const char *name, const QString &caption) {
        auto *action = new TTntAction(caption, this);
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    actDelete = makeAction("actDelete", QStringLiteral("削除"));
    actRename = makeAction("actRename", QStringLiteral("名前の変更"));
    actUp = makeAction("actUp", QStringLiteral("上に移動"));
    actDown = makeAction("actDown", QStringLiteral("下に移動"));
    connect(actDelete, &QAction::triggered, this, [this] { DeleteSelected(); });
    connect(actRename, &QAction::triggered, this, [this] {
        if (SelectedRow() >= 0)
            StartEditing(SelectedRow());
    });
    connect(actUp, &QAction::triggered, this, [this] { MoveSelected(-1); });
    connect(actDown, &QAction::triggered, this, [this] { MoveSelected(1); });

    const auto makeButton = [this](const char *name, TTntAction *action) {
        auto *button = new QPushButton(this);
        button->setObjectName(QString::fromLatin1(name));
        TTntControlActionLink::Link(button, action);
        return button;
    };
    bbtnDelete = makeButton("bbtnDelete", actDelete);
    bbtnRename = makeButton("bbtnRename", actRename);
    bbtnUp = makeButton("bbtnUp", actUp);
    bbtnDown = makeButton("bbtnDown", actDown);

    pmAdrs = new QMenu(this);
    pmAdrs->setObjectName(QStringLiteral("pmAdrs"));
    pmAdrs->addActions({actDelete, actRename, actUp, actDown});

    btnOk = new QPushButton(QStringLiteral("OK"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    connect(btnOk, &QPushButton::clicked, this, &TAddressSelect::accept);
    connect(btnCancel, &QPushButton::clicked, this, &TAddressSelect::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(rbNew);
    auto *newRow = new QHBoxLayout;
    newRow->addSpacing(20);
    newRow->addWidget(edtNew);
    layout->addLayout(newRow);
    layout->addWidget(rbOpen);
    auto *listRow = new QHBoxLayout;
    listRow->addSpacing(20);
    listRow->addWidget(lvAdrs, 1);
    auto *bookButtons = new QVBoxLayout;
    for (QPushButton *button : {bbtnDelete, bbtnRename, bbtnUp, bbtnDown})
        bookButtons->addWidget(button);
    bookButtons->addStretch();
    listRow->addLayout(bookButtons);
    layout->addLayout(listRow);
    auto *okRow = new QHBoxLayout;
    okRow->addStretch();
    okRow->addWidget(btnOk);
    okRow->addWidget(btnCancel);
    layout->addLayout(okRow);

    connect(rbNew, &QRadioButton::toggled, this, [this](bool checked) {
        UpdateRadioCaptions();
        if (checked && isVisible())
            FocusEdit();
    });
    connect(rbOpen, &QRadioButton::toggled, this, [this](bool checked) {
        UpdateRadioCaptions();
        if (checked && isVisible())
            lvAdrs->setFocus();
    });
    connect(lvAdrs, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &) {
        if (rbOpen->isChecked() && SelectedRow() >= 0)
            btnOk->click();
    });
    for (QObject *watched : std::initializer_list<QObject *>{rbNew, rbOpen, edtNew, lvAdrs, lvAdrs->viewport()})
        watched->installEventFilter(this);

    FillList();
    rbNew->setChecked(true);
    UpdateRadioCaptions();
}

TAddressSelect::~TAddressSelect()
{
    // An editor still open commits when the view goes; this dialog is gone by then.
    lvAdrs->OnEdited = nullptr;
    lvAdrs->OnSelectItem = nullptr;
}

void TAddressSelect::SetMode(int mode)
{
    Mode = mode;
    int effective = mode;
    if (mode == 9)
        effective = lvAdrs->Items().Count() > 0 ? 1 : 0;
    if (effective == 1 && lvAdrs->Items().Count() == 0)
        effective = 0;
    if (effective == 1) {
        setWindowTitle(QStringLiteral("アドレス帳の切り替え"));
        rbOpen->setChecked(true);
    } else {
        setWindowTitle(QStringLiteral("アドレス帳の作成"));
        rbNew->setChecked(true);
        edtNew->SetText(ProposedNewName());
    }
}

QString TAddressSelect::ProposedNewName() const
{
    // A new book is offered a name no book has: the open book's name with
    // the first free number after it ("アドレス2"), so that OK creates it.
    const auto taken = [](const QString &name) {
        return std::any_of(AdrsFolderList.cbegin(), AdrsFolderList.cend(),
                           [&](const TAdrsFolderInfo &book) { return sameName(book.Name, name); });
    };
    if (!taken(BookName))
        return BookName;
    for (int n = 2; n < 10000; ++n) {
        const QString number = QString::number(n);
        // A name at the length limit gives up its end for the number.
        QString base = BookName;
        while (!base.isEmpty() && (FitBookName(base + number) != base + number || base.back().isHighSurrogate()))
            base.chop(1);
        if (!taken(base + number))
            return base + number;
    }
    return QString();
}

void TAddressSelect::FillList(int selectEntry)
{
    TTntListItems &items = lvAdrs->Items();
    items.BeginUpdate();
    items.Clear();
    m_rowEntries.clear();
    for (int i = 0; i < AdrsFolderList.size(); ++i) {
        if (AdrsFolderList[i].State == AdrsStateDeleted)
            continue;
        items.Add()->SetCaption(AdrsFolderList[i].Name);
        m_rowEntries.push_back(i);
    }
    items.EndUpdate();

    const bool any = items.Count() > 0;
    rbOpen->setEnabled(any);
    lvAdrs->setEnabled(any);
    QPalette palette = lvAdrs->palette();
    palette.setColor(QPalette::Base, any ? QApplication::palette().color(QPalette::Base)
                                         : QApplication::palette().color(QPalette::Button));
    lvAdrs->setPalette(palette);

    const auto row = std::find(m_rowEntries.begin(), m_rowEntries.end(), selectEntry);
    if (row != m_rowEntries.end()) {
        TTntListItem *item = items.GetItem(static_cast<int>(row - m_rowEntries.begin()));
        lvAdrs->SetSelected(item);
        lvAdrs->SetItemFocused(item);
        item->MakeVisible(false);
    }
    UpdateActions();
}

void TAddressSelect::UpdateRadioCaptions()
{
    for (QRadioButton *radio : {rbNew, rbOpen})
        PaintCheckedCaption(radio);
}

void TAddressSelect::UpdateActions()
{
    const int row = SelectedRow();
    const int count = lvAdrs->Items().Count();
    const bool any = count > 0;
    actDelete->setEnabled(any);
    actRename->setEnabled(any);
    actUp->setEnabled(any && row > 0);
    actDown->setEnabled(any && row >= 0 && row < count - 1);
}

void TAddressSelect::FocusEdit()
{
    edtNew->setFocus();
    edtNew->end(false);
}

int TAddressSelect::SelectedRow() const
{
    const TTntListItem *item = lvAdrs->GetSelected();
    return item ? lvAdrs->Items().IndexOf(item) : -1;
}

int TAddressSelect::EntryOfRow(int row) const
{
    return row >= 0 && row < static_cast<int>(m_rowEntries.size()) ? m_rowEntries[static_cast<size_t>(row)] : -1;
}

int TAddressSelect::RowOfCaption(const QString &caption) const
{
    for (int row = 0; row < lvAdrs->Items().Count(); ++row) {
        if (sameName(lvAdrs->Items().GetItem(row)->Caption(), caption))
            return row;
    }
    return -1;
}

int TAddressSelect::Inform(const QString &text, unsigned flags)
{
    return ShowMessageBoxAt(this, text, ProductCaption(), flags, mbpCenterOnOwner, 0, 0);
}

void TAddressSelect::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (rbOpen->isChecked()) {
        lvAdrs->setFocus();
    } else {
        FocusEdit();
        // Again after the window system's own focus handling, which selects the text.
        QMetaObject::invokeMethod(
            this, [this] { edtNew->end(false); }, Qt::QueuedConnection);
    }
    TTntListItems &items = lvAdrs->Items();
    if (items.Count() > 0) {
        const int row = std::max(0, RowOfCaption(BookName));
        TTntListItem *item = items.GetItem(row);
        lvAdrs->SetSelected(nullptr);
        lvAdrs->SetSelected(item);
        lvAdrs->SetItemFocused(item);
        item->MakeVisible(false);
    } else {
        actDelete->setEnabled(false);
        actRename->setEnabled(false);
        actUp->setEnabled(false);
        actDown->setEnabled(false);
    }
    UpdateActions();
}

bool TAddressSelect::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter && watched == rbNew) {
            FocusEdit();
            return true;
        }
        if (enter && watched == rbOpen) {
            lvAdrs->setFocus();
            return true;
        }
        // Return in the name or the list is the OK of the dialog: a first
        // start is one name and one key.
        if (enter && (watched == edtNew || watched == lvAdrs)) {
            // A name being edited in the list is only ended (Return reaches
            // the list from its editor): it is no choice of the book.
            const auto editors = lvAdrs->viewport()->findChildren<QLineEdit *>();
            const bool editing =
                std::any_of(editors.cbegin(), editors.cend(), [](const QLineEdit *e) { return e->isVisible(); });
            btnOk->setFocus();
            if (watched == edtNew || !editing)
                btnOk->click();
            return true;
        }
        if (watched == lvAdrs && key->key() == Qt::Key_F2 && SelectedRow() >= 0) {
            StartEditing(SelectedRow());
            return true;
        }
    } else if (event->type() == QEvent::FocusIn) {
        if (watched == edtNew)
            rbNew->setChecked(true);
        else if (watched == lvAdrs)
            rbOpen->setChecked(true);
    } else if (event->type() == QEvent::MouseButtonPress && watched == lvAdrs->viewport()) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (lvAdrs->Items().Count() > 0 && SelectedRow() < 0 && lvAdrs->GetItemFocused())
            lvAdrs->SetSelected(lvAdrs->GetItemFocused());
        if (mouse->button() == Qt::RightButton) {
            pmAdrs->popup(QCursor::pos());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TAddressSelect::StartEditing(int row, const QString &editorText)
{
    if (row < 0 || row >= lvAdrs->Items().Count())
        return;
    const QModelIndex index = lvAdrs->model()->index(row, 0);
    lvAdrs->setFocus(); // entering the list checks rbOpen
    lvAdrs->setCurrentIndex(index);
    lvAdrs->edit(index);
    if (editorText.isNull())
        return;
    const auto editors = lvAdrs->viewport()->findChildren<QLineEdit *>();
    for (QLineEdit *editor : editors) {
        if (editor->isVisible())
            editor->setText(editorText);
    }
}

void TAddressSelect::ListEdited(TTntListItem *item, QString &text)
{
    const QString oldCaption = item->Caption();
    const int row = lvAdrs->Items().IndexOf(item);
    if (text == oldCaption)
        return;
    const QString typed = TrimBookName(text);
    // Refused names keep the old caption; the message (and a new edit) follow
    // once the editor has closed.
    text = oldCaption;
    if (typed == oldCaption)
        return;
    const auto later = [this](std::function<void()> step) {
        QMetaObject::invokeMethod(this, std::move(step), Qt::QueuedConnection);
    };
    QString message;
    QString reopenWith;
    bool reopen = false;
    const TBookNameError check = CheckBookName(typed);
    switch (check) {
    case TBookNameError::Empty:
        message = QStringLiteral("空白の名前に変更することはできません  ");
        break;
    case TBookNameError::LeadingDot:
        message = msgLeadingDot();
        break;
    case TBookNameError::ForbiddenChar:
        message = msgForbidden();
        break;
    case TBookNameError::ControlChar:
        message = msgControlChar();
        break;
    case TBookNameError::Reserved:
        message = msgReserved();
        break;
    case TBookNameError::TooLong:
    case TBookNameError::FolderTooLong:
    case TBookNameError::None:
        break;
    }
    if (message.isEmpty() && sameName(oldCaption, BookName))
        message = QStringLiteral("現在編集中のアドレス帳の名前は変更できません  ");
    if (message.isEmpty() && (check == TBookNameError::TooLong || check == TBookNameError::FolderTooLong)) {
        message = check == TBookNameError::TooLong ? msgTooLong() : msgFolderTooLong();
        reopen = true;
        reopenWith = FitBookName(typed);
    }
    if (message.isEmpty()) {
        for (int other = 0; other < lvAdrs->Items().Count(); ++other) {
            if (other != row && sameName(lvAdrs->Items().GetItem(other)->Caption(), typed)) {
                message = QStringLiteral("指定された名前のアドレス帳は既に存在します  ");
                reopen = true;
                break;
            }
        }
    }
    if (!message.isEmpty()) {
        later([this, message, reopen, row, reopenWith] {
            Inform(message);
            if (reopen)
                StartEditing(row, reopenWith);
        });
        return;
    }

    const int entry = EntryOfRow(row);
    if (entry < 0)
        return;
    TAdrsFolderInfo &info = AdrsFolderList[entry];
    // Recorded from the name the book has now: the start-up carries the
    // renamings out in this order, so a chain (P to T, then Q to P) ends
    // with each book where it was meant to be.
    QString error;
    if (!AppendPendingRename(oldCaption, typed, &error)) {
        // The name typed comes back in the editor, to try again or give up.
        later([this, row, typed, error] {
            ShowWriteFailure(this, QStringLiteral("アドレス帳の名前の変更"), AdrsOpFileName(), error);
            StartEditing(row, typed);
        });
        return;
    }
    info.Name = typed;
    info.State = AdrsStateRenamed;
    text = typed;
}

void TAddressSelect::DeleteSelected()
{
    const int row = SelectedRow();
    if (row < 0)
        return;
    const QString caption = lvAdrs->Items().GetItem(row)->Caption();
    if (sameName(caption, BookName)) {
        Inform(QStringLiteral("現在編集中のアドレス帳は削除できません  "));
        return;
    }
    const QString question = QStringLiteral("アドレス帳 '") + caption + QStringLiteral("' を削除します  \r\n") +
                             QStringLiteral("よろしいですか？  ");
    if (Inform(question, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return;
    const int entry = EntryOfRow(row);
    if (entry < 0)
        return;
    QString error;
    if (!AppendPendingDelete(AdrsFolderList[entry].Folder, &error)) {
        ShowWriteFailure(this, QStringLiteral("アドレス帳の削除"), AdrsOpFileName(), error);
        return;
    }
    AdrsFolderList[entry].Name.clear();
    AdrsFolderList[entry].State = AdrsStateDeleted;
    FillList();
    const int count = lvAdrs->Items().Count();
    if (count > 0) {
        TTntListItem *item = lvAdrs->Items().GetItem(std::min(row, count - 1));
        lvAdrs->SetSelected(item);
        lvAdrs->SetItemFocused(item);
    }
    UpdateActions();
}

void TAddressSelect::MoveSelected(int step)
{
    const int row = SelectedRow();
    const int other = row + step;
    if (row < 0 || other < 0 || other >= lvAdrs->Items().Count())
        return;
    const int a = EntryOfRow(row);
    const int b = EntryOfRow(other);
    AdrsFolderList.swapItemsAt(a, b);
    // The open book's index follows its entry.
    if (AdrsFolderIndex == a)
        AdrsFolderIndex = b;
    else if (AdrsFolderIndex == b)
        AdrsFolderIndex = a;
    FillList(b);
}

bool TAddressSelect::AcceptCreate()
{
    QString name = TrimBookName(edtNew->GetText());
    switch (CheckBookName(name)) {
    case TBookNameError::Empty:
        Inform(QStringLiteral("作成するアドレス帳の名前を入力してください  "));
        edtNew->setFocus();
        return false;
    case TBookNameError::LeadingDot:
        Inform(msgLeadingDot());
        FocusEdit();
        return false;
    case TBookNameError::ForbiddenChar:
        Inform(msgForbidden());
        FocusEdit();
        return false;
    case TBookNameError::ControlChar:
        Inform(msgControlChar());
        FocusEdit();
        return false;
    case TBookNameError::Reserved:
        Inform(msgReserved());
        FocusEdit();
        return false;
    case TBookNameError::TooLong:
        Inform(msgTooLong());
        FocusEdit();
        return false;
    case TBookNameError::FolderTooLong:
        Inform(msgFolderTooLong());
        FocusEdit();
        return false;
    case TBookNameError::None:
        break;
    }

    // A new book stays listed only once its folder is there.
    const qsizetype listed = AdrsFolderList.size();
    const int row = RowOfCaption(name);
    if (row >= 0) {
        const QString caption = lvAdrs->Items().GetItem(row)->Caption();
        const QString question = QStringLiteral("アドレス帳 '") + caption + QStringLiteral("' は存在します  \r\n") +
                                 QStringLiteral("開きますか？  ");
        if (Inform(question, MB_YESNO | MB_ICONQUESTION) != IDYES) {
            FocusEdit();
            return false;
        }
        name = caption;
    } else {
        // Folder names compare exactly: the file system tells "Abc" from "abc".
        const auto occupied = std::find_if(AdrsFolderList.cbegin(), AdrsFolderList.cend(),
                                           [&name](const TAdrsFolderInfo &info) { return info.Folder == name; });
        if (occupied == AdrsFolderList.cend()) {
            AdrsFolderList.append(TAdrsFolderInfo{name, name, AdrsStateUnchanged});
        } else if (occupied->State != AdrsStateUnchanged) {
            // The folder is still held by a book deleted or renamed in this run:
            // the new book lives in "<name>（k）" until the next start moves it.
            const auto taken = [&name](int k) {
                const QString folder = name + QStringLiteral("（%1）").arg(k);
                return QFileInfo::exists(AdrsPath + folder) ||
                       std::any_of(AdrsFolderList.cbegin(), AdrsFolderList.cend(), [&folder](const TAdrsFolderInfo &info) {
                           return info.Folder == folder || info.Name == folder;
                       });
            };
            int k = 1;
            while (taken(k))
                ++k;
            const QString folder = name + QStringLiteral("（%1）").arg(k);
            if (QFile::encodeName(folder).size() > MaxBookFolderBytes) {
                Inform(msgFolderTooLong());
                FocusEdit();
                return false;
            }
            QString error;
            if (!AppendPendingRename(folder, name, &error)) {
                ShowWriteFailure(this, QStringLiteral("アドレス帳の作成"), AdrsOpFileName(), error);
                FocusEdit();
                return false;
            }
            AdrsFolderList.append(TAdrsFolderInfo{name, folder, AdrsStateRenamed});
        }
    }

    Changed = !sameName(name, BookName);
    BookName = name;
    const auto entry = std::find_if(AdrsFolderList.cbegin(), AdrsFolderList.cend(),
                                    [this](const TAdrsFolderInfo &info) { return sameName(info.Name, BookName); });
    if (entry == AdrsFolderList.cend() || !QDir().mkpath(AdrsPath + entry->Folder)) {
        const QString folder = entry == AdrsFolderList.cend() ? QString() : AdrsPath + entry->Folder;
        const QString refusal = folder.isEmpty() ? QString() : folderRefusal(folder);
        if (AdrsFolderList.size() > listed && AdrsFolderList.last().State == AdrsStateUnchanged)
            AdrsFolderList.removeLast();
        Inform(QStringLiteral("アドレス帳を作成できませんでした  ") +
               (refusal.isEmpty() ? QString() : QStringLiteral("\r\n") + refusal));
        lvAdrs->setFocus();
        return false;
    }
    return true;
}

bool TAddressSelect::AcceptOpen()
{
    const int row = SelectedRow();
    if (row < 0) {
        Inform(QStringLiteral("アドレス帳を選択してください  "));
        lvAdrs->setFocus();
        return false;
    }
    const QString caption = lvAdrs->Items().GetItem(row)->Caption();
    Changed = !sameName(caption, BookName);
    BookName = caption;
    return true;
}

void TAddressSelect::accept()
{
    if (m_accepting)
        return;
    m_accepting = true;
    const bool ok = rbNew->isChecked() ? AcceptCreate() : AcceptOpen();
    m_accepting = false;
    if (ok)
        QDialog::accept();
}

void TAddressSelect::reject()
{
    if (Mode == 9) {
        const QString question = QStringLiteral("キャンセルした場合アドレス帳が開けませんので  \r\n") + QStringLiteral("ピルカノス2014") +
                                 QStringLiteral(" を終了することになります  \r\nよろしいですか？  ");
        if (Inform(question, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
            return;
    }
    QDialog::reject();
}
