#include "addressbook/ExtLinkKind.h"

#include "DtInqiryFixture.h"
#include "support/UrlRecorder.h"
#include "support/FileHelpers.h"
#include "support/RowName.h"
#include "widgets/ByteLimitValidator.h"

#include <QDir>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

// A file below the test's folder with the given access bits.
QString makeFile(const QString &folder, const char *name, int mode)
{
    const QString path = folder + QLatin1Char('/') + QString::fromUtf8(name);
    writeBytes(path, "#!/bin/sh\n");
    ::chmod(QFile::encodeName(path).constData(), mode_t(mode));
    return path;
}

struct LinkCase {
    const char *name;
    // The link text, made from the folder that holds the test's files.
    std::function<QString(const QString &folder)> link;
    TExtLinkKind kind;
};

QString fileUrl(const QString &path)
{
    return QUrl::fromLocalFile(path).toString();
}

class ExtLinkKinds : public ::testing::TestWithParam<LinkCase>
{
protected:
    QTemporaryDir dir;
};

TEST_P(ExtLinkKinds, areToldApart)
{
    const QString link = GetParam().link(dir.path());
    EXPECT_EQ(ClassifyExtLink(ExtLinkUrl(link)), GetParam().kind) << link.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Links, ExtLinkKinds,
    ::testing::Values(
        LinkCase{"webPage", [](const QString &) { return QStringLiteral("https://example.jp/a?b=1"); },
                 TExtLinkKind::WebPage},
        LinkCase{"plainWebAddress", [](const QString &) { return QStringLiteral("www.example.jp"); },
                 TExtLinkKind::WebPage},
        LinkCase{"mail", [](const QString &) { return QStringLiteral("mailto:info@example.jp"); },
                 TExtLinkKind::WebPage},
        LinkCase{"mailWithSubject", [](const QString &) { return QStringLiteral("mailto:info@example.jp?subject=見積"); },
                 TExtLinkKind::WebPage},
        LinkCase{"mailThatAttachesAFile",
                 [](const QString &) { return QStringLiteral("mailto:info@example.jp?Attach=/home/u/.ssh/id_rsa"); },
                 TExtLinkKind::Other},
        LinkCase{"mailThatAttachesAnEncodedFile",
                 [](const QString &) { return QStringLiteral("mailto:a@example.jp?cc=b&%61ttachment=file:///etc/passwd"); },
                 TExtLinkKind::Other},
        LinkCase{"localDocumentByPath", [](const QString &d) { return makeFile(d, "見積書.pdf", 0644); },
                 TExtLinkKind::Document},
        LinkCase{"localDocumentByUrl", [](const QString &d) { return fileUrl(makeFile(d, "memo.txt", 0600)); },
                 TExtLinkKind::Document},
        LinkCase{"localFolder", [](const QString &d) { return d; }, TExtLinkKind::Document},
        LinkCase{"localProgram", [](const QString &d) { return fileUrl(makeFile(d, "tool", 0755)); },
                 TExtLinkKind::Other},
        LinkCase{"documentNameWithExecuteBit", [](const QString &d) { return makeFile(d, "report.pdf", 0700); },
                 TExtLinkKind::Other},
        LinkCase{"desktopLauncher", [](const QString &d) { return fileUrl(makeFile(d, "open.desktop", 0644)); },
                 TExtLinkKind::Other},
        LinkCase{"scriptWithoutExecuteBit", [](const QString &d) { return makeFile(d, "setup.sh", 0644); },
                 TExtLinkKind::Other},
        LinkCase{"missingFileOfUnknownType", [](const QString &d) { return d + QStringLiteral("/gone.run"); },
                 TExtLinkKind::Other},
        LinkCase{"scriptOnAShare", [](const QString &) { return QStringLiteral("smb://server/share/run.sh"); },
                 TExtLinkKind::Other},
        LinkCase{"launcherOnAShare", [](const QString &) { return QStringLiteral("smb://server/share/a.desktop"); },
                 TExtLinkKind::Other},
        LinkCase{"documentOnAShare", [](const QString &) { return QStringLiteral("smb://server/share/表.xlsx"); },
                 TExtLinkKind::Document},
        LinkCase{"script", [](const QString &) { return QStringLiteral("javascript:alert(1)"); },
                 TExtLinkKind::Other},
        LinkCase{"unknownScheme", [](const QString &) { return QStringLiteral("vnc://host"); },
                 TExtLinkKind::Other}),
    rowName);

// 開く in the record form, as a user meets it: what is asked and what is opened.
struct OpenCase {
    const char *name;
    std::function<QString(const QString &folder)> link;
    int answer;  // 0: no question expected; else the answer given
    bool opened;
};

class ExtLinkOpen : public RecordFormTest, public ::testing::WithParamInterface<OpenCase>
{
};

TEST_P(ExtLinkOpen, asksBeforeOpeningWhatMayRunAProgram)
{
    const OpenCase &c = GetParam();
    QTemporaryDir dir;
    TUrlRecorder opener({QStringLiteral("file"), QStringLiteral("smb"), QStringLiteral("http"),
                         QStringLiteral("https"), QStringLiteral("mailto")});
    openNew();
    const QString link = c.link(dir.path());
    ASSERT_TRUE(form->AddExtLink(link)) << link.toStdString() << " " << ShownInputRefusedHint().toStdString();
    if (c.answer)
        boxes.enqueue(c.answer);
    click(QStringLiteral("bbtnOpenLink"));

    ASSERT_EQ(boxes.count(), c.answer ? 1 : 0);
    if (c.answer) {
        const TMessageBoxRequest &box = boxes.last();
        EXPECT_TRUE(box.text.contains(link)) << box.text.toStdString();
        EXPECT_TRUE(box.text.contains(QStringLiteral("開いてもよろしいですか"))) << box.text.toStdString();
        EXPECT_EQ(box.flags & 0xF, unsigned(MB_YESNO));
        EXPECT_EQ(ScriptedMessageBoxes::defaultAnswer(box.flags), IDNO);
    }
    EXPECT_EQ(opener.opened.size(), c.opened ? 1 : 0);
    if (c.opened && !opener.opened.isEmpty()) {
        EXPECT_EQ(opener.opened.first(), ExtLinkUrl(link));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ExtLinkOpen,
    ::testing::Values(
        OpenCase{"webPageOpensAtOnce", [](const QString &) { return QStringLiteral("https://example.jp/"); }, 0,
                 true},
        OpenCase{"documentOpensAtOnce", [](const QString &d) { return makeFile(d, "地図.pdf", 0644); }, 0, true},
        OpenCase{"programIsAskedAndNoKeepsItShut",
                 [](const QString &d) { return fileUrl(makeFile(d, "tool", 0755)); }, IDNO, false},
        OpenCase{"launcherIsAskedAndYesOpensIt",
                 [](const QString &d) { return fileUrl(makeFile(d, "app.desktop", 0644)); }, IDYES, true},
        OpenCase{"scriptOnAShareIsAsked", [](const QString &) { return QStringLiteral("smb://nas/share/x.sh"); },
                 IDNO, false}),
    rowName);

} // namespace
