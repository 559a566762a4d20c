#include "exchange/ImportSlots.h"

#include "exchange/CsvFields.h"
#include "platform/Cp932.h"
#include "platform/TextLines.h"
#include "util/StrFunc.h"

#include <QSet>

#include <vector>

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

QString TImportAssignment::SampleValue(int Index) const
{
    return Index >= 0 && Index < m_samples.size() ? Cp932::decode(CsvFieldText(m_samples[Index])) : QString();
}

void TImportAssignment::AutoAssign(const std::array<TImportField, ImportFieldCount> &Fields)
{
    ClearAll();
    // One pass a row, row 10 twice (a prefecture column before the address).
    struct TPass {
        int Row;
        QByteArray ColumnName;
        QStringList Names;
        int Column = -1;
        QString Shown;
    };
    std::vector<TPass> passes;
    passes.reserve(ImportFieldCount + 1);
    for (int row = 1; row <= ImportFieldCount; ++row) {
        const TImportField &field = Fields[size_t(row - 1)];
        if (row == irAdrs1)
            passes.push_back({row, {}, {QStringLiteral("都道府県")}, -1, {}});
        passes.push_back({row, field.ColumnName, field.HeaderNames, -1, {}});
    }
    QList<QByteArray> texts;
    texts.reserve(m_samples.size());
    for (const QByteArray &sample : std::as_const(m_samples))
        texts << CsvFieldText(sample);
    // A column goes to one row. First each keyword takes the column the
    // program's own export names it by, exactly: the export gives every
    // keyword a name of its own, so no other row's looser name (a header
    // name in another width or case, the caption of another keyword alike
    // once unquoted) takes a column meant for a keyword.
    QSet<int> taken;
    for (TPass &pass : passes) {
        if (pass.ColumnName.isEmpty())
            continue;
        for (int i = 0; i < texts.size(); ++i) {
            if (!taken.contains(i) && texts[i] == pass.ColumnName) {
                pass.Column = i;
                pass.Shown = Cp932::decode(pass.ColumnName);
                taken.insert(i);
                break;
            }
        }
    }
    // Then the rows without such a column try their header names, the file's
    // columns in order, in half width and without regard to letter case.
    QStringList samples;
    samples.reserve(texts.size());
    for (const QByteArray &text : std::as_const(texts))
        samples << comparable(Cp932::decode(text));
    const auto nameOf = [&samples](const TPass &Pass, int Column) -> const QString * {
        for (const QString &name : Pass.Names)
            if (samples[Column] == comparable(name))
                return &name;
        return nullptr;
    };
    // A keyword's caption kept from an older settings file may be a name of
    // a row after the keywords (備考 ...): the keyword takes such a column
    // only while another one is left for that row, as when an older export
    // wrote both under the one name. The program's export writes the
    // keyword's column under the keyword's fixed name then, taken above.
    const auto leftFor = [&](size_t Keyword, int Column) {
        for (size_t later = Keyword + 1; later < passes.size(); ++later) {
            const TPass &other = passes[later];
            if (!other.ColumnName.isEmpty() || other.Column >= 0 || !nameOf(other, Column))
                continue;
            bool another = false;
            for (int i = 0; i < samples.size() && !another; ++i)
                another = i != Column && !taken.contains(i) && nameOf(other, i);
            if (!another)
                return false;
        }
        return true;
    };
    for (size_t p = 0; p < passes.size(); ++p) {
        TPass &pass = passes[p];
        if (pass.Column >= 0)
            continue;
        for (int i = 0; i < samples.size() && pass.Column < 0; ++i) {
            if (taken.contains(i))
                continue;
            if (const QString *name = nameOf(pass, i);
                name && (pass.ColumnName.isEmpty() || leftFor(p, i))) {
                pass.Column = i;
                pass.Shown = *name;
                taken.insert(i);
            }
        }
    }
    for (const TPass &pass : passes) {
        const int k = FilledCount(pass.Row) + 1;
        if (pass.Column >= 0 && k <= SlotCount)
            m_rows[size_t(pass.Row - 1)][size_t(k - 1)] = TSlot{TSlotKind::Column, pass.Column, pass.Shown};
    }
}

bool TImportAssignment::IsHeaderLine(const std::array<TImportField, ImportFieldCount> &Fields,
                                     const QStringList &OtherNames) const
{
    QSet<QString> names;
    names.insert(comparable(u"都道府県"));
    for (const TImportField &field : Fields) {
        names.insert(comparable(Cp932::decode(field.ColumnName)));
        for (const QString &name : field.HeaderNames)
            names.insert(comparable(name));
    }
    for (const QString &name : OtherNames)
        names.insert(comparable(name));
    names.remove(QString());
    bool named = false;
    for (int i = 0; i < m_samples.size(); ++i) {
        const QString sample = comparable(SampleValue(i));
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
    for (int row = 1; row <= ImportFieldCount; ++row)
        values[row - 1] = Value(row, Parts);
    return values;
}

QByteArray TImportAssignment::Value(int Row, const QList<QByteArray> &Parts) const
{
    QByteArray value;
    if (Row < 1 || Row > ImportFieldCount)
        return value;
    for (const TSlot &slot : m_rows[Row - 1]) {
        if (slot.Kind == TSlotKind::Empty)
            break;
        if (slot.Kind == TSlotKind::Constant)
            value += Cp932::encode(slot.Text);
        else if (slot.Column < Parts.size())
            value += Parts[slot.Column];
    }
    return value;
}

TImportAssigned TImportAssignment::Assigned() const
{
    TImportAssigned assigned{};
    for (int row = 1; row <= ImportFieldCount; ++row)
        assigned[row - 1] = IsAssigned(row);
    return assigned;
}
