#include "dialogs/ItemDlgSub.h"

#include "core/Env.h"
#include "dialogs/LytFont.h"
#include "platform/IniFile.h"

#include <QColorDialog>
#include <QMouseEvent>
#include <QPainter>

TItemPreview::TItemPreview(QWidget *Parent) : QWidget(Parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

void TItemPreview::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    if (OnPaint)
        OnPaint(p);
}

void TItemPreview::mousePressEvent(QMouseEvent *Event)
{
    if (OnMousePress)
        OnMousePress(Event);
}

void TItemPreview::mouseMoveEvent(QMouseEvent *Event)
{
    if (OnMouseMove)
        OnMouseMove(Event);
}

void TItemPreview::mouseReleaseEvent(QMouseEvent *Event)
{
    if (OnMouseRelease)
        OnMouseRelease(Event);
}

TColorSwatch::TColorSwatch(QWidget *Parent) : QLabel(Parent)
{
    setFixedSize(40, 20);
    setFrameShape(QFrame::Box);
    SetColor(clBlack);
}

void TColorSwatch::SetColor(TColor Value)
{
    m_color = Value;
    setStyleSheet(QStringLiteral("background-color: %1").arg(ColorToQColor(Value).name()));
}

TColorDialogRunner DefaultColorDialogRunner(QWidget *Parent)
{
    return [Parent](const QColor &Current, QList<QColor> &Custom) -> std::optional<QColor> {
        for (int i = 0; i < Custom.size(); ++i)
            QColorDialog::setCustomColor(i, Custom[i]);
        const QColor chosen = QColorDialog::getColor(Current, Parent);
        for (int i = 0; i < Custom.size(); ++i)
            Custom[i] = QColorDialog::customColor(i);
        return chosen.isValid() ? std::optional<QColor>(chosen) : std::nullopt;
    };
}

std::optional<TColor> ChooseItemColor(const TColorDialogRunner &Run, TColor Current, bool WithCustomColors)
{
    QList<QColor> custom = WithCustomColors ? LoadCustomColors() : QList<QColor>(16, Qt::black);
    const std::optional<QColor> chosen = Run ? Run(ColorToQColor(Current), custom) : std::nullopt;
    if (WithCustomColors)
        SaveCustomColors(custom);
    if (!chosen)
        return std::nullopt;
    return QColorToColor(*chosen);
}

std::optional<TColor> ChooseSwatchColor(const TColorDialogRunner &Run, TColorSwatch *Swatch, bool WithCustomColors)
{
    const std::optional<TColor> c = ChooseItemColor(Run, Swatch->Color(), WithCustomColors);
    if (c)
        Swatch->SetColor(*c);
    return c;
}

void SetBlueCaption(QWidget *Widget, bool Blue)
{
    Widget->setStyleSheet(Blue ? QStringLiteral("color: rgb(0,0,255)") : QString());
}

int ReadDesignSetting(const QString &Key, int Default)
{
    const TMemIniFile ini(SettingsFileName());
    return ini.ReadInteger(QStringLiteral("DESIGN"), Key, Default);
}

void WriteDesignSetting(const QString &Key, int Value)
{
    TMemIniFile ini(SettingsFileName());
    ini.WriteInteger(QStringLiteral("DESIGN"), Key, Value);
    // A remembered page is a convenience; the file layer reports a failure.
    ini.UpdateFileOrTellOnce();
}

#include "dialogs/UpDown.h"

#include <QKeyEvent>
#include <QLineEdit>

TNumberEditLink::TNumberEditLink(QLineEdit *Edit, TUpDown *UpDown) : QObject(Edit), m_edit(Edit), m_upDown(UpDown)
{
    m_edit->installEventFilter(this);
    connect(m_edit, &QLineEdit::editingFinished, this, &TNumberEditLink::Exit);
    m_upDown->OnClick = [this] {
        m_edit->setText(QString::number(m_upDown->Position()));
        if (OnChange)
            OnChange(m_upDown->Position());
    };
}

void TNumberEditLink::Show(int Value)
{
    m_upDown->SetPosition(Value);
    m_edit->setText(QString::number(m_upDown->Position()));
}

void TNumberEditLink::Exit()
{
    bool ok = false;
    const int value = m_edit->text().trimmed().toInt(&ok);
    if (!ok || value < 0) {
        m_edit->setText(QString::number(m_upDown->Position()));
        return;
    }
    Show(value);
    if (OnChange)
        OnChange(m_upDown->Position());
}

bool TNumberEditLink::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Watched == m_edit && Event->type() == QEvent::KeyPress) {
        int step = 0;
        switch (static_cast<QKeyEvent *>(Event)->key()) {
        case Qt::Key_PageUp: step = 10; break;
        case Qt::Key_PageDown: step = -10; break;
        case Qt::Key_Up: step = 1; break;
        case Qt::Key_Down: step = -1; break;
        default: break;
        }
        if (step != 0) {
            Show(m_upDown->Position() + step);
            if (OnChange)
                OnChange(m_upDown->Position());
            return true;
        }
    }
    return QObject::eventFilter(Watched, Event);
}

#include <QFileDialog>
#include <QGridLayout>
#include <QImageReader>

QString ChooseImageFileName(QWidget *Parent)
{
    QFileDialog dialog(Parent, QStringLiteral("画像を選択"));
    dialog.setObjectName(QStringLiteral("ImageFileDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({QStringLiteral("画像ファイル (*.bmp *.jpg *.jpeg)"),
                           QStringLiteral("すべてのファイル (*)")});
    auto *preview = new QLabel(&dialog);
    preview->setObjectName(QStringLiteral("lblImagePreview"));
    preview->setFixedSize(160, 160);
    preview->setAlignment(Qt::AlignCenter);
    preview->setFrameShape(QFrame::Box);
    if (auto *grid = qobject_cast<QGridLayout *>(dialog.layout()))
        grid->addWidget(preview, 0, grid->columnCount(), grid->rowCount(), 1);
    QObject::connect(&dialog, &QFileDialog::currentChanged, preview, [preview](const QString &Path) {
        QImageReader reader(Path);
        reader.setAutoTransform(true);
        const QSize size = reader.size();
        // A damaged header never makes the preview allocate without bound.
        if (!size.isValid() || size.width() > 20000 || size.height() > 20000) {
            preview->clear();
            return;
        }
        reader.setScaledSize(size.scaled(156, 156, Qt::KeepAspectRatio));
        preview->setPixmap(QPixmap::fromImage(reader.read()));
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

#include "items/RectFrame.h"

#include <QComboBox>
#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

QLabel *NewLabel(QWidget *Parent, const char *Name, const QString &Caption)
{
    return Named(new QLabel(Caption, Parent), Name);
}

QWidget *AddTabPage(QTabWidget *Tabs, const char *Name, const QString &Caption)
{
    QWidget *page = Named(new QWidget, Name);
    Tabs->addTab(page, Caption);
    return page;
}

void StartItemDialog(QDialog *Dialog, const QString &Name, const QString &Title)
{
    Dialog->setObjectName(Name);
    Dialog->setWindowTitle(Title);
    Dialog->setWindowFlags(Dialog->windowFlags() & ~Qt::WindowContextHelpButtonHint);
}

QVBoxLayout *LayOutAboveButtons(QDialog *Dialog, QLayout *Top, QPushButton *Ok, QPushButton *Cancel)
{
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Ok);
    buttons->addWidget(Cancel);
    auto *main = new QVBoxLayout(Dialog);
    main->addLayout(Top);
    main->addLayout(buttons);
    return main;
}

void NewAngleEdit(QWidget *Parent, QLineEdit *&Edit, TUpDown *&UpDown)
{
    Edit = Named(new QLineEdit(QStringLiteral("0"), Parent), "edAngle");
    Edit->setMaxLength(3);
    UpDown = Named(new TUpDown(Parent), "udAngle");
    UpDown->SetMin(0);
    UpDown->SetMax(359);
}

void NewFrameLists(QWidget *Parent, QComboBox *&LineCount, QComboBox *&Corner, QComboBox *&LineWidth)
{
    LineCount = Named(new QComboBox(Parent), "cbxLineCount");
    LineCount->addItems({QStringLiteral("一重線"), QStringLiteral("二重線")});
    Corner = Named(new QComboBox(Parent), "cbxCorner");
    Corner->addItems({QStringLiteral("四角"), QStringLiteral("丸")});
    LineWidth = Named(new QComboBox(Parent), "cbxLineWidth");
    LineWidth->addItems({QStringLiteral("細い"), QStringLiteral("ふつう"), QStringLiteral("太い")});
}

void ApplyFrameLists(TRectFrame &Frame, const QComboBox *LineCount, const QComboBox *Corner,
                     const QComboBox *LineWidth)
{
    Frame.SetLineCount(quint8(std::max(0, LineCount->currentIndex())));
    Frame.SetCorner(quint8(std::max(0, Corner->currentIndex())));
    Frame.SetLineWidth(quint8(std::max(0, LineWidth->currentIndex())));
}

bool ChooseFrameColor(const TColorDialogRunner &Run, TRectFrame &Frame, int Tag, TColorSwatch *FrameSwatch,
                      TColorSwatch *BackSwatch)
{
    const std::optional<TColor> c = ChooseSwatchColor(Run, Tag == 0 ? FrameSwatch : BackSwatch);
    if (!c)
        return false;
    if (Tag == 0)
        Frame.SetFrameColor(*c);
    else
        Frame.SetBackColor(*c);
    return true;
}
