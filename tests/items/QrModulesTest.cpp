#include "items/QrModules.h"

#include <qrencode.h>

#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(QrEncodeModules, emptyDataHasNoModulesInEitherMode)
{
    EXPECT_TRUE(QrEncodeModules(QByteArray(), EQrMode::Bytes).isEmpty());
    EXPECT_TRUE(QrEncodeModules(QByteArray(), EQrMode::Kanji).isEmpty());
}

TEST(QrEncodeModules, bytesModeIsTheByteEncodedSymbolRowByRow)
{
    const QByteArray data = QByteArrayLiteral("http://example.jp/?a=%93%8C");
    std::unique_ptr<QRcode, void (*)(QRcode *)> code(
        QRcode_encodeData(int(data.size()), reinterpret_cast<const unsigned char *>(data.constData()), 0, QR_ECLEVEL_M),
        QRcode_free);
    ASSERT_TRUE(code);
    const QList<QList<bool>> modules = QrEncodeModules(data, EQrMode::Bytes);
    ASSERT_EQ(modules.size(), code->width);
    for (int y = 0; y < code->width; ++y) {
        ASSERT_EQ(modules[y].size(), code->width) << y;
        for (int x = 0; x < code->width; ++x)
            ASSERT_EQ(modules[y][x], bool(code->data[y * code->width + x] & 1)) << x << "," << y;
    }
}

TEST(QrEncodeModules, dataTooLongForAnySymbolHasNoModules)
{
    EXPECT_TRUE(QrEncodeModules(QByteArray(4000, 'x'), EQrMode::Bytes).isEmpty());
}

} // namespace
