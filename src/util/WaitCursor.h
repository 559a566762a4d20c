#pragma once

#include <QApplication>

// The hourglass for the length of a scope: set on construction, restored
// however the scope is left (return, exception). Nested ones stack, as the
// application's override cursors do.
class TWaitCursor
{
public:
    TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
    TWaitCursor(const TWaitCursor &) = delete;
    TWaitCursor &operator=(const TWaitCursor &) = delete;
};
