#include "dialogs/PrtSub.h"

#include "dialogs/PrtList.h"
#include "dialogs/UpDown.h"
#include "util/MsgBoxPos.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollBar>

TCountField::TCountField(QWidget *Parent, const QString &EditName, const QString &UpDownName, int MaxChars)
    : QWidget(Parent)
{
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(EditName);
    m_edit->setMaxLength(MaxChars);
    m_edit->setAttribute(Qt::WA_InputMethodEnabled, false);
    m_edit->setFixedWidth(fontMetrics().horizontalAdvance(QLatin1Char('0')) * (MaxChars + 2) + 8);
    m_upDown = new TUpDown(this);
    m_upDown->setObjectName(UpDownName);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_edit);
    layout->addWidget(m_upDown);
    m_upDown->OnClick = [this] { Changed(m_upDown->Position()); };
    // What the number counts (the sheets of a run) follows each digit
    // typed; the edit keeps the text being typed until it is left.
    connect(m_edit, &QLineEdit::textEdited, this, [this](const QString &Text) {
        const std::optional<qint64> v = ParseCountText(Text);
        if (!v)
            return;
        const int before = Value();
        m_upDown->SetPosition(static_cast<int>(std::min<qint64>(*v, INT32_MAX)));
        if (Value() != before && OnChange)
            OnChange();
    });
    m_edit->installEventFilter(this);
    m_edit->setText(QString::number(m_upDown->Position()));
}

int TCountField::Value() const
{
    return m_upDown->Position();
}

int TCountField::Max() const
{
    return m_upDown->Max();
}

void TCountField::SetValue(int V)
{
    m_upDown->SetPosition(V);
    m_edit->setText(QString::number(m_upDown->Position()));
}

void TCountField::SetRange(int Min, int Max)
{
    m_upDown->SetMin(Min);
    m_upDown->SetMax(Max);
    m_edit->setText(QString::number(m_upDown->Position()));
}

void TCountField::Changed(int V)
{
    SetValue(V);
    if (OnChange)
        OnChange();
}

bool TCountField::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Watched == m_edit && Event->type() == QEvent::FocusOut) {
        const std::optional<qint64> v = ParseCountText(m_edit->text());
        if (!v)
            SetValue(Value());
        else
            Changed(static_cast<int>(std::min<qint64>(*v, INT32_MAX)));
    } else if (Watched == m_edit && Event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(Event)->key();
        const int step = key == Qt::Key_PageUp ? 10 : key == Qt::Key_PageDown ? -10 : key == Qt::Key_Up ? 1
                         : key == Qt::Key_Down                                 ? -1
                                                                               : 0;
        if (step != 0) {
            Changed(Value() + step);
            return true;
        }
    }
    return QWidget::eventFilter(Watched, Event);
}

TPrinterPaperInfo PrinterPaperInfo(const QPrinter &Printer)
{
    TPrinterPaperInfo info;
    info.DeviceName = Printer.printerName().isEmpty() ? QStringLiteral("PDF") : Printer.printerName();
    info.PaperName = Printer.pageLayout().pageSize().name();
    info.Orientation = Printer.pageLayout().orientation() == QPageLayout::Landscape ? QStringLiteral("横")
                                                                                    : QStringLiteral("縦");
    return info;
}

bool RunPrinterSetupDialog(QPrinter &Printer, QWidget *Owner)
{
    QPrintDialog dialog(&Printer, Owner);
    return dialog.exec() == QDialog::Accepted;
}

QPoint TShiftControls::Offset() const
{
    return {Horz->value() - ShiftCentre, Vert->value() - ShiftCentre};
}

void TShiftControls::ShowShift() const
{
    VertDir->setText(ShiftDirectionText(Vert->value(), true));
    VertAmount->setText(ShiftValueText(Vert->value()));
    HorzDir->setText(ShiftDirectionText(Horz->value(), false));
    HorzAmount->setText(ShiftValueText(Horz->value()));
}

TShiftControls AddShiftControls(QGroupBox *Box)
{
    const auto label = [Box](const char *Name) {
        auto *l = new QLabel(Box);
        l->setObjectName(QLatin1String(Name));
        return l;
    };
    const auto bar = [Box](const char *Name) {
        auto *b = new QScrollBar(Qt::Horizontal, Box);
        b->setObjectName(QLatin1String(Name));
        b->setRange(0, 1000);
        b->setPageStep(10);
        b->setSingleStep(1);
        b->setValue(ShiftCentre);
        b->setMinimumWidth(200);
        return b;
    };
    TShiftControls c;
    c.Vert = bar("scbVert");
    c.Horz = bar("scbHorz");
    c.VertDir = label("lblVert");
    c.VertAmount = label("lblOffsetV");
    c.HorzDir = label("lblHorz");
    c.HorzAmount = label("lblOffsetH");
    auto *grid = new QGridLayout(Box);
    grid->addWidget(new QLabel(QStringLiteral("縦："), Box), 0, 0);
    grid->addWidget(c.Vert, 0, 1);
    grid->addWidget(c.VertDir, 0, 2);
    grid->addWidget(c.VertAmount, 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("横："), Box), 1, 0);
    grid->addWidget(c.Horz, 1, 1);
    grid->addWidget(c.HorzDir, 1, 2);
    grid->addWidget(c.HorzAmount, 1, 3);
    return c;
}

bool AskToPrintShortfalls(QWidget *Owner, const QString &Report)
{
    return Report.isEmpty() ||
           ShowMessageBoxAt(Owner,
                            QStringLiteral("読める大きさ（文字の高さ 1.8mm）に入りきらない項目があります  \n\n") + Report +
                                QStringLiteral("  \n\nこのまま印刷しますか？  "),
                            ProductCaption(), MB_YESNO | MB_ICONWARNING, mbpCenterOnOwner, 0, 0) == IDYES;
}
