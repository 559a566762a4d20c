// 書式 → 詳細 (フォント・配置の詳細設定): each box of the detailed frames shown
// works alone, for the addressee and the sender, on postcards, envelopes,
// labels and cards. Records typed into the record form and a sender typed
// into the sender window; the box unticked with the mouse and OK pressed;
// the run printed through the wizard and its PDF's text read back with
// pdftotext: the part the box stands for is gone and every other part
// prints. Opened again, the dialog shows that box unticked and no other; the
// choice comes back with the layout saved and opened again.
#include "UserRoad.h"
#include "support/RowName.h"

#include <QCheckBox>
#include <QFile>
#include <QRegularExpression>

#include <vector>

namespace {

enum class TPaper { Postcard, HorizontalPostcard, Envelope, Label, Label44, SenderLabel, Card };

// Which record the run prints: the person (row 0) or the company (row 1);
// a card and a label filled from the sender print the sender.
enum class TWho { Person, Company };

struct BoxCase {
    const char *name;
    TPaper paper;
    TWho who;
    const char *box;
    const char16_t *hidden;              // what the box stands for
    std::vector<const char16_t *> kept;  // what still prints
};

// Every visibility box of the dialog (the additional lines aside).
const char *const kBoxes[] = {"ckbPos",      "ckbAddress1", "ckbAddress2", "ckbAddress3",  "ckbName",
                              "ckbCorp",     "ckbDptmnt",   "ckbPost",     "ckbS_Pos",     "ckbS_Address1",
                              "ckbS_Address2", "ckbS_Address3", "ckbS_Name", "ckbS_Corp",   "ckbS_Dptmnt",
                              "ckbS_Post"};

QString comparable(const QString &Text)
{
    QString out = Text;
    out.remove(QRegularExpression(QStringLiteral("\\s")));
    return out.normalized(QString::NormalizationForm_KC);
}

class DetailBoxes : public PdfRoadFixture, public ::testing::WithParamInterface<BoxCase>
{
protected:
    void SetUp() override
    {
        PdfRoadFixture::SetUp();
        if (stopped())
            return;
        // A person with the three lines of an address and a joint name; a
        // person at a company with a department and a title.
        ASSERT_NO_FATAL_FAILURE(typeRecord({.Name = QStringLiteral("山田 太郎"),
                                            .Pos = QStringLiteral("1000014"),
                                            .Tdfkn = QStringLiteral("東京都"),
                                            .Adrs1 = QStringLiteral("千代田区永田町"),
                                            .Adrs2 = QStringLiteral("一丁目７番１号"),
                                            .Adrs3 = QStringLiteral("桜荘"),
                                            .Joints = {QStringLiteral("花子")}}));
        ASSERT_NO_FATAL_FAILURE(typeRecord({.Name = QStringLiteral("佐藤 一郎"),
                                            .Corp = QStringLiteral("株式会社ピクス"),
                                            .Dptmnt = QStringLiteral("営業部"),
                                            .Post = QStringLiteral("主任"),
                                            .Pos = QStringLiteral("5300001"),
                                            .Tdfkn = QStringLiteral("大阪府"),
                                            .Adrs1 = QStringLiteral("大阪市北区梅田"),
                                            .Adrs2 = QStringLiteral("三丁目１番３号")}));
        selectRows({GetParam().who == TWho::Person ? 0 : 1});
        ASSERT_NO_FATAL_FAILURE(openTheEditor());
    }

    void openTheEditor()
    {
        switch (GetParam().paper) {
        case TPaper::Postcard: editor = openEditor("actLayoutPrint", TPrintEditorKind::AddressSide, 0); break;
        case TPaper::HorizontalPostcard:
            editor = openEditor("actLayoutPrint", TPrintEditorKind::AddressSide, 1);
            break;
        case TPaper::Envelope: editor = openEditor("actLayoutPrint", TPrintEditorKind::AddressSide, 3); break;
        case TPaper::Label:
        case TPaper::SenderLabel: editor = openEditor("actLabelPrint", TPrintEditorKind::Label, 14); break;
        case TPaper::Label44: editor = openEditor("actLabelPrint", TPrintEditorKind::Label, 22); break;
        case TPaper::Card: editor = openEditor("actCardPrint", TPrintEditorKind::Card, 24); break;
        }
        ASSERT_NE(editor, nullptr);
        // The sender, at a company, with the three lines of an address.
        enterSenderWith(*editor, [](QDialog &Dialog) {
            typeIn(&Dialog, "edAdrs2", QStringLiteral("大通公園"));
            typeIn(&Dialog, "edAdrs3", QStringLiteral("札幌ビル"));
            press(&Dialog, "ckbCorp");
            typeIn(&Dialog, "edCorp", QStringLiteral("株式会社サッポロ"));
            typeIn(&Dialog, "cbxDptmnt", QStringLiteral("総務課"));
            typeIn(&Dialog, "cbxPost", QStringLiteral("課長"));
        });
        if (GetParam().paper == TPaper::SenderLabel)
            editor->SetMergesSender(true);
        // The detailed frames, where the paper has them: the automatic
        // layout switched off.
        if (GetParam().paper != TPaper::Card) {
            ASSERT_NO_FATAL_FAILURE(switchToDetailedFrames(*editor));
        }
    }

    // 書式 → 詳細: Box unticked with the mouse, then OK. A card keeps its
    // automatic frames, whose boxes the automatic layout switched off first
    // lets the user change.
    void untick(const char *Box)
    {
        const bool card = GetParam().paper == TPaper::Card;
        editor->ExecDialog = [Box, card](QDialog &Dialog) {
            Dialog.show();
            if (card)
                press(&Dialog, "ckbAuto");
            auto *box = Dialog.findChild<QCheckBox *>(QLatin1String(Box));
            EXPECT_NE(box, nullptr) << Box;
            if (box) {
                EXPECT_TRUE(box->isEnabled()) << Box;
                EXPECT_TRUE(box->isChecked()) << Box;
            }
            press(&Dialog, Box);
            press(&Dialog, "btnOK");
            return Dialog.result();
        };
        editor->findChild<QAction *>(QStringLiteral("actLayoutDetail"))->trigger();
    }

    // The boxes the dialog shows unticked when opened again (Cancel).
    QStringList untickedBoxes()
    {
        QStringList unticked;
        editor->ExecDialog = [&unticked](QDialog &Dialog) {
            for (const char *name : kBoxes) {
                const auto *box = Dialog.findChild<QCheckBox *>(QLatin1String(name));
                EXPECT_NE(box, nullptr) << name;
                if (box && !box->isChecked())
                    unticked << QLatin1String(name);
            }
            Dialog.reject();
            return Dialog.result();
        };
        editor->findChild<QAction *>(QStringLiteral("actLayoutDetail"))->trigger();
        return unticked;
    }

    // The PDF's text of a print run through the wizard, blanks left out.
    QString printed()
    {
        EXPECT_TRUE(runPrintWizard(*editor));
        return comparable(readPdfText({QStringLiteral("-raw")}));
    }

    void expectOnlyTheHiddenPartGone(const QString &Text)
    {
        EXPECT_FALSE(Text.contains(comparable(QString::fromUtf16(GetParam().hidden))))
            << "still printed: " << qPrintable(Text);
        for (const char16_t *kept : GetParam().kept)
            EXPECT_TRUE(Text.contains(comparable(QString::fromUtf16(kept))))
                << qPrintable(QString::fromUtf16(kept)) << " is gone too: " << qPrintable(Text);
    }

    TPrintEditor *editor = nullptr;
};

TEST_P(DetailBoxes, everyPartPrintsUntilItsBoxIsUnticked)
{
    const QString text = printed();
    EXPECT_TRUE(text.contains(comparable(QString::fromUtf16(GetParam().hidden)))) << qPrintable(text);
}

TEST_P(DetailBoxes, untickingABoxHidesItsPartAloneAndStaysUnticked)
{
    ASSERT_NO_FATAL_FAILURE(untick(GetParam().box));
    expectOnlyTheHiddenPartGone(printed());
    EXPECT_EQ(untickedBoxes(), QStringList{QLatin1String(GetParam().box)});
}

TEST_P(DetailBoxes, theChoiceComesBackWithTheSavedLayout)
{
    ASSERT_NO_FATAL_FAILURE(untick(GetParam().box));
    const QString file = DataPath + QStringLiteral("saved.layout");
    editor->ExecFileDialog = [&file](bool) { return file; };
    editor->findChild<QAction *>(QStringLiteral("actSaveAs"))->trigger();
    ASSERT_TRUE(QFile::exists(file));
    // Another layout first, then the saved one opened again.
    TLabelGrid grid;
    const int paper = editor->Document().FormatIndex;
    editor->SetLayout(paper, catalogueFormat(paper, &grid), grid);
    ASSERT_TRUE(untickedBoxes().isEmpty()) << "a new layout shows every part";
    editor->findChild<QAction *>(QStringLiteral("actOpen"))->trigger();
    ASSERT_EQ(editor->FileName(), file);
    EXPECT_EQ(untickedBoxes(), QStringList{QLatin1String(GetParam().box)});
    expectOnlyTheHiddenPartGone(printed());
}

// The boxes are offered with the detailed frames only: back in the
// automatic set, whose frames hold several parts each and where no box
// could show one again, the part prints. The postcode's frame is the same
// in both sets and keeps its own choice.
TEST_P(DetailBoxes, theAutomaticSetPrintsEveryPart)
{
    if (GetParam().paper == TPaper::Card)
        GTEST_SKIP() << "a card has one frame set";
    if (QByteArray(GetParam().box).endsWith("Pos"))
        GTEST_SKIP() << "the postcode's frame is one frame in both sets";
    ASSERT_NO_FATAL_FAILURE(untick(GetParam().box));
    clickInLayoutDetail(*editor, "ckbAuto");
    ASSERT_FALSE(editor->Document().Detail);
    const QString text = printed();
    EXPECT_TRUE(text.contains(comparable(QString::fromUtf16(GetParam().hidden)))) << qPrintable(text);
}

INSTANTIATE_TEST_SUITE_P(
    EachBox, DetailBoxes,
    ::testing::Values(
        BoxCase{"postcardPostcode", TPaper::Postcard, TWho::Person, "ckbPos", u"1000014", {u"山田", u"0600001"}},
        BoxCase{"postcardAddress1", TPaper::Postcard, TWho::Person, "ckbAddress1", u"千代田区永田町",
                {u"一丁目", u"桜荘", u"山田"}},
        BoxCase{"postcardAddress2", TPaper::Postcard, TWho::Person, "ckbAddress2", u"一丁目",
                {u"千代田区永田町", u"桜荘"}},
        BoxCase{"postcardAddress3", TPaper::Postcard, TWho::Person, "ckbAddress3", u"桜荘",
                {u"千代田区永田町", u"一丁目"}},
        BoxCase{"postcardName", TPaper::Postcard, TWho::Person, "ckbName", u"山田", {u"千代田区永田町", u"桜荘"}},
        BoxCase{"postcardCompany", TPaper::Postcard, TWho::Company, "ckbCorp", u"株式会社ピクス",
                {u"営業部", u"主任", u"佐藤"}},
        BoxCase{"postcardDepartment", TPaper::Postcard, TWho::Company, "ckbDptmnt", u"営業部",
                {u"株式会社ピクス", u"主任", u"佐藤"}},
        BoxCase{"postcardTitle", TPaper::Postcard, TWho::Company, "ckbPost", u"主任",
                {u"株式会社ピクス", u"営業部", u"佐藤"}},
        BoxCase{"postcardSenderAddress2", TPaper::Postcard, TWho::Person, "ckbS_Address2", u"大通公園",
                {u"札幌市中央区北一条西", u"札幌ビル"}},
        BoxCase{"postcardSenderAddress3", TPaper::Postcard, TWho::Person, "ckbS_Address3", u"札幌ビル",
                {u"札幌市中央区北一条西", u"大通公園"}},
        BoxCase{"postcardSenderName", TPaper::Postcard, TWho::Person, "ckbS_Name", u"佐藤",
                {u"株式会社サッポロ", u"総務課"}},
        BoxCase{"postcardSenderCompany", TPaper::Postcard, TWho::Person, "ckbS_Corp", u"株式会社サッポロ",
                {u"総務課", u"佐藤"}},
        BoxCase{"postcardSenderTitle", TPaper::Postcard, TWho::Person, "ckbS_Post", u"課長",
                {u"株式会社サッポロ", u"総務課", u"佐藤"}},
        BoxCase{"horizontalPostcardAddress3", TPaper::HorizontalPostcard, TWho::Person, "ckbAddress3", u"桜荘",
                {u"千代田区永田町", u"一丁目"}},
        BoxCase{"horizontalPostcardDepartment", TPaper::HorizontalPostcard, TWho::Company, "ckbDptmnt", u"営業部",
                {u"株式会社ピクス", u"主任", u"佐藤"}},
        BoxCase{"envelopeAddress2", TPaper::Envelope, TWho::Person, "ckbAddress2", u"一丁目",
                {u"千代田区永田町", u"桜荘"}},
        BoxCase{"envelopeTitle", TPaper::Envelope, TWho::Company, "ckbPost", u"主任",
                {u"株式会社ピクス", u"営業部", u"佐藤"}},
        BoxCase{"labelAddress2", TPaper::Label, TWho::Person, "ckbAddress2", u"一丁目", {u"千代田区永田町", u"桜荘"}},
        BoxCase{"labelAddress3", TPaper::Label, TWho::Person, "ckbAddress3", u"桜荘", {u"千代田区永田町", u"一丁目"}},
        BoxCase{"labelName", TPaper::Label, TWho::Company, "ckbName", u"佐藤", {u"株式会社ピクス", u"営業部"}},
        BoxCase{"labelCompany", TPaper::Label, TWho::Company, "ckbCorp", u"株式会社ピクス",
                {u"営業部", u"主任", u"佐藤"}},
        BoxCase{"labelTitle", TPaper::Label, TWho::Company, "ckbPost", u"主任",
                {u"株式会社ピクス", u"営業部", u"佐藤"}},
        BoxCase{"label44Department", TPaper::Label44, TWho::Company, "ckbDptmnt", u"営業部",
                {u"株式会社ピクス", u"主任", u"佐藤"}},
        BoxCase{"senderLabelAddress2", TPaper::SenderLabel, TWho::Person, "ckbS_Address2", u"大通公園",
                {u"札幌市中央区北一条西", u"札幌ビル"}},
        BoxCase{"senderLabelCompany", TPaper::SenderLabel, TWho::Person, "ckbS_Corp", u"株式会社サッポロ",
                {u"総務課", u"佐藤"}},
        BoxCase{"cardAddress3", TPaper::Card, TWho::Person, "ckbS_Address3", u"札幌ビル",
                {u"札幌市中央区北一条西", u"大通公園"}},
        BoxCase{"cardDepartment", TPaper::Card, TWho::Person, "ckbS_Dptmnt", u"総務課",
                {u"株式会社サッポロ", u"課長", u"佐藤"}}),
    rowName);

} // namespace
