#pragma once

#include <QString>

class QWidget;

// Tells the user that a file could not be written: what was being saved
// ("グループ名" ...), the file, and the system's reason, in an error box
// centred on Owner. Whoever calls it keeps what the user entered.
void ShowWriteFailure(QWidget *Owner, const QString &What, const QString &Path, const QString &Reason);
