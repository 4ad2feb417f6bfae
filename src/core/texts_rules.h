#pragma once

// Texts of a race's own categories and prizes, and of the list of prize
// winners.

#include "core/texts.h"

#define KVR_TEXT(name, literal) \
    inline QString name() { return QStringLiteral(literal); }

namespace tx {

KVR_TEXT(prizeOverallName, "Ukupno")
KVR_TEXT(rulesNoOtherRace, "U bazi nema druge utrke čija bi se pravila mogla preuzeti.")
KVR_TEXT(prizeListTitle, "Popis nagrađenih")
KVR_TEXT(prizeListNone, "Nema rezultata")
KVR_TEXT(optionPrizeList, "Popis nagrađenih")
KVR_TEXT(printColPrizePlace, "Mjesto")
KVR_TEXT(exportPrizeList, "Popis nagrađenih")

// Columns of the prize list, as written to a CSV file.
inline QStringList prizeCsvColumns()
{
    return {QStringLiteral("naziv"), QStringLiteral("mjesto"), QStringLiteral("startni broj"), QStringLiteral("ime"),
            QStringLiteral("klub"), QStringLiteral("kategorija"), QStringLiteral("vrijeme")};
}
// Columns of the prize list as shown and printed.
inline QStringList prizeColumns()
{
    return {QStringLiteral("Mj."), QStringLiteral("St. br."), QStringLiteral("Ime i prezime"), QStringLiteral("Klub"),
            QStringLiteral("Kateg."), QStringLiteral("Vrijeme")};
}

// Headers of the two rules files.
inline QStringList categoryFileColumns()
{
    return {QStringLiteral("oznaka"), QStringLiteral("spol"), QStringLiteral("od"), QStringLiteral("do")};
}
inline QStringList prizeFileColumns()
{
    return {QStringLiteral("naziv"), QStringLiteral("spol"), QStringLiteral("od"), QStringLiteral("do"),
            QStringLiteral("nagrade")};
}

// Refusals of the rules tables; row numbers from 1.
inline QString rulesRow(int row) { return QStringLiteral("Red %1: ").arg(row); }
KVR_TEXT(categoriesEmpty, "Tablica kategorija nema nijednog reda.")
KVR_TEXT(prizesEmpty, "Tablica nagrada nema nijednog reda.")
inline QString categoryLabelBad(int row)
{
    return rulesRow(row) + QStringLiteral("oznaka kategorije mora imati 1 do 10 znakova "
                                          "(više oznaka odvojite znakom |), a ne smije biti \"Svi\".");
}
// Two rows named in one refusal: by table row, or by file line when the
// rules were read from a file.
inline QString rulesRowAt(int row, bool fileLine)
{
    return fileLine ? QStringLiteral("Redak %1 datoteke: ").arg(row) : rulesRow(row);
}
inline QString rulesRowIn(int row, bool fileLine)
{
    return fileLine ? QStringLiteral("u retku %1 datoteke").arg(row) : QStringLiteral("u redu %1").arg(row);
}
inline QString categoryLabelTwice(int row, int earlier, const QString& label, bool fileLines = false)
{
    return rulesRowAt(row, fileLines)
        + QStringLiteral("oznaka „%1” već je %2 za isti spol.").arg(label, rulesRowIn(earlier, fileLines));
}
inline QString categoriesOverlap(int row, int earlier, const QString& label, const QString& earlierLabel,
                                 bool fileLines = false)
{
    return rulesRowAt(row, fileLines)
        + QStringLiteral("dob kategorije „%1” preklapa se s kategorijom „%2” %3 za isti spol.")
              .arg(label, earlierLabel, rulesRowIn(earlier, fileLines));
}
inline QString rulesTextControl(int row)
{
    return rulesRow(row) + QStringLiteral("oznaka ili naziv ne smije sadržavati kontrolne znakove.");
}
inline QString prizeNameBad(int row) { return rulesRow(row) + QStringLiteral("naziv nagrade mora imati 1 do 30 znakova."); }
inline QString rulesSexBad(int row)
{
    return rulesRow(row) + QStringLiteral("spol mora biti M, Ž ili prazno (oba spola).");
}
inline QString rulesAgeBad(int row)
{
    return rulesRow(row) + QStringLiteral("dob od-do mora biti cijeli broj od 0 do 150, \"od\" ne veći od \"do\".");
}
inline QString prizeCountBad(int row) { return rulesRow(row) + QStringLiteral("broj nagrada mora biti od 1 do 100."); }
inline QString rulesFileColumns(const QStringList& columns)
{
    return QStringLiteral("Datoteka mora u prvom retku imati stupce: %1.").arg(columns.join(QStringLiteral(", ")));
}
inline QString rulesFileLine(int line, const QString& message)
{
    return QStringLiteral("Redak %1 datoteke: %2").arg(line).arg(message);
}

// The settings window's tabs and buttons.
KVR_TEXT(rulesTabCategories, "Kategorije")
KVR_TEXT(rulesTabPrizes, "Nagrade")
KVR_TEXT(rulesAddRow, "Dodaj red")
KVR_TEXT(rulesRemoveRow, "Ukloni red")
KVR_TEXT(rulesUp, "Gore")
KVR_TEXT(rulesDown, "Dolje")
KVR_TEXT(rulesImport, "Uvoz iz datoteke...")
KVR_TEXT(rulesExport, "Izvoz u datoteku...")
KVR_TEXT(rulesStandard, "Zadano")
KVR_TEXT(rulesFromRace, "Pravila kao u utrci...")
KVR_TEXT(rulesStore, "Spremi pravila")
KVR_TEXT(rulesChooseRace, "Odaberite utrku čija pravila preuzimate:")
inline QStringList categoryTableHeadings()
{
    return {QStringLiteral("Oznaka"), QStringLiteral("Spol"), QStringLiteral("Od"), QStringLiteral("Do")};
}
inline QStringList prizeTableHeadings()
{
    return {QStringLiteral("Naziv"), QStringLiteral("Spol"), QStringLiteral("Od"), QStringLiteral("Do"),
            QStringLiteral("Nagrada")};
}
KVR_TEXT(rulesStored, "Pravila utrke su spremljena.")

// The results check: a runner in no category of the race.
inline QString noCategoryFinding(const QString& number, const QString& name)
{
    return QStringLiteral("Takmičar %1 (%2) nije ni u jednoj kategoriji utrke.").arg(number, name);
}

// Command line.
KVR_TEXT(cliRulesCategories, "Kategorije (oznaka, spol, od, do):")
KVR_TEXT(cliRulesPrizes, "Nagrade (naziv, spol, od, do, nagrade):")
KVR_TEXT(cliHelpRules,
         "kelvora rules --race ID [--categories DATOTEKA] [--prizes DATOTEKA] [--db BAZA]\n"
         "  Bez datoteka ispisuje kategorije i nagrade utrke. S datotekama ih postavlja\n"
         "  (CSV s retkom zaglavlja: oznaka,spol,od,do odnosno naziv,spol,od,do,nagrade);\n"
         "  sve ili ništa, uz iste provjere kao u prozoru \"Postavke utrke...\".\n"
         "kelvora rules --race ID --teams N [--team-by sex|all] [--team-score places|times]\n"
         "              [--team-prizes T] [--no-club TEKST]... [--db BAZA]\n"
         "  Ekipni poredak: boduje se prvih N u cilju iz kluba (--teams 0 isključuje),\n"
         "  muškarci i žene odvojeno (sex, zadano) ili svi zajedno (all), zbroj mjesta\n"
         "  (places, zadano) ili vremena (times); prvih T ekipa dobiva nagradu (zadano 1);\n"
         "  --no-club: klub koji znači \"bez kluba\" (zadano -, ?, bez kluba, neovisni),\n"
         "  može se ponoviti. Sprema se zajedno s kategorijama i nagradama, sve ili ništa.\n")

} // namespace tx

#undef KVR_TEXT
