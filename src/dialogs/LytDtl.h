#pragma once

#include "dialogs/DataFrm.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QTabWidget;
class TExTrackBar;

// The step of a size track bar under a press at X on its channel, which
// runs from Left to Right: the smallest step at or before Left, Max at or
// beyond Right, else the nearest step.
[[nodiscard]] int TrackStepAt(int X, int Left, int Right, int Max);

// "フォント・配置の詳細設定": bytes 60..100 of the layout's data format (sizes,
// company ratios, alignment, joint names, company line breaks) and, for the
// address side and labels, automatic layout or the detailed frame set with
// each frame shown or hidden. The page shown last is kept in the settings
// file (PRINTFORM, Detail).
class TLayoutDetailDialog : public QDialog
{
    Q_OBJECT

public:
    explicit TLayoutDetailDialog(QWidget *Owner);
    ~TLayoutDetailDialog() override;

    void SetLayoutKind(TLayoutKind Kind);
    void SetDetailedFrames(bool Detailed);
    // 0 addressee and sender, 1 addressee only, 2 sender only.
    void SetDataSide(int Side);
    void SetDesignMode(bool On);

    void SetDetail(const TDataFormat &Format);
    // Writes bytes 60..100 only.
    void GetDetail(TDataFormat &Format) const;

    // True while the detailed frame set is chosen (ckbAuto unchecked).
    bool DetailedFrames = false;

    [[nodiscard]] bool GetPosVisible() const;
    void SetPosVisible(bool V);
    [[nodiscard]] bool GetAddressVisible(int Line) const;
    void SetAddressVisible(int Line, bool V);
    [[nodiscard]] bool GetNameVisible() const;
    void SetNameVisible(bool V);
    [[nodiscard]] bool GetCorpVisible() const;
    void SetCorpVisible(bool V);
    [[nodiscard]] bool GetDptmntVisible() const;
    void SetDptmntVisible(bool V);
    [[nodiscard]] bool GetPostVisible() const;
    void SetPostVisible(bool V);
    [[nodiscard]] bool GetSenderPosVisible() const;
    void SetSenderPosVisible(bool V);
    [[nodiscard]] bool GetSenderAddressVisible(int Line) const;
    void SetSenderAddressVisible(int Line, bool V);
    [[nodiscard]] bool GetSenderNameVisible() const;
    void SetSenderNameVisible(bool V);
    [[nodiscard]] bool GetSenderCorpVisible() const;
    void SetSenderCorpVisible(bool V);
    [[nodiscard]] bool GetSenderDptmntVisible() const;
    void SetSenderDptmntVisible(bool V);
    [[nodiscard]] bool GetSenderPostVisible() const;
    void SetSenderPostVisible(bool V);
    [[nodiscard]] bool GetAdditionVisible(int Line) const;
    void SetAdditionVisible(int Line, bool V);

protected:
    void showEvent(QShowEvent *Event) override;
    void done(int Result) override;

private:
    void AutoChanged();
    void JumpTrack(TExTrackBar *Bar, int X);

    QTabWidget *pgcDetail = nullptr;
    QCheckBox *ckbAuto = nullptr;
    QCheckBox *ckbPos = nullptr;
    std::array<QCheckBox *, 3> ckbAddress{};
    QCheckBox *ckbName = nullptr;
    QCheckBox *ckbCorp = nullptr;
    QCheckBox *ckbDptmnt = nullptr;
    QCheckBox *ckbPost = nullptr;
    QCheckBox *ckbS_Pos = nullptr;
    std::array<QCheckBox *, 3> ckbS_Address{};
    QCheckBox *ckbS_Name = nullptr;
    QCheckBox *ckbS_Corp = nullptr;
    QCheckBox *ckbS_Dptmnt = nullptr;
    QCheckBox *ckbS_Post = nullptr;
    std::array<QCheckBox *, 4> ckbAddition{};

    TExTrackBar *tbrName = nullptr;
    TExTrackBar *tbrAddress = nullptr;
    TExTrackBar *tbrAddition = nullptr;
    TExTrackBar *tbrSendName = nullptr;
    TExTrackBar *tbrSendAddress = nullptr;
    TExTrackBar *tbrSendAddition = nullptr;
    QLabel *lblAddition = nullptr;
    QList<QWidget *> m_senderFont;    // sender label, bars and their labels
    QList<QWidget *> m_addresseeFont; // addressee label, bars, labels, 小 and 大
    QLineEdit *edNameRatio = nullptr;
    QComboBox *cbxCorpRatio = nullptr;
    QComboBox *cbxDptmntRatio = nullptr;
    QComboBox *cbxPostRatio = nullptr;
    QList<QWidget *> m_ratioLabels;

    std::array<QRadioButton *, 4> rbAlign{};  // rbEqual, rbLeft, rbRight, rbCenter
    std::array<QRadioButton *, 4> rbS_Align{};
    QLabel *lblAlign = nullptr;
    QLabel *lblS_Align = nullptr;
    QRadioButton *rbParallel = nullptr;
    QRadioButton *rbSeries = nullptr;
    QCheckBox *ckbCorpBreak = nullptr;
    QCheckBox *ckbCharSpace = nullptr;

    TLayoutKind m_kind = TLayoutKind::lkPostcard;
    int m_dataSide = 0;
};
