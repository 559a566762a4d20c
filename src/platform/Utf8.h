#pragma once

#include <QByteArrayView>
#include <QString>

#include <optional>

// UTF-8 as the program's text files hold it: one check of well-formed text
// for every reader that must tell UTF-8 from other bytes (settings files line
// by line, registry files and imported files whole), so they agree on what
// UTF-8 is: no byte that starts or continues no character, no overlong form,
// no surrogate, nothing past U+10FFFF.
namespace Utf8 {

// Where the bytes given may stop.
enum class TEnd {
    // Only where a character ends: the bytes of one cut off by the end are
    // no character (a line, whose next line starts anew).
    Whole,
    // Anywhere: bytes the end cuts off inside a character are left out of
    // the text and are no error, as a decoder keeps them for bytes still to
    // come.
    Cut,
};

// The text of well-formed bytes, a byte order mark at the start left out;
// none where they are not well-formed.
[[nodiscard]] std::optional<QString> decode(QByteArrayView bytes, TEnd end);
// True when the bytes are well-formed to their end (TEnd::Whole).
[[nodiscard]] bool isWellFormed(QByteArrayView bytes);

} // namespace Utf8
