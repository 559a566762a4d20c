// The record form's links to outside programs: the map of the address (and
// the position picked there), the QR code of a map link, the train-route
// program, the web search, the browser and the mail program.
#include "addressbook/DtInqiry.h"

#include "addressbook/ExtLinkKind.h"
#include "core/AppSub.h"
#include "core/DBInfo.h"
#include "core/Env.h"
#include "links/ExpMain.h"
#include "links/LinkServices.h"
#include "links/MapPrograms.h"
#include "links/NoriMain.h"
#include "links/QRMap.h"
#include "links/RoutePrograms.h"
#include "links/WebSch.h"
#include "platform/Table.h"
#include "util/MsgBoxPos.h"
#include "util/SubUnit.h"
#include "util/WaitCursor.h"
#include "widgets/NMDEdit.h"
#include "widgets/TntStdCtrls.h"

#include <QToolButton>

void TDataInquiry::ConnectLinks()
{
    connect(bbtnMap, &QToolButton::clicked, this, [this] { bbtnMapClick(); });
    connect(bbtnQRMap, &QToolButton::clicked, this, [this] { bbtnQRMapClick(); });
    connect(bbtnRoot, &QToolButton::clicked, this, [this] { bbtnRootClick(); });
    connect(bbtnWebSearch, &QToolButton::clicked, this, [this] { bbtnWebSearchClick(); });
    connect(bbtnOpenURL, &QToolButton::clicked, this, [this] { bbtnOpenURLClick(); });
    connect(bbtnEMail1, &QToolButton::clicked, this, [this] { bbtnEMailClick(0); });
    connect(bbtnEMail2, &QToolButton::clicked, this, [this] { bbtnEMailClick(1); });
    bbtnQRMap->setToolTip(QStringLiteral("iMapFan/ケータイ地図MapFanにリンク"));
}

void TDataInquiry::RefreshLinkHints()
{
    bbtnMap->setToolTip(MapButtonHint(CooperateMap));
    bbtnRoot->setToolTip(RouteButtonHint(CooperateRoot));
}

namespace {

QString digitsOnly(const QString &Text)
{
    QString digits;
    for (const QChar c : Text)
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digits += c;
    return digits;
}

} // namespace

void TDataInquiry::bbtnMapClick()
{
    TWaitCursor hourglass;
    const int kind = (CooperateMap >= 0 && CooperateMap < MapProgramCount) ? CooperateMap : 2;
    // A new record takes the picked position with it; a stored one only from
    // the programs that hand one back at once, and only when the user agrees
    // before the map opens. With the program missing no map opens, so there
    // is nothing to agree to: the launcher's own message says it is missing.
    bool takeBack = !m_bookRecord;
    if (m_bookRecord && (kind == 0 || kind == 1 || kind == 2 || kind == 5)
        && MapPrograms().IsInstalled(TMapProgramKind(kind)))
        takeBack = ShowMessageBoxAt(this, QStringLiteral("地図で指定した座標の緯度経度を保存してもよろしいですか？  "),
                                    ProductCaption(), MB_YESNO | MB_ICONQUESTION, mbpCenterOnOwner, 0, 0)
                   == IDYES;

    TMapSearchParams params;
    params.Mode = CooperateMapSearchKind == 1 ? 1 : 0;
    params.Latitude = m_latitude;
    params.Longitude = m_longitude;
    params.Phone = digitsOnly(edtTel->text());
    params.Address = edtTdfkn->text().trimmed() + edtAdrs1->text().trimmed() + edtAdrs2->text().trimmed()
                     + edtAdrs3->text().trimmed();
    const TMapLinkResult result = RunMapLink(TMapProgramKind(kind), params, this, MapPrograms(), AppPath, true);
    if (result == TMapLinkResult::NothingToShow) {
        FocusAtEnd(edtTel);
        return;
    }
    if (result != TMapLinkResult::Shown || !takeBack)
        return;
    if (params.Latitude == m_latitude && params.Longitude == m_longitude)
        return;
    if (m_bookRecord)
        StoreMapPosition(params.Latitude, params.Longitude);
    else {
        m_latitude = params.Latitude;
        m_longitude = params.Longitude;
    }
}

void TDataInquiry::StoreMapPosition(qint32 Latitude, qint32 Longitude)
{
    TTable *table = DMMurven19 ? DMMurven19->AdrsTable() : nullptr;
    QString reason;
    const QDateTime now = CurrentTimeStamp();
    if (!table || !table->Active()) {
        reason = QStringLiteral("住所録が開かれていません");
    } else {
        try {
            table->SetIndexName(QString());
            if (!table->FindKey({QVariant(m_bookRecord->RecNo)})) {
                reason = QStringLiteral("データが見つかりません");
            } else {
                table->Edit();
                try {
                    table->FieldByName(QStringLiteral("Latitude")).SetAsInteger(Latitude);
                    table->FieldByName(QStringLiteral("Longitude")).SetAsInteger(Longitude);
                    table->FieldByName(QStringLiteral("UpdDateTime")).SetAsDateTime(now);
                    table->Post();
                } catch (const ETableError &) {
                    table->Cancel();
                    throw;
                }
                try {
                    table->FlushBuffers();
                } catch (const ETableError &) {
                    // The post is committed; the flush only hurries the disk.
                }
            }
        } catch (const ETableError &e) {
            reason = e.Message();
        }
    }
    if (!reason.isEmpty()) {
        // The stored record keeps its old position; so does the form.
        ShowMessageBoxAt(this, QStringLiteral("地図の座標を保存できませんでした  \r\n") + reason + QStringLiteral("  "),
                         ProductCaption(), MB_ICONERROR, mbpCenterOnOwner, 0, 0);
        return;
    }
    m_latitude = Latitude;
    m_longitude = Longitude;
    // Stored already: the form does not count the new position as a change.
    for (std::optional<TAddressData> *record : {&m_bookRecord, &m_shownRecord}) {
        if (*record) {
            (*record)->Latitude = Latitude;
            (*record)->Longitude = Longitude;
            (*record)->UpdDateTime = now;
        }
    }
    ShowDate(edtUpdDateTime, now);
}

void TDataInquiry::bbtnQRMapClick()
{
    std::unique_ptr<TQRCodeMap> dialog;
    {
        TWaitCursor hourglass;
        dialog = std::make_unique<TQRCodeMap>(this);
        CenterFormOnOwner(dialog.get(), this);
        dialog->SetAddress(edtTdfkn->text().trimmed() + edtAdrs1->text().trimmed() + edtAdrs2->text().trimmed()
                           + edtAdrs3->text().trimmed());
    }
    dialog->exec();
}

void TDataInquiry::bbtnRootClick()
{
    if (CooperateRoot == 1) {
        TNorikaeMain front(this);
        {
            TWaitCursor hourglass;
            // A missing program is reported by InitRailServ.
            if (!front.InitRailServ())
                return;
            CenterFormOnOwner(&front, this);
            front.setProperty("HelpContext", 50);
            front.SetProgramDir(AppPath);
            front.SetHelpContexts(50, 49, 49);
            front.SetPoint(m_latitude, m_longitude);
        }
        front.exec();
        return;
    }
    TExpertMain front(this);
    {
        TWaitCursor hourglass;
        const QString folder = AppPath;
        front.SetFolders(folder, folder + QStringLiteral("Dic/"));
        // A missing or broken station library is reported here.
        if (!front.LoadStationLibrary())
            return;
        CenterFormOnOwner(&front, this);
        front.setProperty("HelpContext", 50);
        front.SetColors(Qt::blue, palette().color(QPalette::WindowText));
        front.SetHelpContexts(50, 50, 49, 49);
        const auto [latitude, longitude] = ExpertPointOf(m_latitude, m_longitude);
        front.SetPoint(latitude, longitude);
    }
    front.exec();
}

void TDataInquiry::bbtnWebSearchClick()
{
    TWebSearch dialog(this);
    CenterFormOnOwner(&dialog, this);
    dialog.SetSearchText(nmedtCorpKanji->isEnabled() ? nmedtCorpKanji->text() : QString());
    dialog.exec();
}

namespace {

// Hands a link to the desktop, asking first when it is no web page or
// document; false when it was not opened.
bool openLink(QWidget *Form, const QUrl &Url, const QString &Shown)
{
    if (ClassifyExtLink(Url) == TExtLinkKind::Other
        && ShowMessageBoxAt(Form,
                            QStringLiteral("このリンクはウェブページや文書ではなく、プログラムが実行される"
                                           "おそれがあります  \r\n")
                                + Shown + QStringLiteral("  \r\n\r\n開いてもよろしいですか？  "),
                            ProductCaption(), MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2, mbpCenterOnOwner, 0, 0)
               != IDYES)
        return true; // declined: nothing to report
    return LinkServices().Urls->Open(Url.toEncoded());
}

} // namespace

void TDataInquiry::bbtnOpenURLClick()
{
    QString url = edtURL->text().trimmed();
    if (url.isEmpty()) {
        ShowMessageBoxAt(this, QStringLiteral("ホームページURLを入力してください  "), ProductCaption(),
                         MB_ICONINFORMATION, mbpCenterOnOwner, 0, 0);
        FocusAtEnd(edtURL);
        return;
    }
    if (!url.startsWith(QStringLiteral("http://"), Qt::CaseInsensitive)
        && !url.startsWith(QStringLiteral("https://"), Qt::CaseInsensitive))
        url.prepend(QStringLiteral("http://"));
    if (!openLink(this, ExtLinkUrl(url), url))
        ShowMessageBoxAt(this, QStringLiteral("ブラウザーが起動できませんでした  "), ProductCaption(),
                         MB_ICONINFORMATION, mbpCenterOnOwner, 0, 0);
}

void TDataInquiry::bbtnEMailClick(int Tag)
{
    TTntEdit *edit = Tag == 0 ? edtEMail1 : edtEMail2;
    QString address = edit->text().trimmed();
    if (address.isEmpty()) {
        ShowMessageBoxAt(this, QStringLiteral("メールアドレスを入力してください  "), ProductCaption(),
                         MB_ICONINFORMATION, mbpCenterOnOwner, 0, 0);
        FocusAtEnd(edit);
        return;
    }
    if (!address.startsWith(QStringLiteral("mailto:"), Qt::CaseInsensitive))
        address.prepend(QStringLiteral("mailto:"));
    if (!openLink(this, QUrl(address), address))
        ShowMessageBoxAt(this, QStringLiteral("メールソフトが起動できませんでした  "), ProductCaption(),
                         MB_ICONINFORMATION, mbpCenterOnOwner, 0, 0);
}
