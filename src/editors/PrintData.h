#pragma once

#include "editors/LayoutDoc.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <memory>
#include <vector>

// The print-data file: one layout as the editors save it.
//
// All integers little-endian (the item streams' own encoding, ItemStream.h).
// The prefix is the one the open and save dialogs read (PrtFiles.h):
//   0   n bytes   the kind's signature text ("Murven Layout File", "Murven
//                 Label File", "Murven Card File", "Murven Design File"),
//                 every byte XOR 0xFF
//   n   int32     item stream version (DrawRectVersion, 600)
//   n+4 header, 28 bytes (32 for a design), zero where not named:
//         int32 container version (3), byte editor kind (TLayoutKind, the
//         signature's), byte detail frame set, 2 zero, int32 paper format
//         index (ReadPaperFormat / ReadDesignFormat)
//   ..  uint32 n, n bytes   thumbnail (JPEG; may be empty), at most 4 MiB
//   ..  uint32 n, n bytes   the paper record (TLayoutFormat, 656 bytes)
//   ..  uint32 n, n bytes   the cell grid (TLabelGrid, 32 bytes)
//   ..  int32 count         items, at most MaxItems, in drawing order; each:
//         byte class (TItemClass), byte sender, int32 frame role,
//         uint32 n, n bytes of the item's own stream
//   ..  (design layouts only) uint32 n, n bytes of the page background's
//         stream (TBackImage)
//   ..  (optional) "DFMT", uint32 108, the data format block (TDataFormat);
//         a file without it leaves the document's record as it was
//   ..  4 bytes   end mark "END."
//
// Files of the first two container versions are still read: they start
// with "Murven PrintData" (16 bytes, not inverted), the version, then
// int32 container version (1; 2 = with the design background), the kind,
// detail and format index as above, the paper record, the grid, then the
// thumbnail, and from the items on the same as above.
//
// The reader checks everything before trusting it: signature, versions,
// every length against what remains, every count against its limit, each
// item stream read to its exact end, the end mark and nothing after it. A
// file failing any check is refused whole with a reason; the document is
// only replaced after the whole file was read.

// Files are written as the kind-signature version; the two before it are
// read.
inline constexpr int PrintDataContainerVersion = 1;
inline constexpr int PrintDataBackgroundVersion = 2;
inline constexpr int PrintDataKindSignatureVersion = 3;
// The longest background stream taken (a picture of the largest side).
inline constexpr int PrintDataMaxBackground = 64 * 1024 * 1024;
// The most items a file holds; saving refuses a layout with more, so that
// every saved file opens again.
inline constexpr int PrintDataMaxItems = 4096;
inline constexpr int PrintDataMaxThumbnail = 4 * 1024 * 1024;
// The largest file read (pictures kept as bitmaps make files of tens of
// megabytes); saving refuses a layout whose file would be larger, so that
// every saved file opens again.
inline constexpr qint64 PrintDataMaxFileBytes = 1024LL * 1024 * 1024;

// The classes an item record names; a new item kind is one more value here
// and one line in CreatePrintItem.
enum class TItemClass : quint8 {
    Postcode = 1,
    Address = 2,
    Name = 3,
    Corp = 4,
    Illust = 5,
    Figure = 6,
    QRCode = 7,
    SenderBlock = 8,
    Word = 10,
    Addition = 11,
};

// The class of an item, 0 for an item kind the file cannot hold.
[[nodiscard]] quint8 PrintItemClass(const TDrawRect &Item);
// A new empty item of a class; null for an unknown class.
[[nodiscard]] std::unique_ptr<TDrawRect> CreatePrintItem(quint8 Class, bool Sender);

// One item as a record (class, sender, role, length, stream) and back.
[[nodiscard]] QByteArray EncodeItemRecord(const TDrawRect &Item, int Role);

[[nodiscard]] QByteArray EncodePrintData(const TLayoutDocument &Document);
[[nodiscard]] bool DecodePrintData(QByteArrayView Bytes, TLayoutDocument &Document, QString *Error);

// Written to a temporary file and renamed over the old one; refused, the
// old file kept, for a layout of more than PrintDataMaxItems items or
// PrintDataMaxFileBytes bytes.
[[nodiscard]] bool SavePrintData(const QString &Path, const TLayoutDocument &Document, QString *Error);
// The document is untouched when the file is refused.
[[nodiscard]] bool LoadPrintData(const QString &Path, TLayoutDocument &Document, QString *Error);

// The editors' shared store of copied items: the item records of the last
// copy, pasted by any editor. Created at the first copy; the main form frees
// it at shutdown (FreeItemCopyStream).
struct TItemCopyStream {
    QByteArray Bytes; // int32 count, then the item records
};
extern TItemCopyStream *ItemCopyStream;
void FreeItemCopyStream();

// Copies the items at Indexes into ItemCopyStream (creating it).
void CopyPrintItems(const TLayoutDocument &Document, const QList<int> &Indexes);
// Appends copies of the stored items, each moved by Shift page pixels;
// returns how many were added (0 when nothing was copied or the store is
// damaged).
int PastePrintItems(TLayoutDocument &Document, int Shift);
