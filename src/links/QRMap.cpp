#include "links/QRMap.h"

#include "core/Env.h"
#include "links/LinkUrl.h"
#include "platform/IniFile.h"
#include "util/WaitCursor.h"
#include "widgets/ByteLimitValidator.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>


namespace {

const QString kSection = QStringLiteral("QRMAP");
const QString kSize = QStringLiteral("Size");
constexpr int kDefaultSize = 3;

// The white panel the code is drawn on, centred and cut when larger.
class TQrPanel : public QWidget
{
public:
    TQrPanel(QWidget *Parent, const QImage &Code)
        : QWidget(Parent)
        , m_code(Code)
    {
        setFixedSize(297, 297);
        setAutoFillBackground(true);
        QPalette p = palette();
        p.setColor(QPalette::Window, Qt::white);
        setPalette(p);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        if (m_code.isNull())
            return;
        QPainter painter(this);
        painter.drawImage((width() - m_code.width()) / 2, (height() - m_code.height()) / 2, m_code);
    }

private:
    const QImage &m_code;
};

} // namespace

int QrCodeModules(const QByteArray &Data)
{
    return int(QrEncodeModules(Data, EQrMode::Bytes).size());
}

QImage QrCodeImage(const QByteArray &Data, int ModuleSize)
{
    const QList<QList<bool>> code = QrEncodeModules(Data, EQrMode::Bytes);
    if (code.isEmpty() || ModuleSize < 1)
        return {};
    const int modules = int(code.size());
    const int side = (modules + 2 * QrQuietZone) * ModuleSize;
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    for (int y = 0; y < modules; ++y)
        for (int x = 0; x < modules; ++x)
            if (code[y][x])
                painter.fillRect((x + QrQuietZone) * ModuleSize, (y + QrQuietZone) * ModuleSize, ModuleSize, ModuleSize,
                                 Qt::black);
    return image;
}

TQRCodeMap::TQRCodeMap(QWidget *Owner)
    : QDialog(Owner)
{
    setWindowTitle(QStringLiteral("iMapFan/ケータイ地図MapFan"));
    setProperty("HelpContext", 43);
    auto *grid = new QGridLayout(this);
    auto *about = new QLabel(QStringLiteral("携帯電話で読み取ると、この住所の地図が表示されます。"), this);
    grid->addWidget(about, 0, 0, 1, 3);
    edtAdrs = new QLineEdit(this);
    edtAdrs->setObjectName(QStringLiteral("edtAdrs"));
    edtAdrs->setReadOnly(true);
    grid->addWidget(edtAdrs, 1, 0, 1, 3);
    lblNotEncoded = new QLabel(this);
    lblNotEncoded->setObjectName(QStringLiteral("lblNotEncoded"));
    lblNotEncoded->setWordWrap(true);
    lblNotEncoded->hide();
    grid->addWidget(lblNotEncoded, 2, 0, 1, 3);
    pnlQRCode = new TQrPanel(this, m_code);
    pnlQRCode->setObjectName(QStringLiteral("pnlQRCode"));
    grid->addWidget(pnlQRCode, 3, 0, 1, 3, Qt::AlignCenter);
    grid->addWidget(new QLabel(QStringLiteral("表示サイズ："), this), 4, 0);
    udSize = new QSpinBox(this);
    udSize->setObjectName(QStringLiteral("udSize"));
    udSize->setRange(1, 5);
    // A typed size counts once it is confirmed (Enter or leaving the edit);
    // a text that is no size is put back to the last one.
    udSize->setKeyboardTracking(false);
    grid->addWidget(udSize, 4, 1);
    btnClose = new QPushButton(QStringLiteral("閉じる"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    grid->addWidget(btnClose, 4, 2);
    connect(btnClose, &QPushButton::clicked, this, [this] { done(2); });

    const TMemIniFile ini(SettingsFileName());
    int size = ini.ReadInteger(kSection, kSize, kDefaultSize);
    if (size < 1 || size > 5)
        size = kDefaultSize;
    m_moduleSize = size;
    udSize->setValue(size);
    connect(udSize, &QSpinBox::valueChanged, this, [this](int value) { SizeChanged(value); });
    udSize->installEventFilter(this);
}

bool TQRCodeMap::eventFilter(QObject *Watched, QEvent *Event)
{
    // Enter takes a typed size; on a size left as it was it walks on to
    // 閉じる. It never closes the dialog.
    if (Watched == udSize && Event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(Event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            const int before = udSize->value();
            udSize->interpretText();
            if (udSize->value() == before)
                btnClose->setFocus();
            return true;
        }
    }
    return QDialog::eventFilter(Watched, Event);
}

TQRCodeMap::~TQRCodeMap()
{
    TMemIniFile ini(SettingsFileName());
    ini.WriteInteger(kSection, kSize, udSize->value());
    ini.UpdateFileOrTellOnce(); // the size is a convenience: a failed write loses only it
}

void TQRCodeMap::SetAddress(const QString &Address)
{
    if (Address == m_address)
        return;
    m_address = Address.trimmed();
    edtAdrs->setText(m_address);
    const QStringList lacking = UnstorableCharList(m_address);
    lblNotEncoded->setText(QStringLiteral("QRコードにできない文字は除いています：") + lacking.join(QStringLiteral("、")));
    lblNotEncoded->setVisible(!lacking.isEmpty());
    if (isVisible())
        BuildCode();
}

void TQRCodeMap::showEvent(QShowEvent *Event)
{
    QDialog::showEvent(Event);
    BuildCode();
}

void TQRCodeMap::SizeChanged(int Size)
{
    m_moduleSize = Size;
    if (isVisible())
        BuildCode();
}

void TQRCodeMap::BuildCode()
{
    TWaitCursor wait;
    QString encoded = m_address;
    for (const QString &lacking : UnstorableCharList(m_address))
        encoded.remove(lacking);
    const QImage code = QrCodeImage(MapLinkUrl(encoded), m_moduleSize);
    if (!code.isNull())
        m_code = code;
    pnlQRCode->update();
}
