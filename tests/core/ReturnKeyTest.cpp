// Return in the program's own dialogs (books, groups, start-up password,
// settings, backup, maintenance), pressed where a person presses it: from a
// field, as each dialog lays down, to the button that acts, which Return
// then presses; and on any focused button, that button alone.

#include "WizardFixture.h"
#include "core/AdrsSel.h"
#include "core/BkupDat.h"
#include "core/ConvAdrsPos.h"
#include "core/ConvKykbn.h"
#include "core/Environment.h"
#include "core/GrpEdt.h"
#include "core/InfoDlg.h"
#include "core/InputPW.h"
#include "core/OptData.h"
#include "core/RepIndex.h"
#include "core/RestDat.h"
#include "core/StartupPassword.h"
#include "core/VersionInfo.h"
#include "support/KeyInput.h"
#include "support/ReturnKey.h"
#include "support/RowName.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QTest>

#include <functional>
#include <memory>
#include <vector>

namespace {

class CoreDialogs : public WizardFixture
{
protected:
    void SetUp() override
    {
        WizardFixture::SetUp();
        m_password = StartupPassword;
        StartupPassword = ScramblePassword(QStringLiteral("Kagi2014"));
    }
    void TearDown() override
    {
        StartupPassword = m_password;
        WizardFixture::TearDown();
    }

private:
    QString m_password;
};

using Check = std::function<::testing::AssertionResult(QWidget &)>;

struct WalkCase {
    const char *name;
    std::function<std::shared_ptr<QWidget>()> make;
    const char *control;             // where the user stands
    const char16_t *typed;           // what the user types there first (nullptr: nothing)
    std::vector<const char *> stops; // where each further Return is pressed
    Check done;                      // what the user sees in the end
};

void PrintTo(const WalkCase &c, std::ostream *os)
{
    *os << c.name;
}

::testing::AssertionResult accepted(QWidget &window)
{
    auto &dialog = static_cast<QDialog &>(window);
    if (dialog.result() != QDialog::Accepted || dialog.isVisible())
        return ::testing::AssertionFailure() << "the dialog is " << (dialog.isVisible() ? "still open" : "cancelled");
    return ::testing::AssertionSuccess();
}

template <typename Dialog>
std::shared_ptr<QWidget> plain()
{
    return std::make_shared<Dialog>(nullptr);
}

std::shared_ptr<QWidget> newBook()
{
    auto dialog = std::make_shared<TAddressSelect>(nullptr);
    dialog->BookName = QStringLiteral("家族");
    dialog->SetMode(0);
    return dialog;
}

// The group editor over the open book's names, as the list opens it.
std::shared_ptr<QWidget> groupNames()
{
    LoadGroupNames(QStringLiteral("Book1"));
    return std::make_shared<TGruopEdit>(nullptr);
}

std::shared_ptr<QWidget> settings()
{
    auto dialog = std::make_shared<TEnvironment>(nullptr);
    dialog->CloseChildWindows = [] { return true; };
    dialog->SaveListSettings = [] {};
    return dialog;
}

class ReturnWalks : public CoreDialogs, public ::testing::WithParamInterface<WalkCase>
{
};

TEST_P(ReturnWalks, toTheActionAndDoesIt)
{
    const WalkCase &c = GetParam();
    const std::shared_ptr<QWidget> window = c.make();
    ASSERT_TRUE(ShowActive(window.get()));
    QWidget *control = window->findChild<QWidget *>(QLatin1String(c.control));
    ASSERT_TRUE(FocusControl(control)) << c.control;
    if (c.typed) {
        if (auto *edit = qobject_cast<QLineEdit *>(control))
            edit->selectAll();
        TypeCharacters(QApplication::focusWidget(), QString::fromUtf16(c.typed));
    }
    QStringList stops;
    for (const char *stop : c.stops)
        stops << QLatin1String(stop);
    ASSERT_TRUE(ReturnAlong(control, stops));
    EXPECT_TRUE(c.done(*window));
}

INSTANTIATE_TEST_SUITE_P(
    Core, ReturnWalks,
    ::testing::Values(
        WalkCase{"newBook", newBook, "edtNew", u"仕事", {},
                 [](QWidget &w) {
                     const auto r = accepted(w);
                     if (!r)
                         return r;
                     if (static_cast<TAddressSelect &>(w).BookName != QStringLiteral("仕事"))
                         return ::testing::AssertionFailure() << "the name typed is lost";
                     return ::testing::AssertionSuccess();
                 }},
        WalkCase{"groupNames", groupNames, "edtGroup10", u"取引先", {"btnOk"},
                 [](QWidget &w) {
                     const auto r = accepted(w);
                     if (!r)
                         return r;
                     if (GroupNames[10] != QStringLiteral("取引先"))
                         return ::testing::AssertionFailure() << "group 10 is " << GroupNames[10].toStdString();
                     return ::testing::AssertionSuccess();
                 }},
        WalkCase{"startupPassword", plain<TInputPassword>, "medtPassword", u"Kagi2014", {}, accepted},
        WalkCase{"settingsDataFolder", settings, "cbxDataPath", nullptr, {"btnSet"}, accepted},
        WalkCase{"backupFolder", plain<TBackupData>, "edtDest", nullptr, {"btnNext"},
                 [](QWidget &w) {
                     if (static_cast<TBackupData &>(w).Page() != 1)
                         return ::testing::AssertionFailure() << "the wizard stays on page "
                                                              << static_cast<TBackupData &>(w).Page();
                     return ::testing::AssertionSuccess();
                 }},
        WalkCase{"greeting", plain<TInfoDialog>, "ckbInfo", nullptr, {}, accepted}),
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

class ReturnOnAButton : public CoreDialogs, public ::testing::WithParamInterface<ButtonsCase>
{
};

TEST_P(ReturnOnAButton, pressesThatButtonAlone)
{
    const auto pressed = ButtonsPressedByReturn(GetParam().make);
    ASSERT_FALSE(pressed.isEmpty());
    for (const auto &[button, clicked] : pressed)
        EXPECT_EQ(clicked.join(QStringLiteral(", ")).toStdString(), button.toStdString());
}

INSTANTIATE_TEST_SUITE_P(Core, ReturnOnAButton,
                         ::testing::Values(ButtonsCase{"books", newBook}, ButtonsCase{"groupNames", groupNames},
                                           ButtonsCase{"startupPassword", plain<TInputPassword>},
                                           ButtonsCase{"settings", settings},
                                           ButtonsCase{"backup", plain<TBackupData>},
                                           ButtonsCase{"restore", plain<TRestoreData>},
                                           ButtonsCase{"greeting", plain<TInfoDialog>},
                                           ButtonsCase{"version", plain<TVersionInfo>},
                                           ButtonsCase{"optimise", plain<TOptimizeData>},
                                           ButtonsCase{"repairIndexes", plain<TRepairIndex>},
                                           ButtonsCase{"areaCodeConversion", plain<TConvertKykbn>},
                                           ButtonsCase{"addressConversion", plain<TConvertAdrsPos>}),
                         rowName);

} // namespace
