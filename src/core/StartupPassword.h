#pragma once

#include <QString>

// The start-up password as the installation stores it in the machine key
// (value "Type" of SOFTWARE\Qor\Murven\19.0). Only the stored form is kept in
// memory; the plain text is derived at the moment it is compared.
//
// Stored form: four characters per UTF-16 unit of the password. Each unit is
// XOR-ed with a key that depends on its position and on the unit before it
// (a running checksum), and the 16-bit result is written as four nibbles,
// high nibble first, through the alphabet "Q7K2M9X4B8R3W6T5" (nibble 0 is
// 'Q', 15 is '5'). The alphabet holds none of "+", "-", "*", "/", so a stored
// text never needs quoting in the registry file.

// The stored form of Plain (empty for an empty password). The characters
// "+", "-", "*" and "/" are encoded like any other but never survive
// DerivePassword, so a password holding them cannot be entered as it was set.
[[nodiscard]] QString ScramblePassword(const QString &Plain);

// The password of a stored text: one character per group of four stored
// characters (characters behind the last whole group are ignored, so a text
// shorter than four characters gives no password); a group with a character
// outside the alphabet yields nothing; "+", "-", "*" and "/" are dropped from
// the result. Empty means that no password is set.
[[nodiscard]] QString DerivePassword(const QString &Stored);

// What a stored value asks of the start.
enum class TStoredPassword {
    None,    // empty, or only dropped characters: no password is asked
    Set,     // whole groups of the alphabet: the derived password is asked
    Damaged, // anything else: asked, and no entry can match (the start fails closed)
};

// The state of a stored text. A value the installation cannot have written (a
// partial group, a character outside the alphabet) is damaged, never "none":
// a broken value must not open the program.
[[nodiscard]] TStoredPassword StoredPasswordState(const QString &Stored);

// Stored in place of a value that is no string at all (a number, binary
// data): damaged by the rule above.
[[nodiscard]] QString UnreadableStoredPassword();

// True when Entry opens a program whose stored password is Stored: never for
// a damaged value.
[[nodiscard]] bool PasswordMatches(const QString &Stored, const QString &Entry);

// True when every character of Plain survives a round trip (none of "+-*/").
[[nodiscard]] bool IsStorablePassword(const QString &Plain);
