#pragma once

#include "widgets/Named.h"
#include "platform/Colors.h"

#include <QColor>
#include <QLabel>
#include <QList>
#include <QWidget>

#include <functional>
#include <optional>

class QComboBox;
class QDialog;
class QLayout;
class QPainter;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QVBoxLayout;
class TUpDown;
class TRectFrame;

// What the item settings dialogs share: the white preview they draw their
// working item on, the colour swatches, and the colour dialog with the
// sixteen custom colours of CstmClr.ini.

// A white box whose owner paints it and hears its mouse.
class TItemPreview : public QWidget
{
    Q_OBJECT

public:
    explicit TItemPreview(QWidget *Parent);
    std::function<void(QPainter &)> OnPaint;
    std::function<void(QMouseEvent *)> OnMousePress;
    std::function<void(QMouseEvent *)> OnMouseMove;
    std::function<void(QMouseEvent *)> OnMouseRelease;

protected:
    void paintEvent(QPaintEvent *Event) override;
    void mousePressEvent(QMouseEvent *Event) override;
    void mouseMoveEvent(QMouseEvent *Event) override;
    void mouseReleaseEvent(QMouseEvent *Event) override;
};

// A colour swatch panel.
class TColorSwatch : public QLabel
{
    Q_OBJECT

public:
    explicit TColorSwatch(QWidget *Parent);
    [[nodiscard]] TColor Color() const { return m_color; }
    void SetColor(TColor Value);

private:
    TColor m_color = clBlack;
};

// Runs the colour dialog: the current colour and the custom colours (which
// it may change) in, the chosen colour or nothing when cancelled. Tests
// replace it.
using TColorDialogRunner = std::function<std::optional<QColor>(const QColor &, QList<QColor> &)>;
[[nodiscard]] TColorDialogRunner DefaultColorDialogRunner(QWidget *Parent);

// The colour dialog started on Current with the custom colours of
// CstmClr.ini, which are written back whatever the outcome.
[[nodiscard]] std::optional<TColor> ChooseItemColor(const TColorDialogRunner &Run, TColor Current,
                                                    bool WithCustomColors = true);

// The colour dialog started on Swatch's colour; the chosen colour is shown
// on Swatch and handed back, nothing when cancelled.
[[nodiscard]] std::optional<TColor> ChooseSwatchColor(const TColorDialogRunner &Run, TColorSwatch *Swatch,
                                                      bool WithCustomColors = true);

// A caption in blue (checked, chosen) or in the window-text colour.
void SetBlueCaption(QWidget *Widget, bool Blue);

// Reads and writes one integer of section DESIGN of Murven19.ini.
[[nodiscard]] int ReadDesignSetting(const QString &Key, int Default);
void WriteDesignSetting(const QString &Key, int Value);

class QLineEdit;
class TUpDown;

// A number edit with its up-down. Leaving the edit takes a whole number of
// 0 or more (bounded by the up-down's range) and shows the up-down's
// position; any other text is replaced by the last valid value. Page Up
// and Page Down step by 10, Up and Down by 1. Every accepted change is
// handed to OnChange.
class TNumberEditLink : public QObject
{
    Q_OBJECT

public:
    TNumberEditLink(QLineEdit *Edit, TUpDown *UpDown);
    std::function<void(int)> OnChange;
    // Sets the position and the edit's text without OnChange.
    void Show(int Value);
    void Exit();

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    QLineEdit *m_edit;
    TUpDown *m_upDown;
};

// The picture file chooser of the picture item and the design background:
// the image kinds LoadImageFile reads, with a preview of the file under
// the cursor. Empty when cancelled.
[[nodiscard]] QString ChooseImageFileName(QWidget *Parent);

// A new named page at the end of Tabs.
QWidget *AddTabPage(QTabWidget *Tabs, const char *Name, const QString &Caption);

// A named caption.
QLabel *NewLabel(QWidget *Parent, const char *Name, const QString &Caption);

// What every item dialog starts with: its object name, its title and no
// context help button.
void StartItemDialog(QDialog *Dialog, const QString &Name, const QString &Title);

// The dialog's layout: Top above a row with OK and Cancel at the right.
QVBoxLayout *LayOutAboveButtons(QDialog *Dialog, QLayout *Top, QPushButton *Ok, QPushButton *Cancel);

// The gradient angle: an edit of at most three digits starting at 0 and its
// up-down from 0 to 359, made on Parent in that order.
void NewAngleEdit(QWidget *Parent, QLineEdit *&Edit, TUpDown *&UpDown);

// The frame page's three lists, made on Parent in this order: line count,
// corner, line width.
void NewFrameLists(QWidget *Parent, QComboBox *&LineCount, QComboBox *&Corner, QComboBox *&LineWidth);

// The frame page's three lists (line count, corner, line width) into Frame.
void ApplyFrameLists(TRectFrame &Frame, const QComboBox *LineCount, const QComboBox *Corner,
                     const QComboBox *LineWidth);

// The frame page's colour buttons: Tag 0 the line colour, 1 the back
// colour. The chosen colour goes to its swatch and to Frame; false when the
// colour dialog was cancelled.
bool ChooseFrameColor(const TColorDialogRunner &Run, TRectFrame &Frame, int Tag, TColorSwatch *FrameSwatch,
                      TColorSwatch *BackSwatch);
