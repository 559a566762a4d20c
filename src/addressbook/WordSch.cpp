#include "addressbook/WordSch.h"

#include "platform/Cp932.h"
#include "platform/TextLines.h"
#include "util/SubUnit.h"
#include "widgets/EnterKey.h"
#include "widgets/TntStdCtrls.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <cstring>

TWordSearch::TWordSearch(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("WordSearch"));
    // The manual page F1 opens.
    setProperty("HelpContext", HelpContext);
    setWindowTitle(QStringLiteral("一覧内のワード検索"));

    lblMsg1 = new QLabel(QStringLiteral("表示しているアドレス帳一覧の内容を、指定した文字列で検索します"), this);
    lblMsg1->setObjectName(QStringLiteral("lblMsg1"));
    lblMsg2 = new QLabel(QStringLiteral("該当する文字列のある行が見つかれば、その行に移動します"), this);
    lblMsg2->setObjectName(QStringLiteral("lblMsg2"));
    lblMsg3 = new QLabel(QStringLiteral("※アドレス帳の件数が多い場合、検索に時間がかかる場合があります"), this);
    lblMsg3->setObjectName(QStringLiteral("lblMsg3"));

    edtWord = new TTntEdit(this);
    edtWord->setObjectName(QStringLiteral("edtWord"));
    edtWord->installEventFilter(this);

    btnSearch = new QPushButton(QStringLiteral("検索"), this);
    btnSearch->setObjectName(QStringLiteral("btnSearch"));
    btnSearch->setDefault(true);
    btnClear = new QPushButton(QStringLiteral("検索の解除"), this);
    btnClear->setObjectName(QStringLiteral("btnClear"));
    btnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    connect(btnSearch, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnClear, &QPushButton::clicked, this, &TWordSearch::btnClearClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnSearch);
    buttons->addWidget(btnClear);
    buttons->addWidget(btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblMsg1);
    layout->addWidget(lblMsg2);
    layout->addWidget(edtWord);
    layout->addWidget(lblMsg3);
    layout->addLayout(buttons);

    setTabOrder(edtWord, btnSearch);
    setTabOrder(btnSearch, btnClear);
    setTabOrder(btnClear, btnCancel);
    adjustSize();
}

TWordSearch::~TWordSearch() = default;

void TWordSearch::SetWord(const QString &Word)
{
    edtWord->SetText(Word);
    SelectWord();
}

QString TWordSearch::GetWord() const { return TrimBlanks(edtWord->GetText()); }

void TWordSearch::SelectWord()
{
    // Selected from the start forward, so the caret stands at the end.
    edtWord->setCursorPosition(0);
    edtWord->cursorForward(true, static_cast<int>(edtWord->text().size()));
}

void TWordSearch::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    CenterFormOnOwner(this, parentWidget());
    edtWord->setFocus();
    SelectWord();
}

bool TWordSearch::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == edtWord && IsEnterKeyPress(event)) {
        btnSearch->setFocus();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TWordSearch::btnClearClick()
{
    edtWord->SetText(QString());
    accept();
}

// ---- Byte forms of a searched word ----------------------------------------------

namespace {

// Every byte pair the decoder reads as one double-byte character, and what
// each decodes to: a lead byte followed by a trail byte.
struct TPairTable {
    std::vector<std::array<char, 2>> Pairs;
    QString Chars; // one per pair
};

TPairTable decodedPairs()
{
    TPairTable table;
    QByteArray all;
    Cp932::forEachPair([&table, &all](char Lead, char Trail) {
        table.Pairs.push_back({Lead, Trail});
        all.append(Lead).append(Trail);
    });
    // One run decodes as its pairs one by one; should the decoder ever read
    // a pair other than as one character, each is decoded alone.
    table.Chars = Cp932::decode(all);
    if (table.Chars.size() != qsizetype(table.Pairs.size())) {
        table.Chars.clear();
        for (const std::array<char, 2> &pair : table.Pairs) {
            const QString one = Cp932::decode(QByteArrayView(pair.data(), 2));
            table.Chars += one.size() == 1 ? one.front() : QChar(QChar::ReplacementCharacter);
        }
    }
    return table;
}

} // namespace

TWordBytes::TWordBytes(QStringView Word)
{
    for (const QChar c : Word) {
        if (std::any_of(m_chars.begin(), m_chars.end(), [c](const TCharForms &known) { return known.Char == c; }))
            continue;
        TCharForms forms;
        forms.Char = c;
        static constexpr char digits[] = "0123456789ABCDEF";
        for (int k = 0; k < 4; ++k)
            forms.Hex[size_t(k)] = digits[(c.unicode() >> (12 - 4 * k)) & 0xF];
        // Invalid bytes of every kind decode to the replacement character.
        forms.Unknown = c == QChar(QChar::ReplacementCharacter);
        for (int byte = 0; byte < 0x100 && !forms.Unknown; ++byte) {
            const char one = char(byte);
            if (Cp932::decode(QByteArrayView(&one, 1)) == QString(c))
                forms.Singles.append(one);
        }
        m_chars.push_back(std::move(forms));
    }
    static const TPairTable pairs = decodedPairs();
    for (qsizetype i = 0; i < pairs.Chars.size(); ++i) {
        for (TCharForms &forms : m_chars) {
            if (!forms.Unknown && forms.Char == pairs.Chars[i])
                forms.Pairs.push_back(pairs.Pairs[size_t(i)]);
        }
    }
}

bool TWordBytes::holds(const TCharForms &Forms, QByteArrayView Bytes)
{
    const char *begin = Bytes.data();
    const char *end = begin + Bytes.size();
    for (const char single : Forms.Singles) {
        if (std::memchr(begin, single, size_t(end - begin)))
            return true;
    }
    for (const std::array<char, 2> &pair : Forms.Pairs) {
        // Anywhere, not only on character boundaries: a few false finds
        // only cost a formatting.
        for (const char *p = begin; p < end;) {
            const auto *at = static_cast<const char *>(std::memchr(p, pair[0], size_t(end - p)));
            if (!at)
                break;
            if (at + 1 < end && at[1] == pair[1])
                return true;
            p = at + 1;
        }
    }
    return false;
}

TWordBytes::TNeeds TWordBytes::Needs(QStringView Added) const
{
    TNeeds needs;
    for (const TCharForms &forms : m_chars) {
        if (!forms.Unknown && !Added.contains(forms.Char))
            needs.m_chars.push_back(&forms);
    }
    return needs;
}

bool TWordBytes::TNeeds::In(std::initializer_list<QByteArrayView> Parts) const
{
    for (const TCharForms *forms : m_chars) {
        if (std::none_of(Parts.begin(), Parts.end(), [forms](QByteArrayView part) { return holds(*forms, part); }))
            return false;
    }
    return true;
}

bool TWordBytes::TNeeds::InWide(QByteArrayView Bytes) const
{
    // A text not in the wide form decodes as Shift-JIS.
    const auto hexAt = [&Bytes](qsizetype i, const std::array<char, 4> &hex) {
        for (size_t k = 0; k < hex.size(); ++k) {
            const char c = Bytes[i + qsizetype(k)];
            if (c != hex[k] && !(c >= 'a' && c <= 'f' && c - 'a' + 'A' == hex[k]))
                return false;
        }
        return true;
    };
    for (const TCharForms *forms : m_chars) {
        if (holds(*forms, Bytes))
            continue;
        bool found = false;
        for (qsizetype i = 0; i + 4 <= Bytes.size() && !found; ++i)
            found = hexAt(i, forms->Hex);
        if (!found)
            return false;
    }
    return true;
}

bool TWordBytes::MayHold(std::initializer_list<QByteArrayView> Parts, QStringView Added) const
{
    return Needs(Added).In(Parts);
}
