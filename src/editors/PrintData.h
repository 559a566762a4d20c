#pragma once

#include "editors/LayoutDoc.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <memory>
#include <vector>

// The print-data file: one layout as the editors save it, in the folder
// and with the extension of its kind (.gpl address side, .gpa label, .gpc
// business card, .gpd design; DocKindInfo in dialogs/PrtFiles.h).
//
// All integers little-endian (the item streams' own encoding, ItemStream.h):
//   0   n bytes   the kind's signature text ("Murven Layout File"...), each
//                 byte XOR 0xFF
//   n   int32     item stream version (DrawRectVersion, 600)
//   then the header, 28 bytes (32 for a design):
//       int32     container version (2)
//       byte      editor kind (TLayoutKind), byte detail frame set,
//       byte      data side: 1 the addressee records, 2 the sender record,
//                 0 (files written before it was kept) the kind's own:
//                 the sender for a business card, else the addressee;
//       1 zero
//       int32     paper format index (ReadPaperFormat / ReadDesignFormat)
//       zeros     to the header's end
//   ..  uint32 n, n bytes   thumbnail (JPEG; may be empty), at most 4 MiB
//   ..  uint32 n, n bytes   the paper record (TLayoutFormat, 656 bytes)
//   ..  uint32 n, n bytes   the cell grid (TLabelGrid, 32 bytes)
//   ..  int32 count         items, at most MaxItems, in drawing order; each:
//         byte class (TItemClass), byte sender, int32 frame role,
//         uint32 n, n bytes of the item's own stream
//   ..  (design layouts only) uint32 n, n bytes of the
//         page background's stream (TBackImage)
//   ..  (optional) "DFMT", uint32 108, the data format block (TDataFormat);
//         a file without it opens with its kind's defaults
//   ..  4 bytes   end mark "END."
//
// Files of the first containers (1, and 2 for a design with its background)
// are still read: they begin with "Murven PrintData", then the version,
// container, kind, detail and format index, the paper and grid before the
// thumbnail, then the items as above.
//
// The prefix up to the thumbnail is what the open and save dialogs read of
// any kind's file. The reader checks everything before trusting it:
// signature, versions, the kind against the signature, every length against
// what remains, every count against its limit, each item stream read to its
// exact end and written back by its item to bytes that read whole and write
// the same again (the one rule the paste takes too, so an item the editor
// holds always saves), the end mark and nothing after it. A file failing
// any check is refused whole with a reason; the document is only replaced
// after the whole file was read.

inline constexpr int PrintDataContainerVersion = 2;
// The largest file read, and so the largest written: pictures are kept as
// bitmaps, a photograph as background or item easily passes 16 MiB.
inline constexpr int PrintDataMaxFile = 256 * 1024 * 1024;
// The longest background stream taken (a picture of the largest side).
inline constexpr int PrintDataMaxBackground = PrintDataMaxFile;
inline constexpr int PrintDataMaxItems = 4096;
inline constexpr int PrintDataMaxThumbnail = 4 * 1024 * 1024;

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
    CustomerBarcode = 9,
    Word = 10,
    Addition = 11,
};

// The class of an item, 0 for an item kind the file cannot hold.
[[nodiscard]] quint8 PrintItemClass(const TDrawRect &Item);
// A new empty item of a class; null for an unknown class.
[[nodiscard]] std::unique_ptr<TDrawRect> CreatePrintItem(quint8 Class, bool Sender);

// One item as a record (class, sender, role, length, stream) and back.
[[nodiscard]] QByteArray EncodeItemRecord(const TDrawRect &Item, int Role);

// Thumbnail: the JPEG the open dialog shows (may be empty).
[[nodiscard]] QByteArray EncodePrintData(const TLayoutDocument &Document, const QByteArray &Thumbnail = {});
[[nodiscard]] bool DecodePrintData(QByteArrayView Bytes, TLayoutDocument &Document, QString *Error);

// Written to a temporary file and renamed over the old one. A layout the
// reader would refuse (too many items, too large) is not written: false with
// the reason, the old file kept.
[[nodiscard]] bool SavePrintData(const QString &Path, const TLayoutDocument &Document, QString *Error,
                                 const QByteArray &Thumbnail = {});
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
// damaged: an item record the file reader would refuse, or bytes after the
// records).
int PastePrintItems(TLayoutDocument &Document, int Shift);
