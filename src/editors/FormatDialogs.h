#pragma once

#include "dialogs/DataFormat.h"

#include <QString>

#include <array>
#include <functional>

class QDialog;
class QWidget;

// The editors' side of the data format, layout detail and additional
// information dialogs. The dialogs name layouts with their own layout kind,
// the editors with theirs, so this unit speaks to both in plain values.

// The layout as the dialogs see it: 0 postcard, 1 envelope, 2 label, 3 card;
// Design: the design editor (the dialogs' design mode instead of a kind).
struct TFormatDialogSetup
{
    int LayoutKind = 0;
    bool Design = false;
    // Runs a dialog (exec); the editors' seam, which tests answer.
    std::function<int(QDialog &)> Exec;
};

// "書式の設定": on OK bytes 0..59 of the dialog's answer are taken into Format.
[[nodiscard]] bool RunDataFormatDialog(QWidget *Owner, const TFormatDialogSetup &Setup, TDataFormat &Format);

// The frames the layout detail dialog shows or hides.
enum class TDetailBox {
    Pos,
    Address1,
    Address2,
    Address3,
    Name,
    Corp,
    Dptmnt,
    Post,
    SenderPos,
    SenderAddress1,
    SenderAddress2,
    SenderAddress3,
    SenderName,
    SenderCorp,
    SenderDptmnt,
    SenderPost,
    Addition1,
    Addition2,
    Addition3,
    Addition4,
    Count
};

struct TDetailRequest
{
    bool DetailedFrames = false;
    int DataSide = 0; // 0 addressee and sender, 1 addressee only, 2 sender only
    std::array<bool, size_t(TDetailBox::Count)> Visible{};
};

// "フォント・配置の詳細設定": on OK bytes 60..100 are taken into Format and the
// frame set and visibilities into Request.
[[nodiscard]] bool RunLayoutDetailDialog(QWidget *Owner, const TFormatDialogSetup &Setup, TDetailRequest &Request,
                                         TDataFormat &Format);

// The four additional lines and the barcode.
struct TAdditionRequest
{
    int DataSource = 1; // 1 addressee, 2 sender
    std::array<bool, 4> Checked{};
    std::array<int, 4> Ids{};       // 0: free text
    std::array<QString, 4> Texts{};
    bool Barcode = false;
    int BarSize = 0;
    bool BarcodeDisabled = false; // the layout carries no barcode
    int MaxBarSize = 3;           // the largest size the paper takes
};

// "追加情報の設定" ("バーコードの設定" for postcards and envelopes).
[[nodiscard]] bool RunAdditionInfoDialog(QWidget *Owner, const TFormatDialogSetup &Setup, TAdditionRequest &Request);

// The caption an additional line of a field id prints before its value
// (the dialog's list text), empty for free text and unknown ids.
[[nodiscard]] QString AdditionCaption(int Id);
