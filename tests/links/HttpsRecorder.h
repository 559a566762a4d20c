#pragma once

#include <QDesktopServices>
#include <QList>
#include <QObject>
#include <QUrl>

// Stands for the desktop's opener of https URLs while it lives.
class THttpsRecorder : public QObject
{
    Q_OBJECT

public:
    THttpsRecorder() { QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "open"); }
    ~THttpsRecorder() override { QDesktopServices::unsetUrlHandler(QStringLiteral("https")); }
    QList<QUrl> opened;

public slots:
    void open(const QUrl &url) { opened << url; }
};
