#include "addressbook/AdrsCopy.h"

#include "addressbook/AdrsList.h"
#include "addressbook/ListRowChoice.h"
#include "core/AdrsSel.h"
#include "core/AppSub.h"
#include "core/DBInfo.h"
#include "core/Env.h"
#include "core/Inquiry.h"
#include "platform/IniFile.h"
#include "platform/Table.h"
#include "util/MsgBoxPos.h"
#include "util/SubUnit.h"
#include "util/WaitCursor.h"
#include "util/WindowFit.h"
#include "widgets/CheckedCaption.h"
#include "widgets/RangeControls.h"
#include "widgets/RecordRun.h"
#include "widgets/TntComCtrls.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

TAddressCopy *AddressCopy = nullptr;

namespace {

const QString kSection = QStringLiteral("ADRS COPY");
const QString kTableFile = QStringLiteral("Adrs.DB");

// A book holds at most this many records; the copy stops before the next one.
constexpr int kMaxRecords = 100000;
// Rows named in the result message when records could not be copied.
constexpr int kListedRows = 10;

// The number items the same-number check compares: field and index names.
const QStringList kNumberItems{QStringLiteral("Tel"), QStringLiteral("Fax"), QStringLiteral("Portable1"),
                               QStringLiteral("Portable2")};

// Closes what was opened for a copy however the walk ends.
class TCopyTables
{
public:
    TCopyTables() = default;
    ~TCopyTables()
    {
        if (SubOpened)
            DMMurven19->CloseAdrsSub();
        if (AdrsOpened)
            DMMurven19->CloseAdrs();
    }
    TCopyTables(const TCopyTables &) = delete;
    TCopyTables &operator=(const TCopyTables &) = delete;

    bool AdrsOpened = false;
    bool SubOpened = false;
};

// The table file of a book folder, found whatever the letter case of its name
// (an empty string when there is none).
QString bookTableFile(const QString &folder)
{
    const QFileInfoList files = QDir(folder).entryInfoList({kTableFile}, QDir::Files);
    return files.isEmpty() ? QString() : files.first().absoluteFilePath();
}

// A book that was made but never opened has no table yet: it gets an empty
// one, as the first open of the open book would give it.
bool ensureBookTable(const QString &folder)
{
    if (!QFileInfo(folder).isDir())
        return false;
    if (!bookTableFile(folder).isEmpty())
        return true;
    TTable table;
    table.SetTableName(folder + QLatin1Char('/') + kTableFile);
    table.SetPassword(TablePassword);
    table.SetFieldDefs(AdrsFieldDefs);
    table.SetIndexDefs(AdrsIndexDefs);
    return table.CreateTable();
}

} // namespace

TAddressCopy::TAddressCopy(QWidget *Owner) : QWidget(Owner, Qt::Window)
{
    AddressCopy = this;
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("AddressCopy"));
    setWindowTitle(QStringLiteral("他のアドレス帳にコピー"));
    setProperty("HelpContext", 22);
    CreateControls();
    LoadSettings();
}

TAddressCopy::~TAddressCopy()
{
    SavePosition();
    if (AddressCopy == this)
        AddressCopy = nullptr;
}

void TAddressCopy::CreateControls()
{
    auto makeRadio = [this](const char *name, const QString &caption) {
        auto *button = new QRadioButton(caption, this);
        button->setObjectName(QString::fromLatin1(name));
        m_options << button;
        return button;
    };
    auto makeCheck = [this](const char *name, const QString &caption) {
        auto *box = new QCheckBox(caption, this);
        box->setObjectName(QString::fromLatin1(name));
        m_options << box;
        return box;
    };
    auto makeGroup = [this](std::initializer_list<QRadioButton *> buttons) {
        auto *group = new QButtonGroup(this);
        for (QRadioButton *button : buttons)
            group->addButton(button);
    };

    // Target books.
    auto *boxTarget = new QGroupBox(QStringLiteral("コピー先のアドレス帳"), this);
    lvAdrs = CreateBookListView(this, ScaleForDpi(260, true));
    lvAdrs->setMinimumHeight(ScaleForDpi(96, true));
    (new QVBoxLayout(boxTarget))->addWidget(lvAdrs);

    // Rows to copy.
    auto *boxData = new QGroupBox(QStringLiteral("コピーするデータ"), this);
    rbList = makeRadio("rbList", QStringLiteral("一覧で選択されているデータ"));
    rbRange = makeRadio("rbRange", QStringLiteral("範囲を指定する"));
    rbAll = makeRadio("rbAll", QStringLiteral("一覧に表示されているすべてのデータ"));
    rbList->setProperty("Tag", 0);
    rbRange->setProperty("Tag", 1);
    rbAll->setProperty("Tag", 2);
    makeGroup({rbList, rbRange, rbAll});
    m_range.Create(this, this, true);
    m_range.Changed = [this] {
        if (m_dataSelect == 1)
            CalcCopyCount();
    };
    lblDataCount = new QLabel(this);
    lblDataCount->setObjectName(QStringLiteral("lblDataCount"));
    lblDataCount->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto *countRow = new QHBoxLayout;
    countRow->addWidget(new QLabel(QStringLiteral("コピーする件数："), this));
    countRow->addWidget(lblDataCount);
    countRow->addStretch(1);
    auto *dataLayout = new QVBoxLayout(boxData);
    dataLayout->addWidget(rbList);
    dataLayout->addWidget(rbRange);
    dataLayout->addLayout(m_range.MakeRow());
    dataLayout->addWidget(rbAll);
    dataLayout->addLayout(countRow);

    // Same telephone numbers.
    auto *boxNumber = new QGroupBox(QStringLiteral("同じ電話番号のデータがコピー先にある場合"), this);
    chkTel = makeCheck("chkTel", QStringLiteral("電話番号"));
    chkFax = makeCheck("chkFax", QStringLiteral("FAX番号"));
    chkPortable1 = makeCheck("chkPortable1", QStringLiteral("携帯電話1"));
    chkPortable2 = makeCheck("chkPortable2", QStringLiteral("携帯電話2"));
    rbAnd = makeRadio("rbAnd", QStringLiteral("すべて一致する"));
    rbOr = makeRadio("rbOr", QStringLiteral("どれか一つが一致する"));
    rbNewAdd = makeRadio("rbNewAdd", QStringLiteral("新規で登録する"));
    rbNotAdd = makeRadio("rbNotAdd", QStringLiteral("コピーしない"));
    makeGroup({rbAnd, rbOr});
    makeGroup({rbNewAdd, rbNotAdd});
    auto *numberLayout = new QGridLayout(boxNumber);
    numberLayout->addWidget(chkTel, 0, 0);
    numberLayout->addWidget(chkFax, 0, 1);
    numberLayout->addWidget(chkPortable1, 0, 2);
    numberLayout->addWidget(chkPortable2, 0, 3);
    numberLayout->addWidget(rbAnd, 1, 0, 1, 2);
    numberLayout->addWidget(rbOr, 1, 2, 1, 2);
    numberLayout->addWidget(rbNewAdd, 2, 0, 1, 2);
    numberLayout->addWidget(rbNotAdd, 2, 2, 1, 2);

    // Same customer code.
    auto *boxCustom = new QGroupBox(QStringLiteral("同じ顧客コードのデータがコピー先にある場合"), this);
    rbDestUpdate = makeRadio("rbDestUpdate", QStringLiteral("コピー先のデータを上書きする"));
    rbNotUpdate = makeRadio("rbNotUpdate", QStringLiteral("コピーしない"));
    makeGroup({rbDestUpdate, rbNotUpdate});
    auto *customLayout = new QHBoxLayout(boxCustom);
    customLayout->addWidget(rbDestUpdate);
    customLayout->addWidget(rbNotUpdate);
    customLayout->addStretch(1);

    chkSameAddDateTime = makeCheck("chkSameAddDateTime", QStringLiteral("登録日時をコピー元と同じにする"));
    chkSameUpdDateTime = makeCheck("chkSameUpdDateTime", QStringLiteral("更新日時をコピー元と同じにする"));

    pgbarAdrsCopy = new QProgressBar(this);
    pgbarAdrsCopy->setObjectName(QStringLiteral("pgbarAdrsCopy"));
    pgbarAdrsCopy->setTextVisible(false);
    pgbarAdrsCopy->setRange(0, 1);
    pgbarAdrsCopy->setValue(0);
    btnCopy = new QPushButton(QStringLiteral("コピー"), this);
    btnCopy->setObjectName(QStringLiteral("btnCopy"));
    btnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    auto *buttonRow = new QHBoxLayout;
    buttonRow->addWidget(pgbarAdrsCopy, 1);
    buttonRow->addWidget(btnCopy);
    buttonRow->addWidget(btnCancel);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(boxTarget, 1);
    layout->addWidget(boxData);
    layout->addWidget(boxNumber);
    layout->addWidget(boxCustom);
    layout->addWidget(chkSameAddDateTime);
    auto *updRow = new QHBoxLayout;
    updRow->addSpacing(ScaleForDpi(20, true));
    updRow->addWidget(chkSameUpdDateTime);
    layout->addLayout(updRow);
    layout->addLayout(buttonRow);

    const QList<QWidget *> tabOrder{lvAdrs, rbList, rbRange, m_range.BeginEdit, m_range.EndEdit, rbAll, chkTel, chkFax,
                                    chkPortable1, chkPortable2, rbAnd, rbOr, rbNewAdd, rbNotAdd, rbDestUpdate,
                                    rbNotUpdate, chkSameAddDateTime, chkSameUpdDateTime, btnCopy, btnCancel};
    for (int i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    for (QWidget *w : std::initializer_list<QWidget *>{lvAdrs, btnCopy, btnCancel})
        w->installEventFilter(this);
    for (QAbstractButton *button : m_options)
        button->installEventFilter(this);

    for (QRadioButton *button : {rbList, rbRange, rbAll}) {
        connect(button, &QRadioButton::toggled, this, [this, button](bool checked) {
            if (checked)
                DataSelectClick(button->property("Tag").toInt());
        });
    }
    for (QCheckBox *box : {chkTel, chkFax, chkPortable1, chkPortable2})
        connect(box, &QCheckBox::toggled, this, &TAddressCopy::NumberBoxClick);
    connect(chkSameAddDateTime, &QCheckBox::toggled, this,
            [this](bool checked) { chkSameUpdDateTime->setEnabled(checked); });
    for (QAbstractButton *button : m_options)
        connect(button, &QAbstractButton::toggled, this, [this] { UpdateCaptionColours(); });
    connect(btnCopy, &QPushButton::clicked, this, &TAddressCopy::btnCopyClick);
    connect(btnCancel, &QPushButton::clicked, this, &QWidget::close);

    // The window keeps its laid-out size.
    setFixedSize(sizeHint().expandedTo(QSize(ScaleForDpi(440, true), 0)));
}

void TAddressCopy::LoadSettings()
{
    const TMemIniFile ini(SettingsFileName());

    // Position, stored in 96-dpi units; the default centres the window.
    const QSize screen = QApplication::primaryScreen() ? QApplication::primaryScreen()->geometry().size()
                                                       : QSize(0, 0);
    const int width = ScaleForDpi(frameGeometry().width(), false);
    const int height = ScaleForDpi(frameGeometry().height(), false);
    const int left = ini.ReadInteger(kSection, QStringLiteral("Left"), (ScaleForDpi(screen.width(), false) - width) / 2);
    const int top = ini.ReadInteger(kSection, QStringLiteral("Top"), (ScaleForDpi(screen.height(), false) - height) / 2);
    PlaceWindowFrameAt(this, QPoint(ScaleForDpi(left, true), ScaleForDpi(top, true)));

    auto choice = [&ini](const char *key, int defaultValue, int max) {
        const int value = ini.ReadInteger(kSection, QString::fromLatin1(key), defaultValue);
        return value < 0 || value > max ? defaultValue : value;
    };
    const int dataSelect = choice("DataSelect", 0, 2);
    const int bothType = choice("BothType", 0, 1);
    const int sameNumCheck = choice("SameNumCheck", 0, 1);
    const int sameCustomCheck = choice("SameCustomCheck", 1, 1);

    // Each box switched on counts itself through its handler.
    m_numTargetCount = 0;
    const QList<QPair<QCheckBox *, const char *>> numberBoxes{
        {chkTel, "Tel"}, {chkFax, "Fax"}, {chkPortable1, "Portable1"}, {chkPortable2, "Portable2"}};
    for (const auto &[box, key] : numberBoxes)
        box->setChecked(ini.ReadBool(kSection, QString::fromLatin1(key), false));
    chkSameAddDateTime->setChecked(ini.ReadBool(kSection, QStringLiteral("SameAddDateTime"), true));
    chkSameUpdDateTime->setChecked(ini.ReadBool(kSection, QStringLiteral("SameUpdDateTime"), true));
    chkSameUpdDateTime->setEnabled(chkSameAddDateTime->isChecked());

    FillBookList();

    m_copyCount = 0;
    m_range.Init(AddressList ? AddressList->GetRowCount() : 0, ini.ReadInteger(kSection, QStringLiteral("BeginPos"), 0),
                 ini.ReadInteger(kSection, QStringLiteral("EndPos"), 0));
    m_range.SetEnabled(m_dataSelect == 1);
    (dataSelect == 1 ? rbRange : dataSelect == 2 ? rbAll : rbList)->setChecked(true);
    UpdateNumberOptions();
    (bothType == 1 ? rbOr : rbAnd)->setChecked(true);
    (sameNumCheck == 1 ? rbNotAdd : rbNewAdd)->setChecked(true);
    (sameCustomCheck != 0 ? rbNotUpdate : rbDestUpdate)->setChecked(true);
    UpdateCaptionColours();
}

void TAddressCopy::SaveSettings() const
{
    TMemIniFile ini(SettingsFileName());
    ini.WriteInteger(kSection, QStringLiteral("DataSelect"), m_dataSelect);
    ini.WriteInteger(kSection, QStringLiteral("BeginPos"), m_range.BeginPos());
    ini.WriteInteger(kSection, QStringLiteral("EndPos"), m_range.EndPos());
    ini.WriteBool(kSection, QStringLiteral("Tel"), chkTel->isChecked());
    ini.WriteBool(kSection, QStringLiteral("Fax"), chkFax->isChecked());
    ini.WriteBool(kSection, QStringLiteral("Portable1"), chkPortable1->isChecked());
    ini.WriteBool(kSection, QStringLiteral("Portable2"), chkPortable2->isChecked());
    ini.WriteInteger(kSection, QStringLiteral("BothType"), rbOr->isChecked() ? 1 : 0);
    ini.WriteInteger(kSection, QStringLiteral("SameNumCheck"), rbNotAdd->isChecked() ? 1 : 0);
    ini.WriteInteger(kSection, QStringLiteral("SameCustomCheck"), rbNotUpdate->isChecked() ? 1 : 0);
    ini.WriteBool(kSection, QStringLiteral("SameAddDateTime"), chkSameAddDateTime->isChecked());
    ini.WriteBool(kSection, QStringLiteral("SameUpdDateTime"), chkSameUpdDateTime->isChecked());
    ini.UpdateFileOrTellOnce();
}

void TAddressCopy::SavePosition() const
{
    TMemIniFile ini(SettingsFileName());
    WriteWindowCorner(ini, kSection, this);
    ini.UpdateFileOrTellOnce();
}

void TAddressCopy::FillBookList()
{
    TTntListItems &items = lvAdrs->Items();
    items.BeginUpdate();
    items.Clear();
    for (const TAdrsFolderInfo &book : AdrsFolderList) {
        if (book.Name == AdrsName || book.State == AdrsStateDeleted)
            continue;
        items.Add()->SetCaption(book.Name);
    }
    items.EndUpdate();
    // The first book gets the focus mark but is not chosen.
    if (items.Count() > 0)
        lvAdrs->SetItemFocused(items.GetItem(0));
}

void TAddressCopy::RefreshSelection()
{
    m_range.Reset(AddressList ? AddressList->GetRowCount() : 0);
    CalcCopyCount();
}

void TAddressCopy::DataSelectClick(int Tag)
{
    if (Tag == m_dataSelect)
        return;
    m_dataSelect = Tag;
    m_range.SetEnabled(m_dataSelect == 1);
    UpdateCaptionColours();
    CalcCopyCount();
}

void TAddressCopy::NumberBoxClick(bool Checked)
{
    m_numTargetCount += Checked ? 1 : -1;
    UpdateNumberOptions();
}

void TAddressCopy::UpdateNumberOptions()
{
    rbNewAdd->setEnabled(m_numTargetCount > 0);
    rbNotAdd->setEnabled(m_numTargetCount > 0);
    rbAnd->setEnabled(m_numTargetCount > 1);
    rbOr->setEnabled(m_numTargetCount > 1);
}

void TAddressCopy::UpdateCaptionColours()
{
    for (QAbstractButton *button : m_options)
        PaintCheckedCaption(button);
}

void TAddressCopy::CalcCopyCount()
{
    m_copyCount = ChosenListRowCount(m_dataSelect, m_range);
    lblDataCount->setText(QString::number(m_copyCount) + QStringLiteral(" 件"));
    btnCopy->setEnabled(m_copyCount != 0);
}

void TAddressCopy::FocusNext(QWidget *From)
{
    QWidget *next = From == rbList ? chkTel : From->nextInFocusChain();
    while (next && next != From) {
        if (isAncestorOf(next) && next->isEnabled() && next->isVisible() && (next->focusPolicy() & Qt::TabFocus))
            break;
        next = next->nextInFocusChain();
    }
    if (!next || next == From)
        return;
    next->setFocus(Qt::TabFocusReason);
    // An edit that does not select its text on entry gets the caret at the end.
    if (auto *edit = qobject_cast<QLineEdit *>(next); edit && !edit->hasSelectedText())
        edit->end(false);
}

bool TAddressCopy::eventFilter(QObject *Watched, QEvent *Event)
{
    if (m_range.FilterEvent(Watched, Event))
        return true;
    if (Event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(Event)->key();
        if (key == Qt::Key_Escape) {
            close();
            return true;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (auto *button = qobject_cast<QPushButton *>(Watched)) {
                button->click();
                return true;
            }
            FocusNext(static_cast<QWidget *>(Watched));
            return true;
        }
    }
    return QWidget::eventFilter(Watched, Event);
}

int TAddressCopy::Inform(const QString &Text, unsigned Flags)
{
    return ShowMessageBoxAt(this, Text, ProductCaption(), Flags, mbpCenterOnOwner, 0, 0);
}

void TAddressCopy::btnCopyClick()
{
    const TTntListItem *item = lvAdrs->GetSelected();
    if (!item) {
        Inform(QStringLiteral("コピー先のアドレス帳を選択してください  "), MB_ICONINFORMATION);
        lvAdrs->setFocus();
        return;
    }
    if (Inform(QStringLiteral("アドレス帳のデータを、指定した他のアドレス帳にコピーします  \r\nよろしいですか？  "),
               MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    if (rbDestUpdate->isChecked()
        && Inform(QStringLiteral("コピー先のアドレス帳に、同じ顧客コードのデータが見つかった場合に  \r\n"
                                 "そのデータを上書きしてしまう設定ですが、よろしいですか？  "),
                  MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) != IDYES)
        return;

    const auto book = std::find_if(AdrsFolderList.cbegin(), AdrsFolderList.cend(),
                                   [&item](const TAdrsFolderInfo &info) { return info.Name == item->Caption(); });
    if (book == AdrsFolderList.cend() || !DMMurven19)
        return;
    const QString folder = AdrsPath + book->Folder;

    // A book whose files refuse writing gets nothing: its table would open
    // but fail every record.
    (void)ensureBookTable(folder);
    const QString file = bookTableFile(folder);
    if (QFileInfo(folder).isDir()
        && (!QFileInfo(folder).isWritable() || (!file.isEmpty() && !QFileInfo(file).isWritable()))) {
        Inform(QStringLiteral("コピー先のアドレス帳「%1」は書き込みできません  \r\n"
                              "データはコピーされませんでした  ")
                   .arg(book->Name),
               MB_ICONERROR);
        return;
    }

    if (TRecordRun::Running())
        return;
    // The records are taken now: nothing the run meets can move them.
    const TRunRecords records = ChosenListRunRecords(m_dataSelect, m_range);
    m_runTotal = int(records.size());
    bool stopped = false;
    int remaining = 0;
    {
        TWaitCursor hourglass;
        pgbarAdrsCopy->setRange(0, qMax(m_runTotal, 1));
        pgbarAdrsCopy->setValue(0);
        repaint();

        TCopyTables tables;
        tables.AdrsOpened = DMMurven19->OpenAdrs();
        if (!tables.AdrsOpened)
            return;
        // The data module reports a refused open itself; nothing is copied.
        tables.SubOpened = DMMurven19->OpenAdrsSub(book->Folder);
        if (!tables.SubOpened)
            return;
        TTable &source = *DMMurven19->AdrsTable();
        TTable &target = *DMMurven19->AdrsSubTable();

        m_addedCount = m_overwrittenCount = m_skippedCount = 0;
        m_notCopied.clear();
        m_failReason.clear();
        m_targetCount = target.RecordCount();
        CopyRows(source, target, records, stopped, remaining);
    }

    SaveSettings();
    const bool faults = stopped || !m_notCopied.isEmpty();
    Inform(ResultMessage(stopped, remaining), faults ? MB_ICONWARNING : MB_ICONINFORMATION);
    close();
}

void TAddressCopy::CopyRows(TTable &Source, TTable &Target, const TRunRecords &Records, bool &Stopped,
                            int &Remaining)
{
    // One transaction on the target for the run: a record that cannot be
    // posted costs only itself.
    TRecordRun run(this, Target, QStringLiteral("アドレス帳のデータをコピーしています..."), int(Records.size()));
    TRunRecords notCopied;
    if (!run.Begin(&m_failReason)) {
        NameNotCopied(Records);
        return;
    }
    TRunRecords written; // in the batch, until the commit
    const qsizetype barStep = std::max<qsizetype>(1, Records.size() / 100);
    for (int i = 0; i < Records.size(); ++i) {
        const TRunRecord &record = Records[i];
        bool found = false;
        try {
            found = FindRunRecord(Source, record.RecNo);
        } catch (const ETableError &) {
            found = false;
        }
        TCopyResult result = TCopyResult::Failed;
        if (found) {
            // One post per record (an append or an overwrite), undone alone.
            const bool kept = run.Record([&] {
                result = CopyRecord(Source, Target);
                return result == TCopyResult::Added || result == TCopyResult::Overwritten;
            }, TTableBatch::TRecordWrites::One);
            if (!kept && (result == TCopyResult::Added || result == TCopyResult::Overwritten)) {
                if (result == TCopyResult::Added)
                    --m_targetCount;
                result = TCopyResult::Failed; // the batch was lost under it
            }
        }
        switch (result) {
        case TCopyResult::Added:
            ++m_addedCount;
            written << record;
            break;
        case TCopyResult::Overwritten:
            ++m_overwrittenCount;
            written << record;
            break;
        case TCopyResult::Skipped:
            ++m_skippedCount;
            break;
        case TCopyResult::Failed:
            // Not found: deleted since the list was read.
            notCopied << record;
            break;
        case TCopyResult::Stop:
            // The target is full: this record and the rest stay uncopied.
            Stopped = true;
            Remaining = int(Records.size()) - i;
            break;
        }
        if (Stopped)
            break;
        // Moved a hundredth at a time: each setting asks the style whether
        // the bar must be painted again, which would cost the run more than
        // some records do.
        if ((i + 1) % barStep == 0 || i + 1 == Records.size())
            pgbarAdrsCopy->setValue(i + 1);
        if (!run.Next()) {
            if (run.Cancelled()) {
                // What was copied stays; the rest is left as the user asked.
                Remaining = int(Records.size()) - (i + 1);
                Stopped = Remaining > 0;
            } else {
                // The batch was lost: nothing more can be written.
                notCopied << Records.mid(i + 1);
            }
            break;
        }
    }
    if (!run.Commit(&m_failReason)) {
        // Nothing of the run reached the target.
        notCopied << written;
        m_addedCount = m_overwrittenCount = 0;
    }
    std::sort(notCopied.begin(), notCopied.end(),
              [](const TRunRecord &a, const TRunRecord &b) { return a.Row < b.Row; });
    NameNotCopied(notCopied);
}

void TAddressCopy::NameNotCopied(const TRunRecords &Records)
{
    // Named as the list shows them; past those the message lists, only counted.
    for (int i = 0; i < Records.size(); ++i) {
        QString name;
        if (m_notCopied.size() < kListedRows && AddressList)
            name = AddressList->RecordCaption(Records[i]);
        m_notCopied << TNotCopied{Records[i].Row + 1, name};
    }
}

TAddressCopy::TCopyResult TAddressCopy::CopyRecord(TTable &Source, TTable &Target)
{
    try {
        // The copy carries stored bytes over as they are, damaged ones
        // included: it re-encodes nothing, so nothing can be lost on the way.
        if (m_numTargetCount > 0 && rbNotAdd->isChecked() && SameNumberFound(Source, Target, rbOr->isChecked()))
            return TCopyResult::Skipped;

        bool overwrite = false;
        const QByteArray code = Source.FieldByName(QStringLiteral("CustomCode")).AsBytes();
        if (!code.isEmpty()) {
            Target.SetIndexName(QStringLiteral("CustomCode"));
            if (Target.FindKey({QVariant(code)})) {
                if (rbNotUpdate->isChecked())
                    return TCopyResult::Skipped;
                overwrite = true;
            }
        }

        // Only a record the copy adds counts against the target's limit.
        if (!overwrite && m_targetCount > kMaxRecords - 1) {
            Inform(QStringLiteral("最大登録件数10万件に達しました  \r\nこれ以上登録できません  "), MB_ICONINFORMATION);
            return TCopyResult::Stop;
        }
        if (overwrite)
            Target.Edit();
        else
            Target.Append();
        for (int f = 0; f < Target.FieldCount(); ++f) {
            TField &to = Target.Fields(f);
            if (to.DataType() == TFieldType::ftAutoInc)
                continue;
            const TField *from = Source.FindField(to.FieldName());
            if (!from)
                continue;
            if (from->IsNull()) {
                to.Clear();
                continue;
            }
            switch (to.DataType()) {
            case TFieldType::ftString:
            case TFieldType::ftMemo:
                to.SetAsBytes(from->AsBytes());
                break;
            case TFieldType::ftInteger:
                to.SetAsInteger(from->AsInteger());
                break;
            case TFieldType::ftBoolean:
                to.SetAsBoolean(from->AsBoolean());
                break;
            case TFieldType::ftDateTime:
                to.SetAsDateTime(from->AsDateTime());
                break;
            case TFieldType::ftAutoInc:
                break;
            }
        }
        const QDateTime now = CurrentTimeStamp();
        if (!chkSameAddDateTime->isChecked()) {
            Target.FieldByName(QStringLiteral("AddDateTime")).SetAsDateTime(now);
            Target.FieldByName(QStringLiteral("UpdDateTime")).SetAsDateTime(now);
        } else if (!chkSameUpdDateTime->isChecked()) {
            Target.FieldByName(QStringLiteral("UpdDateTime")).SetAsDateTime(now);
        }
        PostTarget(Target);
        if (overwrite)
            return TCopyResult::Overwritten;
        ++m_targetCount;
        return TCopyResult::Added;
    } catch (const ETableError &) {
        // Nothing half-written stays: the pending append or edit is dropped.
        if (Target.State() == TTable::TState::dsInsert || Target.State() == TTable::TState::dsEdit)
            Target.Cancel();
        return TCopyResult::Failed;
    }
}

void TAddressCopy::PostTarget(TTable &Target)
{
    // The run's commit writes it to the file.
    Target.Post();
}

bool TAddressCopy::SameNumberFound(TTable &Source, TTable &Target, bool AnyItem) const
{
    const QList<QCheckBox *> boxes{chkTel, chkFax, chkPortable1, chkPortable2};
    // The checked items whose source value is not empty, in item order.
    QList<QPair<QString, QByteArray>> items;
    for (int i = 0; i < kNumberItems.size(); ++i) {
        if (!boxes[i]->isChecked())
            continue;
        const QByteArray value = Source.FieldByName(kNumberItems[i]).AsBytes();
        if (!value.isEmpty())
            items << qMakePair(kNumberItems[i], value);
    }
    if (items.isEmpty())
        return false;

    if (AnyItem) {
        for (const auto &[item, value] : items) {
            Target.SetIndexName(item);
            if (Target.FindKey({QVariant(value)}))
                return true;
        }
        return false;
    }

    // Walk the records holding the first item's value; one whose every
    // compared item equals the source's is a match.
    const auto &[lookup, lookupValue] = items.first();
    Target.SetIndexName(lookup);
    Target.FindNearest({QVariant(lookupValue)});
    while (!Target.Eof() && Target.FieldByName(lookup).AsBytes() == lookupValue) {
        const bool all = std::all_of(items.cbegin(), items.cend(), [&Target](const QPair<QString, QByteArray> &i) {
            return Target.FieldByName(i.first).AsBytes() == i.second;
        });
        if (all)
            return true;
        Target.Next();
    }
    return false;
}

QString TAddressCopy::ResultMessage(bool Stopped, int Remaining) const
{
    const QString unit = QStringLiteral(" 件  ");
    QString text = QStringLiteral("アドレス帳のコピーが完了しました  \r\n\r\n");
    if (Stopped)
        text = QStringLiteral("アドレス帳のコピーを中止しました  \r\n\r\n");
    else if (!m_notCopied.isEmpty())
        text = QStringLiteral("アドレス帳のコピー中にコピーできないデータがありました  \r\n\r\n");
    text += QStringLiteral("対象件数 : \t") + QString::number(m_runTotal) + unit;
    text += QStringLiteral("\r\n登録件数 : \t") + QString::number(m_addedCount) + unit;
    if (m_overwrittenCount > 0)
        text += QStringLiteral("\r\n上書き件数 : \t") + QString::number(m_overwrittenCount) + unit;
    if (m_skippedCount > 0)
        text += QStringLiteral("\r\n未処理件数 : \t") + QString::number(m_skippedCount) + unit;
    if (!m_notCopied.isEmpty())
        text += QStringLiteral("\r\nコピーできなかった件数 : \t") + QString::number(m_notCopied.size()) + unit;
    if (Stopped)
        text += QStringLiteral("\r\n中止で残った件数 : \t") + QString::number(Remaining) + unit;
    if (!m_notCopied.isEmpty()) {
        text += QStringLiteral("\r\n\r\nコピーできなかったデータ :  ");
        for (int i = 0; i < m_notCopied.size() && i < kListedRows; ++i) {
            text += QStringLiteral("\r\n") + m_notCopied[i].Name;
        }
        if (m_notCopied.size() > kListedRows)
            text += QStringLiteral("\r\nほか ") + QString::number(m_notCopied.size() - kListedRows) + unit;
    }
    if (!m_failReason.isEmpty())
        text += QStringLiteral("\r\n\r\n") + m_failReason;
    return text;
}

TAddressCopy *ShowAddressCopy(QWidget *Owner)
{
    if (!AddressCopy) {
        TWaitCursor hourglass;
        new TAddressCopy(Owner);
        AddressCopy->show();
    } else if (AddressCopy->isMinimized()) {
        AddressCopy->showNormal();
    }
    AddressCopy->raise();
    AddressCopy->activateWindow();
    return AddressCopy;
}
