#include "dialogs/DsnFmt.h"

#include "dialogs/PaperDlgCommon.h"
#include "dialogs/PaperDlgSub.h"
#include "dialogs/PaperPreview.h"
#include "util/SubUnit.h"

#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

int rounded(double v) { return static_cast<int>(RoundHalfAway(static_cast<long double>(v))); }

} // namespace

TNewDesignDialog::TNewDesignDialog(QWidget *owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("NewDesignDialog"));
    setWindowTitle(QStringLiteral("用紙の設定"));
    setProperty("HelpContext", 95);

    cbxKind = PaperDlg::control<QComboBox>(this, "cbxKind");
    cbxKind->addItems({QStringLiteral("はがき"), QStringLiteral("普通紙")});
    lbFormat = PaperDlg::control<QListWidget>(this, "lbFormat");
    rbVert = new QRadioButton(QStringLiteral("縦"), this);
    rbVert->setObjectName(QStringLiteral("rbVert"));
    rbVert->setChecked(true);
    rbHorz = new QRadioButton(QStringLiteral("横"), this);
    rbHorz->setObjectName(QStringLiteral("rbHorz"));
    lblSize = PaperDlg::control<QLabel>(this, "lblSize");
    pnlImage = new QFrame(this);
    pnlImage->setObjectName(QStringLiteral("pnlImage"));
    pnlImage->setMinimumSize(ScaleForDpi(220, true), ScaleForDpi(220, true));
    pnlCard = PaperDlg::previewCard(pnlImage, [this](QPainter &p) {
        p.setPen(QColor(0x80, 0x80, 0x80));
        p.drawRect(QRect(QPoint(0, 0), pnlCard->size() - QSize(1, 1)));
    });
    PaperDlg::okCancel(this, btnOK, btnCancel);

    auto *orientation = new QHBoxLayout;
    orientation->addWidget(rbVert);
    orientation->addWidget(rbHorz);
    orientation->addStretch();
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("種類："), cbxKind);
    form->addRow(QStringLiteral("用紙："), lbFormat);
    form->addRow(QStringLiteral("用紙方向："), orientation);
    form->addRow(QStringLiteral("用紙サイズ："), lblSize);
    PaperDlg::arrange(this, form, pnlImage, btnOK, btnCancel);

    pnlImage->installEventFilter(this);
    connect(cbxKind, &QComboBox::activated, this, [this] { cbxKindChange(); });
    connect(lbFormat, &QListWidget::currentRowChanged, this, [this] { SelectFormat(); });
    connect(rbVert, &QRadioButton::toggled, this, [this] {
        PaperDlg::paintPair(rbVert, rbHorz);
        SelectFormat();
    });
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    PaperDlg::paintPair(rbVert, rbHorz);

    PaperDlg::loadCatalogue(this, m_catalogue, DesignCataloguePath());
}

TNewDesignDialog::~TNewDesignDialog() = default;

void TNewDesignDialog::SetChangeMode(bool on)
{
    setWindowTitle(on ? QStringLiteral("用紙の変更") : QStringLiteral("用紙の設定"));
}

void TNewDesignDialog::FillList()
{
    const bool was = m_updating;
    m_updating = true;
    lbFormat->clear();
    QByteArray last;
    bool any = false;
    for (int i = 0; i < m_catalogue.Records.size(); ++i) {
        const TDesignFormat &d = m_catalogue.Records.at(i);
        if (d.Kind != cbxKind->currentIndex())
            continue;
        if (!any || d.Name != last) {
            auto *item = new QListWidgetItem(d.NameText(), lbFormat);
            item->setData(Qt::UserRole, i);
            last = d.Name;
            any = true;
        }
    }
    m_updating = was;
}

void TNewDesignDialog::cbxKindChange()
{
    FillList();
    if (lbFormat->count() > 0)
        lbFormat->setCurrentRow(0);
    SelectFormat();
}

void TNewDesignDialog::SelectFormat()
{
    if (m_updating || !lbFormat->currentItem())
        return;
    const int index = lbFormat->currentItem()->data(Qt::UserRole).toInt() + (rbHorz->isChecked() ? 1 : 0);
    if (index != m_selectedIndex && index >= 0 && index < m_catalogue.Records.size()) {
        m_selectedIndex = index;
        UpdatePreview();
    }
}

void TNewDesignDialog::ShowFormat(int index)
{
    if (index < 0 || index >= m_catalogue.Records.size())
        index = 0;
    if (m_catalogue.Records.isEmpty())
        return;
    m_updating = true;
    const TDesignFormat &d = m_catalogue.Records.at(index);
    cbxKind->setCurrentIndex(d.Kind);
    FillList();
    for (int i = 0; i < lbFormat->count(); ++i)
        if (lbFormat->item(i)->text() == d.NameText()) {
            lbFormat->setCurrentRow(i);
            break;
        }
    (d.Landscape != 0 ? rbHorz : rbVert)->setChecked(true);
    PaperDlg::paintPair(rbVert, rbHorz);
    m_selectedIndex = index;
    UpdatePreview();
    m_updating = false;
}

TDesignFormat TNewDesignDialog::GetFormat() const
{
    if (m_selectedIndex < 0 || m_selectedIndex >= m_catalogue.Records.size())
        return {};
    return m_catalogue.Records.at(m_selectedIndex);
}

void TNewDesignDialog::UpdatePreview()
{
    if (m_selectedIndex < 0 || m_selectedIndex >= m_catalogue.Records.size()) {
        lblSize->clear();
        pnlCard->setGeometry(0, 0, 0, 0);
        return;
    }
    const TDesignFormat &d = m_catalogue.Records.at(m_selectedIndex);
    lblSize->setText(PaperDlg::sizeText(d.Width, d.Height));
    const int w = PaperFmt::tenthsToPixels(d.Width), h = PaperFmt::tenthsToPixels(d.Height);
    const double scale = std::min(rounded(0.8 * pnlImage->height()) / static_cast<double>(h),
                                  rounded(0.8 * pnlImage->width()) / static_cast<double>(w));
    CenterPreviewCard(pnlCard, pnlImage->size(), QSize(rounded(w * scale), rounded(h * scale)));
    pnlCard->update();
}

bool TNewDesignDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == pnlImage && event->type() == QEvent::Resize)
        UpdatePreview();
    return QDialog::eventFilter(watched, event);
}
