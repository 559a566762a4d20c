#include "editors/EditorTextCommands.h"

#include "dialogs/LytFont.h"
#include "dialogs/WordEdit.h"
#include "dialogs/WordSet.h"
#include "editors/AdditionPlace.h"
#include "editors/FormatDialogs.h"
#include "editors/ItemPlace.h"
#include "editors/MergeFormat.h"
#include "editors/PageView.h"
#include "editors/PrintData.h"
#include "editors/PrintEditor.h"
#include "items/AdditionRect.h"
#include "items/BarRect.h"
#include "items/UndoList.h"
#include "items/WordRect.h"
#include "util/MsgBoxPos.h"
#include "util/SubUnit.h"

#include <QAction>
#include <QEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>

#include <algorithm>
#include <cmath>

namespace {

// The frame roles of the default items, in the order the layout document
// numbers them (LayoutDoc.cpp).
enum TRoleNo : int {
    roPostcode = 0,
    roAddress = 1,
    roAddress1 = 2,
    roAddress2 = 3,
    roCompany = 4,
    roDepartment = 5,
    roPost = 6,
    roName = 7,
    roJoint = 8,
    roSenderPostcode = 10,
    roSenderAddress = 11,
    roSenderName = 12,
};

// A new free text stands at the middle of the piece at this size, turned
// for vertical writing.
constexpr int kWordLong = 240, kWordShort = 80;

// The data format as an undo snapshot, tagged so that no other object
// snapshot is taken for it.
class TFormatSnapshot : public TStreamObject
{
public:
    static constexpr char Tag[] = "DFMT";
    TDataFormat Format;
    bool Read = false;
    void SaveToStream(TItemWriter &Stream) const override
    {
        Stream.writeBytes(QByteArrayView(Tag, 4));
        Stream.writeBytes(WriteDataFormat(Format));
    }
    void LoadFromStream(TItemReader &Stream) override
    {
        if (Stream.remaining() < 4 + DataFormatSize || Stream.readBytes(4) != QByteArray(Tag, 4))
            return;
        const std::optional<TDataFormat> f = ReadDataFormat(Stream.readBytes(DataFormatSize));
        if (f) {
            Format = *f;
            Read = true;
        }
    }
};

// The frame set in use (simple or detailed) as an undo snapshot, tagged
// like the data format's.
class TFrameSetSnapshot : public TStreamObject
{
public:
    static constexpr char Tag[] = "DSET";
    bool Detail = false;
    bool Read = false;
    void SaveToStream(TItemWriter &Stream) const override
    {
        Stream.writeBytes(QByteArrayView(Tag, 4));
        Stream.writeFlag(Detail);
    }
    void LoadFromStream(TItemReader &Stream) override
    {
        if (Stream.remaining() != 5 || Stream.readBytes(4) != QByteArray(Tag, 4))
            return;
        Detail = Stream.readByte() != 0;
        Read = true;
    }
};

TPageRect centred(const TLayoutDocument &D, int W, int H)
{
    const QSize piece = D.PiecePixels();
    const int left = std::max(0, (piece.width() - W) / 2), top = std::max(0, (piece.height() - H) / 2);
    return {left, top, left + W, top + H};
}

// Turns a box a quarter about its top-left corner.
TPageRect turned(const TPageRect &R)
{
    return {R.Left, R.Top, R.Left + (R.Bottom - R.Top), R.Top + (R.Right - R.Left)};
}

} // namespace

struct TTextCommands::TPending {
    std::unique_ptr<TUndoDatas> Action;
    std::vector<std::pair<int, int>> Pieces; // item index, piece index
    int FormatPiece = -1;
};

TTextCommands::TTextCommands(TPrintEditor &Editor) : QObject(&Editor), m_editor(Editor)
{
    setObjectName(QStringLiteral("TextCommands"));
    auto make = [this](QAction *&Action, const char *Name, const QString &Caption) {
        Action = new QAction(Caption, &m_editor);
        Action->setObjectName(QLatin1String(Name));
        m_editor.addAction(Action);
    };
    make(actDataFormat, "actDataFormat", QStringLiteral("書式(&D)..."));
    make(actLayoutDetail, "actLayoutDetail", QStringLiteral("詳細(&T)..."));
    make(actAddition, "actAddition", QStringLiteral("付加情報(&A)..."));
    make(actFont, "actFont", QStringLiteral("フォント(&F)..."));
    make(actInsertWord, "actInsertWord", QStringLiteral("文字の挿入(&I)..."));
    make(actWordEdit, "actWordEdit", QStringLiteral("文章の編集(&E)..."));
    make(actWordSetting, "actWordSetting", QStringLiteral("文章の表示設定(&S)..."));

    QMenu *format = m_editor.menuBar()->addMenu(QStringLiteral("書式(&O)"));
    format->setObjectName(QStringLiteral("mnuFormat"));
    format->addActions({actDataFormat, actLayoutDetail, actAddition});
    format->addSeparator();
    format->addAction(actFont);
    QMenu *word = m_editor.menuBar()->addMenu(QStringLiteral("文字(&W)"));
    word->setObjectName(QStringLiteral("mnuWord"));
    word->addAction(actInsertWord);
    word->addSeparator();
    word->addActions({actWordEdit, actWordSetting});

    connect(actDataFormat, &QAction::triggered, this, [this] { (void)EditDataFormat(); });
    connect(actLayoutDetail, &QAction::triggered, this, [this] { (void)EditLayoutDetail(); });
    connect(actAddition, &QAction::triggered, this, [this] { (void)EditAddition(); });
    connect(actFont, &QAction::triggered, this, [this] { (void)EditFont(); });
    connect(actInsertWord, &QAction::triggered, this, [this] { (void)InsertWord(); });
    connect(actWordEdit, &QAction::triggered, this, [this] { (void)EditWord(SelectedWord()); });
    connect(actWordSetting, &QAction::triggered, this, [this] { (void)EditWordSetting(SelectedWord()); });
    connect(m_editor.PageView(), &TPageView::SelectionChanged, this, &TTextCommands::UpdateActions);
    connect(&m_editor, &TPrintEditor::LayoutChanged, this, &TTextCommands::UpdateActions);
    m_editor.PageView()->installEventFilter(this);

    // The editor puts back the items, their places and the background; the
    // data format and the frame set are put back here, and every other
    // piece still reaches the editor.
    m_previousUndo = m_editor.UndoList().OnUndoRedo;
    m_editor.UndoList().OnUndoRedo = [this](TUndoList &List, TUndoKind Kind, TUndoData &Data, bool Redo) {
        UndoRedo(List, Kind, Data, Redo);
    };
    UpdateActions();
}

int TTextCommands::SelectedWord() const
{
    const int selected = m_editor.PageView()->Selected();
    const auto &items = m_editor.Document().Items;
    if (selected < 0 || selected >= int(items.size()))
        return -1;
    return items[size_t(selected)]->GetKind() == TDrawRectKind::Word ? selected : -1;
}

void TTextCommands::UpdateActions()
{
    const bool word = SelectedWord() >= 0;
    actWordEdit->setEnabled(word);
    actWordSetting->setEnabled(word);
    const TLayoutDocument &d = m_editor.Document();
    const bool paper = d.Format.Width > 0 && d.Format.Height > 0;
    bool text = false;
    for (const auto &item : d.Items)
        text = text || dynamic_cast<const TMetaRect *>(item.get()) != nullptr;
    actFont->setEnabled(text);
    actInsertWord->setEnabled(paper);
    for (QAction *a : {actDataFormat, actLayoutDetail, actAddition})
        a->setEnabled(paper);
    // The design has neither additional lines nor a barcode.
    actAddition->setVisible(d.Kind != TLayoutKind::Design);
}

int TTextCommands::ItemAt(QPoint Pos) const
{
    const auto &items = m_editor.Document().Items;
    for (int i = int(items.size()) - 1; i >= 0; --i) {
        const THitZone zone =
            items[size_t(i)]->HitZone(Pos.x() - TPageView::Margin, Pos.y() - TPageView::Margin);
        if (zone.x != THitZoneX::None && zone.y != THitZoneY::None)
            return i;
    }
    return -1;
}

bool TTextCommands::eventFilter(QObject *Watched, QEvent *Event)
{
    // A double click on a free text opens its display settings; other
    // items are left to the commands that know them.
    if (Watched == m_editor.PageView() && Event->type() == QEvent::MouseButtonDblClick) {
        const auto *mouse = static_cast<QMouseEvent *>(Event);
        const int index = mouse->button() == Qt::LeftButton ? ItemAt(mouse->position().toPoint()) : -1;
        if (index >= 0 && m_editor.Document().Items[size_t(index)]->GetKind() == TDrawRectKind::Word) {
            m_editor.PageView()->SetSelected(index);
            (void)EditWordSetting(index);
            return true;
        }
    }
    return QObject::eventFilter(Watched, Event);
}

std::unique_ptr<TTextCommands::TPending> TTextCommands::Begin(const std::vector<int> &Indexes, bool Format)
{
    auto pending = std::make_unique<TPending>();
    pending->Action = std::make_unique<TUndoDatas>(TUndoKind::Property);
    const TLayoutDocument &d = m_editor.Document();
    for (const int index : Indexes) {
        const TDrawRect &item = *d.Items[size_t(index)];
        const int piece = pending->Action->AddDrawRect(item, index, PrintItemClass(item), TUndoState::Before);
        pending->Pieces.push_back({index, piece});
    }
    if (Format) {
        TFormatSnapshot snapshot;
        snapshot.Format = EffectiveDataFormat(d);
        pending->FormatPiece = pending->Action->AddObject(snapshot, TUndoState::Before);
    }
    const int selected = m_editor.PageView()->Selected();
    pending->Action->SetSelectionCount(TUndoState::Before, selected >= 0 ? 1 : 0);
    if (selected >= 0)
        pending->Action->SetSelection(TUndoState::Before, 0, selected);
    pending->Action->SetMainSelection(TUndoState::Before, selected >= 0 ? 0 : -1);
    return pending;
}

void TTextCommands::Commit(std::unique_ptr<TPending> Pending)
{
    const TLayoutDocument &d = m_editor.Document();
    for (const auto &[index, piece] : Pending->Pieces)
        Pending->Action->SetObject(piece, *d.Items[size_t(index)], TUndoState::After);
    if (Pending->FormatPiece >= 0) {
        TFormatSnapshot snapshot;
        snapshot.Format = EffectiveDataFormat(d);
        Pending->Action->SetObject(Pending->FormatPiece, snapshot, TUndoState::After);
    }
    const int selected = m_editor.PageView()->Selected();
    Pending->Action->SetSelectionCount(TUndoState::After, selected >= 0 ? 1 : 0);
    if (selected >= 0)
        Pending->Action->SetSelection(TUndoState::After, 0, selected);
    Pending->Action->SetMainSelection(TUndoState::After, selected >= 0 ? 0 : -1);
    m_editor.UndoList().Add(std::move(Pending->Action));
    Changed(selected);
}

void TTextCommands::Changed(int Select)
{
    m_editor.MergeCurrentRecord();
    m_editor.PageView()->SetSelected(Select);
    if (QAction *undo = m_editor.findChild<QAction *>(QStringLiteral("actUndo")))
        undo->setEnabled(m_editor.UndoList().CanUndo());
    if (QAction *redo = m_editor.findChild<QAction *>(QStringLiteral("actRedo")))
        redo->setEnabled(m_editor.UndoList().CanRedo());
    UpdateActions();
}

void TTextCommands::UndoRedo(TUndoList &List, TUndoKind Kind, TUndoData &Data, bool Redo)
{
    // The data format's snapshots are put back here; the items, their
    // places and the background by the editor.
    if (dynamic_cast<TDrawRectUndoData *>(&Data) == nullptr) {
        if (auto *object = dynamic_cast<TObjectUndoData *>(&Data)) {
            TFormatSnapshot snapshot;
            TItemReader reader = object->GetStream(Redo ? TUndoState::After : TUndoState::Before).reader();
            snapshot.LoadFromStream(reader);
            if (snapshot.Read) {
                m_editor.Document().DataFormat = std::make_shared<const TDataFormat>(snapshot.Format);
                return;
            }
            TFrameSetSnapshot frames;
            TItemReader again = object->GetStream(Redo ? TUndoState::After : TUndoState::Before).reader();
            frames.LoadFromStream(again);
            if (frames.Read) {
                m_editor.Document().Detail = frames.Detail;
                return;
            }
        }
    }
    if (m_previousUndo)
        m_previousUndo(List, Kind, Data, Redo);
}

namespace {

TFormatDialogSetup setupOf(TPrintEditor &Editor)
{
    TFormatDialogSetup setup;
    const TLayoutDocument &d = Editor.Document();
    switch (d.Kind) {
    case TLayoutKind::AddressSide: setup.LayoutKind = d.Format.PaperKind() == TPaperKind::Envelope ? 1 : 0; break;
    case TLayoutKind::Label: setup.LayoutKind = 2; break;
    case TLayoutKind::Card: setup.LayoutKind = 3; break;
    case TLayoutKind::Design: setup.Design = true; break;
    }
    setup.Exec = Editor.ExecDialog;
    return setup;
}

std::vector<int> indexesOf(const TLayoutDocument &D, const std::function<bool(const TDrawRect &)> &Take)
{
    std::vector<int> indexes;
    for (size_t i = 0; i < D.Items.size(); ++i)
        if (Take(*D.Items[i]))
            indexes.push_back(int(i));
    return indexes;
}

// The boxes of the layout detail dialog a default frame of Role answers to
// in the frame set (Detail) it belongs to. The simple set's name frame and
// every sender name frame hold the company lines with the name.
std::vector<TDetailBox> detailBoxesOf(int Role, bool Detail)
{
    using B = TDetailBox;
    switch (Role) {
    case roPostcode: return {B::Pos};
    case roAddress: return {B::Address1, B::Address2, B::Address3};
    case roAddress1: return {B::Address1};
    case roAddress2: return {B::Address2, B::Address3};
    case roCompany: return {B::Corp};
    case roDepartment: return {B::Dptmnt};
    case roPost: return {B::Post};
    case roName:
        if (Detail)
            return {B::Name};
        return {B::Name, B::Corp, B::Dptmnt, B::Post};
    case roJoint: return {B::Name};
    case roSenderPostcode: return {B::SenderPos};
    case roSenderAddress: return {B::SenderAddress1, B::SenderAddress2, B::SenderAddress3};
    case roSenderName: return {B::SenderName, B::SenderCorp, B::SenderDptmnt, B::SenderPost};
    default: return {};
    }
}

// The sender's box of the same part (a sender's box is its own twin).
TDetailBox senderTwin(TDetailBox Box)
{
    using B = TDetailBox;
    switch (Box) {
    case B::Pos: return B::SenderPos;
    case B::Address1: return B::SenderAddress1;
    case B::Address2: return B::SenderAddress2;
    case B::Address3: return B::SenderAddress3;
    case B::Name: return B::SenderName;
    case B::Corp: return B::SenderCorp;
    case B::Dptmnt: return B::SenderDptmnt;
    case B::Post: return B::SenderPost;
    default: return Box;
    }
}

// The bit of TDataFormat::HiddenParts that hides the part a box stands
// for; 0 for a box that only shows or hides whole frames.
quint16 hiddenPartOf(TDetailBox Box)
{
    using B = TDetailBox;
    switch (Box) {
    case B::Address1: return hpAddress1;
    case B::Address2: return hpAddress2;
    case B::Address3: return hpAddress3;
    case B::Name: return hpName;
    case B::Corp: return hpCorp;
    case B::Dptmnt: return hpDptmnt;
    case B::Post: return hpPost;
    case B::SenderAddress1:
    case B::SenderAddress2:
    case B::SenderAddress3:
    case B::SenderName:
    case B::SenderCorp:
    case B::SenderDptmnt:
    case B::SenderPost:
        return quint16(hiddenPartOf(TDetailBox(int(Box) - int(B::SenderPos) + int(B::Pos))) << SenderPartShift);
    default: return 0;
    }
}

} // namespace

bool TTextCommands::EditDataFormat()
{
    TDataFormat format = EffectiveDataFormat(m_editor.Document());
    const TDataFormat before = format;
    if (!RunDataFormatDialog(&m_editor, setupOf(m_editor), format))
        return false;
    if (format == before && m_editor.Document().DataFormat)
        return false;
    auto pending = Begin({}, true);
    m_editor.Document().DataFormat = std::make_shared<const TDataFormat>(format);
    Commit(std::move(pending));
    return true;
}

bool TTextCommands::EditLayoutDetail()
{
    TLayoutDocument &d = m_editor.Document();
    TDetailRequest request;
    request.DetailedFrames = d.Detail;
    if (d.Kind == TLayoutKind::AddressSide)
        request.DataSide = d.FrameCount() > 4 ? 0 : 1;
    else if (d.Kind == TLayoutKind::Label || d.Kind == TLayoutKind::Card)
        request.DataSide = d.SenderAsAddressee ? 2 : 1;
    request.Visible.fill(true);
    // A label or card filled from the sender shows its frames under the
    // sender's boxes, the only ones the dialog offers then.
    const bool senderData = d.Kind != TLayoutKind::AddressSide && d.SenderAsAddressee;
    auto shownAs = [senderData](TDetailBox Box) { return senderData ? senderTwin(Box) : Box; };
    TDataFormat format = EffectiveDataFormat(d);
    std::vector<int> additions;
    for (size_t i = 0; i < d.Items.size(); ++i) {
        const int role = i < d.ItemRoles.size() ? d.ItemRoles[i] : -1;
        for (const TDetailBox box : detailBoxesOf(role, d.Detail))
            request.Visible[size_t(shownAs(box))] =
                d.Items[i]->IsVisible() && !(format.HiddenParts & hiddenPartOf(box));
        if (d.Items[i]->GetKind() == TDrawRectKind::Addition && additions.size() < 4) {
            request.Visible[size_t(TDetailBox::Addition1) + additions.size()] = d.Items[i]->IsVisible();
            additions.push_back(int(i));
        }
    }
    if (!RunLayoutDetailDialog(&m_editor, setupOf(m_editor), request, format))
        return false;
    // Each box alone: a part of a frame (an address line, the name or a
    // company line sharing a frame) is hidden through the data format, in
    // whichever set the layout uses now or later; a frame prints while any
    // of its boxes is ticked.
    for (size_t i = 0; i < d.Items.size() && i < d.ItemRoles.size(); ++i)
        for (const TDetailBox box : detailBoxesOf(d.ItemRoles[i], d.Detail)) {
            const quint16 bit = hiddenPartOf(box);
            format.HiddenParts = request.Visible[size_t(shownAs(box))] ? quint16(format.HiddenParts & ~bit)
                                                                        : quint16(format.HiddenParts | bit);
        }
    auto framePrints = [&](int Role, bool Detail) {
        const std::vector<TDetailBox> boxes = detailBoxesOf(Role, Detail);
        return boxes.empty() || std::any_of(boxes.begin(), boxes.end(), [&](TDetailBox Box) {
                   return request.Visible[size_t(shownAs(Box))];
               });
    };

    const bool switchSet = request.DetailedFrames != d.Detail &&
                           (d.Kind == TLayoutKind::AddressSide || d.Kind == TLayoutKind::Label);
    if (switchSet) {
        // The other frame set replaces the default items; the user's own
        // items stay. One step takes every item out and puts the new ones
        // in, so that it comes back whole.
        auto pending = Begin({}, true);
        TUndoDatas &action = *pending->Action;
        d.ItemRoles.resize(d.Items.size(), -1);
        for (int i = int(d.Items.size()) - 1; i >= 0; --i) {
            const TDrawRect &item = *d.Items[size_t(i)];
            const int piece = action.AddDrawRect(item, i, PrintItemClass(item), TUndoState::Before);
            static_cast<TDrawRectUndoData *>(action.GetItem(piece))->Extra = d.ItemRoles[size_t(i)];
        }
        TFrameSetSnapshot set;
        set.Detail = d.Detail;
        const int setPiece = action.AddObject(set, TUndoState::Before);
        // What the user inserted clear of the old frames stays clear of the new.
        const QList<const TDrawRect *> clear = ClearInsertedItems(d);
        std::vector<std::unique_ptr<TDrawRect>> own;
        for (size_t i = 0; i < d.Items.size(); ++i)
            if ((i < d.ItemRoles.size() ? d.ItemRoles[i] : -1) < 0)
                own.push_back(std::move(d.Items[i]));
        d.Detail = request.DetailedFrames;
        d.BuildDefaultItems();
        // The frames the user hid in the same dialog stay hidden in the new set.
        for (size_t i = 0; i < d.Items.size() && i < d.ItemRoles.size(); ++i)
            if (!framePrints(d.ItemRoles[i], d.Detail))
                d.Items[i]->SetVisible(false);
        for (auto &item : own) {
            d.Items.push_back(std::move(item));
            d.ItemRoles.push_back(-1);
        }
        d.DataFormat = std::make_shared<const TDataFormat>(format);
        // The additional lines find their room among the new frames.
        ReplaceAdditionLines(d);
        (void)KeepClear(d, clear);
        set.Detail = d.Detail;
        action.SetObject(setPiece, set, TUndoState::After);
        for (size_t i = 0; i < d.Items.size(); ++i) {
            const TDrawRect &item = *d.Items[i];
            const int piece = action.AddDrawRect(item, int(i), PrintItemClass(item), TUndoState::After);
            static_cast<TDrawRectUndoData *>(action.GetItem(piece))->Extra = d.ItemRoles[i];
        }
        m_editor.PageView()->SetSelected(-1);
        Commit(std::move(pending));
        return true;
    }
    // The visibility each item takes; an OK that changes nothing records
    // no step.
    std::vector<bool> visible(d.Items.size());
    for (size_t i = 0; i < d.Items.size(); ++i) {
        visible[i] = d.Items[i]->IsVisible();
        const int role = i < d.ItemRoles.size() ? d.ItemRoles[i] : -1;
        if (!detailBoxesOf(role, d.Detail).empty())
            visible[i] = framePrints(role, d.Detail);
    }
    for (size_t k = 0; k < additions.size(); ++k)
        visible[size_t(additions[k])] = request.Visible[size_t(TDetailBox::Addition1) + k];
    std::vector<int> changed;
    for (size_t i = 0; i < d.Items.size(); ++i)
        if (visible[i] != d.Items[i]->IsVisible())
            changed.push_back(int(i));
    const bool formatChanged = !d.DataFormat || !(format == *d.DataFormat);
    if (changed.empty() && !formatChanged)
        return false;
    // A frame shown again may stand over items inserted while it was
    // hidden: they are placed anew, as after the other steps, in the same
    // step.
    const QList<const TDrawRect *> clear = ClearInsertedItems(d);
    std::vector<int> recorded = changed;
    for (size_t i = 0; i < d.Items.size(); ++i)
        if (clear.contains(d.Items[i].get()) && std::find(changed.begin(), changed.end(), int(i)) == changed.end())
            recorded.push_back(int(i));
    auto pending = Begin(recorded, formatChanged);
    for (const int i : changed)
        d.Items[size_t(i)]->SetVisible(visible[size_t(i)]);
    d.DataFormat = std::make_shared<const TDataFormat>(format);
    (void)KeepClear(d, clear);
    Commit(std::move(pending));
    return true;
}

bool TTextCommands::EditAddition()
{
    TLayoutDocument &d = m_editor.Document();
    const TFormatDialogSetup setup = setupOf(m_editor);
    std::vector<int> lines = indexesOf(d, [](const TDrawRect &I) { return I.GetKind() == TDrawRectKind::Addition; });
    if (lines.size() > 4)
        lines.resize(4);
    TAdditionRequest request;
    // Labels and cards of the sender's data offer its contact lines.
    request.DataSource = d.Kind != TLayoutKind::AddressSide && d.SenderAsAddressee ? 2 : 1;
    // The customer barcode: its item, when the layout has one, at a size
    // whose code fits along the piece; without one it cannot be chosen.
    int barcode = -1;
    for (size_t i = 0; i < d.Items.size() && barcode < 0; ++i)
        if (dynamic_cast<const TBarcodeRect *>(d.Items[i].get()))
            barcode = int(i);
    int maxSize = -1;
    if (barcode >= 0) {
        const auto &bar = static_cast<const TBarcodeRect &>(*d.Items[size_t(barcode)]);
        const int length = bar.IsHorizontal() ? d.Format.Width : d.Format.Height;
        // A paper the paper dialogs call too small prints no barcode (the
        // editor hides it), whatever its own axis would take.
        int paperSize = 0;
        if (!BarcodeSizeForLength(PaperFmt::barcodeAxisLength(d.Format), paperSize) ||
            !BarcodeSizeForLength(length, maxSize))
            maxSize = -1;
        request.Barcode = bar.IsVisible();
        request.BarSize = bar.GetSizeIndex();
    }
    request.BarcodeDisabled = maxSize < 0;
    request.MaxBarSize = std::max(0, maxSize);
    for (size_t i = 0; i < lines.size(); ++i) {
        const auto &add = static_cast<const TAdditionRect &>(*d.Items[size_t(lines[i])]);
        request.Checked[i] = add.IsVisible();
        request.Ids[i] = add.GetAddKind();
        request.Texts[i] = add.GetAddKind() == 0 ? add.GetContent() : QString();
    }
    if (!RunAdditionInfoDialog(&m_editor, setup, request))
        return false;
    const bool barcodeChanged =
        !request.BarcodeDisabled &&
        (request.Barcode != d.Items[size_t(barcode)]->IsVisible() ||
         request.BarSize != static_cast<const TBarcodeRect &>(*d.Items[size_t(barcode)]).GetSizeIndex());
    auto applyBarcode = [&] {
        if (!barcodeChanged)
            return;
        auto &bar = static_cast<TBarcodeRect &>(*d.Items[size_t(barcode)]);
        bar.SetVisible(request.Barcode);
        bar.SetBarSize(request.BarSize);
    };
    // Postcards and envelopes show only the barcode part.
    if (setup.Design || setup.LayoutKind < 2) {
        if (!barcodeChanged)
            return false;
        auto pending = Begin({barcode}, false);
        applyBarcode();
        Commit(std::move(pending));
        return true;
    }
    const bool created = lines.size() < 4 && std::find(request.Checked.begin(), request.Checked.end(), true) !=
                                                 request.Checked.end();
    // A line that comes to be shown goes where the layout has room for it;
    // one shown already stays where it stands (the user may have moved it).
    // Lines being hidden leave their room to the others.
    std::vector<TAdditionLine> placed;
    std::vector<size_t> placedLines;
    std::vector<int> leave;
    for (size_t i = 0; i < 4; ++i) {
        const bool exists = i < lines.size();
        const bool shown = exists && d.Items[size_t(lines[i])]->IsVisible();
        if (exists && (!request.Checked[i] || !shown))
            leave.push_back(lines[i]);
        if (request.Checked[i] && (!shown) && (exists || created)) {
            placed.push_back({request.Ids[i], request.Ids[i] == 0 ? request.Texts[i] : QString()});
            placedLines.push_back(i);
        }
    }
    const TAdditionPlan plan = PlanAdditionLines(d, placed, leave);
    std::vector<int> touched = lines;
    if (barcodeChanged)
        touched.push_back(barcode);
    auto pending = Begin(touched, false);
    const size_t existing = lines.size();
    if (created) {
        // The missing lines are added at once, hidden unless chosen; a
        // hidden one waits at the piece's top left until it is shown.
        const bool horizontal = d.HorizontalWriting();
        const int thick = int(std::ceil(AdditionLineHeight(d))) + 2 * TextItemMargin.value;
        d.ItemRoles.resize(d.Items.size(), -1);
        for (size_t i = lines.size(); i < 4; ++i) {
            auto add = std::make_unique<TAdditionRect>();
            add->SetRect(horizontal ? centred(d, 6 * thick, thick) : centred(d, thick, 6 * thick));
            add->SetHorizontal(horizontal);
            add->SetVisible(false);
            d.Items.push_back(std::move(add));
            d.ItemRoles.push_back(-1);
            lines.push_back(int(d.Items.size()) - 1);
        }
    }
    applyBarcode();
    for (size_t k = 0; k < placedLines.size(); ++k)
        d.Items[size_t(lines[placedLines[k]])]->SetRect(plan.Lines[k]);
    for (size_t i = 0; i < lines.size(); ++i) {
        auto &add = static_cast<TAdditionRect &>(*d.Items[size_t(lines[i])]);
        add.SetVisible(request.Checked[i]);
        add.SetAddKind(quint8(request.Ids[i]));
        if (request.Ids[i] == 0) {
            add.SetCaption({});
            add.SetContent(request.Texts[i]);
        }
    }
    // The lines added are inserted items of the same step: undone, they go.
    for (size_t i = existing; i < lines.size(); ++i) {
        const TDrawRect &add = *d.Items[size_t(lines[i])];
        (void)pending->Action->AddDrawRect(add, lines[i], PrintItemClass(add), TUndoState::After);
    }
    Commit(std::move(pending));
    return true;
}

bool TTextCommands::EditFont()
{
    TLayoutDocument &d = m_editor.Document();
    const std::vector<int> texts =
        indexesOf(d, [](const TDrawRect &I) { return dynamic_cast<const TMetaRect *>(&I) != nullptr; });
    if (texts.empty())
        return false;
    const int selected = m_editor.PageView()->Selected();
    const bool selectedText = std::find(texts.begin(), texts.end(), selected) != texts.end();
    const auto &source = static_cast<const TMetaRect &>(*d.Items[size_t(selectedText ? selected : texts.front())]);
    const TFont current = source.GetFont();
    TLayoutFontDialog dialog(&m_editor);
    CenterFormOnOwner(&dialog, &m_editor);
    dialog.SetFont({current.baseName(), quint8(current.Charset), bool(current.Style & fsBold),
                    bool(current.Style & fsItalic), ColorToQColor(source.GetFontColor())});
    if (m_editor.ExecDialog(dialog) != QDialog::Accepted)
        return false;
    const TLayoutFont chosen = dialog.GetFont();
    const std::vector<int> targets =
        dialog.GetApplyToAll() || !selectedText ? texts : std::vector<int>{selected};
    auto pending = Begin(targets, false);
    for (const int index : targets) {
        auto &item = static_cast<TMetaRect &>(*d.Items[size_t(index)]);
        // The item keeps its size and writing direction.
        TFont font = item.GetFont();
        font.Name = (font.isVertical() ? QStringLiteral("@") : QString()) + chosen.Face;
        font.Charset = chosen.Charset;
        font.Style = static_cast<unsigned char>((font.Style & ~(fsBold | fsItalic)) | (chosen.Bold ? fsBold : 0) |
                                                (chosen.Italic ? fsItalic : 0));
        font.Color = chosen.Color;
        item.SetFont(font);
    }
    Commit(std::move(pending));
    return true;
}

bool TTextCommands::InsertWord()
{
    TLayoutDocument &d = m_editor.Document();
    if (d.Format.Width <= 0 || d.Format.Height <= 0)
        return false;
    auto item = std::make_unique<TWordRect>();
    const bool horizontal = d.Kind == TLayoutKind::Design || d.HorizontalWriting();
    item->SetHorizontal(horizontal);
    item->SetRect(horizontal ? centred(d, kWordLong, kWordShort) : centred(d, kWordShort, kWordLong));
    TWordEditDialog dialog(&m_editor);
    CenterFormOnOwner(&dialog, &m_editor);
    dialog.SetLines({});
    dialog.SetDirection(horizontal ? 1 : 0);
    dialog.SetFont(item->GetFont().toQFont());
    if (m_editor.ExecDialog(dialog) != QDialog::Accepted)
        return false;
    const QStringList lines = dialog.GetLines();
    if (lines.join(QString()).trimmed().isEmpty())
        return false;
    item->SetLineCount(int(lines.size()));
    for (int i = 0; i < lines.size(); ++i)
        item->SetLine(i, lines[i]);
    if ((dialog.GetDirection() == 1) != horizontal) {
        item->SetHorizontal(!horizontal);
        item->SetRect(turned(item->GetRect()));
    }
    // Where nothing else prints, never over the addressee (its lines fit
    // whatever box it gets).
    const TPageRect box = item->GetRect();
    const QSize size(box.width(), box.height());
    const std::optional<TPageRect> place = FreePlaceShrunk(d, size, LeastTextSide(size));
    if (!place) {
        ShowMessageBoxAt(&m_editor, NoFreePlaceText(QStringLiteral("文字")), ProductCaption(), MB_ICONINFORMATION,
                         mbpCenterOnOwner, 0, 0);
        return false;
    }
    item->SetRect(*place);
    const int index = m_editor.InsertItem(std::move(item));
    Changed(index);
    return true;
}

bool TTextCommands::EditWord(int Index)
{
    TLayoutDocument &d = m_editor.Document();
    if (Index < 0 || Index >= int(d.Items.size()) || d.Items[size_t(Index)]->GetKind() != TDrawRectKind::Word)
        return false;
    auto &item = static_cast<TWordRect &>(*d.Items[size_t(Index)]);
    TWordEditDialog dialog(&m_editor);
    CenterFormOnOwner(&dialog, &m_editor);
    dialog.SetLines(item.Lines());
    dialog.SetDirection(item.IsHorizontal() ? 1 : 0);
    dialog.SetFont(item.GetFont().toQFont());
    if (m_editor.ExecDialog(dialog) != QDialog::Accepted)
        return false;
    const QStringList lines = dialog.GetLines();
    const bool horizontal = dialog.GetDirection() == 1;
    if (lines == item.Lines() && horizontal == item.IsHorizontal())
        return false;
    m_editor.PageView()->SetSelected(Index);
    auto pending = Begin({Index}, false);
    item.SetLineCount(int(lines.size()));
    for (int i = 0; i < lines.size(); ++i)
        item.SetLine(i, lines[i]);
    if (horizontal != item.IsHorizontal()) {
        // Turned about its corner, a text that stood clear finds its place
        // anew where it no longer does.
        const bool clear = ClearInsertedItems(d).contains(&item);
        item.SetHorizontal(horizontal);
        item.SetRect(turned(item.GetRect()));
        if (clear)
            (void)KeepClear(d, {&item});
    }
    Commit(std::move(pending));
    return true;
}

bool TTextCommands::EditWordSetting(int Index)
{
    TLayoutDocument &d = m_editor.Document();
    if (Index < 0 || Index >= int(d.Items.size()) || d.Items[size_t(Index)]->GetKind() != TDrawRectKind::Word)
        return false;
    auto &item = static_cast<TWordRect &>(*d.Items[size_t(Index)]);
    TWordSettingDialog dialog(&m_editor);
    CenterFormOnOwner(&dialog, &m_editor);
    dialog.SetItem(item);
    if (m_editor.ExecDialog(dialog) != QDialog::Accepted)
        return false;
    m_editor.PageView()->SetSelected(Index);
    auto pending = Begin({Index}, false);
    // The item takes the working copy, keeping its top-left corner and
    // taking the copy's width and height; turned or resized so, a text that
    // stood clear finds its place anew where it no longer does, as when it
    // is turned through its text.
    const bool clear = ClearInsertedItems(d).contains(&item);
    const TPageRect old = item.GetRect();
    const TPageRect work = dialog.WorkItem().GetRect();
    const double zoom = item.GetZoom();
    item.Assign(dialog.WorkItem());
    item.SetZoom(zoom);
    item.SetRect({old.Left, old.Top, old.Left + (work.Right - work.Left), old.Top + (work.Bottom - work.Top)});
    if (clear)
        (void)KeepClear(d, {&item});
    Commit(std::move(pending));
    return true;
}
