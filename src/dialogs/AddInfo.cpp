#include "dialogs/AddInfo.h"
#include "widgets/Named.h"

#include "core/Env.h"
#include "platform/TextLines.h"
#include "widgets/ByteLimitValidator.h"
#include "widgets/CheckedCaption.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kAdditionMaxChars = 50;

} // namespace

TAdditionInfoDialog::TAdditionInfoDialog(QWidget *Owner) : QDialog(Owner)
{
    setObjectName(QStringLiteral("AdditionInfoDialog"));
    setWindowTitle(QStringLiteral("追加情報の設定"));
    setProperty("HelpContext", 106);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    gbxAddition = Named(new QGroupBox(QStringLiteral("追加情報："), this), QStringLiteral("gbxAddition"));
    auto *lines = new QGridLayout(gbxAddition);
    for (int i = 0; i < LineCount; ++i) {
        ckbAddition[i] = Named(new QCheckBox(QStringLiteral("項目%1：").arg(i + 1), gbxAddition),
                               QStringLiteral("ckbAddition%1").arg(i + 1));
        cbxAddition[i] = Named(new QComboBox(gbxAddition), QStringLiteral("cbxAddition%1").arg(i + 1));
        cbxAddition[i]->setEditable(true);
        cbxAddition[i]->setCompleter(nullptr);
        cbxAddition[i]->setMaxVisibleItems(15);
        cbxAddition[i]->setInsertPolicy(QComboBox::NoInsert);
        cbxAddition[i]->lineEdit()->setMaxLength(kAdditionMaxChars);
        // The line is stored in Shift-JIS: a character the code page lacks is
        // refused as it is typed instead of printing as "?".
        cbxAddition[i]->setValidator(new TByteLimitValidator(0, cbxAddition[i]));
        cbxAddition[i]->setMinimumContentsLength(24);
        QCheckBox *box = ckbAddition[i];
        QComboBox *combo = cbxAddition[i];
        connect(box, &QCheckBox::toggled, this, [box, combo](bool on) {
            PaintCheckedCaption(box);
            combo->setEnabled(on);
        });
        lines->addWidget(box, i, 0);
        lines->addWidget(combo, i, 1);
        box->setChecked(true);
    }

    ckbBarcode = Named(new QCheckBox(QStringLiteral("バーコード："), this), QStringLiteral("ckbBarcode"));
    gbxBarcode = Named(new QGroupBox(this), QStringLiteral("gbxBarcode"));
    lblBarSize = Named(new QLabel(QStringLiteral("サイズ（ポイント）："), gbxBarcode), QStringLiteral("lblBarSize"));
    cbxBarSize = Named(new QComboBox(gbxBarcode), QStringLiteral("cbxBarSize"));
    cbxBarSize->addItems({QStringLiteral("8"), QStringLiteral("9"), QStringLiteral("10"), QStringLiteral("11")});
    auto *bar = new QHBoxLayout(gbxBarcode);
    bar->addWidget(lblBarSize);
    bar->addWidget(cbxBarSize);
    connect(ckbBarcode, &QCheckBox::toggled, this, &TAdditionInfoDialog::BarcodeChanged);
    connect(cbxBarSize, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index > m_maxBarSize)
            cbxBarSize->setCurrentIndex(m_maxBarSize);
    });
    ckbBarcode->setChecked(true);
    BarcodeChanged();

    btnOK = Named(new QPushButton(QStringLiteral("OK"), this), QStringLiteral("btnOK"));
    btnCancel = Named(new QPushButton(QStringLiteral("キャンセル"), this), QStringLiteral("btnCancel"));
    // Return takes the lines shown from wherever they were set; a focused
    // キャンセル takes it itself.
    btnOK->setDefault(true);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto *barRow = new QHBoxLayout;
    barRow->addWidget(ckbBarcode);
    barRow->addWidget(gbxBarcode, 1);
    auto *main = new QVBoxLayout(this);
    main->addWidget(gbxAddition);
    main->addLayout(barRow);
    main->addLayout(buttons);
    main->setSizeConstraint(QLayout::SetFixedSize);
}

void TAdditionInfoDialog::BarcodeChanged()
{
    const bool on = ckbBarcode->isChecked();
    PaintCheckedCaption(ckbBarcode);
    lblBarSize->setEnabled(on);
    cbxBarSize->setEnabled(on);
}

void TAdditionInfoDialog::SetLayoutKind(TLayoutKind Kind)
{
    m_kind = Kind;
    if (Kind == TLayoutKind::lkPostcard || Kind == TLayoutKind::lkEnvelope) {
        setWindowTitle(QStringLiteral("バーコードの設定"));
        gbxAddition->setVisible(false);
    }
}

void TAdditionInfoDialog::SetDataSource(int Source)
{
    QList<QPair<QString, int>> entries;
    if (m_kind == TLayoutKind::lkLabel) {
        entries.append({QStringLiteral("逆順電話番号"), 1});
        entries.append({QStringLiteral("日付 (yyyymmdd)"), 2});
    }
    if (Source == 1) {
        entries.append({QStringLiteral("TEL"), 3});
        entries.append({QStringLiteral("FAX"), 4});
        entries.append({QStringLiteral("携帯1"), 5});
        entries.append({QStringLiteral("携帯2"), 6});
        entries.append({QStringLiteral("URL"), 7});
        entries.append({QStringLiteral("E-Mail1"), 9});
        entries.append({QStringLiteral("E-Mail2"), 10});
        for (int k = 1; k <= KeywordCount; ++k)
            entries.append({KeywordNames[static_cast<std::size_t>(k)], 10 + k});
    } else if (Source == 2) {
        const QString names[] = {QStringLiteral("連絡先１"), QStringLiteral("連絡先２"), QStringLiteral("連絡先３"),
                                 QStringLiteral("連絡先４")};
        for (int i = 0; i < 4; ++i)
            entries.append({names[i], 19 + i});
    }
    for (QComboBox *combo : cbxAddition) {
        const QString text = combo->currentText();
        combo->clear();
        for (const auto &[name, id] : entries)
            combo->addItem(name, id);
        combo->setCurrentIndex(-1);
        combo->setEditText(text);
    }
}

int TAdditionInfoDialog::ChosenId(int Line) const
{
    if (Line < 0 || Line >= LineCount)
        return 0;
    const QComboBox *combo = cbxAddition[static_cast<std::size_t>(Line)];
    // A chosen entry whose text the user then edited is free text.
    const int index = combo->currentIndex();
    if (index < 0 || combo->itemText(index) != combo->currentText())
        return 0;
    return combo->itemData(index).toInt();
}

bool TAdditionInfoDialog::GetAdditionChecked(int Line) const
{
    return Line >= 0 && Line < LineCount && ckbAddition[static_cast<std::size_t>(Line)]->isChecked();
}

void TAdditionInfoDialog::SetAdditionChecked(int Line, bool Checked)
{
    if (Line >= 0 && Line < LineCount)
        ckbAddition[static_cast<std::size_t>(Line)]->setChecked(Checked);
}

int TAdditionInfoDialog::GetAdditionItem(int Line) const
{
    return ChosenId(Line);
}

void TAdditionInfoDialog::SetAdditionItem(int Line, int Id)
{
    if (Line < 0 || Line >= LineCount)
        return;
    QComboBox *combo = cbxAddition[static_cast<std::size_t>(Line)];
    const int index = Id == 0 ? -1 : combo->findData(Id);
    combo->setCurrentIndex(index);
    if (index < 0)
        combo->setEditText(QString());
}

QString TAdditionInfoDialog::GetAdditionText(int Line) const
{
    if (Line < 0 || Line >= LineCount || ChosenId(Line) != 0)
        return QString();
    return TrimBlanks(cbxAddition[static_cast<std::size_t>(Line)]->currentText());
}

void TAdditionInfoDialog::SetAdditionText(int Line, const QString &Text)
{
    if (Line < 0 || Line >= LineCount)
        return;
    QComboBox *combo = cbxAddition[static_cast<std::size_t>(Line)];
    combo->setCurrentIndex(-1);
    combo->setEditText(Text.left(kAdditionMaxChars));
}

bool TAdditionInfoDialog::GetBarcode() const
{
    return ckbBarcode->isChecked();
}

void TAdditionInfoDialog::SetBarcode(bool On)
{
    ckbBarcode->setChecked(On);
}

int TAdditionInfoDialog::GetBarSize() const
{
    return cbxBarSize->count() == 0 ? 0 : std::max(0, cbxBarSize->currentIndex());
}

void TAdditionInfoDialog::SetBarSize(int Index)
{
    if (cbxBarSize->count() == 0)
        return;
    cbxBarSize->setCurrentIndex(std::clamp(Index, 0, std::min(m_maxBarSize, cbxBarSize->count() - 1)));
}

void TAdditionInfoDialog::DisableBarcode(bool Disable)
{
    if (!Disable)
        return;
    ckbBarcode->setChecked(false);
    ckbBarcode->setEnabled(false);
    cbxBarSize->clear();
}

void TAdditionInfoDialog::SetMaxBarSize(int Index)
{
    if (Index == m_maxBarSize)
        return;
    m_maxBarSize = std::max(0, Index);
    if (cbxBarSize->currentIndex() > m_maxBarSize)
        cbxBarSize->setCurrentIndex(m_maxBarSize);
    while (cbxBarSize->count() > m_maxBarSize + 1)
        cbxBarSize->removeItem(cbxBarSize->count() - 1);
}
