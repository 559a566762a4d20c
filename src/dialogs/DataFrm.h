#pragma once

#include "dialogs/DataFormat.h"
#include "dialogs/LayoutKind.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDialog>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;


// "書式の設定": the conversions, corporate form, postal marks and honorifics
// of a layout. The editor: SetDataFormat, SetLayoutKind (the design editor
// SetDesignMode(true) instead), exec; on OK GetDataFormat into a scratch
// record and TakeDataFormatPart into its own.
class TDataFormDialog : public QDialog
{
    Q_OBJECT

public:
    explicit TDataFormDialog(QWidget *Owner);

    void SetDataFormat(const TDataFormat &Format);
    // Writes bytes 0..59 only.
    void GetDataFormat(TDataFormat &Format) const;
    void SetLayoutKind(TLayoutKind Kind);
    void SetDesignMode(bool On);

private:
    QCheckBox *ckbConnect = nullptr;
    QCheckBox *ckbTdfkn = nullptr;
    QCheckBox *ckbChineseNumeral = nullptr;
    QCheckBox *ckbVertNumeral = nullptr;
    QGroupBox *tbsCorpOmit = nullptr;
    std::array<QRadioButton *, 3> rbCorp{};
    QGroupBox *gbxPosMark = nullptr;
    QLabel *lblPos = nullptr;
    QLabel *lblSendPos = nullptr;
    std::array<QRadioButton *, 3> rbPos{};
    std::array<QRadioButton *, 3> rbSendPos{};
    QGroupBox *gbxHonorific = nullptr;
    QLineEdit *edDefHonor = nullptr;
    QLineEdit *edCorpHonor = nullptr;
    QLineEdit *edPostHonor = nullptr;
    QLineEdit *edSenderHonor = nullptr;
    QLabel *lblinfo = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;
};
