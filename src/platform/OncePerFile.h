#pragma once

#include <QFileInfo>
#include <QMutex>
#include <QSet>
#include <QString>

#include <optional>
#include <utility>

// A notice that tells the user of each file once per run, from any thread:
// a settings file that keeps failing is named once, not at every use.
template<class Notice>
class TOncePerFileNotice
{
public:
    // Installs Notice and returns the one it replaces; the files told
    // about are forgotten.
    Notice Set(Notice notice)
    {
        QMutexLocker lock(&m_mutex);
        std::swap(m_notice, notice);
        m_told.clear();
        return notice;
    }

    // The notice to tell of fileName through, the first time it is asked
    // for that file in this run (an empty function where none is
    // installed); nothing after.
    std::optional<Notice> First(const QString &fileName)
    {
        QMutexLocker lock(&m_mutex);
        const QString key = QFileInfo(fileName).absoluteFilePath();
        if (m_told.contains(key))
            return std::nullopt;
        m_told.insert(key);
        return m_notice;
    }

private:
    QMutex m_mutex;
    QSet<QString> m_told;
    Notice m_notice;
};
