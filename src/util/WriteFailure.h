#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// Tells the user that a file could not be written: what was being saved
// ("グループ名" ...), the file, and the system's reason, in an error box
// centred on Owner. Whoever calls it keeps what the user entered.
void ShowWriteFailure(QWidget *Owner, const QString &What, const QString &Path, const QString &Reason);

// Tells the user that a settings file could not be read: the file, and where
// the unreadable copy was kept (KeptAs empty: it could not be moved and is
// left untouched); the defaults are used.
void ShowUnreadableSettings(const QString &Path, const QString &KeptAs);

// Tells the user that entries of a settings file could not be read (a
// damaged byte): the file, the entries ("[GROUP] Group3"), which take their
// default values, and where a copy of the file as it was is kept (KeptAs
// empty: none could be made, and the file is not written over).
void ShowDamagedSettings(const QString &Path, const QString &KeptAs, const QStringList &Entries);

// Tells the user that settings the program goes on without (a window's
// place, a dialog's last choices) could not be saved: the file, which is kept
// as it was, and the cause. Shown once per file and run, not a box per write.
void ShowSettingsNotSaved(const QString &Path, const QString &Reason);

// Makes every reader of a stored file tell the user through ShowUnreadableSettings,
// and every reader of a settings file with damaged entries through ShowDamagedSettings
// (from another thread, once the user-interface thread is free again).
void InstallUnreadableSettingsNotice();

// Makes every settings write the program goes on without tell the user
// through ShowSettingsNotSaved (from another thread, once the user-interface
// thread is free again).
void InstallSettingsNotSavedNotice();
