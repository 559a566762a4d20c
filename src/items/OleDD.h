#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QStringList>

#include <functional>

class QMimeData;

// What a drag offers, as the drop target takes it: file names before text.
enum class TDropFormat : quint8 { None = 0, Files = 1, Text = 2 };

// Lets a window accept files and text dropped from other programs. The
// owner registers its window and receives the dropped file names or text
// through the two handlers, which may change the drop's effect.
class TFileDD : public QObject
{
public:
    // KeyState: the keyboard modifiers and mouse buttons during the drop.
    using TDropFilesEvent =
        std::function<void(const QStringList &Files, int KeyState, Qt::DropAction &Effect, QPoint Pt)>;
    using TDropTextEvent = std::function<void(const QString &Text, int KeyState, Qt::DropAction &Effect, QPoint Pt)>;

    explicit TFileDD(QObject *Window = nullptr);
    ~TFileDD() override;

    // Any widget or window; widgets are told to accept drops.
    void RegisterWindow(QObject *Window);
    void Revoke();
    QObject *Window() const { return m_window; }

    TDropFilesEvent OnDropFiles;
    TDropTextEvent OnDropText;

    [[nodiscard]] static TDropFormat FormatOf(const QMimeData *Data);
    // The local file names of a drop, in the order of the drop list.
    [[nodiscard]] static QStringList DroppedFiles(const QMimeData *Data);
    // The dropped text without leading and trailing blanks and controls.
    [[nodiscard]] static QString DroppedText(const QMimeData *Data);

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    QPointer<QObject> m_window;
    TDropFormat m_format = TDropFormat::None;
};
