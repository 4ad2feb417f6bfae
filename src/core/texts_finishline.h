#pragma once

// The Croatian texts of timing at the finish line.

#include <QString>

#define KVR_FL_TEXT(name, literal) \
    inline QString name() { return QStringLiteral(literal); }

namespace tx {

KVR_FL_TEXT(flMenu, "Bilježenje na cilju...")
KVR_FL_TEXT(flImportMenu, "Uvoz vremena s cilja...")
KVR_FL_TEXT(flTitle, "Bilježenje na cilju")
KVR_FL_TEXT(flTime, "Vrijeme")
KVR_FL_TEXT(flStart, "Start")
KVR_FL_TEXT(flUndoStart, "Poništi start")
KVR_FL_TEXT(flSetStart, "Upiši start...")
KVR_FL_TEXT(flNumber, "Startni broj:")
KVR_FL_TEXT(flInsert, "Umetni vrijeme...")
KVR_FL_TEXT(flDelete, "Obriši red")
// The buttons beside the list of captured times.
KVR_FL_TEXT(flButtonInsert, "Umetni vrijeme...")
KVR_FL_TEXT(flButtonDelete, "Obriši")
KVR_FL_TEXT(flButtonNumber, "Promijeni broj...")
KVR_FL_TEXT(flButtonUp, "Brojevi gore")
KVR_FL_TEXT(flButtonDown, "Brojevi dolje")
KVR_FL_TEXT(flInsertTimeLabel, "Vrijeme (hh:mm:ss.s)")
KVR_FL_TEXT(flCloseQuestion, "Zatvoriti bilježenje na cilju? Vrijeme utrke i dalje teče.")
KVR_FL_TEXT(flWaitForStore, "Zapisi se još spremaju; pokušajte ponovno za trenutak.")
KVR_FL_TEXT(flNothingToUndo, "Nema promjene za poništiti")
KVR_FL_TEXT(flNothingToRedo, "Nema promjene za ponoviti")
KVR_FL_TEXT(flPreviewWaits, "čeka vrijeme")
KVR_FL_TEXT(flPreviewNotOnList, "broj nije na startnoj listi")
KVR_FL_TEXT(flPreviewUsed, "broj je već upisan")
KVR_FL_TEXT(flInsertedMark, "umetnuto")
KVR_FL_TEXT(flRestore, "Vrati red")
KVR_FL_TEXT(flChangeNumber, "Promijeni broj...")
KVR_FL_TEXT(flClearNumber, "Ukloni broj")
KVR_FL_TEXT(flShiftUp, "Pomakni brojeve gore")
KVR_FL_TEXT(flShiftDown, "Pomakni brojeve dolje")
KVR_FL_TEXT(flClose, "Zatvori")
KVR_FL_TEXT(flNoStart, "Start nije zabilježen")

// Columns of the list of captured times.
KVR_FL_TEXT(flColSeq, "R. br.")
KVR_FL_TEXT(flColTimeOfDay, "Vrijeme dana")
KVR_FL_TEXT(flColElapsed, "Proteklo")
KVR_FL_TEXT(flColNumber, "St. broj")
KVR_FL_TEXT(flColName, "Ime i prezime")
KVR_FL_TEXT(flColState, "Stanje")

// States of a captured row.
KVR_FL_TEXT(flStateMatched, "u startnoj listi")
KVR_FL_TEXT(flStateNotOnList, "startni broj nije na startnoj listi")
KVR_FL_TEXT(flStateNumberUsed, "broj već ima drugi red")
KVR_FL_TEXT(flStateNoNumber, "vrijeme bez startnog broja")
KVR_FL_TEXT(flStateConflict, "takmičar već ima upisano vrijeme")
KVR_FL_TEXT(flStateDeleted, "obrisano")
KVR_FL_TEXT(flStateWaiting, "broj čeka vrijeme")
KVR_FL_TEXT(flStatePending, "sprema se")
KVR_FL_TEXT(flStateDoubtful, "provjeri")
KVR_FL_TEXT(flConfirm, "Potvrdi")
KVR_FL_TEXT(flConfirmEmpty, "Odaberite redove koje treba potvrditi")
KVR_FL_TEXT(flSelectOne, "Odaberite jedan red")
KVR_FL_TEXT(flSettingsGap, "Najmanji razmak vremena na cilju (s):")
KVR_FL_TEXT(flSettingsWait, "Najdulje čekanje vremena na broj (s):")
KVR_FL_TEXT(flSettingsGapShape, "Najmanji razmak upišite u sekundama, od 0 do 10 (npr. 0,2)")
KVR_FL_TEXT(flSettingsWaitShape, "Najdulje čekanje upišite u sekundama, od 1 do 3600 (npr. 60)")

inline QString flCounts(int times, int numbered, int without)
{
    return QStringLiteral("Vremena: %1   s brojem: %2   bez broja: %3").arg(times).arg(numbered).arg(without);
}
// What Enter does with the number typed: the time it takes and whom it names.
inline QString flPreview(const QString& time, const QString& number, const QString& name)
{
    return QStringLiteral("→ %1 · %2 %3").arg(time, number, name).trimmed();
}

inline QString flCountsWaiting(int times, int numbered, int without, int numbersWaiting)
{
    return QStringLiteral("Vremena: %1   s brojem: %2   bez broja: %3   brojeva bez vremena: %4")
        .arg(times)
        .arg(numbered)
        .arg(without)
        .arg(numbersWaiting);
}

inline QString flJournalUnwritten(const QString& path)
{
    return QStringLiteral("Dnevnik cilja %1 nije zapisan: vrijeme je prikazano i sprema se u bazu, ali ne bi "
                          "preživjelo pad programa.").arg(path);
}

inline QString flPendingCount(int count)
{
    return QStringLiteral("Baza nedostupna: %1 zapisa čeka spremanje").arg(count);
}

// Refusals.
KVR_FL_TEXT(flStartShape, "Vrijeme starta upišite kao hh:mm:ss ili hh:mm:ss.s (npr. 10:00:00.25)")
KVR_FL_TEXT(flTimeShape, "Vrijeme upišite kao hh:mm:ss ili hh:mm:ss.s (npr. 10:41:07.3)")
KVR_FL_TEXT(flNumberShape, "Startni broj upišite znamenkama (najviše 6)")
KVR_FL_TEXT(flStartAlready, "Start je već zabilježen")
KVR_FL_TEXT(flNoStartToUndo, "Start nije zabilježen")
KVR_FL_TEXT(flUndoTooLate, "Start se može poništiti samo unutar minute od pritiska")
KVR_FL_TEXT(flUndoQuestion, "Želite li zaista poništiti start?")
KVR_FL_TEXT(flRowGone, "Taj red više ne postoji")
KVR_FL_TEXT(flShiftEmpty, "Odaberite redove čije brojeve treba pomaknuti")
KVR_FL_TEXT(flOffsetShape, "Pomak upišite u sekundama, npr. +2 ili -1.5")
KVR_FL_TEXT(flToleranceShape, "Toleranciju upišite u sekundama, npr. 1 ili 0.5")
inline QString flFileLine(int line, const QString& text)
{
    return QStringLiteral("Redak %1: nije vrijeme dana (h:mm:ss): %2").arg(line).arg(text);
}
inline QString flImported(int paired, int added)
{
    return QStringLiteral("Upareno s postojećim vremenima: %1, dodano novih: %2").arg(paired).arg(added);
}

// Findings of the results check.
// A captured row marked "provjeri"; a number waiting for a time has no row number yet.
inline QString checkCaptureDoubtful(int seq, const QString& time, const QString& number)
{
    if (seq == 0)
        return QStringLiteral("provjeriti: broj %1 upisan bez vremena").arg(number);
    return QStringLiteral("provjeriti: red %1 (%2, broj %3)")
        .arg(seq)
        .arg(time, number.isEmpty() ? QStringLiteral("-") : number);
}

inline QString checkTimeWithoutNumber(int seq, const QString& time)
{
    return QStringLiteral("vrijeme bez startnog broja: red %1 (%2)").arg(seq).arg(time);
}
inline QString checkNumberNotOnList(const QString& number, int seq)
{
    return QStringLiteral("startni broj nije na startnoj listi: %1 (red %2)").arg(number, QString::number(seq));
}
inline QString checkNumberUsedTwice(const QString& number, int seq, const QString& time)
{
    return QStringLiteral("startni broj %1 već ima raniji red: red %2 (%3) ne daje rezultat")
        .arg(number, QString::number(seq), time);
}
inline QString checkTimeBeforeStart(const QString& number, int seq, const QString& time)
{
    return QStringLiteral("vrijeme s cilja prije starta utrke: startni broj %1 (red %2, %3)")
        .arg(number, QString::number(seq), time);
}
inline QString checkNoStart(int times)
{
    return QStringLiteral("utrka nema vrijeme starta: vremena s cilja (%1) nisu upisana u ciljnu listu").arg(times);
}
inline QString checkCaptureConflict(const QString& number, const QString& name, const QString& typed,
                                    const QString& captured)
{
    return QStringLiteral("startni broj %1 (%2) ima upisano vrijeme %3, a na cilju je zabilježeno %4")
        .arg(number, name, typed, captured);
}

} // namespace tx

#undef KVR_FL_TEXT

namespace tx {
// The source of a time typed in as a correction.
inline QString flSourceTyped() { return QStringLiteral("upisano"); }
} // namespace tx

namespace tx {

inline QString cliHelpStart()
{
    return QStringLiteral(
        "kelvora start [--db BAZA] --race ŠIFRA --at hh:mm:ss[.fff]\n"
        "Upisuje (ili ispravlja) vrijeme starta utrke kao doba dana. Ispravak pomiče sva\n"
        "vremena zabilježena na cilju i rezultate nastale iz njih; upisani rezultati ostaju.\n");
}

inline QString cliHelpCapture()
{
    return QStringLiteral(
        "kelvora capture [--db BAZA] --race ŠIFRA\n"
        "Bilježenje na cilju sa standardnog ulaza, redak po redak:\n"
        "  prazan redak      vrijeme u trenutku čitanja\n"
        "  t hh:mm:ss.fff    to doba dana\n"
        "  BROJ              startni broj, najstarijem vremenu bez broja (ili čeka iduće vrijeme)\n"
        "  x RED             označava red RED obrisanim\n"
        "Ispisuje svaki spremljeni red: red, doba dana, proteklo vrijeme, startni broj, stanje.\n");
}

inline QString cliHelpImportCapture()
{
    return QStringLiteral(
        "kelvora import-capture [--db BAZA] --race ŠIFRA DATOTEKA [--offset ±SEKUNDE] [--tolerance SEKUNDE]\n"
        "Spaja datoteku vremena (h:mm:ss ili hh:mm:ss s dijelovima sekunde, zatim po želji startni\n"
        "broj, odvojeno zarezom, točkom sa zarezom, tabulatorom ili razmacima) s vremenima na cilju:\n"
        "vrijeme unutar tolerancije (zadano 1 s) od zabilježenog uparuje se s njim i daje mu broj\n"
        "koji nema; ostala postaju novi redovi označeni izvorom. Ništa se ne prepisuje.\n");
}

inline QString cliCaptureBadLine(const QString& line)
{
    return QStringLiteral("Nepoznat redak (prazan redak, t hh:mm:ss.fff, startni broj ili x RED): ") + line;
}

} // namespace tx
