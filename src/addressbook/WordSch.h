#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDialog>
#include <QString>
#include <QStringView>

#include <array>
#include <initializer_list>
#include <vector>

class QLabel;
class QPushButton;
class TTntEdit;

// The word search of the main list: takes the word the window looks for
// among the shown cells. The window passes its kept word with SetWord, runs
// the dialog and, on Accepted, keeps GetWord; "検索の解除" empties the word,
// so accepting it ends the search.
class TWordSearch : public QDialog
{
    Q_OBJECT

public:
    explicit TWordSearch(QWidget *parent = nullptr);
    ~TWordSearch() override;

    int HelpContext = 35;

    // The edit shows Word, all of it selected, the caret at its end.
    void SetWord(const QString &Word);
    // The edit's text without blanks and control characters at either end.
    [[nodiscard]] QString GetWord() const;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void btnClearClick();
    void SelectWord();

    QLabel *lblMsg1 = nullptr;
    QLabel *lblMsg2 = nullptr;
    QLabel *lblMsg3 = nullptr;
    TTntEdit *edtWord = nullptr;
    QPushButton *btnSearch = nullptr;
    QPushButton *btnClear = nullptr;
    QPushButton *btnCancel = nullptr;
};

// The forms the characters of a searched word take in stored Shift-JIS
// bytes, for a quick exact test that a text decoded from bytes
// (Cp932::decode) cannot contain the word. Every character of such a text
// comes from one byte or one double-byte pair of the bytes, so a character
// none of whose forms occurs in them is not in the text. The list's word
// search skips formatting the cells that cannot hold the word.
class TWordBytes
{
    struct TCharForms;

public:
    explicit TWordBytes(QStringView Word);

    // The characters of the word a text must take from its stored bytes
    // when those of Added come from elsewhere, for a test asked of many
    // texts: the characters are chosen once.
    class TNeeds
    {
    public:
        // True when every character may come from elsewhere: no bytes tell.
        [[nodiscard]] bool None() const { return m_chars.empty(); }
        // False only when a needed character is in none of Parts.
        [[nodiscard]] bool In(std::initializer_list<QByteArrayView> Parts) const;
        // The same for a field that may keep its text in the wide form of
        // DecodeUnicodeField, four hexadecimal digits a character.
        [[nodiscard]] bool InWide(QByteArrayView Bytes) const;

    private:
        friend class TWordBytes;
        std::vector<const TCharForms *> m_chars;
    };
    // Valid while this object lives.
    [[nodiscard]] TNeeds Needs(QStringView Added = {}) const;

    // False only when no text made of the decoded Parts and of characters
    // from Added can contain the word.
    [[nodiscard]] bool MayHold(std::initializer_list<QByteArrayView> Parts, QStringView Added = {}) const;

private:
    struct TCharForms {
        QChar Char;
        bool Unknown = false;                    // no test: a replacement character
        QByteArray Singles;                      // the one-byte forms
        std::vector<std::array<char, 2>> Pairs;  // a lead and a trail byte
        std::array<char, 4> Hex{};               // upper-case digits of the wide form
    };
    [[nodiscard]] static bool holds(const TCharForms &Forms, QByteArrayView Bytes);
    std::vector<TCharForms> m_chars;
};
