#include "core/QtJapanese.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>

namespace {

// The catalogue of the Qt modules the program uses (core, widgets, printing).
const QString kCatalogue = QStringLiteral("qtbase");

} // namespace

TQtJapanese::TQtJapanese(const QString &Folder)
{
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    // Widgets made from now on take it: date edits, calendars, numbers.
    QLocale::setDefault(japanese);
    if (!m_translator.load(japanese, kCatalogue, QStringLiteral("_"), Folder)) {
        m_error = QStringLiteral("%1_ja.qm not found in %2").arg(kCatalogue, QDir::toNativeSeparators(Folder));
        return;
    }
    m_loaded = QCoreApplication::installTranslator(&m_translator);
    if (!m_loaded)
        m_error = QStringLiteral("%1_ja.qm could not be installed (no application object)").arg(kCatalogue);
}

TQtJapanese::~TQtJapanese()
{
    if (m_loaded)
        QCoreApplication::removeTranslator(&m_translator);
    QLocale::setDefault(m_previous);
}

QString QtTranslationsFolder()
{
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}
