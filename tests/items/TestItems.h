#pragma once

#include "items/DrawRect.h"

// The smallest complete item: the base class with a kind of the test's
// choosing and nothing to draw.
class TPlainItem : public TDrawRect
{
public:
    explicit TPlainItem(TDrawRectKind Kind = TDrawRectKind::Illust) : m_kind(Kind) {}
    TDrawRectKind GetKind() const override { return m_kind; }
    void Draw(QPainter &, int, int) override {}
    void Print(QPainter &, int, int) override {}

private:
    TDrawRectKind m_kind;
};
