#include "widgets/ByteLimitValidator.h"

#include "platform/Cp932.h"

#include <algorithm>

TByteLimitValidator::TByteLimitValidator(int maxBytes, QObject *parent)
    : QValidator(parent), m_maxBytes(std::max(0, maxBytes))
{
}

void TByteLimitValidator::SetMaxBytes(int maxBytes)
{
    maxBytes = std::max(0, maxBytes);
    if (maxBytes == m_maxBytes)
        return;
    m_maxBytes = maxBytes;
    emit changed();
}

QValidator::State TByteLimitValidator::validate(QString &input, int &pos) const
{
    if (m_maxBytes == 0 || Cp932::byteLength(input) <= m_maxBytes) {
        m_lastAccepted = input;
        return Acceptable;
    }
    // A text that was already too long (the limit was lowered under it) may
    // still be shortened or edited without growing.
    if (Cp932::byteLength(input) <= Cp932::byteLength(m_lastAccepted)) {
        m_lastAccepted = input;
        return Acceptable;
    }
    // ... but not grow.
    if (Cp932::byteLength(m_lastAccepted) > m_maxBytes)
        return Invalid;

    // What the user inserted ends at the caret: keep the text after it whole
    // and cut the part before it back to the room that is left.
    const qsizetype caret = std::clamp<qsizetype>(pos, 0, input.size());
    const QStringView head = QStringView(input).left(caret);
    const QStringView tail = QStringView(input).mid(caret);
    const qsizetype room = m_maxBytes - Cp932::byteLength(tail);
    QString cut;
    qsizetype newPos = 0;
    if (room >= 0) {
        const QString keptHead = Cp932::truncatedToBytes(head, room);
        newPos = keptHead.size();
        cut = keptHead;
        cut.append(tail);
    } else {
        cut = Cp932::truncatedToBytes(input, m_maxBytes);
        newPos = cut.size();
    }

    // Nothing of the insertion fits: refuse the key or paste, so the edit
    // keeps its text and reports no change.
    if (cut == m_lastAccepted)
        return Invalid;

    input = cut;
    pos = static_cast<int>(newPos);
    m_lastAccepted = input;
    return Acceptable;
}
