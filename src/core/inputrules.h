#pragma once

// What the filtered entry fields take, as plain rules over texts: the
// window's field filter applies them to every change of a field.

#include <QString>
#include <QStringView>

#include <limits>

namespace rules {

// Which characters a field takes: Text takes any character and only limits
// the length; the others take what the keystroke filters below allow.
enum class FieldKind { Text, Date, StartNumber, Time };

// Keystroke filters: whether the typed character c may enter a field that
// now holds current. Backspace (code 8) always passes.
bool acceptDateChar(QChar c, const QString& current);
bool acceptStartNumberChar(QChar c);
bool acceptTimeChar(QChar c);
bool acceptChar(FieldKind kind, QChar c, const QString& current);

// The characters of inserted that the filter lets through when they are
// typed one after another into a field whose text, without the replaced
// selection, is before + after, up to room whole characters (code points).
// A character outside the basic plane is kept or dropped whole, never half
// of it; the work stops as soon as room is used up.
QString filterInsertion(FieldKind kind, QStringView before, QStringView inserted, QStringView after,
                        qsizetype room = std::numeric_limits<qsizetype>::max());

// The number of whole characters (code points) of text.
qsizetype characterCount(QStringView text);

// Whether text is between minSize and maxSize ASCII digits long and holds
// nothing else.
bool allDigits(QStringView text, qsizetype minSize, qsizetype maxSize);

} // namespace rules
