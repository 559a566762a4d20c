#include "addressbook/AddExtURL.h"

#include "platform/Cp932.h"
#include "platform/TextLines.h"
#include "util/SubUnit.h"
#include "widgets/TntStdCtrls.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

namespace {

TWindowListSource &windowListSource()
{
    static TWindowListSource source;
    return source;
}

// Window titles and control texts are read up to this many characters.
constexpr int TextLimit = 260;

bool isBrowserTitle(const QString &title)
{
    const QString head = title.left(TextLimit);
    for (const char *marker : {" Internet Explorer", "Firefox", "Chrome", "Netscape"}) {
        if (head.contains(QLatin1String(marker)))
            return true;
    }
    return false;
}

} // namespace

TWindowListSource SetWindowListSource(TWindowListSource source)
{
    return std::exchange(windowListSource(), std::move(source));
}

QString FindBrowserURL(const QList<TCapturedWindow> &windows)
{
    for (const TCapturedWindow &window : windows) {
        if (!isBrowserTitle(window.Title))
            continue;
        QString text;
        for (const TCapturedWindow::TChild &child : window.Children) {
            const QString head = child.Text.left(TextLimit);
            if (child.ClassName.contains(QLatin1String("Edit")) && head.startsWith(QLatin1String("http"))) {
                text = head;
                break;
            }
        }
        text = TrimBlanks(text);
        if (!text.isEmpty())
            return text;
    }
    return {};
}

TAddExtURL::TAddExtURL(QWidget *Owner) : QDialog(Owner)
{
    setObjectName(QStringLiteral("AddExtURL"));
    setWindowTitle(QStringLiteral("外部リンクの登録"));
    setProperty("HelpContext", 23);

    auto *label = new QLabel(QStringLiteral("登録するURLを入力してください"), this);
    edtURL = new TTntEdit(this);
    edtURL->setObjectName(QStringLiteral("edtURL"));
    edtURL->installEventFilter(this);
    label->setBuddy(edtURL);

    bbtnGetURL = new QPushButton(QStringLiteral("URL取り込み"), this);
    bbtnGetURL->setObjectName(QStringLiteral("bbtnGetURL"));
    bbtnGetURL->setAutoDefault(false);
    bbtnGetURL->setEnabled(static_cast<bool>(windowListSource()));
    btnAdd = new QPushButton(QStringLiteral("登録"), this);
    btnAdd->setObjectName(QStringLiteral("btnAdd"));
    btnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    connect(bbtnGetURL, &QPushButton::clicked, this, &TAddExtURL::bbtnGetURLClick);
    connect(btnAdd, &QPushButton::clicked, this, &TAddExtURL::btnAddClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(bbtnGetURL);
    buttons->addStretch();
    buttons->addWidget(btnAdd);
    buttons->addWidget(btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(edtURL);
    layout->addLayout(buttons);
    resize(ScaleForDpi(420, true), sizeHint().height());
}

TAddExtURL::~TAddExtURL() = default;

QByteArray TAddExtURL::GetURL() const { return Cp932::encode(URL()); }

QString TAddExtURL::URL() const { return TrimBlanks(edtURL->GetText()); }

void TAddExtURL::btnAddClick()
{
    if (!URL().isEmpty())
        accept();
}

void TAddExtURL::bbtnGetURLClick()
{
    const TWindowListSource &source = windowListSource();
    edtURL->SetText(source ? FindBrowserURL(source()) : QString());
    edtURL->end(false);
    edtURL->setFocus();
}

void TAddExtURL::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    CenterFormOnOwner(this, parentWidget());
    edtURL->setFocus();
}

bool TAddExtURL::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == edtURL && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            (URL().isEmpty() ? btnCancel : btnAdd)->setFocus();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
