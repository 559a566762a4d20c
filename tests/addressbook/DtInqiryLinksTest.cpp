#include "DtInqiryFixture.h"
#include "core/PDFHelp.h"

#include "links/ExpMain.h"
#include "links/LinkFakes.h"
#include "links/NoriMain.h"
#include "links/RouteFakes.h"
#include "links/RoutePrograms.h"
#include "links/LinkUrl.h"
#include "links/QRMap.h"
#include "links/WebSch.h"
#include "support/ManualF1.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

constexpr qint32 kPickedLat = 128000123;
constexpr qint32 kPickedLon = 503000456;

// A map view that "hands back" the position the user picked.
class TPickingView : public IMapView
{
public:
    void SetProgramDir(const QString &) override {}
    void SetParentWnd(QWidget *) override {}
    void CenterOnOwner(QWidget *, int) override {}
    TMapFixUp SetSearchParams(const TMapSearchParams &Params) override
    {
        given = Params;
        return TMapFixUp::ByPosition;
    }
    int ShowModal() override { return 1; }
    std::pair<qint32, qint32> GetResult() const override { return {kPickedLat, kPickedLon}; }
    static inline TMapSearchParams given;
};

class TPickingPrograms : public IMapPrograms
{
public:
    bool IsInstalled(TMapProgramKind) override { return true; }
    std::unique_ptr<IMapView> CreateView(TMapProgramKind, QWidget *) override
    {
        ++views;
        return std::make_unique<TPickingView>();
    }
    bool Launch(TMapProgramKind, const TMapSearchParams &) override { return true; }
    int views = 0;
};

class RecordFormLinksTest : public RecordFormTest
{
protected:
    TFakeLinkWorld world;
    int keptMap = CooperateMap;
    int keptKind = CooperateMapSearchKind;

    void TearDown() override
    {
        CooperateMap = keptMap;
        CooperateMapSearchKind = keptKind;
        RecordFormTest::TearDown();
    }

    // Runs Check on the modal dialog of type T once it is up, then closes it.
    template <class T, class F>
    void whenModal(F Check)
    {
        QTimer::singleShot(0, [Check] {
            auto *dialog = qobject_cast<T *>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            Check(dialog);
            dialog->reject();
        });
    }
};

TEST_F(RecordFormLinksTest, linkButtonsAreEnabled)
{
    openNew();
    for (const char *name :
         {"bbtnMap", "bbtnQRMap", "bbtnRoot", "bbtnWebSearch", "bbtnOpenURL", "bbtnEMail1", "bbtnEMail2"})
        EXPECT_TRUE(child<QToolButton>(QLatin1String(name))->isEnabled()) << name;
}

class RecordFormRouteTest : public RecordFormLinksTest
{
protected:
    int keptRoot = CooperateRoot;
    QString keptAppPath = AppPath;
    QTemporaryDir program;

    void SetUp() override
    {
        RecordFormLinksTest::SetUp();
        AppPath = program.path() + QLatin1Char('/');
    }
    void TearDown() override
    {
        CooperateRoot = keptRoot;
        AppPath = keptAppPath;
        RecordFormLinksTest::TearDown();
    }
};

TEST_F(RecordFormRouteTest, missingEkispertIsReportedAsNotInstalled)
{
    CooperateRoot = 0;
    openNew();
    click(QStringLiteral("bbtnRoot"));
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("駅すぱあとがインストールされていません  "));
    EXPECT_TRUE(world.runner.started.isEmpty());
}

TEST_F(RecordFormRouteTest, ekispertLibraryThatCannotLoadIsNamed)
{
    CooperateRoot = 0;
    QFile dll(QDir(program.path()).filePath(QStringLiteral("Wqstinf.dll")));
    ASSERT_TRUE(dll.open(QIODevice::WriteOnly));
    dll.close();
    openNew();
    click(QStringLiteral("bbtnRoot"));
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().caption, QStringLiteral("Wqstinf.dll LoadLibrary Error"));
}

TEST_F(RecordFormRouteTest, missingNorikaeIsReportedAsNotInstalled)
{
    CooperateRoot = 1;
    openNew();
    click(QStringLiteral("bbtnRoot"));
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("乗換案内がインストールされていません  "));
}

// Route programs that answer, over the made-up stations.
class TAnsweringRoutes : public IRoutePrograms
{
public:
    TExpertStationLibrary OpenExpertStations(const QString &, const QString &) override
    {
        TExpertStationLibrary library;
        library.Code = LibraryLoaded;
        library.Index = std::make_unique<TMemoryStationIndex>(fixture::Stations());
        return library;
    }
    std::unique_ptr<IRailServ> CreateRailServ() override { return std::make_unique<TFakeRailServ>(); }
    std::unique_ptr<INorikaeAnnai> CreateNorikaeAnnai() override { return std::make_unique<TFakeNorikaeAnnai>(); }
};

TEST_F(RecordFormRouteTest, anAnsweringEkispertOpensItsFrontEnd)
{
    TAnsweringRoutes routes;
    TScopedRoutePrograms use(routes);
    CooperateRoot = 0;
    openNew();
    QString title;
    std::string help;
    ManualF1 manual;
    whenModal<TExpertMain>([&title, &help, &manual](TExpertMain *front) {
        title = front->windowTitle();
        help = manual.HeadingOpenedByF1In(front);
    });
    click(QStringLiteral("bbtnRoot"));
    EXPECT_EQ(title, QStringLiteral(" 駅すぱあと"));
    EXPECT_EQ(help, ManualF1::AsRead(u"路線検索（駅すぱあと・乗換案内）"));
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(RecordFormRouteTest, anAnsweringNorikaeOpensItsFrontEnd)
{
    TAnsweringRoutes routes;
    TScopedRoutePrograms use(routes);
    CooperateRoot = 1;
    openNew();
    QString title;
    std::string help;
    ManualF1 manual;
    whenModal<TNorikaeMain>([&title, &help, &manual](TNorikaeMain *front) {
        title = front->windowTitle();
        help = manual.HeadingOpenedByF1In(front);
    });
    click(QStringLiteral("bbtnRoot"));
    EXPECT_EQ(title, QStringLiteral("乗換案内"));
    EXPECT_EQ(help, ManualF1::AsRead(u"路線検索（駅すぱあと・乗換案内）"));
    EXPECT_EQ(boxes.count(), 0);
}

TEST_F(RecordFormRouteTest, routeButtonHintNamesTheChosenProgram)
{
    CooperateRoot = 1;
    openNew();
    EXPECT_EQ(child<QToolButton>(QStringLiteral("bbtnRoot"))->toolTip(), RouteButtonHint(1));
    EXPECT_TRUE(child<QToolButton>(QStringLiteral("bbtnRoot"))->toolTip().startsWith(QStringLiteral("路線検索\r\n")));
}

TEST_F(RecordFormLinksTest, mapButtonHintNamesTheChosenProgram)
{
    CooperateMap = 9;
    openNew();
    EXPECT_EQ(child<QToolButton>(QStringLiteral("bbtnMap"))->toolTip(),
              QStringLiteral("地図表示\r\nグランマップ東京都全域版"));
}

class RecordFormMapMissingTest : public RecordFormLinksTest, public ::testing::WithParamInterface<int>
{
};

// No map program exists on this machine: each kind names itself as missing
// and the record stays as it was.
TEST_P(RecordFormMapMissingTest, reportsTheProgramAsNotInstalled)
{
    CooperateMap = GetParam();
    openNew();
    setText(QStringLiteral("edtTdfkn"), QStringLiteral("東京都"));
    setText(QStringLiteral("edtTel"), QStringLiteral("03-1234-5678"));
    click(QStringLiteral("bbtnMap"));
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, MapMissingMessages[size_t(GetParam())]);
    EXPECT_TRUE(world.runner.started.isEmpty());
    EXPECT_EQ(form->GetFormData().Latitude, 0);
}

INSTANTIATE_TEST_SUITE_P(AllKinds, RecordFormMapMissingTest, ::testing::Range(0, MapProgramCount));

TEST_F(RecordFormLinksTest, mapGetsTheJoinedAddressAndTheTelephoneDigits)
{
    TPickingPrograms programs;
    TScopedMapPrograms scope(programs);
    CooperateMap = 5;
    CooperateMapSearchKind = 1;
    openNew();
    setText(QStringLiteral("edtTdfkn"), QStringLiteral(" 東京都 "));
    setText(QStringLiteral("edtAdrs1"), QStringLiteral("港区"));
    setText(QStringLiteral("edtAdrs3"), QStringLiteral("芝公園 "));
    setText(QStringLiteral("edtTel"), QStringLiteral("03-1234-5678"));
    click(QStringLiteral("bbtnMap"));
    EXPECT_EQ(TPickingView::given.Address, QStringLiteral("東京都港区芝公園"));
    EXPECT_EQ(TPickingView::given.Phone, QStringLiteral("0312345678"));
    EXPECT_EQ(TPickingView::given.Mode, 1);
}

TEST_F(RecordFormLinksTest, newRecordTakesThePickedPositionWithoutAsking)
{
    TPickingPrograms programs;
    TScopedMapPrograms scope(programs);
    CooperateMap = 8;
    openNew();
    click(QStringLiteral("bbtnMap"));
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_EQ(form->GetFormData().Latitude, kPickedLat);
    EXPECT_EQ(form->GetFormData().Longitude, kPickedLon);
}

TEST_F(RecordFormLinksTest, storedRecordKeepsItsPositionWithSuperMapple)
{
    TPickingPrograms programs;
    TScopedMapPrograms scope(programs);
    CooperateMap = 8;
    ASSERT_NO_FATAL_FAILURE(openRow(0));
    const qint32 recNo = form->GetCurrentRecNo();
    click(QStringLiteral("bbtnMap"));
    EXPECT_EQ(programs.views, 1);
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_EQ(form->GetFormData().Latitude, 0);
    TTable &table = *DMMurven19->AdrsTable();
    ASSERT_TRUE(table.FindKey({QVariant(recNo)}));
    EXPECT_EQ(table.FieldByName(QStringLiteral("Latitude")).AsInteger(), 0);
}

TEST_F(RecordFormLinksTest, confirmedPositionIsStoredAtOnceAndFormStaysUnchanged)
{
    TPickingPrograms programs;
    TScopedMapPrograms scope(programs);
    CooperateMap = 5;
    ASSERT_NO_FATAL_FAILURE(openRow(1));
    const qint32 recNo = form->GetCurrentRecNo();
    boxes.enqueue(IDYES);
    click(QStringLiteral("bbtnMap"));
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("地図で指定した座標の緯度経度を保存してもよろしいですか？  "));
    TTable &table = *DMMurven19->AdrsTable();
    table.SetIndexName(QString());
    ASSERT_TRUE(table.FindKey({QVariant(recNo)}));
    EXPECT_EQ(table.FieldByName(QStringLiteral("Latitude")).AsInteger(), kPickedLat);
    EXPECT_EQ(table.FieldByName(QStringLiteral("Longitude")).AsInteger(), kPickedLon);
    EXPECT_TRUE(table.FieldByName(QStringLiteral("UpdDateTime")).AsDateTime().isValid());
    EXPECT_FALSE(form->IsChanged());
    EXPECT_EQ(form->GetFormData().Latitude, kPickedLat);
}

TEST_F(RecordFormLinksTest, missingMapProgramAsksNothingAboutThePosition)
{
    struct TNoPrograms : TPickingPrograms
    {
        bool IsInstalled(TMapProgramKind) override { return false; }
    } none;
    TScopedMapPrograms scope(none);
    CooperateMap = 5;
    ASSERT_NO_FATAL_FAILURE(openRow(1));
    click(QStringLiteral("bbtnMap"));
    // Only the launcher's own word that the program is missing.
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("MapFanⅣ/Ⅴのどちらもインストールされていません  "));
    EXPECT_EQ(none.views, 0);
}

TEST_F(RecordFormLinksTest, declinedPositionLeavesTheRecord)
{
    TPickingPrograms programs;
    TScopedMapPrograms scope(programs);
    CooperateMap = 2;
    ASSERT_NO_FATAL_FAILURE(openRow(1));
    boxes.enqueue(IDNO);
    click(QStringLiteral("bbtnMap"));
    EXPECT_EQ(programs.views, 1);
    EXPECT_EQ(form->GetFormData().Latitude, 0);
}

TEST_F(RecordFormLinksTest, atlasMateWithoutPhoneOrPositionAsksForThePhone)
{
    CooperateMap = 0;
    openNew();
    // AtlasMate answers that it has nothing to show (no position, no
    // telephone number): the form asks for the number instead.
    struct TEmptyPrograms : TPickingPrograms
    {
        std::unique_ptr<IMapView> CreateView(TMapProgramKind, QWidget *) override
        {
            struct TEmptyView : TPickingView
            {
                TMapFixUp SetSearchParams(const TMapSearchParams &) override { return TMapFixUp::NothingForPosition; }
            };
            return std::make_unique<TEmptyView>();
        }
    } empty;
    TScopedMapPrograms scope(empty);
    click(QStringLiteral("bbtnMap"));
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("電話番号を入力してください  "));
    EXPECT_EQ(QApplication::focusWidget(), edit(QStringLiteral("edtTel")));
}

TEST_F(RecordFormLinksTest, qrButtonShowsTheCodeOfTheJoinedAddress)
{
    openNew();
    setText(QStringLiteral("edtTdfkn"), QStringLiteral("東京都"));
    setText(QStringLiteral("edtAdrs1"), QStringLiteral("港区 芝公園"));
    QString shown;
    bool drawn = false;
    whenModal<TQRCodeMap>([&](TQRCodeMap *dialog) {
        shown = dialog->Address();
        drawn = !dialog->Code().isNull();
    });
    click(QStringLiteral("bbtnQRMap"));
    EXPECT_EQ(shown, QStringLiteral("東京都港区 芝公園"));
    EXPECT_TRUE(drawn);
}

TEST_F(RecordFormLinksTest, webSearchOffersTheCompanyNameInCompanyMode)
{
    openNew();
    click(QStringLiteral("sbtnCorp"));
    setText(QStringLiteral("nmedtCorpKanji"), QStringLiteral("株式会社テスト"));
    QString word;
    whenModal<TWebSearch>(
        [&](TWebSearch *dialog) { word = dialog->findChild<QLineEdit *>(QStringLiteral("edtWord"))->text(); });
    click(QStringLiteral("bbtnWebSearch"));
    EXPECT_EQ(word, QStringLiteral("株式会社テスト"));
}

TEST_F(RecordFormLinksTest, webSearchOffersNothingForAPrivatePerson)
{
    openNew();
    QString word = QStringLiteral("<not shown>");
    whenModal<TWebSearch>(
        [&](TWebSearch *dialog) { word = dialog->findChild<QLineEdit *>(QStringLiteral("edtWord"))->text(); });
    click(QStringLiteral("bbtnWebSearch"));
    EXPECT_EQ(word, QString());
}

TEST_F(RecordFormLinksTest, browserRefusesAnEmptyUrl)
{
    openNew();
    setText(QStringLiteral("edtURL"), QStringLiteral("  "));
    click(QStringLiteral("bbtnOpenURL"));
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("ホームページURLを入力してください  "));
    EXPECT_TRUE(world.urls.opened.isEmpty());
}

struct OpenCase
{
    const char *name;
    const char *edit;
    const char *button;
    const char *typed;
    const char *opened;
};

class RecordFormOpenTest : public RecordFormLinksTest, public ::testing::WithParamInterface<OpenCase>
{
};

TEST_P(RecordFormOpenTest, opensTheLink)
{
    openNew();
    setText(QLatin1String(GetParam().edit), QString::fromUtf8(GetParam().typed));
    click(QLatin1String(GetParam().button));
    EXPECT_EQ(boxes.count(), 0);
    ASSERT_EQ(world.urls.opened.size(), 1);
    EXPECT_EQ(world.urls.opened.constFirst(), QByteArray(GetParam().opened));
}

INSTANTIATE_TEST_SUITE_P(Links, RecordFormOpenTest,
                         ::testing::Values(OpenCase{"urlWithoutSchemeGetsHttp", "edtURL", "bbtnOpenURL",
                                                    " www.example.jp/a ", "http://www.example.jp/a"},
                                           OpenCase{"httpsUrlStaysAsTyped", "edtURL", "bbtnOpenURL",
                                                    "https://example.jp/?q=%93%8C", "https://example.jp/?q=%93%8C"},
                                           OpenCase{"mailGetsMailto", "edtEMail1", "bbtnEMail1", "taro@example.jp",
                                                    "mailto:taro@example.jp"},
                                           OpenCase{"mailtoIsNotDoubled", "edtEMail2", "bbtnEMail2",
                                                    "mailto:hanako@example.jp", "mailto:hanako@example.jp"}),
                         [](const auto &info) { return std::string(info.param.name); });

// A mail address taken from a record may carry a query that tells the mail
// program to attach a local file (the book, a key) to the new mail: that is
// no plain mail link any more, and the user is asked first, No by default.
class RecordFormMailAttachTest : public RecordFormLinksTest, public ::testing::WithParamInterface<const char *>
{
};

TEST_P(RecordFormMailAttachTest, asksBeforeHandingOverAMailThatAttachesAFile)
{
    openNew();
    setText(QStringLiteral("edtEMail1"), QString::fromUtf8(GetParam()));
    boxes.enqueue(IDNO);
    click(QStringLiteral("bbtnEMail1"));
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_TRUE(boxes.last().text.contains(QStringLiteral("開いてもよろしいですか"))) << boxes.last().text.toStdString();
    EXPECT_EQ(ScriptedMessageBoxes::defaultAnswer(boxes.last().flags), IDNO);
    EXPECT_TRUE(world.urls.opened.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Links, RecordFormMailAttachTest,
                         ::testing::Values("taro@example.jp?attach=/home/taro/.ssh/id_rsa",
                                           "mailto:taro@example.jp?subject=a&ATTACHMENT=file:///etc/passwd",
                                           "taro@example.jp?%61ttach=/etc/passwd",
                                           "taro@example.jp?body=x&Attach%3D=y&attach=z"));

TEST_F(RecordFormLinksTest, mailRefusesAnEmptyAddressAndFocusesIt)
{
    openNew();
    click(QStringLiteral("bbtnEMail2"));
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text, QStringLiteral("メールアドレスを入力してください  "));
    EXPECT_EQ(QApplication::focusWidget(), edit(QStringLiteral("edtEMail2")));
}

} // namespace
