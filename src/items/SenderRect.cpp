#include "items/SenderRect.h"

#include "util/SubUnit.h"

#include <QPainter>

namespace {

qint32 rounded(long double v)
{
    return static_cast<qint32>(RoundHalfAway(v));
}

TPageRect turned(const TPageRect &P)
{
    const int g = TSenderRect::Grid;
    return {g - P.Right, g - P.Bottom, g - P.Left, g - P.Top};
}

void readRect(TItemReader &Stream, TPageRect &R)
{
    R = ReadItemRect(Stream);
}

void writeRect(TItemWriter &Stream, const TPageRect &R)
{
    Stream.writeInt32(R.Left);
    Stream.writeInt32(R.Top);
    Stream.writeInt32(R.Right);
    Stream.writeInt32(R.Bottom);
}

} // namespace

TSenderRect::TSenderRect()
    : m_pos(std::make_unique<TPosRect>()), m_corpPos(std::make_unique<TPosRect>()),
      m_address(std::make_unique<TAddressRect>()), m_name(std::make_unique<TNameRect>()),
      m_corpName(std::make_unique<TNameRect>()), m_corpLine(std::make_unique<TCorpRect>()),
      m_post(std::make_unique<TCorpRect>())
{
    for (auto &a : m_additions)
        a = std::make_unique<TAdditionRect>();
    for (auto &a : m_corpAddress)
        a = std::make_unique<TAddressRect>();
    for (auto &d : m_dptmnt)
        d = std::make_unique<TCorpRect>();
    quint8 kind = 19;
    for (auto &a : m_corpAdditions) {
        a = std::make_unique<TAdditionRect>();
        a->SetAddKind(kind++);
    }
    for (TPosRect *p : {m_pos.get(), m_corpPos.get()}) {
        p->SetInBlock(true);
        p->SetSender(true);
    }
    for (TAddressRect *a : {m_address.get(), m_corpAddress[0].get(), m_corpAddress[1].get(), m_corpAddress[2].get()}) {
        a->SetInBlock(true);
        a->SetSender(true);
    }
    for (TNameRect *n : {m_name.get(), m_corpName.get()}) {
        n->SetInBlock(true);
        n->SetSender(true);
    }
    // The company name is the recipient's kind of line; departments and the
    // title are the sender's.
    m_corpLine->SetInBlock(true);
    for (TCorpRect *c : {m_dptmnt[0].get(), m_dptmnt[1].get(), m_post.get()}) {
        c->SetInBlock(true);
        c->SetSender(true);
    }
    m_privateItems = {m_pos.get(), m_address.get(), m_name.get(), m_additions[0].get(), m_additions[1].get()};
    m_corpItems = {m_corpPos.get(),         m_corpAddress[0].get(), m_corpAddress[1].get(), m_corpAddress[2].get(),
                   m_corpLine.get(),        m_dptmnt[0].get(),      m_dptmnt[1].get(),      m_post.get(),
                   m_corpName.get(),        m_corpAdditions[0].get(), m_corpAdditions[1].get(),
                   m_corpAdditions[2].get(), m_corpAdditions[3].get()};
    m_shown = m_privateItems;
    m_frame.OnChange = [this](TRectFrame &) { m_layoutValid = false; };
}

TSenderRect::~TSenderRect() = default;

QList<TMetaRect *> TSenderRect::allChildren() const
{
    return m_privateItems + m_corpItems;
}

TSenderRect::TPlaces5 TSenderRect::DefaultPrivatePlaces(bool Horizontal)
{
    if (Horizontal)
        return {{{0, 0, 86, 20}, {14, 23, 200, 79}, {43, 80, 205, 149}, {47, 153, 205, 181}, {47, 177, 205, 205}}};
    return {{{107, 0, 205, 20}, {136, 23, 200, 193}, {56, 43, 131, 205}, {24, 61, 52, 205}, {0, 61, 28, 205}}};
}

TSenderRect::TPlaces13 TSenderRect::DefaultCorpPlaces(bool Horizontal)
{
    if (Horizontal)
        return {{{0, 0, 70, 15},
                 {15, 15, 192, 37},
                 {39, 33, 192, 55},
                 {39, 48, 192, 70},
                 {25, 65, 187, 87},
                 {36, 83, 190, 105},
                 {36, 98, 190, 120},
                 {13, 120, 38, 142},
                 {42, 115, 192, 147},
                 {48, 147, 192, 166},
                 {48, 160, 192, 179},
                 {48, 174, 192, 193},
                 {48, 186, 192, 205}}};
    return {{{107, 0, 205, 20},
             {181, 23, 205, 200},
             {164, 47, 186, 200},
             {147, 47, 169, 200},
             {126, 30, 150, 192},
             {110, 41, 131, 195},
             {94, 41, 115, 195},
             {69, 25, 91, 50},
             {63, 54, 97, 205},
             {42, 61, 62, 205},
             {28, 61, 48, 205},
             {14, 61, 34, 205},
             {0, 61, 20, 205}}};
}

bool TSenderRect::shownInSet(int Index, bool PrivateSet) const
{
    if (PrivateSet)
        // The postcode, address and name of a private sender are always shown.
        return Index < 3 || m_privateItems.at(Index)->IsVisible();
    return m_corpItems.at(Index)->IsVisible();
}

void TSenderRect::rebuildShown()
{
    m_shown.clear();
    const auto &items = m_private ? m_privateItems : m_corpItems;
    for (int i = 0; i < items.size(); ++i)
        if (shownInSet(i, m_private))
            m_shown.append(items.at(i));
    m_selected = nullptr;
}

void TSenderRect::Assign(const TDrawRect &Source)
{
    TDrawRect::Assign(Source);
    const auto *s = dynamic_cast<const TSenderRect *>(&Source);
    if (!s)
        return;
    m_senderTitle = s->m_senderTitle;
    for (int i = 0; i < 2; ++i)
        m_additions[i]->Assign(*s->m_additions[i]);
    for (int i = 0; i < CorpCount; ++i) {
        if (i >= 9)
            m_corpItems[i]->Assign(*s->m_corpItems[i]);
        else
            m_corpItems[i]->SetVisible(s->m_corpItems[i]->IsVisible());
    }
    m_private = s->m_private;
    rebuildShown();
    m_privatePlaces = s->m_privatePlaces;
    m_corpPlaces = s->m_corpPlaces;
    SetFont(s->GetFont());
    SetHorizontal(s->GetHorizontal());
    setRotateFlags(s->GetRotate180());
    m_frame.Assign(s->m_frame);
    m_layoutValid = false;
}

void TSenderRect::SetZoom(double Value)
{
    TDrawRect::SetZoom(Value);
    for (TMetaRect *c : allChildren())
        c->SetZoom(Value);
}

TPageRect TSenderRect::GetRect() const
{
    if (m_wholeBlock)
        return m_rect;
    return m_selected ? m_selected->GetRect() : TPageRect{};
}

TScreenRect TSenderRect::GetDispRect() const
{
    if (m_wholeBlock)
        return m_dispRect;
    return m_selected ? m_selected->GetDispRect() : TScreenRect{};
}

void TSenderRect::SetRect(const TPageRect &R)
{
    if (m_wholeBlock) {
        TDrawRect::SetRect(R);
        m_layoutValid = false;
    } else if (m_selected) {
        m_selected->SetRect(R);
        FitToChildren();
    }
}

void TSenderRect::SetDispRect(const TScreenRect &R)
{
    if (m_wholeBlock) {
        TDrawRect::SetDispRect(R);
        m_layoutValid = false;
    } else if (m_selected) {
        m_selected->SetDispRect(R);
        FitToChildren();
    }
}

void TSenderRect::SetClipSide(TClipSide Side)
{
    for (TMetaRect *c : allChildren())
        c->SetClipSide(Side);
}

void TSenderRect::SetClipPos(qint32 Pos)
{
    for (TMetaRect *c : allChildren())
        c->SetClipPos(Pos);
}

bool TSenderRect::PtInRect(int X, int Y) const
{
    if (m_wholeBlock)
        return TDrawRect::PtInRect(X, Y);
    m_selected = nullptr;
    for (int i = 0; i < m_shown.size(); ++i)
        if (m_shown.at(i)->PtInRect(X, Y)) {
            m_selected = m_shown.takeAt(i);
            m_shown.prepend(m_selected);
            return true;
        }
    return false;
}

TItemCursor TSenderRect::GetCursor(int X, int Y) const
{
    if (m_wholeBlock)
        return TDrawRect::GetCursor(X, Y);
    return m_selected ? m_selected->GetCursor(X, Y) : TItemCursor::Default;
}

THitZone TSenderRect::HitZone(int X, int Y) const
{
    if (m_wholeBlock)
        return TDrawRect::HitZone(X, Y);
    return m_selected ? m_selected->HitZone(X, Y) : THitZone{};
}

void TSenderRect::SetPrivate(bool Value)
{
    if (Value == m_private)
        return;
    m_private = Value;
    rebuildShown();
    m_layoutValid = false;
}

void TSenderRect::ResetChildRect(int Index)
{
    const bool h = GetHorizontal();
    if (Index < 0) {
        m_privatePlaces = DefaultPrivatePlaces(h);
        m_corpPlaces = DefaultCorpPlaces(h);
    } else if (m_private && Index < PrivateCount) {
        m_privatePlaces[size_t(Index)] = DefaultPrivatePlaces(h)[size_t(Index)];
    } else if (!m_private && Index < CorpCount) {
        m_corpPlaces[size_t(Index)] = DefaultCorpPlaces(h)[size_t(Index)];
    }
    m_layoutValid = false;
}

TPageRect TSenderRect::innerBox() const
{
    if (!m_frame.HasFrame())
        return m_rect;
    QRect inner;
    m_frame.InnerRect(ToQRect(m_rect), inner, 1.0);
    return PageRectOf(inner);
}

void TSenderRect::layOut(const TPageRect &B, bool Force)
{
    if (!m_layoutValid) {
        const long double sx = (B.width() - 2 * Blank) / static_cast<long double>(Grid);
        const long double sy = (B.height() - 2 * Blank) / static_cast<long double>(Grid);
        const auto &items = m_private ? m_privateItems : m_corpItems;
        for (int i = 0; i < items.size(); ++i) {
            // A hidden addition keeps its place; the private postcode, address
            // and name are placed even when hidden.
            if (m_private ? (i >= 3 && !items.at(i)->IsVisible()) : !items.at(i)->IsVisible())
                continue;
            const TPageRect &P = m_private ? m_privatePlaces[size_t(i)] : m_corpPlaces[size_t(i)];
            const qint32 left = rounded(P.Left * sx) + B.Left + Blank;
            const qint32 top = rounded(P.Top * sy) + B.Top + Blank;
            items.at(i)->SetRect(
                {left, top, left + rounded((P.Right - P.Left) * sx), top + rounded((P.Bottom - P.Top) * sy)});
        }
        m_layoutValid = true;
    }
    for (TMetaRect *c : m_shown)
        c->Rebuild(Force);
}

void TSenderRect::FitToChildren()
{
    if (m_shown.isEmpty())
        return;
    TPageRect u = m_shown.first()->GetRect();
    for (TMetaRect *c : m_shown) {
        const TPageRect r = c->GetRect();
        u = {qMin(u.Left, r.Left), qMin(u.Top, r.Top), qMax(u.Right, r.Right), qMax(u.Bottom, r.Bottom)};
    }
    // Children all of no size give no scale; the places stay as they are.
    if (u.width() <= 0 || u.height() <= 0)
        return;
    const long double kx = Grid / static_cast<long double>(u.width());
    const long double ky = Grid / static_cast<long double>(u.height());
    const auto &items = m_private ? m_privateItems : m_corpItems;
    for (int i = 0; i < items.size(); ++i) {
        const TPageRect r = items.at(i)->GetRect();
        const TPageRect place{rounded((r.Left - u.Left) * kx), rounded((r.Top - u.Top) * ky),
                              rounded((r.Right - u.Left) * kx), rounded((r.Bottom - u.Top) * ky)};
        if (m_private)
            m_privatePlaces[size_t(i)] = place;
        else
            m_corpPlaces[size_t(i)] = place;
    }
    u = {u.Left - Blank, u.Top - Blank, u.Right + Blank, u.Bottom + Blank};
    if (m_frame.HasFrame()) {
        QRect outer;
        m_frame.OuterRect(ToQRect(u), outer);
        u = PageRectOf(outer);
    }
    TDrawRect::SetRect(u);
}

const TFont &TSenderRect::GetFont() const
{
    return m_pos->GetFont();
}

TColor TSenderRect::GetFontColor() const
{
    return m_pos->GetFontColor();
}

void TSenderRect::SetFont(const TFont &Font)
{
    for (TMetaRect *c : allChildren())
        c->SetFont(Font);
}

bool TSenderRect::GetHorizontal() const
{
    return m_address->IsHorizontal();
}

void TSenderRect::SetHorizontal(bool Value)
{
    for (TMetaRect *c : allChildren())
        c->SetHorizontal(Value);
}

bool TSenderRect::GetRotate180() const
{
    return m_pos->IsRotate180();
}

void TSenderRect::setRotateFlags(bool Value)
{
    for (TMetaRect *c : allChildren())
        c->SetRotate180(Value);
}

void TSenderRect::SetRotate180(bool Value)
{
    if (Value == GetRotate180())
        return;
    setRotateFlags(Value);
    for (auto &p : m_privatePlaces)
        p = turned(p);
    for (auto &p : m_corpPlaces)
        p = turned(p);
    m_layoutValid = false;
}

void TSenderRect::SetFontSize(TTenthMm LongSide)
{
    for (TMetaRect *c : allChildren())
        c->ScaleFont(LongSide);
}

void TSenderRect::RescaleFonts(TTenthMm PaperLongSide)
{
    for (TMetaRect *c : allChildren())
        c->RescaleFont(PaperLongSide);
}

void TSenderRect::ClearContents()
{
    for (TMetaRect *c : allChildren())
        c->ClearContent();
}

void TSenderRect::SetReferenceDevice(const TReferenceDevice &Device)
{
    for (TMetaRect *c : allChildren())
        c->SetReferenceDevice(Device);
}

TAdditionRect *TSenderRect::GetPrivateAddition(int Index) const
{
    return Index >= 0 && Index < 2 ? m_additions[size_t(Index)].get() : nullptr;
}

TAddressRect *TSenderRect::GetCorpAddress(int Index) const
{
    return Index >= 0 && Index < 3 ? m_corpAddress[size_t(Index)].get() : nullptr;
}

TCorpRect *TSenderRect::GetDptmntRect(int Index) const
{
    return Index >= 0 && Index < 2 ? m_dptmnt[size_t(Index)].get() : nullptr;
}

TAdditionRect *TSenderRect::GetCorpAddition(int Index) const
{
    return Index >= 0 && Index < 4 ? m_corpAdditions[size_t(Index)].get() : nullptr;
}

bool TSenderRect::GetCorpAddressVisible(int Index) const
{
    return Index >= 0 && Index < 3 && m_corpAddress[size_t(Index)]->IsVisible();
}

void TSenderRect::SetCorpAddressVisible(int Index, bool Value)
{
    if (Index >= 0 && Index < 3)
        setVisibility(false, 1 + Index, Value);
}

bool TSenderRect::GetDptmntVisible(int Index) const
{
    return Index >= 0 && Index < 2 && m_dptmnt[size_t(Index)]->IsVisible();
}

void TSenderRect::SetDptmntVisible(int Index, bool Value)
{
    if (Index >= 0 && Index < 2)
        setVisibility(false, 5 + Index, Value);
}

bool TSenderRect::GetPrivateAdditionVisible(int Index) const
{
    return Index >= 0 && Index < 2 && m_additions[size_t(Index)]->IsVisible();
}

void TSenderRect::SetPrivateAdditionVisible(int Index, bool Value)
{
    if (Index >= 0 && Index < 2)
        setVisibility(true, 3 + Index, Value);
}

bool TSenderRect::GetCorpAdditionVisible(int Index) const
{
    return Index >= 0 && Index < 4 && m_corpAdditions[size_t(Index)]->IsVisible();
}

void TSenderRect::SetCorpAdditionVisible(int Index, bool Value)
{
    if (Index >= 0 && Index < 4)
        setVisibility(false, 9 + Index, Value);
}

void TSenderRect::setVisibility(bool PrivateSet, int Index, bool Value)
{
    TMetaRect *child = (PrivateSet ? m_privateItems : m_corpItems).at(Index);
    if (child->IsVisible() == Value)
        return;
    child->SetVisible(Value);
    if (Value) {
        ResetChildRect(Index);
        if (!m_shown.contains(child))
            m_shown.append(child);
    } else {
        m_shown.removeAll(child);
        if (m_selected == child)
            m_selected = nullptr;
    }
    m_layoutValid = false;
}

void TSenderRect::Rebuild(bool Force)
{
    const TPageRect inner = innerBox();
    if (!inner.isEmpty())
        layOut(inner, Force);
}

void TSenderRect::Draw(QPainter &Canvas, int X, int Y)
{
    if (m_rect.isEmpty())
        return;
    QRect innerScreen;
    m_frame.Draw(Canvas, QRect(m_dispRect.Left + X, m_dispRect.Top + Y, m_dispRect.width(), m_dispRect.height()),
                 innerScreen, m_zoom);
    const TPageRect inner = innerBox();
    if (inner.isEmpty())
        return;
    layOut(inner, false);
    for (TMetaRect *c : m_shown)
        c->Draw(Canvas, X, Y);
}

void TSenderRect::Print(QPainter &Canvas, int X, int Y)
{
    if (m_printRect.isEmpty())
        return;
    QRect inner;
    m_frame.Draw(Canvas,
                 QRect(m_printRect.Left + X, m_printRect.Top + Y, m_printRect.width(), m_printRect.height()),
                 inner, m_printDpiY / 96.0);
    if (inner.isEmpty())
        return;
    for (TMetaRect *c : m_shown)
        c->Print(Canvas, X, Y);
}

void TSenderRect::CalcPrintRect(TTenthMmPoint Offset, const TPrinterGeometry &Printer, bool NoPhysicalOffset)
{
    TDrawRect::CalcPrintRect(Offset, Printer, NoPhysicalOffset);
    m_printDpiY = Printer.dpi.y > 0 ? Printer.dpi.y : 96;
    for (TMetaRect *c : m_shown)
        c->CalcPrintRect(Offset, Printer, NoPhysicalOffset);
}

void TSenderRect::LoadFromStream(TItemReader &Stream)
{
    // The stored rectangle is the block's, whichever child is being edited
    // when the stream is read back (an undo does that); the mode itself is
    // read further on.
    m_wholeBlock = true;
    m_selected = nullptr;
    TDrawRect::LoadFromStream(Stream);
    const bool current = Stream.hasVersion(201);
    m_senderTitle = Stream.readXorString();
    std::array<bool, 2> privateVisible{true, true};
    std::array<bool, CorpCount> corpVisible;
    corpVisible.fill(true);
    if (current) {
        for (bool &v : privateVisible)
            v = Stream.readFlag();
        for (bool &v : corpVisible)
            v = Stream.readFlag();
    }
    auto readAddition = [&](TAdditionRect &A) {
        const quint8 kind = current ? Stream.readByte() : 0;
        A.SetAddKind(kind);
        A.SetContent(current && kind == 0 ? Stream.readXorString() : QString());
    };
    for (auto &a : m_additions)
        readAddition(*a);
    for (auto &a : m_corpAdditions)
        readAddition(*a);
    TPlaces5 privatePlaces;
    for (auto &p : privatePlaces)
        readRect(Stream, p);
    TPlaces13 corpPlaces;
    if (current)
        for (auto &p : corpPlaces)
            readRect(Stream, p);
    const qint32 charset = Stream.readInt32();
    const QString face = Stream.readXorString();
    const qint32 size = Stream.readInt32();
    const qint32 style = Stream.readInt32();
    const TColor color = Stream.readInt32();
    const bool horizontal = Stream.readFlag();
    const bool whole = Stream.readFlag();
    const bool isPrivate = current ? Stream.readFlag() : true;
    const qint32 selected = current ? Stream.readInt32() : qint32(Stream.readByte());
    m_frame.LoadFromStream(Stream);
    const bool upsideDown = Stream.hasVersion(200) ? Stream.readFlag() : false;

    for (int i = 0; i < 2; ++i)
        m_additions[size_t(i)]->SetVisible(privateVisible[size_t(i)]);
    for (int i = 0; i < CorpCount; ++i)
        m_corpItems[i]->SetVisible(corpVisible[size_t(i)]);
    m_privatePlaces = privatePlaces;
    m_corpPlaces = current ? corpPlaces : DefaultCorpPlaces(horizontal);
    TFont font;
    (void)SetFontAttributes(&font, charset, face, size, style);
    font.Color = ColorToQColor(color);
    SetFont(font);
    SetHorizontal(horizontal);
    m_wholeBlock = whole;
    m_private = isPrivate;
    rebuildShown();
    const auto &items = m_private ? m_privateItems : m_corpItems;
    m_selected = selected >= 0 && selected < items.size() ? items.at(selected) : nullptr;
    if (upsideDown)
        setRotateFlags(true);
    m_layoutValid = false;
}

void TSenderRect::SaveToStream(TItemWriter &Stream) const
{
    TDrawRect::SaveToStream(Stream);
    Stream.writeXorString(m_senderTitle);
    for (const auto &a : m_additions)
        Stream.writeFlag(a->IsVisible());
    for (TMetaRect *c : m_corpItems)
        Stream.writeFlag(c->IsVisible());
    auto writeAddition = [&](const TAdditionRect &A) {
        Stream.writeByte(A.GetAddKind());
        if (A.GetAddKind() == 0)
            Stream.writeXorString(A.GetContent());
    };
    for (const auto &a : m_additions)
        writeAddition(*a);
    for (const auto &a : m_corpAdditions)
        writeAddition(*a);
    for (const auto &p : m_privatePlaces)
        writeRect(Stream, p);
    for (const auto &p : m_corpPlaces)
        writeRect(Stream, p);
    const TFont &font = GetFont();
    Stream.writeInt32(font.Charset);
    Stream.writeXorString(font.Name);
    Stream.writeInt32(font.Size);
    Stream.writeInt32(FontStyleToBits(font));
    Stream.writeInt32(GetFontColor());
    Stream.writeFlag(GetHorizontal());
    Stream.writeFlag(m_wholeBlock);
    Stream.writeFlag(m_private);
    const auto &items = m_private ? m_privateItems : m_corpItems;
    Stream.writeInt32(m_selected ? qint32(items.indexOf(m_selected)) : -1);
    m_frame.SaveToStream(Stream);
    Stream.writeFlag(GetRotate180());
}
