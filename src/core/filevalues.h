#pragma once

// Values read from imported files, checked before any rule of the program
// sees them: what no entry field would ever hold is refused with the field
// named, so that it is neither stored nor sent to a database driver.

#include <QString>

namespace io {

// Whether a value read from a file may be taken: it holds no control
// character (a line break or tab inside a quoted value included), and a
// start number no digit but 0-9 (a full-width "１２" or a superscript looks
// like a number that no finish entry can type). Gives the refusal naming
// field, or an empty text when the value may be taken.
enum class ValueKind { Text, StartNumber };
QString valueRefusal(const QString& field, const QString& value, ValueKind kind = ValueKind::Text);

} // namespace io
