#pragma once

// The road a user takes from the record form to what leaves the store:
// records typed into the record form's own edits and saved with its button,
// a sender typed into the sender window, through the main list's commands.
#include "EditorsFixture.h"
#include "WizardAnswer.h"
#include "addressbook/BookFixture.h"
#include "addressbook/DtInqiry.h"
#include "dialogs/SenderData.h"
#include "directory/DicSch.h"
#include "editors/EditorHost.h"
#include "editors/PrintEditor.h"
#include "editors/PrintEditors.h"
#include "exchange/FExport.h"
#include "exchange/ListPrt.h"
#include "support/KeyInput.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPrinter>
#include <QTabWidget>
#include <QTest>

#include <functional>
#include <tuple>

class UserRoadFixture : public BookFixture
{
protected:
    using BookFixture::BookFixture;

    void SetUp() override
    {
        BookFixture::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        DMMurven19->CreateDatabase();
        DMMurven19->Connect();
        DMMurven19->CreateAdrsTable(QStringLiteral("Book1"));
        DMMurven19->CreateSenderTable();
        m_openers = {PrintEditorOpener, ListPrintOpener, FileExportOpener};
        RegisterPrintEditors();
        RegisterListPrint();
        RegisterFileExport();
        ShowEditorStartMenu = false;
        // A new record starts with the number search; the user closes it and
        // types the record.
        TDicSearch::ModalRunner = [](TDicSearch &) { return 2; };
        TFileExport::SaveDialogOverride = [this](const QString &, int &Filter) {
            Filter = 1;
            return exportFile();
        };
        ASSERT_NO_FATAL_FAILURE(openList());
    }
    void TearDown() override
    {
        if (DataInquiry) {
            DataInquiry->SetSkipConfirm(true);
            DataInquiry->close();
        }
        delete FileExport;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        list.reset();
        TFileExport::SaveDialogOverride = nullptr;
        TDicSearch::ModalRunner = nullptr;
        PrintEditorOpener = std::get<0>(m_openers);
        ListPrintOpener = std::get<1>(m_openers);
        FileExportOpener = std::get<2>(m_openers);
        ShowEditorStartMenu = true;
        MainListHost().SetSenderNo(0);
        DefaultSenderNo = 0;
        BookFixture::TearDown();
    }

    QString pdfFile() const { return DataPath + QStringLiteral("run.pdf"); }
    QString exportFile() const { return DataPath + QStringLiteral("export.txt"); }

    // 書式 → 詳細 with 表示情報のレイアウトを自動でおこなう switched: the
    // editor's detailed frame set.
    static void switchToDetailedFrames(TPrintEditor &Editor)
    {
        Editor.ExecDialog = [](QDialog &Dialog) {
            auto *automatic = Dialog.findChild<QCheckBox *>(QStringLiteral("ckbAuto"));
            EXPECT_NE(automatic, nullptr);
            if (automatic)
                automatic->click();
            return int(QDialog::Accepted);
        };
        Editor.findChild<QAction *>(QStringLiteral("actLayoutDetail"))->trigger();
        ASSERT_TRUE(Editor.Document().Detail);
    }

    // The editor's print command run through the print wizard as a user
    // answers it, into pdfFile(); whether the wizard was shown.
    bool runPrintWizard(TPrintEditor &Editor)
    {
        WizardAnswer answer;
        Editor.ExecDialog = [this, &answer](QDialog &Dialog) { return answer(Dialog, boxes); };
        Editor.findChild<QAction *>(QStringLiteral("actPrint"))->trigger();
        return answer.Shown;
    }

    // Types Text into the window's control Name (a combo box's edit) the way
    // a person does: its page brought up, the control focused, one key per
    // character, then the focus taken away.
    static void typeIn(QWidget *Window, const char *Name, const QString &Text)
    {
        QWidget *w = Window->findChild<QWidget *>(QLatin1String(Name));
        ASSERT_NE(w, nullptr) << Name;
        if (auto *combo = qobject_cast<QComboBox *>(w))
            w = combo->lineEdit();
        for (QTabWidget *pages : Window->findChildren<QTabWidget *>())
            for (int i = 0; i < pages->count(); ++i)
                if (pages->widget(i)->isAncestorOf(w))
                    pages->setCurrentIndex(i);
        w->setFocus();
        TypeCharacters(w, Text);
        QFocusEvent out(QEvent::FocusOut);
        QCoreApplication::sendEvent(w, &out);
    }
    static void press(QWidget *Window, const char *Name)
    {
        auto *button = Window->findChild<QAbstractButton *>(QLatin1String(Name));
        ASSERT_NE(button, nullptr) << Name;
        for (QTabWidget *pages : Window->findChildren<QTabWidget *>())
            for (int i = 0; i < pages->count(); ++i)
                if (pages->widget(i)->isAncestorOf(button))
                    pages->setCurrentIndex(i);
        // A check box takes a click on its box, at its left end.
        const QPoint at = qobject_cast<QCheckBox *>(button) ? QPoint(button->height() / 2, button->height() / 2)
                                                           : button->rect().center();
        QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, at);
    }

    // The list's rows once it has taken up to Wanted new records.
    int rowsShown(int Wanted) const
    {
        for (int i = 0; i < 50 && list->GetRowCount() < Wanted; ++i)
            QCoreApplication::processEvents();
        return list->GetRowCount();
    }

    // A person typed into a new record form, by name only, and added.
    void enterPerson(const QString &Name)
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        action("actNumerSearch")->trigger();
        QWidget *form = DataInquiry;
        ASSERT_NE(form, nullptr);
        ASSERT_NO_FATAL_FAILURE(typeIn(form, "nmedtNameKanji", Name));
        const int before = list->GetRowCount();
        ASSERT_NO_FATAL_FAILURE(press(form, "btnAdd"));
        ASSERT_EQ(rowsShown(before + 1), before + 1) << Name.toStdString();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // A person with a joint name printed beside them, and a company addressed
    // as itself: typed into a new record form each and added.
    // Tel, when given, is typed into both (the second is added although the
    // first has the number); Joint is the person's joint name, Name their
    // name and Adrs2 the second line of their address.
    void enterRecords(const QString &Tel = {}, const QString &Joint = QStringLiteral("花子"),
                      const QString &Name = QStringLiteral("山田 太郎"), const QString &Adrs2 = {})
    {
        action("actNumerSearch")->trigger();
        QWidget *form = DataInquiry;
        ASSERT_NE(form, nullptr);
        if (!Tel.isEmpty()) {
            ASSERT_NO_FATAL_FAILURE(typeIn(form, "edtTel", Tel));
        }
        ASSERT_NO_FATAL_FAILURE(typeIn(form, "nmedtNameKanji", Name));
        ASSERT_NO_FATAL_FAILURE(typeIn(form, "edtPos", QStringLiteral("1000014")));
        ASSERT_NO_FATAL_FAILURE(typeIn(form, "edtTdfkn", QStringLiteral("東京都")));
        ASSERT_NO_FATAL_FAILURE(typeIn(form, "edtAdrs1", QStringLiteral("千代田区永田町一丁目７番１号")));
        if (!Adrs2.isEmpty()) {
            ASSERT_NO_FATAL_FAILURE(typeIn(form, "edtAdrs2", Adrs2));
        }
        ASSERT_NO_FATAL_FAILURE(typeIn(form, "nmedtJoint1", Joint));
        ASSERT_NO_FATAL_FAILURE(press(form, "sbtnJointPrint1"));
        ASSERT_NO_FATAL_FAILURE(press(form, "btnAdd"));
        ASSERT_EQ(rowsShown(1), 1);

        // The form closes once a new record is added; the next one is new again.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        action("actNumerSearch")->trigger();
        form = DataInquiry;
        ASSERT_NE(form, nullptr);
        ASSERT_NO_FATAL_FAILURE(press(form, "sbtnCorp"));
        if (!Tel.isEmpty()) {
            ASSERT_NO_FATAL_FAILURE(typeIn(form, "edtTel", Tel));
        }
        ASSERT_NO_FATAL_FAILURE(typeIn(form, "nmedtCorpKanji", QStringLiteral("株式会社ピクス")));
        ASSERT_NO_FATAL_FAILURE(typeIn(form, "cbxDptmnt", QStringLiteral("営業部")));
        ASSERT_NO_FATAL_FAILURE(typeIn(form, "cbxPost", QStringLiteral("主任")));
        ASSERT_NO_FATAL_FAILURE(typeIn(form, "edtPos", QStringLiteral("5300001")));
        ASSERT_NO_FATAL_FAILURE(typeIn(form, "edtTdfkn", QStringLiteral("大阪府")));
        ASSERT_NO_FATAL_FAILURE(typeIn(form, "edtAdrs1", QStringLiteral("大阪市北区梅田三丁目１番３号")));
        ASSERT_NO_FATAL_FAILURE(press(form, "btnAdd"));
        ASSERT_EQ(rowsShown(2), 2);
    }

    // The print editor of Kind on the catalogue's paper, printing to the
    // PDF file; its dialogs go to Dialog.
    TPrintEditor *openEditor(const char *Command, TPrintEditorKind Kind, int Paper)
    {
        action(Command)->trigger();
        auto *editor = dynamic_cast<TPrintEditor *>(list->PrintEditor(Kind));
        EXPECT_NE(editor, nullptr) << Command;
        if (!editor)
            return nullptr;
        TLabelGrid grid;
        editor->SetLayout(Paper, catalogueFormat(Paper, &grid), grid);
        editor->Printer().setOutputFormat(QPrinter::PdfFormat);
        editor->Printer().setOutputFileName(pdfFile());
        // Each run's print dialog: the user confirms the file it offers.
        editor->ExecPrintDialog = [this](QPrinter &Printer) {
            Printer.setOutputFileName(pdfFile());
            return true;
        };
        return editor;
    }

    // The sender typed into the sender window the card editor opens, and
    // chosen there: a person, or a person at a company with its lines.
    void enterSender(TPrintEditor &Editor, bool Company)
    {
        enterSenderWith(Editor, [Company](QDialog &Dialog) {
            if (Company) {
                press(&Dialog, "ckbCorp");
                typeIn(&Dialog, "edCorp", QStringLiteral("株式会社ピクス"));
                typeIn(&Dialog, "cbxDptmnt", QStringLiteral("営業部"));
                typeIn(&Dialog, "cbxPost", QStringLiteral("主任"));
            }
        });
    }
    // The same person, with More typed into the window before it is chosen.
    void enterSenderWith(TPrintEditor &Editor, const std::function<void(QDialog &)> &More)
    {
        Editor.ExecDialog = [More](QDialog &Dialog) {
            Dialog.show();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(&Dialog));
            typeIn(&Dialog, "edName", QStringLiteral("佐藤 一郎"));
            typeIn(&Dialog, "edPos", QStringLiteral("0600001"));
            typeIn(&Dialog, "edTdfkn", QStringLiteral("北海道"));
            typeIn(&Dialog, "edAdrs1", QStringLiteral("札幌市中央区北一条西二丁目"));
            More(Dialog);
            press(&Dialog, "btnChoice");
            return Dialog.result();
        };
        Editor.findChild<QAction *>(QStringLiteral("actSender"))->trigger();
    }

private:
    std::tuple<TPrintEditorOpener, TListPrintOpener, TRowWindowOpener> m_openers;
};
