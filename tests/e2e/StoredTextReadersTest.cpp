// Every window that shows or hands on a name the record form or the sender
// window stored (in the "@" form of wide text): records and a sender typed
// through those windows, then read back where the user meets them: the main
// list's cells, word search and filter, the record form opened again and its
// web search, the directory window's list of book records, the batch change's
// report, the copy into another book, the mark file, the editors' QR code
// settings and the sender window.
#include "UserRoad.h"

#include "addressbook/AdrsCopy.h"
#include "addressbook/AdrsListModel.h"
#include "addressbook/AdrsListView.h"
#include "addressbook/AdrsSch.h"
#include "addressbook/BatchChg.h"
#include "addressbook/ListColumns.h"
#include "addressbook/WordSch.h"
#include "core/DBInfo.h"
#include "core/Env.h"
#include "dialogs/QRCode.h"
#include "dialogs/Sender.h"
#include "editors/PrintLoop.h"
#include "exchange/MExport.h"
#include "links/MapPrograms.h"
#include "links/WebSch.h"
#include "platform/Cp932.h"
#include "platform/Table.h"
#include "widgets/TntComCtrls.h"
#include "widgets/TntStdCtrls.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTimer>
#include <QTreeWidget>

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <vector>

namespace {

const QString kTel = QStringLiteral("0312345678");
// A joint name Shift-JIS cannot hold (𠮷, a surrogate pair): a reader that
// passes the name through Shift-JIS loses it.
const QString kJoint = QStringLiteral("𠮷乃");

// A map that hands back the position the user picked on it.
class TPickingView : public IMapView
{
public:
    void SetProgramDir(const QString &) override {}
    void SetParentWnd(QWidget *) override {}
    void CenterOnOwner(QWidget *, int) override {}
    TMapFixUp SetSearchParams(const TMapSearchParams &) override { return TMapFixUp::ByPosition; }
    int ShowModal() override { return 1; }
    std::pair<qint32, qint32> GetResult() const override { return {128000123, 503000456}; }
};

class TPickingPrograms : public IMapPrograms
{
public:
    bool IsInstalled(TMapProgramKind) override { return true; }
    std::unique_ptr<IMapView> CreateView(TMapProgramKind, QWidget *) override
    {
        return std::make_unique<TPickingView>();
    }
    bool Launch(TMapProgramKind, const TMapSearchParams &) override { return true; }
};

class StoredTextReaders;
using TReader = QString (StoredTextReaders::*)();

struct ReaderCase {
    const char *name;
    TReader read;
    // Texts as typed, each expected in what the reader shows or writes, and
    // texts it must not show (a filter's other record).
    std::vector<const char16_t *> expected;
    std::vector<const char16_t *> absent;
};

void PrintTo(const ReaderCase &Case, std::ostream *Out) { *Out << Case.name; }

// The records of enterRecords (both with the telephone number kTel, the
// person with the joint name kJoint) in the book テスト, the book 写し empty
// beside it.
class StoredTextReaders : public UserRoadFixture, public ::testing::WithParamInterface<ReaderCase>
{
public:
    StoredTextReaders()
        : UserRoadFixture({{QStringLiteral("テスト"), QStringLiteral("Book1"), AdrsStateUnchanged},
                           {QStringLiteral("写し"), QStringLiteral("Book2"), AdrsStateUnchanged}})
    {
    }

    // The texts of a row's shown cells, as the list paints them.
    QString rowCells(int Row) const
    {
        const QAbstractItemModel *cells = list->View()->model();
        QStringList texts;
        for (int column = 0; column < cells->columnCount(); ++column)
            texts << cells->data(cells->index(Row, column)).toString();
        return texts.join(u'|');
    }
    // The 連名１ column shown beside the default ones, as 表示項目 shows it.
    void showJointColumn()
    {
        for (TColumnRecord &column : list->Model()->ColumnRecords())
            column.Shown = column.Shown || column.Index == 22;
        list->Model()->BuildColumns(list->View()->fontMetrics());
    }
    QString listCells()
    {
        showJointColumn();
        QStringList rows;
        for (int row = 0; row < list->GetRowCount(); ++row)
            rows << rowCells(row);
        return rows.join(u'\n');
    }

    // The word search for a joint name from the company's row: the cells of
    // the row it stops on.
    QString wordSearch()
    {
        showJointColumn();
        selectRows({1});
        whenModal<TWordSearch>([](QDialog &Dialog) {
            typeIn(&Dialog, "edtWord", kJoint);
            press(&Dialog, "btnSearch");
        });
        action("actWordSearch")->trigger();
        return rowCells(list->GetFocusedIndex());
    }

    // The filter on Item (名前 13, 連名１ 17) with Word by Condition.
    QString filter(int Item, const QString &Word, int Condition)
    {
        whenModal<TAddressSearch>([&](QDialog &Dialog) {
            Dialog.findChild<QComboBox *>(QStringLiteral("cbxItem"))->setCurrentIndex(Item);
            typeIn(&Dialog, "edtContentTnt", Word);
            Dialog.findChild<QComboBox *>(QStringLiteral("cbxCondition"))->setCurrentIndex(Condition);
            press(&Dialog, "btnView");
        });
        action("actAdrsSearch")->trigger();
        return listCells();
    }
    QString filterName() { return filter(13, QStringLiteral("太郎"), 1); }
    QString filterJoint() { return filter(17, kJoint, 0); }

    // The record form opened on Row from the list.
    TDataInquiry *openForm(int Row)
    {
        selectRows({Row});
        action("actInquiry")->trigger();
        EXPECT_NE(DataInquiry, nullptr);
        return DataInquiry;
    }
    QString recordForm()
    {
        TDataInquiry *form = openForm(0);
        if (!form)
            return {};
        return form->findChild<QLineEdit *>(QStringLiteral("nmedtNameKanji"))->text() + u'|'
               + form->findChild<QLineEdit *>(QStringLiteral("nmedtJoint1"))->text();
    }

    // The web search of the company's form: the word it proposes.
    QString webSearch()
    {
        TDataInquiry *form = openForm(1);
        if (!form)
            return {};
        QString word;
        whenModal<TWebSearch>([&word](QDialog &Dialog) {
            word = Dialog.findChild<QLineEdit *>(QStringLiteral("edtWord"))->text();
            Dialog.reject();
        });
        press(form, "bbtnWebSearch");
        return word;
    }

    // The number search of a new record form for the number both records
    // hold: the directory window's list of the book's records.
    QString directoryWindow()
    {
        action("actNumerSearch")->trigger();
        QWidget *form = DataInquiry;
        if (!form)
            return {};
        typeIn(form, "edtTel", kTel);
        QStringList rows;
        TDicSearch::ModalRunner = [&rows](TDicSearch &Window) {
            const auto *hits = Window.findChild<QTreeWidget *>(QStringLiteral("lvTelList"));
            for (int i = 0; hits && i < hits->topLevelItemCount(); ++i)
                rows << hits->topLevelItem(i)->text(0) + u'|' + hits->topLevelItem(i)->text(1) + u'|'
                            + hits->topLevelItem(i)->text(2);
            return 2;
        };
        press(form, "bbtnTelSch");
        TDicSearch::ModalRunner = [](TDicSearch &) { return 2; };
        return rows.join(u'\n');
    }

    // A keyword Shift-JIS cannot hold makes the batch change fail on the
    // person's record: its report names the record.
    QString batchChange()
    {
        selectRows({0});
        whenModal<TBatchChange>([](QDialog &Dialog) {
            press(&Dialog, "chkKeyword1");
            Dialog.findChild<TTntEdit *>(QStringLiteral("edtKeyword1"))->SetText(QStringLiteral("𠮷"));
            press(&Dialog, "btnStart");
        });
        action("actBatchChange")->trigger();
        return boxes.count() > 0 ? boxes.last().text : QString();
    }

    // Both records copied into 写し, read there as the printing reads a record.
    QString copyToOtherBook()
    {
        action("actAdrsCopy")->trigger();
        if (!AddressCopy)
            return {};
        selectRows({0, 1});
        AddressCopy->UpdateDataRange();
        AddressCopy->findChild<TTntListView *>(QStringLiteral("lvAdrs"))->Items().GetItem(0)->SetSelected(true);
        press(AddressCopy, "btnCopy");
        TTable copied;
        copied.SetTableName(AdrsPath + QStringLiteral("Book2/Adrs.DB"));
        copied.SetPassword(TablePassword);
        copied.SetFieldDefs(AdrsFieldDefs);
        copied.SetIndexDefs(AdrsIndexDefs);
        copied.Open();
        QStringList names;
        for (qint32 recNo : {1, 2})
            if (const std::optional<TAddressText> r = TableRecordSource(copied)(recNo))
                names << r->NameKanji + u'|' + r->Joint[0] + u'|' + r->CorpKanji;
        return names.join(u'\n');
    }

    // Positions picked on the map in each record's form, then the mark file
    // of both: the names it holds.
    QString markExport()
    {
        TPickingPrograms maps;
        TScopedMapPrograms scoped(maps);
        for (int row : {0, 1}) {
            TDataInquiry *form = openForm(row);
            if (!form)
                return {};
            press(form, "bbtnMap");
            form->close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        const QString file = DataPath + QStringLiteral("marks.mri");
        TMarkExport::SaveDialogOverride = [&file](const QString &, int &Filter) {
            Filter = 1;
            return file;
        };
        TMarkExport::WriterOverride = [] {
            return std::make_unique<TAtlasMarkWriter>([](qint32 Latitude, qint32 Longitude) {
                return std::optional(TAtlasMesh{1, 2, 3, quint32(Latitude), quint32(Longitude)});
            });
        };
        action("actMarkExport")->trigger();
        if (!MarkExport)
            return {};
        MarkExport->rbAll->click();
        QTest::mouseClick(MarkExport->btnExport, Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QFile written(file);
        EXPECT_TRUE(written.open(QIODevice::ReadOnly));
        QStringList names;
        if (const std::optional<QList<TAtlasMark>> marks = ReadAtlasMarkFile(written.readAll()))
            for (const TAtlasMark &mark : *marks)
                names << Cp932::decode(mark.Name);
        return names.join(u'\n');
    }

    // The sender typed into the sender window of the card editor, with a
    // joint name; the editor it stays chosen in.
    TPrintEditor *cardEditorWithSender()
    {
        TPrintEditor *editor = openEditor("actCardPrint", TPrintEditorKind::Card, 24);
        if (!editor)
            return nullptr;
        editor->ExecDialog = [](QDialog &Dialog) {
            Dialog.show();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(&Dialog));
            typeIn(&Dialog, "edName", QStringLiteral("佐藤 一郎"));
            press(&Dialog, "ckbHome");
            typeIn(&Dialog, "edJoint1", QStringLiteral("洋子"));
            press(&Dialog, "btnChoice");
            return Dialog.result();
        };
        editor->findChild<QAction *>(QStringLiteral("actSender"))->trigger();
        return editor;
    }

    // The sender window opened again: the names it shows.
    QString senderWindow()
    {
        TPrintEditor *editor = cardEditorWithSender();
        if (!editor)
            return {};
        QString shown;
        editor->ExecDialog = [&shown](QDialog &Dialog) {
            Dialog.show();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(&Dialog));
            shown = Dialog.findChild<QLineEdit *>(QStringLiteral("edName"))->text() + u'|'
                    + Dialog.findChild<QLineEdit *>(QStringLiteral("edJoint1"))->text();
            return int(QDialog::Rejected);
        };
        editor->findChild<QAction *>(QStringLiteral("actSender"))->trigger();
        return shown;
    }

    // The QR code settings' phone-book entry taken from the sender.
    QString qrCodeSettings()
    {
        TPrintEditor *editor = cardEditorWithSender();
        if (!editor)
            return {};
        QString shown;
        editor->ExecDialog = [&shown](QDialog &Dialog) {
            Dialog.show();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(&Dialog));
            press(&Dialog, "rbAddress");
            press(&Dialog, "btnSender");
            shown = Dialog.findChild<QLineEdit *>(QStringLiteral("edName"))->text();
            return int(QDialog::Rejected);
        };
        editor->findChild<QAction *>(QStringLiteral("actInsertQRCode"))->trigger();
        return shown;
    }

protected:
    void SetUp() override
    {
        m_markOpener = MarkExportOpener;
        RegisterMarkExport();
        UserRoadFixture::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        TTable other;
        other.SetTableName(AdrsPath + QStringLiteral("Book2/Adrs.DB"));
        other.SetPassword(TablePassword);
        other.SetFieldDefs(AdrsFieldDefs);
        other.SetIndexDefs(AdrsIndexDefs);
        ASSERT_TRUE(other.CreateTable());
    }
    void TearDown() override
    {
        delete MarkExport;
        delete AddressCopy;
        TMarkExport::SaveDialogOverride = nullptr;
        TMarkExport::WriterOverride = nullptr;
        MarkExportOpener = m_markOpener;
        UserRoadFixture::TearDown();
    }

    // Runs Act on the modal dialog T once it is up; a dialog Act left open
    // is closed, so that a failing step cannot hang the test.
    template <class T>
    void whenModal(std::function<void(QDialog &)> Act)
    {
        QTimer::singleShot(0, [Act] {
            auto *dialog = qobject_cast<T *>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            Act(*dialog);
            if (dialog->isVisible())
                dialog->reject();
        });
    }

private:
    TRowWindowOpener m_markOpener;
};

TEST_P(StoredTextReaders, showWhatTheUserTyped)
{
    ASSERT_NO_FATAL_FAILURE(enterRecords(kTel, kJoint));
    const QString read = (this->*GetParam().read)();
    for (const char16_t *expected : GetParam().expected)
        EXPECT_TRUE(read.contains(QString::fromUtf16(expected)))
            << QString::fromUtf16(expected).toStdString() << " not in: " << read.toStdString();
    for (const char16_t *absent : GetParam().absent)
        EXPECT_FALSE(read.contains(QString::fromUtf16(absent))) << read.toStdString();
    static const QRegularExpression stored(QStringLiteral("@[0-9A-F]{4}"));
    EXPECT_FALSE(read.contains(stored)) << read.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    EndToEnd, StoredTextReaders,
    ::testing::Values(
        ReaderCase{"listCells", &StoredTextReaders::listCells, {u"山田 太郎", u"𠮷乃", u"株式会社ピクス"}, {}},
        ReaderCase{"wordSearch", &StoredTextReaders::wordSearch, {u"山田 太郎"}, {u"株式会社ピクス"}},
        ReaderCase{"filterOnName", &StoredTextReaders::filterName, {u"山田 太郎"}, {u"株式会社ピクス"}},
        ReaderCase{"filterOnJointName", &StoredTextReaders::filterJoint, {u"山田 太郎"}, {u"株式会社ピクス"}},
        ReaderCase{"recordForm", &StoredTextReaders::recordForm, {u"山田 太郎|𠮷乃"}, {}},
        ReaderCase{"webSearch", &StoredTextReaders::webSearch, {u"株式会社ピクス"}, {}},
        ReaderCase{"directoryWindow", &StoredTextReaders::directoryWindow,
                   {u"個人|山田 太郎|", u"会社|株式会社ピクス|"}, {}},
        ReaderCase{"batchChange", &StoredTextReaders::batchChange, {u"山田 太郎"}, {}},
        ReaderCase{"copyToOtherBook", &StoredTextReaders::copyToOtherBook,
                   {u"山田 太郎|𠮷乃|", u"||株式会社ピクス"}, {}},
        ReaderCase{"markExport", &StoredTextReaders::markExport, {u"山田 太郎", u"株式会社ピクス"}, {}},
        ReaderCase{"senderWindow", &StoredTextReaders::senderWindow, {u"佐藤 一郎|洋子"}, {}},
        ReaderCase{"qrCodeSettings", &StoredTextReaders::qrCodeSettings, {u"佐藤 一郎"}, {}}),
    [](const ::testing::TestParamInfo<ReaderCase> &info) { return std::string(info.param.name); });

} // namespace
