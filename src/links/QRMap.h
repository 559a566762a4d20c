#pragma once

#include <QByteArray>
#include <QDialog>
#include <QImage>
#include <QString>

#include "items/QrModules.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QWidget;

// A QR code of Data (byte mode, error correction M) drawn in memory: black
// modules of ModuleSize pixels on white, with the four-module quiet zone a
// reader needs; a null image when the data does not fit a QR code.
[[nodiscard]] QImage QrCodeImage(const QByteArray &Data, int ModuleSize);
// Modules across the code of Data, without the quiet zone; 0 when it does not
// fit.
[[nodiscard]] int QrCodeModules(const QByteArray &Data);

// The dialog "iMapFan/ケータイ地図MapFan": the QR code of the mobile map
// site's link to the record's address, to be read with a telephone. The
// module size (1..5 pixels) is chosen with the arrows or typed; either way
// the code is drawn again, and the size is kept in [QRMAP] Size. The link
// carries the address in Shift-JIS: a character it lacks (an address taken
// from a dictionary may hold 𠮷) is left out of the code, and the dialog
// names it under the address.
class TQRCodeMap : public QDialog
{
    Q_OBJECT

public:
    explicit TQRCodeMap(QWidget *Owner = nullptr);
    ~TQRCodeMap() override;

    void SetAddress(const QString &Address);
    [[nodiscard]] QString Address() const { return m_address; }
    [[nodiscard]] int ModuleSize() const { return m_moduleSize; }
    // The code as shown (null before the first build).
    [[nodiscard]] const QImage &Code() const { return m_code; }

protected:
    void showEvent(QShowEvent *Event) override;
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    void BuildCode();
    void SizeChanged(int Size);

    QString m_address;
    int m_moduleSize = 3;
    QImage m_code;
    QLineEdit *edtAdrs = nullptr;
    QLabel *lblNotEncoded = nullptr;
    QWidget *pnlQRCode = nullptr;
    QSpinBox *udSize = nullptr;
    QPushButton *btnClose = nullptr;
};
