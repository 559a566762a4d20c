#include "dialogs/LytFont.h"

#include "core/Environment.h"
#include "platform/IniFile.h"
#include "util/Font.h"
#include "widgets/CheckedCaption.h"
#include "widgets/ChosenEntry.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

QList<QPair<QString, quint8>> ListFontNames()
{
    QList<QPair<QString, quint8>> faces;
    for (const QString &family : QFontDatabase::families()) {
        if (family.startsWith(QLatin1Char('@')) || QFontDatabase::isPrivateFamily(family))
            continue;
        const QList<QFontDatabase::WritingSystem> systems = QFontDatabase::writingSystems(family);
        if (systems.contains(QFontDatabase::Symbol) && !systems.contains(QFontDatabase::Latin))
            continue;
        if (systems.contains(QFontDatabase::Japanese))
            faces.append({family, quint8(128)});
        else if (systems.contains(QFontDatabase::Latin))
            faces.append({family, quint8(0)});
    }
    std::sort(faces.begin(), faces.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    return faces;
}

namespace {

const QString kColorSection = QStringLiteral("COMMON");

// Stored as six hexadecimal digits BBGGRR.
QColor fromBgr(const QString &text)
{
    bool ok = false;
    const uint v = text.toUInt(&ok, 16);
    return ok ? QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF) : QColor(Qt::black);
}

QString toBgr(const QColor &c)
{
    return QString::asprintf("%02X%02X%02X", c.blue(), c.green(), c.red());
}

void paintSwatch(QLabel *swatch, const QColor &c)
{
    swatch->setStyleSheet(QStringLiteral("background-color: %1; border: 1px solid gray").arg(c.name()));
}

} // namespace

QList<QColor> LoadCustomColors()
{
    const TMemIniFile ini(CustomColorFileName());
    QList<QColor> colors;
    for (int i = 0; i < 16; ++i)
        colors.append(fromBgr(ini.ReadString(kColorSection, QString::number(i), QStringLiteral("000000"))));
    return colors;
}

void SaveCustomColors(const QList<QColor> &Colors)
{
    TMemIniFile ini(CustomColorFileName());
    for (int i = 0; i < Colors.size() && i < 16; ++i)
        ini.WriteString(kColorSection, QString::number(i), toBgr(Colors[i]));
    // Custom colours are a convenience; the file layer reports a failure.
    ini.UpdateFileOrTellOnce();
}

TLayoutFontDialog::TLayoutFontDialog(QWidget *Owner) : QDialog(Owner)
{
    setObjectName(QStringLiteral("LayoutFontDialog"));
    setWindowTitle(QStringLiteral("フォントの設定"));
    setProperty("HelpContext", 101);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    lbFonts = new QListWidget(this);
    lbFonts->setObjectName(QStringLiteral("lbFonts"));
    for (const auto &[name, charset] : ListFontNames()) {
        auto *item = new QListWidgetItem(name, lbFonts);
        item->setData(Qt::UserRole, charset);
    }
    lblCharset = new QLabel(this);
    lblCharset->setObjectName(QStringLiteral("lblCharset"));
    ckbBold = new QCheckBox(QStringLiteral("太字"), this);
    ckbBold->setObjectName(QStringLiteral("ckbBold"));
    ckbItalic = new QCheckBox(QStringLiteral("斜体"), this);
    ckbItalic->setObjectName(QStringLiteral("ckbItalic"));
    pnlFontColor = new QLabel(this);
    pnlFontColor->setObjectName(QStringLiteral("pnlFontColor"));
    pnlFontColor->setFixedSize(40, 20);
    bbtnFontColor = new QPushButton(QStringLiteral("..."), this);
    bbtnFontColor->setObjectName(QStringLiteral("bbtnFontColor"));
    pnlSample = new QLabel(QStringLiteral("ピルカノス2014"), this);
    pnlSample->setObjectName(QStringLiteral("pnlSample"));
    pnlSample->setAlignment(Qt::AlignCenter);
    pnlSample->setMinimumSize(260, 70);
    pnlSample->setFrameShape(QFrame::Box);
    ckbAll = new QCheckBox(QStringLiteral("すべての枠のフォントを変更する"), this);
    ckbAll->setObjectName(QStringLiteral("ckbAll"));
    connect(ckbAll, &QCheckBox::toggled, this, [this] { PaintCheckedCaption(ckbAll); });
    ckbAll->setChecked(true);
    auto *btnOK = new QPushButton(QStringLiteral("OK"), this);
    auto *btnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    // Return takes the face shown from wherever it was chosen (the list
    // takes the face under its cursor first); a focused キャンセル or 色
    // button takes it itself.
    btnOK->setDefault(true);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    OnEntryChosen(lbFonts, this, [this](int Row) { FaceChosen(Row); });
    connect(ckbBold, &QCheckBox::toggled, this, &TLayoutFontDialog::StyleChanged);
    connect(ckbItalic, &QCheckBox::toggled, this, &TLayoutFontDialog::StyleChanged);
    connect(bbtnFontColor, &QPushButton::clicked, this, &TLayoutFontDialog::ChooseColor);
    RunColorDialog = [this](const QColor &current, QList<QColor> &custom) -> std::optional<QColor> {
        for (int i = 0; i < custom.size(); ++i)
            QColorDialog::setCustomColor(i, custom[i]);
        const QColor chosen = QColorDialog::getColor(current, this);
        for (int i = 0; i < custom.size(); ++i)
            custom[i] = QColorDialog::customColor(i);
        return chosen.isValid() ? std::optional<QColor>(chosen) : std::nullopt;
    };

    auto *grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("書体："), this), 0, 0);
    grid->addWidget(lbFonts, 1, 0, 4, 1);
    grid->addWidget(lblCharset, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("スタイル："), this), 1, 1);
    auto *style = new QHBoxLayout;
    style->addWidget(ckbBold);
    style->addWidget(ckbItalic);
    grid->addLayout(style, 2, 1);
    auto *color = new QHBoxLayout;
    color->addWidget(new QLabel(QStringLiteral("色："), this));
    color->addWidget(pnlFontColor);
    color->addWidget(bbtnFontColor);
    color->addStretch();
    grid->addLayout(color, 3, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(ckbAll);
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto *main = new QVBoxLayout(this);
    main->addLayout(grid);
    main->addWidget(new QLabel(QStringLiteral("サンプル"), this));
    main->addWidget(pnlSample);
    main->addLayout(buttons);
    main->setSizeConstraint(QLayout::SetFixedSize);
}

void TLayoutFontDialog::SetFont(const TLayoutFont &Font)
{
    m_font = Font;
    if (m_font.Face.startsWith(QLatin1Char('@')))
        m_font.Face.remove(0, 1);
    UpdateSample();
}

bool TLayoutFontDialog::GetApplyToAll() const
{
    return ckbAll->isChecked();
}

void TLayoutFontDialog::UpdateSample()
{
    m_updating = true;
    const QList<QListWidgetItem *> found = lbFonts->findItems(m_font.Face, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (found.isEmpty()) {
        lbFonts->setCurrentRow(-1);
        lbFonts->clearSelection();
    } else {
        lbFonts->setCurrentItem(found.first());
        if (const TFontSample sample = FontSampleOf(found.first()->data(Qt::UserRole).toInt());
            !sample.Text.isEmpty()) {
            pnlSample->setText(sample.Text);
            lblCharset->setText(sample.Charset);
        }
    }
    ckbBold->setChecked(m_font.Bold);
    ckbItalic->setChecked(m_font.Italic);
    PaintCheckedCaption(ckbBold);
    PaintCheckedCaption(ckbItalic);
    paintSwatch(pnlFontColor, m_font.Color);
    QFont sample(m_font.Face);
    sample.setPointSize(15);
    sample.setBold(m_font.Bold);
    sample.setItalic(m_font.Italic);
    pnlSample->setFont(sample);
    pnlSample->setStyleSheet(QStringLiteral("color: %1").arg(m_font.Color.name()));
    m_updating = false;
}

void TLayoutFontDialog::FaceChosen(int Row)
{
    if (m_updating)
        return;
    QListWidgetItem *item = lbFonts->item(Row);
    m_font.Charset = static_cast<quint8>(item->data(Qt::UserRole).toInt());
    m_font.Face = item->text();
    UpdateSample();
}

void TLayoutFontDialog::StyleChanged()
{
    if (m_updating)
        return;
    m_font.Bold = ckbBold->isChecked();
    m_font.Italic = ckbItalic->isChecked();
    UpdateSample();
}

void TLayoutFontDialog::ChooseColor()
{
    QList<QColor> custom = LoadCustomColors();
    const std::optional<QColor> chosen = RunColorDialog ? RunColorDialog(m_font.Color, custom) : std::nullopt;
    SaveCustomColors(custom);
    if (!chosen)
        return;
    m_font.Color = *chosen;
    UpdateSample();
}
