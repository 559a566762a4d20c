#pragma once

#include "core/AddressText.h"
#include "core/DBInfo.h"
#include "core/Inquiry.h"
#include "dialogs/PaperCatalogue.h"
#include "editors/LayoutDoc.h"
#include "platform/Cp932.h"
#include "platform/Table.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// The shipped catalogue's paper number Index, read from its source text.
inline TLayoutFormat catalogueFormat(int Index, TLabelGrid *Grid = nullptr)
{
    QFile file(QStringLiteral(MURVEN_PAPER_SOURCE));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    TPaperSource source;
    QString error;
    EXPECT_TRUE(PaperCatalogue::parse(QString::fromUtf8(file.readAll()), source, &error)) << qPrintable(error);
    const TLayoutFormat format = source.Layouts.Records.value(Index);
    if (Grid)
        *Grid = source.Layouts.gridOf(format);
    return format;
}

inline void loadLayout(TLayoutDocument &Document, int Index, TLayoutKind Kind)
{
    Document.Kind = Kind;
    Document.FormatIndex = Index;
    Document.Format = catalogueFormat(Index, &Document.Grid);
    Document.BuildDefaultItems();
}

// An address book of its own in a temporary folder, with three private
// addressees (the table numbers them 1, 2, 3).
class SampleBook
{
public:
    SampleBook()
    {
        table.SetTableName(dir.filePath(QStringLiteral("Adrs.DB")));
        table.SetPassword(TablePassword);
        table.SetFieldDefs(AdrsFieldDefs);
        table.SetIndexDefs(AdrsIndexDefs);
        if (!table.CreateTable())
            throw std::runtime_error("table not created");
        table.Open();
        add(u"1000014", u"東京都", u"千代田区永田町一丁目７番１号", u"山田 太郎");
        add(u"5300001", u"大阪府", u"大阪市北区梅田三丁目１番３号", u"佐藤 花子");
        add(u"0600001", u"北海道", u"札幌市中央区北一条西二丁目", u"鈴木 一郎");
    }
    void add(const char16_t *Pos, const char16_t *Tdfkn, const char16_t *Adrs, const char16_t *Name)
    {
        table.Append();
        table.FieldByName(QStringLiteral("Pos")).SetAsBytes(Cp932::encode(QString::fromUtf16(Pos)));
        table.FieldByName(QStringLiteral("Tdfkn")).SetAsBytes(Cp932::encode(QString::fromUtf16(Tdfkn)));
        table.FieldByName(QStringLiteral("Adrs1")).SetAsBytes(Cp932::encode(QString::fromUtf16(Adrs)));
        table.FieldByName(QStringLiteral("NameKanji")).SetAsBytes(Cp932::encode(QString::fromUtf16(Name)));
        table.FieldByName(QStringLiteral("PrivCorp")).SetAsBoolean(true);
        table.Post();
    }

    QTemporaryDir dir;
    TTable table;
};

inline bool isInk(QRgb P)
{
    return qGray(P) < 160;
}

// Dark pixels inside Area of Page.
inline int inkIn(const QImage &Page, const QRect &Area)
{
    int count = 0;
    const QRect r = Area.intersected(Page.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            count += isInk(Page.pixel(x, y)) ? 1 : 0;
    return count;
}

// A frame of the format's simple set, in dots at Dpi.
inline QRect frameDots(const TLayoutFormat &Format, int Frame, int Dpi)
{
    const TFrameRect &f = Format.Simple.Rects[size_t(Frame)];
    auto d = [Dpi](int px) { return PageToDots(TPagePx(px), Dpi); };
    return QRect(QPoint(d(f.Left), d(f.Top)), QPoint(d(f.Right) - 1, d(f.Bottom) - 1));
}

// The pages of a PDF file as poppler's pdftoppm renders them at Dpi, in page
// order; empty when pdftoppm is missing or fails.
inline QList<QImage> renderPdf(const QString &Pdf, int Dpi)
{
    QList<QImage> pages;
    const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    QTemporaryDir out;
    if (pdftoppm.isEmpty() || !out.isValid())
        return pages;
    QProcess render;
    render.start(pdftoppm, {QStringLiteral("-r"), QString::number(Dpi), QStringLiteral("-png"), Pdf,
                            out.filePath(QStringLiteral("page"))});
    if (!render.waitForFinished(60000) || render.exitCode() != 0)
        return pages;
    for (const QString &name : QDir(out.path()).entryList({QStringLiteral("page*.png")}, QDir::Files, QDir::Name))
        pages.append(QImage(out.filePath(name)).convertToFormat(QImage::Format_RGB32));
    return pages;
}
