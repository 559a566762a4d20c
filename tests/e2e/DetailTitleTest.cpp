// A title in the detailed frames of a vertical postcard, typed into the
// record form of a person at a company: up to six characters it prints on
// the name's line, before the name; seven and more stand apart in the title
// frame. Read where the printed PDF puts each character (pdftotext -bbox).
#include "UserRoad.h"
#include "support/RowName.h"

#include <QFileInfo>
#include <QProcess>
#include <QRectF>
#include <QStandardPaths>
#include <QXmlStreamReader>

#include <vector>

namespace {

// Where a character of the PDF's text is printed, in points.
struct TPrintedChar {
    QChar character;
    QRectF box;
};

// Every character of the PDF's first page with its box. A word pdftotext
// gives is cut into its characters, each an equal share of the word along
// its longer side, which is the direction it was written in.
std::vector<TPrintedChar> printedChars(const QString &Pdf)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    EXPECT_FALSE(tool.isEmpty()) << "pdftotext (poppler-utils) is missing";
    std::vector<TPrintedChar> chars;
    if (tool.isEmpty() || !QFileInfo::exists(Pdf))
        return chars;
    QProcess run;
    run.start(tool, {QStringLiteral("-bbox"), QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                     QStringLiteral("1"), Pdf, QStringLiteral("-")});
    EXPECT_TRUE(run.waitForFinished(60000));
    QXmlStreamReader xml(run.readAllStandardOutput());
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != QLatin1String("word"))
            continue;
        const auto at = [&xml](const char *Name) { return xml.attributes().value(QLatin1String(Name)).toDouble(); };
        const QRectF word(QPointF(at("xMin"), at("yMin")), QPointF(at("xMax"), at("yMax")));
        const QString text = xml.readElementText();
        const bool down = word.height() > word.width();
        const double step = (down ? word.height() : word.width()) / std::max<qsizetype>(1, text.size());
        for (qsizetype i = 0; i < text.size(); ++i)
            chars.push_back({text[i], down ? QRectF(word.left(), word.top() + i * step, word.width(), step)
                                           : QRectF(word.left() + i * step, word.top(), step, word.height())});
    }
    return chars;
}

// The box around the printed characters of Text that follow one another
// down one column (the first such run), or an empty box.
QRectF columnOf(const std::vector<TPrintedChar> &Chars, const QString &Text)
{
    for (size_t i = 0; i + size_t(Text.size()) <= Chars.size(); ++i) {
        QRectF box;
        bool whole = true;
        for (qsizetype k = 0; k < Text.size() && whole; ++k) {
            const TPrintedChar &c = Chars[i + size_t(k)];
            whole = c.character == Text[k] && (k == 0 || std::abs(c.box.center().x() - box.center().x()) < c.box.width());
            box = k == 0 ? c.box : box.united(c.box);
        }
        if (whole)
            return box;
    }
    return {};
}

struct TitleCase {
    const char *name;
    const char16_t *title;
    bool beforeTheName; // on the name's line, above it
};

class DetailTitle : public UserRoadFixture, public ::testing::WithParamInterface<TitleCase>
{
protected:
    // The person at the company, typed into a new record form and added.
    void enterPersonAtCompany(const QString &Title)
    {
        action("actNumerSearch")->trigger();
        QWidget *form = DataInquiry;
        ASSERT_NE(form, nullptr);
        ASSERT_NO_FATAL_FAILURE(press(form, "sbtnCorp"));
        ASSERT_NO_FATAL_FAILURE(typeIn(form, "nmedtCorpKanji", QStringLiteral("株式会社ピクス")));
        ASSERT_NO_FATAL_FAILURE(typeIn(form, "cbxPost", Title));
        ASSERT_NO_FATAL_FAILURE(typeIn(form, "nmedtNameKanji", QStringLiteral("山田 太郎")));
        ASSERT_NO_FATAL_FAILURE(typeIn(form, "edtPos", QStringLiteral("0600001")));
        ASSERT_NO_FATAL_FAILURE(typeIn(form, "edtTdfkn", QStringLiteral("北海道")));
        ASSERT_NO_FATAL_FAILURE(typeIn(form, "edtAdrs1", QStringLiteral("札幌市中央区北一条西二丁目")));
        ASSERT_NO_FATAL_FAILURE(press(form, "btnAdd"));
        ASSERT_EQ(rowsShown(1), 1);
    }
};

TEST_P(DetailTitle, printsWhereItsLengthPutsIt)
{
    const QString title = QString::fromUtf16(GetParam().title);
    ASSERT_NO_FATAL_FAILURE(enterPersonAtCompany(title));
    selectRows({0});
    TPrintEditor *editor = openEditor("actLayoutPrint", TPrintEditorKind::AddressSide, 0);
    ASSERT_NE(editor, nullptr);
    ASSERT_NO_FATAL_FAILURE(switchToDetailedFrames(*editor));
    ASSERT_TRUE(runPrintWizard(*editor));
    const std::vector<TPrintedChar> chars = printedChars(pdfFile());
    const QRectF name = columnOf(chars, QStringLiteral("山田太郎"));
    const QRectF printedTitle = columnOf(chars, title);
    ASSERT_FALSE(name.isEmpty()) << "the name is not printed down a column";
    ASSERT_FALSE(printedTitle.isEmpty()) << "the title is not printed down a column";
    // On the name's line: across the name's column, and ending above it.
    const bool onNameLine = std::abs(printedTitle.center().x() - name.center().x()) < name.width() / 2;
    EXPECT_EQ(onNameLine, GetParam().beforeTheName)
        << "title across " << printedTitle.left() << ".." << printedTitle.right() << ", name across "
        << name.left() << ".." << name.right();
    if (GetParam().beforeTheName) {
        EXPECT_LE(printedTitle.bottom(), name.top() + 1) << "the title does not end above the name";
    }
}

INSTANTIATE_TEST_SUITE_P(VerticalPostcard, DetailTitle,
                         ::testing::Values(TitleCase{"twoCharacters", u"部長", true},
                                           TitleCase{"sixCharacters", u"営業部長代理", true},
                                           TitleCase{"sevenCharacters", u"代表取締役社長", false}),
                         rowName);

} // namespace
