#pragma once

// A program folder for the windows that search the dictionaries: the built
// dictionary libraries (MURVEN_DIC_LIB_DIR) linked in, and its Dic/ folder
// the data of the committed excerpts (MURVEN_DIC_EXCERPT_DIR). AppPath points
// at it while the object lives.

#include "core/Env.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

class TDicProgramFolder
{
public:
    TDicProgramFolder(const QString &LibDir, const QString &DataDir) : m_kept(AppPath)
    {
        const QDir libs(LibDir);
        for (const QString &name : libs.entryList({QStringLiteral("libwq*.so")}, QDir::Files))
            QFile::link(libs.filePath(name), m_dir.filePath(name));
        QFile::link(QDir(DataDir).absolutePath(), m_dir.filePath(QStringLiteral("Dic")));
        AppPath = m_dir.path() + QLatin1Char('/');
    }
    ~TDicProgramFolder() { AppPath = m_kept; }
    TDicProgramFolder(const TDicProgramFolder &) = delete;
    TDicProgramFolder &operator=(const TDicProgramFolder &) = delete;

private:
    QTemporaryDir m_dir;
    QString m_kept;
};
