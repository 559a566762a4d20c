#pragma once

#include "exchange/CsvFields.h"

#include <QByteArray>
#include <QList>
#include <QString>

// A comma-separated text file as the import reads it: the bytes split into
// lines at CR LF (a lone LF or CR ends a line too), a UTF-8 byte-order mark
// at the start and an end-of-file mark (Ctrl-Z) with whatever follows it
// dropped, every line checked to be valid Shift-JIS (code page 932) on its
// own. Lines stay bytes: the fields are cut and converted as CP932 text.
class TImportFile
{
public:
    struct TLine {
        QByteArray Bytes;
        bool ValidText = true; // false: not Shift-JIS (or holds a NUL)
    };

    // The largest file read: far beyond a book's record limit in lines, and
    // small enough that its lines fit in memory. Tests lower it.
    static qint64 MaxFileBytes;

    // False, with the reason for the user, when the file cannot be read or is
    // larger than MaxFileBytes (then nothing of it is read).
    [[nodiscard]] bool Load(const QString &Path, QString *Error);
    // Reads lines from bytes already in memory (tests, the benchmark).
    void SetBytes(const QByteArray &Bytes);

    [[nodiscard]] const QList<TLine> &Lines() const { return m_lines; }
    [[nodiscard]] qsizetype LineCount() const { return m_lines.size(); }
    [[nodiscard]] bool IsEmpty() const { return m_lines.isEmpty(); }
    // The text is valid UTF-8 with characters beyond ASCII: most likely
    // saved in another encoding than Shift-JIS (whose Japanese text is
    // almost never valid UTF-8).
    [[nodiscard]] bool LooksLikeUtf8() const { return m_looksUtf8; }
    // The file begins as a ZIP archive does (a local file header "PK\3\4",
    // or "PK\5\6" of an empty archive), as the encrypted export writes it:
    // none of it is a line to take.
    [[nodiscard]] bool IsZip() const { return m_zip; }
    [[nodiscard]] int InvalidLineCount() const { return m_invalidLines; }

private:
    QList<TLine> m_lines;
    bool m_looksUtf8 = false;
    bool m_zip = false;
    int m_invalidLines = 0;
};

// True when the line is text in code page 932: every lead byte has a trail
// byte, every pair maps to a character, and no NUL byte.
[[nodiscard]] bool IsValidShiftJisLine(const QByteArray &Line);
