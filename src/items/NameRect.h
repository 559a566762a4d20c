#pragma once

#include "items/MetaRect.h"

#include <array>

// One further person of a private name: the name, its honorific and a note.
struct TJointName {
    QString Name;
    QString Honor;
    QString Note;
};

// Where a private name's grid stands along its line, for joint names printed
// in a frame of their own to line up with it as they do beside it: the
// middles of the first given-name cell and of the honorific's first
// character, the cell pitch and the blank after a family name, in 96-dpi
// page pixels (the middles from the page's edge, measured as drawn, so that
// turned frames line up as well), with the grid's family and given cells.
struct TNameGuide {
    double GivenMiddle = 0;
    double HonorMiddle = 0;
    double Pitch = 0;
    double Blank = 0;
    int FamilyCells = 0;
    int GivenCells = 0;
    bool Horizontal = true;
    bool Turned = false;

    bool isValid() const { return GivenCells > 0 && Pitch > 0; }
    bool operator==(const TNameGuide &) const = default;
};

// The addressee's or the sender's name with its honorific. A private person
// (kind 1) is laid out with up to five joint names on a common grid, so that
// the given names start in one column (two or three names to a line where
// one under the other they would print below the least height), each with
// its note at two thirds of its height but no lower than the least height;
// a company (kind 2) has its company, department and title lines above the
// name at reduced sizes, none below the least height where the box has room
// across. Names carry their family and given parts separated by one
// half-width space.
//
// Only the honorific flag and the size level are stored; texts, joint names,
// ratios and options come from the record and the layout at print time.
class TNameRect : public TMetaRect
{
public:
    TNameRect();

    TDrawRectKind GetKind() const override;
    void Assign(const TDrawRect &Source) override;
    void BuildContent(TRecordingCanvas &Canvas, QSize Size) override;
    void ClearContent() override;
    void RescaleFont(TTenthMm PaperLongSide) override;
    // After the text item's fields: the honorific flag from version 200 on
    // (older: shown), the size level from 500 on (older: 3).
    void LoadFromStream(TItemReader &Stream) override;
    void SaveToStream(TItemWriter &Stream) const override;

    // The most joint names laid out beside the main name.
    static constexpr int MaxJointNames = 5;

    quint8 GetNameKind() const { return m_nameKind; }
    void SetNameKind(quint8 Value);
    const QString &GetName() const { return m_name; }
    // Without NameAsIs a name holding no half-width space gets its
    // separator normalised (NormalizeNameSpace).
    void SetName(const QString &Text);
    const QString &GetHonor() const { return m_honor; }
    void SetHonor(const QString &Text);
    const QString &GetNote() const { return m_note; }
    void SetNote(const QString &Text);
    int GetJointCount() const { return int(m_joints.size()); }
    // Clamped to 0 .. MaxJointNames.
    void SetJointCount(int Count);
    QString GetJointName(int Index) const;
    QString GetJointHonor(int Index) const;
    QString GetJointNote(int Index) const;
    // Ignored beyond the last joint entry. A name without a half-width space
    // is normalised, whatever NameAsIs says.
    void SetJointName(int Index, const QString &Text);
    void SetJointHonor(int Index, const QString &Text);
    void SetJointNote(int Index, const QString &Text);
    // The grid of a private name also takes this many family and given
    // cells: those of joint names printed in a frame of their own.
    void SetJointCells(int Family, int Given);
    // The grid the last layout of a private name drew on (invalid when it
    // drew none).
    const TNameGuide &GetGuide() const { return m_drawnGuide; }
    // The grid of the name a frame of joint names lines up with: each line's
    // given name starts under (beside) the name's and its honorific under
    // the name's, at this item's own size. Where a line does not fit the
    // frame so, or the grid runs another way, the lines take the frame's
    // own grid.
    void SetLineUpWith(const TNameGuide &Guide);

    quint8 GetNameAlign() const { return m_nameAlign; }
    // 0 spread evenly, 1 start, 2 end, 3 centre.
    void SetNameAlign(quint8 Value);
    bool IsNameAsIs() const { return m_nameAsIs; }
    void SetNameAsIs(bool Value);
    const QString &GetCorp() const { return m_corp; }
    void SetCorp(const QString &Text);
    QString GetDptmnt(int Index) const;
    void SetDptmnt(int Index, const QString &Text);
    const QString &GetPost() const { return m_post; }
    void SetPost(const QString &Text);
    double GetCorpRatio() const { return m_corpRatio; }
    void SetCorpRatio(double Value);
    double GetDptmntRatio() const { return m_dptmntRatio; }
    void SetDptmntRatio(double Value);
    double GetPostRatio() const { return m_postRatio; }
    void SetPostRatio(double Value);
    bool IsCharSpace() const { return m_charSpace; }
    void SetCharSpace(bool Value);
    bool IsCorpBreak() const { return m_corpBreak; }
    void SetCorpBreak(bool Value);
    bool IsShowHonor() const { return m_showHonor; }
    void SetShowHonor(bool Value)
    {
        if (m_showHonor != Value) {
            m_showHonor = Value;
            invalidate();
        }
    }
    bool IsSender() const { return m_sender; }
    void SetSender(bool Value)
    {
        if (m_sender != Value) {
            m_sender = Value;
            invalidate();
        }
    }
    bool IsInBlock() const { return m_inBlock; }
    void SetInBlock(bool Value)
    {
        if (m_inBlock != Value) {
            m_inBlock = Value;
            invalidate();
        }
    }
    qint32 GetSizeLevel() const { return m_sizeLevel; }
    void SetSizeLevel(qint32 Value)
    {
        if (m_sizeLevel != qBound(1, Value, 5)) {
            m_sizeLevel = qBound(1, Value, 5);
            invalidate();
        }
    }

    static constexpr std::array<qint32, 5> RecipientHeights{-20, -30, -40, -47, -55};
    static constexpr std::array<qint32, 5> SenderHeights{-18, -23, -29, -35, -40};

private:
    void buildPrivate(TRecordingCanvas &Canvas, QSize Size);
    void buildCompany(TRecordingCanvas &Canvas, QSize Size);

    quint8 m_nameKind = 0;
    QString m_name;
    QString m_honor;
    QString m_note;
    QList<TJointName> m_joints;
    quint8 m_nameAlign = 0;
    bool m_nameAsIs = false;
    QString m_corp;
    std::array<QString, 2> m_dptmnt;
    QString m_post;
    double m_corpRatio = 0.7;
    double m_dptmntRatio = 0.6;
    double m_postRatio = 0.5;
    bool m_sender = false;
    qint32 m_sizeLevel = 3;
    bool m_inBlock = false;
    bool m_corpBreak = false;
    bool m_showHonor = true;
    bool m_charSpace = true;
    int m_jointFamilyCells = 0;
    int m_jointGivenCells = 0;
    TNameGuide m_lineUpWith;
    TNameGuide m_drawnGuide;
};

// The family and given parts of a name, split at its first half-width
// space; a name without one is all given name.
struct TNameParts {
    QString Family;
    QString Given;
    bool HasSeparator = false;
};
TNameParts SplitNameParts(const QString &Name);
