// Joint names a layout leaves off are told before printing, the way a user
// comes to them: records typed one after another into the record form with
// 連続して登録 ticked, a person at a company first, so that the private
// person typed next keeps the form's 会社 button and is stored as a company
// record without a company name, her joint name ticked to print; then a
// private person with a joint name, the 個人 button pressed. The three are
// printed through the print wizard to a PDF file: a layout whose name frame
// prints a company's record without its joint names has the wizard name the
// record and count its pieces, one that prints them says nothing of them.
#include "UserRoad.h"
#include "support/RowName.h"

namespace {

struct LeftOffCase {
    const char *name;
    TPrintEditorKind kind;
    int paper;
    bool detail;
    bool leftOff; // the layout prints the company record's joint names without them
};

class JointNamesLeftOff : public PdfRoadFixture, public ::testing::WithParamInterface<LeftOffCase>
{
protected:
    // Types R into the open form field by field and adds it with 登録; the
    // form stays open for the next one.
    void typeIntoOpenForm(const TTypedRecord &R)
    {
        QWidget *form = DataInquiry;
        ASSERT_NE(form, nullptr);
        const std::pair<const char *, const QString *> fields[] = {
            {"nmedtNameKanji", &R.Name}, {"nmedtCorpKanji", &R.Corp}, {"edtPos", &R.Pos},
            {"edtTdfkn", &R.Tdfkn},      {"edtAdrs1", &R.Adrs1}};
        for (const auto &[name, text] : fields)
            if (!text->isEmpty()) {
                ASSERT_NO_FATAL_FAILURE(typeIn(form, name, *text));
            }
        for (qsizetype i = 0; i < R.Joints.size(); ++i) {
            ASSERT_NO_FATAL_FAILURE(
                typeIn(form, QByteArray("nmedtJoint" + QByteArray::number(i + 1)).constData(), R.Joints[i]));
        }
        const int before = list->GetRowCount();
        ASSERT_NO_FATAL_FAILURE(press(form, "btnAdd"));
        ASSERT_EQ(rowsShown(before + 1), before + 1) << qPrintable(R.Name);
        ASSERT_EQ(DataInquiry, form) << "the form closed after " << qPrintable(R.Name);
    }
};

TEST_P(JointNamesLeftOff, wizardNamesTheRecordsWhoseJointNamesStayOff)
{
    if (stopped())
        return;
    action("actNumerSearch")->trigger();
    QWidget *form = DataInquiry;
    ASSERT_NE(form, nullptr);
    auto *continual = form->findChild<QCheckBox *>(QStringLiteral("chkContinualAdd"));
    ASSERT_NE(continual, nullptr);
    if (!continual->isChecked()) {
        ASSERT_NO_FATAL_FAILURE(press(form, "chkContinualAdd"));
    }
    ASSERT_TRUE(continual->isChecked());
    ASSERT_NO_FATAL_FAILURE(press(form, "sbtnCorp"));

    TTypedRecord boss = TokyoPerson();
    boss.Name = QStringLiteral("田中 一郎");
    boss.Corp = QStringLiteral("株式会社ピクス");
    ASSERT_NO_FATAL_FAILURE(typeIntoOpenForm(boss));
    // The next record starts with the company button still down.
    auto *corp = form->findChild<QAbstractButton *>(QStringLiteral("sbtnCorp"));
    ASSERT_TRUE(corp && corp->isChecked());
    TTypedRecord wife = TokyoPerson();
    wife.Name = QStringLiteral("山田 花子");
    wife.Joints = {QStringLiteral("健太")};
    ASSERT_NO_FATAL_FAILURE(typeIntoOpenForm(wife));
    ASSERT_NO_FATAL_FAILURE(press(form, "sbtnPriv"));
    TTypedRecord person = TokyoPerson();
    person.Name = QStringLiteral("佐藤 次郎");
    person.Joints = {QStringLiteral("良子")};
    ASSERT_NO_FATAL_FAILURE(typeIntoOpenForm(person));
    DataInquiry->SetSkipConfirm(true);
    DataInquiry->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    selectRows({0, 1, 2});
    const bool label = GetParam().kind == TPrintEditorKind::Label;
    TPrintEditor *editor = openEditor(label ? "actLabelPrint" : "actLayoutPrint", GetParam().kind, GetParam().paper);
    ASSERT_NE(editor, nullptr);
    if (GetParam().detail) {
        ASSERT_NO_FATAL_FAILURE(switchToDetailedFrames(*editor));
    }
    ASSERT_TRUE(runPrintWizard(*editor));

    QString told;
    for (const TMessageBoxRequest &box : boxes.shown())
        if (box.text.contains(QStringLiteral("連名")))
            told += box.text;
    QString printed = readPdfText();
    printed.remove(QRegularExpression(QStringLiteral("\\s")));
    // A joint name stands on the name's grid, character beside character,
    // so that pdftotext reads the two names' characters in turn: a joint
    // name prints where its first character, found in no other name, does.
    // The private person's joint name prints on every layout.
    EXPECT_TRUE(printed.contains(u'良')) << qPrintable(printed);
    if (GetParam().leftOff) {
        ASSERT_FALSE(printed.contains(u'健')) << "the layout prints the joint name";
        const QString pieces = label ? QStringLiteral("ラベル 1 枚") : QStringLiteral("1 枚");
        EXPECT_TRUE(told.contains(QStringLiteral("1 件の宛先の連名を省きます（%1）：山田").arg(pieces)))
            << qPrintable(told);
        EXPECT_TRUE(told.contains(QStringLiteral("花子"))) << qPrintable(told);
        EXPECT_FALSE(told.contains(QStringLiteral("佐藤"))) << qPrintable(told);
    } else {
        EXPECT_TRUE(printed.contains(u'健')) << qPrintable(printed);
        EXPECT_TRUE(told.isEmpty()) << qPrintable(told);
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, JointNamesLeftOff,
                         ::testing::Values(LeftOffCase{"postcard", TPrintEditorKind::AddressSide, 0, false, true},
                                           LeftOffCase{"sheet24", TPrintEditorKind::Label, 20, false, true},
                                           LeftOffCase{"sheet12", TPrintEditorKind::Label, 14, false, true},
                                           LeftOffCase{"sheet24Detailed", TPrintEditorKind::Label, 20, true, false}),
                         rowName);

} // namespace
