#include "exchange/MExport.h"

#include "exchange/ExportWindow.h"
#include "exchange/ExportWriter.h"

#include "addressbook/AdrsList.h"
#include "addressbook/ListRowChoice.h"
#include "core/AppSub.h"
#include "core/DBInfo.h"
#include "core/Env.h"
#include "core/OwnFiles.h"
#include "platform/Cp932.h"
#include "platform/IniFile.h"
#include "platform/SafeFile.h"
#include "platform/Table.h"
#include "util/MsgBoxPos.h"
#include "util/SubUnit.h"
#include "util/WaitCursor.h"
#include "widgets/CheckedCaption.h"
#include "widgets/ByteLimitValidator.h"
#include "widgets/EnterKey.h"
#include "widgets/RangeControls.h"

#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QtEndian>

namespace {

class TNoMapProgram : public TMarkWriter
{
public:
    bool Available(QString *Reason) const override
    {
        if (Reason)
            *Reason = QStringLiteral("地図ソフトがインストールされていません  \r\nマークファイルを出力できません  ");
        return false;
    }
    std::optional<QByteArray> MarkRecord(const TMarkEntry &) override { return std::nullopt; }
};

} // namespace

QList<TMarkEntry> CollectMarkRows(TTable &Table, const TRunRecords &Records, const std::function<bool()> &Next,
                                  bool *Stopped)
{
    if (Stopped)
        *Stopped = false;
    QList<TMarkEntry> marks;
    for (const TRunRecord &record : Records) {
        if (FindRunRecord(Table, record.RecNo)) {
            const qint32 latitude = Table.FieldByName(QStringLiteral("Latitude")).AsInteger();
            const qint32 longitude = Table.FieldByName(QStringLiteral("Longitude")).AsInteger();
            if (latitude > 0 && longitude > 0) {
                TMarkEntry mark{QByteArray(), latitude, longitude};
                if (Table.FieldByName(QStringLiteral("PrivCorp")).AsBoolean()) {
                    const QString name =
                        DecodeUnicodeField(Table.FieldByName(QStringLiteral("NameKanji")).AsBytesView());
                    // The look-alikes the encoder maps are no loss; only a "?" is.
                    mark.LossyName = !UnstorableCharList(name).isEmpty();
                    mark.Name = Cp932::encode(name);
                } else {
                    mark.Name = Table.FieldByName(QStringLiteral("CorpKanji")).AsBytes();
                }
                marks << mark;
            }
        }
        if (Next && !Next()) {
            if (Stopped)
                *Stopped = true;
            break;
        }
    }
    return marks;
}

std::unique_ptr<TMarkWriter> CreateMarkWriter()
{
    return std::make_unique<TNoMapProgram>();
}

QByteArray AtlasMarkRecord(const TAtlasMesh &Mesh, const QByteArray &Name)
{
    QByteArray record(AtlasMarkRecordSize, '\0');
    char *p = record.data();
    qToLittleEndian<quint16>(1, p);
    qToLittleEndian<quint16>(0, p + 2);
    qToLittleEndian<quint16>(Mesh.Word, p + 4);
    p[6] = char(Mesh.Byte1);
    p[7] = char(Mesh.Byte2);
    qToLittleEndian<quint32>(Mesh.Long1, p + 8);
    qToLittleEndian<quint32>(Mesh.Long2, p + 12);
    // The name stays zero-terminated inside its field.
    const QByteArray name = Name.left(AtlasMarkNameSize - 1);
    std::copy(name.cbegin(), name.cend(), p + 16);
    return record;
}

std::optional<QList<TAtlasMark>> ReadAtlasMarkFile(const QByteArray &Bytes)
{
    if (Bytes.size() % AtlasMarkRecordSize != 0)
        return std::nullopt;
    QList<TAtlasMark> marks;
    for (qsizetype at = 0; at < Bytes.size(); at += AtlasMarkRecordSize) {
        const char *p = Bytes.constData() + at;
        if (qFromLittleEndian<quint16>(p) != 1 || qFromLittleEndian<quint16>(p + 2) != 0)
            return std::nullopt;
        TAtlasMark mark;
        mark.Mesh.Word = qFromLittleEndian<quint16>(p + 4);
        mark.Mesh.Byte1 = quint8(p[6]);
        mark.Mesh.Byte2 = quint8(p[7]);
        mark.Mesh.Long1 = qFromLittleEndian<quint32>(p + 8);
        mark.Mesh.Long2 = qFromLittleEndian<quint32>(p + 12);
        const QByteArray field(p + 16, AtlasMarkNameSize);
        const qsizetype end = field.indexOf('\0');
        if (end < 0)
            return std::nullopt;
        mark.Name = field.left(end);
        marks << mark;
    }
    return marks;
}

std::optional<QByteArray> TAtlasMarkWriter::MarkRecord(const TMarkEntry &Mark)
{
    if (Mark.Latitude == 0 || Mark.Longitude == 0 || !m_meshOf)
        return std::nullopt;
    const std::optional<TAtlasMesh> mesh = m_meshOf(Mark.Latitude, Mark.Longitude);
    if (!mesh || mesh->IsEmpty())
        return std::nullopt;
    return AtlasMarkRecord(*mesh, Mark.Name);
}

bool TAtlasMarkWriter::IsMarkFile(const QByteArray &Bytes) const
{
    return ReadAtlasMarkFile(Bytes).has_value();
}

QString MarkNothingMessage(int DataSelect)
{
    const QString where = DataSelect == 1   ? QStringLiteral("指定した範囲のデータの中には  ")
                          : DataSelect == 2 ? QStringLiteral("一覧に表示されているデータの中には  ")
                                            : QStringLiteral("一覧で選択したデータの中には  ");
    return where + QStringLiteral("\r\n地図情報を持つデータがありませんでした  ");
}

QString MarkQuestion(int Count)
{
    return QStringLiteral("地図情報を持つ %1 件のデータを  \r\nマークファイルとして出力します  \r\nよろしいですか？  ")
        .arg(Count);
}

QString MarkDoneMessage(int OutputCount, int Written, int LossyNames, int Refused)
{
    QString text = QStringLiteral("マークファイルの出力が完了しました  \r\n\r\n対象件数 : %1 件  \r\n出力件数 : %2 件  ")
                       .arg(OutputCount)
                       .arg(Written);
    // The mark file is Shift-JIS: the map program shows "?" in such a name.
    if (LossyNames > 0)
        text += QStringLiteral("\r\n\r\n名前に出力できない文字があり「?」で出力したデータ : %1 件  ").arg(LossyNames);
    // Refused marks would otherwise pass for records without a position.
    if (Refused > 0) {
        text += QStringLiteral("\r\n\r\n地図ソフトが受け付けなかったデータ : %1 件  ").arg(Refused);
        if (Written == 0)
            text += QStringLiteral("\r\nマークファイルは変更していません  ");
    }
    return text;
}

TMarkRunResult WriteMarks(TMarkWriter &Writer, const QString &File, bool Overwrite, const QList<TMarkEntry> &Marks,
                          const std::function<void()> &Progress)
{
    TMarkRunResult result;
    if (!Writer.Available(&result.Failure))
        return result;
    if (const QString refusal = ProgramFileRefusal(File); !refusal.isEmpty()) {
        result.Failure = refusal;
        return result;
    }
    // An earlier version's save killed half-way left the old file under its aside name; it is
    // put back first, or the marks are appended to nothing and this save
    // deletes the copy.
    RecoverSafeReplace(File);
    QByteArray content;
    if (!Overwrite && QFileInfo::exists(File)) {
        QFile old(File);
        if (!old.open(QIODevice::ReadOnly) || (content = old.readAll(), old.error() != QFileDevice::NoError)) {
            result.Failure = QStringLiteral("追加先のファイルが読めませんでした  \r\n") + File + QStringLiteral("  \r\n") +
                             old.errorString();
            return result;
        }
        // Records after bytes of another kind would spoil that file and be
        // unreadable to the map program.
        if (!Writer.IsMarkFile(content)) {
            result.Failure = QStringLiteral("マークファイルではないファイルには追加できません  \r\n") + File +
                             QStringLiteral("  ");
            return result;
        }
    }
    int taken = 0;
    int lossy = 0;
    for (const TMarkEntry &mark : Marks) {
        if (const std::optional<QByteArray> record = Writer.MarkRecord(mark)) {
            content += *record;
            ++taken;
            if (mark.LossyName)
                ++lossy;
        }
        if (Progress)
            Progress();
    }
    result.Refused = int(Marks.size()) - taken;
    // No mark taken: the old file, if any, is left as it is.
    if (taken == 0)
        return result;
    QString error;
    if (!SafeReplaceFile(File, content, &error)) {
        result.Failure = QStringLiteral("マークファイルに出力できませんでした  \r\n") + File + QStringLiteral("  \r\n") + error;
        return result;
    }
    result.Written = taken;
    result.LossyNames = lossy;
    return result;
}

// ---- The window

TMarkExport *MarkExport = nullptr;
std::function<QString(const QString &, int &)> TMarkExport::SaveDialogOverride;
std::function<std::unique_ptr<TMarkWriter>()> TMarkExport::WriterOverride;

namespace {

const QString kSection = QStringLiteral("MARK EXPORT");

} // namespace

TMarkExport::TMarkExport(QWidget *Owner) : QWidget(Owner, Qt::Window)
{
    MarkExport = this;
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("MarkExport"));
    setWindowTitle(QStringLiteral("マークファイルの出力"));
    setProperty("HelpContext", 62);
    CreateControls();
    LoadWindowPosition();
    LoadMarkSettings();
    RegisterRowWindow(this);
    // Enter leads to 出力: Return there (and on any focused button) presses it.
    PressFocusedButtonOnEnter(this);
}

TMarkExport::~TMarkExport()
{
    SaveWindowPosition();
    if (MarkExport == this)
        MarkExport = nullptr;
}

void TMarkExport::CreateControls()
{
    auto makeRadio = [this](const char *name, const QString &caption, int tag) {
        auto *button = new QRadioButton(caption, this);
        button->setObjectName(QString::fromLatin1(name));
        button->setProperty("Tag", tag);
        button->installEventFilter(this);
        return button;
    };
    auto makeButton = [this](const char *name, const QString &caption) {
        auto *button = new QPushButton(caption, this);
        button->setObjectName(QString::fromLatin1(name));
        button->setAutoDefault(false);
        return button;
    };

    const TExportDataBox data = MakeExportDataBox(this, m_range, makeRadio);
    rbList = data.List;
    rbRange = data.Range;
    rbAll = data.All;
    lblDataCount = data.Count;
    edtRangeBegin = m_range.BeginEdit;
    edtRangeEnd = m_range.EndEdit;
    m_range.Changed = [this] {
        if (m_dataSelect == 1)
            CalcOutputCount();
    };

    pgbarExport = new QProgressBar(this);
    pgbarExport->setObjectName(QStringLiteral("pgbarExport"));
    pgbarExport->setTextVisible(false);
    btnExport = makeButton("btnExport", QStringLiteral("出力"));
    btnClose = makeButton("btnClose", QStringLiteral("閉じる"));
    auto *buttonRow = new QHBoxLayout;
    buttonRow->addWidget(pgbarExport, 1);
    buttonRow->addWidget(btnExport);
    buttonRow->addWidget(btnClose);

    auto *main = new QVBoxLayout(this);
    main->addWidget(data.Box);
    main->addLayout(buttonRow);

    for (QRadioButton *button : {rbList, rbRange, rbAll}) {
        connect(button, &QRadioButton::toggled, this, [this, button](bool checked) {
            PaintCheckedCaption(button);
            if (checked)
                DataSelectClick(button->property("Tag").toInt());
        });
    }
    connect(btnExport, &QPushButton::clicked, this, &TMarkExport::btnExportClick);
    connect(btnClose, &QPushButton::clicked, this, &QWidget::close);
}

void TMarkExport::LoadWindowPosition()
{
    MoveToStoredPosition(this, TMemIniFile(SettingsFileName()), kSection);
}

void TMarkExport::SaveWindowPosition() const
{
    StoreWindowPosition(this, kSection);
}

void TMarkExport::LoadMarkSettings()
{
    const TMemIniFile ini(SettingsFileName());
    int dataSelect = ini.ReadInteger(kSection, QStringLiteral("DataSelect"), 0);
    if (dataSelect < 0 || dataSelect > 2)
        dataSelect = 0;
    m_file = ini.ReadString(kSection, QStringLiteral("File"), QString());
    m_range.Init(AddressList ? AddressList->GetRowCount() : 0, ini.ReadInteger(kSection, QStringLiteral("BeginPos"), 0),
               ini.ReadInteger(kSection, QStringLiteral("EndPos"), 0));
    m_dataSelect = -1;
    m_range.SetEnabled(m_dataSelect == 1);
    (dataSelect == 1 ? rbRange : dataSelect == 2 ? rbAll : rbList)->setChecked(true);
}

void TMarkExport::SaveMarkSettings()
{
    TMemIniFile ini(SettingsFileName());
    ini.WriteInteger(kSection, QStringLiteral("DataSelect"), m_dataSelect);
    ini.WriteInteger(kSection, QStringLiteral("BeginPos"), m_range.BeginPos());
    ini.WriteInteger(kSection, QStringLiteral("EndPos"), m_range.EndPos());
    ini.WriteString(kSection, QStringLiteral("File"), m_file);
    QString error;
    if (!ini.UpdateFile(&error))
        Inform(error, MB_ICONERROR);
}

void TMarkExport::UpdateDataRange()
{
    m_range.Reset(AddressList ? AddressList->GetRowCount() : 0);
    CalcOutputCount();
}

void TMarkExport::DataSelectClick(int Tag)
{
    if (Tag == m_dataSelect)
        return;
    m_dataSelect = Tag;
    m_range.SetEnabled(m_dataSelect == 1);
    CalcOutputCount();
}

void TMarkExport::CalcOutputCount()
{
    m_outputCount = ChosenListRowCount(m_dataSelect, m_range);
    lblDataCount->setText(QString::number(m_outputCount) + QStringLiteral(" 件"));
    btnExport->setEnabled(m_outputCount != 0);
}

bool TMarkExport::eventFilter(QObject *Watched, QEvent *Event)
{
    if (m_range.FilterEvent(Watched, Event))
        return true;
    if (Event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(Event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (Watched == rbList)
                (btnExport->isEnabled() ? btnExport : btnClose)->setFocus(Qt::TabFocusReason);
            else
                focusNextChild();
            return true;
        }
    }
    return QWidget::eventFilter(Watched, Event);
}

int TMarkExport::Inform(const QString &Text, unsigned Flags)
{
    return ShowMessageBoxAt(this, Text, ProductCaption(), Flags, mbpCenterOnOwner, 0, 0);
}

QString TMarkExport::AskSaveName(const QString &Path, int &FilterIndex)
{
    if (SaveDialogOverride)
        return SaveDialogOverride(Path, FilterIndex);
    return AskExportSaveName(this, Path, {QStringLiteral("マークファイル (*.mri)"), QStringLiteral("すべてのファイル (*)")},
                             FilterIndex);
}

int TMarkExport::ChooseMarkFile()
{
    TExportTargetAsk ask;
    ask.Inform = [this](const QString &Text, unsigned Flags) { return Inform(Text, Flags); };
    ask.DefaultName = QStringLiteral("Mark01.mri");
    ask.AskName = [this](const QString &Start) {
        int filter = 1;
        QString chosen = AskSaveName(Start, filter).trimmed();
        // Whatever filter entry was chosen, a bare name is a mark file.
        if (!chosen.isEmpty() && QFileInfo(chosen).suffix().isEmpty())
            chosen += QStringLiteral(".mri");
        return chosen;
    };
    const std::optional<QString> target = AskExportTarget(m_file, ask);
    if (!target)
        return 9;
    const QString path = *target;
    int result = 0;
    if (QFileInfo::exists(path)) {
        result = AskOverwriteOrAppend([this](const QString &Text, unsigned Flags) { return Inform(Text, Flags); });
        if (result == 9)
            return 9;
    }
    m_file = path;
    return result;
}

std::unique_ptr<TMarkWriter> TMarkExport::MakeWriter() const
{
    return WriterOverride ? WriterOverride() : CreateMarkWriter();
}

void TMarkExport::btnExportClick()
{
    TTable *table = DMMurven19 ? DMMurven19->AdrsTable() : nullptr;
    if (!table || m_outputCount == 0)
        return;
    // Without the map program there is nothing to write into: said before
    // the user is asked anything.
    const std::unique_ptr<TMarkWriter> writer = MakeWriter();
    QString failure;
    if (!writer->Available(&failure)) {
        Inform(failure, MB_ICONINFORMATION);
        return;
    }

    // The records are taken now: nothing that happens during the run can
    // put another record under a row.
    const TRunRecords records = ChosenListRunRecords(m_dataSelect, m_range);
    const int outputCount = m_outputCount;
    QList<TMarkEntry> marks;
    bool stopped = false;
    {
        TWaitCursor hourglass;
        TRecordRun run(this, *table, windowTitle(), int(records.size()));
        if (!run.Begin(&failure)) {
            Inform(QStringLiteral("出力できませんでした  \r\n") + failure, MB_ICONERROR);
            return;
        }
        marks = CollectMarkRows(*table, records, [&] { return run.Next(); }, &stopped);
        (void)run.Commit(&failure);
    }
    if (stopped) {
        Inform(QStringLiteral("出力を中止しました  \r\nファイルには何も書き込んでいません  "), MB_ICONINFORMATION);
        return;
    }
    if (marks.isEmpty()) {
        Inform(MarkNothingMessage(m_dataSelect), MB_ICONINFORMATION);
        return;
    }
    if (Inform(MarkQuestion(int(marks.size())), MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    const int target = ChooseMarkFile();
    if (target == 9)
        return;

    TMarkRunResult result;
    {
        TWaitCursor hourglass;
        pgbarExport->setRange(0, int(marks.size()));
        pgbarExport->setValue(0);
        repaint();
        result = WriteMarks(*writer, m_file, target == 0, marks, [this] {
            pgbarExport->setValue(pgbarExport->value() + 1);
        });
        pgbarExport->setValue(0);
    }
    if (!result.Failure.isEmpty()) {
        Inform(result.Failure, MB_ICONERROR);
        return;
    }
    SaveMarkSettings();
    Inform(MarkDoneMessage(outputCount, result.Written, result.LossyNames, result.Refused),
           result.LossyNames > 0 || result.Refused > 0 ? MB_ICONWARNING : MB_ICONINFORMATION);
    close();
}

TMarkExport *ShowMarkExport(QWidget *Owner)
{
    if (!MarkExport) {
        TWaitCursor hourglass;
        new TMarkExport(Owner);
        MarkExport->show();
    } else if (MarkExport->isMinimized()) {
        MarkExport->showNormal();
    } else {
        MarkExport->show();
    }
    MarkExport->raise();
    MarkExport->activateWindow();
    return MarkExport;
}

void RegisterMarkExport()
{
    MarkExportOpener = [](QWidget *Owner) { ShowMarkExport(Owner); };
}
