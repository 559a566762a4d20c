// A free text too long for its box prints under 1.8 mm on every postcard.
// Two records printed in three copies each are six such cards: the print
// wizard names the text with the count of the cards the run prints it on,
// not of the records.
#include "UserRoad.h"
#include "InsertItems.h"

namespace {

class WizardSmallTextCopies : public UserRoadFixture
{
};

TEST_F(WizardSmallTextCopies, theSmallTextIsCountedOnEveryCopy)
{
    ASSERT_NO_FATAL_FAILURE(typeRecord(TokyoPerson()));
    TTypedRecord second = TokyoPerson();
    second.Name = QStringLiteral("佐藤 花子");
    ASSERT_NO_FATAL_FAILURE(typeRecord(second));
    selectRows({0, 1});
    TPrintEditor *editor = openEditor("actLayoutPrint", TPrintEditorKind::AddressSide, 0);
    ASSERT_NE(editor, nullptr);
    // 文字 → 文字の挿入 with a greeting four times over, then OK.
    editor->ExecDialog = [](QDialog &D) {
        typeIn(&D, "memWords", QStringLiteral("本年もどうぞよろしくお願い申し上げます").repeated(4));
        press(&D, "btnOK");
        return D.result();
    };
    QList<const TDrawRect *> added;
    insertByCommand(*editor, "actInsertWord", added);
    ASSERT_EQ(added.size(), 1);

    boxes.clear();
    WizardAnswer answer;
    answer.Fill = [](QDialog &Wizard) { typeInto(Wizard, "edCopy", QStringLiteral("3")); };
    editor->ExecDialog = [this, &answer](QDialog &Dialog) { return answer(Dialog, boxes); };
    editor->findChild<QAction *>(QStringLiteral("actPrint"))->trigger();
    ASSERT_TRUE(answer.Shown);
    QString told;
    for (const TMessageBoxRequest &box : boxes.shown())
        told += box.text;
    EXPECT_TRUE(told.contains(QStringLiteral("挿入した文字が 1.8mm より小さい文字で印刷されます（6 枚）"))) << qPrintable(told);
}

} // namespace
