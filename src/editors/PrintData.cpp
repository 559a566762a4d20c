#include "editors/PrintData.h"

#include "dialogs/DataFormat.h"
#include "dialogs/PrtFiles.h"
#include "items/AdditionRect.h"
#include "items/AddressRect.h"
#include "items/BarRect.h"
#include "items/CorpRect.h"
#include "items/FigureRect.h"
#include "items/IllustRect.h"
#include "items/ItemStream.h"
#include "items/NameRect.h"
#include "items/PosRect.h"
#include "items/SenderRect.h"
#include "items/WordRect.h"
#include "platform/SafeFile.h"

#include <QFile>

namespace {

constexpr char kEndMark[] = "END.";
// The one signature of the first container versions.
constexpr char kLegacySignature[] = "Murven PrintData";
constexpr qsizetype kLegacySignatureSize = 16;
constexpr char kFormatMark[] = "DFMT";
// The header after the version: 28 bytes, 32 for a design.
constexpr int kHeaderUsed = 12;
// The data side byte of the header.
constexpr quint8 kAddresseeSide = 1, kSenderSide = 2;

int headerSize(TLayoutKind Kind)
{
    return DocKindInfo(int(Kind))->HeaderSize;
}

QByteArray invertedSignature(TLayoutKind Kind)
{
    QByteArray bytes = DocKindInfo(int(Kind))->Signature;
    for (char &c : bytes)
        c = char(c ^ 0xFF);
    return bytes;
}

// The kind whose signature the file starts with.
std::optional<TLayoutKind> signatureKind(QByteArrayView Bytes)
{
    for (const TLayoutKind kind : {TLayoutKind::AddressSide, TLayoutKind::Label, TLayoutKind::Card, TLayoutKind::Design})
        if (Bytes.startsWith(invertedSignature(kind)))
            return kind;
    return std::nullopt;
}

QString damaged()
{
    return QStringLiteral("印刷データファイルが壊れているか、このプログラムの印刷データではありません");
}

void writeRecord(TItemWriter &Out, const TDrawRect &Item, int Role)
{
    TItemWriter stream;
    Item.SaveToStream(stream);
    Out.writeByte(PrintItemClass(Item));
    Out.writeFlag(IsSenderFrameKind(Item.GetKind()));
    Out.writeInt32(Role);
    Out.writeUInt32(quint32(stream.bytes().size()));
    Out.writeBytes(stream.bytes());
}

// An item as the running program writes it: read back from its own
// stream, it must read whole and write the same bytes again. An item that
// does not (a value its reader takes but its writer gives back otherwise)
// would be held by the editor and then refused by every save.
void checkWritesItselfBack(const TDrawRect &Item, quint8 Class, bool Sender)
{
    TItemWriter once;
    Item.SaveToStream(once);
    std::unique_ptr<TDrawRect> again = CreatePrintItem(Class, Sender);
    TItemReader back(once.bytes(), {DrawRectVersion});
    again->LoadFromStream(back);
    if (!back.atEnd())
        throw EItemFormatError("item writes more than it reads back");
    TItemWriter twice;
    again->SaveToStream(twice);
    if (twice.bytes() != once.bytes())
        throw EItemFormatError("item does not write itself back");
}

// Reads one item record; throws EItemFormatError on any damage. The one
// rule of the file reader and of the paste: what it takes, the editor can
// save into a file that opens again.
std::unique_ptr<TDrawRect> readRecord(TItemReader &In, int &Role)
{
    const quint8 itemClass = In.readByte();
    const bool sender = In.readFlag();
    Role = In.readInt32();
    const quint32 length = In.readUInt32();
    if (length > quint32(In.remaining()))
        throw EItemFormatError("item record longer than the file");
    const QByteArray bytes = In.readBytes(qsizetype(length));
    std::unique_ptr<TDrawRect> item = CreatePrintItem(itemClass, sender);
    if (!item)
        throw EItemFormatError("unknown item class");
    TItemReader stream(bytes, In.context());
    item->LoadFromStream(stream);
    if (!stream.atEnd())
        throw EItemFormatError("item stream longer than its item");
    checkWritesItselfBack(*item, itemClass, sender);
    return item;
}

} // namespace

quint8 PrintItemClass(const TDrawRect &Item)
{
    // The sender block before its children's classes: it is none of them.
    switch (Item.GetKind()) {
    case TDrawRectKind::Illust: return quint8(TItemClass::Illust);
    case TDrawRectKind::Figure: return quint8(TItemClass::Figure);
    case TDrawRectKind::QRCode: return quint8(TItemClass::QRCode);
    case TDrawRectKind::SenderBlock: return quint8(TItemClass::SenderBlock);
    default: break;
    }
    if (dynamic_cast<const TPosRect *>(&Item))
        return quint8(TItemClass::Postcode);
    if (dynamic_cast<const TAddressRect *>(&Item))
        return quint8(TItemClass::Address);
    if (dynamic_cast<const TNameRect *>(&Item))
        return quint8(TItemClass::Name);
    if (dynamic_cast<const TCorpRect *>(&Item))
        return quint8(TItemClass::Corp);
    if (dynamic_cast<const TBarcodeRect *>(&Item))
        return quint8(TItemClass::CustomerBarcode);
    if (dynamic_cast<const TWordRect *>(&Item))
        return quint8(TItemClass::Word);
    if (dynamic_cast<const TAdditionRect *>(&Item))
        return quint8(TItemClass::Addition);
    return 0;
}

std::unique_ptr<TDrawRect> CreatePrintItem(quint8 Class, bool Sender)
{
    switch (TItemClass(Class)) {
    case TItemClass::Postcode: {
        auto item = std::make_unique<TPosRect>();
        item->SetSender(Sender);
        return item;
    }
    case TItemClass::Address: {
        auto item = std::make_unique<TAddressRect>();
        item->SetSender(Sender);
        return item;
    }
    case TItemClass::Name: {
        auto item = std::make_unique<TNameRect>();
        item->SetSender(Sender);
        return item;
    }
    case TItemClass::CustomerBarcode: return std::make_unique<TBarcodeRect>();
    case TItemClass::Corp: {
        auto item = std::make_unique<TCorpRect>();
        item->SetSender(Sender);
        return item;
    }
    case TItemClass::Illust: return std::make_unique<TIllustRect>();
    case TItemClass::Figure: return std::make_unique<TFigureRect>();
    case TItemClass::QRCode: return std::make_unique<TQRCodeRect>();
    case TItemClass::SenderBlock: return std::make_unique<TSenderRect>();
    case TItemClass::Word: return std::make_unique<TWordRect>();
    case TItemClass::Addition: return std::make_unique<TAdditionRect>();
    }
    return nullptr;
}

QByteArray EncodeItemRecord(const TDrawRect &Item, int Role)
{
    TItemWriter out;
    writeRecord(out, Item, Role);
    return out.takeBytes();
}

QByteArray EncodePrintData(const TLayoutDocument &Document, const QByteArray &Thumbnail)
{
    TItemWriter out;
    out.writeBytes(invertedSignature(Document.Kind));
    out.writeInt32(DrawRectVersion);
    out.writeInt32(PrintDataContainerVersion);
    out.writeByte(quint8(Document.Kind));
    out.writeFlag(Document.Detail);
    out.writeByte(Document.SenderAsAddressee ? kSenderSide : kAddresseeSide);
    out.writeByte(0);
    out.writeInt32(Document.FormatIndex);
    out.writeBytes(QByteArray(headerSize(Document.Kind) - kHeaderUsed, '\0'));
    const QByteArray thumbnail = Thumbnail.size() <= PrintDataMaxThumbnail ? Thumbnail : QByteArray();
    out.writeUInt32(quint32(thumbnail.size()));
    out.writeBytes(thumbnail);
    const QByteArray format = PaperFmt::encode(Document.Format);
    out.writeUInt32(quint32(format.size()));
    out.writeBytes(format);
    const QByteArray grid = PaperFmt::encode(Document.Grid);
    out.writeUInt32(quint32(grid.size()));
    out.writeBytes(grid);
    int count = 0;
    for (const auto &item : Document.Items)
        count += PrintItemClass(*item) != 0 ? 1 : 0;
    out.writeInt32(count);
    for (size_t i = 0; i < Document.Items.size(); ++i) {
        if (PrintItemClass(*Document.Items[i]) == 0)
            continue;
        writeRecord(out, *Document.Items[i], i < Document.ItemRoles.size() ? Document.ItemRoles[i] : -1);
    }
    if (Document.Kind == TLayoutKind::Design) {
        TItemWriter background;
        Document.Background.SaveToStream(background);
        out.writeUInt32(quint32(background.bytes().size()));
        out.writeBytes(background.bytes());
    }
    if (Document.DataFormat) {
        const QByteArray format = WriteDataFormat(*Document.DataFormat);
        out.writeBytes(QByteArrayView(kFormatMark, 4));
        out.writeUInt32(quint32(format.size()));
        out.writeBytes(format);
    }
    out.writeBytes(QByteArrayView(kEndMark, 4));
    return out.takeBytes();
}

bool DecodePrintData(QByteArrayView Bytes, TLayoutDocument &Document, QString *Error)
{
    auto fail = [Error](const QString &Reason) {
        if (Error)
            *Error = Reason;
        return false;
    };
    // Files of the first containers (1; 2 for designs with a background)
    // began with one signature for every kind and put the paper before the
    // thumbnail; they are read as they stand and written in the current form.
    const bool legacy = Bytes.size() >= kLegacySignatureSize
                        && Bytes.first(kLegacySignatureSize) == QByteArrayView(kLegacySignature, kLegacySignatureSize);
    const std::optional<TLayoutKind> signature = legacy ? std::nullopt : signatureKind(Bytes);
    if (!legacy && !signature)
        return fail(QStringLiteral("このプログラムの印刷データファイルではありません"));
    try {
        TItemReader header(Bytes, {});
        (void)header.readBytes(legacy ? kLegacySignatureSize : invertedSignature(*signature).size());
        const qint32 version = header.readInt32();
        const qint32 container = header.readInt32();
        const bool known = legacy ? (container == 1 || container == 2) : container == PrintDataContainerVersion;
        if (version < 100 || version > DrawRectVersion || !known)
            return fail(QStringLiteral("この印刷データファイルは新しい版で作られたため読み込めません"));
        TItemReader in(Bytes, {version});
        in.seek(header.position());
        TLayoutDocument read;
        const quint8 kind = in.readByte();
        if (legacy ? kind > quint8(TLayoutKind::Design) : kind != quint8(*signature))
            return fail(damaged());
        read.Kind = TLayoutKind(kind);
        read.Detail = in.readFlag();
        const quint8 side = in.readByte();
        if (side > kSenderSide)
            return fail(damaged());
        read.SenderAsAddressee = side == 0 ? read.Kind == TLayoutKind::Card : side == kSenderSide;
        (void)in.readByte();
        read.FormatIndex = in.readInt32();
        const auto readThumbnail = [&in] {
            const quint32 thumbnail = in.readUInt32();
            if (thumbnail > quint32(PrintDataMaxThumbnail) || thumbnail > quint32(in.remaining()))
                return false;
            (void)in.readBytes(thumbnail);
            return true;
        };
        if (!legacy) {
            (void)in.readBytes(headerSize(read.Kind) - kHeaderUsed);
            if (!readThumbnail())
                return fail(damaged());
        }
        const quint32 formatSize = in.readUInt32();
        if (formatSize != quint32(TLayoutFormat::Size))
            return fail(damaged());
        QString reason;
        if (!PaperFmt::decode(in.readBytes(formatSize), read.Format, &reason))
            return fail(damaged());
        const quint32 gridSize = in.readUInt32();
        if (gridSize != quint32(TLabelGrid::Size))
            return fail(damaged());
        read.Grid = PaperFmt::decodeGrid(in.readBytes(gridSize));
        // Printing steps through every cell of the grid.
        if (!PaperFmt::validGrid(read.Grid))
            return fail(damaged());
        if (legacy && !readThumbnail())
            return fail(damaged());
        const qint32 count = in.readCount(PrintDataMaxItems, "items");
        for (qint32 i = 0; i < count; ++i) {
            int role = -1;
            read.Items.push_back(readRecord(in, role));
            read.ItemRoles.push_back(role);
        }
        if (legacy ? container == 2 : read.Kind == TLayoutKind::Design) {
            const quint32 length = in.readUInt32();
            if (length > quint32(PrintDataMaxBackground) || length > quint32(in.remaining()))
                return fail(damaged());
            // Held here: the reader only views its bytes.
            const QByteArray bytes = in.readBytes(qsizetype(length));
            TItemReader stream(bytes, in.context());
            read.Background.LoadFromStream(stream);
            if (!stream.atEnd())
                return fail(damaged());
        }
        QByteArray mark = in.readBytes(4);
        if (mark == QByteArray(kFormatMark, 4)) {
            if (in.readUInt32() != quint32(DataFormatSize))
                return fail(damaged());
            const std::optional<TDataFormat> format = ReadDataFormat(in.readBytes(DataFormatSize));
            if (!format)
                return fail(damaged());
            read.DataFormat = std::make_shared<const TDataFormat>(*format);
            mark = in.readBytes(4);
        }
        if (mark != QByteArray(kEndMark, 4) || !in.atEnd())
            return fail(damaged());
        Document.Kind = read.Kind;
        Document.Detail = read.Detail;
        Document.SenderAsAddressee = read.SenderAsAddressee;
        Document.FormatIndex = read.FormatIndex;
        Document.Format = read.Format;
        Document.Grid = read.Grid;
        Document.Items = std::move(read.Items);
        Document.ItemRoles = std::move(read.ItemRoles);
        Document.Background.Assign(read.Background);
        if (read.DataFormat)
            Document.DataFormat = read.DataFormat;
        return true;
    } catch (const EItemFormatError &) {
        return fail(damaged());
    }
}

bool SavePrintData(const QString &Path, const TLayoutDocument &Document, QString *Error, const QByteArray &Thumbnail)
{
    // What is written must open again.
    qsizetype items = 0;
    for (const auto &item : Document.Items)
        items += PrintItemClass(*item) != 0 ? 1 : 0;
    QString refused;
    QByteArray bytes;
    if (items > PrintDataMaxItems) {
        refused = QStringLiteral("項目が多すぎるため保存できません（%1個まで）").arg(PrintDataMaxItems);
    } else {
        bytes = EncodePrintData(Document, Thumbnail);
        TLayoutDocument check;
        if (bytes.size() > PrintDataMaxFile)
            refused = QStringLiteral("画像が大きすぎるため保存できません。小さな画像にしてください");
        // Read back as the open command reads it: a layout the reader would
        // refuse (an item or picture beyond its limits) never replaces the
        // file that still opens.
        else if (!DecodePrintData(bytes, check, nullptr))
            refused = QStringLiteral("保存すると開けない印刷データになるため保存しませんでした"
                                     "（項目の位置や大きさ、画像の大きさを確かめてください）");
    }
    if (!refused.isEmpty()) {
        if (Error)
            *Error = refused;
        return false;
    }
    return SafeReplaceFile(Path, bytes, Error);
}

bool LoadPrintData(const QString &Path, TLayoutDocument &Document, QString *Error)
{
    RecoverSafeReplace(Path);
    QFile file(Path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (Error)
            *Error = QStringLiteral("印刷データファイルを開けませんでした");
        return false;
    }
    if (file.size() > PrintDataMaxFile) {
        if (Error)
            *Error = damaged();
        return false;
    }
    return DecodePrintData(file.readAll(), Document, Error);
}

TItemCopyStream *ItemCopyStream = nullptr;

void FreeItemCopyStream()
{
    delete ItemCopyStream;
    ItemCopyStream = nullptr;
}

void CopyPrintItems(const TLayoutDocument &Document, const QList<int> &Indexes)
{
    TItemWriter out;
    QList<int> kept;
    for (const int index : Indexes)
        if (index >= 0 && index < int(Document.Items.size()) && PrintItemClass(*Document.Items[size_t(index)]) != 0)
            kept << index;
    out.writeInt32(int(kept.size()));
    for (const int index : kept)
        writeRecord(out, *Document.Items[size_t(index)], -1);
    if (!ItemCopyStream)
        ItemCopyStream = new TItemCopyStream;
    ItemCopyStream->Bytes = out.takeBytes();
}

int PastePrintItems(TLayoutDocument &Document, int Shift)
{
    if (!ItemCopyStream || ItemCopyStream->Bytes.isEmpty())
        return 0;
    std::vector<std::unique_ptr<TDrawRect>> pasted;
    try {
        TItemReader in(ItemCopyStream->Bytes, {});
        const qint32 count = in.readCount(PrintDataMaxItems, "copied items");
        for (qint32 i = 0; i < count; ++i) {
            int role = -1;
            pasted.push_back(readRecord(in, role));
        }
        // The store holds its records and nothing after them.
        if (!in.atEnd())
            return 0;
    } catch (const EItemFormatError &) {
        return 0;
    }
    for (auto &item : pasted) {
        TPageRect r = item->GetRect();
        r.Left += Shift, r.Right += Shift, r.Top += Shift, r.Bottom += Shift;
        // A copy at the bounds' edge stays on the copied place: moved
        // beyond them it would make a layout no reader opens.
        if (IsItemRectInBounds(r))
            item->SetRect(r);
        Document.Items.push_back(std::move(item));
        Document.ItemRoles.push_back(-1);
    }
    return int(pasted.size());
}
