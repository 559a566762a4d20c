#include "util/MsgBoxPos.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSpacerItem>
#include <QStyle>
#include <QTimer>
#include <QWidget>

namespace {

TMessageBoxSink *g_sink = nullptr;

struct ButtonSpec {
    QMessageBox::StandardButton button;
    int id;
    const char16_t *caption;
};

// The buttons of each MB_* type in the order a Windows box shows them, with
// the captions a Japanese system puts on them.
QList<ButtonSpec> buttonsFor(unsigned flags)
{
    const ButtonSpec ok{QMessageBox::Ok, IDOK, u"OK"};
    const ButtonSpec cancel{QMessageBox::Cancel, IDCANCEL, u"キャンセル"};
    const ButtonSpec yes{QMessageBox::Yes, IDYES, u"はい(&Y)"};
    const ButtonSpec no{QMessageBox::No, IDNO, u"いいえ(&N)"};
    const ButtonSpec abort{QMessageBox::Abort, IDABORT, u"中止(&A)"};
    const ButtonSpec retry{QMessageBox::Retry, IDRETRY, u"再試行(&R)"};
    const ButtonSpec ignore{QMessageBox::Ignore, IDIGNORE, u"無視(&I)"};
    switch (flags & MB_TYPEMASK) {
    case MB_OKCANCEL: return {ok, cancel};
    case MB_ABORTRETRYIGNORE: return {abort, retry, ignore};
    case MB_YESNOCANCEL: return {yes, no, cancel};
    case MB_YESNO: return {yes, no};
    case MB_RETRYCANCEL: return {retry, cancel};
    default: return {ok};
    }
}

QMessageBox::Icon iconFor(unsigned flags)
{
    switch (flags & MB_ICONMASK) {
    case MB_ICONHAND: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONEXCLAMATION: return QMessageBox::Warning;
    case MB_ICONASTERISK: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

// The width a title bar needs to show the caption whole: the window system
// draws it beside the window's icon and up to three buttons, often in bold
// and in a font of its own, and shortens it to "ピ…4" in a narrower box.
// Qt knows the title bar's font only where the platform names one; the
// larger of it and the application's font stands for it.
int captionBarWidth(const QString &caption, const QWidget &box)
{
    QFont font = QApplication::font("QMdiSubWindowTitleBar");
    const QFont plain = QApplication::font();
    if (font.pointSizeF() < plain.pointSizeF())
        font.setPointSizeF(plain.pointSizeF());
    font.setBold(true);
    const int decorations = 5 * box.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &box);
    return QFontMetrics(font).horizontalAdvance(caption) + decorations;
}

QRect workAreaAround(const QRect &r)
{
    QScreen *screen = r.isValid() ? QGuiApplication::screenAt(r.center()) : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

// QMessageBox settles its final size only while it is being shown, so the
// placement is computed again at that moment with the real size.
class TPlacementFilter : public QObject
{
public:
    TPlacementFilter(int mode, QRect ownerRect, QPoint point)
        : m_mode(mode), m_ownerRect(ownerRect), m_point(point)
    {
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *box = static_cast<QWidget *>(watched);
        if (event->type() == QEvent::Show) {
            m_shown = true;
            place(box);
            // The box wraps a long text as it is shown and comes out narrower
            // than it measured: placed again at its final size.
            QTimer::singleShot(0, box, [this, box] { place(box); });
        } else if (m_shown && (event->type() == QEvent::Move || event->type() == QEvent::Resize)) {
            // A window manager frames the box only after it is shown: its
            // title bar makes the frame taller than the box was placed by.
            // Placed again whenever the frame's size is new, so that the
            // frame, not the box under it, stands in the middle.
            if (box->frameGeometry().size() != m_placedSize)
                QTimer::singleShot(0, box, [this, box] { place(box); });
        }
        return false;
    }

private:
    void place(QWidget *Box)
    {
        const QSize size = Box->frameGeometry().size();
        m_placedSize = size;
        const QRect anchor = m_mode == mbpAtPoint ? QRect(m_point, size) : m_ownerRect;
        Box->move(MessageBoxPosition(m_mode, m_ownerRect, size, m_point, workAreaAround(anchor)));
    }

    int m_mode;
    QRect m_ownerRect;
    QPoint m_point;
    bool m_shown = false;
    QSize m_placedSize;
};

} // namespace

QString ProductCaption()
{
    return QStringLiteral("ピルカノス2014");
}

TMessageBoxSink *SetMessageBoxSink(TMessageBoxSink *sink)
{
    TMessageBoxSink *previous = g_sink;
    g_sink = sink;
    return previous;
}

QPoint MessageBoxPosition(int mode, const QRect &ownerRect, const QSize &boxSize, const QPoint &point,
                          const QRect &workArea)
{
    QPoint p;
    if (mode == mbpCenterOnOwner) {
        // Integer division toward zero: an owner smaller than the box gives a
        // negative offset, overlapping the owner equally on both sides.
        p.setX(ownerRect.left() + (ownerRect.width() - boxSize.width()) / 2);
        p.setY(ownerRect.top() + (ownerRect.height() - boxSize.height()) / 2);
    } else if (mode == mbpAtPoint) {
        p = point;
    } else {
        return {};
    }
    // A box pushed past the edge of the screen cannot be read or answered:
    // keep it inside the work area, its top-left corner winning when it is
    // larger than the area.
    if (workArea.isValid()) {
        if (p.x() + boxSize.width() > workArea.right() + 1)
            p.setX(workArea.right() + 1 - boxSize.width());
        if (p.y() + boxSize.height() > workArea.bottom() + 1)
            p.setY(workArea.bottom() + 1 - boxSize.height());
        if (p.x() < workArea.left())
            p.setX(workArea.left());
        if (p.y() < workArea.top())
            p.setY(workArea.top());
    }
    return p;
}

int ShowMessageBoxAt(QWidget *OwnerWnd, const QString &Text, const QString &Caption, unsigned Flags, int Mode,
                     int X, int Y)
{
    QWidget *ownerWindow = OwnerWnd ? OwnerWnd->window() : nullptr;
    QString text = Text;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));

    QMessageBox box(ownerWindow);
    box.setWindowTitle(Caption);
    box.setText(text);
    box.setTextFormat(Qt::PlainText);
    box.setIcon(iconFor(Flags));
    box.setWindowModality(Qt::ApplicationModal);

    const QList<ButtonSpec> specs = buttonsFor(Flags);
    QList<QAbstractButton *> buttons;
    for (const ButtonSpec &spec : specs) {
        QPushButton *b = box.addButton(spec.button);
        b->setText(QString::fromUtf16(spec.caption));
        buttons.append(b);
    }
    const int defaultIndex = int((Flags & MB_DEFMASK) >> 8);
    box.setDefaultButton(qobject_cast<QPushButton *>(buttons.value(defaultIndex, buttons.first())));
    // Esc answers Cancel where there is one; a lone OK answers Esc as OK.
    for (int i = 0; i < specs.size(); ++i)
        if (specs[i].id == IDCANCEL || specs.size() == 1)
            box.setEscapeButton(buttons[i]);

    // QMessageBox sizes itself from its grid when shown; a row of the
    // caption's width keeps the box from being narrower than its title.
    if (auto *grid = qobject_cast<QGridLayout *>(box.layout()))
        grid->addItem(new QSpacerItem(captionBarWidth(Caption, box), 0, QSizePolicy::Fixed, QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, grid->columnCount());

    TMessageBoxRequest request;
    request.owner = OwnerWnd;
    request.text = Text;
    request.caption = Caption;
    request.flags = Flags;
    request.mode = Mode;
    request.point = QPoint(X, Y);
    if (Mode == mbpCenterOnOwner && ownerWindow)
        request.ownerRect = ownerWindow->frameGeometry();
    box.adjustSize();
    request.boxSize = box.size();
    const bool placed = Mode == mbpAtPoint || (Mode == mbpCenterOnOwner && ownerWindow);
    if (placed) {
        const QRect anchor = Mode == mbpAtPoint ? QRect(request.point, request.boxSize) : request.ownerRect;
        request.position = MessageBoxPosition(Mode, request.ownerRect, request.boxSize, request.point,
                                              workAreaAround(anchor));
    }

    if (g_sink)
        return g_sink->answer(request);

    QPointer<QWidget> previousActive = QApplication::activeWindow();
    QPointer<QWidget> previousFocus = QApplication::focusWidget();
    TPlacementFilter placement(Mode, request.ownerRect, request.point);
    if (placed) {
        box.move(request.position); // marks the box as moved, so Qt does not centre it itself
        box.installEventFilter(&placement);
    }

    int result = IDCANCEL;
    try {
        box.exec();
        for (int i = 0; i < specs.size(); ++i)
            if (box.clickedButton() == buttons[i])
                result = specs[i].id;
    } catch (...) {
        result = 0;
    }

    if (previousActive) {
        ForceForegroundWindow(previousActive);
        if (previousFocus)
            previousFocus->setFocus(Qt::OtherFocusReason);
    }
    return result;
}

void ForceForegroundWindow(QWidget *Wnd)
{
    if (!Wnd)
        return;
    QWidget *w = Wnd->window();
    if (w->isMinimized())
        w->showNormal();
    w->raise();
    w->activateWindow();
}

int AskOverwriteOrAppend(const std::function<int(const QString &Text, unsigned Flags)> &Inform)
{
    const int answer = Inform(QStringLiteral("既にあるファイルを指定しました  \r\n上書きするなら「はい」  \r\n"
                                             "追加するなら「いいえ」  \r\n中止するなら「キャンセル」  \r\n"
                                             "を選択してください  "),
                              MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2);
    if (answer == IDCANCEL)
        return 9;
    return answer == IDYES ? 0 : 1;
}
