#pragma once

#include <QApplication>

// The program's application object. An exception that escapes a window's
// slot or event handler is shown in an error box over the active window, and
// the program goes on with its next event instead of ending: whatever the
// failed command had not done yet stays undone. Every window it shows is
// kept inside its screen's available area (FitWindowIntoScreen).
class TApplication : public QApplication
{
public:
    TApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;
};
