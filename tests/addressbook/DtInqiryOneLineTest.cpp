// Text pasted into the record form's one-line edits that holds line breaks,
// tabs or other control characters: each edit keeps it on one line, so the
// record is stored (and later exported) as one line per field.
#include "DtInqiryFixture.h"

#include "core/AppSub.h"
#include "support/KeyInput.h"
#include "widgets/ByteLimitValidator.h"

#include <QTabWidget>

namespace {

struct OneLinePaste {
    const char *Control;
    const char *Field;
    bool Company;          // the edit is open only for a company
    const char16_t *Pasted;
    const char16_t *Stored; // as the field decodes
};

void PrintTo(const OneLinePaste &c, std::ostream *os)
{
    *os << c.Control;
}

class RecordFormOneLinePaste : public RecordFormTest, public ::testing::WithParamInterface<OneLinePaste>
{
};

} // namespace

// A line break between two words becomes a blank, a run of them one blank,
// and breaks at either end of the pasted text (a copied line's own end) go;
// a tab is a break too; a control character that shows nothing is left out.
// The number edits then keep only digits and hyphens, as for any blank.
TEST_P(RecordFormOneLinePaste, pastedLineBreaksNeverReachTheStoredRecord)
{
    const OneLinePaste &c = GetParam();
    openNew();
    if (c.Company)
        click(QStringLiteral("sbtnCorp"));
    QWidget *w = child(QString::fromLatin1(c.Control));
    if (auto *combo = qobject_cast<QComboBox *>(w))
        w = combo->lineEdit();
    auto *pages = child<QTabWidget>(QStringLiteral("pgcInquiry"));
    for (int page = 0; page < pages->count(); ++page) {
        if (pages->widget(page)->isAncestorOf(w))
            pages->setCurrentIndex(page);
    }
    w->setFocus();
    PasteText(w, QString::fromUtf16(c.Pasted));
    const QString shown = qobject_cast<QLineEdit *>(w)->text();
    for (QChar ch : shown)
        EXPECT_GE(ch.unicode(), 0x20) << "control character shown: " << shown.toStdString();
    click(QStringLiteral("btnAdd"));
    EXPECT_EQ(boxes.count(), 0) << (boxes.count() ? boxes.last().text.toStdString() : std::string());
    ASSERT_EQ(bookCount(), kBookRows + 1);
    EXPECT_EQ(DecodeUnicodeField(stored(lastRecNo(), c.Field)), QString::fromUtf16(c.Stored));
}

INSTANTIATE_TEST_SUITE_P(
    Edits, RecordFormOneLinePaste,
    ::testing::Values(
        OneLinePaste{"edtCustomCode", "CustomCode", false, u"A1\r\nB2", u"A1 B2"},
        OneLinePaste{"edtTel", "Tel", false, u"03-1234\r\n-5678\r\n", u"0312345678"},
        OneLinePaste{"edtFax", "Fax", false, u"06-1111-2222\n", u"0611112222"},
        OneLinePaste{"edtPortable1", "Portable1", false, u"090\t1234\t5678", u"09012345678"},
        OneLinePaste{"edtPortable2", "Portable2", false, u"\r\n080-9876-5432", u"08098765432"},
        OneLinePaste{"edtPos", "Pos", false, u"100-0014\r\n", u"1000014"},
        OneLinePaste{"edtTdfkn", "Tdfkn", false, u"東京都\r\n", u"東京都"},
        OneLinePaste{"edtAdrs1", "Adrs1", false, u"千代田区\r\n永田町", u"千代田区 永田町"},
        OneLinePaste{"edtAdrs2", "Adrs2", false, u"一丁目７番１号\n国会議事堂", u"一丁目７番１号 国会議事堂"},
        OneLinePaste{"edtAdrs3", "Adrs3", false, u"Ａ棟\r\n\r\n３階", u"Ａ棟 ３階"},
        OneLinePaste{"edtAdrsKana", "AdrsKana", false, u"ﾁﾖﾀﾞｸ\rﾅｶﾞﾀﾁｮｳ", u"ﾁﾖﾀﾞｸ ﾅｶﾞﾀﾁｮｳ"},
        OneLinePaste{"nmedtCorpKanji", "CorpKanji", true, u"株式会社\r\nピクス", u"株式会社 ピクス"},
        OneLinePaste{"edtCorpKana", "CorpKana", true, u"ｶﾌﾞｼｷｶﾞｲｼｬ\r\nﾋﾟｸｽ", u"ｶﾌﾞｼｷｶﾞｲｼｬ ﾋﾟｸｽ"},
        OneLinePaste{"cbxDptmnt", "Dptmnt", true, u"営業部\r\n第一課", u"営業部 第一課"},
        OneLinePaste{"cbxPost", "Post", true, u"主任\n", u"主任"},
        OneLinePaste{"nmedtNameKanji", "NameKanji", false, u"山田\r\n太郎", u"山田 太郎"},
        OneLinePaste{"nmedtNameKana", "NameKana", false, u"ﾔﾏﾀﾞ\r\nﾀﾛｳ", u"ﾔﾏﾀﾞ ﾀﾛｳ"},
        OneLinePaste{"cbxHonor", "Honor", false, u"様\r\n", u"様"},
        OneLinePaste{"edtURL", "URL", false, u"http://example.jp/\r\n", u"http://example.jp/"},
        OneLinePaste{"edtEMail1", "EMail1", false, u"\r\ntaro@example.jp", u"taro@example.jp"},
        OneLinePaste{"edtEMail2", "EMail2", false, u"hanako@example.jp\u2028", u"hanako@example.jp"},
        OneLinePaste{"nmedtJoint1", "Joint1", false, u"花子\r\n", u"花子"},
        OneLinePaste{"nmedtJoint5", "Joint5", false, u"一郎\n次郎", u"一郎 次郎"},
        OneLinePaste{"cbxJointHonor1", "JointHonor1", false, u"様\n", u"様"},
        OneLinePaste{"cbxJointHonor5", "JointHonor5", false, u"\r\n殿", u"殿"},
        OneLinePaste{"edtKeyword1", "Keyword1", false, u"鍵\r\n錠", u"鍵 錠"},
        OneLinePaste{"edtKeyword2", "Keyword2", false, u"顧客\v区分\f", u"顧客 区分"},
        OneLinePaste{"edtKeyword5", "Keyword5", false, u"鍵\a錠\x1A", u"鍵錠"},
        OneLinePaste{"cbxKeyword6", "Keyword6", false, u"旅行\r\n\r\n", u"旅行"},
        OneLinePaste{"cbxKeyword8", "Keyword8", false, u"料理\t茶道", u"料理 茶道"}),
    [](const auto &info) { return std::string(info.param.Control); });
