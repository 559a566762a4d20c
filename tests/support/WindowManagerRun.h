#pragma once

#include <QString>

// Cases that need a real window system: the offscreen platform knows a
// window's frame the moment the window is made, a window system with a window
// manager only once the manager has framed it, and where a window opens (and
// opens again) depends on that. RunUnderWindowManager starts an X server of
// its own (Xvfb) with a window manager that frames windows with a title bar
// (Openbox), as a user's desktop does, and runs the cases of this test
// program that match Filter there, in a child on the xcb platform. The child
// sees UnderWindowManager() true; the cases it runs wait for the manager with
// WaitForWindowManager() first.
struct TWindowManagerRun {
    bool Ran = false;       // false: the tools are missing (SkipReason says which)
    QString SkipReason;
    int ExitCode = -1;      // the child's, 0 when every case passed
    QString Output;         // the child's output, for the failure message
};

[[nodiscard]] TWindowManagerRun RunUnderWindowManager(const QString &Filter);

// Whether this process is such a child.
[[nodiscard]] bool UnderWindowManager();

// Shows a small window until the manager has framed it (a title bar above
// it): false when none frames it within a few seconds.
[[nodiscard]] bool WaitForWindowManager();
