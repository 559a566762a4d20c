#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <string>

class QWidget;

// The manual as F1 opens it in the program, for the windows' tests: the
// manual built from its source, a viewer on the PATH that takes a page (a
// script that notes nothing and ends), and F1 watched as the start-up
// watches it. A test presses F1 in a window's control and reads the page the
// viewer was asked to open, then the heading printed on that page.
class ManualF1
{
public:
    ManualF1();
    ~ManualF1();
    ManualF1(const ManualF1 &) = delete;
    ManualF1 &operator=(const ManualF1 &) = delete;

    // Shows the window of Widget, gives Widget the focus and presses F1 in
    // it: the page (from 1) the viewer was started at, 0 when none was.
    [[nodiscard]] int PageOpenedByF1(QWidget *Widget);
    // The page the viewer was started at by Act (a command of a menu), 0
    // when none was.
    [[nodiscard]] int PageOpenedBy(const std::function<void()> &Act);
    // The first line of text of a page of the built manual (its heading) as
    // a reader copies it, each run of blanks one blank, in UTF-8 (so a test
    // names it as it reads); empty for a page it does not have.
    [[nodiscard]] static std::string Heading(int Page);
    // The heading of the page F1 opens from Control.
    [[nodiscard]] std::string HeadingOpenedByF1(QWidget *Control);
    // The heading of the page F1 opens from Window where it puts the focus
    // when it opens (its first control when it puts it nowhere).
    [[nodiscard]] std::string HeadingOpenedByF1In(QWidget *Window);
    // A heading as Heading gives it: the contents' text, blanks folded.
    [[nodiscard]] static std::string AsRead(const char16_t *Text);

private:
    [[nodiscard]] QString log() const;
    [[nodiscard]] QStringList started() const; // the viewer's command lines

    QTemporaryDir m_bin;
    QByteArray m_savedPath;
    bool m_hadPath = false;
};
