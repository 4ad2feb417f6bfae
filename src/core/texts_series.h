#pragma once

// Texts of the season's series (cups, leagues): the window, the command
// line, the lists and the refusals.

#include "core/texts.h"

#define KVR_TEXT(name, literal) \
    inline QString name() { return QStringLiteral(literal); }

namespace tx {

KVR_TEXT(menuSeries, "Kup / serija utrka...")
KVR_TEXT(seriesWindowTitle, "Kup / serija utrka")
KVR_TEXT(seriesColPlace, "Mjesto")
KVR_TEXT(seriesColName, "Ime i prezime")
KVR_TEXT(seriesColClub, "Klub")
KVR_TEXT(seriesColCategory, "Kategorija")
KVR_TEXT(seriesColTotal, "Ukupno")
KVR_TEXT(seriesColCompleted, "Uvjet")
KVR_TEXT(seriesYes, "D")
KVR_TEXT(seriesNo, "N")
KVR_TEXT(seriesNotRun, "-")
KVR_TEXT(seriesStandingsTitle, "Poredak kupa")
KVR_TEXT(seriesPrizeTitle, "Nagrade kupa")
KVR_TEXT(seriesColPoints, "Bodovi")

// The series' prize list as written to a CSV file: the race prize list's
// columns with the points for the time.
inline QStringList seriesPrizeCsvColumns()
{
    return {QStringLiteral("naziv"), QStringLiteral("mjesto"), QStringLiteral("startni broj"), QStringLiteral("ime"),
            QStringLiteral("klub"), QStringLiteral("kategorija"), QStringLiteral("Bodovi")};
}

// Refusals of a series' settings.
KVR_TEXT(seriesNeedsName, "Upišite ime kupa.")
KVR_TEXT(seriesNameTaken, "Kup tog imena već postoji.")
KVR_TEXT(seriesNeedsRaces, "Odaberite barem jednu utrku kupa.")
KVR_TEXT(seriesRaceTwice, "Utrka se u kupu može navesti samo jednom.")
KVR_TEXT(seriesBadPoints, "Bodovi za prvo mjesto moraju biti cijeli broj veći od 0.")
KVR_TEXT(seriesBadPointsList,
         "Bodovi po mjestima su cijeli brojevi od 0 naviše odvojeni zarezom, npr. 25,20,16,13.")
KVR_TEXT(seriesBadBest, "Broj najboljih utrka koje se broje je cijeli broj od 0 naviše (0: sve).")
KVR_TEXT(seriesBadMinimum, "Najmanji broj utrka je cijeli broj od 1 do broja planiranih utrka.")
KVR_TEXT(seriesBadPlanned, "Planiranih utrka ne može biti manje od utrka kupa.")
inline QString seriesUnknownRace(const QString& id)
{
    return QStringLiteral("Utrka sa šifrom %1 ne postoji.").arg(id);
}
inline QString seriesUnknown(const QString& id)
{
    return QStringLiteral("Kup sa šifrom %1 ne postoji.").arg(id);
}
KVR_TEXT(seriesNone, "U bazi nema kupova.")
KVR_TEXT(seriesNoRows, "Nema takmičara s bodovima u utrkama kupa.")

// The list of matches.
inline QString seriesMatched(const QString& entry, int race, const QString& runner)
{
    return QStringLiteral("Spojeno: %1 (utrka %2) = %3").arg(entry).arg(race).arg(runner);
}
inline QString seriesJoined(const QString& entry, int race, const QString& runner)
{
    return QStringLiteral("Spojeno ručno: %1 (utrka %2) = %3").arg(entry).arg(race).arg(runner);
}
inline QString seriesSplit(const QString& entry, int race)
{
    return QStringLiteral("Razdvojeno: %1 (utrka %2) je zaseban takmičar").arg(entry).arg(race);
}
// The check report.
inline QString seriesSexDiffers(const QString& runner, const QString& texts)
{
    return QStringLiteral("%1: spol se razlikuje po utrkama (%2).").arg(runner, texts);
}
inline QString seriesCategoryDiffers(const QString& runner, const QString& texts)
{
    return QStringLiteral("%1: kategorija se razlikuje po utrkama (%2); za kup vrijedi ona iz prve utrke.")
        .arg(runner, texts);
}
inline QString seriesTwiceInRace(const QString& runner, int race)
{
    return QStringLiteral("%1: dva takmičara istog imena i kluba u utrci %2; vode se kao dva takmičara.")
        .arg(runner)
        .arg(race);
}
inline QString seriesRaceShort(int race)
{
    return QStringLiteral("utrka %1").arg(race);
}

} // namespace tx

#undef KVR_TEXT
