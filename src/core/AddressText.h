#pragma once

#include <QString>
#include <QtGlobal>

#include <array>

struct TAddressData;

// One address record as text, the form in which a record leaves the store
// for printing: every field decoded once, here, so that no reader decodes
// bytes of its own. The names (NameKanji, its reading and the joint names)
// may be stored in the "@" form of wide text (the record form and the
// import always write them so) or as plain CP932; every other text is
// CP932. Texts are trimmed.
//
// A field the merge needs is added here and filled in AddressTextOf; the
// readers take it from this value, never from the record's bytes.
struct TAddressText {
    qint32 RecNo = 0;
    // As the store means it: true a private person (個人), false a company
    // (会社), whose company, department and title print above the name.
    bool PrivCorp = true;
    QString CustomCode;
    QString Tel, Fax, Portable1, Portable2;
    QString Pos, Tdfkn, Adrs1, Adrs2, Adrs3, AdrsKana;
    QString CorpKanji, CorpKana, Dptmnt, Post;
    QString NameKanji, NameKana, Honor;
    QString URL, EMail1, EMail2;
    // The joint names 1 to 5 with their honorifics and print marks; JointPrint
    // is the mark of the person named in NameKanji.
    std::array<QString, 5> Joint, JointHonor;
    bool JointPrint = false;
    // A company's name is kept off its address ("宛名の印刷に名前を使用しない").
    bool IgnoreName = false;
    std::array<bool, 5> JointPrints{};
    std::array<QString, 8> Keyword;

    [[nodiscard]] bool IsCompany() const { return !PrivCorp; }

    bool operator==(const TAddressText &) const = default;
};

// The record as text: the names decoded from whichever form they are
// stored in (DecodeUnicodeField, the one decoding of the "@" form), the
// other texts from CP932, every text trimmed.
[[nodiscard]] TAddressText AddressTextOf(const TAddressData &Record);
