#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>

// The 61 destination fields of the text import, in the order the assignment
// grid lists them (row 1 is index 0). Each has the caption the grid shows,
// the byte limit of a constant typed for it (0: none), and the header names
// the automatic assignment recognises, in the order they are tried.
constexpr int ImportFieldCount = 61;

// Row numbers the run and the conversion name (1-based, as the grid shows).
enum TImportRow : int {
    irGroup = 1, irCustomCode = 2, irTel = 3, irTelDiv = 4, irFax = 5, irPubDate = 6, irPortable1 = 7,
    irPortable2 = 8, irPos = 9, irAdrs1 = 10, irAdrs2 = 11, irAdrs3 = 12, irAdrsKana = 13, irJisCode = 14,
    irLatitude = 15, irLongitude = 16, irPrivCorp = 17, irCorpKanji = 18, irCorpKana = 19, irDptmnt = 20,
    irPost = 21, irName = 22, irNameKana = 23, irHonor = 24, irIgnoreName = 25, irURL = 26, irEMail1 = 27,
    irEMail2 = 28, irJoint1 = 29, irJointHonor1 = 34, irJointOwner = 39, irJointPrint = 40, irJointPrint1 = 41,
    irPrintTarget = 46, irSender = 47, irKeyword1 = 48, irKeyword6 = 53, irNote = 56, irExtLink = 57,
    irSymbolMark = 58, irSymbolColor = 59, irAddDate = 60, irAddTime = 61,
};

struct TImportField {
    QString Caption;
    int Limit = 0;
    QStringList HeaderNames;
    // Keyword rows: the header name the program's own export writes for the
    // keyword (ExportHeaderNames, code page 932), which the user's caption
    // chooses; the automatic assignment takes the column of exactly this name
    // before any row tries its header names. Empty for the other rows, whose
    // header names are fixed and name no other row's column.
    QByteArray ColumnName;
};

// The fields with the keyword rows captioned by the user's keyword names
// (KeywordNames) as they are now.
[[nodiscard]] std::array<TImportField, ImportFieldCount> ImportFieldList();

// The texts of one line for the 61 fields, CP932 bytes, index = row - 1.
using TImportValues = std::array<QByteArray, ImportFieldCount>;
// Which rows have something assigned (update mode writes only those).
using TImportAssigned = std::array<bool, ImportFieldCount>;

// The names under which an exported file's header and the import know every
// item other than keyword Keyword (1..8): captions and recognised header
// names, the other keywords' fixed names ("キーワード２" ...) included. A
// keyword caption equal to one of them would take that item's column.
[[nodiscard]] QStringList NamesOfOtherItems(int Keyword);
