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
#include "editors/PageView.h"
#include "editors/PrintEditor.h"
#include "editors/PrintEditors.h"
#include "exchange/FExport.h"
#include "exchange/ListPrt.h"
#include "support/DicProgramFolder.h"
#include "support/KeyInput.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QProcess>
#include <QRectF>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTest>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

// A record as the user types it into the record form: a field left empty is
// not typed; Corp makes it a company's record (会社 pressed first); each
// joint name is typed and ticked to print beside the name.
struct TTypedRecord {
    QString Tel{};
    QString Name{};
    QString Corp{};
    QString Dptmnt{};
    QString Post{};
    QString Honor{};
    QString Pos{};
    QString Tdfkn{};
    QString Adrs1{};
    QString Adrs2{};
    QString Adrs3{};
    QStringList Joints{};
    QStringList JointHonors{}; // each joint name's own, by its place
    QString EMail1{};
    QString Keyword1{};
};

// The person most roads type: 山田 太郎 at 〒100-0014 東京都千代田区永田町
// 一丁目７番１号.
inline TTypedRecord TokyoPerson()
{
    TTypedRecord r;
    r.Name = QStringLiteral("山田 太郎");
    r.Pos = QStringLiteral("1000014");
    r.Tdfkn = QStringLiteral("東京都");
    r.Adrs1 = QStringLiteral("千代田区永田町一丁目７番１号");
    return r;
}

// A person at a company whose every part is long: the company, the
// department of three parts, an eight-character title, an address with a
// building and a room, a telephone number, a mail address and a keyword.
inline TTypedRecord LongCompanyPerson()
{
    TTypedRecord r;
    r.Tel = QStringLiteral("011-123-4567");
    r.Name = QStringLiteral("長谷川 五郎左衛門");
    r.Corp = QStringLiteral("株式会社日本総合物産ホールディングス");
    r.Dptmnt = QStringLiteral("第一営業本部　東日本営業部　第二営業課");
    r.Post = QStringLiteral("代表取締役副社長");
    r.Pos = QStringLiteral("0600001");
    r.Tdfkn = QStringLiteral("北海道");
    r.Adrs1 = QStringLiteral("札幌市中央区北一条西二丁目");
    r.Adrs2 = QStringLiteral("１２番地３４号　グランドハイツ札幌北一条");
    r.Adrs3 = QStringLiteral("１２３４号室");
    r.EMail1 = QStringLiteral("hasegawa@example.co.jp");
    r.Keyword1 = QStringLiteral("ゴールド会員");
    return r;
}

// Names a case of a paper of the catalogue and its frame set (its Paper and
// Detail) as "paper3Detail" or "paper3Simple".
inline constexpr auto paperRowName = [](const auto &Info) {
    return "paper" + std::to_string(Info.param.Paper) + (Info.param.Detail ? "Detail" : "Simple");
};

// A sheet of labels of the catalogue (its paper) in one frame set, named
// for the test's row.
struct SheetCase {
    const char *name;
    int paper;
    bool detail;
};

// Every sheet of labels of the catalogue, wide and turned, in both frame sets.
inline const SheetCase kEveryLabelSheet[] = {
    {"sheet12", 14, false}, {"sheet12Detailed", 14, true}, {"sheet12Turned", 15, false},
    {"sheet12TurnedDetailed", 15, true}, {"sheet10", 16, false}, {"sheet10Detailed", 16, true},
    {"sheet10Turned", 17, false}, {"sheet10TurnedDetailed", 17, true}, {"sheet21", 18, false},
    {"sheet21Detailed", 18, true}, {"sheet21Turned", 19, false}, {"sheet21TurnedDetailed", 19, true},
    {"sheet24", 20, false}, {"sheet24Detailed", 20, true}, {"sheet24Turned", 21, false},
    {"sheet24TurnedDetailed", 21, true}, {"sheet44", 22, false}, {"sheet44Detailed", 22, true},
    {"sheet44Turned", 23, false}, {"sheet44TurnedDetailed", 23, true}};

// A word pdftotext finds in a PDF, and its box in points.
struct TPdfWord {
    QString Text;
    QRectF Box;
};

// Label Cell of Doc's sheet in points, as pdftotext gives the words.
inline QRectF LabelCellInPoints(const TLayoutDocument &Doc, int Cell)
{
    const double pt = 72.0 / 254.0;
    const QRect r = Doc.CellRect(Cell);
    return QRectF(r.x() * pt, r.y() * pt, r.width() * pt, r.height() * pt);
}

// Whether Doc's labels lie on their side on the sheet (a turned label).
inline bool LabelOnItsSide(const TLayoutDocument &Doc) { return Doc.CellRect(0).width() != Doc.PieceSize().width(); }

// The words of one label in reading order, each row's characters that touch
// one another joined into one: pdftotext gives the characters of a column
// written down a label lying on its side (Backwards: read right to left)
// one by one.
inline std::vector<TPdfWord> LabelRuns(std::vector<TPdfWord> Words, bool Backwards)
{
    std::sort(Words.begin(), Words.end(), [Backwards](const TPdfWord &A, const TPdfWord &B) {
        const int rowA = qRound(A.Box.top()), rowB = qRound(B.Box.top());
        if (rowA != rowB)
            return rowA < rowB;
        return Backwards ? A.Box.left() > B.Box.left() : A.Box.left() < B.Box.left();
    });
    std::vector<TPdfWord> out;
    for (const TPdfWord &w : Words) {
        if (!out.empty()) {
            TPdfWord &last = out.back();
            const double gap = Backwards ? last.Box.left() - w.Box.right() : w.Box.left() - last.Box.right();
            if (std::abs(last.Box.top() - w.Box.top()) <= 1.0 && std::abs(last.Box.height() - w.Box.height()) <= 0.5 &&
                gap >= -0.5 && gap <= 1.0) {
                last.Text += w.Text;
                last.Box = last.Box.united(w.Box);
                continue;
            }
        }
        out.push_back(w);
    }
    return out;
}

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

    // 書式 → 付加情報 with four lines turned on: TEL, E-Mail1, the first
    // keyword and FreeText typed as the fourth, then OK.
    static void showFourAdditionLines(TPrintEditor &Editor, const QString &FreeText)
    {
        Editor.ExecDialog = [FreeText](QDialog &Dialog) {
            Dialog.show();
            const int ids[] = {3, 9, 11}; // TEL, E-Mail1, the first keyword
            for (int i = 0; i < 3; ++i) {
                press(&Dialog, QByteArray("ckbAddition" + QByteArray::number(i + 1)).constData());
                auto *combo = Dialog.findChild<QComboBox *>(QStringLiteral("cbxAddition%1").arg(i + 1));
                EXPECT_NE(combo, nullptr);
                if (combo)
                    combo->setCurrentIndex(combo->findData(ids[i]));
            }
            press(&Dialog, "ckbAddition4");
            typeIn(&Dialog, "cbxAddition4", FreeText);
            press(&Dialog, "btnOK");
            return Dialog.result();
        };
        Editor.findChild<QAction *>(QStringLiteral("actAddition"))->trigger();
    }

    // 書式 → 詳細 with Box clicked (a part's box, or ckbAuto: the automatic
    // layout) and OK pressed.
    static void clickInLayoutDetail(TPrintEditor &Editor, const char *Box)
    {
        Editor.ExecDialog = [Box](QDialog &Dialog) {
            Dialog.show();
            press(&Dialog, Box);
            press(&Dialog, "btnOK");
            return Dialog.result();
        };
        Editor.findChild<QAction *>(QStringLiteral("actLayoutDetail"))->trigger();
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

    // R typed into a new record form, field by field, and added with the
    // form's 登録: the list shows one row more.
    void typeRecord(const TTypedRecord &R)
    {
        // The form the last record was added from goes once its deletion
        // runs: the one opened next is a new record's.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        action("actNumerSearch")->trigger();
        QWidget *form = DataInquiry;
        ASSERT_NE(form, nullptr);
        if (!R.Corp.isEmpty()) {
            ASSERT_NO_FATAL_FAILURE(press(form, "sbtnCorp"));
        }
        // In the order a person fills the form in.
        const std::pair<const char *, const QString *> fields[] = {
            {"edtTel", &R.Tel},       {"nmedtNameKanji", &R.Name}, {"nmedtCorpKanji", &R.Corp},
            {"cbxDptmnt", &R.Dptmnt}, {"cbxPost", &R.Post},        {"cbxHonor", &R.Honor},
            {"edtPos", &R.Pos},       {"edtTdfkn", &R.Tdfkn},      {"edtAdrs1", &R.Adrs1},
            {"edtAdrs2", &R.Adrs2},   {"edtAdrs3", &R.Adrs3},      {"edtEMail1", &R.EMail1},
            {"edtKeyword1", &R.Keyword1}};
        for (const auto &[name, text] : fields)
            if (!text->isEmpty()) {
                ASSERT_NO_FATAL_FAILURE(typeIn(form, name, *text));
            }
        for (qsizetype i = 0; i < R.Joints.size(); ++i) {
            const QByteArray n = QByteArray::number(i + 1);
            // The form ticks a joint name typed in for printing.
            ASSERT_NO_FATAL_FAILURE(typeIn(form, QByteArray("nmedtJoint" + n).constData(), R.Joints[i]));
            if (i < R.JointHonors.size()) {
                ASSERT_NO_FATAL_FAILURE(
                    typeIn(form, QByteArray("cbxJointHonor" + n).constData(), R.JointHonors[i]));
            }
        }
        const int before = list->GetRowCount();
        ASSERT_NO_FATAL_FAILURE(press(form, "btnAdd"));
        ASSERT_EQ(rowsShown(before + 1), before + 1) << qPrintable(R.Name + R.Corp);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // A person typed into a new record form, by name only, and added.
    void enterPerson(const QString &Name) { typeRecord({.Name = Name}); }

    // A person with a joint name printed beside them, and a company addressed
    // as itself: typed into a new record form each and added.
    // Tel, when given, is typed into both (the second is added although the
    // first has the number); Joint is the person's joint name, Name their
    // name and Adrs2 the second line of their address.
    void enterRecords(const QString &Tel = {}, const QString &Joint = QStringLiteral("花子"),
                      const QString &Name = QStringLiteral("山田 太郎"), const QString &Adrs2 = {})
    {
        TTypedRecord person = TokyoPerson();
        person.Tel = Tel;
        person.Name = Name;
        person.Adrs2 = Adrs2;
        person.Joints = {Joint};
        ASSERT_NO_FATAL_FAILURE(typeRecord(person));
        ASSERT_NO_FATAL_FAILURE(typeRecord({.Tel = Tel,
                                            .Corp = QStringLiteral("株式会社ピクス"),
                                            .Dptmnt = QStringLiteral("営業部"),
                                            .Post = QStringLiteral("主任"),
                                            .Pos = QStringLiteral("5300001"),
                                            .Tdfkn = QStringLiteral("大阪府"),
                                            .Adrs1 = QStringLiteral("大阪市北区梅田三丁目１番３号")}));
    }

    // What pdftotext writes for pdfFile() with Options (UTF-8, to its output).
    QByteArray pdfToText(const QStringList &Options) const
    {
        QProcess run;
        run.start(QStandardPaths::findExecutable(QStringLiteral("pdftotext")),
                  QStringList(Options) << QStringLiteral("-enc") << QStringLiteral("UTF-8") << pdfFile()
                                       << QStringLiteral("-"));
        EXPECT_TRUE(run.waitForFinished(60000));
        return run.readAllStandardOutput();
    }
    // The PDF's text as pdftotext reads it with Options.
    QString readPdfText(const QStringList &Options = {}) const { return QString::fromUtf8(pdfToText(Options)); }

    // The words pdftotext finds within Area (points) of the PDF's page, with
    // their boxes.
    std::vector<TPdfWord> pdfWords(const QRectF &Area) const
    {
        const QStringList crop = {QStringLiteral("-x"), QString::number(int(Area.x())), QStringLiteral("-y"),
                                  QString::number(int(Area.y())), QStringLiteral("-W"),
                                  QString::number(int(std::ceil(Area.width()))), QStringLiteral("-H"),
                                  QString::number(int(std::ceil(Area.height()))), QStringLiteral("-bbox")};
        std::vector<TPdfWord> words;
        QXmlStreamReader xml(pdfToText(crop));
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != u"word")
                continue;
            const auto a = xml.attributes();
            auto at = [&a](const char *Name) { return a.value(QLatin1String(Name)).toDouble(); };
            const QRectF box(QPointF(at("xMin"), at("yMin")), QPointF(at("xMax"), at("yMax")));
            words.push_back({xml.readElementText(), box});
        }
        return words;
    }

    // Editor's page drawn as it is drawn onto the screen, into the PDF file
    // instead, at the screen's 96 pixels an inch.
    void drawPageIntoPdf(TPrintEditor &Editor) const
    {
        TPageView *view = Editor.PageView();
        ASSERT_NE(view, nullptr);
        QPdfWriter writer(pdfFile());
        writer.setResolution(96);
        writer.setPageSize(QPageSize(QSizeF(view->width() * 72.0 / 96, view->height() * 72.0 / 96), QPageSize::Point));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter(&writer);
        view->render(&painter);
    }

    // The first label of the editor's sheet in points (the PDF's unit).
    static QRectF firstLabel(TPrintEditor &Editor)
    {
        const QRect cell = Editor.Document().CellRect(0); // 0.1 mm on the sheet
        const double pt = 72.0 / 254.0;
        return QRectF(cell.x() * pt, cell.y() * pt, cell.width() * pt, cell.height() * pt);
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

    // The label editor on the sheet's paper, switched to its detailed frame
    // set where the sheet asks for it; null where a step failed.
    TPrintEditor *openLabelEditor(const SheetCase &Sheet)
    {
        TPrintEditor *editor = openEditor("actLabelPrint", TPrintEditorKind::Label, Sheet.paper);
        if (editor && Sheet.detail)
            switchToDetailedFrames(*editor);
        return HasFatalFailure() ? nullptr : editor;
    }

    // In the 付加情報 dialog: line Line (from 1) turned on, showing the
    // item its list names Caption.
    static void chooseAdditionItem(QDialog &Dialog, int Line, const QString &Caption)
    {
        const QByteArray n = QByteArray::number(Line);
        press(&Dialog, QByteArray("ckbAddition" + n).constData());
        auto *items = Dialog.findChild<QComboBox *>(QStringLiteral("cbxAddition") + QString::fromLatin1(n));
        ASSERT_NE(items, nullptr) << Line;
        items->setCurrentIndex(items->findText(Caption));
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

// A road whose print is read back with pdftotext: skipped where that is not
// installed. A set-up after Road's stops where this one failed or skipped.
template <class Road>
class PdfReadRoad : public Road
{
protected:
    void SetUp() override
    {
        Road::SetUp();
        if (this->HasFatalFailure())
            return;
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    }
    bool stopped() const { return this->HasFatalFailure() || this->IsSkipped(); }
};

// The road over the dictionary of the program folder: the editors look the
// postcode's town up there (for the customer barcode's address number), in
// the libraries of the build over the excerpt data.
class DictionaryRoadFixture : public UserRoadFixture
{
protected:
    TDicProgramFolder dictionary{QStringLiteral(MURVEN_DIC_LIB_DIR), QStringLiteral(MURVEN_DIC_EXCERPT_DIR)};
};

using PdfRoadFixture = PdfReadRoad<UserRoadFixture>;
using PdfDictionaryRoadFixture = PdfReadRoad<DictionaryRoadFixture>;
