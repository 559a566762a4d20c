#pragma once

#include <QLocale>
#include <QString>
#include <QTranslator>

// Qt's own windows and formats in Japanese whatever the system locale: the
// print and file dialogs, the paper names of the print dialog, the calendar
// popups, and every date, time and number formatted through QLocale (a
// QDateEdit without a display format shows "2026/12/07", not "7 Dec 2026").
// The texts come from Qt's own Japanese catalogue (Debian's
// qt6-translations-l10n, in Qt's translations folder).
//
// The program holds one for its whole run, made after the application
// object and before the first window; it undoes both when it goes.
class TQtJapanese
{
public:
    // Folder: where Qt's catalogues are (QtTranslationsFolder()).
    explicit TQtJapanese(const QString &Folder);
    ~TQtJapanese();
    TQtJapanese(const TQtJapanese &) = delete;
    TQtJapanese &operator=(const TQtJapanese &) = delete;

    // False when the catalogue could not be loaded: the formats are Japanese
    // all the same, only Qt's dialogs keep their English texts. Error() then
    // names the catalogue and the folder.
    [[nodiscard]] bool Loaded() const { return m_loaded; }
    [[nodiscard]] QString Error() const { return m_error; }

private:
    QLocale m_previous;
    QTranslator m_translator;
    bool m_loaded = false;
    QString m_error;
};

// Qt's translations folder, where the system's Qt catalogues are installed.
[[nodiscard]] QString QtTranslationsFolder();
