#include "dialogs/DsnPrt.h"
#include "widgets/Named.h"

#include "core/Env.h"
#include "dialogs/PrtSub.h"
#include "platform/IniFile.h"
#include "util/MsgBoxPos.h"
#include "widgets/CheckedCaption.h"
#include "widgets/EnterKey.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

const QString kSection = QStringLiteral("DESIGN PRINT");

} // namespace

TDesignPrintDialog::TDesignPrintDialog(QWidget *Owner, QPrinter &Printer) : QDialog(Owner), m_printer(Printer)
{
    setObjectName(QStringLiteral("DesignPrintDialog"));
    setWindowTitle(QStringLiteral("文面印刷"));
    setProperty("HelpContext", 97);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    RunPrinterSetup = RunPrinterSetupDialog;

    auto *gbxOffset = Named(new QGroupBox(QStringLiteral("印刷領域の微調整："), this), "gbxOffset");
    m_shift = AddShiftControls(gbxOffset);

    auto *gbxCopy = Named(new QGroupBox(QStringLiteral("部数："), this), "gbxCopy");
    edCopy = new TCountField(gbxCopy, QStringLiteral("edCopy"), QStringLiteral("udCopy"), 4);
    edCopy->SetRange(1, 1000);
    lblCopy = Named(new QLabel(gbxCopy), "lblCopy");
    auto *copy = new QHBoxLayout(gbxCopy);
    copy->addWidget(edCopy);
    copy->addWidget(new QLabel(QStringLiteral("部"), gbxCopy));
    copy->addSpacing(20);
    copy->addWidget(new QLabel(QStringLiteral("用紙枚数："), gbxCopy));
    copy->addWidget(lblCopy);
    copy->addStretch();

    auto *gbxPrinter = new QGroupBox(this);
    pnlPrinter = Named(new QLabel(gbxPrinter), "pnlPrinter");
    pnlPaperSize = Named(new QLabel(gbxPrinter), "pnlPaperSize");
    pnlOriental = Named(new QLabel(gbxPrinter), "pnlOriental");
    bbtnPrinters = Named(new QPushButton(QStringLiteral("設定"), gbxPrinter), "bbtnPrinters");
    auto *prn = new QGridLayout(gbxPrinter);
    prn->addWidget(new QLabel(QStringLiteral("プリンタ名："), gbxPrinter), 0, 0);
    prn->addWidget(pnlPrinter, 0, 1);
    prn->addWidget(bbtnPrinters, 0, 2);
    prn->addWidget(new QLabel(QStringLiteral("用紙サイズ："), gbxPrinter), 1, 0);
    prn->addWidget(pnlPaperSize, 1, 1);
    prn->addWidget(new QLabel(QStringLiteral("印刷方向："), gbxPrinter), 2, 0);
    prn->addWidget(pnlOriental, 2, 1);

    ckbLimitedPrinter = Named(
        new QCheckBox(QStringLiteral("イラストの型抜き・透明化が正しく印刷できないプリンタを使う"), this),
        "ckbLimitedPrinter");
    connect(ckbLimitedPrinter, &QCheckBox::toggled, this, [this] { PaintCheckedCaption(ckbLimitedPrinter); });
    auto *note = new QLabel(QStringLiteral("※この設定を有効にすると、印刷に時間がかかる場合があります"), this);
    note->setStyleSheet(QStringLiteral("color: red"));
    lblRangeInfo = Named(new QLabel(QStringLiteral("※※ 印刷内容が、印刷可能領域に入りきらない可能性があります ※※"),
                                    this),
                         "lblRangeInfo");
    lblRangeInfo->setStyleSheet(QStringLiteral("color: red"));
    btnPrint = Named(new QPushButton(QStringLiteral("印刷"), this), "btnPrint");
    btnCancel = Named(new QPushButton(QStringLiteral("キャンセル"), this), "btnCancel");
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnPrint);
    buttons->addWidget(btnCancel);
    auto *main = new QVBoxLayout(this);
    main->addWidget(gbxOffset);
    main->addWidget(gbxCopy);
    main->addWidget(gbxPrinter);
    main->addWidget(ckbLimitedPrinter);
    main->addWidget(note);
    main->addWidget(lblRangeInfo);
    main->addLayout(buttons);
    main->setSizeConstraint(QLayout::SetFixedSize);

    // Creation: stored settings, then the printer as it stands.
    const TMemIniFile ini(SettingsFileName());
    m_shift.Horz->setValue(ini.ReadInteger(kSection, QStringLiteral("OffsetX"), ShiftCentre));
    m_shift.Vert->setValue(ini.ReadInteger(kSection, QStringLiteral("OffsetY"), ShiftCentre));
    int copies = ini.ReadInteger(kSection, QStringLiteral("Copy"), 1);
    if (copies < 1 || copies > 1000)
        copies = 1;
    edCopy->SetValue(copies);
    ckbLimitedPrinter->setChecked(ini.ReadBool(kSection, QStringLiteral("LimitedPrinter"), false));
    ShowPrinter();
    m_printer.setCopyCount(copies);
    lblCopy->setText(QString::asprintf("%d 枚", copies));
    lblRangeInfo->setVisible(false);
    m_shift.ShowShift();

    for (QScrollBar *b : {m_shift.Vert, m_shift.Horz}) {
        connect(b, &QScrollBar::valueChanged, this, [this] {
            m_shift.ShowShift();
            UpdateOffsetPreview();
        });
        b->installEventFilter(this);
    }
    edCopy->Edit()->installEventFilter(this);
    // The check box moves on to 印刷 too, instead of opening the printer set-up.
    ckbLimitedPrinter->installEventFilter(this);
    edCopy->OnChange = [this] { CopiesChanged(); };
    connect(bbtnPrinters, &QPushButton::clicked, this, [this] {
        if (!RunPrinterSetup || !RunPrinterSetup(m_printer, this))
            return;
        ShowPrinter();
        PrinterChanged = true;
        UpdateOffsetPreview();
    });
    connect(btnPrint, &QPushButton::clicked, this, &TDesignPrintDialog::PrintClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TDesignPrintDialog::SetContentRect(const TContentRect &Rect)
{
    m_content = Rect;
    UpdateOffsetPreview();
}

QPoint TDesignPrintDialog::GetOffset() const
{
    return m_shift.Offset();
}

bool TDesignPrintDialog::GetLimitedPrinter() const
{
    return ckbLimitedPrinter->isChecked();
}

int TDesignPrintDialog::GetCopies() const
{
    return edCopy->Value();
}

bool TDesignPrintDialog::RangeWarningShown() const
{
    return !lblRangeInfo->isHidden();
}

void TDesignPrintDialog::UpdateOffsetPreview()
{
    lblRangeInfo->setVisible(!m_content.IsEmpty()
                             && ContentLeavesPrintableArea(PrinterPageOf(m_printer), m_content, m_shift.Horz->value(),
                                                           m_shift.Vert->value(), 0));
}

void TDesignPrintDialog::CopiesChanged()
{
    lblCopy->setText(QString::asprintf("%d 枚", edCopy->Value()));
    m_printer.setCopyCount(edCopy->Value());
    UpdateOffsetPreview();
}

void TDesignPrintDialog::ShowPrinter()
{
    const TPrinterPaperInfo info = PrinterPaperInfo(m_printer);
    pnlPrinter->setText(info.DeviceName);
    pnlPaperSize->setText(info.PaperName);
    pnlOriental->setText(info.Orientation);
}

void TDesignPrintDialog::SetForPreview(bool Preview)
{
    m_forPreview = Preview;
    btnPrint->setText(Preview ? QStringLiteral("プレビュー") : QStringLiteral("印刷"));
}

void TDesignPrintDialog::PrintClick()
{
    if (!m_forPreview &&
        ShowMessageBoxAt(this, QStringLiteral("文面デザインを印刷します  \nよろしいですか？"), ProductCaption(),
                         MB_YESNO | MB_ICONQUESTION, mbpCenterOnOwner, 0, 0)
        != IDYES)
        return;
    TMemIniFile ini(SettingsFileName());
    ini.WriteInteger(kSection, QStringLiteral("OffsetX"), m_shift.Horz->value());
    ini.WriteInteger(kSection, QStringLiteral("OffsetY"), m_shift.Vert->value());
    ini.WriteInteger(kSection, QStringLiteral("Copy"), edCopy->Value());
    ini.WriteBool(kSection, QStringLiteral("LimitedPrinter"), ckbLimitedPrinter->isChecked());
    QString error;
    if (!ini.UpdateFile(&error))
        ShowMessageBoxAt(this, QStringLiteral("印刷の設定を保存できませんでした  \n") + error, ProductCaption(),
                         MB_OK | MB_ICONWARNING, mbpCenterOnOwner, 0, 0);
    accept();
}

bool TDesignPrintDialog::eventFilter(QObject *Watched, QEvent *Event)
{
    if (IsEnterKeyPress(Event)) {
        if (Watched == edCopy->Edit())
            btnPrint->setFocus();
        else
            focusNextChild();
        return true;
    }
    return QDialog::eventFilter(Watched, Event);
}
