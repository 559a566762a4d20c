// Every postcard, envelope and label of the catalogue, with either frame set,
// reads in its natural order when its PDF is read the ways people and
// checkers read it: pdftotext as it comes, with -raw and with -layout
// (copying from a PDF viewer reads much the same). The way a user gets
// there: records typed into the record form (a person at a company with
// every field, a long company and department, a six-character title and
// three address lines; a person at a company with a title too long for the
// name's line; a person with a name and an address alone; a person with a
// joint name), labels given two additional lines (書式 → 付加情報: a field
// and a text of the user's own), the detailed frames switched on through
// 書式 → 詳細, printed through the print wizard to a PDF file. Each piece is
// read alone (a label's cell, a postcard's page): postcode, address lines,
// company, department, title, name with its honorific, joint names, the
// additional lines, one after another.
#include "UserRoad.h"

#include <QComboBox>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <cmath>
#include <string>
#include <vector>

namespace {

struct OrderCase {
    int paper;
    bool detail;
    std::string name;
};

TPaperKind paperKind(int Paper)
{
    return catalogueFormat(Paper).PaperKind();
}

std::vector<OrderCase> everyPaper()
{
    QFile file(QStringLiteral(MURVEN_PAPER_SOURCE));
    TPaperSource source;
    if (!file.open(QIODevice::ReadOnly) || !PaperCatalogue::parse(QString::fromUtf8(file.readAll()), source, nullptr))
        return {{-1, false, "catalogueUnreadable"}};
    std::vector<OrderCase> out;
    for (int p = 0; p < source.Layouts.Records.size(); ++p)
        for (const bool detail : {false, true})
            out.push_back({p, detail, "paper" + std::to_string(p) + (detail ? "Detailed" : "Simple")});
    return out;
}

// What a reading is compared on: blanks and line breaks left out (a reading
// spreads a name over the frame and breaks a long line where the piece
// does), compatible forms folded (full-width digits), hyphens left out (a
// postcode in boxes or with its hyphen).
QString comparable(const QString &Text)
{
    QString out = Text.normalized(QString::NormalizationForm_KC);
    out.remove(QRegularExpression(QStringLiteral("[\\s\\-]")));
    return out;
}

// Whether Pieces stand in Text one after another; Why names the first that
// does not.
bool readsInOrder(const QString &Text, const QStringList &Pieces, QString &Why)
{
    qsizetype at = 0;
    for (const QString &piece : Pieces) {
        const QString p = comparable(piece);
        const qsizetype found = Text.indexOf(p, at);
        if (found < 0) {
            Why = piece + (Text.indexOf(p) < 0 ? QStringLiteral(" is not read whole")
                                                : QStringLiteral(" is read too early"));
            return false;
        }
        at = found + p.size();
    }
    return true;
}

// The records as typed, and what each piece reads.
struct Typed {
    const char *edit;
    const char16_t *text;
};

struct RecordCase {
    bool company;
    std::vector<Typed> fields;
    std::vector<const char16_t *> reads; // the piece, additional lines aside
};

const RecordCase kRecords[] = {
    // Every field: a long company, a department of two parts, a six-character
    // title (it stands before the name), three address lines and a telephone
    // number.
    {true,
     {{"edtTel", u"03-1234-5678"},
      {"nmedtNameKanji", u"山田 太郎"},
      {"nmedtCorpKanji", u"株式会社ピクス・ソフトウェア開発センター"},
      {"cbxDptmnt", u"第一営業本部　東日本営業部"},
      {"cbxPost", u"営業企画部長"},
      {"edtPos", u"1000014"},
      {"edtTdfkn", u"東京都"},
      {"edtAdrs1", u"千代田区永田町一丁目"},
      {"edtAdrs2", u"７番１号"},
      {"edtAdrs3", u"永田町ビル３階"}},
     {u"1000014", u"東京都千代田区永田町一丁目", u"７番１号", u"永田町ビル３階",
      u"株式会社ピクス・ソフトウェア開発センター", u"第一営業本部", u"東日本営業部", u"営業企画部長", u"山田",
      u"太郎", u"様"}},
    // A title too long for the name's line (the title's frame prints it), a
    // short department and company and a short second address line.
    {true,
     {{"nmedtNameKanji", u"佐藤 花子"},
      {"nmedtCorpKanji", u"株式会社ピクス"},
      {"cbxDptmnt", u"総務部"},
      {"cbxPost", u"代表取締役社長"},
      {"edtPos", u"5300001"},
      {"edtTdfkn", u"大阪府"},
      {"edtAdrs1", u"大阪市北区梅田"},
      {"edtAdrs2", u"３番地"}},
     {u"5300001", u"大阪府大阪市北区梅田", u"３番地", u"株式会社ピクス", u"総務部", u"代表取締役社長", u"佐藤",
      u"花子", u"様"}},
    // Few fields: a name and an address.
    {false,
     {{"nmedtNameKanji", u"鈴木 一郎"},
      {"edtPos", u"0600001"},
      {"edtTdfkn", u"北海道"},
      {"edtAdrs1", u"札幌市中央区北一条西二丁目"}},
     {u"0600001", u"北海道札幌市中央区北一条西二丁目", u"鈴木", u"一郎", u"様"}},
    // A person with a joint name printed beside the name.
    {false,
     {{"nmedtNameKanji", u"田中 太郎"},
      {"edtPos", u"0600001"},
      {"edtTdfkn", u"北海道"},
      {"edtAdrs1", u"札幌市中央区北一条西二丁目"},
      {"nmedtJoint1", u"花子"}},
     {u"0600001", u"北海道札幌市中央区北一条西二丁目", u"田中", u"太郎", u"様", u"花子", u"様"}},
};

// The additional lines of labels: a field of the record (the telephone
// number) and a text of the user's own.
const QString kOwnLine = QStringLiteral("会員番号 ABC-12345");
const QString kTel = QStringLiteral("03-1234-5678");
constexpr int kJointRecord = 3;

// Where the additional lines of a detailed set cannot follow the name in a
// reading, and why; the rest of the piece still reads in its order. With no
// room after the name for two lines at a readable size, the lines stand in
// the free room and read where they stand; stood one under the other beside
// a name made small by a title before it, the first stands higher than the
// name and -layout, which goes by the tops of the lines, reads it first.
struct Shortfall {
    int paper;
    bool detail;
    bool everyReading; // else -layout alone
    const char *why;
};

const Shortfall kLinesBeforeTheName[] = {
    {18, true, true, "the 21-sheet label's name row, a title frame before it, keeps no room for two lines"},
    {20, true, false, "the 24-sheet label's name row holds two lines only one under the other"},
    {22, true, true, "the 44-sheet label's name row is 5.8 mm high and has a title frame before it"},
};

const Shortfall *linesBeforeTheName(int Paper, bool Detail, const char *Reading)
{
    for (const Shortfall &s : kLinesBeforeTheName)
        if (s.paper == Paper && s.detail == Detail && (s.everyReading || qstrcmp(Reading, "-layout") == 0))
            return &s;
    return nullptr;
}

class ReadingOrder : public UserRoadFixture, public ::testing::WithParamInterface<OrderCase>
{
protected:
    void SetUp() override
    {
        UserRoadFixture::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_GE(GetParam().paper, 0) << "the catalogue did not parse";
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
        kind = paperKind(GetParam().paper);
        // A business card is the sender's own, read from its name down, and
        // its editor prints the automatic frames alone.
        if (kind == TPaperKind::Card)
            GTEST_SKIP() << "a business card reads from its name";
        int rows = 0;
        for (const RecordCase &record : kRecords) {
            ASSERT_NO_FATAL_FAILURE(enter(record));
            ASSERT_EQ(rowsShown(++rows), rows);
        }
    }

    void enter(const RecordCase &Record)
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        action("actNumerSearch")->trigger();
        QWidget *form = DataInquiry;
        ASSERT_NE(form, nullptr);
        if (Record.company) {
            ASSERT_NO_FATAL_FAILURE(press(form, "sbtnCorp"));
        }
        for (const Typed &f : Record.fields) {
            ASSERT_NO_FATAL_FAILURE(typeIn(form, f.edit, QString::fromUtf16(f.text)));
        }
        ASSERT_NO_FATAL_FAILURE(press(form, "btnAdd"));
    }

    // The editor of the paper, with the frame set of the case and, on labels,
    // the two additional lines.
    TPrintEditor *openPaper()
    {
        const bool label = kind == TPaperKind::Label;
        TPrintEditor *editor =
            label ? openEditor("actLabelPrint", TPrintEditorKind::Label, GetParam().paper)
                  : openEditor("actLayoutPrint", TPrintEditorKind::AddressSide, GetParam().paper);
        if (!editor)
            return nullptr;
        if (GetParam().detail) {
            switchToDetailedFrames(*editor);
            if (!editor->Document().Detail)
                return nullptr;
        }
        if (label) {
            editor->ExecDialog = [](QDialog &Dialog) {
                Dialog.show();
                press(&Dialog, "ckbAddition1");
                auto *first = Dialog.findChild<QComboBox *>(QStringLiteral("cbxAddition1"));
                EXPECT_NE(first, nullptr);
                if (first)
                    first->setCurrentIndex(first->findText(QStringLiteral("TEL")));
                press(&Dialog, "ckbAddition2");
                typeIn(&Dialog, "cbxAddition2", kOwnLine);
                press(&Dialog, "btnOK");
                return Dialog.result();
            };
            editor->findChild<QAction *>(QStringLiteral("actAddition"))->trigger();
        }
        return editor;
    }

    // Piece Index of the run (a cell of the first sheet, or a page), read
    // the way Reading reads it.
    QString read(TPrintEditor &Editor, int Index, const char *Reading) const
    {
        const TLayoutDocument &doc = Editor.Document();
        const bool sheet = doc.CellsPerSheet() > 1;
        const QRect cell = doc.CellRect(sheet ? Index : 0); // 0.1 mm
        const double pt = 72.0 / 254.0;
        const int page = sheet ? 1 : Index + 1;
        QStringList args;
        if (*Reading)
            args << QLatin1String(Reading);
        args << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l") << QString::number(page)
             << QStringLiteral("-x") << QString::number(int(cell.x() * pt)) << QStringLiteral("-y")
             << QString::number(int(cell.y() * pt)) << QStringLiteral("-W")
             << QString::number(int(std::ceil(cell.width() * pt))) << QStringLiteral("-H")
             << QString::number(int(std::ceil(cell.height() * pt))) << QStringLiteral("-enc")
             << QStringLiteral("UTF-8") << pdfFile() << QStringLiteral("-");
        QProcess run;
        run.start(QStandardPaths::findExecutable(QStringLiteral("pdftotext")), args);
        EXPECT_TRUE(run.waitForFinished(60000));
        return QString::fromUtf8(run.readAllStandardOutput());
    }

    // Reading of piece Index gives Pieces in their order.
    void expectReadsInOrder(TPrintEditor &Editor, int Index, const char *Reading, const QStringList &Pieces) const
    {
        const QString text = read(Editor, Index, Reading);
        QString why;
        EXPECT_TRUE(readsInOrder(comparable(text), Pieces, why))
            << "pdftotext " << Reading << ", piece " << Index << ": " << qPrintable(why) << "\n"
            << qPrintable(text);
    }

    // Whether a word of Lines printed on piece Index stands wholly above
    // the name's honorific.
    bool lineAboveTheName(TPrintEditor &Editor, int Index, const QStringList &Lines) const
    {
        const QRect cell = Editor.Document().CellRect(Index); // 0.1 mm
        const double pt = 72.0 / 254.0;
        const std::vector<TPdfWord> words =
            pdfWords(QRectF(cell.x() * pt, cell.y() * pt, cell.width() * pt, cell.height() * pt));
        double honorific = -1;
        for (const TPdfWord &w : words)
            if (w.Text.contains(QStringLiteral("様")) && (honorific < 0 || w.Box.top() < honorific))
                honorific = w.Box.top();
        for (const TPdfWord &w : words)
            for (const QString &line : Lines)
                if (line.split(QLatin1Char(' ')).contains(w.Text) && w.Box.bottom() <= honorific)
                    return true;
        return false;
    }

    TPaperKind kind = TPaperKind::Postcard;
};

QStringList piecesOf(const RecordCase &Record)
{
    QStringList out;
    for (const char16_t *p : Record.reads)
        out << QString::fromUtf16(p);
    return out;
}

TEST_P(ReadingOrder, everyPieceReadsInItsOrder)
{
    selectRows({0, 1, 2, 3});
    TPrintEditor *editor = openPaper();
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(runPrintWizard(*editor));
    const bool horizontal = editor->Document().HorizontalWriting();
    for (int i = 0; i < int(std::size(kRecords)); ++i) {
        SCOPED_TRACE(i);
        const QStringList pieces = piecesOf(kRecords[i]);
        QStringList lines;
        if (kind == TPaperKind::Label) {
            if (i == 0)
                lines << QStringLiteral("TEL") << kTel;
            lines << kOwnLine;
        }
        // A line the record leaves no room for is left out of its piece, as
        // the wizard told before printing; the others read in their order.
        const QString printed = comparable(read(*editor, i, "-raw"));
        QStringList shown;
        for (const QString &line : lines) {
            if (printed.contains(comparable(line))) {
                shown << line;
                continue;
            }
            bool told = false;
            for (const TMessageBoxRequest &box : boxes.shown())
                told = told || box.text.contains(QStringLiteral("付加情報"));
            EXPECT_TRUE(told) << qPrintable(line) << " left out untold";
        }
        lines = shown;
        // Drawn in reading order.
        expectReadsInOrder(*editor, i, "-raw", pieces + lines);
        // A PDF reader goes by the characters' places: it reads upright
        // characters set down a column one line each, and names whose
        // given names and honorifics stand in columns under each other
        // (as a name with joint names is set) as the columns of a table.
        if (!horizontal)
            continue;
        // A line the record moves into the room the addressee's texts leave
        // above the name (a blank company frame, beside the postcode) is
        // read where it stands, and a reader's rows and columns are found
        // with it among them: the drawing order above holds the order.
        if (lineAboveTheName(*editor, i, lines))
            continue;
        for (const char *reading : {"", "-layout"}) {
            if (i == kJointRecord && !*reading)
                continue;
            const Shortfall *early = linesBeforeTheName(GetParam().paper, GetParam().detail, reading);
            SCOPED_TRACE(early ? early->why : "");
            expectReadsInOrder(*editor, i, reading, early ? pieces : pieces + lines);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EveryPaper, ReadingOrder, ::testing::ValuesIn(everyPaper()),
                         [](const auto &Info) { return Info.param.name; });

} // namespace
