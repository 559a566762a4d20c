// Printing one postcard's items at 600 dpi into a PDF page: building the
// items (layout, fitting, vertical shaping into the display list) and
// playing them onto the page, against drawing the same strings with plain
// QPainter::drawText into the same kind of page. The items do far more
// (fitting loops, per-character placement, vertical glyph forms), but a
// postcard run prints hundreds of pages, so they must stay within a small
// factor of the bare text output.
#include "BenchSupport.h"
#include "items/AddressRect.h"
#include "items/CorpRect.h"
#include "items/FontFaces.h"
#include "items/NameRect.h"
#include "items/PosRect.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <memory>

namespace {

constexpr int kDpi = 600;

QString u(const char16_t *s)
{
    return QString::fromUtf16(s);
}

struct TPostcardText {
    QString postcode = QStringLiteral("1000014");
    QString address0 = u(u"東京都千代田区");
    QString address1 = u(u"永田町一丁目７番１号　国会前ビル１２階");
    QString company = u(u"山田商事株式会社");
    QString name = u(u"山田 太郎");
    QString honor = u(u"様");
    QString senderAddress0 = u(u"大阪府大阪市北区");
    QString senderAddress1 = u(u"梅田三丁目１番３号");
    QString senderName = u(u"佐藤 花子");
    QString senderPostcode = QStringLiteral("5300001");
};

// A PDF page of a postcard at 600 dpi, written into memory.
struct TPdfPage {
    QBuffer buffer;
    std::unique_ptr<QPdfWriter> writer;
    TPdfPage()
    {
        buffer.open(QIODevice::WriteOnly);
        writer = std::make_unique<QPdfWriter>(&buffer);
        writer->setResolution(kDpi);
        writer->setPageSize(QPageSize(QSizeF(100, 148), QPageSize::Millimeter));
        writer->setPageMargins(QMarginsF(0, 0, 0, 0));
    }
};

qint64 printItems(const TPostcardText &T)
{
    const TReferenceDevice device = TReferenceDevice::printer({kDpi, kDpi});
    TPosRect postcode, senderPostcode;
    TAddressRect address, senderAddress;
    TCorpRect company;
    TNameRect name, senderName;
    postcode.SetRect({166, 45, 346, 75});
    postcode.SetPostcode(T.postcode);
    address.SetRect({300, 95, 350, 440});
    address.SetAddressLine(0, T.address0);
    address.SetAddressLine(1, T.address1);
    company.SetRect({250, 110, 292, 440});
    company.SetText(T.company);
    name.SetRect({150, 95, 240, 490});
    name.SetNameKind(1);
    name.SetName(T.name);
    name.SetHonor(T.honor);
    senderAddress.SetRect({80, 330, 120, 505});
    senderAddress.SetSender(true);
    senderAddress.SetAddressLine(0, T.senderAddress0);
    senderAddress.SetAddressLine(1, T.senderAddress1);
    senderName.SetRect({35, 330, 75, 505});
    senderName.SetSender(true);
    senderName.SetNameKind(1);
    senderName.SetName(T.senderName);
    senderPostcode.SetRect({20, 515, 110, 535});
    senderPostcode.SetSender(true);
    senderPostcode.SetPostcode(T.senderPostcode);
    TMetaRect *items[] = {&postcode, &address, &company, &name, &senderAddress, &senderName, &senderPostcode};

    TPdfPage page;
    QPainter painter(page.writer.get());
    for (TMetaRect *i : items) {
        i->SetReferenceDevice(device);
        i->RescaleFont(TTenthMm(1480));
        i->CalcPrintRect({}, {{kDpi, kDpi}, 0, 0}, true);
        i->Rebuild(true);
        i->Print(painter, 0, 0);
    }
    painter.end();
    return page.buffer.size();
}

qint64 printPlain(const TPostcardText &T, const QString &Family)
{
    TPdfPage page;
    QPainter painter(page.writer.get());
    auto text = [&](int x, int y, int pixels, const QString &s) {
        QFont f(Family);
        f.setPixelSize(pixels);
        painter.setFont(f);
        painter.drawText(x, y, s);
    };
    // Roughly where and how large the items put them, written across.
    text(1040, 330, 190, T.postcode);
    text(600, 900, 110, T.address0);
    text(600, 1050, 110, T.address1);
    text(600, 1250, 150, T.company);
    text(600, 1500, 230, T.name + T.honor);
    text(100, 2400, 80, T.senderAddress0);
    text(100, 2500, 80, T.senderAddress1);
    text(100, 2700, 120, T.senderName);
    text(100, 3300, 90, T.senderPostcode);
    painter.end();
    return page.buffer.size();
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const TPostcardText text;
    const QString family = ResolveFontFace(u(u"ＭＳ 明朝")).family;
    qint64 sink = 0;
    // Both warm their font caches once before the timing.
    sink += printItems(text) + printPlain(text, family);
    const int pages = 20;
    const double items = bestOfMs(5, [&] {
        for (int i = 0; i < pages; ++i)
            sink += printItems(text);
    });
    const double plain = bestOfMs(5, [&] {
        for (int i = 0; i < pages; ++i)
            sink += printPlain(text, family);
    });
    std::printf("postcard PDF page at %d dpi, %d pages: items %.1f ms, plain drawText %.1f ms (%lld bytes)\n", kDpi,
                pages, items, plain, static_cast<long long>(sink));
    report("postcard_items_ratio", items / plain, "ratio", 3);
    return 0;
}
