#include "editors/FormatDialogs.h"

#include "core/Env.h"
#include "dialogs/AddInfo.h"
#include "dialogs/DataFrm.h"
#include "dialogs/LytDtl.h"
#include "util/SubUnit.h"

#include <algorithm>

namespace {

TLayoutKind dialogKind(int Kind)
{
    return TLayoutKind(std::clamp(Kind, 0, 3));
}

int exec(const TFormatDialogSetup &Setup, QDialog &Dialog)
{
    return Setup.Exec ? Setup.Exec(Dialog) : Dialog.exec();
}

} // namespace

bool RunDataFormatDialog(QWidget *Owner, const TFormatDialogSetup &Setup, TDataFormat &Format)
{
    TDataFormDialog dialog(Owner);
    CenterFormOnOwner(&dialog, Owner);
    dialog.SetDataFormat(Format);
    if (Setup.Design)
        dialog.SetDesignMode(true);
    else
        dialog.SetLayoutKind(dialogKind(Setup.LayoutKind));
    if (exec(Setup, dialog) != QDialog::Accepted)
        return false;
    TDataFormat answer = Format;
    dialog.GetDataFormat(answer);
    TakeDataFormatPart(Format, answer);
    return true;
}

bool RunLayoutDetailDialog(QWidget *Owner, const TFormatDialogSetup &Setup, TDetailRequest &Request,
                           TDataFormat &Format)
{
    TLayoutDetailDialog dialog(Owner);
    CenterFormOnOwner(&dialog, Owner);
    if (Setup.Design)
        dialog.SetDesignMode(true);
    else
        dialog.SetLayoutKind(dialogKind(Setup.LayoutKind));
    dialog.SetDetailedFrames(Request.DetailedFrames);
    dialog.SetDataSide(Request.DataSide);
    auto v = [&Request](TDetailBox Box) -> bool & { return Request.Visible[size_t(Box)]; };
    dialog.SetPosVisible(v(TDetailBox::Pos));
    for (int i = 0; i < 3; ++i) {
        dialog.SetAddressVisible(i, v(TDetailBox(int(TDetailBox::Address1) + i)));
        dialog.SetSenderAddressVisible(i, v(TDetailBox(int(TDetailBox::SenderAddress1) + i)));
    }
    dialog.SetNameVisible(v(TDetailBox::Name));
    dialog.SetCorpVisible(v(TDetailBox::Corp));
    dialog.SetDptmntVisible(v(TDetailBox::Dptmnt));
    dialog.SetPostVisible(v(TDetailBox::Post));
    dialog.SetSenderPosVisible(v(TDetailBox::SenderPos));
    dialog.SetSenderNameVisible(v(TDetailBox::SenderName));
    dialog.SetSenderCorpVisible(v(TDetailBox::SenderCorp));
    dialog.SetSenderDptmntVisible(v(TDetailBox::SenderDptmnt));
    dialog.SetSenderPostVisible(v(TDetailBox::SenderPost));
    for (int i = 0; i < 4; ++i)
        dialog.SetAdditionVisible(i, v(TDetailBox(int(TDetailBox::Addition1) + i)));
    dialog.SetDetail(Format);
    if (exec(Setup, dialog) != QDialog::Accepted)
        return false;
    dialog.GetDetail(Format);
    Request.DetailedFrames = dialog.DetailedFrames;
    v(TDetailBox::Pos) = dialog.GetPosVisible();
    for (int i = 0; i < 3; ++i) {
        v(TDetailBox(int(TDetailBox::Address1) + i)) = dialog.GetAddressVisible(i);
        v(TDetailBox(int(TDetailBox::SenderAddress1) + i)) = dialog.GetSenderAddressVisible(i);
    }
    v(TDetailBox::Name) = dialog.GetNameVisible();
    v(TDetailBox::Corp) = dialog.GetCorpVisible();
    v(TDetailBox::Dptmnt) = dialog.GetDptmntVisible();
    v(TDetailBox::Post) = dialog.GetPostVisible();
    v(TDetailBox::SenderPos) = dialog.GetSenderPosVisible();
    v(TDetailBox::SenderName) = dialog.GetSenderNameVisible();
    v(TDetailBox::SenderCorp) = dialog.GetSenderCorpVisible();
    v(TDetailBox::SenderDptmnt) = dialog.GetSenderDptmntVisible();
    v(TDetailBox::SenderPost) = dialog.GetSenderPostVisible();
    for (int i = 0; i < 4; ++i)
        v(TDetailBox(int(TDetailBox::Addition1) + i)) = dialog.GetAdditionVisible(i);
    return true;
}

bool RunAdditionInfoDialog(QWidget *Owner, const TFormatDialogSetup &Setup, TAdditionRequest &Request)
{
    TAdditionInfoDialog dialog(Owner);
    CenterFormOnOwner(&dialog, Owner);
    dialog.SetLayoutKind(dialogKind(Setup.LayoutKind));
    dialog.SetDataSource(Request.DataSource);
    for (int i = 0; i < 4; ++i) {
        dialog.SetAdditionChecked(i, Request.Checked[size_t(i)]);
        if (Request.Ids[size_t(i)] != 0)
            dialog.SetAdditionItem(i, Request.Ids[size_t(i)]);
        else
            dialog.SetAdditionText(i, Request.Texts[size_t(i)]);
    }
    dialog.SetBarcode(Request.Barcode);
    if (Request.BarcodeDisabled) {
        dialog.DisableBarcode(true);
    } else {
        dialog.SetMaxBarSize(Request.MaxBarSize);
        dialog.SetBarSize(Request.BarSize);
    }
    if (exec(Setup, dialog) != QDialog::Accepted)
        return false;
    for (int i = 0; i < 4; ++i) {
        Request.Checked[size_t(i)] = dialog.GetAdditionChecked(i);
        Request.Ids[size_t(i)] = dialog.GetAdditionItem(i);
        Request.Texts[size_t(i)] = dialog.GetAdditionText(i);
    }
    Request.Barcode = dialog.GetBarcode();
    Request.BarSize = dialog.GetBarSize();
    return true;
}

QString AdditionCaption(int Id)
{
    switch (Id) {
    case 3: return QStringLiteral("TEL");
    case 4: return QStringLiteral("FAX");
    case 5: return QStringLiteral("携帯1");
    case 6: return QStringLiteral("携帯2");
    case 7: return QStringLiteral("URL");
    case 9: return QStringLiteral("E-Mail1");
    case 10: return QStringLiteral("E-Mail2");
    default: break;
    }
    if (Id >= 11 && Id <= 18)
        return KeywordNames[size_t(Id - 10)];
    return {};
}
