#include "support/ScriptedMessageBoxes.h"

ScriptedMessageBoxes::ScriptedMessageBoxes()
    : m_previous(SetMessageBoxSink(this))
{
}

ScriptedMessageBoxes::~ScriptedMessageBoxes()
{
    SetMessageBoxSink(m_previous);
}

int ScriptedMessageBoxes::answer(const TMessageBoxRequest &request)
{
    m_shown.append(request);
    if (m_whileShown)
        m_whileShown(request);
    if (!m_answers.isEmpty())
        return m_answers.takeFirst();
    return defaultAnswer(request.flags);
}

int ScriptedMessageBoxes::defaultAnswer(unsigned flags)
{
    static const QList<QList<int>> buttons = {
        {IDOK}, {IDOK, IDCANCEL}, {IDABORT, IDRETRY, IDIGNORE}, {IDYES, IDNO, IDCANCEL}, {IDYES, IDNO},
        {IDRETRY, IDCANCEL},
    };
    const unsigned type = flags & MB_TYPEMASK;
    const QList<int> &set = type < unsigned(buttons.size()) ? buttons[type] : buttons[0];
    const int index = int((flags & MB_DEFMASK) >> 8);
    return set.value(index, set.first());
}
