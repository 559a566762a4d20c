#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <optional>

// Kept apart from its dialog (DataFrm.h) so that code which does not open
// the dialog, the editors among it, can hold and store the record.

// The formatting record of a layout: how merged address data is converted,
// which postal mark and honorifics are used, and how large and how aligned
// names, addresses and company lines may be. Every print-data file (and
// every undo step of it) keeps it as a block of exactly DataFormatSize
// bytes, little-endian, the same in every file version; the reserved tail is
// carried unchanged.
struct TDataFormat
{
    static constexpr int HonorificBytes = 10; // a String[10]: five double-byte characters
    static constexpr int ReservedBytes = 5;

    bool HidePrefecture = false;
    bool VerticalDigits = false;
    bool KanjiNumerals = false;
    bool HyphenToNo = false;
    qint32 CorpForm = 0;        // 0 as stored, 1 abbreviate, 2 expand
    qint32 PostalMark = 0;      // addressee: 0 digits, 1 〒, 2 hyphen
    qint32 SendPostalMark = 0;  // sender, same codes
    // Shift-JIS bytes (at most HonorificBytes, cut on a character boundary).
    QByteArray DefHonor;
    QByteArray CorpHonor;
    QByteArray PostHonor;
    QByteArray SenderHonor;
    qint32 AddressSize = 0;     // size steps 1..5
    qint32 NameSize = 0;
    qint32 AdditionSize = 0;
    qint32 SendAddressSize = 0;
    qint32 SendNameSize = 0;
    qint32 SendAdditionSize = 0;
    qint32 CorpRatio = 0;       // index 0..5 = 10..5 tenths of the name
    qint32 DptmntRatio = 0;
    qint32 PostRatio = 0;
    bool CharSpace = false;     // spread names to fill their frame
    quint8 NameAlign = 0;       // 0 even, 1 left/top, 2 right/bottom, 3 centre
    quint8 SendNameAlign = 0;
    quint8 SendSeries = 0;      // 0 side by side, 1 together
    bool CorpBreak = false;
    // Parts of the address frames the layout detail dialog hides, one bit
    // each (set: hidden): HiddenPart bits of the addressee in the low byte,
    // of the sender in the high one. A frame holding several of them (the
    // three address lines, a name with its company lines) prints the parts
    // left shown. Zero in every file written before it was kept.
    quint16 HiddenParts = 0;
    std::array<quint8, ReservedBytes> Reserved{};

    bool operator==(const TDataFormat &) const = default;

    // An honorific as text, and set from text (cut to 10 bytes on a
    // character boundary).
    [[nodiscard]] static QString HonorText(const QByteArray &Honor);
    [[nodiscard]] static QByteArray HonorBytes(const QString &Text);
};

inline constexpr int DataFormatSize = 108;
// Bytes 0..59 are the data format dialog's, 60..100 the layout detail's;
// 101..102 the hidden parts, kept by the editors.
inline constexpr int DataFormatDialogBytes = 60;

// The parts of HiddenParts, addressee side; the sender's are the same bits
// shifted by SenderPartShift.
enum THiddenPart : quint16 {
    hpAddress1 = 0x01,
    hpAddress2 = 0x02,
    hpAddress3 = 0x04,
    hpName = 0x08,
    hpCorp = 0x10,
    hpDptmnt = 0x20,
    hpPost = 0x40,
};
inline constexpr int SenderPartShift = 8;

// The 108-byte block.
[[nodiscard]] QByteArray WriteDataFormat(const TDataFormat &Format);
// Reads a block from the start of Bytes; nothing when fewer than 108 bytes
// are there. Flags read as set when non-zero; an honorific's length byte
// above 10 is read as 10 and a double-byte character cut by its end is
// dropped.
[[nodiscard]] std::optional<TDataFormat> ReadDataFormat(QByteArrayView Bytes);

// The record a new layout starts with. WithoutPicture: an address-side paper
// without a background picture (postal marks are then set too).
enum class TDataFormatEditor { dfeAddressSide, dfeLabel, dfeCard, dfeDesign };
void ApplyNewLayoutDefaults(TDataFormat &Format, TDataFormatEditor Editor, bool WithoutPicture);

// Copies the dialog's part (bytes 0..59) of Source into Target.
void TakeDataFormatPart(TDataFormat &Target, const TDataFormat &Source);
