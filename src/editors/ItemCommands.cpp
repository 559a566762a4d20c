#include "editors/ItemCommands.h"

#include "addressbook/AdrsList.h"
#include "addressbook/InputList.h"
#include "core/DBInfo.h"
#include "dialogs/BackImg.h"
#include "dialogs/FgrSet.h"
#include "dialogs/IlstSet.h"
#include "dialogs/QRCode.h"
#include "dialogs/Sender.h"
#include "dialogs/SenderData.h"
#include "dialogs/SndSet.h"
#include "editors/EditorHost.h"
#include "editors/ItemPlace.h"
#include "editors/MergeFormat.h"
#include "editors/PageView.h"
#include "editors/PrintEditor.h"
#include "items/BarRect.h"
#include "items/FigureRect.h"
#include "items/IllustRect.h"
#include "items/ImgUtils.h"
#include "items/OleDD.h"
#include "items/SenderRect.h"
#include "items/UndoList.h"
#include "platform/Table.h"
#include "util/MsgBoxPos.h"
#include "util/SubUnit.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QRect>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// New items at these sizes (page pixels) before any is made smaller.
constexpr int kFigureSide = 120;
constexpr int kSenderWidth = 200, kSenderHeight = 160;

// Told instead of putting What over the addressee when no free place holds it.
void tellNoRoom(QWidget *Window, const QString &What, const QString &Smallest = {})
{
    ShowMessageBoxAt(Window, NoFreePlaceText(What, Smallest), ProductCaption(), MB_ICONINFORMATION, mbpCenterOnOwner, 0,
                     0);
}

// Copies the dialog's working item back, keeping the item's top-left corner.
void takeBack(TDrawRect &Item, const TDrawRect &Work)
{
    const TPageRect old = Item.GetRect();
    const TPageRect w = Work.GetRect();
    Item.Assign(Work);
    Item.SetRect({old.Left, old.Top, old.Left + (w.Right - w.Left), old.Top + (w.Bottom - w.Top)});
}

// The sender blocks of Editor that name a renamed sender (Renamed: old
// title, new title) take its new title, as one step of the editor's
// history.
void followRenamedSenders(TPrintEditor &Editor, const QList<std::pair<QString, QString>> &Renamed)
{
    const TLayoutDocument &d = Editor.Document();
    std::vector<int> blocks;
    std::vector<QString> titles;
    for (size_t i = 0; i < d.Items.size(); ++i) {
        const auto *block = dynamic_cast<const TSenderRect *>(d.Items[i].get());
        if (!block)
            continue;
        const QString title = block->GetSenderTitle().trimmed();
        const auto to =
            std::find_if(Renamed.begin(), Renamed.end(), [&title](const auto &R) { return R.first == title; });
        if (to == Renamed.end())
            continue;
        blocks.push_back(int(i));
        titles.push_back(to->second);
    }
    if (blocks.empty())
        return;
    auto change = Editor.BeginChange(blocks);
    for (size_t k = 0; k < blocks.size(); ++k)
        static_cast<TSenderRect &>(*Editor.Document().Items[size_t(blocks[k])]).SetSenderTitle(titles[k]);
    Editor.CommitChange(std::move(change), blocks);
}

} // namespace

TItemCommands::TItemCommands(TPrintEditor &Editor, TEditorHost &Host) : QObject(&Editor), m_editor(Editor), m_host(Host)
{
    setObjectName(QStringLiteral("ItemCommands"));
    // The default sender lives in Sender.ini; the sender window changes it.
    LoadDefaultSenderNo();
    ChooseImageFile = [this] { return ChooseImageFileName(Window()); };
    auto make = [this](QAction *&Action, const char *Name, const QString &Caption) {
        Action = new QAction(Caption, &m_editor);
        Action->setObjectName(QLatin1String(Name));
        m_editor.addAction(Action);
    };
    make(actInsertIllust, "actInsertIllust", QStringLiteral("イラスト(&I)..."));
    make(actInsertFigure, "actInsertFigure", QStringLiteral("図形(&F)..."));
    make(actInsertQRCode, "actInsertQRCode", QStringLiteral("QRコード(&Q)..."));
    make(actInsertSender, "actInsertSender", QStringLiteral("差出人情報(&S)..."));
    make(actItemSetting, "actItemSetting", QStringLiteral("項目の設定(&E)..."));
    make(actSender, "actSender", QStringLiteral("差出人の編集(&D)..."));
    const bool design = m_editor.Document().Kind == TLayoutKind::Design;
    if (design)
        make(actBackImage, "actBackImage", QStringLiteral("背景(&B)..."));

    QMenu *insert = m_editor.menuBar()->addMenu(QStringLiteral("挿入(&I)"));
    insert->setObjectName(QStringLiteral("mnuInsert"));
    insert->addActions({actInsertIllust, actInsertFigure, actInsertQRCode, actInsertSender});
    if (actBackImage) {
        insert->addSeparator();
        insert->addAction(actBackImage);
    }
    insert->addSeparator();
    insert->addActions({actItemSetting, actSender});

    connect(actInsertIllust, &QAction::triggered, this, &TItemCommands::InsertIllust);
    connect(actInsertFigure, &QAction::triggered, this, &TItemCommands::InsertFigure);
    connect(actInsertQRCode, &QAction::triggered, this, &TItemCommands::InsertQRCode);
    connect(actInsertSender, &QAction::triggered, this, &TItemCommands::InsertSender);
    connect(actItemSetting, &QAction::triggered, this, [this] { (void)EditItem(m_editor.PageView()->Selected()); });
    connect(actSender, &QAction::triggered, this, &TItemCommands::EditSenders);
    if (actBackImage)
        connect(actBackImage, &QAction::triggered, this, &TItemCommands::EditBackground);
    connect(m_editor.PageView(), &TPageView::ItemDoubleClicked, this, [this](int Index) { (void)EditItem(Index); });
    connect(m_editor.PageView(), &TPageView::SelectionChanged, this, &TItemCommands::UpdateActions);
    m_drop = new TFileDD(this);
    m_drop->OnDropFiles = [this](const QStringList &Files, int, Qt::DropAction &, QPoint Pt) { DropFiles(Files, Pt); };
    m_drop->RegisterWindow(m_editor.PageView());
    UpdateActions();
}

QWidget *TItemCommands::Window() const
{
    return &m_editor;
}

void TItemCommands::UpdateActions()
{
    const int selected = m_editor.PageView()->Selected();
    bool editable = false;
    if (selected >= 0 && selected < int(m_editor.Document().Items.size())) {
        const TDrawRectKind kind = m_editor.Document().Items[size_t(selected)]->GetKind();
        editable = kind == TDrawRectKind::Illust || kind == TDrawRectKind::Figure || kind == TDrawRectKind::QRCode ||
                   kind == TDrawRectKind::SenderBlock;
    }
    actItemSetting->setEnabled(editable);
}

void TItemCommands::AddItem(std::unique_ptr<TDrawRect> Item)
{
    (void)m_editor.InsertItem(std::move(Item));
}

bool TItemCommands::EditItem(int Index)
{
    TLayoutDocument &d = m_editor.Document();
    if (Index < 0 || Index >= int(d.Items.size()))
        return false;
    TDrawRect &item = *d.Items[size_t(Index)];
    // The item as it stands, for the step that takes the change back.
    std::unique_ptr<TUndoDatas> step = m_editor.BeginChange({Index});
    bool done = false;
    if (auto *illust = dynamic_cast<TIllustRect *>(&item)) {
        TIllustSettingDialog dialog(Window());
        CenterFormOnOwner(&dialog, Window());
        dialog.SetItem(*illust);
        if ((done = m_editor.ExecDialog(dialog) == QDialog::Accepted))
            takeBack(item, dialog.WorkItem());
    } else if (auto *figure = dynamic_cast<TFigureRect *>(&item)) {
        TFigureSettingDialog dialog(Window());
        CenterFormOnOwner(&dialog, Window());
        dialog.SetItem(*figure);
        if ((done = m_editor.ExecDialog(dialog) == QDialog::Accepted))
            takeBack(item, dialog.WorkItem());
    } else if (auto *qr = dynamic_cast<TQRCodeRect *>(&item)) {
        TQRCodeSettingDialog dialog(Window());
        CenterFormOnOwner(&dialog, Window());
        dialog.SetQRCode(*qr);
        if ((done = m_editor.ExecDialog(dialog) == QDialog::Accepted))
            takeBack(item, dialog.PreviewItem());
    } else if (auto *block = dynamic_cast<TSenderRect *>(&item)) {
        TSenderSettingDialog dialog(Window());
        CenterFormOnOwner(&dialog, Window());
        dialog.SetItem(*block);
        dialog.SetFontScale(std::max(d.Format.Width, d.Format.Height));
        // The preview shows the block as the layout prints it.
        const TDataFormat format = EffectiveDataFormat(d);
        dialog.SetDataFormat(&format);
        if ((done = m_editor.ExecDialog(dialog) == QDialog::Accepted))
            takeBack(item, dialog.WorkItem());
    }
    if (done)
        m_editor.CommitChange(std::move(step), {Index});
    return done;
}

void TItemCommands::InsertIllust()
{
    const QString file = ChooseImageFile ? ChooseImageFile() : QString();
    if (!file.isEmpty())
        (void)InsertIllustFile(file);
}

void TItemCommands::DropFiles(const QStringList &Files, QPoint ScreenPos)
{
    // Only the kinds the picture item loads: anything else dropped is not
    // offered to the reader (and named only when nothing could be taken).
    const QStringList pictures = [&Files] {
        QStringList out;
        for (const QString &f : Files) {
            const QString suffix = QFileInfo(f).suffix().toLower();
            if (suffix == QLatin1String("bmp") || suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg"))
                out << f;
        }
        return out;
    }();
    if (pictures.isEmpty()) {
        ShowMessageBoxAt(Window(), QStringLiteral("貼り付けられるのはBMPかJPEGの画像ファイルだけです  "), ProductCaption(),
                         MB_ICONINFORMATION, mbpCenterOnOwner, 0, 0);
        return;
    }
    const double zoom = m_editor.PageView()->Zoom();
    const QPoint page(int(std::lround((ScreenPos.x() - TPageView::Margin) / zoom)),
                      int(std::lround((ScreenPos.y() - TPageView::Margin) / zoom)));
    (void)InsertIllustFile(pictures.first(), page);
}

bool TItemCommands::InsertIllustFile(const QString &file, std::optional<QPoint> At)
{
    // A file gone since it was chosen, or one that cannot be read, raises:
    // it is named with its reason, never let through the event loop.
    std::optional<TLoadedImage> loaded;
    QString reason;
    try {
        loaded = LoadImageFile(file);
    } catch (const EImageFileError &error) {
        reason = error.Message();
    }
    if (!loaded) {
        ShowMessageBoxAt(Window(),
                         QStringLiteral("画像ファイルを読み込めませんでした  \r\n") + file +
                             (reason.isEmpty() ? QString() : QStringLiteral("\r\n\r\n") + reason),
                         ProductCaption(), MB_ICONERROR, mbpCenterOnOwner, 0, 0);
        return false;
    }
    auto item = std::make_unique<TIllustRect>();
    item->SetPicture(loaded->Image, loaded->JpegBytes);
    item->SetResolution(loaded->Dpi);
    // The picture at its own size, which its file's resolution gives: it
    // prints as large as that says. Only a picture larger than the piece is
    // shrunk, to fit it.
    const QSize piece = m_editor.Document().PiecePixels();
    QSize size = loaded->Image.size();
    if (loaded->Dpi > 0) {
        const auto natural = [&](int pixels) {
            return std::max(1, int(std::lround(pixels * 96.0 / loaded->Dpi)));
        };
        size = QSize(natural(size.width()), natural(size.height()));
    }
    if (piece.isValid() && (size.width() > piece.width() || size.height() > piece.height()))
        size = size.scaled(piece, Qt::KeepAspectRatio);
    const int w = std::max(8, size.width()), h = std::max(8, size.height());
    if (At) {
        // Kept on the piece: a drop near its edge moves the picture in.
        const QSize piece = m_editor.Document().PiecePixels();
        const int left = std::clamp(At->x(), 0, std::max(0, piece.width() - w));
        const int top = std::clamp(At->y(), 0, std::max(0, piece.height() - h));
        item->SetRect({left, top, left + w, top + h});
    } else {
        const std::optional<TPageRect> place = FreePlaceShrunk(m_editor.Document(), QSize(w, h), LeastPictureSide({w, h}));
        if (!place) {
            tellNoRoom(Window(), QStringLiteral("イラスト"));
            return false;
        }
        item->SetRect(*place);
    }
    AddItem(std::move(item));
    return true;
}

void TItemCommands::InsertFigure()
{
    const QSize side(kFigureSide, kFigureSide);
    TFigureRect figure;
    figure.SetFigureKind(TFigureRect::Rectangle);
    // Where nothing fits even the new figure, the settings are not asked.
    std::optional<TPageRect> place = FreePlaceShrunk(m_editor.Document(), side, LeastPictureSide(side), InkOutset(figure));
    if (!place) {
        tellNoRoom(Window(), QStringLiteral("図形"));
        return;
    }
    figure.SetRect(*place);
    TFigureSettingDialog dialog(Window());
    CenterFormOnOwner(&dialog, Window());
    dialog.SetItem(figure);
    if (m_editor.ExecDialog(dialog) != QDialog::Accepted)
        return;
    auto item = std::make_unique<TFigureRect>();
    item->SetRect(figure.GetRect());
    takeBack(*item, dialog.WorkItem());
    // Its outline as chosen reaches its own way beyond the box.
    place = FreePlaceShrunk(m_editor.Document(), side, LeastPictureSide(side), InkOutset(*item));
    if (!place) {
        tellNoRoom(Window(), QStringLiteral("図形"));
        return;
    }
    item->SetRect(*place);
    AddItem(std::move(item));
}

void TItemCommands::InsertQRCode()
{
    TQRCodeRect qr;
    const QSize piece = m_editor.Document().PiecePixels();
    qr.SetRect({piece.width() / 2, piece.height() / 2, piece.width() / 2 + 1, piece.height() / 2 + 1});
    TQRCodeSettingDialog dialog(Window());
    CenterFormOnOwner(&dialog, Window());
    dialog.SetQRCode(qr);
    if (m_editor.ExecDialog(dialog) != QDialog::Accepted)
        return;
    auto item = std::make_unique<TQRCodeRect>();
    item->SetRect(qr.GetRect());
    takeBack(*item, dialog.PreviewItem());
    // The code takes its size from its text and cell pitch when it is
    // drawn up: its place is found for that size, not the dialog's start.
    if (!PlaceQRCode(m_editor.Document(), *item)) {
        tellNoRoom(Window(), QStringLiteral("QRコード"), QStringLiteral("セルの大きさを最も小さくしても、"));
        return;
    }
    AddItem(std::move(item));
}

void TItemCommands::InsertSender()
{
    auto item = std::make_unique<TSenderRect>();
    TLayoutDocument &d = m_editor.Document();
    const bool horizontal = d.Kind == TLayoutKind::Design || d.HorizontalWriting();
    item->SetHorizontal(horizontal);
    const QSize size = horizontal ? QSize(kSenderWidth, kSenderHeight) : QSize(kSenderHeight, kSenderWidth);
    // The block names the editor's sender, else the default one; a company's
    // lines are the ones it keeps readable as it is made smaller.
    std::optional<TSenderData> sender = LoadSenderByRecNo(m_host.SenderNo());
    if (!sender)
        sender = LoadSenderByRecNo(DefaultSenderNo);
    if (!sender) {
        const QList<TSenderData> all = LoadSenders();
        if (!all.isEmpty())
            sender = all.first();
    }
    // A block names its sender by title and would print empty on every
    // piece, whatever sender is chosen later: without one it is not made.
    if (!sender || sender->Title.trimmed().isEmpty()) {
        ShowMessageBoxAt(Window(),
                         QStringLiteral("差出人が登録されていないため、差出人情報を挿入できません  \r\n"
                                        "挿入 → 差出人の編集で差出人を登録してから挿入してください  "),
                         ProductCaption(), MB_ICONINFORMATION, mbpCenterOnOwner, 0, 0);
        return;
    }
    item->SetSenderTitle(sender->Title.trimmed());
    item->SetPrivate(sender->SelectInfo != 2);
    item->ResetChildRect(-1);
    const std::optional<TPageRect> place = FreePlaceShrunk(d, size, LeastSenderBlockSide(*item, size));
    if (!place) {
        tellNoRoom(Window(), QStringLiteral("差出人情報"));
        return;
    }
    item->SetRect(*place);
    item->ResetChildRect(-1);
    item->RescaleFonts(TTenthMm(std::max(d.Format.Width, d.Format.Height)));
    AddItem(std::move(item));
}

void TItemCommands::EditBackground()
{
    TLayoutDocument &d = m_editor.Document();
    TBackImageDialog dialog(Window());
    CenterFormOnOwner(&dialog, Window());
    dialog.SetBackImage(d.Background, d.Format.Width, d.Format.Height);
    if (m_editor.ExecDialog(dialog) != QDialog::Accepted)
        return;
    m_editor.ChangeBackground(dialog.WorkItem());
}

void TItemCommands::EditSenders()
{
    if (!DMMurven19 || !DMMurven19->SenderTable() || !DMMurven19->OpenSender())
        return;
    // A sender block names its sender by title: the titles the window
    // changes are followed by the blocks of every open editor.
    auto readAll = [] {
        try {
            return ReadAllSenders(*DMMurven19->SenderTable());
        } catch (const ETableError &) {
            return QList<TSenderData>();
        }
    };
    const QList<TSenderData> before = readAll();
    int result = 0;
    qint32 chosen = 0;
    {
        TSenderForm form(Window());
        CenterFormOnOwner(&form, Window());
        form.SenderNo = m_host.SenderNo();
        form.EditPickList = [&form](int Kind) {
            TInputList list(&form);
            list.SetListKind(Kind == 0 ? TInputList::lkDepartment : TInputList::lkPost);
            return list.exec() == QDialog::Accepted ? int(list.GetChangedLists()) : 0;
        };
        result = m_editor.ExecDialog(form);
        chosen = form.SenderNo;
    }
    const QList<std::pair<QString, QString>> renamed = RenamedSenders(before, readAll());
    if (AddressList)
        AddressList->LoadSenderList();
    if (result == 1)
        m_host.SetSenderNo(chosen);
    DMMurven19->CloseSender();
    // Every open editor shows the senders as the window left them: its
    // blocks follow the renames, and a sender changed without one (its name,
    // its address) is shown at once, not only at the editor's next merge.
    for (QWidget *window : QApplication::topLevelWidgets())
        if (auto *editor = qobject_cast<TPrintEditor *>(window); editor && editor != &m_editor) {
            followRenamedSenders(*editor, renamed);
            editor->MergeCurrentRecord();
        }
    followRenamedSenders(m_editor, renamed);
    m_editor.MergeCurrentRecord();
}
