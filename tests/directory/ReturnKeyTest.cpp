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
#include "support/KeyInput.h"
#include "support/ReturnKey.h"
#include "support/RowName.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

#include <functional>
#include <memory>
#include <vector>

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

using Check = std::function<::testing::AssertionResult(DirectoryWindows &, QWidget &)>;

struct WalkCase {
    const char *name;
    std::function<std::shared_ptr<QWidget>(DirectoryWindows &)> make;
    const char *control;             // where the user stands
    const char16_t *typed;           // what the user types there first (nullptr: nothing)
    std::vector<const char *> stops; // where each further Return is pressed
    Check done;                      // what the user sees in the end
};

void PrintTo(const WalkCase &c, std::ostream *os)
{
    *os << c.name;
}

::testing::AssertionResult accepted(DirectoryWindows &, QWidget &window)
{
    auto &dialog = static_cast<QDialog &>(window);
    if (dialog.result() != QDialog::Accepted || dialog.isVisible())
        return ::testing::AssertionFailure() << "the dialog is " << (dialog.isVisible() ? "still open" : "cancelled");
    return ::testing::AssertionSuccess();
}

// The search filled the list of that name.
Check listed(const char *list)
{
    return [list](DirectoryWindows &, QWidget &window) {
        auto *rows = window.findChild<QTreeWidget *>(QLatin1String(list));
        if (!rows || rows->topLevelItemCount() == 0)
            return ::testing::AssertionFailure() << list << " shows nothing";
        return ::testing::AssertionSuccess();
    };
}

// A message box whose text begins so was shown.
Check told(const char16_t *text)
{
    return [text](DirectoryWindows &f, QWidget &) {
        const QString expected = QString::fromUtf16(text);
        for (const TMessageBoxRequest &box : f.boxes.shown())
            if (box.text.startsWith(expected))
                return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << f.boxes.count() << " boxes, none saying " << expected.toStdString();
    };
}

class ReturnWalks : public DirectoryWindows, public ::testing::WithParamInterface<WalkCase>
{
};

TEST_P(ReturnWalks, toTheActionAndDoesIt)
{
    const WalkCase &c = GetParam();
    const std::shared_ptr<QWidget> window = c.make(*this);
    ASSERT_TRUE(ShowActive(window.get()));
    QWidget *control = window->findChild<QWidget *>(QLatin1String(c.control));
    ASSERT_TRUE(FocusControl(control)) << c.control;
    if (auto *list = qobject_cast<QTreeWidget *>(control); list && list->topLevelItemCount() > 0) {
        list->setCurrentItem(list->topLevelItem(0));
        list->topLevelItem(0)->setCheckState(0, Qt::Checked);
    }
    if (c.typed) {
        if (auto *edit = qobject_cast<QLineEdit *>(control))
            edit->selectAll();
        TypeCharacters(QApplication::focusWidget(), QString::fromUtf16(c.typed));
    }
    QStringList stops;
    for (const char *stop : c.stops)
        stops << QLatin1String(stop);
    ASSERT_TRUE(ReturnAlong(control, stops));
    EXPECT_TRUE(c.done(*this, *window));
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
                 "lvItem", nullptr, {}, accepted},
        // A region ticked and Return: the list leads to インストール, which asks.
        WalkCase{"install", [](D &f) { f.boxes.enqueue(IDNO); return D::install(); }, "bbtnInstallList", nullptr,
                 {"bbtnInstall"}, told(u"選択した地域の電話帳データをハードディスクにインストールします")},
        WalkCase{"discPrompt", [](D &) { return std::shared_ptr<QWidget>(std::make_shared<TChangeDisc>()); }, "cbxCD",
                 nullptr, {}, accepted},
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

struct ButtonsCase {
    const char *name;
    std::function<std::shared_ptr<QWidget>()> make;
};

void PrintTo(const ButtonsCase &c, std::ostream *os)
{
    *os << c.name;
}

class ReturnOnAButton : public DirectoryWindows, public ::testing::WithParamInterface<ButtonsCase>
{
};

TEST_P(ReturnOnAButton, pressesThatButtonAlone)
{
    const auto pressed = ButtonsPressedByReturn(GetParam().make);
    ASSERT_FALSE(pressed.isEmpty());
    for (const auto &[button, clicked] : pressed)
        EXPECT_EQ(clicked.join(QStringLiteral(", ")).toStdString(), button.toStdString());
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
