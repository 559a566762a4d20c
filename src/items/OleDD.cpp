#include "items/OleDD.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

TFileDD::TFileDD(QObject *Window)
{
    if (Window)
        RegisterWindow(Window);
}

TFileDD::~TFileDD()
{
    Revoke();
}

void TFileDD::RegisterWindow(QObject *Window)
{
    Revoke();
    m_window = Window;
    // A widget takes drops only when it says so; the property is the widget's own.
    if (Window->metaObject()->indexOfProperty("acceptDrops") >= 0)
        Window->setProperty("acceptDrops", true);
    Window->installEventFilter(this);
}

void TFileDD::Revoke()
{
    if (m_window)
        m_window->removeEventFilter(this);
    m_window = nullptr;
    m_format = TDropFormat::None;
}

TDropFormat TFileDD::FormatOf(const QMimeData *Data)
{
    if (!Data)
        return TDropFormat::None;
    if (Data->hasUrls())
        for (const QUrl &u : Data->urls())
            if (u.isLocalFile())
                return TDropFormat::Files;
    if (Data->hasText())
        return TDropFormat::Text;
    return TDropFormat::None;
}

QStringList TFileDD::DroppedFiles(const QMimeData *Data)
{
    QStringList files;
    if (Data)
        for (const QUrl &u : Data->urls())
            if (u.isLocalFile())
                files.append(u.toLocalFile());
    return files;
}

QString TFileDD::DroppedText(const QMimeData *Data)
{
    if (!Data)
        return {};
    const QString text = Data->text();
    qsizetype from = 0, to = text.size();
    auto blank = [](QChar c) { return c.unicode() <= 0x20 || c.isSpace(); };
    while (from < to && blank(text[from]))
        ++from;
    while (to > from && blank(text[to - 1]))
        --to;
    return text.mid(from, to - from);
}

bool TFileDD::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Watched != m_window)
        return false;
    switch (Event->type()) {
    case QEvent::DragEnter: {
        auto *e = static_cast<QDragEnterEvent *>(Event);
        m_format = FormatOf(e->mimeData());
        if (m_format == TDropFormat::None) {
            e->setDropAction(Qt::IgnoreAction);
            e->ignore();
        } else {
            e->setDropAction(Qt::CopyAction);
            e->accept();
        }
        return true;
    }
    case QEvent::DragMove: {
        auto *e = static_cast<QDragMoveEvent *>(Event);
        if (m_format == TDropFormat::None) {
            e->ignore();
        } else {
            e->setDropAction(Qt::CopyAction);
            e->accept();
        }
        return true;
    }
    case QEvent::DragLeave:
        m_format = TDropFormat::None;
        return true;
    case QEvent::Drop: {
        auto *e = static_cast<QDropEvent *>(Event);
        if (m_format == TDropFormat::None) {
            e->ignore();
            return true;
        }
        Qt::DropAction effect = Qt::CopyAction;
        const int keys = int(e->modifiers()) | int(e->buttons());
        const QPoint pt = e->position().toPoint();
        if (m_format == TDropFormat::Files) {
            if (OnDropFiles)
                OnDropFiles(DroppedFiles(e->mimeData()), keys, effect, pt);
        } else if (OnDropText) {
            OnDropText(DroppedText(e->mimeData()), keys, effect, pt);
        }
        e->setDropAction(effect);
        if (effect == Qt::IgnoreAction)
            e->ignore();
        else
            e->accept();
        return true;
    }
    default:
        return false;
    }
}
