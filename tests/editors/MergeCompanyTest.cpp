#include "EditorsFixture.h"
#include "dialogs/DataFormat.h"
#include "dialogs/SenderData.h"
#include "items/CorpRect.h"
#include "items/NameRect.h"

namespace {

// The detailed frames of a postcard: company, department and title stand in
// frames of their own, and the honorific of a company addressed as itself
// follows the last of them that prints.
struct CompanyHonorCase {
    const char *name;
    const char16_t *person;
    const char16_t *post;
    const char16_t *own;
    const char16_t *department; // expected honorific after the department line
    const char16_t *title;      // expected honorific after the title line
};

class DetailCompanyHonorific : public ::testing::TestWithParam<CompanyHonorCase>
{
};

TEST_P(DetailCompanyHonorific, followsTheLastCompanyLine)
{
    const CompanyHonorCase &c = GetParam();
    TLayoutDocument document;
    document.Kind = TLayoutKind::AddressSide;
    document.Format = catalogueFormat(0, &document.Grid);
    document.Detail = true;
    document.BuildDefaultItems();
    TDataFormat format;
    format.DefHonor = TDataFormat::HonorBytes(QStringLiteral("様"));
    format.CorpHonor = TDataFormat::HonorBytes(QStringLiteral("御中"));
    document.DataFormat = std::make_shared<const TDataFormat>(format);
    TAddressText record;
    record.PrivCorp = false;
    record.CorpKanji = QStringLiteral("株式会社ピクス");
    record.Dptmnt = QStringLiteral("営業部");
    record.Post = QString::fromUtf16(c.post);
    record.NameKanji = QString::fromUtf16(c.person);
    record.Honor = QString::fromUtf16(c.own);
    MergeRecord(document, &record, nullptr);
    std::vector<TCorpRect *> lines;
    for (auto &item : document.Items)
        if (auto *line = dynamic_cast<TCorpRect *>(item.get()))
            lines.push_back(line);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(lines[0]->GetHonor().isEmpty()) << "company line";
    EXPECT_EQ(lines[1]->GetHonor(), QString::fromUtf16(c.department));
    EXPECT_EQ(lines[2]->GetHonor(), QString::fromUtf16(c.title));
    // A person record next leaves no honorific on any company line.
    TAddressText person;
    person.NameKanji = QStringLiteral("佐藤 花子");
    MergeRecord(document, &person, nullptr);
    for (const TCorpRect *line : lines)
        EXPECT_TRUE(line->GetHonor().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    MergeCompany, DetailCompanyHonorific,
    ::testing::Values(CompanyHonorCase{"departmentLast", u"", u"", u"", u"御中", u""},
                      CompanyHonorCase{"titleLast", u"", u"主任", u"", u"", u"御中"},
                      CompanyHonorCase{"ownHonorificKept", u"", u"", u"各位", u"各位", u""},
                      // A person named at the company takes the honorific in the name frame.
                      CompanyHonorCase{"personNamed", u"山田 太郎", u"主任", u"", u"", u""}),
    [](const ::testing::TestParamInfo<CompanyHonorCase> &info) { return std::string(info.param.name); });

} // namespace

namespace {

// The postcard's sender name frame shows the sender's joint names marked for
// printing, without honorifics; a company sender shows none.
TEST(SenderNameFrame, printsTheSendersMarkedJointNames)
{
    TLayoutDocument document;
    document.Kind = TLayoutKind::AddressSide;
    document.Format = catalogueFormat(0, &document.Grid);
    document.BuildDefaultItems();
    TSenderData sender;
    sender.Name = QStringLiteral("佐藤 一郎");
    sender.NamePrint = true;
    sender.Joint = {QStringLiteral("洋子"), QStringLiteral("次郎"), {}, {}, {}};
    sender.JointPrint = {true, false, false, false, false};
    for (const qint32 kind : {1, 2}) {
        sender.SelectInfo = kind;
        const TAddressText text = SenderAddressText(sender);
        MergeRecord(document, nullptr, &text);
        const TNameRect *frame = nullptr;
        for (auto &item : document.Items)
            if (auto *name = dynamic_cast<TNameRect *>(item.get()); name && name->IsSender())
                frame = name;
        ASSERT_NE(frame, nullptr);
        if (kind == 2) {
            EXPECT_EQ(frame->GetJointCount(), 0);
            continue;
        }
        ASSERT_EQ(frame->GetJointCount(), 1);
        EXPECT_EQ(frame->GetJointName(0).trimmed(), QStringLiteral("洋子"));
        EXPECT_TRUE(frame->GetJointHonor(0).isEmpty());
    }
}

} // namespace

namespace {

// "宛名の印刷に名前を使用しない" on a company keeps the person's name off the
// address: the name frame shows the company lines and no name.
TEST(CompanyWithoutName, keepsThePersonOffTheAddress)
{
    TLayoutDocument document;
    document.Kind = TLayoutKind::AddressSide;
    document.Format = catalogueFormat(0, &document.Grid);
    document.BuildDefaultItems();
    TAddressText record;
    record.PrivCorp = false;
    record.CorpKanji = QStringLiteral("株式会社テスト商事");
    record.Post = QStringLiteral("部長");
    record.NameKanji = QStringLiteral("鈴木 一郎");
    record.JointPrint = true;
    record.Joint[0] = QStringLiteral("鈴木 次郎");
    record.JointPrints[0] = true;
    for (const bool ignore : {false, true}) {
        record.IgnoreName = ignore;
        MergeRecord(document, &record, nullptr);
        const TNameRect *frame = nullptr;
        for (auto &item : document.Items)
            if (auto *name = dynamic_cast<TNameRect *>(item.get()); name && !name->IsSender())
                frame = name;
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(frame->GetCorp(), QStringLiteral("株式会社テスト商事"));
        EXPECT_EQ(frame->GetName().isEmpty(), ignore) << frame->GetName().toStdString();
        // None of its persons: the joint names neither.
        EXPECT_EQ(frame->GetJointCount(), ignore ? 0 : 1);
    }
}

} // namespace
