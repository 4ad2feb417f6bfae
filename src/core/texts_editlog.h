#pragma once

// The Croatian texts of the change log and of undo and redo.

#include <QString>
#include <QStringList>

namespace tx {

// ---- Menu items and the log's window ----------------------------------------
inline QString menuChangeLog() { return QStringLiteral("Dnevnik izmjena..."); }
inline QString menuUndo() { return QStringLiteral("Poništi"); }
inline QString menuRedo() { return QStringLiteral("Ponovi"); }
// "Poništi: upis vremena 00:41:12 za broj 12"; the bare caption when there is nothing to undo.
inline QString menuUndoOf(const QString& change)
{
    return change.isEmpty() ? menuUndo() : menuUndo() + QStringLiteral(": ") + change;
}
inline QString menuRedoOf(const QString& change)
{
    return change.isEmpty() ? menuRedo() : menuRedo() + QStringLiteral(": ") + change;
}
inline QString changeLogTitle() { return QStringLiteral("Dnevnik izmjena"); }
inline QString changeLogExport() { return QStringLiteral("Izvoz CSV"); }
inline QString changeLogClose() { return QStringLiteral("Zatvori"); }
inline QString changeLogStationFilter() { return QStringLiteral("Stanica:"); }
inline QString changeLogKindFilter() { return QStringLiteral("Vrsta:"); }
inline QString changeLogSearch() { return QStringLiteral("Broj ili ime:"); }
inline QString changeLogAll() { return QStringLiteral("(sve)"); }
inline QStringList changeLogColumns()
{
    return {QStringLiteral("Br."),    QStringLiteral("Vrijeme"),  QStringLiteral("Stanica"),
            QStringLiteral("Korisnik"), QStringLiteral("Vrsta"),  QStringLiteral("St. br."),
            QStringLiteral("Ime i prezime"), QStringLiteral("Izmjena"), QStringLiteral("Serija")};
}
inline QString changeLogSaved(const QString& path) { return QStringLiteral("Dnevnik je spremljen u ") + path + QLatin1Char('.'); }
inline QString stationNameLabel() { return QStringLiteral("Ime stanice:"); }
inline QString stationNameTip()
{
    return QStringLiteral("Ime ovog računala u dnevniku izmjena (prazno: ime računala)");
}

// ---- Kinds of change -----------------------------------------------------------
inline QString kindRaceAdded() { return QStringLiteral("nova utrka"); }
inline QString kindRaceEdited() { return QStringLiteral("izmjena utrke"); }
inline QString kindRaceWithdrawn() { return QStringLiteral("povlačenje utrke"); }
inline QString kindRaceRemoved() { return QStringLiteral("brisanje utrke"); }
inline QString kindPrizes() { return QStringLiteral("nagradni fond"); }
inline QString kindCompetitorAdded() { return QStringLiteral("upis takmičara"); }
inline QString kindCompetitorEdited() { return QStringLiteral("izmjena takmičara"); }
inline QString kindCompetitorDeleted() { return QStringLiteral("brisanje takmičara"); }
inline QString kindFinishEntered() { return QStringLiteral("upis vremena"); }
inline QString kindFinishEdited() { return QStringLiteral("izmjena vremena"); }
inline QString kindFinishRemoved() { return QStringLiteral("brisanje vremena"); }
inline QString kindStatus() { return QStringLiteral("status"); }
inline QString kindMarkDns() { return QStringLiteral("Označi DNS"); }
inline QString kindSettings() { return QStringLiteral("postavke utrke"); }
inline QString kindImportEntries() { return QStringLiteral("uvoz prijava"); }
inline QString kindImportTimes() { return QStringLiteral("uvoz vremena"); }
inline QString kindUndoMark() { return QStringLiteral(" (poništavanje)"); }
inline QString kindRedoMark() { return QStringLiteral(" (ponavljanje)"); }

// What one change did, as the menu names it.
inline QString changeFinish(const QString& kind, const QString& time, const QString& number)
{
    return QStringLiteral("%1 %2 za broj %3").arg(kind, time, number);
}
inline QString changeOfWhom(const QString& kind, const QString& who) { return kind + QLatin1Char(' ') + who; }
inline QString changeCount(const QString& kind, int rows) { return QStringLiteral("%1 (%2)").arg(kind).arg(rows); }
inline QString numberShort(const QString& number) { return QStringLiteral("br. ") + number; }

// ---- Fields as the log names them ---------------------------------------------
inline QString logFieldNumber() { return QStringLiteral("Broj"); }
inline QString logFieldName() { return QStringLiteral("Ime i prezime"); }
inline QString logFieldCountry() { return QStringLiteral("Država"); }
inline QString logFieldClub() { return QStringLiteral("Klub"); }
inline QString logFieldSex() { return QStringLiteral("Spol"); }
inline QString logFieldBirthDate() { return QStringLiteral("Datum rođenja"); }
inline QString logFieldTime() { return QStringLiteral("Vrijeme"); }
inline QString logFieldRaceName() { return QStringLiteral("Ime utrke"); }
inline QString logFieldOrganiser() { return QStringLiteral("Organizator"); }
inline QString logFieldRaceDate() { return QStringLiteral("Datum"); }
inline QString logFieldOffered() { return QStringLiteral("Ponuđena"); }
inline QString logFieldPrizes() { return QStringLiteral("Nagradni fond"); }
inline QString logFieldStatus() { return QStringLiteral("Status"); }
inline QString logFieldReason() { return QStringLiteral("Razlog"); }
inline QString logFieldListUnranked() { return QStringLiteral("Prikaz bez plasmana"); }
inline QString logFieldCourseKm() { return QStringLiteral("Dužina staze (km)"); }
inline QString logAdded() { return QStringLiteral("Dodano: "); }
inline QString logRemoved() { return QStringLiteral("Obrisano: "); }
inline QString logNone() { return QStringLiteral("(ništa)"); }
inline QString logArrow() { return QStringLiteral(" → "); }

// ---- Refusals of undo and redo --------------------------------------------------
inline QString nothingToUndo() { return QStringLiteral("Nema izmjene koju bi se moglo poništiti."); }
inline QString nothingToRedo() { return QStringLiteral("Nema izmjene koju bi se moglo ponoviti."); }
// Another station changed the same row after the change to be undone.
inline QString undoOvertaken(const QString& station, const QString& time)
{
    return QStringLiteral("Izmjenu nije moguće poništiti: stanica %1 je isti podatak kasnije promijenila "
                          "(%2). Ništa nije promijenjeno.")
        .arg(station, time);
}
// The row differs from what the change left, with nothing in the log to tell who changed it.
inline QString undoRowDiffers()
{
    return QStringLiteral("Izmjenu nije moguće poništiti: podatak je u međuvremenu promijenjen. "
                          "Ništa nije promijenjeno.");
}
inline QString undoRaceNotEmpty()
{
    return QStringLiteral("Izmjenu nije moguće poništiti: utrka već ima takmičare ili vremena. "
                          "Ništa nije promijenjeno.");
}
// Undoing would delete a competitor who has a finish record since.
inline QString undoFinisherMeanwhile()
{
    return QStringLiteral("Izmjenu nije moguće poništiti: takmičar kojeg bi poništavanje obrisalo u međuvremenu "
                          "ima vrijeme na cilju. Ništa nije promijenjeno.");
}
inline QString logUnknownBatch() { return QStringLiteral("Izmjena nije pronađena u dnevniku."); }

} // namespace tx

namespace tx {

inline QString cliHelpLog()
{
    return QStringLiteral(
        "kelvora log [--db BAZA] --race ŠIFRA [--format text|csv]\n"
        "Dnevnik izmjena utrke, najnovija izmjena prva: broj, vrijeme, stanica, korisnik,\n"
        "vrsta, startni broj, ime i što je promijenjeno, odvojeno tabulatorom, ili kao CSV tablica.\n");
}

} // namespace tx

// ---- Kinds of the race's rules and of the finish line ---------------------------
namespace tx {
inline QString kindRules() { return QStringLiteral("pravila utrke"); }
inline QString kindCaptureStart() { return QStringLiteral("start utrke"); }
inline QString kindCapturePress() { return QStringLiteral("vrijeme na cilju"); }
inline QString kindCaptureNumber() { return QStringLiteral("broj na cilju"); }
inline QString kindCaptureNumberWaiting() { return QStringLiteral("broj čeka vrijeme"); }
inline QString kindCaptureShift() { return QStringLiteral("pomak brojeva na cilju"); }
inline QString kindCaptureDeleted() { return QStringLiteral("brisanje vremena na cilju"); }
inline QString kindCaptureRestored() { return QStringLiteral("vraćeno vrijeme na cilju"); }
inline QString kindCaptureInserted() { return QStringLiteral("umetnuto vrijeme na cilju"); }
inline QString kindCaptureImport() { return QStringLiteral("uvoz vremena s cilja"); }
inline QString kindCaptureChanged() { return QStringLiteral("izmjena retka s cilja"); }
inline QString kindCaptureRemoved() { return QStringLiteral("uklonjen redak s cilja"); }
inline QString kindCaptureRecord() { return QStringLiteral("zapis vremena s cilja"); }
inline QString kindCaptureRecordRemoved() { return QStringLiteral("uklonjen zapis vremena s cilja"); }
inline QString logFieldCategories() { return QStringLiteral("Kategorije"); }
inline QString logFieldPrizeRules() { return QStringLiteral("Nagrade"); }
inline QString logFieldTeams() { return QStringLiteral("Ekipe"); }
inline QString logNoTeams() { return QStringLiteral("bez ekipnog poretka"); }
// The team rule in the log: "3 (spol-mjesta)".
inline QString logTeams(int size, const QString& way) { return QStringLiteral("%1 (%2)").arg(size).arg(way); }
inline QString logFieldStart() { return QStringLiteral("Start"); }
inline QString logFieldCaptured() { return QStringLiteral("Vrijeme dana"); }
inline QString logFieldDeleted() { return QStringLiteral("Obrisano"); }
inline QString logPressDeleted() { return QStringLiteral("Vrijeme s cilja obrisano"); }
inline QString logPressRestored() { return QStringLiteral("Vrijeme s cilja vraćeno"); }
inline QString logFieldSource() { return QStringLiteral("Izvor"); }
inline QString logStandardRules() { return QStringLiteral("standardna"); }
} // namespace tx
