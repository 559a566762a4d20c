// F1 in each window of the directory and dictionary searches opens the
// manual at the page about it: the page the viewer is asked to open carries
// the heading the manual's contents give that window or part of it.

#include "core/Env.h"
#include "directory/DicSch.h"
#include "directory/EItmSel.h"
#include "directory/HDDInst.h"
#include "directory/NmAdSch.h"
#include "directory/SchArea.h"
#include "support/DicProgramFolder.h"
#include "support/ManualF1.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QTabWidget>

#include <functional>
#include <memory>

#include <gtest/gtest.h>

namespace {

class DirectoryWindows;

struct WindowPage {
    const char *name;
    std::function<QWidget *(DirectoryWindows &)> control; // the control F1 is pressed in
    const char16_t *heading;                               // as the manual's contents name the page
};

class DirectoryWindows : public ::testing::Test
{
public:
    DirectoryWindows() : m_keptUse(UseArea), m_keptOnDisk(AreaOnDisk)
    {
        UseArea.fill(false);
        AreaOnDisk.fill(false);
        DataRoot = home.settingsRoot() + QLatin1Char('/');
        QDir().mkpath(DataRoot);
    }
    ~DirectoryWindows() override
    {
        window.reset();
        UseArea = m_keptUse;
        AreaOnDisk = m_keptOnDisk;
    }

    // A control of the dictionary search on tab `tab`.
    QWidget *dictionary(int tab, const char *name)
    {
        auto dialog = std::make_unique<TDicSearch>();
        dialog->SetSearchOptions(15, true, false);
        dialog->findChild<QTabWidget *>(QStringLiteral("pgctlDicType"))->setCurrentIndex(tab);
        return keep(std::move(dialog), name);
    }
    QWidget *install(int tab, const char *name)
    {
        auto dialog = std::make_unique<THDDInstall>();
        dialog->findChild<QTabWidget *>(QStringLiteral("pgctlInstall"))->setCurrentIndex(tab);
        return keep(std::move(dialog), name);
    }
    QWidget *keep(std::unique_ptr<QWidget> made, const char *name)
    {
        window = std::move(made);
        window->show();
        QWidget *control = window->findChild<QWidget *>(QLatin1String(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }

    ScopedHome home;
    TDicProgramFolder program{QStringLiteral(MURVEN_DIC_LIB_DIR), QStringLiteral(MURVEN_DIC_EXCERPT_DIR)};
    ScriptedMessageBoxes boxes;
    ManualF1 manual;
    std::unique_ptr<QWidget> window;

private:
    decltype(UseArea) m_keptUse;
    decltype(AreaOnDisk) m_keptOnDisk;
};

class DirectoryManualPages : public DirectoryWindows, public ::testing::WithParamInterface<WindowPage>
{
};

TEST_P(DirectoryManualPages, f1OpensThePageAboutTheWindow)
{
    QWidget *control = GetParam().control(*this);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(manual.HeadingOpenedByF1(control), ManualF1::AsRead(GetParam().heading));
}

using W = DirectoryWindows;

INSTANTIATE_TEST_SUITE_P(
    Windows, DirectoryManualPages,
    ::testing::Values(
        WindowPage{"telephoneSearch", [](W &f) { return f.dictionary(0, "edtTelSch"); },
                   u"辞書検索 － 電話番号検索・検索結果"},
        WindowPage{"telephoneCities", [](W &f) { return f.dictionary(0, "lvTelCity"); },
                   u"辞書検索 － 電話番号検索・検索結果"},
        WindowPage{"postcodeSearch", [](W &f) { return f.dictionary(1, "edtPosSch"); }, u"辞書検索 － 郵便番号検索"},
        WindowPage{"postcodeTowns", [](W &f) { return f.dictionary(1, "lvPosTown"); },
                   u"辞書検索 － 町大字一覧と大口事業所"},
        WindowPage{"addressSearch", [](W &f) { return f.dictionary(2, "edtAdrsSch"); }, u"辞書検索 － 住所検索"},
        WindowPage{"addressCities", [](W &f) { return f.dictionary(2, "lvAdrsCity"); },
                   u"辞書検索 － 町大字一覧と大口事業所"},
        WindowPage{"install", [](W &f) { return f.install(0, "bbtnInstallList"); }, u"電話帳データのインストール"},
        WindowPage{"uninstall", [](W &f) { return f.install(1, "bbtnUninstallList"); },
                   u"電話帳データのアンインストール"},
        WindowPage{"nameAddressConditions", [](W &f) { return f.keep(std::make_unique<TNameAdrsSearch>(), "rbFront"); },
                   u"名称住所検索"},
        WindowPage{"nameAddressHits", [](W &f) { return f.keep(std::make_unique<TNameAdrsSearch>(), "lvResult"); },
                   u"名称住所検索の結果と出力"},
        WindowPage{"exportItems", [](W &f) { return f.keep(std::make_unique<TExportItemSelect>(), "lvItem"); },
                   u"名称住所検索の結果と出力"}),
    [](const ::testing::TestParamInfo<WindowPage> &info) { return std::string(info.param.name); });

} // namespace
