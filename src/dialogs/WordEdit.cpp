#include "dialogs/WordEdit.h"
#include "widgets/Named.h"

#include "core/Env.h"
#include "platform/IniFile.h"
#include "platform/TextLines.h"
#include "util/MsgBoxPos.h"
#include "util/SubUnit.h"
#include "widgets/CheckedCaption.h"

#include <QButtonGroup>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSizeGrip>
#include <QVBoxLayout>

namespace {

const QString kSection = QStringLiteral("WORDEDIT");
constexpr int kMinWidth = 500;
constexpr int kMinHeightHidden = 179;
constexpr int kMinHeightShown = 451;

int toScreen(int v, qreal dpi)
{
    return static_cast<int>(RoundHalfAway(static_cast<long double>(v) * dpi / 96));
}

int fromScreen(int v, qreal dpi)
{
    return static_cast<int>(RoundHalfAway(static_cast<long double>(v) * 96 / dpi));
}

QByteArray readAll(const QString &path, bool *found)
{
    QFile f(path);
    *found = f.open(QIODevice::ReadOnly);
    return *found ? f.readAll() : QByteArray();
}

} // namespace

TWordEditDialog::TWordEditDialog(QWidget *Owner) : QDialog(Owner)
{
    setObjectName(QStringLiteral("WordEditDialog"));
    setWindowTitle(QStringLiteral("文章の編集"));
    setProperty("HelpContext", 115);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    pnlWords = Named(new QWidget(this), "pnlWords");
    memWords = Named(new QPlainTextEdit(pnlWords), "memWords");
    memWords->setLineWrapMode(QPlainTextEdit::NoWrap);
    rbVertical = Named(new QRadioButton(QStringLiteral("縦書き"), pnlWords), "rbVertical");
    rbHorizontal = Named(new QRadioButton(QStringLiteral("横書き"), pnlWords), "rbHorizontal");
    auto *dirGroup = new QButtonGroup(this);
    dirGroup->addButton(rbVertical);
    dirGroup->addButton(rbHorizontal);
    for (QRadioButton *r : {rbVertical, rbHorizontal})
        connect(r, &QRadioButton::toggled, r, [r] { PaintCheckedCaption(r); });
    auto *dir = new QHBoxLayout;
    dir->addWidget(new QLabel(QStringLiteral("方向"), pnlWords));
    dir->addWidget(rbVertical);
    dir->addWidget(rbHorizontal);
    dir->addStretch();
    auto *words = new QVBoxLayout(pnlWords);
    words->setContentsMargins(0, 0, 0, 0);
    words->addWidget(memWords, 1);
    words->addLayout(dir);

    pnlExample = Named(new QWidget(this), "pnlExample");
    lbClass = Named(new QListWidget(pnlExample), "lbClass");
    lbIndex = Named(new QListWidget(pnlExample), "lbIndex");
    memExample = Named(new QPlainTextEdit(pnlExample), "memExample");
    memExample->setReadOnly(true);
    auto *ex = new QGridLayout(pnlExample);
    ex->setContentsMargins(0, 0, 0, 0);
    ex->addWidget(new QLabel(QStringLiteral("分類"), pnlExample), 0, 0);
    ex->addWidget(new QLabel(QStringLiteral("見出し"), pnlExample), 0, 1);
    ex->addWidget(new QLabel(QStringLiteral("内容"), pnlExample), 2, 0);
    ex->addWidget(lbClass, 1, 0);
    ex->addWidget(lbIndex, 1, 1);
    ex->addWidget(memExample, 3, 0, 1, 2);
    connect(lbClass, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            LoadExamples(row + 1);
    });
    connect(lbIndex, &QListWidget::currentRowChanged, this, &TWordEditDialog::ChooseHeading);
    connect(lbIndex, &QListWidget::itemDoubleClicked, this, [this] { AppendClick(); });

    btnOK = Named(new QPushButton(QStringLiteral("OK"), this), "btnOK");
    btnOK->setDefault(true);
    btnCancel = Named(new QPushButton(QStringLiteral("キャンセル"), this), "btnCancel");
    bbtnExample = Named(new QPushButton(this), "bbtnExample");
    bbtnAppend = Named(new QPushButton(QStringLiteral("追加(&A)"), this), "bbtnAppend");
    bbtnRewrite = Named(new QPushButton(QStringLiteral("書き換え(&R)"), this), "bbtnRewrite");
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(bbtnExample, &QPushButton::clicked, this, [this] { ShowExamples(!m_example); });
    connect(bbtnAppend, &QPushButton::clicked, this, &TWordEditDialog::AppendClick);
    connect(bbtnRewrite, &QPushButton::clicked, this, &TWordEditDialog::RewriteClick);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(bbtnExample);
    buttons->addWidget(bbtnAppend);
    buttons->addWidget(bbtnRewrite);
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto *grip = Named(new QSizeGrip(this), "pnlGrip");
    buttons->addWidget(grip, 0, Qt::AlignBottom | Qt::AlignRight);

    auto *main = new QVBoxLayout(this);
    main->addWidget(pnlWords, 1);
    main->addWidget(pnlExample, 2);
    main->addLayout(buttons);
    rbVertical->setChecked(true);

    const TMemIniFile ini(SettingsFileName());
    const int example = ini.ReadInteger(kSection, QStringLiteral("Example"), 0);
    m_example = example == 1;
    pnlExample->setVisible(m_example);
    bbtnAppend->setVisible(m_example);
    bbtnRewrite->setVisible(m_example);
    bbtnExample->setText(m_example ? QStringLiteral("文例を隠す(&E)") : QStringLiteral("文例を表示(&E)"));
    ApplyMinimumSize();
    const qreal dpi = logicalDpiX();
    if (ini.ValueExists(kSection, QStringLiteral("Width")) && ini.ValueExists(kSection, QStringLiteral("Height"))) {
        const int w = std::max(kMinWidth, ini.ReadInteger(kSection, QStringLiteral("Width"), kMinWidth));
        const int h = std::max(m_example ? kMinHeightShown : kMinHeightHidden,
                               ini.ReadInteger(kSection, QStringLiteral("Height"), kMinHeightHidden));
        resize(toScreen(w, dpi), toScreen(h, dpi));
    } else {
        resize(toScreen(kMinWidth + 60, dpi), toScreen(m_example ? kMinHeightShown : kMinHeightHidden + 60, dpi));
    }
}

TWordEditDialog::~TWordEditDialog() = default;

void TWordEditDialog::ApplyMinimumSize()
{
    const qreal dpi = logicalDpiX();
    setMinimumSize(toScreen(kMinWidth, dpi), toScreen(m_example ? kMinHeightShown : kMinHeightHidden, dpi));
}

void TWordEditDialog::SetLines(const QStringList &Lines)
{
    memWords->setPlainText(Lines.join(QLatin1Char('\n')));
}

QStringList TWordEditDialog::GetLines() const
{
    const QString text = memWords->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

int TWordEditDialog::GetDirection() const
{
    return rbVertical->isChecked() ? 0 : 1;
}

void TWordEditDialog::SetDirection(int Direction)
{
    (Direction == 0 ? rbVertical : rbHorizontal)->setChecked(true);
}

void TWordEditDialog::SetFont(const QFont &Font)
{
    QFont f = Font;
    QString family = f.family();
    if (family.startsWith(QLatin1Char('@')))
        family.remove(0, 1);
    f.setFamilies({family});
    f.setPointSize(11);
    memWords->setFont(f);
}

void TWordEditDialog::showEvent(QShowEvent *Event)
{
    QDialog::showEvent(Event);
    if (!m_indexLoaded)
        LoadExampleIndex();
}

void TWordEditDialog::Report(const QString &Text)
{
    ShowMessageBoxAt(this, Text, ProductCaption(), MB_OK | MB_ICONERROR, mbpCenterOnOwner, 0, 0);
}

void TWordEditDialog::LoadExampleIndex()
{
    m_indexLoaded = true;
    lbClass->clear();
    lbIndex->clear();
    m_categories.clear();
    m_examples.clear();
    bool found = false;
    const QByteArray bytes = readAll(AppPath + QStringLiteral("Common/Text/Index.rbf"), &found);
    if (!found) {
        Report(QStringLiteral("例分ファイルが見つかりません"));
        return;
    }
    m_categories = ParseExampleIndex(bytes);
    for (int i = 0; i < m_categories.size(); ++i)
        lbClass->addItem(QStringLiteral("%1: %2").arg(i + 1).arg(m_categories[i].Name));
    if (!m_categories.isEmpty())
        lbClass->setCurrentRow(0);
}

void TWordEditDialog::LoadExamples(int Category)
{
    if (Category < 1 || Category > m_categories.size()) {
        Report(QStringLiteral("例文データがありません"));
        return;
    }
    const TExampleCategory &c = m_categories[Category - 1];
    QList<TExample> examples;
    if (c.File.isEmpty()) {
        Report(QStringLiteral("例文データがありません"));
    } else {
        QString relative = c.File;
        relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
        bool found = false;
        const QByteArray bytes = readAll(AppPath + QStringLiteral("Common/") + relative, &found);
        bool ok = false;
        if (found)
            examples = ParseExampleFile(bytes, &ok);
        if (!found || !ok)
            Report(QStringLiteral("例文ファイル「%1」を読めませんでした").arg(c.File));
    }
    m_examples = examples;
    lbIndex->clear();
    memExample->clear();
    for (int i = 0; i < m_examples.size(); ++i)
        lbIndex->addItem(QStringLiteral("%1: %2").arg(i + 1).arg(m_examples[i].Heading));
    if (!m_examples.isEmpty())
        lbIndex->setCurrentRow(0);
}

void TWordEditDialog::ChooseHeading(int Row)
{
    memExample->setPlainText(Row >= 0 && Row < m_examples.size() ? m_examples[Row].Text : QString());
}

QString TWordEditDialog::ChosenExample() const
{
    const int row = lbIndex->currentRow();
    return row >= 0 && row < m_examples.size() ? m_examples[row].Text : QString();
}

void TWordEditDialog::AppendClick()
{
    const int row = lbIndex->currentRow();
    if (row < 0 || row >= m_examples.size())
        return;
    // Only ASCII blanks and line breaks go: the ideographic space indenting
    // a letter's first line is the user's text.
    QString text = TrimBlanks(memWords->toPlainText());
    if (!text.isEmpty())
        text += QLatin1Char('\n');
    memWords->setPlainText(text + ChosenExample());
}

void TWordEditDialog::RewriteClick()
{
    const int row = lbIndex->currentRow();
    if (row < 0 || row >= m_examples.size())
        return;
    memWords->setPlainText(ChosenExample());
}

void TWordEditDialog::ShowExamples(bool Show)
{
    if (Show == m_example && pnlExample->isHidden() == !Show)
        return;
    m_example = Show;
    const int panel = pnlExample->sizeHint().height();
    bbtnExample->setText(Show ? QStringLiteral("文例を隠す(&E)") : QStringLiteral("文例を表示(&E)"));
    ApplyMinimumSize();
    pnlExample->setVisible(Show);
    bbtnAppend->setVisible(Show);
    bbtnRewrite->setVisible(Show);
    int h = height() + (Show ? panel : -panel);
    if (const QScreen *s = screen()) {
        const QRect work = s->availableGeometry();
        h = std::min(h, work.height());
        if (Show && y() + h > work.bottom())
            move(x(), std::max(work.top(), work.bottom() - h));
    }
    resize(width(), std::max(h, minimumHeight()));
}

void TWordEditDialog::done(int Result)
{
    TMemIniFile ini(SettingsFileName());
    const qreal dpi = logicalDpiX();
    ini.WriteInteger(kSection, QStringLiteral("Example"), m_example ? 1 : 0);
    ini.WriteInteger(kSection, QStringLiteral("Width"), fromScreen(width(), dpi));
    ini.WriteInteger(kSection, QStringLiteral("Height"), fromScreen(height(), dpi));
    // The window's size is a convenience; the file layer reports a failure.
    ini.UpdateFileOrTellOnce();
    QDialog::done(Result);
}
