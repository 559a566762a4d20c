#pragma once

#include <QtGlobal>

#include <array>
#include <atomic>
#include <memory>

// Values by code point, for what is looked up for every character of every
// text laid out (a face's glyphs and advances): a character is found by two
// indexes instead of a hash. The values sit in pages of 256 characters, each
// made when a character of its own is first stored, so only the pages of the
// scripts met take room (a kanji text meets a few dozen). Code points from
// Limit on are not kept.
template <typename T, char32_t Limit = 0x110000>
class TCodePointTable
{
public:
    // The value stored for C, or null.
    [[nodiscard]] const T *Find(char32_t C) const
    {
        if (C >= kCodePoints)
            return nullptr;
        const TPage *page = m_pages[C >> kPageBits].get();
        const unsigned at = C & kPageMask;
        return page && page->Known[at] ? &page->Values[at] : nullptr;
    }
    // Stores Value for C.
    void Insert(char32_t C, const T &Value)
    {
        if (C >= kCodePoints)
            return;
        std::unique_ptr<TPage> &page = m_pages[C >> kPageBits];
        if (!page)
            page = std::make_unique<TPage>();
        const unsigned at = C & kPageMask;
        if (!page->Known[at])
            ++m_size;
        page->Values[at] = Value;
        page->Known[at] = true;
    }
    [[nodiscard]] qsizetype Size() const { return m_size; }
    void Clear()
    {
        for (std::unique_ptr<TPage> &page : m_pages)
            page.reset();
        m_size = 0;
    }

private:
    static constexpr char32_t kCodePoints = Limit;
    static constexpr unsigned kPageBits = 8;
    static constexpr unsigned kPageMask = (1u << kPageBits) - 1;
    struct TPage {
        std::array<T, 1u << kPageBits> Values{};
        std::array<bool, 1u << kPageBits> Known{};
    };
    std::array<std::unique_ptr<TPage>, (kCodePoints >> kPageBits)> m_pages;
    qsizetype m_size = 0;
};

// Predicate's answer for C, worked out once for each BMP character: for the
// questions asked of every character of every text laid out. A character
// beyond the BMP is asked each time.
template <bool (*Predicate)(char32_t)>
bool AskedOnce(char32_t C)
{
    if (C > 0xFFFF)
        return Predicate(C);
    // 0: not asked yet, 1: no, 2: yes.
    static std::array<std::atomic<quint8>, 0x10000> known{};
    std::atomic<quint8> &slot = known[C];
    quint8 v = slot.load(std::memory_order_relaxed);
    if (v == 0) {
        v = Predicate(C) ? 2 : 1;
        slot.store(v, std::memory_order_relaxed);
    }
    return v == 2;
}
