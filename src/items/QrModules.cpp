#include "items/QrModules.h"

#include <qrencode.h>

#include <memory>

QList<QList<bool>> QrEncodeModules(const QByteArray &Data, EQrMode Mode)
{
    QList<QList<bool>> modules;
    if (Data.isEmpty())
        return modules;
    std::unique_ptr<QRcode, void (*)(QRcode *)> code(
        Mode == EQrMode::Kanji
            ? QRcode_encodeString(Data.constData(), 0, QR_ECLEVEL_M, QR_MODE_KANJI, 1)
            : QRcode_encodeData(int(Data.size()), reinterpret_cast<const unsigned char *>(Data.constData()), 0,
                                QR_ECLEVEL_M),
        QRcode_free);
    if (!code)
        return modules;
    const int width = code->width;
    modules.reserve(width);
    for (int y = 0; y < width; ++y) {
        QList<bool> row(width);
        for (int x = 0; x < width; ++x)
            row[x] = code->data[y * width + x] & 1; // bit 0 set: a dark module
        modules.append(row);
    }
    return modules;
}
