// The road a user takes from the record form to the paper: records typed
// into the record form's own edits and saved with its button, a sender
// typed into the sender window, then printed through the print wizard (or
// the list print, or the text export) and read back as a person meets them:
// the PDF's text through pdftotext, the exported file decoded.
#include "UserRoad.h"
#include "exchange/ExportItems.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QHash>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTest>
#include <QXmlStreamReader>

#include <utility>
#include <vector>

namespace {

// What a run prints or writes, and where the test reads it back.
enum class TOutput { Postcard, HorizontalPostcard, DetailPostcard, Label, Card, ListPrint, TextExport };

// Which of the records typed a run takes (the card: which sender).
enum class TRecord { Person, Company, Both };

struct RoadCase {
    const char *name;
    TOutput output;
    TRecord record;
    // Texts as the user typed them, each expected as one piece of the
    // output (blanks are not compared: a layout spaces names its own way).
    std::vector<const char16_t *> expected;
};

// Text without blanks and line breaks, as copied from the output: the
// program registers its print faces so that the PDF's text gives the
// characters printed (田, never the radical ⽥ sharing its glyph).
QString comparable(const QString &Text)
{
    QString out = Text;
    out.remove(QRegularExpression(QStringLiteral("\\s")));
    return out;
}

// The PDF's text in the order it was drawn, as pdftotext gives it.
QString pdfText(const QString &Pdf)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    EXPECT_FALSE(tool.isEmpty()) << "pdftotext (poppler-utils) is missing";
    if (tool.isEmpty())
        return {};
    QProcess run;
    run.start(tool,
              {QStringLiteral("-raw"), QStringLiteral("-enc"), QStringLiteral("UTF-8"), Pdf, QStringLiteral("-")});
    EXPECT_TRUE(run.waitForFinished(60000));
    EXPECT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
    return QString::fromUtf8(run.readAllStandardOutput());
}

class UserRoad : public UserRoadFixture, public ::testing::WithParamInterface<RoadCase>
{
protected:
    // Prints the selected rows through the wizard: what the PDF reads.
    QString printThroughWizard(TPrintEditor &Editor)
    {
        EXPECT_TRUE(runPrintWizard(Editor));
        return pdfText(pdfFile());
    }

    QString listPrint()
    {
        action("actListPrint")->trigger();
        auto *window = list->findChild<TListPrint *>();
        EXPECT_NE(window, nullptr);
        if (!window)
            return {};
        window->PrinterInfo().SelectPdf(pdfFile());
        window->rbAll->setChecked(true);
        window->bbtnAllDelete->click();
        // 名前, 連名１, 会社名, 部署, 役職
        for (const int item : {19, 24, 15, 17, 18}) {
            for (int row = 0; row < window->lbxSrc->count(); ++row)
                if (window->lbxSrc->item(row)->data(Qt::UserRole).toInt() == item)
                    window->lbxSrc->setCurrentRow(row);
            window->lbxDest->setCurrentRow(window->lbxDest->count() - 1);
            window->bbtnSet->click();
        }
        boxes.enqueue(IDYES);
        window->btnPrint->click();
        const QString text = pdfText(pdfFile());
        delete window;
        return text;
    }

    QString textExport()
    {
        action("actExportFile")->trigger();
        EXPECT_NE(FileExport, nullptr);
        if (!FileExport)
            return {};
        TFileExport &window = *FileExport;
        window.rbNormal->click();
        for (const int item : {int(eiName), int(eiJoint1), 17, 19, 20}) {
            window.sgDest->selectRow(window.Layout().Count());
            window.sgSrc->selectRow(item);
            window.SetItem();
        }
        window.rbAll->click();
        window.btnExportClick();
        QFile file(exportFile());
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return Cp932::decode(file.readAll());
    }

    QString run(TOutput Output, TRecord Record)
    {
        switch (Output) {
        case TOutput::Postcard:
            if (TPrintEditor *e = openEditor("actLayoutPrint", TPrintEditorKind::AddressSide, 0))
                return printThroughWizard(*e);
            return {};
        case TOutput::HorizontalPostcard:
            if (TPrintEditor *e = openEditor("actLayoutPrint", TPrintEditorKind::AddressSide, 1))
                return printThroughWizard(*e);
            return {};
        case TOutput::DetailPostcard:
            if (TPrintEditor *e = openEditor("actLayoutPrint", TPrintEditorKind::AddressSide, 0)) {
                // The detailed frames: company, department and title in frames of their own.
                switchToDetailedFrames(*e);
                return printThroughWizard(*e);
            }
            return {};
        case TOutput::Label:
            if (TPrintEditor *e = openEditor("actLabelPrint", TPrintEditorKind::Label, 16))
                return printThroughWizard(*e);
            return {};
        case TOutput::Card:
            if (TPrintEditor *e = openEditor("actCardPrint", TPrintEditorKind::Card, 24)) {
                enterSender(*e, Record == TRecord::Company);
                return printThroughWizard(*e);
            }
            return {};
        case TOutput::ListPrint: return listPrint();
        case TOutput::TextExport: return textExport();
        }
        return {};
    }

};

TEST_P(UserRoad, whatTheUserTypedIsWhatTheOutputReads)
{
    ASSERT_NO_FATAL_FAILURE(enterRecords());
    switch (GetParam().record) {
    case TRecord::Person: selectRows({0}); break;
    case TRecord::Company: selectRows({1}); break;
    case TRecord::Both: selectRows({0, 1}); break;
    }
    const QString read = comparable(run(GetParam().output, GetParam().record));
    for (const char16_t *expected : GetParam().expected)
        EXPECT_TRUE(read.contains(comparable(QString::fromUtf16(expected))))
            << QString::fromUtf16(expected).toStdString() << " not in: " << read.toStdString();
    // No name leaves the store in its stored form.
    static const QRegularExpression stored(QStringLiteral("@[0-9A-F]{4}"));
    EXPECT_FALSE(read.contains(stored)) << read.toStdString();
}

// Postcards and labels: the person with the honorific and the joint name
// beside them; the company with its department, title and the company
// honorific of the layout. The card is the sender's own, a person's or one
// at a company.
INSTANTIATE_TEST_SUITE_P(
    EndToEnd, UserRoad,
    ::testing::Values(
        RoadCase{"postcardPerson", TOutput::Postcard, TRecord::Person, {u"山田 太郎様", u"花子様"}},
        RoadCase{"postcardCompany", TOutput::Postcard, TRecord::Company, {u"株式会社ピクス", u"営業部", u"主任", u"御中"}},
        RoadCase{"horizontalPostcardPerson", TOutput::HorizontalPostcard, TRecord::Person, {u"山田 太郎様", u"花子様"}},
        RoadCase{"horizontalPostcardCompany", TOutput::HorizontalPostcard, TRecord::Company,
                 {u"株式会社ピクス", u"営業部", u"主任", u"御中"}},
        RoadCase{"detailPostcardCompany", TOutput::DetailPostcard, TRecord::Company,
                 {u"株式会社ピクス", u"営業部", u"主任", u"御中"}},
        RoadCase{"labelPerson", TOutput::Label, TRecord::Person, {u"山田 太郎様", u"花子様"}},
        RoadCase{"labelCompany", TOutput::Label, TRecord::Company, {u"株式会社ピクス", u"営業部", u"主任", u"御中"}},
        RoadCase{"cardSender", TOutput::Card, TRecord::Person, {u"佐藤 一郎", u"北海道札幌市中央区北一条"}},
        RoadCase{"cardCompanySender", TOutput::Card, TRecord::Company,
                 {u"株式会社ピクス", u"営業部", u"主任", u"佐藤 一郎"}},
        RoadCase{"listPrint", TOutput::ListPrint, TRecord::Both, {u"山田 太郎", u"花子", u"株式会社ピクス", u"営業部", u"主任"}},
        RoadCase{"textExport", TOutput::TextExport, TRecord::Both, {u"山田 太郎,花子,,,", u",,株式会社ピクス,営業部,主任"}}),
    [](const ::testing::TestParamInfo<RoadCase> &info) { return std::string(info.param.name); });

// Every glyph printed copies out as the characters it stands for, in the
// order printed: the forms vertical writing draws for ー, the small kana,
// ヶ, ＝ and －; an ideograph beyond the BMP that the fallback face draws
// (𠮷); 髙 of the CP932 extensions. (A vertical address prints its dashes
// as ー, so the dash is the joint name's.)
class PrintedText : public UserRoad
{};

TEST_P(PrintedText, everyGlyphCopiesOutAsTheCharactersTyped)
{
    ASSERT_NO_FATAL_FAILURE(enterRecords({}, QStringLiteral("由美－ちゃん"), QStringLiteral("𠮷川 直美"),
                                         QStringLiteral("霞ヶ関シティニュー髙島屋＝ショップ")));
    selectRows({0});
    const QString read = comparable(run(GetParam().output, GetParam().record));
    for (const char16_t *expected : GetParam().expected)
        EXPECT_TRUE(read.contains(comparable(QString::fromUtf16(expected))))
            << QString::fromUtf16(expected).toStdString() << " not in: " << read.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    EndToEnd, PrintedText,
    ::testing::Values(
        RoadCase{"postcard", TOutput::Postcard, TRecord::Person,
                 {u"𠮷川 直美", u"由美－ちゃん", u"霞ヶ関シティニュー髙島屋＝ショップ"}},
        RoadCase{"horizontalPostcard", TOutput::HorizontalPostcard, TRecord::Person,
                 {u"𠮷川 直美", u"由美－ちゃん", u"霞ヶ関シティニュー髙島屋＝ショップ"}},
        RoadCase{"label", TOutput::Label, TRecord::Person,
                 {u"𠮷川 直美", u"由美－ちゃん", u"霞ヶ関シティニュー髙島屋＝ショップ"}},
        RoadCase{"listPrint", TOutput::ListPrint, TRecord::Person, {u"𠮷川 直美"}}),
    [](const ::testing::TestParamInfo<RoadCase> &info) { return std::string(info.param.name); });

// Each text drawn on the PDF's first page with the family of the font that
// draws it, as pdftohtml reads them (a vertical line gives one text per
// character).
std::vector<std::pair<QString, QString>> pdfTextFaces(const QString &Pdf)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftohtml"));
    EXPECT_FALSE(tool.isEmpty()) << "pdftohtml (poppler-utils) is missing";
    if (tool.isEmpty())
        return {};
    QProcess run;
    run.start(tool, {QStringLiteral("-xml"), QStringLiteral("-i"), QStringLiteral("-stdout"), QStringLiteral("-f"),
                     QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1"), Pdf});
    EXPECT_TRUE(run.waitForFinished(60000));
    EXPECT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
    QXmlStreamReader xml(run.readAllStandardOutput());
    QHash<QString, QString> families;
    std::vector<std::pair<QString, QString>> out;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"fontspec") {
            families.insert(xml.attributes().value(QLatin1String("id")).toString(),
                            xml.attributes().value(QLatin1String("family")).toString());
        } else if (xml.name() == u"text") {
            const QString font = xml.attributes().value(QLatin1String("font")).toString();
            out.emplace_back(xml.readElementText(QXmlStreamReader::IncludeChildElements), families.value(font));
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return out;
}

// The family of the font that draws C, empty when C is not drawn.
QString faceDrawing(const std::vector<std::pair<QString, QString>> &Texts, QChar C)
{
    for (const auto &[text, family] : Texts)
        if (text.contains(C))
            return family;
    return {};
}

// The special characters users type into an address (circled numbers, Roman
// numerals, ㈱, №, ℡, the era and unit squares) are drawn in the address
// frame's own face, which has them, like the ideographs beside them; and the
// PDF's text gives them as typed.
constexpr char16_t kSpecialAddress[] = u"ニュー①②⑩⑳ⅠⅢⅩ㈱№℡㍻㌔㎡ビル";

class SpecialCharacters : public UserRoad
{
protected:
    void SetUp() override
    {
        UserRoad::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_NO_FATAL_FAILURE(enterRecords({}, QStringLiteral("花子"), QStringLiteral("山田 太郎"),
                                             QString::fromUtf16(kSpecialAddress)));
        selectRows({0});
        printed = comparable(run(GetParam().output, GetParam().record));
        faces = pdfTextFaces(pdfFile());
    }

    QString printed;
    std::vector<std::pair<QString, QString>> faces;
};

TEST_P(SpecialCharacters, areDrawnInTheAddressFramesOwnFace)
{
    // 永 of the address line before: the frame's face.
    const QString own = faceDrawing(faces, u'永');
    ASSERT_FALSE(own.isEmpty()) << "the address is not on the page";
    for (const QChar c : QStringView(kSpecialAddress))
        EXPECT_EQ(faceDrawing(faces, c).toStdString(), own.toStdString()) << QString(c).toStdString();
}

TEST_P(SpecialCharacters, copyOutAsTyped)
{
    EXPECT_TRUE(printed.contains(QString::fromUtf16(kSpecialAddress))) << printed.toStdString();
}

INSTANTIATE_TEST_SUITE_P(EndToEnd, SpecialCharacters,
                         ::testing::Values(RoadCase{"postcard", TOutput::Postcard, TRecord::Person, {}},
                                           RoadCase{"horizontalPostcard", TOutput::HorizontalPostcard,
                                                    TRecord::Person, {}},
                                           RoadCase{"label", TOutput::Label, TRecord::Person, {}}),
                         [](const ::testing::TestParamInfo<RoadCase> &info) { return std::string(info.param.name); });

// The layout's default honorific, set by the user in 書式 → データ形式, goes
// to the name and to each joint name printed beside it that has none of its
// own, not to the first alone.
class DefaultHonorific : public UserRoadFixture
{
};

TEST_F(DefaultHonorific, goesToEveryJointNameWithoutOneOfItsOwn)
{
    TTypedRecord family = TokyoPerson();
    family.Joints = {QStringLiteral("花子"), QStringLiteral("一郎")};
    ASSERT_NO_FATAL_FAILURE(typeRecord(family));
    selectRows({0});
    TPrintEditor *editor = openEditor("actLayoutPrint", TPrintEditorKind::AddressSide, 0);
    ASSERT_NE(editor, nullptr);
    editor->ExecDialog = [](QDialog &Dialog) {
        Dialog.show();
        auto *honorific = Dialog.findChild<QLineEdit *>(QStringLiteral("edDefHonor"));
        EXPECT_NE(honorific, nullptr);
        if (honorific)
            honorific->selectAll();
        typeIn(&Dialog, "edDefHonor", QStringLiteral("殿"));
        press(&Dialog, "btnOK");
        return Dialog.result();
    };
    editor->findChild<QAction *>(QStringLiteral("actDataFormat"))->trigger();
    ASSERT_TRUE(runPrintWizard(*editor));
    const QString read = comparable(pdfText(pdfFile()));
    for (const char16_t *name : {u"山田太郎殿", u"花子殿", u"一郎殿"})
        EXPECT_TRUE(read.contains(QString::fromUtf16(name))) << QString::fromUtf16(name).toStdString() << " not in: "
                                                             << read.toStdString();
    EXPECT_FALSE(read.contains(QStringLiteral("様"))) << read.toStdString();
}

// Joint names typed with honorifics of their own print each with its own,
// and the name keeps the layout's.
TEST_F(DefaultHonorific, givesWayToEachJointNamesOwn)
{
    TTypedRecord family = TokyoPerson();
    family.Joints = {QStringLiteral("花子"), QStringLiteral("次郎")};
    family.JointHonors = {QStringLiteral("殿"), QStringLiteral("君")};
    ASSERT_NO_FATAL_FAILURE(typeRecord(family));
    selectRows({0});
    TPrintEditor *editor = openEditor("actLayoutPrint", TPrintEditorKind::AddressSide, 0);
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(runPrintWizard(*editor));
    const QString read = comparable(pdfText(pdfFile()));
    for (const char16_t *name : {u"山田太郎様", u"花子殿", u"次郎君"})
        EXPECT_TRUE(read.contains(QString::fromUtf16(name))) << QString::fromUtf16(name).toStdString() << " not in: "
                                                             << read.toStdString();
}

} // namespace
