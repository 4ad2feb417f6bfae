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
KVR_TEXT(seriesNotCounted, "Ne broji se: računaju se samo najbolje utrke.")

// The series' prize list as written to a CSV file: the race prize list's
// columns with the points for the time.
inline QStringList seriesPrizeCsvColumns()
{
    return {QStringLiteral("naziv"), QStringLiteral("mjesto"), QStringLiteral("startni broj"), QStringLiteral("ime"),
            QStringLiteral("klub"), QStringLiteral("kategorija"), QStringLiteral("Bodovi")};
}

// The window.
KVR_TEXT(seriesLabel, "Kup:")
KVR_TEXT(seriesNew, "Novi kup")
KVR_TEXT(seriesRename, "Preimenuj...")
KVR_TEXT(seriesRenameAsk, "Novo ime kupa:")
KVR_TEXT(seriesDelete, "Obriši kup")
KVR_TEXT(seriesUnsavedAsk, "Izmjene kupa nisu spremljene. Spremiti ih prije zatvaranja?")
KVR_TEXT(seriesDeleteAsk, "Obrisati kup „%1”? Utrke i njihovi rezultati ostaju.")
KVR_TEXT(seriesTabStandings, "Poredak")
KVR_TEXT(seriesTabRules, "Utrke i pravila")
KVR_TEXT(seriesTabMatches, "Spajanja i provjera")
KVR_TEXT(seriesTabPrizes, "Nagrade")
KVR_TEXT(seriesSexLabel, "Spol:")
KVR_TEXT(seriesJoin, "Spoji odabrane")
KVR_TEXT(seriesJoinHelp, "Za spajanje odaberite u poretku dva retka istog takmičara (Ctrl+klik) i kliknite „Spoji odabrane”.")
KVR_TEXT(seriesJoinNeedsTwo, "Odaberite u poretku točno dva retka koja su isti takmičar.")
KVR_TEXT(seriesJoinSameRace, "Ta dva retka imaju utrku u kojoj su oba trčala: to nisu isti takmičar.")
KVR_TEXT(seriesName, "Ime kupa:")
KVR_TEXT(seriesRaces, "Utrke kupa (označene, ovim redom):")
KVR_TEXT(seriesUp, "Gore")
KVR_TEXT(seriesDown, "Dolje")
KVR_TEXT(seriesPlanned, "Planirano utrka (0: označene):")
KVR_TEXT(seriesPointsCountdown, "Prvo mjesto bodova (svako sljedeće jedan manje):")
KVR_TEXT(seriesPointsList, "Bodovi po mjestima:")
KVR_TEXT(seriesPlace, "Mjesto koje boduje:")
KVR_TEXT(seriesPlaceSex, "među istim spolom")
KVR_TEXT(seriesPlaceOverall, "ukupno")
KVR_TEXT(seriesPlaceCategory, "u kategoriji")
KVR_TEXT(seriesBest, "Broji se najboljih utrka (0: sve):")
KVR_TEXT(seriesMinimum, "Za uvjet najmanje utrka:")
KVR_TEXT(seriesNoClub, "Bez kluba znači i (odvojeno zarezom):")
KVR_TEXT(seriesPrizeRules, "Nagrade kupa (naziv, spol, od, do, nagrade):")
KVR_TEXT(seriesAddRow, "Dodaj red")
KVR_TEXT(seriesRemoveRow, "Ukloni red")
KVR_TEXT(seriesStore, "Spremi")
KVR_TEXT(seriesSplit, "Razdvoji")
KVR_TEXT(seriesTakeBack, "Poništi odluku")
KVR_TEXT(seriesNoMatches, "Sva spajanja su točna po imenu i klubu.")
KVR_TEXT(seriesNoNotes, "Provjera: spol i kategorija svakog takmičara isti su u svim utrkama.")
KVR_TEXT(seriesPickMatch, "Odaberite spajanje u popisu.")
KVR_TEXT(seriesSplitOnlyMatch, "Razdvojiti se može samo spajanje; odluku poništite s „Poništi odluku”.")
KVR_TEXT(seriesTakeBackOnlyChoice, "Poništiti se može samo ručno spajanje ili razdvajanje.")
KVR_TEXT(seriesPrint, "Ispis")
KVR_TEXT(seriesPreview, "Pregled")
KVR_TEXT(seriesExport, "Izvoz...")
KVR_TEXT(seriesClose, "Zatvori")
KVR_TEXT(seriesNoneYet, "U bazi još nema kupa: upišite ime, označite utrke i kliknite „Spremi”.")
inline QString seriesSummary(int runners, int held, int planned, int completed)
{
    return QStringLiteral("Takmičara: %1 · održano utrka: %2 od %3 · ispunilo uvjet: %4")
        .arg(runners)
        .arg(held)
        .arg(planned)
        .arg(completed);
}

// Refusals of a series' settings.
KVR_TEXT(seriesNeedsName, "Upišite ime kupa.")
KVR_TEXT(seriesNameTaken, "Kup tog imena već postoji.")
KVR_TEXT(seriesNeedsRaces, "Odaberite barem jednu utrku kupa.")
KVR_TEXT(seriesRaceTwice, "Utrka se u kupu može navesti samo jednom.")
KVR_TEXT(seriesBadPoints, "Bodovi za prvo mjesto moraju biti cijeli broj od 1 do 100000.")
KVR_TEXT(seriesBadPointsList,
         "Bodovi po mjestima su cijeli brojevi od 0 do 100000 odvojeni zarezom, npr. 25,20,16,13.")
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
KVR_TEXT(liveSeriesUnavailable, "Poredak kupa trenutno nije dostupan; pokušajte ponovo za minutu.")
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
