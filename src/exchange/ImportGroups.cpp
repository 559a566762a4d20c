#include "exchange/ImportGroups.h"

#include "core/GrpEdt.h"
#include "exchange/ImportConv.h"
#include "platform/Cp932.h"
#include "platform/TextLines.h"

namespace {

// A value as the group-name editor would store it: without the blanks at
// its ends, ideographic ones included (that editor trims them), so that
// "友人　" typed in a sheet is the book's 友人 and never a second group
// that looks the same.
QString groupNameOf(const QByteArray &Value)
{
    return Cp932::decode(TrimBlanks(QByteArrayView(Value)).toByteArray()).trimmed();
}

} // namespace

TImportGroups::TImportGroups(const QStringList &Names) : m_names(Names)
{
    if (m_names.isEmpty())
        m_names << QStringLiteral("指定なし");
    while (m_names.size() <= GroupCount)
        m_names << DefaultGroupName(int(m_names.size()));
    m_original = m_names;
}

int TImportGroups::namedIndex(const QByteArray &Value) const
{
    const int index = ImportGroupIndex(Value, m_names);
    if (index >= 0)
        return index;
    // A character the code page has twice (the NEC and the IBM rows) may be
    // spelled in the file otherwise than the name encodes, and ideographic
    // blanks may stand round it: it is still that group. Nothing but
    // blanks, or "指定なし" between them, is no group.
    const QString name = groupNameOf(Value);
    if (name.isEmpty() || name == m_names[0])
        return 0;
    // The book's names are compared without their end blanks too: older
    // group files hold names such as "　友人", which are the 友人 of the file.
    for (int i = 1; i <= GroupCount; ++i) {
        if (m_names[i].trimmed() == name)
            return i;
    }
    return -1;
}

bool TImportGroups::NoteFileValue(const QByteArray &Value)
{
    const int index = namedIndex(Value);
    if (index > 0)
        m_taken.insert(index);
    return index < 0;
}

void TImportGroups::NoteUsed(int Group)
{
    if (Group >= 1 && Group <= GroupCount)
        m_taken.insert(Group);
}

TImportGroups::TPlacing TImportGroups::Place(const QByteArray &Value)
{
    TPlacing placing;
    placing.Value = Value;
    const int index = namedIndex(Value);
    // The value as the conversion reads it: the group's own name, or none.
    if (index > 0)
        placing.Value = Cp932::encode(m_names[index]);
    else if (index == 0)
        placing.Value.clear();
    if (index >= 0)
        return placing;

    const QString name = groupNameOf(Value);
    placing.Name = name;
    // What the group-name editor refuses: a name is a value of the exported
    // group column and a line of the group file.
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || c == u',' || c == u'"') {
            placing.Loss = TLoss::BadCharacter;
            return placing;
        }
    }
    if (Cp932::byteLength(name) > MaxGroupNameBytes) {
        placing.Loss = TLoss::TooLong;
        return placing;
    }
    for (int i = 1; i <= GroupCount; ++i) {
        if (m_taken.count(i) || m_added.count(i) || m_original[i] != DefaultGroupName(i))
            continue;
        m_names[i] = name;
        m_added.insert(i);
        placing.Taken = i;
        placing.Value = Cp932::encode(name);
        return placing;
    }
    placing.Loss = TLoss::NoPlace;
    return placing;
}

void TImportGroups::Release(int Place)
{
    if (m_added.erase(Place) > 0)
        m_names[Place] = m_original[Place];
}

QStringList TImportGroups::Added() const
{
    QStringList added;
    for (const int place : m_added)
        added << m_names[place];
    return added;
}
