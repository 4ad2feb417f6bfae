#pragma once

#include <QList>

namespace lists {

// The widths of a list's columns on screen. preset is the width each column
// is given by default, needed the width its content (header included) takes,
// available the width of the list. Every column gets at least what its
// content needs; a column gets its preset width too as long as all of them
// fit; when they do not, the columns that have more than their content needs
// give up the excess in proportion, never below what they need. When even the
// content does not fit, each column gets what it needs and the list scrolls
// sideways. Hidden columns have preset and needed width 0.
QList<int> fitWidths(const QList<int>& preset, const QList<int>& needed, int available);

} // namespace lists
