// A text file of joint names, each with an honorific of its own (太郎 様,
// 次郎 君, 三郎 殿), taken in through the import window with its automatic
// assignment, as a new record and as an update of one: each joint name is
// stored with its own honorific, not the first one's.
#include "addressbook/BookFixture.h"
#include "core/AppSub.h"
#include "exchange/FImport.h"
#include "exchange/ImportConv.h"
#include "platform/Cp932.h"

#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

// Finds no address: the file has none.
class NoAddress : public TImportAddressLookup
{
public:
    std::optional<TImportFoundAddress> Find(const QByteArray &) override { return std::nullopt; }
};

class ImportJointHonors : public BookFixture
{
protected:
    void SetUp() override
    {
        BookFixture::SetUp();
        DMMurven19->CreateDatabase();
        DMMurven19->Connect();
        DMMurven19->CreateAdrsTable(QStringLiteral("Book1"));
        ASSERT_TRUE(DMMurven19->OpenAdrs());
        TFileImport::LookupOverride = &lookup;
    }
    void TearDown() override
    {
        TFileImport::LookupOverride = nullptr;
        BookFixture::TearDown();
    }

    // The file (CP932, as the user's spreadsheet saves it) taken in through
    // the window: loaded, every column assigned automatically, started.
    void importFile(const QString &Text, bool Update)
    {
        const QString path = DataPath + QStringLiteral("joints.csv");
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(Cp932::encode(Text));
        file.close();
        TFileImport window(nullptr);
        if (Update)
            window.rbImportUpdate->click();
        ASSERT_TRUE(window.LoadFile(path));
        boxes.enqueue(IDYES); // automatic assignment
        QTest::mouseClick(window.bbtnAllSet, Qt::LeftButton);
        boxes.enqueue(IDYES); // start
        window.btnImportClick();
        ASSERT_EQ(window.result(), QDialog::Accepted) << qPrintable(boxes.count() ? boxes.last().text : QString());
    }

    static QString stored(const char *Field)
    {
        TTable &t = *DMMurven19->AdrsTable();
        t.First();
        // DecodeUnicodeField reads a joint name's wide form and plain CP932 alike.
        return DecodeUnicodeField(t.FieldByName(QLatin1String(Field)).AsBytes()).trimmed();
    }

    NoAddress lookup;
};

TEST_F(ImportJointHonors, eachJointNameKeepsItsOwnHonorific)
{
    ASSERT_NO_FATAL_FAILURE(importFile(
        QStringLiteral("名前,連名１,連名敬称１,連名２,連名敬称２,連名３,連名敬称３\r\n山田 一郎,太郎,様,次郎,君,三郎,殿\r\n"), false));
    EXPECT_EQ(DMMurven19->AdrsTable()->RecordCount(), 1);
    EXPECT_EQ(stored("Joint2"), QStringLiteral("次郎"));
    EXPECT_EQ(stored("JointHonor1"), QStringLiteral("様"));
    EXPECT_EQ(stored("JointHonor2"), QStringLiteral("君"));
    EXPECT_EQ(stored("JointHonor3"), QStringLiteral("殿"));
}

// The update of a record already in the book: the file names it by its
// record number and gives each joint name another honorific.
TEST_F(ImportJointHonors, anUpdateGivesEachJointNameItsOwnHonorific)
{
    ASSERT_NO_FATAL_FAILURE(importFile(
        QStringLiteral("名前,連名１,連名敬称１,連名２,連名敬称２,連名３,連名敬称３\r\n山田 一郎,太郎,殿,次郎,殿,三郎,様\r\n"), false));
    TTable &t = *DMMurven19->AdrsTable();
    t.First();
    const QString recNo = QString::number(t.FieldByName(QStringLiteral("RecNo")).AsInteger());
    ASSERT_NE(recNo, QStringLiteral("0"));
    ASSERT_NO_FATAL_FAILURE(importFile(
        QStringLiteral("レコード番号,連名敬称１,連名敬称２,連名敬称３\r\n") + recNo + QStringLiteral(",様,君,殿\r\n"), true));
    EXPECT_EQ(DMMurven19->AdrsTable()->RecordCount(), 1);
    EXPECT_EQ(stored("Joint2"), QStringLiteral("次郎"));
    EXPECT_EQ(stored("JointHonor1"), QStringLiteral("様"));
    EXPECT_EQ(stored("JointHonor2"), QStringLiteral("君"));
    EXPECT_EQ(stored("JointHonor3"), QStringLiteral("殿"));
}

} // namespace
