// Whose names a printed piece carries, decided by the record as the user
// keeps it: a company kept off its persons, a sender's own print mark, names
// of older records that merely begin with "@", and a book that cannot be
// read. Records are typed into the record form and saved with its button,
// printed through the print wizard and read back from the PDF.
#include "UserRoad.h"
#include "platform/Table.h"
#include "util/PrintFonts.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QToolButton>

namespace {

class PrintFacesFirst : public ::testing::Environment
{
public:
    void SetUp() override { (void)PreparePrintFonts(); }
};
[[maybe_unused]] ::testing::Environment *const printFacesFirst =
    ::testing::AddGlobalTestEnvironment(new PrintFacesFirst);

// The PDF's text without blanks, as a person copying it compares it.
QString pdfText(const QString &Pdf)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    EXPECT_FALSE(tool.isEmpty()) << "pdftotext (poppler-utils) is missing";
    if (tool.isEmpty() || !QFileInfo::exists(Pdf))
        return {};
    QProcess run;
    run.start(tool, {QStringLiteral("-raw"), QStringLiteral("-enc"), QStringLiteral("UTF-8"), Pdf, QStringLiteral("-")});
    EXPECT_TRUE(run.waitForFinished(60000));
    QString text = QString::fromUtf8(run.readAllStandardOutput());
    text.remove(QRegularExpression(QStringLiteral("\\s")));
    return text;
}

enum class TPaper { Postcard, HorizontalPostcard, DetailPostcard, Label, Card };

class RecordNames : public UserRoadFixture
{
protected:
    TPrintEditor *open(TPaper Paper)
    {
        switch (Paper) {
        case TPaper::Postcard:
        case TPaper::DetailPostcard:
            return openEditor("actLayoutPrint", TPrintEditorKind::AddressSide, 0);
        case TPaper::HorizontalPostcard: return openEditor("actLayoutPrint", TPrintEditorKind::AddressSide, 1);
        case TPaper::Label: return openEditor("actLabelPrint", TPrintEditorKind::Label, 16);
        case TPaper::Card: return openEditor("actCardPrint", TPrintEditorKind::Card, 24);
        }
        return nullptr;
    }
    // The detailed frame set, with the listed frames of the addressee hidden
    // in the layout detail dialog.
    static void detailFrames(TPrintEditor &Editor, std::initializer_list<const char *> Hidden)
    {
        Editor.ExecDialog = [Hidden](QDialog &Dialog) {
            auto *automatic = Dialog.findChild<QCheckBox *>(QStringLiteral("ckbAuto"));
            EXPECT_NE(automatic, nullptr);
            if (automatic)
                automatic->click();
            for (const char *name : Hidden) {
                auto *box = Dialog.findChild<QCheckBox *>(QLatin1String(name));
                EXPECT_NE(box, nullptr) << name;
                if (box && box->isChecked())
                    box->click();
            }
            return int(QDialog::Accepted);
        };
        Editor.findChild<QAction *>(QStringLiteral("actLayoutDetail"))->trigger();
        EXPECT_TRUE(Editor.Document().Detail);
    }
    // Prints the selected rows through the wizard; the PDF's text.
    QString print(TPrintEditor &Editor)
    {
        EXPECT_TRUE(runPrintWizard(Editor));
        return pdfText(pdfFile());
    }
    // A company with a person and a printed joint name, kept off its
    // address with 宛名の印刷に名前を使用しない, typed and added.
    void enterCompanyWithoutNames()
    {
        action("actNumerSearch")->trigger();
        QWidget *form = DataInquiry;
        ASSERT_NE(form, nullptr);
        ASSERT_NO_FATAL_FAILURE(press(form, "sbtnCorp"));
        ASSERT_NO_FATAL_FAILURE(typeIn(form, "nmedtCorpKanji", QStringLiteral("株式会社ピクス")));
        ASSERT_NO_FATAL_FAILURE(typeIn(form, "cbxDptmnt", QStringLiteral("営業部")));
        ASSERT_NO_FATAL_FAILURE(typeIn(form, "nmedtNameKanji", QStringLiteral("鈴木 一郎")));
        ASSERT_NO_FATAL_FAILURE(typeIn(form, "nmedtJoint1", QStringLiteral("鈴木 次郎")));
        ASSERT_NO_FATAL_FAILURE(press(form, "sbtnJointPrint1"));
        ASSERT_NO_FATAL_FAILURE(typeIn(form, "edtPos", QStringLiteral("5300001")));
        ASSERT_NO_FATAL_FAILURE(typeIn(form, "edtTdfkn", QStringLiteral("大阪府")));
        ASSERT_NO_FATAL_FAILURE(typeIn(form, "edtAdrs1", QStringLiteral("大阪市北区梅田三丁目１番３号")));
        ASSERT_NO_FATAL_FAILURE(press(form, "chkIgnoreName"));
        ASSERT_NO_FATAL_FAILURE(press(form, "btnAdd"));
        ASSERT_EQ(rowsShown(1), 1);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

class CompanyKeptOffItsPersons : public RecordNames, public ::testing::WithParamInterface<TPaper>
{
};

// Stored through the form, printed: the company and its honorific, none of
// its persons (neither the name nor the printed joint name) and no 様.
TEST_P(CompanyKeptOffItsPersons, printsNoPerson)
{
    ASSERT_NO_FATAL_FAILURE(enterCompanyWithoutNames());
    selectRows({0});
    TPrintEditor *editor = open(GetParam());
    ASSERT_NE(editor, nullptr);
    if (GetParam() == TPaper::DetailPostcard)
        detailFrames(*editor, {});
    const QString text = print(*editor);
    EXPECT_TRUE(text.contains(QStringLiteral("株式会社ピクス"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("御中"))) << text.toStdString();
    for (const char16_t *person : {u"鈴木", u"一郎", u"次郎", u"様"})
        EXPECT_FALSE(text.contains(QString::fromUtf16(person))) << text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(EndToEnd, CompanyKeptOffItsPersons,
                         ::testing::Values(TPaper::Postcard, TPaper::HorizontalPostcard, TPaper::DetailPostcard,
                                           TPaper::Label),
                         [](const ::testing::TestParamInfo<TPaper> &Info) {
                             switch (Info.param) {
                             case TPaper::Postcard: return std::string("postcard");
                             case TPaper::HorizontalPostcard: return std::string("horizontalPostcard");
                             case TPaper::Card: return std::string("card");
                             case TPaper::DetailPostcard: return std::string("detailPostcard");
                             case TPaper::Label: return std::string("label");
                             }
                             return std::string();
                         });

// The detailed frames with the title frame hidden: a company addressed as
// itself takes its honorific right after its department, the last company
// line that prints.
TEST_F(RecordNames, hiddenTitleFramePutsTheHonorificAfterTheDepartment)
{
    ASSERT_NO_FATAL_FAILURE(enterRecords());
    selectRows({1});
    TPrintEditor *editor = open(TPaper::DetailPostcard);
    ASSERT_NE(editor, nullptr);
    detailFrames(*editor, {"ckbPost"});
    const QString text = print(*editor);
    EXPECT_TRUE(text.contains(QStringLiteral("営業部御中"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("主任"))) << text.toStdString();
}

// A sender whose own print mark (本) is off: the postcard's sender name frame
// leaves the sender's name out, as the sender block does, and its printed
// joint name takes the name's place with the family name.
TEST_F(RecordNames, senderNameFrameFollowsTheSendersOwnMark)
{
    ASSERT_NO_FATAL_FAILURE(enterRecords());
    selectRows({0});
    TPrintEditor *editor = open(TPaper::Postcard);
    ASSERT_NE(editor, nullptr);
    enterSenderWith(*editor, [](QDialog &Dialog) {
        press(&Dialog, "ckbHome");
        typeIn(&Dialog, "edJoint1", QStringLiteral("春子"));
        auto *own = Dialog.findChild<QToolButton *>(QStringLiteral("sbtnNamePrint"));
        auto *joint = Dialog.findChild<QToolButton *>(QStringLiteral("sbtnJointPrint1"));
        EXPECT_TRUE(own && joint);
        if (own && own->isChecked())
            press(&Dialog, "sbtnNamePrint");
        if (joint && !joint->isChecked())
            press(&Dialog, "sbtnJointPrint1");
    });
    const QString text = print(*editor);
    EXPECT_TRUE(text.contains(QStringLiteral("佐藤春子"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("一郎"))) << text.toStdString();
}

// Older records keep names in plain text that may begin with "@": they print
// as stored, not as the wide form's characters or as nothing.
TEST_F(RecordNames, plainNamesBeginningWithAtPrintAsStored)
{
    ASSERT_NO_FATAL_FAILURE(enterRecords());
    TTable &table = *DMMurven19->AdrsTable();
    ASSERT_TRUE(table.Locate(QStringLiteral("RecNo"), {1}));
    table.Edit();
    table.FieldByName(QStringLiteral("NameKanji")).SetAsString(QStringLiteral("@cafe"));
    table.FieldByName(QStringLiteral("Joint1")).SetAsString(QStringLiteral("@ab"));
    table.Post();
    table.FlushBuffers();
    selectRows({0});
    TPrintEditor *editor = open(TPaper::Label);
    ASSERT_NE(editor, nullptr);
    const QString text = print(*editor);
    // A layout may widen the letters; what matters is that each prints.
    QString narrow = text;
    for (QChar &c : narrow)
        if (c.unicode() >= 0xFF01 && c.unicode() <= 0xFF5E)
            c = QChar(c.unicode() - 0xFEE0);
    EXPECT_TRUE(narrow.contains(QStringLiteral("@cafe"))) << text.toStdString();
    EXPECT_TRUE(narrow.contains(QStringLiteral("@ab"))) << text.toStdString();
}

// A book cut short under the list: the label run stops with the reason and
// leaves no blank sheet behind it.
TEST_F(RecordNames, damagedBookStopsTheRunWithoutABlankSheet)
{
    ASSERT_NO_FATAL_FAILURE(enterRecords());
    selectRows({0, 1});
    TPrintEditor *editor = open(TPaper::Label);
    ASSERT_NE(editor, nullptr);
    const QString book = DMMurven19->AdrsTable()->TableName();
    QFile file(book);
    ASSERT_TRUE(file.exists()) << book.toStdString();
    ASSERT_TRUE(file.resize(file.size() / 2));
    boxes.clear();
    const QString text = print(*editor);
    EXPECT_FALSE(QFileInfo::exists(pdfFile())) << "a sheet was printed";
    bool told = false;
    for (const TMessageBoxRequest &box : boxes.shown())
        told = told || box.text.contains(QStringLiteral("読み込めません"));
    EXPECT_TRUE(told);
}

} // namespace
