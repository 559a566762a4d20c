#include "dialogs/PrtOpen.h"

#include "platform/TextLines.h"
#include "platform/WriteError.h"
#include "util/MsgBoxPos.h"
#include "widgets/ByteLimitValidator.h"

#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QMenu>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cerrno>
#include <cstdio>

namespace {

// The in-place editor of a title takes what a title keeps as it is typed:
// at most TitleMaxBytes of Shift-JIS, no character the code page lacks.
class TTitleDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget *createEditor(QWidget *Parent, const QStyleOptionViewItem &Option, const QModelIndex &Index) const override
    {
        QWidget *editor = QStyledItemDelegate::createEditor(Parent, Option, Index);
        if (auto *edit = qobject_cast<QLineEdit *>(editor))
            edit->setValidator(new TByteLimitValidator(TitleMaxBytes, edit));
        return editor;
    }
};

} // namespace

TPrintDataFileDialog::TPrintDataFileDialog(QWidget *Owner) : QDialog(Owner)
{
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    lvFile = new QTreeWidget(this);
    lvFile->setObjectName(QStringLiteral("lvFile"));
    lvFile->setRootIsDecorated(false);
    lvFile->setHeaderLabels({QStringLiteral("タイトル"), QStringLiteral("日付")});
    lvFile->header()->setSectionsClickable(false);
    lvFile->setColumnWidth(0, 250);
    lvFile->setColumnWidth(1, 100);
    lvFile->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvFile->setEditTriggers(QAbstractItemView::EditKeyPressed);
    lvFile->setItemDelegateForColumn(0, new TTitleDelegate(lvFile));
    lvFile->setContextMenuPolicy(Qt::CustomContextMenu);
    lvFile->installEventFilter(this);
    sbtnDelete = new QToolButton(this);
    sbtnDelete->setObjectName(QStringLiteral("sbtnDelete"));
    sbtnDelete->setText(QStringLiteral("削除"));
    sbtnRename = new QToolButton(this);
    sbtnRename->setObjectName(QStringLiteral("sbtnRename"));
    sbtnRename->setText(QStringLiteral("名前の変更"));
    sbtnDelete->setEnabled(false);
    sbtnRename->setEnabled(false);
    pmFile = new QMenu(this);
    QAction *pmiDelete = pmFile->addAction(QStringLiteral("削除(&D)"));
    QAction *pmiRename = pmFile->addAction(QStringLiteral("名前の変更(&M)"));
    pmiDelete->setObjectName(QStringLiteral("pmiDelete"));
    pmiRename->setObjectName(QStringLiteral("pmiRename"));
    const auto startRename = [this] {
        if (QTreeWidgetItem *item = lvFile->currentItem(); item && sbtnRename->isEnabled()) {
            m_renaming = true;
            lvFile->editItem(item, 0);
        }
    };
    connect(sbtnDelete, &QToolButton::clicked, this, &TPrintDataFileDialog::DeleteSelected);
    connect(pmiDelete, &QAction::triggered, this, &TPrintDataFileDialog::DeleteSelected);
    connect(sbtnRename, &QToolButton::clicked, this, startRename);
    connect(pmiRename, &QAction::triggered, this, startRename);
    connect(lvFile, &QTreeWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        if (lvFile->itemAt(pos))
            pmFile->popup(lvFile->viewport()->mapToGlobal(pos));
    });
    connect(lvFile, &QTreeWidget::itemSelectionChanged, this, [this] { SelectionChanged(); });
    connect(lvFile, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem *item, int column) {
        if (column != 0 || !m_renaming)
            return;
        m_renaming = false;
        RenameEntry(lvFile->indexOfTopLevelItem(item), item->text(0));
    });
    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TPrintDataFileDialog::SetDocKind(int Kind)
{
    m_info = DocKindInfo(Kind);
    // The address side's page follows its paper (SetPaperKind).
    static constexpr int kHelpContexts[] = {0, 81, 89, 96};
    if (Kind >= 1 && Kind <= 3)
        setProperty("HelpContext", kHelpContexts[Kind]);
    FillList();
}

void TPrintDataFileDialog::SetPaperKind(int Kind)
{
    // Only the address side has a page per paper; the other kinds keep theirs.
    const bool addressSide = m_info && m_info->Extension == QLatin1String(".gpl");
    if (addressSide && (Kind == 0 || Kind == 1))
        setProperty("HelpContext", Kind == 0 ? 68 : 74);
}

void TPrintDataFileDialog::FillList()
{
    const QSignalBlocker block(lvFile);
    lvFile->clear();
    if (!m_info)
        return;
    for (const TPrintDataEntry &e : ListPrintDataFiles(static_cast<int>(
             m_info->Extension == QLatin1String(".gpl")   ? 0
             : m_info->Extension == QLatin1String(".gpa") ? 1
             : m_info->Extension == QLatin1String(".gpc") ? 2
                                                          : 3))) {
        auto *item = new QTreeWidgetItem(lvFile, {e.Title, e.Modified.toString(QStringLiteral("yyyy/MM/dd"))});
        item->setFlags(item->flags() | Qt::ItemIsEditable);
        // The file's title, apart from the text an in-place edit changes.
        item->setData(0, Qt::UserRole, e.Title);
    }
}

QStringList TPrintDataFileDialog::Titles() const
{
    QStringList titles;
    for (int i = 0; i < lvFile->topLevelItemCount(); ++i)
        titles.append(lvFile->topLevelItem(i)->data(0, Qt::UserRole).toString());
    return titles;
}

void TPrintDataFileDialog::SetSelectedName(const QString &Title)
{
    m_currentTitle = Title;
    for (int i = 0; i < lvFile->topLevelItemCount(); ++i)
        if (lvFile->topLevelItem(i)->text(0) == Title) {
            lvFile->setCurrentItem(lvFile->topLevelItem(i));
            lvFile->scrollToItem(lvFile->topLevelItem(i));
            lvFile->setFocus();
            break;
        }
    SelectionChanged();
}

int TPrintDataFileDialog::SelectedRow() const
{
    const QList<QTreeWidgetItem *> items = lvFile->selectedItems();
    return items.isEmpty() ? -1 : lvFile->indexOfTopLevelItem(items.first());
}

QString TPrintDataFileDialog::PathOf(const QString &Title) const
{
    return m_info ? m_info->Folder + Title + m_info->Extension : QString();
}

void TPrintDataFileDialog::Inform(const QString &Text, unsigned Flags)
{
    ShowMessageBoxAt(this, Text, ProductCaption(), Flags, mbpCenterOnOwner, 0, 0);
}

void TPrintDataFileDialog::SelectionChanged()
{
    const int row = SelectedRow();
    const bool other = row >= 0 && lvFile->topLevelItem(row)->text(0) != m_currentTitle;
    sbtnDelete->setEnabled(other);
    sbtnRename->setEnabled(other);
}

void TPrintDataFileDialog::DeleteSelected()
{
    const int row = SelectedRow();
    if (row < 0)
        return;
    const QString title = lvFile->topLevelItem(row)->text(0);
    if (title == m_currentTitle) {
        Inform(QStringLiteral("現在開いているファイルは削除できません  "), MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (ShowMessageBoxAt(this, QStringLiteral("選択中のファイルを削除します  \nよろしいですか？"), ProductCaption(),
                         MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, mbpCenterOnOwner, 0, 0)
        != IDYES)
        return;
    // The cause is named in the words every writer of the program uses for
    // it (removing a name is the folder's right), not the system's text.
    if (std::remove(QFile::encodeName(PathOf(title)).constData()) != 0) {
        const int code = errno;
        Inform(QStringLiteral("ファイル「%1」を削除できませんでした  \n%2")
                   .arg(title, WriteErrorReason(code, TWriteTarget::Folder)),
               MB_OK | MB_ICONERROR);
        return;
    }
    delete lvFile->takeTopLevelItem(row);
    FilesChanged = true;
    SelectionChanged();
}

void TPrintDataFileDialog::RenameEntry(int Row, const QString &Text)
{
    if (Row < 0 || Row >= lvFile->topLevelItemCount())
        return;
    QTreeWidgetItem *item = lvFile->topLevelItem(Row);
    const QStringList titles = Titles();
    // The item already shows the edited text; the old title is the file's.
    const QString oldTitle = titles[Row];
    const QString newTitle = NormalizeTitle(Text);
    const QSignalBlocker block(lvFile);
    const auto restore = [&] { item->setText(0, oldTitle); };
    switch (CheckRename(oldTitle, newTitle, m_currentTitle, titles)) {
    case TRenameCheck::rcUnchanged:
        restore();
        return;
    case TRenameCheck::rcOpenDocument:
        restore();
        Inform(QStringLiteral("現在開いているファイルの名前は変更できません  "), MB_OK | MB_ICONINFORMATION);
        return;
    case TRenameCheck::rcForbidden:
        restore();
        Inform(ForbiddenTitleMessage(), MB_OK | MB_ICONINFORMATION);
        return;
    case TRenameCheck::rcDuplicate:
        restore();
        Inform(QStringLiteral("指定されたファイル名は既に存在します  "), MB_OK | MB_ICONINFORMATION);
        return;
    case TRenameCheck::rcOk:
        break;
    }
    QFile file(PathOf(oldTitle));
    // A title differing only in letter case is the same entry; anything else
    // must not replace a file that appeared since the list was made.
    if (newTitle.compare(oldTitle, Qt::CaseInsensitive) != 0 && QFile::exists(PathOf(newTitle))) {
        restore();
        Inform(QStringLiteral("指定されたファイル名は既に存在します  "), MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (!file.rename(PathOf(newTitle))) {
        restore();
        Inform(QStringLiteral("ファイル「%1」の名前を変更できませんでした  \n%2").arg(oldTitle, file.errorString()),
               MB_OK | MB_ICONERROR);
        return;
    }
    item->setText(0, newTitle);
    item->setData(0, Qt::UserRole, newTitle);
    FilesChanged = true;
}

bool TPrintDataFileDialog::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Watched == lvFile && Event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(Event)->key();
        if (key == Qt::Key_Delete && !m_renaming) {
            DeleteSelected();
            return true;
        }
        if (key == Qt::Key_F2) {
            if (QTreeWidgetItem *item = lvFile->currentItem(); item && sbtnRename->isEnabled()) {
                m_renaming = true;
                lvFile->editItem(item, 0);
            }
            return true;
        }
    }
    return QDialog::eventFilter(Watched, Event);
}

// ---- Open -----------------------------------------------------------------

TPrintDataOpenDialog::TPrintDataOpenDialog(QWidget *Owner) : TPrintDataFileDialog(Owner)
{
    setObjectName(QStringLiteral("PrintDataOpenDialog"));
    setWindowTitle(QStringLiteral("開く"));
    auto *pnlPreview = new QWidget(this);
    pnlPreview->setObjectName(QStringLiteral("pnlPreview"));
    pnlPreview->setFixedSize(220, 220);
    pbxPreview = new QLabel(pnlPreview);
    pbxPreview->setObjectName(QStringLiteral("pbxPreview"));
    pbxPreview->setAlignment(Qt::AlignCenter);
    pbxPreview->setGeometry(0, 0, 220, 220);
    connect(lvFile, &QTreeWidget::itemDoubleClicked, this, [this] { accept(); });

    auto *tools = new QHBoxLayout;
    tools->addWidget(new QLabel(QStringLiteral("保存ファイル一覧"), this));
    tools->addStretch();
    tools->addWidget(sbtnDelete);
    tools->addWidget(sbtnRename);
    auto *left = new QVBoxLayout;
    left->addLayout(tools);
    left->addWidget(lvFile);
    auto *right = new QVBoxLayout;
    right->addWidget(new QLabel(QStringLiteral("プレビュー"), this));
    right->addWidget(pnlPreview);
    right->addStretch();
    auto *body = new QHBoxLayout;
    body->addLayout(left, 1);
    body->addLayout(right);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto *main = new QVBoxLayout(this);
    main->addLayout(body);
    main->addLayout(buttons);
    resize(640, 360);
}

QString TPrintDataOpenDialog::GetSelectedName() const
{
    const int row = SelectedRow();
    return row >= 0 ? lvFile->topLevelItem(row)->text(0) : QString();
}

void TPrintDataOpenDialog::showEvent(QShowEvent *Event)
{
    TPrintDataFileDialog::showEvent(Event);
    if (SelectedRow() < 0 && lvFile->topLevelItemCount() > 0) {
        lvFile->setCurrentItem(lvFile->topLevelItem(0));
        lvFile->setFocus();
    }
}

void TPrintDataOpenDialog::SelectionChanged()
{
    TPrintDataFileDialog::SelectionChanged();
    m_thumbnail = QImage();
    pbxPreview->clear();
    const int row = SelectedRow();
    if (row < 0 || !m_info)
        return;
    const QString title = lvFile->topLevelItem(row)->data(0, Qt::UserRole).toString();
    const QString path = PathOf(title);
    if (!QFile::exists(path)) {
        // Reported and dropped once the view has finished telling of the
        // selection: an entry taken away while it does so crashes it.
        QMetaObject::invokeMethod(this, [this, title] { DropVanished(title); }, Qt::QueuedConnection);
        return;
    }
    m_thumbnail = ReadThumbnail(path, *m_info);
    if (m_thumbnail.isNull())
        return;
    const QSize area = pbxPreview->size() * 0.9;
    pbxPreview->setPixmap(QPixmap::fromImage(
        m_thumbnail.scaled(area, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

void TPrintDataOpenDialog::DropVanished(const QString &Title)
{
    const int row = static_cast<int>(Titles().indexOf(Title));
    if (row < 0 || QFile::exists(PathOf(Title)))
        return;
    Inform(QStringLiteral("ファイルが見つかりません  "), MB_OK | MB_ICONINFORMATION);
    // The row again: the message's own event loop may have changed the list.
    const int now = static_cast<int>(Titles().indexOf(Title));
    if (now >= 0)
        delete lvFile->takeTopLevelItem(now);
}

void TPrintDataOpenDialog::accept()
{
    if (SelectedRow() < 0)
        return;
    TPrintDataFileDialog::accept();
}

// ---- Save -----------------------------------------------------------------

TPrintDataSaveDialog::TPrintDataSaveDialog(QWidget *Owner) : TPrintDataFileDialog(Owner)
{
    setObjectName(QStringLiteral("PrintDataSaveDialog"));
    setWindowTitle(QStringLiteral("名前を付けて保存"));
    edTitle = new QLineEdit(this);
    edTitle->setObjectName(QStringLiteral("edTitle"));
    edTitle->setValidator(new TByteLimitValidator(TitleMaxBytes, edTitle));
    connect(edTitle, &QLineEdit::returnPressed, this, [this] { btnOK->setFocus(); });
    auto *tools = new QHBoxLayout;
    tools->addWidget(new QLabel(QStringLiteral("保存ファイル一覧"), this));
    tools->addStretch();
    tools->addWidget(sbtnDelete);
    tools->addWidget(sbtnRename);
    auto *title = new QHBoxLayout;
    title->addWidget(new QLabel(QStringLiteral("タイトル"), this));
    title->addWidget(edTitle, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto *main = new QVBoxLayout(this);
    main->addLayout(tools);
    main->addWidget(lvFile);
    main->addLayout(title);
    main->addLayout(buttons);
    resize(420, 360);
    // The user comes to name the layout: what they type goes into the title
    // from the start, not into the list's keyboard search.
    edTitle->setFocus();
}

QString TPrintDataSaveDialog::GetTitle() const
{
    return TrimBlanks(edTitle->text());
}

void TPrintDataSaveDialog::SetSelectedName(const QString &Title)
{
    TPrintDataFileDialog::SetSelectedName(Title);
    // The list shows which entry the current title is; the typing goes on
    // at the end of the title.
    edTitle->setFocus();
    edTitle->end(false);
}

void TPrintDataSaveDialog::showEvent(QShowEvent *event)
{
    TPrintDataFileDialog::showEvent(event);
    // The focus the dialog hands out once it is shown selects the whole
    // title; the caret goes to its end instead, so typing adds to the title.
    QTimer::singleShot(0, edTitle, [edit = edTitle] { edit->end(false); });
}

void TPrintDataSaveDialog::SelectionChanged()
{
    TPrintDataFileDialog::SelectionChanged();
    const int row = SelectedRow();
    if (row >= 0)
        edTitle->setText(lvFile->topLevelItem(row)->text(0));
}

void TPrintDataSaveDialog::accept()
{
    const QString title = GetTitle();
    if (title.isEmpty())
        return;
    if (HasForbiddenTitleChar(title)) {
        Inform(ForbiddenTitleMessage(), MB_OK | MB_ICONINFORMATION);
        edTitle->end(false);
        edTitle->setFocus();
        return;
    }
    // A file the list leaves out (damaged or foreign) is replaced all the
    // same by the save, so it is asked about like a listed one. A listed
    // title differing only in letter case is the entry asked about, so the
    // save writes that file rather than a second one beside it.
    const int listed = FindTitle(Titles(), title);
    const bool exact = QFile::exists(PathOf(title));
    if ((listed >= 0 || exact)
        && ShowMessageBoxAt(this, QStringLiteral("同名のファイルが存在します．上書きしますか？  "), ProductCaption(),
                            MB_YESNO | MB_ICONQUESTION, mbpCenterOnOwner, 0, 0)
               != IDYES)
        return;
    if (!exact && listed >= 0)
        edTitle->setText(Titles().at(listed));
    TPrintDataFileDialog::accept();
}
