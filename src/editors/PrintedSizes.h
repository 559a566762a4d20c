#pragma once

#include <QList>
#include <QRectF>
#include <QString>

#include <map>
#include <vector>

class TLayoutDocument;
class TMetaRect;
class TRecordSource;
struct TAddressText;

// What a piece prints smaller than a person reads: the addressee's texts
// (address, company, department, title, name) print at the least height
// (LeastTextMm, items/MetaRect.h) or larger, taking the blank room beside
// their frames (LendFreeRoom) and narrowed where even that is too long: to
// two thirds of their width (LeastWidthRatio) untold, further named. An
// additional line without room is left out (LeftOutAdditionLines); a free
// text or a sender block the user put in prints as its box sizes it, and is
// named (挿入した文字, 差出人情報) where that is below the least height. Joint
// names ticked for printing that the layout leaves off are named with their
// addressee. The print wizard tells the user what and on how many pieces
// (ラベル N 枚 on labels) before anything is printed.

// The part of the record the addressee item at Index prints, as the user
// names it (住所, 会社名, 部署名, 役職, 氏名); empty for other items.
[[nodiscard]] QString AddresseePartOf(const TLayoutDocument &Document, size_t Index);

// The boxes (page pixels of the piece) of the texts Item drew in its last
// layout.
[[nodiscard]] std::vector<QRectF> PrintedTextBoxes(const TMetaRect &Item);

// What one merged record prints short of its size: the parts narrowed to
// stay at the least height, the parts below it, the additional lines left
// out. A part is named as the user knows it (住所, 会社名, 部署名, 役職, 氏名).
struct TSizeShortfalls {
    QList<QString> Squeezed;
    QList<QString> Small;
    int LeftOutLines = 0;
    // The additional lines left out, by the names the user chose them by.
    QList<QString> LeftOutNames;
    // The joint names the record has ticked for printing that its name frame
    // leaves off (a company's frame prints its lines and one name), and the
    // addressee's name they belong to.
    int LeftOutJoints = 0;
    QString JointsOf;

    [[nodiscard]] bool empty() const
    {
        return Squeezed.isEmpty() && Small.isEmpty() && LeftOutLines == 0 && LeftOutJoints == 0;
    }
};

// The shortfalls of the record merged into Document now (its text items
// laid out for it first).
[[nodiscard]] TSizeShortfalls SizeShortfalls(TLayoutDocument &Document);

// What a run's records fall short of, counted on their pieces, in the order
// the parts are first met; Report() gives the lines the wizard shows.
class TShortfallTally
{
public:
    // The shortfalls of one record, printed on Pieces pieces.
    void Add(const TSizeShortfalls &Record, int Pieces);
    // One line a part ("…が 1.8mm より小さい文字で印刷されます（ラベル N 枚）"),
    // pieces counted as labels on a label run; empty when nothing fell short.
    [[nodiscard]] QString Report(bool Labels) const;

private:
    QList<QString> m_squeezedOrder, m_smallOrder, m_leftOutNames;
    std::map<QString, int> m_squeezed, m_small;
    int m_lines = 0;
    int m_linePieces = 0;
    // The records whose ticked joint names stay off, their pieces, and the
    // first of their addressees' names.
    int m_jointRecords = 0;
    int m_jointPieces = 0;
    QList<QString> m_jointOwners;
};

// The print wizard's report on a run: each record of RecNos merged (with
// Sender) and measured, without drawing; the lines name what falls short and
// on how many pieces (PrintsPerRecord each), the additional lines left out
// by their names, so that the user knows which to make room for. Empty when
// nothing does. Leaves
// Document merged with the last record: the caller merges its own again.
[[nodiscard]] QString SizeShortfallReport(TLayoutDocument &Document, const TRecordSource &Source,
                                          const QList<qint32> &RecNos, const TAddressText *Sender,
                                          int PrintsPerRecord);
