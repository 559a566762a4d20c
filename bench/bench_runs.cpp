// The runs of writes over many records, driven through their windows on a
// generated 100,000-record book: the main list's delete, the batch change
// and the copy to another book, each of 10,000 records, against the table
// layer's bare batch of the same operations (no window, no savepoints) on a
// fresh copy of the same book in the same run. Each side is timed in several
// rounds, the sides in turns and each on fresh books, and the best of each
// counts: one flush of the disk or one lost time slice in a single timing
// would otherwise decide the ratio.
#include "BenchSupport.h"
#include "BookFile.h"
#include "addressbook/AdrsCopy.h"
#include "addressbook/AdrsList.h"
#include "addressbook/AdrsListView.h"
#include "addressbook/BatchChg.h"
#include "core/AdrsSel.h"
#include "core/AppSub.h"
#include "core/DBInfo.h"
#include "core/Env.h"
#include "platform/Table.h"
#include "util/MsgBoxPos.h"
#include "widgets/TntComCtrls.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QItemSelectionModel>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr int kRecords = 100000;
constexpr int kRun = 10000;
// Rounds of each side; a round of all three commands on both sides takes
// some ten seconds, most of it copying books and reading the list.
constexpr int kRounds = 3;

// Every question is answered yes, every notice taken.
class TYesSink : public TMessageBoxSink
{
public:
    int answer(const TMessageBoxRequest &request) override
    {
        const unsigned type = request.flags & MB_TYPEMASK;
        return type == MB_YESNO || type == MB_YESNOCANCEL ? IDYES : IDOK;
    }
};


QString bookFile(const QString &folder) { return AdrsPath + folder + QStringLiteral("/Adrs.DB"); }

// A fresh copy of the generated book in the folder.
void freshBook(const QString &generated, const QString &folder)
{
    QDir().mkpath(AdrsPath + folder);
    QFile::remove(bookFile(folder));
    if (!QFile::copy(generated, bookFile(folder)))
        qFatal("cannot copy the book");
}

std::unique_ptr<TTable> openBook(const QString &folder)
{
    auto table = std::make_unique<TTable>();
    table->SetTableName(bookFile(folder));
    table->SetPassword(TablePassword);
    table->Open();
    return table;
}

// The main list on Book1 with its first kRun rows selected; their records.
std::unique_ptr<TAddressList> openList(QList<qint32> *recNos)
{
    DMMurven19 = new TDMMurven19;
    auto list = std::make_unique<TAddressList>();
    list->show();
    for (int i = 0; i < 200 && list->GetRowCount() == 0; ++i)
        QApplication::processEvents();
    if (list->GetRowCount() != kRecords)
        qFatal("the list shows %d rows", list->GetRowCount());
    // One block of rows, as a shift-click selects them.
    list->SelectRow(0, true, false);
    QAbstractItemModel *model = list->View()->model();
    list->View()->selectionModel()->select(QItemSelection(model->index(0, 0), model->index(kRun - 1, 0)),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
    if (list->GetSelCount() != kRun)
        qFatal("%d rows selected", list->GetSelCount());
    recNos->clear();
    for (int row = 0; row < kRun; ++row)
        *recNos << list->GetRowRecNo(row);
    return list;
}

void closeList(std::unique_ptr<TAddressList> &list)
{
    list.reset();
    QApplication::processEvents();
    FreeDataModule();
}

double timed(const std::function<void()> &work) { return bestOfMs(1, work); }

// The bare batches: the same table operations in one transaction.
double bareDelete(const QList<qint32> &recNos)
{
    auto table = openBook(QStringLiteral("Book1"));
    return timed([&] {
        table->BeginBatch();
        for (const qint32 recNo : recNos) {
            if (table->FindKey({QVariant(recNo)}))
                table->Delete();
        }
        table->EndBatch();
    });
}

double bareChange(const QList<qint32> &recNos)
{
    auto table = openBook(QStringLiteral("Book1"));
    return timed([&] {
        table->BeginBatch();
        for (const qint32 recNo : recNos) {
            if (!table->FindKey({QVariant(recNo)}))
                continue;
            table->Edit();
            table->FieldByName(QStringLiteral("SymbolColor")).SetAsInteger(TBatchChange::InitialSymbolColor);
            table->FieldByName(QStringLiteral("UpdDateTime")).SetAsDateTime(QDateTime::currentDateTime());
            table->Post();
        }
        table->EndBatch();
    });
}

double bareCopy(const QList<qint32> &recNos)
{
    auto source = openBook(QStringLiteral("Book1"));
    auto target = openBook(QStringLiteral("Book2"));
    return timed([&] {
        target->BeginBatch();
        for (const qint32 recNo : recNos) {
            if (!source->FindKey({QVariant(recNo)}))
                continue;
            const QByteArray code = source->FieldByName(QStringLiteral("CustomCode")).AsBytes();
            target->SetIndexName(QStringLiteral("CustomCode"));
            if (!code.isEmpty() && target->FindKey({QVariant(code)}))
                continue;
            target->Append();
            for (int f = 0; f < target->FieldCount(); ++f) {
                TField &to = target->Fields(f);
                const TField &from = source->Fields(f);
                if (to.DataType() == TFieldType::ftAutoInc)
                    continue;
                if (from.IsNull())
                    to.Clear();
                else if (to.DataType() == TFieldType::ftString || to.DataType() == TFieldType::ftMemo)
                    to.SetAsBytes(from.AsBytes());
                else if (to.DataType() == TFieldType::ftDateTime)
                    to.SetAsDateTime(from.AsDateTime());
                else
                    to.SetAsInteger(from.AsInteger());
            }
            target->Post();
        }
        target->EndBatch();
    });
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir home;
    redirectToTemporaryHome(home, {{QStringLiteral("元帳"), QStringLiteral("Book1"), AdrsStateUnchanged},
                                   {QStringLiteral("写し"), QStringLiteral("Book2"), AdrsStateUnchanged}});
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TYesSink yes;
    SetMessageBoxSink(&yes);

    const QString generated = home.filePath(QStringLiteral("Generated.DB"));
    const QString empty = home.filePath(QStringLiteral("Empty.DB"));
    WriteGeneratedBook(generated, kRecords);
    WriteGeneratedBook(empty, 0);
    QList<qint32> recNos;

    // Delete: the main list's command on its first kRun rows.
    const auto deleteWindow = [&] {
        freshBook(generated, QStringLiteral("Book1"));
        auto list = openList(&recNos);
        const double ms = timed([&] { list->findChild<QAction *>(QStringLiteral("actDelete"))->trigger(); });
        if (list->GetRowCount() != kRecords - kRun)
            qFatal("the delete left %d rows", list->GetRowCount());
        closeList(list);
        return ms;
    };
    const auto deleteBare = [&] {
        freshBook(generated, QStringLiteral("Book1"));
        return bareDelete(recNos);
    };

    // Batch change: the symbol colour of the same rows.
    const auto changeWindow = [&] {
        freshBook(generated, QStringLiteral("Book1"));
        auto list = openList(&recNos);
        double ms = 0;
        {
            TBatchChange dialog(list.get());
            dialog.show();
            dialog.findChild<QAbstractButton *>(QStringLiteral("chkSymbolColor"))->click();
            ms = timed([&] { dialog.findChild<QAbstractButton *>(QStringLiteral("btnStart"))->click(); });
            if (dialog.LastRun().Changed.size() != kRun)
                qFatal("the batch change changed %d records", int(dialog.LastRun().Changed.size()));
        }
        closeList(list);
        return ms;
    };
    const auto changeBare = [&] {
        freshBook(generated, QStringLiteral("Book1"));
        return bareChange(recNos);
    };

    // Copy: the same rows into an empty book.
    const auto copyWindow = [&] {
        freshBook(generated, QStringLiteral("Book1"));
        freshBook(empty, QStringLiteral("Book2"));
        auto list = openList(&recNos);
        double ms = 0;
        int copied = 0;
        {
            TAddressCopy *copy = ShowAddressCopy(list.get());
            copy->findChild<TTntListView *>()->Items().GetItem(0)->SetSelected(true);
            ms = timed([&] { copy->findChild<QAbstractButton *>(QStringLiteral("btnCopy"))->click(); });
            copied = copy->AddedCount() + copy->SkippedCount();
        }
        if (copied != kRun)
            qFatal("the copy handled %d records", copied);
        closeList(list);
        return ms;
    };
    const auto copyBare = [&] {
        freshBook(generated, QStringLiteral("Book1"));
        freshBook(empty, QStringLiteral("Book2"));
        return bareCopy(recNos);
    };

    // The window side of a round comes first: it takes the records the bare
    // side works on from the list.
    using TTrials = std::vector<std::function<double()>>;
    const std::vector<double> deletes = bestOfEachMs(kRounds, TTrials{deleteWindow, deleteBare});
    const std::vector<double> changes = bestOfEachMs(kRounds, TTrials{changeWindow, changeBare});
    const std::vector<double> copies = bestOfEachMs(kRounds, TTrials{copyWindow, copyBare});
    const double deleteWindowMs = deletes[0], deleteBareMs = deletes[1];
    const double changeWindowMs = changes[0], changeBareMs = changes[1];
    const double copyWindowMs = copies[0], copyBareMs = copies[1];

    std::printf("# delete %d of %d: window %.1f ms, bare batch %.1f ms (best of %d)\n", kRun, kRecords,
                deleteWindowMs, deleteBareMs, kRounds);
    std::printf("# batch change %d: window %.1f ms, bare batch %.1f ms (best of %d)\n", kRun, changeWindowMs,
                changeBareMs, kRounds);
    std::printf("# copy %d: window %.1f ms, bare batch %.1f ms (best of %d)\n", kRun, copyWindowMs, copyBareMs,
                kRounds);
    report("delete_10k_ratio", deleteWindowMs / deleteBareMs, "ratio", 2);
    report("batch_change_10k_ratio", changeWindowMs / changeBareMs, "ratio", 2);
    report("copy_10k_ratio", copyWindowMs / copyBareMs, "ratio", 2);
    SetMessageBoxSink(nullptr);
    return 0;
}
