#pragma once

#include <QString>
#include <QWidget>

#include <QPoint>

#include <functional>

// Asks, owned by Owner, whether to print though Report (the lines of what
// falls short of a readable size, SizeShortfallReport's) is not empty: true
// where it is empty or the user answers yes.
[[nodiscard]] bool AskToPrintShortfalls(QWidget *Owner, const QString &Report);

class QGroupBox;
class QLabel;
class QLineEdit;
class QScrollBar;
class QPrinter;
class TUpDown;

// A whole-number edit with its arrows, as the print dialogs use them for
// copies, the first label cell and the prints per record: the arrows step
// by one, Page Up / Page Down by ten, Up / Down by one; leaving the edit
// reads it (a non-number or a negative restores the value in force, other
// values are clamped to the range). OnChange follows every change.
class TCountField : public QWidget
{
public:
    TCountField(QWidget *Parent, const QString &EditName, const QString &UpDownName, int MaxChars);

    [[nodiscard]] int Value() const;
    void SetValue(int V); // clamped
    void SetRange(int Min, int Max);
    [[nodiscard]] int Max() const;
    [[nodiscard]] QLineEdit *Edit() const { return m_edit; }

    std::function<void()> OnChange;

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    void Changed(int V);

    QLineEdit *m_edit = nullptr;
    TUpDown *m_upDown = nullptr;
};

// What the print dialogs show of the printer: its name, the paper and the
// orientation ("縦"/"横").
struct TPrinterPaperInfo
{
    QString DeviceName;
    QString PaperName;
    QString Orientation;
};
[[nodiscard]] TPrinterPaperInfo PrinterPaperInfo(const QPrinter &Printer);

// The platform's printer set-up dialog on Printer; true when confirmed.
[[nodiscard]] bool RunPrinterSetupDialog(QPrinter &Printer, QWidget *Owner);

// The print dialogs' offset adjustment: a vertical and a horizontal bar that
// rest on ShiftCentre, each followed by its direction ("上："...) and amount.
struct TShiftControls
{
    QScrollBar *Vert = nullptr;     // scbVert
    QScrollBar *Horz = nullptr;     // scbHorz
    QLabel *VertDir = nullptr;      // lblVert
    QLabel *VertAmount = nullptr;   // lblOffsetV
    QLabel *HorzDir = nullptr;      // lblHorz
    QLabel *HorzAmount = nullptr;   // lblOffsetH

    // The shift chosen, in the bars' steps from the centre.
    [[nodiscard]] QPoint Offset() const;
    // Shows the bars' positions in their labels.
    void ShowShift() const;
};

// Builds the two bars and their labels in Box, laid out in rows "縦：" and "横：".
[[nodiscard]] TShiftControls AddShiftControls(QGroupBox *Box);
