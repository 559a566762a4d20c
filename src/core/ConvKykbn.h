#pragma once

#include <QDate>
#include <QDialog>
#include <QString>

#include <functional>

class QPushButton;
class TTable;

// The old telephone numbering to the new one. Rule A (numbers of 4 to 10
// characters): 010/020/030/040/080 -> 090 + second digit + the rest from
// the fourth; 050/060 -> 070 + second digit + the rest; else a leading "06"
// in a number under 10 characters -> "066" + the rest from the third. Rule
// B (from 2000-01-01 on): "0720" -> "0728" + the rest from the fifth.
[[nodiscard]] QString ConvertTelRuleA(const QString &Tel);
[[nodiscard]] QString ConvertTelRuleB(const QString &Tel, const QDate &Today);
// Both rules on a stored number (trimmed; empty ones and ones not beginning
// with "0" stay), the result trimmed.
[[nodiscard]] QString ConvertOldTel(const QString &Tel, const QDate &Today);

struct TConversionCounts
{
    int Processed = 0;
    int Converted = 0;
    // The user stopped the run: what was converted before stays converted,
    // and the report must say the run was stopped, not that it finished.
    bool Cancelled = false;
};

// Runs Change over every record of Table, taken in record-number order
// before the run, in one run with progress (TRecordRun): Change edits the
// current record and returns true when it changed something (the record is
// then posted and counted) or false (cancelled, not counted). A record
// refused by the table is not counted. False with the reason when nothing
// of the run could be written.
[[nodiscard]] bool ConvertRecords(QWidget *Owner, TTable &Table, const QString &Label,
                                  const std::function<bool(TTable &)> &Change, TConversionCounts &Counts,
                                  QString *Error);

// The area-code conversion of the open book (Tel, Fax, Portable1,
// Portable2, with a new update stamp) and of the sender records (Tel, Fax),
// after both tables were copied into "backup.kyk/" (a failed copy stops
// before anything changes).
[[nodiscard]] bool ConvertAreaCodes(QWidget *Owner, TConversionCounts &Counts, QString *Error);

// The dialog "局番変換". Accepted after a conversion.
class TConvertKykbn : public QDialog
{
    Q_OBJECT

public:
    explicit TConvertKykbn(QWidget *parent = nullptr);
    std::function<bool()> CloseChildWindows;
    void btnConvertClick();

private:
    QPushButton *btnConvert = nullptr;
    QPushButton *btnClose = nullptr;
};

// The closing message of the conversions: caption, then the counts.
[[nodiscard]] QString ConversionReport(const QString &Done, const TConversionCounts &Counts);
