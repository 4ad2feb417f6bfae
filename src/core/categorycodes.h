#pragma once

// Category codes of the usual forms that entry files carry (MS, FS, MSen,
// M40, F35, MU20, FU18, Ž45): the sex in the letter, the lowest age in the
// number. A race that does not know a file's codes gets categories made
// from them, to be checked before they are stored.

#include "core/categoryscheme.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace schemes {

// What a code says: its sex and the age its band begins with; an "under"
// code (MU20) holds runners below its number, from the band before it.
struct CodeForm {
    RuleSex sex = RuleSex::Men;
    int age = 0;        // the number; 20 for a senior code (MS, FSen)
    bool under = false; // MU20, FU18
    bool senior = false; // MS, FSen
};

// The form of a code, letter case ignored: M for men; F, Ž, Z or W for
// women; then S or Sen (from 20), U and a number (under it), or a number
// (from it). None for any other text.
std::optional<CodeForm> readCategoryCode(const QString& code);

// The categories of these codes (each read by readCategoryCode; others are
// left out): for each sex in order of age, each band ending the year before
// the next code of the same sex begins and the last one open; an under code
// begins after the under code before it, the first at 0. Codes of one sex
// and one band (FS and FSen) share a row, as its labels. Men first.
QList<CategoryRow> categoriesFromCodes(const QStringList& codes);

} // namespace schemes
