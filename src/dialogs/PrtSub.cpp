#include "dialogs/PrtSub.h"

#include "dialogs/PrtList.h"
#include "dialogs/UpDown.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinter>

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
