// Return in the directory and dictionary windows, pressed where a person
// presses it: a search field searches, a list leads to the button that
// works on it, a prompt takes its choice; and on any focused button Return
// presses that button alone, never the dialog's default behind it.

#include "core/Env.h"
#include "core/Main.h"
#include "core/Wqarea17Wrapper.h"
#include "directory/ChgDisc.h"
#include "directory/DicSch.h"
#include "directory/EItmSel.h"
#include "directory/HDDInst.h"
#include "directory/NmAdSch.h"
#include "directory/SchExport.h"
#include "support/DicProgramFolder.h"
#include "support/ReturnWalk.h"
#include "support/RowName.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QDir>
#include <QTest>
#include <QTreeWidget>

#include <functional>
#include <memory>

#include <gtest/gtest.h>

namespace {

// A settings root in a temporary home, the dictionaries of the build, and
// two regions on offer of which none is installed.
class DirectoryWindows : public ::testing::Test
{
public:
    DirectoryWindows()
        : m_keptList(SearchAreaList), m_keptUse(UseArea), m_keptOnDisk(AreaOnDisk), m_keptData(DataPath)
    {
        DataRoot = home.settingsRoot() + QLatin1Char('/');
        DataPath = DataRoot + QStringLiteral("Data/");
        QDir().mkpath(DataPath);
        SearchAreaList = {AreaKeyNames[1], AreaKeyNames[3]};
        UseArea.fill(false);
        AreaOnDisk.fill(false);
    }
    ~DirectoryWindows() override
    {
        SetWqarea17ForTesting(nullptr);
        SearchAreaList = m_keptList;
        UseArea = m_keptUse;
        AreaOnDisk = m_keptOnDisk;
        DataPath = m_keptData;
    }

    // The dictionary search on one of its tabs (0 telephone, 1 postcode,
    // 2 address), shown with nothing searched yet.
    static std::shared_ptr<QWidget> dictionary(int Tab)
    {
        auto dialog = std::make_shared<TDicSearch>();
        dialog->SetSearchOptions(15, true, false);
        EXPECT_EQ(dialog->StartSearch(Tab, QString()), 0);
        return dialog;
    }
    // The export's item choice over the default columns.
    static std::shared_ptr<QWidget> exportItems()
    {
        auto dialog = std::make_shared<TExportItemSelect>();
        dialog->SetItems(DefaultExportColumns());
        return dialog;
    }
    static std::shared_ptr<QWidget> install()
    {
        auto dialog = std::make_shared<THDDInstall>();
        dialog->FreeSpace = [] { return std::int64_t{1} << 40; };
        return dialog;
    }

    ScopedHome home;
    TDicProgramFolder program{QStringLiteral(MURVEN_DIC_LIB_DIR), QStringLiteral(MURVEN_DIC_EXCERPT_DIR)};
    ScriptedMessageBoxes boxes;

private:
    QStringList m_keptList;
    decltype(UseArea) m_keptUse;
    decltype(AreaOnDisk) m_keptOnDisk;
    QString m_keptData;
};

using WalkCase = TReturnWalk<DirectoryWindows>;

// The search filled the list of that name.
std::function<::testing::AssertionResult(QWidget &)> listed(const char *list)
{
    return [list](QWidget &window) {
        auto *rows = window.findChild<QTreeWidget *>(QLatin1String(list));
        if (!rows || rows->topLevelItemCount() == 0)
            return ::testing::AssertionFailure() << list << " shows nothing";
        return ::testing::AssertionSuccess();
    };
}

class ReturnWalks : public TReturnWalks<DirectoryWindows>
{
};

// A list the walk starts in has its first row picked and ticked first.
TEST_P(ReturnWalks, toTheActionAndDoesIt)
{
    walk([](QWidget *control) {
        if (auto *list = qobject_cast<QTreeWidget *>(control); list && list->topLevelItemCount() > 0) {
            list->setCurrentItem(list->topLevelItem(0));
            list->topLevelItem(0)->setCheckState(0, Qt::Checked);
        }
    });
}

using D = DirectoryWindows;

INSTANTIATE_TEST_SUITE_P(
    Directory, ReturnWalks,
    ::testing::Values(
        WalkCase{"postcodeSearch", [](D &) { return D::dictionary(1); }, "edtPosSch", u"2500011", {},
                 listed("lvPosCity")},
        WalkCase{"addressSearch", [](D &) { return D::dictionary(2); }, "edtAdrsSch", u"小田原市", {},
                 listed("lvAdrsCity")},
        WalkCase{"exportItems", [](D &) { return D::exportItems(); },
                 "lvItem", nullptr, {}, DialogAccepted},
        // A region ticked and Return: the list leads to インストール, which asks.
        WalkCase{"install", [](D &f) { f.boxes.enqueue(IDNO); return D::install(); }, "bbtnInstallList", nullptr,
                 {"bbtnInstall"}, Told(u"選択した地域の電話帳データをハードディスクにインストールします")},
        WalkCase{"discPrompt", [](D &) { return std::shared_ptr<QWidget>(std::make_shared<TChangeDisc>()); }, "cbxCD",
                 nullptr, {}, DialogAccepted},
        WalkCase{"nameSearchDisplayOption",
                 [](D &) { return std::shared_ptr<QWidget>(std::make_shared<TNameAdrsSearch>()); }, "chkOmissionAdrs",
                 nullptr, {},
                 [](D &, QWidget &w) {
                     QWidget *focused = QApplication::focusWidget();
                     if (!w.isVisible() || !focused || focused->objectName() == QStringLiteral("chkOmissionAdrs"))
                         return ::testing::AssertionFailure() << "Return did nothing";
                     return ::testing::AssertionSuccess();
                 }}),
    rowName);

// ---- A focused button takes Return itself ------------------------------------

using ButtonsCase = TButtonsRow<DirectoryWindows>;

class ReturnOnAButton : public TReturnOnAButton<DirectoryWindows>
{
};

TEST_P(ReturnOnAButton, pressesThatButtonAlone)
{
    pressEachButton();
}

INSTANTIATE_TEST_SUITE_P(
    Directory, ReturnOnAButton,
    ::testing::Values(ButtonsCase{"telephoneTab", [] { return D::dictionary(0); }},
                      ButtonsCase{"postcodeTab", [] { return D::dictionary(1); }},
                      ButtonsCase{"addressTab", [] { return D::dictionary(2); }},
                      ButtonsCase{"exportItems", D::exportItems},
                      ButtonsCase{"install", D::install},
                      ButtonsCase{"discPrompt", [] { return std::shared_ptr<QWidget>(std::make_shared<TChangeDisc>()); }},
                      ButtonsCase{"nameSearch",
                                  [] { return std::shared_ptr<QWidget>(std::make_shared<TNameAdrsSearch>()); }}),
    rowName);

} // namespace
