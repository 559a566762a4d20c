#pragma once

#include "util/MsgBoxPos.h"

#include <QList>

#include <functional>
#include <utility>

// Installs itself as the message-box sink for its lifetime: records every box
// a window shows and answers with scripted results, else with the box's
// default button (the first, or the second/third when MB_DEFBUTTON2/3 is set).
class ScriptedMessageBoxes : public TMessageBoxSink
{
public:
    ScriptedMessageBoxes();
    ~ScriptedMessageBoxes() override;

    void enqueue(int answer) { m_answers.append(answer); }
    const QList<TMessageBoxRequest> &shown() const { return m_shown; }
    int count() const { return m_shown.size(); }
    const TMessageBoxRequest &last() const { return m_shown.constLast(); }
    void clear() { m_shown.clear(); }
    // Runs while each box is up, before it is answered: what the user (or
    // another program) does while the box waits.
    void whileShown(std::function<void(const TMessageBoxRequest &)> action) { m_whileShown = std::move(action); }

    int answer(const TMessageBoxRequest &request) override;

    // The button a person pressing Enter would choose.
    static int defaultAnswer(unsigned flags);

private:
    TMessageBoxSink *m_previous = nullptr;
    QList<int> m_answers;
    std::function<void(const TMessageBoxRequest &)> m_whileShown;
    QList<TMessageBoxRequest> m_shown;
};
