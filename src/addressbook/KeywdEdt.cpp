#include "addressbook/KeywdEdt.h"

#include "core/Env.h"
#include "platform/IniFile.h"
#include "platform/SharedIni.h"
#include "platform/TextLines.h"
#include "util/MsgBoxPos.h"
#include "util/StrFunc.h"
#include "util/SubUnit.h"
#include "util/WaitCursor.h"
#include "util/WriteFailure.h"
#include "widgets/EnterKey.h"
#include "widgets/TntStdCtrls.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

const std::array<TKeywordEdit::TKeywordMode, 5> TKeywordEdit::Modes{{
    {QStringLiteral("全角ひらがな"), 6},
    {QStringLiteral("全角カタカナ"), 8},
    {QStringLiteral("全角英数"), 5},
    {QStringLiteral("半角カタカナ"), 7},
    {QStringLiteral("半角英数"), 1},
}};

std::function<QStringList(int)> TKeywordEdit::OtherItemNames;

namespace {

const QString SecKeyword = QStringLiteral("KEYWORD");

QString fullWidthNumber(int value) { return ToFullWidthW(QString::number(value)); }

int modeIndex(int value)
{
    for (std::size_t i = 0; i < TKeywordEdit::Modes.size(); ++i) {
        if (TKeywordEdit::Modes[i].Value == value)
            return static_cast<int>(i);
    }
    return -1;
}

} // namespace

TKeywordEdit::TKeywordEdit(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("KeywordEdit"));
    // The manual page F1 opens.
    setProperty("HelpContext", HelpContext);
    setWindowTitle(QStringLiteral("キーワード項目の設定"));

    auto *grid = new QGridLayout;
    for (int i = 0; i < RowCount; ++i) {
        const auto n = static_cast<std::size_t>(i + 1);
        auto *number = new QLabel(fullWidthNumber(i + 1), this);
        number->setObjectName(QStringLiteral("lblNo%1").arg(i + 1));
        auto *nameLabel = new QLabel(QStringLiteral("名称："), this);
        auto *modeLabel = new QLabel(QStringLiteral("入力モード："), this);

        auto *edit = new TTntEdit(this);
        edit->setObjectName(QStringLiteral("edtKeyword%1").arg(i + 1));
        edit->SetMaxLengthBytes(MaxKeywordBytes);
        edit->SetText(KeywordNames[n]);
        edit->installEventFilter(this);
        nameLabel->setBuddy(edit);

        auto *combo = new QComboBox(this);
        combo->setObjectName(QStringLiteral("cbxKeyword%1").arg(i + 1));
        for (const TKeywordMode &mode : Modes)
            combo->addItem(mode.Caption);
        // A stored value the list does not offer shows the default mode.
        combo->setCurrentIndex(std::max(0, modeIndex(KeywordModes[n])));
        combo->installEventFilter(this);
        modeLabel->setBuddy(combo);

        grid->addWidget(number, i, 0);
        grid->addWidget(nameLabel, i, 1);
        grid->addWidget(edit, i, 2);
        grid->addWidget(modeLabel, i, 3);
        grid->addWidget(combo, i, 4);
        m_labels[static_cast<std::size_t>(i)] = number;
        m_edits[static_cast<std::size_t>(i)] = edit;
        m_combos[static_cast<std::size_t>(i)] = combo;
    }
    grid->setColumnStretch(2, 1);

    btnOk = new QPushButton(QStringLiteral("OK"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    connect(btnOk, &QPushButton::clicked, this, &TKeywordEdit::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    QWidget *previous = nullptr;
    for (int i = 0; i < RowCount; ++i) {
        for (QWidget *w : {static_cast<QWidget *>(m_edits[static_cast<std::size_t>(i)]),
                           static_cast<QWidget *>(m_combos[static_cast<std::size_t>(i)])}) {
            if (previous)
                setTabOrder(previous, w);
            previous = w;
        }
    }
    setTabOrder(previous, btnOk);
    setTabOrder(btnOk, btnCancel);
    adjustSize();
}

TKeywordEdit::~TKeywordEdit() = default;

void TKeywordEdit::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    CenterFormOnOwner(this, parentWidget());
    m_edits[0]->setFocus();
}

bool TKeywordEdit::eventFilter(QObject *watched, QEvent *event)
{
    auto *edit = qobject_cast<TTntEdit *>(watched);
    if (edit && event->type() == QEvent::FocusOut) {
        edit->CutToMaxLengthBytes();
    } else if (IsEnterKeyPress(event)
               && (edit || std::find(m_combos.begin(), m_combos.end(), watched) != m_combos.end())) {
        focusNextChild();
        if (auto *next = qobject_cast<TTntEdit *>(focusWidget()))
            next->end(false);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TKeywordEdit::accept()
{
    TWaitCursor wait;
    std::array<QString, RowCount> names;
    std::array<int, RowCount> modes{};
    for (int i = 0; i < RowCount; ++i) {
        const auto r = static_cast<std::size_t>(i);
        m_edits[r]->CutToMaxLengthBytes();
        names[r] = TrimBlanks(m_edits[r]->GetText());
        if (names[r].isEmpty()) {
            ShowMessageBoxAt(this,
                             QStringLiteral("キーワード項目") + fullWidthNumber(i + 1) + QStringLiteral("が未入力です  "),
                             ProductCaption(), MB_ICONINFORMATION, mbpCenterOnOwner, 0, 0);
            m_edits[r]->setFocus();
            return;
        }
        modes[r] = Modes[static_cast<std::size_t>(std::max(0, m_combos[r]->currentIndex()))].Value;
    }
    if (!CheckColumnNames(names))
        return;

    // Only the items changed here are written: another program on the data
    // folder may have saved the others meanwhile.
    TMemIniFile base{QString()};
    TMemIniFile mine{QString()};
    for (int i = 0; i < RowCount; ++i) {
        const auto r = static_cast<std::size_t>(i);
        const auto n = r + 1;
        base.WriteString(SecKeyword, QStringLiteral("Name%1").arg(i + 1), KeywordNames[n]);
        base.WriteInteger(SecKeyword, QStringLiteral("Mode%1").arg(i + 1), KeywordModes[n]);
        mine.WriteString(SecKeyword, QStringLiteral("Name%1").arg(i + 1), names[r]);
        mine.WriteInteger(SecKeyword, QStringLiteral("Mode%1").arg(i + 1), modes[r]);
    }
    // Stored first: a failed write keeps the dialog open with what was typed,
    // and the program goes on with the captions the file still holds.
    const QString fileName = DataPath + QStringLiteral("AdrsList.ini");
    QString error;
    if (!SaveIniChanges(fileName, base, mine, &error)) {
        ShowWriteFailure(this, QStringLiteral("キーワード項目の設定"), fileName, error);
        return;
    }
    m_namesChanged = false;
    m_modesChanged = false;
    for (int i = 0; i < RowCount; ++i) {
        const auto r = static_cast<std::size_t>(i);
        const auto n = r + 1;
        if (names[r] != KeywordNames[n])
            m_namesChanged = true;
        if (modes[r] != KeywordModes[n])
            m_modesChanged = true;
        KeywordNames[n] = names[r];
        KeywordModes[n] = modes[r];
    }
    QDialog::accept();
}

bool TKeywordEdit::CheckColumnNames(const std::array<QString, RowCount> &names)
{
    const auto refuse = [this](int i, const QString &text) {
        ShowMessageBoxAt(this, text, ProductCaption(), MB_ICONINFORMATION, mbpCenterOnOwner, 0, 0);
        TTntEdit *edit = m_edits[static_cast<std::size_t>(i)];
        edit->setFocus();
        edit->end(false);
        return false;
    };
    for (int i = 0; i < RowCount; ++i) {
        const QString &name = names[static_cast<std::size_t>(i)];
        // Unquoted in the header line, a comma would split the column and a
        // double quote would hide the commas after it.
        if (name.contains(u',') || name.contains(u'"'))
            return refuse(i, QStringLiteral("キーワード項目") + fullWidthNumber(i + 1)
                                 + QStringLiteral("に「,」と「\"」は使用できません  "));
    }
    for (int j = 1; j < RowCount; ++j) {
        const QString key = CaptionKey(names[static_cast<std::size_t>(j)]);
        for (int i = 0; i < j; ++i) {
            if (CaptionKey(names[static_cast<std::size_t>(i)]) == key)
                return refuse(j, QStringLiteral("同じキーワード項目名は設定できません  "));
        }
    }
    if (!OtherItemNames)
        return true;
    for (int i = 0; i < RowCount; ++i) {
        const QString key = CaptionKey(names[static_cast<std::size_t>(i)]);
        for (const QString &other : OtherItemNames(i + 1)) {
            if (CaptionKey(other) == key)
                return refuse(i, QStringLiteral("キーワード項目") + fullWidthNumber(i + 1) + QStringLiteral("の名称「")
                                     + names[static_cast<std::size_t>(i)]
                                     + QStringLiteral("」は他の項目の名称と同じため設定できません  "));
        }
    }
    return true;
}
