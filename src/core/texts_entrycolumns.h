#pragma once

// Croatian texts of the column map of entry files: the meanings a column
// may have, the refusals of a column list and of defaults, and the marks of
// values that were filled or cut.

#include "core/iotexts.h"

#include <QString>
#include <QStringList>

namespace tx {

// ---- Meanings of a column --------------------------------------------------
KVR_IO_TEXT(ecStartNumber, "startni broj")
KVR_IO_TEXT(ecFullName, "ime i prezime")
KVR_IO_TEXT(ecFirstName, "ime")
KVR_IO_TEXT(ecLastName, "prezime")
KVR_IO_TEXT(ecCountry, "država")
KVR_IO_TEXT(ecClub, "klub")
KVR_IO_TEXT(ecSex, "spol")
KVR_IO_TEXT(ecBirthDate, "datum rođenja")
KVR_IO_TEXT(ecBirthYear, "godina rođenja")
KVR_IO_TEXT(ecCategory, "kategorija")
KVR_IO_TEXT(ecSkip, "ne uvozi")

// ---- Command line: --columns and --default ----------------------------------
inline QString ecUnknownColumn(const QString& name, const QStringList& known)
{
    return QStringLiteral("Nepoznat naziv stupca „%1” u --columns. Nazivi su: %2 (\"-\" za stupac koji se ne uvozi).")
        .arg(ioShown(name), known.join(QStringLiteral(", ")));
}
inline QString ecColumnTwice(const QString& name)
{
    return QStringLiteral("Stupac „%1” naveden je dvaput u --columns.").arg(name);
}
inline QString ecDefaultShape(const QString& text)
{
    return QStringLiteral("--default traži oblik POLJE=VRIJEDNOST (npr. drzava=GBR), a dano je „%1”.")
        .arg(ioShown(text));
}
inline QString ecDefaultUnknown(const QString& field, const QStringList& known)
{
    return QStringLiteral("Nepoznato polje „%1” u --default. Polja su: %2.")
        .arg(ioShown(field), known.join(QStringLiteral(", ")));
}
inline QString ecDefaultNotAllowed(const QString& field)
{
    return QStringLiteral("Polje „%1” ne može imati zadanu vrijednost: svaki takmičar ima svoje.").arg(field);
}
inline QString ecDefaultTwice(const QString& field)
{
    return QStringLiteral("Zadana vrijednost polja „%1” navedena je dvaput.").arg(field);
}
// Told on the command line when an entry file's first row names no needed column.
inline QString ecColumnsHint()
{
    return QStringLiteral("Ako datoteka nema redak naslova, navedite stupce redom s --columns, "
                          "npr. --columns startni_broj,ime_i_prezime,klub,spol,datum_rodjenja "
                          "(uz --header ako je prvi redak naslov).");
}
inline QString ecHeaderWithoutColumns()
{
    return QStringLiteral("--header se koristi samo uz --columns.");
}

// ---- Rows ----------------------------------------------------------------------
// A required value neither in the file nor given as a default.
inline QString ecMissing(const QString& field)
{
    return QStringLiteral("Nedostaje %1.").arg(field);
}
inline QString ecBirthYearInvalid(const QString& value)
{
    return QStringLiteral("Godina rođenja „%1” nije ispravna: upišite četiri znamenke (npr. 1980).")
        .arg(ioShown(value));
}
inline QString ecTooLong(const QString& field, qsizetype length, int maxLength, const QString& value)
{
    return QStringLiteral("Polje „%1” ima %2 znakova, a smije imati najviše %3: „%4”. Skratite ga u datoteci "
                          "ili uključite skraćivanje predugih vrijednosti.")
        .arg(field)
        .arg(length)
        .arg(maxLength)
        .arg(ioShown(value));
}
// One value cut to its field's length, as the preview and the report name it.
inline QString ecCut(const QString& field, const QString& from, const QString& to)
{
    return QStringLiteral("%1 „%2” → „%3”").arg(field, from, to);
}
inline QString ecCutRow(const QStringList& cuts)
{
    return QStringLiteral("skraćeno: ") + cuts.join(QStringLiteral("; "));
}
inline QString ecCutLine(int line, const QString& text)
{
    return QStringLiteral("redak %1: %2").arg(line).arg(text);
}

// ---- Category instead of a birth date ------------------------------------------
inline QString ecCategoryNotOfRace(const QString& value)
{
    return QStringLiteral("Kategorija „%1” nije kategorija ove utrke.").arg(ioShown(value));
}
// The codes of a file the race does not know, told once for the file.
inline QString ecCategoriesUnknown(const QStringList& codes)
{
    if (codes.size() == 1)
        return QStringLiteral("Kategorija %1 nije kategorija ove utrke.").arg(ioShown(codes.front()));
    QStringList shown;
    for (const QString& c : codes)
        shown.append(ioShown(c));
    return QStringLiteral("Kategorije %1 nisu kategorije ove utrke.").arg(shown.join(QStringLiteral(", ")));
}
inline QString ecCategoryBothSexes(const QString& label)
{
    return QStringLiteral("Kategorija „%1” vrijedi za oba spola, pa ne daje spol: navedite spol "
                          "(stupac spola ili zadanu vrijednost).")
        .arg(label);
}
inline QString ecCategorySexConflict(const QString& label, const QString& categorySex, const QString& sex)
{
    return QStringLiteral("Kategorija „%1” je za spol %2, a navedeni spol je %3.").arg(label, categorySex, ioShown(sex));
}
// The results check: a birth date and an imported category that disagree.
inline QString categoryMismatchFinding(const QString& number, const QString& name, const QString& imported,
                                       const QString& byDate)
{
    return QStringLiteral("Takmičar %1 (%2) uvezen je u kategoriji „%3”, a po datumu rođenja je u „%4”; "
                          "vrijedi datum rođenja.")
        .arg(number, name, imported, byDate);
}

// ---- Window --------------------------------------------------------------------
KVR_IO_TEXT(ecColumnsCaption, "Značenje stupaca (prvi retci datoteke):")
KVR_IO_TEXT(ecHeaderLine, "Prvi redak su naslovi stupaca")
KVR_IO_TEXT(ecDefaultsCaption, "Zadane vrijednosti za polja kojih nema u datoteci ili su prazna:")
KVR_IO_TEXT(ecCutLong, "Skrati preduge vrijednosti")
inline QString ecColumnHeading(int column)
{
    return QStringLiteral("Stupac %1").arg(column);
}

} // namespace tx
