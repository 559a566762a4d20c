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
#include "support/ReturnWalk.h"
#include "support/RowName.h"

#include <QApplication>
#include <QTest>

#include <memory>

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

using WalkCase = TReturnWalk<CoreDialogs>;

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

class ReturnWalks : public TReturnWalks<CoreDialogs>
{
};

TEST_P(ReturnWalks, toTheActionAndDoesIt)
{
    walk();
}

INSTANTIATE_TEST_SUITE_P(
    Core, ReturnWalks,
    ::testing::Values(
        WalkCase{"newBook", newBook, "edtNew", u"仕事", {},
                 DialogAcceptedAnd([](QWidget &w) {
                     if (static_cast<TAddressSelect &>(w).BookName != QStringLiteral("仕事"))
                         return ::testing::AssertionFailure() << "the name typed is lost";
                     return ::testing::AssertionSuccess();
                 })},
        WalkCase{"groupNameMovesOn", groupNames, "edtGroup3", u"友人", {}, FocusMovedTo("edtGroup4")},
        // The last name is the end of the form: Return there is its OK.
        WalkCase{"groupNames", groupNames, "edtGroup10", u"取引先", {},
                 DialogAcceptedAnd([](QWidget &) {
                     if (GroupNames[10] != QStringLiteral("取引先"))
                         return ::testing::AssertionFailure() << "group 10 is " << GroupNames[10].toStdString();
                     return ::testing::AssertionSuccess();
                 })},
        WalkCase{"startupPassword", plain<TInputPassword>, "medtPassword", u"Kagi2014", {}, DialogAccepted},
        WalkCase{"settingsDataFolder", settings, "cbxDataPath", nullptr, {"btnSet"}, DialogAccepted},
        WalkCase{"backupFolder", plain<TBackupData>, "edtDest", nullptr, {"btnNext"},
                 [](QWidget &w) {
                     if (static_cast<TBackupData &>(w).Page() != 1)
                         return ::testing::AssertionFailure() << "the wizard stays on page "
                                                              << static_cast<TBackupData &>(w).Page();
                     return ::testing::AssertionSuccess();
                 }},
        WalkCase{"greeting", plain<TInfoDialog>, "ckbInfo", nullptr, {}, DialogAccepted}),
    rowName);

// ---- A focused button takes Return itself ------------------------------------

using ButtonsCase = TButtonsRow<CoreDialogs>;

class ReturnOnAButton : public TReturnOnAButton<CoreDialogs>
{
};

TEST_P(ReturnOnAButton, pressesThatButtonAlone)
{
    pressEachButton();
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
