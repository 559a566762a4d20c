#include "exchange/ImportSlots.h"

#include "platform/Cp932.h"
#include "platform/TextLines.h"
#include "util/StrFunc.h"

#include <QSet>

namespace {

const TImportAssignment::TSlot kNoSlot;

// Header names compare in half width and without regard to letter case, so
// "ＴＥＬ" and "tel" both name the telephone column.
QString comparable(QStringView text)
{
    return ToHalfWidthW(TrimBlanks(text)).toCaseFolded();
}

} // namespace

void TImportAssignment::SetSamples(const QList<QByteArray> &FirstLineParts)
{
    m_samples = FirstLineParts;
    ClearAll();
}

QString TImportAssignment::SampleText(int Index) const
{
    return Index >= 0 && Index < m_samples.size() ? Cp932::decode(m_samples[Index]) : QString();
}

const TImportAssignment::TSlot &TImportAssignment::Slot(int Row, int Index) const
{
    if (Row < 1 || Row > ImportFieldCount || Index < 1 || Index > SlotCount)
        return kNoSlot;
    return m_rows[Row - 1][Index - 1];
}

int TImportAssignment::FilledCount(int Row) const
{
    if (Row < 1 || Row > ImportFieldCount)
        return 0;
    int count = 0;
    for (const TSlot &slot : m_rows[Row - 1]) {
        if (slot.Kind == TSlotKind::Empty)
            break;
        ++count;
    }
    return count;
}

bool TImportAssignment::AnyAssigned() const
{
    for (int row = 1; row <= ImportFieldCount; ++row) {
        if (IsAssigned(row))
            return true;
    }
    return false;
}

int TImportAssignment::PutSample(int Row, int Index)
{
    const int k = FilledCount(Row) + 1;
    if (Row < 1 || Row > ImportFieldCount || k > SlotCount || Index < 0 || Index >= m_samples.size())
        return 0;
    const QString v = TrimBlanks(SampleText(Index));
    TSlot &slot = m_rows[Row - 1][k - 1];
    slot.Column = Index;
    if (!RemoveSpaces(v).isEmpty() && v != QStringLiteral("\"\"")) {
        slot.Kind = TSlotKind::Column;
        slot.Text = v;
    } else {
        // A blank header still names its column by number.
        slot.Kind = TSlotKind::BlankColumn;
        slot.Text = QStringLiteral("項目%1").arg(Index + 1);
    }
    return k;
}

int TImportAssignment::PutConstant(int Row, const QString &Text)
{
    const int k = FilledCount(Row) + 1;
    const QString text = TrimBlanks(Text);
    if (Row < 1 || Row > ImportFieldCount || k > SlotCount || text.isEmpty())
        return 0;
    m_rows[Row - 1][k - 1] = TSlot{TSlotKind::Constant, -1, text};
    return k;
}

int TImportAssignment::DeleteLast(int Row)
{
    const int k = FilledCount(Row);
    if (k == 0)
        return 0;
    m_rows[Row - 1][k - 1] = TSlot{};
    return k;
}

void TImportAssignment::ClearRow(int Row)
{
    if (Row >= 1 && Row <= ImportFieldCount)
        m_rows[Row - 1] = {};
}

void TImportAssignment::ClearAll()
{
    for (auto &row : m_rows)
        row = {};
}

void TImportAssignment::SwapRows(int Row, int Other)
{
    if (Row < 1 || Row > ImportFieldCount || Other < 1 || Other > ImportFieldCount)
        return;
    std::swap(m_rows[Row - 1], m_rows[Other - 1]);
}

bool TImportAssignment::autoPass(int Row, const QStringList &Names, QSet<int> &Taken)
{
    const int k = FilledCount(Row) + 1;
    if (k > SlotCount)
        return false;
    for (int i = 0; i < m_samples.size(); ++i) {
        if (Taken.contains(i))
            continue;
        const QString sample = comparable(SampleText(i));
        for (const QString &name : Names) {
            if (sample == comparable(name)) {
                m_rows[Row - 1][k - 1] = TSlot{TSlotKind::Column, i, name};
                Taken.insert(i);
                return true;
            }
        }
    }
    return false;
}

void TImportAssignment::AutoAssign(const std::array<TImportField, ImportFieldCount> &Fields)
{
    ClearAll();
    // A column goes to one row. The fixed names name one row each; two
    // keyword captions alike (kept from an older settings file) name their
    // columns in keyword order, as the export writes them.
    QSet<int> taken;
    for (int row = 1; row <= ImportFieldCount; ++row) {
        // A prefecture column comes before the address in row 10.
        if (row == irAdrs1)
            autoPass(row, {QStringLiteral("都道府県")}, taken);
        autoPass(row, Fields[row - 1].HeaderNames, taken);
    }
}

bool TImportAssignment::IsHeaderLine(const std::array<TImportField, ImportFieldCount> &Fields,
                                     const QStringList &OtherNames) const
{
    QSet<QString> names;
    names.insert(comparable(u"都道府県"));
    for (const TImportField &field : Fields)
        for (const QString &name : field.HeaderNames)
            names.insert(comparable(name));
    for (const QString &name : OtherNames)
        names.insert(comparable(name));
    names.remove(QString());
    bool named = false;
    for (int i = 0; i < m_samples.size(); ++i) {
        const QString sample = comparable(SampleText(i));
        if (sample.isEmpty())
            continue;
        if (!names.contains(sample))
            return false;
        named = true;
    }
    return named;
}

TImportValues TImportAssignment::Values(const QList<QByteArray> &Parts) const
{
    TImportValues values;
    for (int row = 0; row < ImportFieldCount; ++row) {
        QByteArray &value = values[row];
        for (const TSlot &slot : m_rows[row]) {
            if (slot.Kind == TSlotKind::Empty)
                break;
            if (slot.Kind == TSlotKind::Constant)
                value += Cp932::encode(slot.Text);
            else if (slot.Column < Parts.size())
                value += Parts[slot.Column];
        }
    }
    return values;
}

TImportAssigned TImportAssignment::Assigned() const
{
    TImportAssigned assigned{};
    for (int row = 1; row <= ImportFieldCount; ++row)
        assigned[row - 1] = IsAssigned(row);
    return assigned;
}
