#pragma once

#include <QString>
#include <QValidator>

// Limits the text of one line edit to a number of CP932 bytes, the width of
// the Shift-JIS field the text is stored in. Input is cut only between whole
// characters: a typed character that does not fit is refused, a pasted text
// that does not fit is cut after the last character that does. Text set by
// the program is cut the same way. 0 bytes means no limit.
//
// It remembers the last text it accepted to tell a refused key from a cut
// paste, so each edit needs its own validator.
class TByteLimitValidator : public QValidator
{
    Q_OBJECT

public:
    explicit TByteLimitValidator(int maxBytes, QObject *parent = nullptr);

    [[nodiscard]] int MaxBytes() const { return m_maxBytes; }
    void SetMaxBytes(int maxBytes);

    // pos is the caret after the change: the inserted text ends there, so an
    // overflow is removed from just before it, a whole character at a time.
    State validate(QString &input, int &pos) const override;

private:
    int m_maxBytes;
    mutable QString m_lastAccepted;
};
