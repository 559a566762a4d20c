#include "addressbook/AdrsList.h"
#include "core/AdrsSel.h"
#include "core/DBInfo.h"
#include "core/Env.h"
#include "core/InputPW.h"
#include "core/Inquiry.h"
#include "core/Main.h"
#include "core/PDFHelp.h"
#include "core/QtJapanese.h"
#include "util/PrintFonts.h"
#include "core/Splash.h"
#include "core/WqhypWrapper.h"
#include "directory/HdiRW.h"
#include "editors/PrintData.h"
#include "editors/PrintEditors.h"
#include "exchange/FExport.h"
#include "exchange/FImport.h"
#include "exchange/ListPrt.h"
#include "exchange/MExport.h"
#include "platform/Folders.h"
#include "util/Application.h"
#include "util/Font.h"
#include "util/MsgBoxPos.h"
#include "util/SingleInstance.h"
#include "util/WriteFailure.h"
#include "widgets/OneLineEdits.h"
#include "widgets/TntForms.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>

namespace {

// The name under which a running instance is found by the next start.
const QString kInstanceName = QStringLiteral("Murven19.Instance");

} // namespace

int main(int argc, char **argv)
{
    // Before anything is written: the books, settings and histories are the user's alone.
    Folders::restrictNewFilesToUser();
    TApplication app(argc, argv);
    // Qt's own dialogs and formats speak Japanese whatever the system locale.
    const TQtJapanese japanese(QtTranslationsFolder());
    if (!japanese.Loaded())
        qWarning("murven19: Qt's Japanese texts not loaded (%s); Qt's dialogs stay in English",
                 qPrintable(japanese.Error()));
    // The print faces' unaliased copies take effect only before a face has
    // drawn its first text: text copied from a printed PDF then gives the
    // characters printed (田, not the radical ⽥).
    (void)PreparePrintFonts();
    // Before the first window, the splash included.
    SetApplicationFont();
    QApplication::setApplicationName(QStringLiteral("Murven19"));
    QApplication::setOrganizationName(QStringLiteral("Pyx"));
    // The hidden main controller decides when the program ends, not the last window.
    QApplication::setQuitOnLastWindowClosed(false);
    // A settings file that cannot be read is kept aside and named to the user.
    InstallUnreadableSettingsNotice();
    // A settings write the program goes on without names its failure once.
    InstallSettingsNotSavedNotice();
    // No one-line edit of any window takes a line break, a tab or another
    // control character the user pastes or drops.
    InstallOneLineEdits();

    // The main list reaches the import window through its opener.
    RegisterFileImport();
    RegisterListPrint();
    RegisterFileExport();
    RegisterMarkExport();
    RegisterPrintEditors();

    TInstanceLock instance;
    TInstanceCheck instanceCheck = TInstanceCheck::Acquired;
    QPointer<TAddressList> addressList;

    TStartupParts parts;
    parts.checkPreviousInstance = [&] {
        instanceCheck = AcquireInstance(instance, kInstanceName, true);
        return instanceCheck != TInstanceCheck::Acquired;
    };
    // The marker goes on the window the user sees (the main list window).
    parts.setWindowMarker = [] {};
    parts.applicationSettings = [] { TntApplication()->SetTitle(ProductCaption()); };
    parts.makeFolders = [] {
        AppPath = Folders::programFolder();
        DataRoot = MakeDataRoot(AppPath);
    };
    parts.loadSearchAreas = [] {
        LoadSearchAreas(ReadHdiFile);
        qInfo("murven19: %lld directory regions installed (%s)", static_cast<long long>(SearchAreaList.size()),
              qPrintable(Folders::machineRegistryFile()));
    };
    parts.showMessage = [](const QString &text, unsigned flags) {
        ShowMessageBoxAt(nullptr, text, ProductCaption(), flags, mbpSystem, 0, 0);
    };
    parts.readViewSplash = [] { return ReadViewSplash(); };
    parts.showSplash = [] {
        auto *splash = new TSplashForm;
        splash->show();
        splash->repaint();
        QApplication::processEvents();
    };
    parts.splashActive = [] { return SplashForm != nullptr; };
    parts.loadSettings = [] { LoadSettings(); };
    parts.loadWqhyp = [] {
        // A failure has shown its box; numbers are then only trimmed.
        (void)LoadWqhyp(AppPath, AppPath + QStringLiteral("Dic/"));
    };
    parts.freeWqhyp = [] { FreeWqhyp(); };
    parts.createManual = [] { CreateManual(); };
    parts.closeManual = [] { CloseManual(); };
    parts.freeManual = [] { FreeManual(); };
    parts.createDataModule = [] { DMMurven19 = new TDMMurven19; };
    parts.freeItemCopyStream = [] { FreeItemCopyStream(); };
    parts.freeDataModule = [] { FreeDataModule(); };
    parts.askPassword = [] {
        TInputPassword dialog;
        return dialog.exec() == QDialog::Accepted;
    };
    parts.saveDataPath = [] { SaveDataPathOrReport(); };
    parts.ensureWordFiles = [] { EnsureWordFiles(); };
    parts.scanAddressBooks = [] {
        // Operations carried out but still on record would run again at the next start.
        QString error;
        if (!ScanAddressBooks(true, &error))
            ShowWriteFailure(nullptr, QStringLiteral("アドレス帳の削除と名前の変更の記録"), AdrsOpFileName(), error);
    };
    parts.addressBookNames = [] {
        QStringList names;
        for (const TAdrsFolderInfo &book : AdrsFolderList)
            names << book.Name;
        return names;
    };
    parts.freeAdrsFolderList = [] { AdrsFolderList.clear(); };
    parts.showAddressList = [&] {
        qInfo("murven19: showing the address list of \"%s\"", qPrintable(AdrsName));
        addressList = new TAddressList;
        SetWindowMarker(addressList, kInstanceName);
        addressList->exec();
        RemoveWindowMarker(addressList, kInstanceName);
        delete addressList;
    };
    parts.cancelAddressList = [&] {
        if (addressList)
            addressList->reject();
    };
    parts.removeWindowMarker = [] {};
    parts.releaseLock = [&] { instance.reset(); };

    TStartup startup(std::move(parts));
    const int rc = startup.Run();
    // A start refused for a reason (said in its message) is a failed start.
    return instanceCheck == TInstanceCheck::Refused ? 1 : rc;
}
