#include "addressbook/BatchChg.h"

#include "addressbook/AdrsList.h"
#include "core/AppSub.h"
#include "core/ContinualAdrsDicClass.h"
#include "core/DBInfo.h"
#include "core/Environment.h"
#include "core/Env.h"
#include "core/GrpEdt.h"
#include "core/HisInfo.h"
#include "core/Inquiry.h"
#include "platform/Cp932.h"
#include "platform/IniFile.h"
#include "platform/Table.h"
#include "platform/TextLines.h"
#include "util/MsgBoxPos.h"
#include "util/SubUnit.h"
#include "util/WaitCursor.h"
#include "widgets/ByteLimitValidator.h"
#include "widgets/CheckedCaption.h"
#include "widgets/EnterKey.h"
#include "widgets/RecordRun.h"
#include "widgets/TntStdCtrls.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

TBatchChangeFormHook BatchChangeFormHook;

namespace {

constexpr int KeywordBytes = 100; // width of Keyword1..8 in Adrs.DB

template <class T>
T *Named(T *widget, const char *name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}


// A value control: enabled with the window colour, or disabled showing the
// button face.
void enableValue(QWidget *widget, bool enabled)
{
    widget->setEnabled(enabled);
    QPalette palette = QApplication::palette(widget);
    const QColor face = ColorToQColor(enabled ? clWindow : clBtnFace);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::Base, face);
    widget->setPalette(palette);
}

// The keyword's input-method mode as the platform's hint: the two
// alphanumeric modes ask for Latin input, the kana modes leave the
// method as it is.
void applyInputMode(QWidget *widget, int mode)
{
    widget->setInputMethodHints(mode == 1 || mode == 5 ? Qt::ImhPreferLatin : Qt::ImhNone);
}

// The colour-set glyph of the colour button: three overlapping swatches.
QIcon colorSetGlyph()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    const QColor colours[] = {QColor(255, 0, 0), QColor(0, 160, 0), QColor(0, 0, 255)};
    for (int i = 0; i < 3; ++i) {
        painter.setBrush(colours[i]);
        painter.drawRect(1 + i * 4, 1 + i * 4, 8, 8);
    }
    return QIcon(pixmap);
}

// A text value as it is stored: trimmed, CP932, cut to the field's width.
QByteArray storedText(const QString &text, int width)
{
    return Cp932::truncated(Cp932::encode(TrimBlanks(text)), width);
}

const std::array<const char *, 8> KeywordFields = {"Keyword1", "Keyword2", "Keyword3", "Keyword4",
                                                    "Keyword5", "Keyword6", "Keyword7", "Keyword8"};

} // namespace

TBatchChange::TBatchChange(QWidget *Owner) : QDialog(Owner)
{
    setObjectName(QStringLiteral("BatchChange"));
    setWindowTitle(QStringLiteral("アドレス帳の一括編集"));
    setProperty("HelpContext", HelpContext);
    m_searchFactory = [] {
        return std::make_unique<TContinualAdrsSearch>(AppPath, AppPath + QStringLiteral("Dic/"));
    };

    lblMessage1 = Named(new QLabel(QStringLiteral("選択したデータの項目内容を一括で編集します"), this), "lblMessage1");
    lblMessage2 = Named(new QLabel(QStringLiteral("変更する内容を設定してください"), this), "lblMessage2");

    // メイン: group, city code, private or company, name flag.
    gbMain = Named(new QGroupBox(QStringLiteral("メイン"), this), "gbMain");
    chkGroup = Named(new QCheckBox(QStringLiteral("グループ"), gbMain), "chkGroup");
    cbxGroup = Named(new TTntComboBox(gbMain), "cbxGroup");
    cbxGroup->SetStyle(TComboBoxStyle::csDropDownList);
    cbxGroup->setMaxVisibleItems(11);
    chkGetJisCode = Named(new QCheckBox(QStringLiteral("市町村コードを取得"), gbMain), "chkGetJisCode");
    lblJisNote = Named(new QLabel(QStringLiteral("※市町村コードを取得するには、住所欄が入力されている必要があります"),
                                  gbMain),
                       "lblJisNote");
    lblJisNote->setWordWrap(true);
    chkPrivCorp = Named(new QCheckBox(QStringLiteral("個人と会社の切り替え"), gbMain), "chkPrivCorp");
    rbPriv = Named(new QRadioButton(QStringLiteral("個人"), gbMain), "rbPriv");
    rbCorp = Named(new QRadioButton(QStringLiteral("会社"), gbMain), "rbCorp");
    chkIgnoreName = Named(new QCheckBox(QStringLiteral("宛名の印刷に名前を使用しない"), gbMain), "chkIgnoreName");
    rbIgnoreNameTrue = Named(new QRadioButton(QStringLiteral("チェックする"), gbMain), "rbIgnoreNameTrue");
    rbIgnoreNameFalse = Named(new QRadioButton(QStringLiteral("チェックしない"), gbMain), "rbIgnoreNameFalse");
    auto *mainGrid = new QGridLayout(gbMain);
    mainGrid->addWidget(chkGroup, 0, 0);
    mainGrid->addWidget(cbxGroup, 0, 1, 1, 2);
    mainGrid->addWidget(chkGetJisCode, 1, 0);
    mainGrid->addWidget(lblJisNote, 2, 0, 1, 3);
    mainGrid->addWidget(chkPrivCorp, 3, 0);
    mainGrid->addWidget(rbPriv, 3, 1);
    mainGrid->addWidget(rbCorp, 3, 2);
    mainGrid->addWidget(chkIgnoreName, 4, 0);
    mainGrid->addWidget(rbIgnoreNameTrue, 4, 1);
    mainGrid->addWidget(rbIgnoreNameFalse, 4, 2);

    // サブ: print target, sender.
    gbSub = Named(new QGroupBox(QStringLiteral("サブ"), this), "gbSub");
    chkPrintTarget = Named(new QCheckBox(QStringLiteral("印刷指定"), gbSub), "chkPrintTarget");
    rbPrintTarget = Named(new QRadioButton(QStringLiteral("印刷対象"), gbSub), "rbPrintTarget");
    rbPrintException = Named(new QRadioButton(QStringLiteral("印刷除外"), gbSub), "rbPrintException");
    rbPrintUnspec = Named(new QRadioButton(QStringLiteral("指定なし"), gbSub), "rbPrintUnspec");
    chkSender = Named(new QCheckBox(QStringLiteral("差出人"), gbSub), "chkSender");
    cbxSender = Named(new TTntComboBox(gbSub), "cbxSender");
    cbxSender->SetStyle(TComboBoxStyle::csDropDownList);
    auto *subGrid = new QGridLayout(gbSub);
    subGrid->addWidget(chkPrintTarget, 0, 0);
    subGrid->addWidget(rbPrintTarget, 0, 1);
    subGrid->addWidget(rbPrintException, 0, 2);
    subGrid->addWidget(rbPrintUnspec, 0, 3);
    subGrid->addWidget(chkSender, 1, 0);
    subGrid->addWidget(cbxSender, 1, 1, 1, 3);

    // メモ: keywords 1..8 under the user's captions.
    gbMemo = Named(new QGroupBox(QStringLiteral("メモ"), this), "gbMemo");
    auto *memoGrid = new QGridLayout(gbMemo);
    std::array<QCheckBox *, 8> keywordChecks{};
    for (int i = 0; i < 8; ++i) {
        const auto n = static_cast<std::size_t>(i + 1);
        keywordChecks[size_t(i)] = new QCheckBox(KeywordNames[n], gbMemo);
        keywordChecks[size_t(i)]->setObjectName(QStringLiteral("chkKeyword%1").arg(i + 1));
        QWidget *value = nullptr;
        if (i < 5) {
            auto *edit = new TTntEdit(gbMemo);
            edit->setObjectName(QStringLiteral("edtKeyword%1").arg(i + 1));
            edit->SetMaxLengthBytes(KeywordBytes);
            edtKeyword[size_t(i)] = edit;
            value = edit;
        } else {
            auto *combo = new TTntComboBox(gbMemo);
            combo->setObjectName(QStringLiteral("cbxKeyword%1").arg(i + 1));
            combo->SetStyle(TComboBoxStyle::csDropDown);
            combo->lineEdit()->setValidator(new TByteLimitValidator(KeywordBytes, combo->lineEdit()));
            cbxKeyword[size_t(i - 5)] = combo;
            value = combo;
        }
        applyInputMode(value, KeywordModes[n]);
        memoGrid->addWidget(keywordChecks[size_t(i)], i, 0);
        memoGrid->addWidget(value, i, 1);
    }
    memoGrid->setColumnStretch(1, 1);

    // その他: symbol mark and colour.
    gbOther = Named(new QGroupBox(QStringLiteral("その他"), this), "gbOther");
    chkSymbolMark = Named(new QCheckBox(QStringLiteral("シンボルマーク"), gbOther), "chkSymbolMark");
    cbxSymbolMark = Named(new TTntComboBox(gbOther), "cbxSymbolMark");
    cbxSymbolMark->SetStyle(TComboBoxStyle::csDropDownList);
    chkSymbolColor = Named(new QCheckBox(QStringLiteral("シンボル色"), gbOther), "chkSymbolColor");
    pnlSymbolColor = Named(new QFrame(gbOther), "pnlSymbolColor");
    pnlSymbolColor->setFrameShape(QFrame::Panel);
    pnlSymbolColor->setFrameShadow(QFrame::Sunken);
    pnlSymbolColor->setAutoFillBackground(true);
    pnlSymbolColor->setMinimumSize(40, 20);
    bbtnSymbolColor = Named(new QPushButton(colorSetGlyph(), QStringLiteral("色の変更"), gbOther), "bbtnSymbolColor");
    auto *otherGrid = new QGridLayout(gbOther);
    otherGrid->addWidget(chkSymbolMark, 0, 0);
    otherGrid->addWidget(cbxSymbolMark, 0, 1, 1, 2);
    otherGrid->addWidget(chkSymbolColor, 1, 0);
    otherGrid->addWidget(pnlSymbolColor, 1, 1);
    otherGrid->addWidget(bbtnSymbolColor, 1, 2);

    btnStart = Named(new QPushButton(QStringLiteral("開始"), this), "btnStart");
    btnCancel = Named(new QPushButton(QStringLiteral("キャンセル"), this), "btnCancel");
    // Enter walks the fields to 開始; Return on a focused button presses it.
    btnStart->setDefault(true);

    m_checks = {chkGroup,   chkGetJisCode, chkPrivCorp,      chkIgnoreName,    chkPrintTarget,   chkSender,
                keywordChecks[0], keywordChecks[1], keywordChecks[2], keywordChecks[3], keywordChecks[4],
                keywordChecks[5], keywordChecks[6], keywordChecks[7], chkSymbolMark, chkSymbolColor};

    // Each option pair or triple is one exclusive group inside its box.
    for (const auto &set : {std::vector<QRadioButton *>{rbPriv, rbCorp},
                            std::vector<QRadioButton *>{rbIgnoreNameTrue, rbIgnoreNameFalse},
                            std::vector<QRadioButton *>{rbPrintTarget, rbPrintException, rbPrintUnspec}}) {
        auto *group = new QButtonGroup(this);
        for (QRadioButton *radio : set) {
            group->addButton(radio);
            connect(radio, &QRadioButton::toggled, this, &TBatchChange::UpdateColours);
        }
    }
    rbPriv->setChecked(true);
    rbIgnoreNameTrue->setChecked(true);
    rbPrintTarget->setChecked(true);

    auto *columns = new QHBoxLayout;
    auto *left = new QVBoxLayout;
    left->addWidget(gbMain);
    left->addWidget(gbSub);
    left->addWidget(gbOther);
    left->addStretch();
    columns->addLayout(left);
    columns->addWidget(gbMemo, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnStart);
    buttons->addWidget(btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblMessage1);
    layout->addWidget(lblMessage2);
    layout->addLayout(columns);
    layout->addLayout(buttons);

    BuildLists();

    for (QCheckBox *check : m_checks)
        connect(check, &QCheckBox::clicked, this, &TBatchChange::CheckClick);
    connect(bbtnSymbolColor, &QPushButton::clicked, this, &TBatchChange::bbtnSymbolColorClick);
    connect(btnStart, &QPushButton::clicked, this, &TBatchChange::btnStartClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    // Enter walks to the next control everywhere but on the buttons.
    for (QWidget *child : findChildren<QWidget *>()) {
        if (!qobject_cast<QPushButton *>(child) && child->focusPolicy() != Qt::NoFocus)
            child->installEventFilter(this);
    }

    CheckClick(); // every value control disabled, "開始" too
    adjustSize();
}

TBatchChange::~TBatchChange() = default;

void TBatchChange::SetAdrsSearchFactory(TAdrsSearchFactory Factory) { m_searchFactory = std::move(Factory); }

void TBatchChange::BuildLists()
{
    cbxGroup->addItem(QStringLiteral("指定しない"));
    for (int i = 1; i <= GroupCount; ++i)
        cbxGroup->addItem(QStringLiteral("%1： %2").arg(i, 2).arg(GroupNames[size_t(i)]));
    cbxGroup->SetItemIndex(0);

    cbxSender->addItem(QStringLiteral("標準"));
    m_senderRecNos = {0};
    if (AddressList) {
        for (int i = 0; i < AddressList->GetSenderCount(); ++i) {
            cbxSender->addItem(AddressList->GetSenderName(i));
            m_senderRecNos << AddressList->GetSenderRecNo(i);
        }
    }
    cbxSender->SetItemIndex(0);

    for (int i = 0; i < 3; ++i) {
        const THistoryData *history = DMMurven19 ? DMMurven19->KeywordHistory(i + 1) : nullptr;
        if (history && history->IsLoaded()) {
            for (int j = 0; j < history->GetCount(); ++j)
                cbxKeyword[size_t(i)]->addItem(Cp932::decode(history->GetText(j)));
        }
        cbxKeyword[size_t(i)]->SetText(QString());
    }

    cbxSymbolMark->addItem(QStringLiteral("指定しない"));
    for (const QString &mark : SymbolMarks)
        cbxSymbolMark->addItem(mark);
    cbxSymbolMark->SetItemIndex(0);
}

TBatchChangeFlags TBatchChange::Flags() const
{
    TBatchChangeFlags flags{};
    for (int i = 0; i < BatchItemCount; ++i)
        flags[size_t(i)] = m_checks[size_t(i)]->isChecked();
    return flags;
}

void TBatchChange::CheckClick()
{
    const TBatchChangeFlags flags = Flags();
    enableValue(cbxGroup, flags[biGroup]);
    for (QWidget *radio : {rbPriv, rbCorp})
        radio->setEnabled(flags[biPrivCorp]);
    for (QWidget *radio : {rbIgnoreNameTrue, rbIgnoreNameFalse})
        radio->setEnabled(flags[biIgnoreName]);
    for (QWidget *radio : {rbPrintTarget, rbPrintException, rbPrintUnspec})
        radio->setEnabled(flags[biPrintTarget]);
    enableValue(cbxSender, flags[biSender]);
    for (int i = 0; i < 5; ++i)
        enableValue(edtKeyword[size_t(i)], flags[size_t(biKeyword1 + i)]);
    for (int i = 0; i < 3; ++i)
        enableValue(cbxKeyword[size_t(i)], flags[size_t(biKeyword1 + 5 + i)]);
    enableValue(cbxSymbolMark, flags[biSymbolMark]);

    // The panel shows the held colour only while the colour takes part.
    QPalette panel = pnlSymbolColor->palette();
    panel.setColor(QPalette::Window, ColorToQColor(flags[biSymbolColor] ? m_symbolColor : clBtnFace));
    pnlSymbolColor->setPalette(panel);
    bbtnSymbolColor->setEnabled(flags[biSymbolColor]);

    btnStart->setEnabled(std::any_of(flags.begin(), flags.end(), [](bool on) { return on; }));
    UpdateColours();
}

void TBatchChange::UpdateColours()
{
    for (QCheckBox *check : m_checks)
        PaintCheckedCaption(check);
    for (QRadioButton *radio : {rbPriv, rbCorp, rbIgnoreNameTrue, rbIgnoreNameFalse, rbPrintTarget,
                                rbPrintException, rbPrintUnspec})
        PaintCheckedCaption(radio);
}

void TBatchChange::showEvent(QShowEvent *Event)
{
    QDialog::showEvent(Event);
    CenterFormOnOwner(this, parentWidget());
}

bool TBatchChange::eventFilter(QObject *Watched, QEvent *Event)
{
    // An open drop-down list (a window of its own) keeps Enter to choose its item.
    if (IsEnterKeyPress(Event) && Watched->isWidgetType() && static_cast<QWidget *>(Watched)->window() == this) {
        focusNextChild();
        return true;
    }
    return QDialog::eventFilter(Watched, Event);
}

void TBatchChange::bbtnSymbolColorClick()
{
    TMemIniFile ini(CustomColorFileName());
    const std::optional<QColor> chosen = ChooseCustomColor(this, ColorToQColor(m_symbolColor), ini);
    if (!chosen)
        return;
    m_symbolColor = QColorToColor(*chosen);
    QPalette panel = pnlSymbolColor->palette();
    panel.setColor(QPalette::Window, ColorToQColor(m_symbolColor));
    pnlSymbolColor->setPalette(panel);
    ini.UpdateFileOrTellOnce(); // the custom colours are a convenience; the choice stands without them
}

void TBatchChange::GatherValues(TAddressData &Data) const
{
    ClearAddressData(Data);
    Data.Group = cbxGroup->GetItemIndex();
    Data.PrivCorp = rbPriv->isChecked();
    Data.IgnoreName = rbIgnoreNameTrue->isChecked();
    Data.PrintTarget = rbPrintTarget->isChecked() ? 1 : rbPrintException->isChecked() ? 2 : 0;
    const int sender = cbxSender->GetItemIndex();
    Data.Sender = sender >= 0 && sender < m_senderRecNos.size() ? m_senderRecNos[sender] : 0;
    std::array<QString, 8> words;
    for (int i = 0; i < 5; ++i)
        words[size_t(i)] = edtKeyword[size_t(i)]->GetText();
    for (int i = 0; i < 3; ++i)
        words[size_t(5 + i)] = cbxKeyword[size_t(i)]->GetText();
    TShortString<100> *keywords[] = {&Data.Keyword1, &Data.Keyword2, &Data.Keyword3, &Data.Keyword4,
                                     &Data.Keyword5, &Data.Keyword6, &Data.Keyword7, &Data.Keyword8};
    for (std::size_t i = 0; i < 8; ++i)
        *keywords[i] = storedText(words[i], KeywordBytes);
    const int mark = cbxSymbolMark->GetItemIndex();
    Data.SymbolMark = mark > 0 ? Cp932::encode(SymbolMarks[size_t(mark - 1)]) : QByteArray();
    Data.SymbolColor = m_symbolColor;
}

TBatchChange::TWrite TBatchChange::ChangeRecord(TTable &Table, TContinualAdrsSearch *Search, TAddressData &Data)
{
    const TBatchChangeFlags flags = Flags();
    bool changed = false;
    auto setInteger = [&](const char *name, qint32 value) {
        TField &field = Table.FieldByName(QString::fromLatin1(name));
        if (field.AsInteger() != value) {
            field.SetAsInteger(value);
            changed = true;
        }
    };
    auto setBoolean = [&](const char *name, bool value) {
        TField &field = Table.FieldByName(QString::fromLatin1(name));
        if (field.AsBoolean() != value) {
            field.SetAsBoolean(value);
            changed = true;
        }
    };
    // Texts compare as the bytes the field would hold, so a value longer
    // than its field does not count as a change on every run.
    auto setText = [&](const char *name, const QByteArray &value) {
        TField &field = Table.FieldByName(QString::fromLatin1(name));
        const QByteArray stored = Cp932::truncated(value, field.Size());
        if (field.AsBytesView() != QByteArrayView(stored)) {
            field.SetAsBytes(stored);
            changed = true;
        }
    };

    try {
        Table.Edit();
        if (flags[biGroup])
            setInteger("Group", Data.Group);
        if (flags[biPrivCorp])
            setBoolean("PrivCorp", Data.PrivCorp);
        if (flags[biIgnoreName])
            setBoolean("IgnoreName", Data.IgnoreName);
        if (flags[biPrintTarget])
            setInteger("PrintTarget", Data.PrintTarget);
        if (flags[biSender])
            setInteger("Sender", Data.Sender);
        const TShortString<100> *keywords[] = {&Data.Keyword1, &Data.Keyword2, &Data.Keyword3, &Data.Keyword4,
                                               &Data.Keyword5, &Data.Keyword6, &Data.Keyword7, &Data.Keyword8};
        for (std::size_t i = 0; i < 8; ++i) {
            if (flags[biKeyword1 + i])
                setText(KeywordFields[i], keywords[i]->Bytes());
        }
        if (flags[biSymbolMark])
            setText("SymbolMark", Data.SymbolMark.Bytes());
        if (flags[biSymbolColor])
            setInteger("SymbolColor", Data.SymbolColor);

        if (flags[biGetJisCode]) {
            QString address;
            for (const char *name : {"Tdfkn", "Adrs1", "Adrs2", "Adrs3"})
                address += TrimBlanks(Table.FieldByName(QString::fromLatin1(name)).AsString());
            if (address.isEmpty()) {
                setText("JisCode", QByteArray());
                setText("KajoCode", QByteArray());
            } else if (Search && Search->Search(address) == 0) {
                const TDicAdrsShortResult *result = Search->GetAddress(false);
                setText("JisCode", TrimBlanks(DicFieldText(result->CityCode)).toByteArray());
                setText("KajoCode", TrimBlanks(DicFieldText(result->TownCode)).toByteArray());
            }
            // The record form is told what this record now holds.
            Data.JisCode = Table.FieldByName(QStringLiteral("JisCode")).AsBytes();
            Data.KajoCode = Table.FieldByName(QStringLiteral("KajoCode")).AsBytes();
        }

        if (!changed) {
            Table.Cancel();
            return TWrite::Unchanged;
        }
        Data.UpdDateTime = CurrentTimeStamp();
        Table.FieldByName(QStringLiteral("UpdDateTime")).SetAsDateTime(Data.UpdDateTime);
        Table.Post();
        return TWrite::Written;
    } catch (const Exception &) {
        // A refused post or a failed address search: the record stays as
        // stored, nothing of this run's values reaches it.
        if (Table.State() != TTable::TState::dsBrowse)
            Table.Cancel();
        return TWrite::Failed;
    }
}

void TBatchChange::btnStartClick()
{
    if (ShowMessageBoxAt(this, QStringLiteral("一覧で選択したデータを、設定した内容で変更します  \r\nよろしいですか？  "),
                         ProductCaption(), MB_YESNO | MB_ICONQUESTION, mbpCenterOnOwner, 0, 0) != IDYES)
        return;
    TTable *table = DMMurven19 ? DMMurven19->AdrsTable() : nullptr;
    if (!AddressList || !table || !table->Active()) {
        ShowMessageBoxAt(this, QStringLiteral("アドレス帳が読み出せませんでした  "), ProductCaption(),
                         MB_ICONINFORMATION, mbpCenterOnOwner, 0, 0);
        return;
    }

    const TBatchChangeFlags flags = Flags();
    std::unique_ptr<TContinualAdrsSearch> search;
    if (flags[biGetJisCode]) {
        // Without the address library no record is touched.
        try {
            search = m_searchFactory();
        } catch (const Exception &error) {
            ShowMessageBoxAt(this, error.Message(), ProductCaption(), MB_ICONERROR, mbpCenterOnOwner, 0, 0);
            return;
        }
    }

    m_run = TRunResult{};
    // The records are taken now: nothing the run meets can move them.
    m_records = AddressList->SelectedRunRecords();
    const int selected = int(m_records.size());
    m_run.Selected = selected;
    QList<qint32> changedRecNos(std::max(selected, 0), 0);
    {
        TWaitCursor wait;
        // One transaction for the run: a refused post costs only its record,
        // a locked table is waited for once, not once per record.
        TRecordRun run(this, *table, QStringLiteral("選択したデータを変更しています..."), selected);
        QString error;
        const bool begun = run.Begin(&error);
        // The record form hears of a change once it is in the file.
        std::vector<std::pair<int, TAddressData>> told;
        if (!begun) {
            // Not begun: no record could be written.
            for (const TRunRecord &record : std::as_const(m_records))
                m_run.Failed << record.RecNo;
        }
        // The values are the dialog's, which takes no input while the run
        // goes on: read and checked once for every record.
        TAddressData values;
        GatherValues(values);
        // Keywords that would lose a character are not written anywhere.
        const bool unstorable =
            FindUnstorableField(values, [&](QLatin1StringView field) -> std::optional<QString> {
                for (std::size_t i = 0; i < KeywordFields.size(); ++i) {
                    if (flags[biKeyword1 + i] && field == QLatin1StringView(KeywordFields[i]))
                        return i < 5 ? edtKeyword[i]->GetText() : cbxKeyword[i - 5]->GetText();
                }
                return std::nullopt;
            }).has_value();
        for (int n = 0; begun && n < m_records.size(); ++n) {
            const TRunRecord &record = m_records[n];
            TAddressData data = values;
            bool gone = false;
            TWrite write = TWrite::Unchanged;
            // One post per record, which the engine undoes alone.
            const bool kept = run.Record([&] {
                // A record deleted since the selection is named at the end;
                // the others are still changed.
                if (!FindRunRecord(*table, record.RecNo)) {
                    gone = true;
                    return false;
                }
                data.RecNo = record.RecNo;
                write = unstorable ? TWrite::Failed : ChangeRecord(*table, search.get(), data);
                return write == TWrite::Written;
            }, TTableBatch::TRecordWrites::One);
            ++m_run.Handled;
            if (gone) {
                m_run.Vanished << record.RecNo;
            } else if (kept) {
                if (BatchChangeFormHook)
                    told.emplace_back(record.Row, std::move(data));
                changedRecNos[n] = record.RecNo;
                m_run.Changed << record.RecNo;
            } else if (write != TWrite::Unchanged) {
                m_run.Failed << record.RecNo;
            }
            if (!run.Next()) {
                // Cancelled: the rest stays as the user asked; lost: the
                // rest could not be written.
                if (!run.Cancelled()) {
                    for (const TRunRecord &rest : m_records.mid(n + 1))
                        m_run.Failed << rest.RecNo;
                    m_run.Handled = selected;
                }
                break;
            }
        }
        m_run.Completed = !run.Cancelled();

        if (begun && !run.Commit(&error)) {
            // Nothing of the run reached the file.
            m_run.Failed << m_run.Changed;
            std::sort(m_run.Failed.begin(), m_run.Failed.end(), [this](qint32 a, qint32 b) {
                return RowOf(a) < RowOf(b);
            });
            m_run.Changed.clear();
            told.clear();
        }
        if (!m_run.Changed.isEmpty()) {
            for (const auto &[row, data] : told)
                BatchChangeFormHook(row, data, flags);
            AddressList->NotifyRecordsChanged(changedRecNos);
        }
        m_run.Reason = error;
    }
    search.reset();

    if (!m_run.Failed.isEmpty() || !m_run.Vanished.isEmpty() || !m_run.Completed)
        ReportFailures();
    accept();
}

int TBatchChange::RowOf(qint32 RecNo) const
{
    for (const TRunRecord &record : m_records) {
        if (record.RecNo == RecNo)
            return record.Row;
    }
    return -1;
}

TRunRecords TBatchChange::RunRecordsOf(const QList<qint32> &RecNos) const
{
    TRunRecords records;
    for (const qint32 recNo : RecNos)
        records << TRunRecord{recNo, RowOf(recNo)};
    return records;
}

void TBatchChange::ReportFailures()
{
    QString text;
    if (!m_run.Completed)
        text = QStringLiteral("データの一括編集を中止しました  \r\n");
    text += QStringLiteral("選択した%1件のうち、%2件のデータを変更しました  ")
                .arg(m_run.Selected)
                .arg(m_run.Changed.size());
    if (!m_run.Completed)
        text += QStringLiteral("\r\n残りの%1件のデータは変更していません  ").arg(m_run.Selected - m_run.Handled);
    if (!m_run.Failed.isEmpty())
        text += QStringLiteral("\r\n次の%1件のデータは変更できませんでした  \r\n%2  ")
                    .arg(m_run.Failed.size())
                    .arg(AddressList->RecordListText(RunRecordsOf(m_run.Failed)));
    if (!m_run.Vanished.isEmpty())
        text += QStringLiteral("\r\n次の%1件のデータは削除されていたため変更していません  \r\n%2  ")
                    .arg(m_run.Vanished.size())
                    .arg(AddressList->RecordListText(RunRecordsOf(m_run.Vanished)));
    if (!m_run.Reason.isEmpty())
        text += QStringLiteral("\r\n\r\n") + m_run.Reason;
    const bool faults = !m_run.Failed.isEmpty() || !m_run.Vanished.isEmpty();
    ShowMessageBoxAt(this, text, ProductCaption(), faults ? MB_ICONERROR : MB_ICONINFORMATION, mbpCenterOnOwner, 0,
                     0);
}
