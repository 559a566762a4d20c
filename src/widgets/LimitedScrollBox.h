#pragma once

#include <QScrollArea>

// A scroll box that never scrolls by itself: the editors' page area. Moving
// the focus into a child that lies outside the visible part (Tab, Shift+Tab)
// leaves the scroll bars where they are; only the user (scroll bars, wheel)
// and the owning window (ensureWidgetVisible, the scroll bars' values) scroll it.
class TLimitedScrollBox : public QScrollArea
{
    Q_OBJECT

public:
    explicit TLimitedScrollBox(QWidget *parent = nullptr);
    ~TLimitedScrollBox() override;

protected:
    bool focusNextPrevChild(bool next) override;
};
