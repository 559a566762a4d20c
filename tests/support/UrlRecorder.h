#pragma once

#include <QDesktopServices>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QUrl>

// Stands for the desktop's opener while it lives: every URL of the given
// schemes that the program hands over is recorded instead of opened.
class TUrlRecorder : public QObject
{
    Q_OBJECT

public:
    explicit TUrlRecorder(const QStringList &schemes)
        : m_schemes(schemes)
    {
        for (const QString &scheme : m_schemes)
            QDesktopServices::setUrlHandler(scheme, this, "open");
    }
    ~TUrlRecorder() override
    {
        for (const QString &scheme : m_schemes)
            QDesktopServices::unsetUrlHandler(scheme);
    }

    QList<QUrl> opened;

public slots:
    void open(const QUrl &url) { opened << url; }

private:
    QStringList m_schemes;
};
