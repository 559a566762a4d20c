#include "directory/HDDInst.h"

#include "core/Env.h"
#include "core/Main.h"
#include "directory/ChgDisc.h"
#include "directory/HdiRW.h"
#include "directory/SampleDir.h"
#include "platform/SafeFile.h"
#include "platform/WriteError.h"
#include "util/MsgBoxPos.h"
#include "util/SubUnit.h"
#include "widgets/EnterKey.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QHeaderView>
#include <QTreeWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QStorageInfo>
#include <QTabWidget>
#include <QVBoxLayout>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

const std::array<std::array<std::int64_t, 7>, 8> AreaFileSizes = {{
    {},
    {1024, 4096, 459776, 117544960, 4096, 172032, 175771648},
    {1024, 5120, 581632, 148668416, 4096, 225280, 228892672},
    {1024, 2048, 181248, 46217216, 4096, 73728, 73756672},
    {1024, 6144, 702464, 179757056, 4096, 270336, 273276928},
    {1024, 4096, 471040, 120467456, 4096, 180224, 184070144},
    {1024, 3072, 392192, 100182016, 4096, 151552, 153935872},
    {1024, 4096, 406528, 103901184, 4096, 159744, 159838208},
}};

namespace {

QString areaFolderName(int Area)
{
    return QStringLiteral("Dt%1/").arg(Area, 2, 10, QLatin1Char('0'));
}

// Flushes a folder's entries (a file made or renamed in it) to the disk.
bool syncFolder(const QString &Folder)
{
    const int fd = ::open(QFile::encodeName(QDir::cleanPath(Folder)).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

bool available(int Area)
{
    return SearchAreaList.contains(AreaKeyNames[static_cast<std::size_t>(Area)], Qt::CaseInsensitive);
}

QString megabytes(std::int64_t Bytes)
{
    return QLocale(QLocale::Japanese).toString(static_cast<double>(Bytes) / 1024.0 / 1024.0, 'f', 2);
}

} // namespace

std::int64_t AreaDiskSize(int Area, std::int64_t ClusterSize)
{
    if (Area < 1 || Area > AreaCount)
        return 0;
    std::int64_t total = 0;
    for (std::int64_t size : AreaFileSizes[static_cast<std::size_t>(Area)])
        total += ClusterSize > 0 ? (size + ClusterSize - 1) / ClusterSize * ClusterSize : size;
    return total;
}

bool InstallSpaceSuffices(std::int64_t Free, std::int64_t Need)
{
    return Free - Need > InstallSpareBytes;
}

std::int64_t AreaCopyPieceBytes = 1024 * 1024;

bool CopyAreaData(int Area, const QString &DiscRoot, const QString &TargetRoot, QString *Error,
                  const TAreaCopyProgress &Progress)
{
    const QString source = QDir(DiscRoot).filePath(QStringLiteral("Murven19/") + areaFolderName(Area));
    const QString target = QDir(TargetRoot).filePath(areaFolderName(Area));
    // Beside the region folder, hidden, and named so that no region reads it.
    const QString partial = QDir(TargetRoot).filePath(AreaCopyFolderName(Area));
    QString failure;
    (void)DeleteFolderTree(partial, false); // a copy killed before
    if (QFileInfo::exists(partial) || !QDir().mkpath(partial))
        failure = QStringLiteral("フォルダーが作成できません: ") + QDir::toNativeSeparators(partial);
    std::int64_t total = 0;
    for (const char *name : AreaDataFileNames)
        total += QFileInfo(source + QString::fromLatin1(name)).size();
    std::int64_t done = 0;
    const auto piece = static_cast<qint64>(std::max<std::int64_t>(AreaCopyPieceBytes, 1));
    QByteArray buffer(static_cast<qsizetype>(std::min<qint64>(piece, 16 * 1024 * 1024)), '\0');
    // The cause of a failed write, in the words every writer of the program uses.
    auto notWritten = [](const QString &Path, int Code, TWriteTarget Target) {
        return QDir::toNativeSeparators(Path) + QStringLiteral(": ") + WriteErrorReason(Code, Target);
    };
    for (const char *name : AreaDataFileNames) {
        if (!failure.isEmpty())
            break;
        const QString from = source + QString::fromLatin1(name);
        const QString to = partial + QString::fromLatin1(name);
        QFile in(from);
        if (!in.open(QIODevice::ReadOnly)) {
            failure = QDir::toNativeSeparators(from) + QStringLiteral(": ") + in.errorString();
            break;
        }
        // Written by the system's own calls, whose error number names the
        // cause (a full disk).
        const int out = ::open(QFile::encodeName(to).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (out < 0) {
            failure = notWritten(to, errno, TWriteTarget::Folder);
            break;
        }
        // The user's own, and writable, whatever the disc's copy was set to.
        (void)::fchmod(out, 0600);
        const qint64 size = in.size();
        qint64 copied = 0;
        for (;;) {
            const qint64 n = in.read(buffer.data(), std::min<qint64>(piece, buffer.size()));
            if (n < 0) {
                failure = QDir::toNativeSeparators(from) + QStringLiteral(": ") + in.errorString();
                break;
            }
            if (n == 0)
                break;
            if (const int code = WriteAllTo(out, buffer.constData(), n)) {
                failure = notWritten(to, code, TWriteTarget::File);
                break;
            }
            copied += n;
            done += n;
            if (Progress && !Progress(done, total)) {
                failure = QStringLiteral("中止しました");
                break;
            }
        }
        // On the disk before the folder takes the region's name: a power cut
        // after the rename must not leave a region of empty files.
        if (failure.isEmpty() && ::fsync(out) != 0)
            failure = notWritten(to, errno, TWriteTarget::File);
        if (::close(out) != 0 && failure.isEmpty())
            failure = notWritten(to, errno, TWriteTarget::File);
        // A file that ends before its size said (a disc read cut short) is no copy.
        if (failure.isEmpty() && (copied != size || QFileInfo(to).size() != size))
            failure = QDir::toNativeSeparators(from) + QStringLiteral(": 読み込みが途中で終わりました");
    }
    if (failure.isEmpty() && !syncFolder(partial))
        failure = notWritten(partial, errno, TWriteTarget::Folder);
    if (failure.isEmpty()) {
        // A region folder left by an earlier run is not installed (or it would
        // not be offered): the complete copy takes its place.
        (void)DeleteFolderTree(target, false);
        if (QFileInfo::exists(QDir::cleanPath(target)) || !QDir().rename(QDir::cleanPath(partial), QDir::cleanPath(target)))
            failure = QStringLiteral("フォルダーの名前が変えられません: ") + QDir::toNativeSeparators(target);
        else
            (void)syncFolder(TargetRoot);
    }
    if (failure.isEmpty())
        return true;
    // Only this region's partial copy goes; the others stay as they are.
    (void)DeleteFolderTree(partial, false);
    if (Error != nullptr)
        *Error = failure;
    return false;
}

bool UninstallArea(int Area)
{
    const auto a = static_cast<std::size_t>(Area);
    if (Area < 1 || Area > AreaCount || !AreaOnDisk[a])
        return false;
    // Without its trailing '/', so that a file in the folder's place still counts as there.
    const QString folder = QDir::cleanPath(AreaDiskFolder[a] + AreaSubFolders[a]);
    // A copy killed before its rename lies beside the region: it goes too.
    RemoveAreaCopyLeftovers(AreaDiskFolder[a]);
    (void)DeleteFolderTree(folder, false);
    if (QFileInfo::exists(folder))
        return false;
    AreaOnDisk[a] = false;
    AreaDiskFolder[a].clear();
    return true;
}

bool SaveInstalledAreas(QString *Error)
{
    HdiFileRecord record;
    record.FileName = DataRoot + QStringLiteral("Murven19.hdi");
    record.Signature = QByteArrayLiteral("Murven19");
    for (int area = 1; area <= AreaCount; ++area) {
        const auto a = static_cast<std::size_t>(area);
        if (!available(area) || !AreaOnDisk[a])
            continue;
        THdiSlot &slot = record.Slots[a - 1];
        if (QDir::cleanPath(AreaDiskFolder[a]).compare(QDir::cleanPath(DataRoot), Qt::CaseInsensitive) == 0) {
            slot.PathLength = 0;
        } else {
            slot.Path = QFile::encodeName(AreaDiskFolder[a]);
            slot.PathLength = static_cast<int>(slot.Path.size());
        }
        ++record.EntryCount;
    }
    if (record.EntryCount == 0)
        return !QFile::exists(record.FileName) || QFile::remove(record.FileName);
    return WriteHdiFile(record, false, Error) == 0;
}

bool IsDataDiscRoot(const QString &Root)
{
    if (Root.isEmpty())
        return false;
    for (int area = 1; area <= AreaCount; ++area)
        if (QFileInfo(QDir(Root).filePath(QStringLiteral("Murven19/") + areaFolderName(area))).isDir())
            return true;
    return false;
}

// ---- the dialog ------------------------------------------------------------

THDDInstall::THDDInstall(QWidget *Parent) : QDialog(Parent)
{
    setObjectName(QStringLiteral("HDDInstall"));
    setWindowTitle(QStringLiteral("電話帳データのインストール"));
    const QStorageInfo storage(DataRoot);
    m_cluster = storage.isValid() ? storage.blockSize() : 0;
    FreeSpace = [] {
        const QStorageInfo info(DataRoot);
        return info.isValid() ? info.bytesAvailable() : std::int64_t{-1};
    };
    AskForDisc = [this] {
        TChangeDisc prompt(this);
        prompt.SetMessage(QStringLiteral("ピルカノス2014のDVD-ROMの場所を指定してください  \r\n\r\n"
                                         "キャンセルすると、インストール処理を中止します  "));
        prompt.SetDrive(SearchDataPath);
        return prompt.exec() == QDialog::Accepted ? prompt.Drive() : QString();
    };

    auto *root = new QVBoxLayout(this);
    pgctl = new QTabWidget;
    pgctl->setObjectName(QStringLiteral("pgctlInstall"));
    root->addWidget(pgctl);
    auto page = [&](const QString &caption, QTreeWidget *&list, QLabel *&need, const QString &needCaption,
                    QPushButton *&action, const char *actionName, const QString &actionCaption,
                    const char *updateName) {
        auto *w = new QWidget;
        auto *v = new QVBoxLayout(w);
        list = new QTreeWidget;
        list->setObjectName(QLatin1String(actionName) + QStringLiteral("List"));
        list->setRootIsDecorated(false);
        list->setItemsExpandable(false);
        list->setColumnCount(2);
        list->setHeaderLabels({QStringLiteral("地域"), QStringLiteral("必要容量")});
        list->headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        list->header()->setStretchLastSection(false);
        list->setColumnWidth(0, ScaleForDpi(108, true));
        list->setColumnWidth(1, ScaleForDpi(80, true));
        v->addWidget(list);
        auto *sizes = new QHBoxLayout;
        sizes->addWidget(new QLabel(needCaption));
        need = new QLabel;
        sizes->addWidget(need);
        sizes->addWidget(new QLabel(QStringLiteral("MB")));
        sizes->addStretch();
        auto *update = new QPushButton(QStringLiteral("更新"));
        update->setObjectName(QLatin1String(updateName));
        sizes->addWidget(update);
        v->addLayout(sizes);
        connect(update, &QPushButton::clicked, this, [this] { updateSizes(); });
        // A double-click on a row ticks or clears it, like a click on its box.
        connect(list, &QTreeWidget::itemDoubleClicked, this, [](QTreeWidgetItem *Item, int) {
            Item->setCheckState(0, Item->checkState(0) == Qt::Checked ? Qt::Unchecked : Qt::Checked);
        });
        action = new QPushButton(actionCaption);
        action->setObjectName(QLatin1String(actionName));
        v->addWidget(action);
        pgctl->addTab(w, caption);
        connect(list, &QTreeWidget::itemChanged, this, [this] { updateSizes(); });
    };
    page(QStringLiteral("インストール"), lvInstall, lblNeed, QStringLiteral("必要なサイズ："), bbtnInstall,
         "bbtnInstall", QStringLiteral("インストール"), "bbtnUpdate1");
    page(QStringLiteral("アンインストール"), lvUninstall, lblRemove, QStringLiteral("削除されるサイズ："),
         bbtnUninstall, "bbtnUninstall", QStringLiteral("アンインストール"), "bbtnUpdate2");
    setProperty("HelpContext", 3);
    connect(pgctl, &QTabWidget::currentChanged, this,
            [this](int tab) { setProperty("HelpContext", tab == 1 ? 4 : 3); });
    auto *free = new QHBoxLayout;
    free->addWidget(new QLabel(QStringLiteral("現在の空き容量：")));
    lblFree = new QLabel;
    lblFree->setObjectName(QStringLiteral("lblFree"));
    free->addWidget(lblFree);
    free->addWidget(new QLabel(QStringLiteral("MB")));
    free->addStretch();
    root->addLayout(free);
    root->addWidget(new QLabel(QStringLiteral("※必要サイズは環境によって誤差がでますので、目安として参考にしてください")));
    auto *close = new QPushButton(QStringLiteral("閉じる"));
    close->setObjectName(QStringLiteral("btnClose"));
    root->addWidget(close, 0, Qt::AlignRight);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(bbtnInstall, &QPushButton::clicked, this, [this] { install(); });
    connect(bbtnUninstall, &QPushButton::clicked, this, [this] { uninstall(); });
    // Enter in a list leads to its page's work, never to 更新 or 閉じる;
    // Return on a focused button presses that button.
    for (QPushButton *button : findChildren<QPushButton *>())
        button->setAutoDefault(false);
    lvInstall->installEventFilter(this);
    lvUninstall->installEventFilter(this);
    PressFocusedButtonOnEnter(this);
    RefreshLists();
}

bool THDDInstall::eventFilter(QObject *Watched, QEvent *Event)
{
    if ((Watched == lvInstall || Watched == lvUninstall) && IsEnterKeyPress(Event)) {
        QPushButton *work = Watched == lvInstall ? bbtnInstall : bbtnUninstall;
        if (work->isEnabled())
            work->setFocus(Qt::TabFocusReason);
        else
            focusNextChild();
        return true;
    }
    return QDialog::eventFilter(Watched, Event);
}

void THDDInstall::RefreshLists()
{
    for (QTreeWidget *list : {lvInstall, lvUninstall}) {
        const QSignalBlocker block(list);
        list->clear();
    }
    for (int area = 1; area <= AreaCount; ++area) {
        if (!available(area))
            continue;
        QTreeWidget *list = AreaOnDisk[static_cast<std::size_t>(area)] ? lvUninstall : lvInstall;
        const QSignalBlocker block(list);
        auto *item = new QTreeWidgetItem(list, {AreaCaptions[static_cast<std::size_t>(area)],
                                                megabytes(AreaDiskSize(area, m_cluster)) + QStringLiteral(" MB")});
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        item->setFlags((item->flags() | Qt::ItemIsUserCheckable) & ~Qt::ItemIsAutoTristate);
        item->setCheckState(0, Qt::Unchecked);
        item->setData(0, Qt::UserRole, area);
    }
    bbtnInstall->setEnabled(lvInstall->topLevelItemCount() > 0);
    bbtnUninstall->setEnabled(lvUninstall->topLevelItemCount() > 0);
    updateSizes();
}

void THDDInstall::updateSizes()
{
    auto ticked = [this](QTreeWidget *list) {
        std::int64_t total = 0;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            if (list->topLevelItem(i)->checkState(0) == Qt::Checked)
                total += AreaDiskSize(list->topLevelItem(i)->data(0, Qt::UserRole).toInt(), m_cluster);
        return total;
    };
    lblNeed->setText(megabytes(ticked(lvInstall)));
    lblRemove->setText(megabytes(ticked(lvUninstall)));
    const std::int64_t free = FreeSpace ? FreeSpace() : -1;
    lblFree->setText(free < 0 ? QStringLiteral("--- ") : megabytes(free));
}

QString THDDInstall::NeedText() const
{
    return lblNeed->text();
}

QString THDDInstall::FreeText() const
{
    return lblFree->text();
}

void THDDInstall::install()
{
    std::vector<int> areas;
    std::int64_t need = 0;
    for (int i = 0; i < lvInstall->topLevelItemCount(); ++i)
        if (lvInstall->topLevelItem(i)->checkState(0) == Qt::Checked) {
            areas.push_back(lvInstall->topLevelItem(i)->data(0, Qt::UserRole).toInt());
            need += AreaDiskSize(areas.back(), m_cluster);
        }
    const std::int64_t free = FreeSpace ? std::max<std::int64_t>(FreeSpace(), 0) : 0;
    if (!InstallSpaceSuffices(free, need)) {
        ShowMessageBoxAt(this, QStringLiteral("空き容量が足りません  \r\n\r\n※作業領域として10MBほど余分に必要です  "),
                         ProductCaption(), MB_ICONINFORMATION, mbpCenterOnOwner, 0, 0);
        return;
    }
    if (areas.empty()) {
        ShowMessageBoxAt(this, QStringLiteral("インストールする地域を指定してください  "), ProductCaption(),
                         MB_ICONINFORMATION, mbpCenterOnOwner, 0, 0);
        lvInstall->setFocus();
        return;
    }
    if (ShowMessageBoxAt(this,
                         QStringLiteral("選択した地域の電話帳データをハードディスクにインストールします  \r\n"
                                        "よろしいですか？  "),
                         ProductCaption(), MB_YESNO | MB_ICONQUESTION, mbpCenterOnOwner, 0, 0)
        != IDYES)
        return;
    QString disc = SearchDataPath;
    while (!IsDataDiscRoot(disc)) {
        disc = AskForDisc ? AskForDisc() : QString();
        if (disc.isEmpty())
            return; // cancelled: nothing installed, the installation file as it was
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QStringList failed;
    bool any = false;
    for (int area : areas) {
        // One progress window per region, modal over this dialog; its cancel
        // ends this region's copy, and the next ticked region follows.
        QProgressDialog progress(this);
        progress.setObjectName(QStringLiteral("pgbCopy"));
        const QString title = AreaCaptions[static_cast<std::size_t>(area)] + QStringLiteral("版のデータをインストール中．．．");
        progress.setWindowTitle(title);
        progress.setLabelText(title);
        progress.setCancelButtonText(QStringLiteral("キャンセル"));
        progress.setRange(0, 1000);
        progress.setMinimumDuration(0);
        progress.setAutoClose(false);
        progress.setAutoReset(false);
        progress.setWindowModality(Qt::WindowModal);
        progress.setValue(0);
        m_progress = &progress;
        QString error;
        const bool copied = CopyAreaData(area, disc, DataRoot, &error, [&](std::int64_t Done, std::int64_t Total) {
            progress.setValue(Total > 0 ? static_cast<int>(Done * 1000 / Total) : 1000);
            QCoreApplication::processEvents();
            return !progress.wasCanceled();
        });
        m_progress = nullptr;
        const bool cancelled = progress.wasCanceled();
        progress.close();
        raise();
        activateWindow();
        // A copy that failed (a full disk, a file the disc cannot give) says
        // why at once; one the user cancelled needs no word.
        if (!copied && !cancelled && !error.isEmpty())
            ShowMessageBoxAt(this,
                             AreaCaptions[static_cast<std::size_t>(area)] +
                                 QStringLiteral("版のデータをインストールできませんでした  \r\n") + error +
                                 QStringLiteral("  "),
                             ProductCaption(), MB_ICONERROR, mbpCenterOnOwner, 0, 0);
        if (copied) {
            AreaOnDisk[static_cast<std::size_t>(area)] = true;
            AreaDiskFolder[static_cast<std::size_t>(area)] = DataRoot;
            any = true;
        } else {
            failed << AreaCaptions[static_cast<std::size_t>(area)];
        }
    }
    finishWork(any, failed, QStringLiteral("インストール"), lvInstall);
}

void THDDInstall::uninstall()
{
    std::vector<int> areas;
    for (int i = 0; i < lvUninstall->topLevelItemCount(); ++i)
        if (lvUninstall->topLevelItem(i)->checkState(0) == Qt::Checked)
            areas.push_back(lvUninstall->topLevelItem(i)->data(0, Qt::UserRole).toInt());
    if (areas.empty()) {
        ShowMessageBoxAt(this, QStringLiteral("アンインストールする地域を指定してください  "), ProductCaption(),
                         MB_ICONINFORMATION, mbpCenterOnOwner, 0, 0);
        lvUninstall->setFocus();
        return;
    }
    if (ShowMessageBoxAt(this,
                         QStringLiteral("選択した地域の電話帳データをアンインストールします  \r\nよろしいですか？  "),
                         ProductCaption(), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, mbpCenterOnOwner, 0, 0)
        != IDYES)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QStringList kept;
    bool any = false;
    for (int area : areas) {
        if (UninstallArea(area))
            any = true;
        else
            kept << AreaCaptions[static_cast<std::size_t>(area)];
    }
    finishWork(any, kept, QStringLiteral("アンインストール"), lvUninstall);
}

void THDDInstall::finishWork(bool Any, const QStringList &Missed, const QString &Work, QTreeWidget *List)
{
    QString error;
    if (Any && !SaveInstalledAreas(&error))
        ShowMessageBoxAt(this,
                         QStringLiteral("HDDインストール情報が書き込めませんでした  ") +
                             (error.isEmpty() ? QString() : QStringLiteral("\r\n\r\n") + error),
                         ProductCaption(), MB_ICONERROR, mbpCenterOnOwner, 0, 0);
    RefreshLists();
    QApplication::restoreOverrideCursor();
    QString text;
    if (!Any) {
        text = QStringLiteral("電話帳データの") + Work + QStringLiteral("を中止しました  ");
    } else {
        text = QStringLiteral("電話帳データの") + Work + QStringLiteral("が完了しました  \r\n\r\n");
        if (!Missed.isEmpty()) {
            text += QStringLiteral("以下の地域は") + Work + QStringLiteral("できませんでした  ");
            for (const QString &name : Missed)
                text += QStringLiteral("\r\n　　") + name + QStringLiteral("  ");
        }
    }
    ShowMessageBoxAt(this, text, ProductCaption(), MB_ICONINFORMATION, mbpCenterOnOwner, 0, 0);
    List->setFocus();
}
