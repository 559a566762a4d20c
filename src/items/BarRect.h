#pragma once

#include "items/DrawRect.h"
#include "items/QrModules.h"

#include <QByteArray>
#include "platform/Colors.h"
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>

// ---- Customer barcode ------------------------------------------------------

// One bar of the postal customer barcode: which halves beside the middle
// tracking band it reaches into.
enum class TPostBar : quint8 { Tracker = 0, Ascender = 1, Descender = 2, Long = 3 };

// What the postcode dictionary says of a postcode: the town names it lists
// (the address number is what follows the town name in the address),
// whether it is the own number of a large office or a post-office box, and
// whether it is a city's representative number, given to the places the
// dictionary lists no town for.
struct TPostcodeTowns {
    QStringList Towns;
    bool OwnNumber = false;
    bool Representative = false;
};
using TTownNameLookup = std::function<TPostcodeTowns(const QString &Postcode)>;

// The characters the customer barcode carries for an address: the seven
// postcode digits followed by the address number (block, lot and house
// numbers joined by "-", capital letters kept), cut to the twenty code
// characters the barcode holds. Empty when the postcode is not seven digits.
// A letter whose control code falls on the twentieth character is kept as
// the last character (its bars keep the control code alone).
[[nodiscard]] QString CustomerBarcodeData(const QString &Postcode, const QString &Address, const QStringList &TownNames);
// The same with what the dictionary says of the postcode: an own number of a
// large office or a post-office box carries the postcode alone; a city's
// representative number gets no code (empty).
[[nodiscard]] QString CustomerBarcodeData(const QString &Postcode, const QString &Address, const TPostcodeTowns &Towns);
// Only the address number part of the above: what follows the town (its
// last mention before the first number, else its first mention the number
// follows at once, as after a Kyoto street designation with numbers of its
// own, such as "上る2筋目東入" or "二丁目南側"; the whole address
// when none is found). A town is found with its numerals written in kanji or
// digits, and in the other writings people use for it (ノ, 之, の or 乃; ケ,
// ヶ, が, ガ or ヵ; a few old forms of ideographs); a town named by numerals
// alone met again where a number starts is that number. Digits before 条 or
// 筋 are a street's name ("4条上ル"), anywhere else a number. Digits, "-" and single letters are kept; kanji numerals are a
// number only before 丁目, 丁, 番地, 番, 号, 地割, 線, の or ノ; anything else
// separates.
[[nodiscard]] QString AddressNumberOf(const QString &Address, const QStringList &TownNames);
// The values of the code characters: the digits 0 to 9 are themselves.
inline constexpr quint8 PostHyphen = 10;
inline constexpr quint8 PostCC1 = 11, PostCC2 = 12, PostCC3 = 13, PostCC4 = 14, PostCC8 = 18;
// The code characters between the start and the stop code for Data (digits,
// "-" and A-Z; a letter is a control code CC1 to CC3 and a digit): twenty
// characters, cut or filled with CC4, then the check character. Empty when
// Data is empty or holds anything else.
[[nodiscard]] QList<quint8> CustomerBarcodeCodes(const QString &Data);
// The bars of the Japan Post code of Data: the start code, the three bars of
// each code character, the stop code; empty when Data is refused.
[[nodiscard]] QList<TPostBar> EncodeCustomerBarcode(const QString &Data);

// The bar sizes in points, the size table of the barcode item.
inline constexpr std::array<int, 4> BarcodePoints{8, 9, 10, 11};
// Bar height in 96-dpi units for a size index.
[[nodiscard]] qint32 BarcodeBarHeight(int SizeIndex);
// Barcode length in 96-dpi units for a size index.
[[nodiscard]] qint32 BarcodeLength(int SizeIndex);
// The largest size whose barcode is shorter than Length (0.1 mm); False, and
// SizeIndex untouched, when even the smallest does not fit.
[[nodiscard]] bool BarcodeSizeForLength(int Length, int &SizeIndex);

// The postal customer barcode of the recipient's address. Its rectangle
// always follows the chosen size and orientation: it is moved, never resized.
// The bars are drawn as rectangles in Japan Post proportions.
class TBarcodeRect : public TDrawRect
{
public:
    TBarcodeRect() = default;

    TDrawRectKind GetKind() const override { return TDrawRectKind::Barcode; }
    TItemCursor GetCursor(int X, int Y) const override;
    // Copies the size and orientation as well as the base fields; the bars
    // belong to the record last rendered and are not copied.
    void Assign(const TDrawRect &Source) override;
    void SetRect(const TPageRect &R) override;
    void SetDispRect(const TScreenRect &R) override;
    void Draw(QPainter &Canvas, int X, int Y) override;
    void Print(QPainter &Canvas, int X, int Y) override;

    void LoadFromStream(TItemReader &Stream) override;
    void SaveToStream(TItemWriter &Stream) const override;

    // Makes the bars for one record; a record whose code cannot be made
    // shows nothing.
    void RenderCustomerBarcode(const QString &Postcode, const QString &Address, const TTownNameLookup &Towns);
    void ClearImage() { m_bars.clear(); }
    [[nodiscard]] const QList<TPostBar> &Bars() const { return m_bars; }
    // For reversed printing: the code turned by 180 degrees.
    void Rotate180();

    int GetSizeIndex() const { return m_sizeIndex; }
    // Keeps the rectangle's centre.
    void SetBarSize(int Index);
    bool IsHorizontal() const { return m_horizontal; }
    // The rectangle follows at the next SetBarSize or SetRect.
    void SetHorizontal(bool Value) { m_horizontal = Value; }

private:
    void drawBars(QPainter &Canvas, double Left, double Top, double Width, double Height) const;

    QList<TPostBar> m_bars;
    int m_sizeIndex = 0;
    bool m_horizontal = true;
    bool m_keepRect = false;
};

// ---- QR code ---------------------------------------------------------------

enum class TQRKind : quint8 { Text = 0, PhoneDocomo = 1, PhoneSoftBank = 2, MailDocomo = 3, MailSoftBank = 4 };

// Escapes the MECARD and MATMSG field separators ("\" first so that added
// backslashes are not doubled); names also escape ",".
[[nodiscard]] QString EscapeQRField(const QString &S, bool IsName);

// A QR code for phones: free text, a phone-book entry or a prepared mail in
// the format of one of two carriers. Encoded in Kanji mode on the Shift-JIS
// bytes at error level M with a quiet zone of four modules; the modules are
// drawn as rectangles. Its size follows from the module count and the module
// size, so the item is moved, never resized.
class TQRCodeRect : public TDrawRect
{
public:
    static constexpr int QuietZone = QrQuietZone;

    TQRCodeRect() = default;

    TDrawRectKind GetKind() const override { return TDrawRectKind::QRCode; }
    TItemCursor GetCursor(int X, int Y) const override;
    void Assign(const TDrawRect &Source) override;
    void SetRect(const TPageRect &R) override;
    void SetDispRect(const TScreenRect &R) override;
    void Draw(QPainter &Canvas, int X, int Y) override;
    void Print(QPainter &Canvas, int X, int Y) override;
    void Rebuild(bool Force) override;

    void LoadFromStream(TItemReader &Stream) override;
    void SaveToStream(TItemWriter &Stream) const override;

    // The data string for the chosen kind; empty when nothing is given.
    [[nodiscard]] QString BuildQRPayload() const;
    // The module grid (without the quiet zone), row by row, true for dark;
    // valid after Rebuild.
    [[nodiscard]] const QList<QList<bool>> &Modules() const { return m_modules; }
    bool IsValid() const { return m_valid; }

    TQRKind GetQRKind() const { return m_kind; }
    void SetQRKind(TQRKind Value);
    qint32 GetCellPitch() const { return m_cellPitch; }
    // Module size in 96-dpi units, 1 to 5.
    void SetCellPitch(qint32 Value);
    TColor GetDarkColor() const { return m_darkColor; }
    void SetDarkColor(TColor Value);
    TColor GetLightColor() const { return m_lightColor; }
    void SetLightColor(TColor Value);
    bool IsTurned() const { return m_turned; }
    void SetTurned(bool Value);

    const QString &GetText() const { return m_text; }
    void SetText(const QString &Value);
    const QString &GetName() const { return m_name; }
    void SetName(const QString &Value);
    const QString &GetKana() const { return m_kana; }
    void SetKana(const QString &Value);
    QString GetTel(int Index) const { return m_tel.at(Index & 1); }
    void SetTel(int Index, const QString &Value);
    QString GetMail(int Index) const { return m_mail.at(Index & 1); }
    void SetMail(int Index, const QString &Value);
    const QString &GetMemo() const { return m_memo; }
    void SetMemo(const QString &Value);
    const QString &GetMailTo() const { return m_mailTo; }
    void SetMailTo(const QString &Value);
    const QString &GetSubject() const { return m_subject; }
    void SetSubject(const QString &Value);
    const QString &GetBody() const { return m_body; }
    void SetBody(const QString &Value);

    static constexpr qint32 MinCellPitch = 1;
    static constexpr qint32 MaxCellPitch = 5;

private:
    void render();
    void drawModules(QPainter &Canvas, double Left, double Top, double Width, double Height) const;
    void setPhoneField(QString &Field, const QString &Value);
    void setMailField(QString &Field, const QString &Value);

    bool m_valid = false;
    TQRKind m_kind = TQRKind::Text;
    qint32 m_cellPitch = 3;
    TColor m_darkColor = 0x000000;
    TColor m_lightColor = 0xFFFFFF;
    QString m_text, m_name, m_kana;
    std::array<QString, 2> m_tel, m_mail;
    QString m_memo, m_mailTo, m_subject, m_body;
    bool m_turned = false;
    bool m_keepRect = false;
    QList<QList<bool>> m_modules;
};
