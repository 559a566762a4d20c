#include "links/QRMap.h"

#include "links/LinkUrl.h"
#include "support/DataFolders.h"
#include "support/Screenshot.h"
#include "support/Screenshot.h"
#include "support/TestEnvironment.h"

#include "core/Env.h"
#include "platform/IniFile.h"

#include <QApplication>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// What a real reader finds in the picture (zbarimg of zbar-tools), raw bytes.
QByteArray decodeWithZbar(const QImage &Image)
{
    const QString zbar = QStandardPaths::findExecutable(QStringLiteral("zbarimg"));
    if (zbar.isEmpty())
        return QByteArrayLiteral("<zbarimg missing>");
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("code.png"));
    if (!Image.save(file))
        return QByteArrayLiteral("<not saved>");
    QProcess process;
    process.start(zbar, {QStringLiteral("--quiet"), QStringLiteral("--raw"), QStringLiteral("-Sbinary"), file});
    process.waitForFinished(20000);
    QByteArray out = process.readAllStandardOutput();
    if (out.endsWith('\n'))
        out.chop(1);
    return out;
}

TEST(QrCodeImage, sideIsModulesWithQuietZoneTimesModuleSize)
{
    const QByteArray url = MapLinkUrl(QStringLiteral("東京都千代田区丸の内1-1"));
    const int modules = QrCodeModules(url);
    ASSERT_GT(modules, 20);
    for (int size = 1; size <= 5; ++size) {
        const QImage image = QrCodeImage(url, size);
        EXPECT_EQ(image.width(), (modules + 2 * QrQuietZone) * size) << size;
        EXPECT_EQ(image.height(), image.width()) << size;
    }
}

TEST(QrCodeImage, cornersAreWhiteQuietZoneAndFinderIsBlack)
{
    const QImage image = QrCodeImage(QByteArrayLiteral("http://example.jp/"), 3);
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(QrQuietZone * 3, QrQuietZone * 3), QColor(Qt::black));
}

TEST(QrCodeImage, readerDecodesTheMapLinkUrl)
{
    const QByteArray url = MapLinkUrl(QStringLiteral("東京都 港区芝公園4-2-8"));
    EXPECT_EQ(decodeWithZbar(QrCodeImage(url, 3)), url);
}

class QRCodeMapTest : public ::testing::Test
{
protected:
    ScopedHome home;
    ScopedDataFolders folders{home.root()};
    void SetUp() override { QDir().mkpath(DataRoot); }
    void writeSize(int size)
    {
        TMemIniFile ini(SettingsFileName());
        ini.WriteInteger(QStringLiteral("QRMAP"), QStringLiteral("Size"), size);
        ASSERT_TRUE(ini.UpdateFile());
    }
};

TEST_F(QRCodeMapTest, showsTheCodeOfTheAddressWhenShown)
{
    TQRCodeMap dialog;
    dialog.SetAddress(QStringLiteral(" 東京都港区 "));
    EXPECT_EQ(dialog.findChild<QLineEdit *>(QStringLiteral("edtAdrs"))->text(), QStringLiteral("東京都港区"));
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(decodeWithZbar(dialog.Code()), MapLinkUrl(QStringLiteral("東京都港区")));
    EXPECT_FALSE(QFile::exists(DataRoot + QStringLiteral("qr.bmp")));
    saveScreenshot(&dialog, QStringLiteral("QRCodeMap"));
}

// An address holding a character Shift-JIS lacks: the code carries the
// rest, and the dialog names what it left out.
TEST_F(QRCodeMapTest, namesACharacterTheCodeCannotCarry)
{
    TQRCodeMap dialog;
    dialog.SetAddress(QStringLiteral("山梨県南都留郡𠮷田町"));
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    auto *said = dialog.findChild<QLabel *>(QStringLiteral("lblNotEncoded"));
    ASSERT_NE(said, nullptr);
    EXPECT_TRUE(said->isVisible());
    EXPECT_TRUE(said->text().contains(QStringLiteral("𠮷"))) << qPrintable(said->text());
    EXPECT_EQ(decodeWithZbar(dialog.Code()), MapLinkUrl(QStringLiteral("山梨県南都留郡田町")));
    dialog.SetAddress(QStringLiteral("東京都港区"));
    EXPECT_FALSE(said->isVisible());
}

TEST_F(QRCodeMapTest, enterOnAnUnchangedSizeMovesToClose)
{
    TQRCodeMap dialog;
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    auto *size = dialog.findChild<QSpinBox *>(QStringLiteral("udSize"));
    size->setFocus();
    QTest::keyClick(size, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), dialog.findChild<QWidget *>(QStringLiteral("btnClose")));
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(QRCodeMapTest, enterOnANewSizeStaysInTheSize)
{
    TQRCodeMap dialog;
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    auto *size = dialog.findChild<QSpinBox *>(QStringLiteral("udSize"));
    size->setFocus();
    size->selectAll();
    QTest::keyClicks(size, QStringLiteral("1"));
    QTest::keyClick(size, Qt::Key_Return);
    EXPECT_EQ(dialog.ModuleSize(), 1);
    EXPECT_EQ(QApplication::focusWidget(), size);
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(QRCodeMapTest, typedSizeRebuildsTheCode)
{
    TQRCodeMap dialog;
    dialog.SetAddress(QStringLiteral("東京都港区"));
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    const int side3 = dialog.Code().width();
    auto *size = dialog.findChild<QSpinBox *>(QStringLiteral("udSize"));
    size->setFocus();
    size->selectAll();
    QTest::keyClicks(size, QStringLiteral("5"));
    QTest::keyClick(size, Qt::Key_Return);
    EXPECT_EQ(dialog.ModuleSize(), 5);
    EXPECT_EQ(dialog.Code().width(), side3 / 3 * 5);
}

TEST_F(QRCodeMapTest, arrowUpRebuildsTheCode)
{
    TQRCodeMap dialog;
    dialog.SetAddress(QStringLiteral("東京都港区"));
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    const int side3 = dialog.Code().width();
    auto *size = dialog.findChild<QSpinBox *>(QStringLiteral("udSize"));
    QTest::keyClick(size, Qt::Key_Up);
    EXPECT_EQ(dialog.Code().width(), side3 / 3 * 4);
}

TEST_F(QRCodeMapTest, sizeOutsideOneToFiveReadsAsThree)
{
    for (int stored : {0, 6}) {
        writeSize(stored);
        TQRCodeMap dialog;
        EXPECT_EQ(dialog.ModuleSize(), 3) << stored;
    }
}

TEST_F(QRCodeMapTest, keepsTheSizeWhenClosed)
{
    {
        TQRCodeMap dialog;
        dialog.findChild<QSpinBox *>(QStringLiteral("udSize"))->setValue(2);
    }
    const TMemIniFile ini(SettingsFileName());
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("QRMAP"), QStringLiteral("Size"), 0), 2);
}

} // namespace
