#pragma once

#include <QString>

#include <array>
#include <cstddef>

// The last few faces asked for, by name and style. A piece is laid out with
// the same few faces in turn (a column's vertical face and its horizontal
// digits, the name's face): those are found again without resolving the
// name or taking the cache's lock. Keep one per thread.
template <typename T, std::size_t N = 4>
class TRecentFaces
{
public:
    [[nodiscard]] T *Find(const QString &Name, int Style) const
    {
        // A layout passes copies of one name text after text: sharing the
        // remembered name's characters, it matches without comparing them.
        for (const TRecent &r : m_recent)
            if (r.Face && r.Style == Style &&
                ((r.Name.constData() == Name.constData() && r.Name.size() == Name.size()) || r.Name == Name))
                return r.Face;
        return nullptr;
    }
    T *Remember(T *Face, const QString &Name, int Style)
    {
        m_recent[m_next] = {Face, Name, Style};
        m_next = (m_next + 1) % N;
        return Face;
    }

private:
    struct TRecent {
        T *Face = nullptr;
        QString Name;
        int Style = 0;
    };
    std::array<TRecent, N> m_recent;
    std::size_t m_next = 0;
};
