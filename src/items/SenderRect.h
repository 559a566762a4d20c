#pragma once

#include "items/AdditionRect.h"
#include "items/AddressRect.h"
#include "items/CorpRect.h"
#include "items/NameRect.h"
#include "items/PosRect.h"
#include "items/RectFrame.h"

#include <array>
#include <memory>

// The sender block of a design: the sender's postcode, address, name and,
// for a company sender, the company lines and additional information, laid
// out together in one box on a grid of 205 x 205 places. It owns a private
// and a company set of text items and shows one of them; the user moves the
// block as a whole or, in child mode, edits its children one by one.
class TSenderRect : public TDrawRect
{
public:
    static constexpr int Grid = 205;
    // The blank kept on each side between the block's edge and its lines
    // (page pixels); it keeps its size however the block is sized.
    static constexpr int Blank = 10;
    static constexpr int PrivateCount = 5;
    static constexpr int CorpCount = 13;
    using TPlaces5 = std::array<TPageRect, PrivateCount>;
    using TPlaces13 = std::array<TPageRect, CorpCount>;

    TSenderRect();
    ~TSenderRect() override;

    TDrawRectKind GetKind() const override { return TDrawRectKind::SenderBlock; }
    void Assign(const TDrawRect &Source) override;
    void SetZoom(double Value) override;
    TPageRect GetRect() const override;
    void SetRect(const TPageRect &R) override;
    TScreenRect GetDispRect() const override;
    void SetDispRect(const TScreenRect &R) override;
    void SetClipSide(TClipSide Side) override;
    void SetClipPos(qint32 Pos) override;
    void Draw(QPainter &Canvas, int X, int Y) override;
    void Print(QPainter &Canvas, int X, int Y) override;
    void CalcPrintRect(TTenthMmPoint Offset, const TPrinterGeometry &Printer, bool NoPhysicalOffset) override;
    void Rebuild(bool Force) override;
    void LoadFromStream(TItemReader &Stream) override;
    void SaveToStream(TItemWriter &Stream) const override;
    // In child mode the first shown child hit becomes the selected one and
    // moves to the front of the shown list.
    bool PtInRect(int X, int Y) const override;
    TItemCursor GetCursor(int X, int Y) const override;
    THitZone HitZone(int X, int Y) const override;

    TScreenRect GetBlockDispRect() const { return m_dispRect; }
    TPageRect GetBlockRect() const { return m_rect; }

    const QString &GetSenderTitle() const { return m_senderTitle; }
    void SetSenderTitle(const QString &Value) { m_senderTitle = Value; }
    bool IsWholeBlock() const { return m_wholeBlock; }
    void SetWholeBlock(bool Value) { m_wholeBlock = Value; }
    bool IsPrivate() const { return m_private; }
    void SetPrivate(bool Value);
    bool IsLayoutValid() const { return m_layoutValid; }
    TMetaRect *Selected() const { return m_selected; }
    const QList<TMetaRect *> &ShownItems() const { return m_shown; }
    const QList<TMetaRect *> &PrivateItems() const { return m_privateItems; }
    const QList<TMetaRect *> &CorpItems() const { return m_corpItems; }
    const TPlaces5 &PrivatePlaces() const { return m_privatePlaces; }
    const TPlaces13 &CorpPlaces() const { return m_corpPlaces; }
    TRectFrame &Frame() { return m_frame; }
    const TRectFrame &Frame() const { return m_frame; }

    // Index of the current set's child, or -1 for every child of both sets.
    void ResetChildRect(int Index);
    // The block's rectangle and places follow the children after one of
    // them was moved in child mode.
    void FitToChildren();

    const TFont &GetFont() const;
    void SetFont(const TFont &Font);
    TColor GetFontColor() const;
    bool GetHorizontal() const;
    void SetHorizontal(bool Value);
    bool GetRotate180() const;
    void SetRotate180(bool Value);
    void SetFontSize(TTenthMm LongSide);
    void RescaleFonts(TTenthMm PaperLongSide);
    void ClearContents();
    // The device every child lays its text out for.
    void SetReferenceDevice(const TReferenceDevice &Device);

    TPosRect &PosRect() { return *m_pos; }
    TAddressRect &AddressRect() { return *m_address; }
    TNameRect &NameRect() { return *m_name; }
    TAdditionRect *GetPrivateAddition(int Index) const;
    TPosRect &CorpPosRect() { return *m_corpPos; }
    TAddressRect *GetCorpAddress(int Index) const;
    TNameRect &CorpNameRect() { return *m_corpName; }
    TCorpRect &CorpLine() { return *m_corpLine; }
    TCorpRect *GetDptmntRect(int Index) const;
    TCorpRect &Post() { return *m_post; }
    TAdditionRect *GetCorpAddition(int Index) const;

    bool GetCorpPosVisible() const { return m_corpPos->IsVisible(); }
    void SetCorpPosVisible(bool Value) { setCorpVisible(0, Value); }
    bool GetCorpAddressVisible(int Index) const;
    void SetCorpAddressVisible(int Index, bool Value);
    bool GetCorpNameVisible() const { return m_corpName->IsVisible(); }
    void SetCorpNameVisible(bool Value) { setCorpVisible(8, Value); }
    bool GetCorpVisible() const { return m_corpLine->IsVisible(); }
    void SetCorpVisible(bool Value) { setCorpVisible(4, Value); }
    bool GetDptmntVisible(int Index) const;
    void SetDptmntVisible(int Index, bool Value);
    bool GetPostVisible() const { return m_post->IsVisible(); }
    void SetPostVisible(bool Value) { setCorpVisible(7, Value); }
    bool GetPrivateAdditionVisible(int Index) const;
    void SetPrivateAdditionVisible(int Index, bool Value);
    bool GetCorpAdditionVisible(int Index) const;
    void SetCorpAdditionVisible(int Index, bool Value);

    // The default places on the grid, by writing direction.
    static TPlaces5 DefaultPrivatePlaces(bool Horizontal);
    static TPlaces13 DefaultCorpPlaces(bool Horizontal);

private:
    QList<TMetaRect *> allChildren() const;
    void rebuildShown();
    bool shownInSet(int Index, bool PrivateSet) const;
    void setVisibility(bool PrivateSet, int Index, bool Value);
    void setCorpVisible(int Index, bool Value) { setVisibility(false, Index, Value); }
    TPageRect innerBox() const;
    void layOut(const TPageRect &Inner, bool Force);
    void setRotateFlags(bool Value);

    QString m_senderTitle;
    bool m_wholeBlock = true;
    TPlaces5 m_privatePlaces{};
    TPlaces13 m_corpPlaces{};
    bool m_layoutValid = false;
    std::unique_ptr<TPosRect> m_pos, m_corpPos;
    std::unique_ptr<TAddressRect> m_address;
    std::array<std::unique_ptr<TAddressRect>, 3> m_corpAddress;
    std::unique_ptr<TNameRect> m_name, m_corpName;
    std::array<std::unique_ptr<TAdditionRect>, 2> m_additions;
    std::unique_ptr<TCorpRect> m_corpLine, m_post;
    std::array<std::unique_ptr<TCorpRect>, 2> m_dptmnt;
    std::array<std::unique_ptr<TAdditionRect>, 4> m_corpAdditions;
    QList<TMetaRect *> m_privateItems, m_corpItems;
    mutable TMetaRect *m_selected = nullptr;
    mutable QList<TMetaRect *> m_shown;
    TRectFrame m_frame;
    bool m_private = true;
    int m_printDpiY = 96;
};
