#pragma once

// Every Croatian text of the program: captions, messages and printed
// headings, in one place.

#include "core/dbresult.h"

#include <QString>
#include <QStringList>

#include "core/version.h"

#define KVR_TEXT(name, literal) \
    inline QString name() { return QStringLiteral(literal); }

namespace tx {

// The line break inside messages and standings titles.
KVR_TEXT(crlf, "\r\n")

// ---- Program and main window ---------------------------------------------
KVR_TEXT(appTitle, "Kelvora")
KVR_TEXT(appVersionLine, "Kelvora " KVR_VERSION)
KVR_TEXT(menuAbout, "O programu...")
KVR_TEXT(aboutTitle, "O programu")
inline QString aboutText(const QString& database)
{
    return QStringLiteral("Kelvora " KVR_VERSION "\nUtrke, startne liste, rezultati i poredak.\n\nBaza: ") + database;
}
inline QString raceCaption(const QString& name) { return QStringLiteral("Ime utrke: ") + name; }

KVR_TEXT(tabStartList, "Startna lista")
KVR_TEXT(tabResults, "Rezultati")
KVR_TEXT(tabReports, "Izvještaji")
KVR_TEXT(tabHelp, "Pomoć")

KVR_TEXT(headerRaceName, "Ime utrke:")
KVR_TEXT(headerOrganiser, "Organizator:")
KVR_TEXT(headerDate, "Datum održavanja:")
KVR_TEXT(tipRaceName, "Ime utrke")
KVR_TEXT(tipOrganiser, "Organizator utrke")
KVR_TEXT(tipDate, "Datum utrke")

KVR_TEXT(fieldName, "Ime i prezime: *")
KVR_TEXT(fieldStartNumber, "Startni broj:")
KVR_TEXT(fieldCountry, "Država: *")
KVR_TEXT(fieldClub, "Klub: *")
KVR_TEXT(fieldSex, "Spol:")
KVR_TEXT(fieldBirthDate, "Datum rođ.: *")
KVR_TEXT(sexMale, "M")
KVR_TEXT(sexFemale, "Ž")
KVR_TEXT(buttonAddCompetitor, "Dodaj takmičara")
KVR_TEXT(buttonPrintStartList, "Ispis startne liste")

KVR_TEXT(fieldFinishStartNumber, "Startni broj:")
KVR_TEXT(fieldFinishTime, "Postignuto vrijeme:")
KVR_TEXT(buttonEnterFinish, "Upiši")
KVR_TEXT(finishListCaption, "Ciljna lista:")
KVR_TEXT(counterRegistered, "Broj  prijavljenih:")
KVR_TEXT(counterStarted, "Na  startu:")
KVR_TEXT(counterFinished, "Na  cilju:")

KVR_TEXT(fieldCategory, "Kategorija:")
KVR_TEXT(optionWomen, "Žene")
KVR_TEXT(optionMen, "Muškarci")
KVR_TEXT(optionAll, "Svi")
KVR_TEXT(buttonProcess, "Obrada")
KVR_TEXT(buttonPrintStandings, "Ispis na &pisač")
KVR_TEXT(buttonPreview, "Pregled ispisa")
KVR_TEXT(reportFrame, "Izvještaj")
KVR_TEXT(reportRegistered, "Prijavljenih:")
KVR_TEXT(reportStarted, "Na startu:")
KVR_TEXT(reportFinished, "U cilju:")

inline QStringList columnsStartList()
{
    return {QStringLiteral("R.br."), QStringLiteral("St. br."), QStringLiteral("Ime i prezime"),
            QStringLiteral("Država"), QStringLiteral("Klub"), QStringLiteral("Spol"),
            QStringLiteral("Datum rođ."), QString()};
}
inline QStringList columnsFinishList()
{
    return {QStringLiteral("Poredak"), QStringLiteral("St. broj."), QStringLiteral("Vrijeme"), QString()};
}
inline QStringList columnsFinishDetails()
{
    return {QStringLiteral("Por."), QStringLiteral("St.br."), QStringLiteral("Ime i prezime"),
            QStringLiteral("God.rođ."), QStringLiteral("Država"), QStringLiteral("Spol"),
            QStringLiteral("Kateg."), QStringLiteral("Vrijeme")};
}
inline QStringList columnsStandings()
{
    return {QStringLiteral("Por."), QStringLiteral("St. br."), QStringLiteral("Ime i prezime"),
            QStringLiteral("Država"), QStringLiteral("Klub"), QStringLiteral("Spol"),
            QStringLiteral("Kateg."), QStringLiteral("God. rođ."), QStringLiteral("Vrijeme"), QString()};
}

// Menus
KVR_TEXT(menuMain, "&Meni")
KVR_TEXT(menuNewRace, "Nova utrka...")
KVR_TEXT(menuOpenRace, "Otvori utrku...")
KVR_TEXT(menuPrintRegistered, "Ispis liste prijavljenih...")
KVR_TEXT(menuPrintStartList, "Ispis startne liste...")
KVR_TEXT(menuExit, "Izlaz")
KVR_TEXT(menuEdit, "&Edit")
KVR_TEXT(menuEditRace, "Izmjena podataka o utrci")
KVR_TEXT(menuWithdrawRace, "Brisanje utrke...")
KVR_TEXT(menuPrizes, "Pogled na nagrade")
KVR_TEXT(menuCategories, "Pogled na kategorije")
KVR_TEXT(menuStartList, "Startnalista")
KVR_TEXT(menuEditCompetitor, "Izmjena podataka o takmičaru")
KVR_TEXT(menuDeleteCompetitor, "Brisanje takmičara")
KVR_TEXT(menuFinishList, "Ciljna lista")
KVR_TEXT(menuDeleteFinish, "Brisanje takmičara sa ciljne liste")
KVR_TEXT(menuData, "&Podaci")
inline QString raceNotFound(qint64 id)
{
    return QStringLiteral("Utrka sa šifrom ") + QString::number(id) + QStringLiteral(" ne postoji.");
}
// A competitor removed by another station while being edited or deleted here.
KVR_TEXT(competitorGone, "Ovog takmičara više nema na startnoj listi: obrisan je na drugom računalu.")
KVR_TEXT(finisherMeanwhile, "Takmičar je u međuvremenu upisan na ciljnu listu na drugom računalu. Pokušajte ponovo.")
// The status bar: the database the window works on, and its connection.
inline QString statusDatabase(const QString& where, bool connected)
{
    return QStringLiteral("Baza: ") + where
        + (connected ? QStringLiteral(" · povezano") : QStringLiteral(" · veza s bazom je prekinuta"));
}
KVR_TEXT(menuImportEntries, "Uvoz prijava...")
KVR_TEXT(menuImportTimes, "Uvoz vremena...")
KVR_TEXT(menuExport, "Izvoz...")
KVR_TEXT(menuPreviewRegistered, "Pregled ispisa liste prijavljenih...")
KVR_TEXT(menuPreviewStartList, "Pregled ispisa startne liste...")

// The help page, line by line.
inline QStringList helpLines()
{
    return {
        QStringLiteral("Pomoć!"), QString(),
        QStringLiteral("Moguće je unijeti novu utrku ili editirati već postojeću."), QString(),
        QStringLiteral("Startna lista:"),
        QStringLiteral("Startnu listu popuniti onako kako se javljaju takmičari a startni broj unijeti kad im se dodijeli."),
        QStringLiteral("Ako nema startnog broja smatra se da se prijavio ali nije bio na startu."),
        QStringLiteral("Primjer unošenja:"), QStringLiteral("Datum: 23.12.1988"), QStringLiteral("Vrijeme: 02:12:45"), QString(),
        QStringLiteral("Izmjena na startnoj listi:"),
        QStringLiteral("Desnom tipkom označite takmičara na listi, kliknuti na izmjena takmičara ili dvoklik na takmičara"), QString(),
        QStringLiteral("Ciljna lista:"),
        QStringLiteral("Ciljnu listu unijeti kad se utrka završi i suci donesu startne brojeve i vremena"), QString(),
        QStringLiteral("Izmjena u ciljnoj listi:"),
        QStringLiteral("Desnom tipkom označite upis, obrišete ga i unesete novi upis onako kako ste željeli. Nema dvoklik."), QString(),
        QStringLiteral("Izvještaji:"),
        QStringLiteral("Odaberete kategoriju ili svi, odaberete spol ili svi i kliknete na dugme \"Obrada\""),
        QStringLiteral("Svi do petog mjesta dobivaju nagrade po ukupnom poretku."),
        QStringLiteral("Takmičar koji je zauzeo šesto mjesto ili niže potpada pod nagrade po kategorijama."), QString(),
        QString(102, QLatin1Char('_')),
        QStringLiteral("Ime programa: Kelvora " KVR_VERSION), QString(),
        QStringLiteral("Namjena programa:"),
        QStringLiteral("1. Pohrana svih utrka na jedno mjesto"),
        QStringLiteral("2. Obrada podataka te stvaranje poretka ukupno, te po kategorijama i spolu"),
        QStringLiteral("3. Ispis svih izvještaja na zaslon i na pisač"),
    };
}

// The race day as the program now does it, shown below the help above.
inline QStringList helpRaceDayLines()
{
    return {
        QString(102, QLatin1Char('_')), QString(),
        QStringLiteral("Dan utrke"), QString(),
        QStringLiteral("Prijave iz datoteke (Podaci → Uvoz prijava...):"),
        QStringLiteral("Program prepoznaje stupce po vrijednostima (startni broj, ime i prezime ili ime i prezime u dva stupca, klub,"),
        QStringLiteral("kategorija, država, godina ili datum rođenja); provjerite izbor iznad prikaza i upišite zadane vrijednosti za polja kojih nema."),
        QStringLiteral("Kategorije datoteke koje utrka nema (npr. M50, FU20) dodaju se gumbom „Dodaj kategorije...”: provjerite ih i spremite."),
        QStringLiteral("Svaki redak prolazi iste provjere kao ručni upis; sprema se sve ili ništa."), QString(),
        QStringLiteral("Bilježenje na cilju (Bilježenje na cilju...):"),
        QStringLiteral("Svaki pritisak bilježi vrijeme odmah, startni broj upisuje se kad ga suci pročitaju; ništa se ne gubi ni kad baza kasni."),
        QStringLiteral("Upisano vrijeme može se izmijeniti ili obrisati, a izmjene se mogu poništiti."), QString(),
        QStringLiteral("Statusi i provjera rezultata (Status..., Provjera rezultata...):"),
        QStringLiteral("Takmičaru se može dati status DNS (nije startao), DNF (nije završio) ili DSQ (diskvalificiran, s razlogom)."),
        QStringLiteral("Provjera rezultata pokazuje što treba riješiti prije objave: upise bez takmičara, dvostruke brojeve, nedostajuće statuse."), QString(),
        QStringLiteral("Kategorije i nagrade (Postavke utrke...):"),
        QStringLiteral("Svaka utrka može imati svoje dobne kategorije i kategorije nagrada; bez njih vrijede zadane."), QString(),
        QStringLiteral("Rezultati uživo:"),
        QStringLiteral("Poslužitelj rezultata uživo pokazuje poredak na mobitelima u istoj mreži (adresa i QR kod u prozoru)."), QString(),
        QStringLiteral("Poništavanje i dnevnik:"),
        QStringLiteral("Edit → Poništi vraća zadnju izmjenu ove stanice; dnevnik izmjena pokazuje sve izmjene svih stanica."),
        QStringLiteral("Više prijenosnika radi na istoj utrci preko PostgreSQL baze; svaka stanica vidi izmjene drugih u sekundi."),
    };
}

// The twelve age-category labels, in table order.
inline QStringList categoryLabels()
{
    return {QStringLiteral("do 18"), QStringLiteral("19-24"), QStringLiteral("25-29"), QStringLiteral("30-34"),
            QStringLiteral("35-39"), QStringLiteral("40-44"), QStringLiteral("45-49"), QStringLiteral("50-54"),
            QStringLiteral("55-59"), QStringLiteral("60-64"), QStringLiteral("65-69"), QStringLiteral("70 i više")};
}
KVR_TEXT(categoryAll, "Svi")
// The prize rule of a race with prize categories of its own, for the help page.
KVR_TEXT(helpOwnPrizes, "Nagrade ove utrke (Postavke utrke... → Nagrade), redom:")
inline QString helpPrizeRow(const QString& name, int count, const QString& sex, int from, int to)
{
    QString ages = to >= 150 ? QStringLiteral("od %1 god.").arg(from) : QStringLiteral("%1–%2 god.").arg(from).arg(to);
    if (from <= 0 && to >= 150)
        ages = QStringLiteral("sve dobi");
    return QStringLiteral("%1: %2 nagrada, %3, %4").arg(name).arg(count).arg(sex.isEmpty() ? QStringLiteral("oba spola") : sex, ages);
}

// ---- Database ---------------------------------------------------------------
KVR_TEXT(dbPasswordRefused, "Poslužitelj baze podataka ne prihvaća korisničko ime ili lozinku.")
// The failure told in one sentence of the program's own. A driver's text
// is never shown: it went to the log file, named when the cause has no
// sentence of its own. A text the program made itself is shown as it is.
KVR_TEXT(dbBusy, "Baza je zaključana: drugi program upravo piše u nju.")
KVR_TEXT(dbUnreachable, "Poslužitelj ne odgovara.")
inline QString dbErrorExplained(const DbError& detail)
{
    if (!detail.isDriverText())
        return detail;
    switch (detail.kind()) {
    case DbError::Kind::Busy:
    case DbError::Kind::Deadlock:
        return dbBusy();
    case DbError::Kind::Unreachable:
        return dbUnreachable();
    case DbError::Kind::Full:
        return QStringLiteral("Disk je pun.");
    case DbError::Kind::ReadOnly:
        return QStringLiteral("Baza podataka je samo za čitanje.");
    case DbError::Kind::NoPassword:
        return QStringLiteral("Poslužitelj baze podataka traži lozinku, a adresa je ne sadrži.");
    case DbError::Kind::WrongPassword:
        return dbPasswordRefused();
    case DbError::Kind::Damaged:
        return QStringLiteral("Datoteka nije baza podataka ovog programa ili je oštećena.");
    case DbError::Kind::Duplicate:
        return QStringLiteral("Takav zapis već postoji.");
    case DbError::Kind::Gone:
        return QStringLiteral("Zapis je u međuvremenu uklonjen.");
    case DbError::Kind::Other:
        break;
    }
    return detail.logFile().isEmpty()
        ? QStringLiteral("Baza podataka nije izvršila naredbu.")
        : QStringLiteral("Baza podataka nije izvršila naredbu (pojedinosti su zapisane u %1).").arg(detail.logFile());
}
inline QString dbError(const DbError& detail)
{
    return QStringLiteral("Greška baze podataka:") + QStringLiteral("\n") + dbErrorExplained(detail);
}
KVR_TEXT(dbFileUnchanged, "Datoteka nije mijenjana.")
// A journal lay beside the file: SQLite has rolled it back into the file
// while opening it, so the file may differ from what it was before.
inline QString dbJournalApplied(const QString& journalName)
{
    return QStringLiteral("Uz datoteku je pronađen dnevnik nedovršenog upisa (%1); baza podataka ga je pri "
                          "otvaranju primijenila na datoteku, pa datoteka možda nije ista kao prije.")
        .arg(journalName);
}
// journalName is empty when no journal lay beside the file.
inline QString dbUnusable(const QString& path, const DbError& detail, const QString& journalName = QString())
{
    return QStringLiteral("Datoteku baze podataka nije moguće koristiti:\n") + path + QStringLiteral("\n\n")
        + dbErrorExplained(detail) + QStringLiteral("\n\n")
        + (journalName.isEmpty() ? dbFileUnchanged() : dbJournalApplied(journalName))
        + QStringLiteral(" Program se zatvara.");
}
// At start the file is locked by another program.
inline QString dbBusyAtStart(const QString& path, const DbError& detail)
{
    return QStringLiteral("Datoteku baze podataka trenutno nije moguće otvoriti:\n") + path + QStringLiteral("\n\n")
        + dbErrorExplained(detail) + QStringLiteral("\n\nPokušati ponovo?");
}
KVR_TEXT(dbNotAFile, "to nije datoteka.")
KVR_TEXT(dbNotReadable, "datoteku nije moguće čitati.")
KVR_TEXT(dbNotWritable, "u datoteku nije moguće pisati.")
KVR_TEXT(dbDirNotWritable, "u mapu programa nije moguće pisati.")
KVR_TEXT(dbNotCreated, "novu datoteku baze podataka nije moguće spremiti pod njezinim imenom.")
// Reading the --db address of a PostgreSQL database.
KVR_TEXT(dbUrlBadEncoding, "Adresa baze podataka sadrži neispravan znak kodiran s %.")
// The port's text is not quoted: a password with an unencoded character can
// end up where the port is read.
KVR_TEXT(dbUrlBadPort, "Adresa baze podataka sadrži neispravan broj porta.")
KVR_TEXT(dbUrlEncodePassword, "U adresi baze podataka znakovi /, ?, # i @ u imenu ili lozinci moraju biti "
                              "zapisani kodirano (na primjer / kao %2F, @ kao %40).")
KVR_TEXT(dbUrlOneHost, "Adresa baze podataka smije navesti samo jedan poslužitelj.")
inline QString dbUrlBadOption(const QString& key)
{
    return QStringLiteral("Adresa baze podataka sadrži neispravnu opciju: %1").arg(key);
}
inline QString dbUrlInvalid(const QString& detail)
{
    return QStringLiteral("Neispravna adresa baze podataka (--db):\n") + detail;
}
// A PostgreSQL database the program cannot use: nothing in it was changed.
inline QString dbServerUnusable(const QString& name, const DbError& detail)
{
    return QStringLiteral("Bazu podataka nije moguće koristiti:\n") + name + QStringLiteral("\n\n")
        + dbErrorExplained(detail) + QStringLiteral("\n\nBaza podataka nije mijenjana. Program se zatvara.");
}
KVR_TEXT(dbForeignTables, "baza podataka sadrži tablice koje ovaj program nije napravio, a nema tablice programa.")
inline QString dbNoSuchRace(qint64 id)
{
    return QStringLiteral("utrka s ključem %1 ne postoji.").arg(id);
}

// ---- Dates -----------------------------------------------------------------
KVR_TEXT(exampleRaceDate, "Primjer unošenja datuma utrke: 23.01.1958")
KVR_TEXT(exampleBirthDate, "Primjer unošenja datuma rođenja: 23.01.1958")
// M1: too short, or a dot at either end.
inline QString dateMessageLong(const QString& example)
{
    return example + crlf() + QStringLiteral("dd.mm.yyyy") + QStringLiteral(" ili d.m.yyyy");
}
// M2: not exactly two dots.
inline QString dateMessageShort(const QString& example)
{
    return example + crlf() + QStringLiteral("dd.mm.yyyy") + QStringLiteral(" ili d.m.yy");
}

// ---- Races -----------------------------------------------------------------
KVR_TEXT(newRaceTitle, "Upis nove utrke")
KVR_TEXT(raceFieldName, "Ime utrke:")
KVR_TEXT(raceFieldOrganiser, "Organizator:")
KVR_TEXT(raceFieldDate, "Datum održavanja utrke:")
KVR_TEXT(buttonStore, "&Upiši")
KVR_TEXT(buttonExit, "&Izlaz")
KVR_TEXT(allRaceFieldsRequired, "Sva polja moraju biti popunjena!")
KVR_TEXT(raceNameExists, "Ime utrke već postoji! Upišite drugo ime ili otvorite utrku pod tim imenom!")

KVR_TEXT(openRaceTitle, "Otvori utrku")
KVR_TEXT(openColumnName, "Ime utrke")
KVR_TEXT(openColumnId, "Id")
KVR_TEXT(openColumnDate, "Datum")
KVR_TEXT(openHint, "Označite utrku na listi i kliknite na dugme Otvori")
KVR_TEXT(buttonOpen, "&Otvori")
KVR_TEXT(selectRaceToOpen, "Označite utrku koju želite otvoriti!")

KVR_TEXT(editRaceTitle, "Izmjena podataka o utrci")
KVR_TEXT(buttonChange, "I&zmjena")
KVR_TEXT(noOpenRace, "Nema otvorene utrke!")

KVR_TEXT(withdrawRaceTitle, "Brisanje utrke")
inline QString withdrawRaceQuestion(const QString& name)
{
    return QStringLiteral("Ovim nepovratno brišete cijelu utrku i sve podatke vezane uz nju!!! "
                          "Želite li zaista obrisati utrku: ") + name;
}
KVR_TEXT(raceWithdrawn, "Utrka izbrisana!")

KVR_TEXT(prizesTitle, "Nagrade")
KVR_TEXT(prizesLabel, "Kratak opis nagradnog fonda")
KVR_TEXT(prizesStore, "Upis")
KVR_TEXT(prizesChange, "Izmjena")
KVR_TEXT(plainExit, "Izlaz")
KVR_TEXT(categoriesTitle, "Kategorije")
KVR_TEXT(categoriesLabel, "Popis svih kategorija u ovom programu")

// ---- Start list -------------------------------------------------------------
KVR_TEXT(openRaceFirst, "Otvorite utrku ili unesite novu!")
KVR_TEXT(competitorFieldsRequired, "Sva polja moraju biti unešena osim startnog broja takmičara!")
inline QString tooYoung(const QString& example)
{
    return QStringLiteral("Premladi ste za ovu utrku!") + crlf() + dateMessageLong(example);
}
inline QString competitorRemovedMeanwhile()
{
    return QStringLiteral("Takmičar više nije na startnoj listi: upravo ga je uklonila druga stanica. "
                          "Vrijeme nije spremljeno.");
}

inline QString textHasControl()
{
    return QStringLiteral("Tekst ne smije sadržavati kontrolne znakove (npr. tabulator, NUL ili znakove "
                          "smjera pisanja).");
}

inline QString tooOld(const QString& example)
{
    return QStringLiteral("Prestari ste za ovu utrku!") + crlf() + dateMessageLong(example);
}
KVR_TEXT(startNumberTaken, "Takmičar sa ovim startnim brojem već postoji!")
KVR_TEXT(emptyListDoubleClick, "Nemate ni jedan upis na listi!")
KVR_TEXT(selectRowToEdit, "Označite upis koji želite izmijeniti")

KVR_TEXT(editCompetitorTitle, "Izmjena podataka")
KVR_TEXT(buttonEditCompetitor, "Izmijeni")
KVR_TEXT(noCompetitorSelected, "Nema označenog takmičara kojeg želite izmijeniti")

KVR_TEXT(noCompetitors, "Nema unešenih takmičara!")
KVR_TEXT(deleteFinisherTitle, "Brisanje takmičara")
inline QString deleteFinisherQuestion(const QString& name)
{
    return QStringLiteral("Takmičar ") + name
        + QStringLiteral(" postoji i u ciljnoj listi! Ako ga brišete mijenjate rezultate cijele utrke! "
                         "Želite li ga zaista obrisati?");
}
KVR_TEXT(deleteCompetitorTitle, "Brisanje takmičara!")
inline QString deleteCompetitorQuestion(const QString& name)
{
    return QStringLiteral("Želite li zaista obrisati takmičara: ") + name + QStringLiteral("?");
}

// ---- Tab refresh and finish list ---------------------------------------------
KVR_TEXT(startListEmpty, "Nema natjecatelja u startnoj listi")
KVR_TEXT(openOrCreateRace, "Otvorite utrku ili kreirajte novu!")
KVR_TEXT(openRaceFirstFinish, "Prvo otvorite utrku ili unesite novu!")
inline QString timeExample()
{
    return QStringLiteral("Primjer unošenja vremena: 02:12:58") + crlf() + QStringLiteral("hh:mm:ss");
}
KVR_TEXT(enterStartNumber, "Upišite startni broj!")
KVR_TEXT(finishStoring, "Sprema se...")
KVR_TEXT(startNumberNotOnList, "Ne postoji u startnoj listi startni broj koji ste unijeli!")
KVR_TEXT(finisherAlreadyEntered, "Ovaj takmičar već je unešen!")
inline QString deleteFinishQuestion(const QString& startNumber)
{
    return QStringLiteral("Želite li zaista obrisati takmičara sa startnim brojem: ") + startNumber
        + QStringLiteral("?");
}

// ---- Standings --------------------------------------------------------------
KVR_TEXT(noCategoryChosen, "Nije odabrana kategorija utrke!")
KVR_TEXT(noStandingsRows, "Nema takmičara po traženom upitu!")
KVR_TEXT(titleOverall, "Ukupni poredak")
KVR_TEXT(titleOverallWomen, "Ukupni poredak - žene")
KVR_TEXT(titleOverallMen, "Ukupni poredak - muškarci")
KVR_TEXT(titleCategoryWomen, "Ukupni poredak žene")
KVR_TEXT(titleCategoryMen, "Ukupni poredak muškarci")
// " god." (years) follows an age band ("35-39", "do 18"), not a category
// named by a label of its own ("M40", "Veterani").
inline QString titleCategorySuffix(const QString& category)
{
    const bool ages = !category.isEmpty() && (category.front().isDigit() || category.startsWith(QStringLiteral("do ")));
    return crlf() + QStringLiteral("kategorija: ") + category + (ages ? QStringLiteral(" god.") : QString());
}

// ---- Imports ------------------------------------------------------------------
KVR_TEXT(importEntriesTitle, "Uvoz prijava")
KVR_TEXT(buttonAddCategories, "Dodaj kategorije...")
KVR_TEXT(importTimesTitle, "Uvoz vremena")
KVR_TEXT(chooseEntriesFile, "Odaberite datoteku s prijavama")
KVR_TEXT(chooseTimesFile, "Odaberite datoteku s vremenima")
KVR_TEXT(importFileFilter, "Tablice i tekst (*.csv *.tsv *.txt);;Sve datoteke (*)")
inline QString importFileNotReadable(const QString& path, const QString& reason)
{
    return QStringLiteral("Datoteku nije moguće pročitati:\n") + path + QStringLiteral("\n\n") + reason;
}
inline QString importCounts(int accepted, int refused)
{
    return QStringLiteral("Novih: %1    Odbijenih: %2").arg(accepted).arg(refused);
}
KVR_TEXT(buttonImport, "Uvezi")
KVR_TEXT(buttonCancel, "Odustani")
inline QStringList columnsImportEntries()
{
    return {QStringLiteral("Redak"), QStringLiteral("St. br."), QStringLiteral("Ime i prezime"),
            QStringLiteral("Država"), QStringLiteral("Klub"), QStringLiteral("Spol"),
            QStringLiteral("Datum rođ."), QStringLiteral("Stanje")};
}
inline QStringList columnsImportTimes()
{
    return {QStringLiteral("Redak"), QStringLiteral("St. br."), QStringLiteral("Vrijeme"), QStringLiteral("Stanje")};
}

// ---- Printouts ----------------------------------------------------------------
KVR_TEXT(printNoStartNumbers, "Nema unešenog startnog broja takmičara a samim tim nitko nije na startnoj listi!")
inline QString printStartListQuestion(int pages)
{
    return QStringLiteral("Broj stranica: ") + QString::number(pages) + QStringLiteral(" Ispis Startne liste?");
}
KVR_TEXT(printStartListTitle, "Ispis Startne liste!")
inline QString printRegisteredQuestion(int pages)
{
    return QStringLiteral("Broj stranica: ") + QString::number(pages)
        + QStringLiteral(" Ispis Liste prijavljenih takmičara?");
}
KVR_TEXT(printRegisteredTitle, "Ispis Liste prijavljenih takmičara!")
inline QString printStandingsQuestion(int pages)
{
    return QStringLiteral("Broj stranica: ") + QString::number(pages) + QStringLiteral(" Ispis tražene liste?");
}
KVR_TEXT(printStandingsTitle, "Ispis tražene liste!")
KVR_TEXT(printHeaderRace, "Ime utrke:         ")
KVR_TEXT(printHeaderOrganiser, "Organizacija utrke:")
KVR_TEXT(printHeaderDate, "Datum utrke:       ")
KVR_TEXT(printPage, "Stranica br. ")
KVR_TEXT(printStartListHeading, "Ispis Startne liste. ")
KVR_TEXT(printRegisteredHeadingFirst, "Ispis liste prijavljenih takmičara. ")
KVR_TEXT(printRegisteredHeadingLater, "Ispis Liste prijavljenih takmičara ")
KVR_TEXT(printStandingsHeading, "Ispis Ciljne liste - ")
KVR_TEXT(printStandingsPage, "  Stranica br. ")
KVR_TEXT(printFinishListHeading, "Ispis Ciljne liste. ")
KVR_TEXT(printColPlace, "Por.  ")
KVR_TEXT(printColRunning, "R.br. ")
KVR_TEXT(printColStartNumber, "St.br.")
KVR_TEXT(printColName, "Prezime i ime            ")
KVR_TEXT(printColCountry, "Država         ")
KVR_TEXT(printColClub, "Klub           ")
KVR_TEXT(printColSex, "Spol")
KVR_TEXT(printColBirthDate, "Dat. rođ. ")
KVR_TEXT(printColCategory, "Kateg.   ")
KVR_TEXT(printColBirthYear, "God. rođ. ")
KVR_TEXT(printColTime, "Vrijeme ")
inline QString printedToFile(const QString& path)
{
    return QStringLiteral("Nema instaliranog pisača. Ispis je spremljen u datoteku:\n") + path;
}
// The names of the lists, for the job and for the file written when there is no printer.
KVR_TEXT(printFileStartList, "Startna lista")
KVR_TEXT(printFileRegistered, "Lista prijavljenih")
KVR_TEXT(printFileStandings, "Poredak")
// Printer failures, shown after the job.
inline QString printerNotStarted(const QString& printer)
{
    return QStringLiteral("Pisač \"") + printer + QStringLiteral("\" nije moguće pokrenuti. Ništa nije ispisano.");
}
inline QString printNewPageFailed(const QString& printer)
{
    return QStringLiteral("Pisač \"") + printer + QStringLiteral("\" nije započeo novu stranicu.");
}
inline QString printJobFailed(const QString& printer)
{
    return QStringLiteral("Pisač \"") + printer + QStringLiteral("\" nije prihvatio ispis.");
}
inline QString printFileNotWritten(const QString& path)
{
    return QStringLiteral("Ispis nije moguće spremiti u datoteku:\n") + path;
}
// A printer whose queue turns jobs away: the job can go to a PDF file instead.
KVR_TEXT(printRefusedTitle, "Pisač ne prima ispis")
inline QString printerRefusesJobs(const QString& printer)
{
    return QStringLiteral("Pisač \"") + printer
        + QStringLiteral("\" ne prima poslove ispisa. Želite li spremiti ispis u PDF datoteku?");
}
// The progress of a long printout.
KVR_TEXT(printProgress, "Ispis u tijeku...")
KVR_TEXT(printCancel, "Odustani")
inline QString printSavedToFile(const QString& path)
{
    return QStringLiteral("Ispis je spremljen u datoteku:\n") + path;
}

// The print preview's window title.
KVR_TEXT(previewTitle, "Pregled ispisa")

// ---- Exports -------------------------------------------------------------------
// The headings of the exported lists; the standings are headed by their title.
KVR_TEXT(exportStartList, "Startna lista")
KVR_TEXT(exportRegistered, "Lista prijavljenih")
KVR_TEXT(exportFinishList, "Ciljna lista")
KVR_TEXT(exportAllStandings, "Svi poreci")
// The first column of a CSV file holding several lists: the list of each row.
KVR_TEXT(exportListColumn, "Lista")
KVR_TEXT(exportNoFinishers, "Ciljna lista je prazna: nitko još nije u cilju.")
// The export dialog.
KVR_TEXT(exportDialogTitle, "Izvoz")
KVR_TEXT(exportChooseList, "Lista")
KVR_TEXT(exportOptStartList, "Startna lista (takmičari sa startnim brojem)")
KVR_TEXT(exportOptRegistered, "Lista prijavljenih")
KVR_TEXT(exportOptFinishList, "Ciljna lista")
KVR_TEXT(exportOptStandings, "Poredak:")
KVR_TEXT(exportOptAllStandings, "Svi poreci (ukupni, po spolu i po kategorijama)")
KVR_TEXT(exportChooseFormat, "Format")
KVR_TEXT(exportFormatCsv, "CSV (tablica)")
KVR_TEXT(exportFormatHtml, "HTML (web stranica)")
KVR_TEXT(exportFormatPdf, "PDF (stranice ispisa)")
KVR_TEXT(exportButton, "&Izvezi...")
KVR_TEXT(exportCancel, "Odustani")
KVR_TEXT(exportSaveTitle, "Spremanje izvoza")
KVR_TEXT(exportFilterCsv, "CSV datoteke (*.csv)")
KVR_TEXT(exportFilterHtml, "Web stranice (*.html *.htm)")
KVR_TEXT(exportFilterPdf, "PDF datoteke (*.pdf)")
inline QString exportSaved(const QString& path)
{
    return QStringLiteral("Spremljeno u datoteku ") + path;
}
inline QString exportNotWritten(const QString& path, const QString& reason)
{
    return QStringLiteral("Datoteku \"") + path + QStringLiteral("\" nije moguće spremiti: ") + reason
        + QStringLiteral("\r\nNijedna datoteka nije izmijenjena.");
}

// ---- Finding a runner -----------------------------------------------------------
// The search field above the start list.
KVR_TEXT(fieldSearch, "Traži")
// The note under the start number of a finish entry.
KVR_TEXT(noteSeparator, " · ")
KVR_TEXT(noteNotOnStartList, "nije na startnoj listi")
inline QString noteAlreadyFinished(const QString& time)
{
    return QStringLiteral("već je na cilju (") + time + QLatin1Char(')');
}

// ---- CSV separators, spooled printing, start numbers on open -----------------
// The export dialog's choice of the CSV separator.
KVR_TEXT(exportSeparatorLabel, "Odvajanje stupaca (CSV):")
KVR_TEXT(exportSeparatorSemicolon, "točka-zarez ( ; )")
KVR_TEXT(exportSeparatorComma, "zarez ( , )")
KVR_TEXT(exportSeparatorTab, "tabulator")
// Start numbers a database holds twice in a race when the blanks around them
// (no-break spaces and other Unicode spaces too) are left out, as the
// program compares them; told when the database is opened, nothing changed.
inline QString startNumberCollision(qint64 raceId, const QString& number, int count)
{
    return QStringLiteral("utrka %1: startni broj %2 ima %3 takmičara").arg(raceId).arg(number).arg(count);
}
inline QString startNumbersCollide(const QStringList& collisions)
{
    return QStringLiteral("U bazi se isti startni broj nalazi kod više takmičara iste utrke (brojevi se "
                          "razlikuju samo razmacima oko broja):\r\n")
        + collisions.join(QStringLiteral("\r\n"))
        + QStringLiteral("\r\nBaza nije mijenjana. Dodijelite im različite brojeve u startnoj listi.");
}
// A store of many competitors that meets a number taken meanwhile: nothing stored.
inline QString startNumberTakenInBulk(const QString& number)
{
    return QStringLiteral("Startni broj %1 već ima drugi takmičar ove utrke (možda ga je upisao drugi "
                          "korisnik). Ništa nije spremljeno.")
        .arg(number);
}

// ---- Reaching the database ------------------------------------------------
// Text that starts as an address but is no PostgreSQL URL; never quoted, as
// it may hold a password.
KVR_TEXT(dbUrlNotPostgres, "Adresa baze podataka PostgreSQL piše se postgresql://korisnik@računalo:port/baza "
                           "(ili postgres://...); ovo nije ni takva adresa ni ime datoteke.")
// The status bar for an SQLite file that was deleted, moved or made
// read-only under the running program.
inline QString statusFileLocked(const QString& path)
{
    return QStringLiteral("Baza: ") + path + QStringLiteral(" · ") + dbBusy();
}
inline QString statusFileUnreachable(const QString& path)
{
    return QStringLiteral("Baza: ") + path
        + QStringLiteral(" · datoteka nije dostupna (obrisana, premještena ili samo za čitanje)");
}
// The folder of a --db file elsewhere than beside the program.
inline QString dbFolderNotWritable(const QString& folder)
{
    return QStringLiteral("u mapu %1 nije moguće pisati.").arg(folder);
}
// At start a PostgreSQL database that cannot be used just now.
inline QString dbServerBusyAtStart(const QString& name, const DbError& detail)
{
    return QStringLiteral("Bazu podataka trenutno nije moguće otvoriti:\n") + name + QStringLiteral("\n\n")
        + dbErrorExplained(detail) + QStringLiteral("\n\nPokušati ponovo?");
}
// Asking for the password the server wants (DbError::Kind::NoPassword).
KVR_TEXT(dbPasswordTitle, "Lozinka baze podataka")
inline QString dbPasswordPrompt(const QString& name)
{
    return QStringLiteral("Lozinka za bazu podataka\n") + name + QStringLiteral(":");
}
KVR_TEXT(cliPasswordHint, "Lozinku navedite u varijabli PGPASSWORD ili u datoteci lozinki "
                          "(PGPASSFILE, zadano ~/.pgpass), nikad u adresi na naredbenom retku.")

// ---- Statuses of entries, race settings, results check --------------------
KVR_TEXT(runStateDns, "DNS")
KVR_TEXT(runStateDnf, "DNF")
KVR_TEXT(runStateDsq, "DSQ")
KVR_TEXT(runStateNoneLong, "bez statusa")
KVR_TEXT(runStateDnsLong, "DNS (nije startao)")
KVR_TEXT(runStateDnfLong, "DNF (nije završio)")
KVR_TEXT(runStateDsqLong, "DSQ (diskvalificiran)")
KVR_TEXT(columnStatus, "Status")
KVR_TEXT(columnImportedCategory, "Kateg.")
KVR_TEXT(columnReason, "Razlog")
KVR_TEXT(menuRunState, "Status...")
KVR_TEXT(menuMarkDns, "Označi DNS...")
KVR_TEXT(runStateTitle, "Status takmičara")
KVR_TEXT(runStateReason, "Razlog diskvalifikacije:")
KVR_TEXT(runStateStore, "Spremi")
KVR_TEXT(runStateReasonMissing, "Za diskvalifikaciju upišite razlog.")
inline QString runStateReasonTooLong(int max)
{
    return QStringLiteral("Razlog može imati najviše %1 znakova.").arg(max);
}
inline QString runStateFor(const QString& number, const QString& name)
{
    return QStringLiteral("Startni broj %1: %2").arg(number, name);
}
KVR_TEXT(markDnsTitle, "Označi DNS")
inline QString markDnsQuestion(int count)
{
    return QStringLiteral("Označiti DNS (nije startao) za %1 takmičara sa startnim brojem, bez vremena "
                          "na cilju i bez statusa?").arg(count);
}
KVR_TEXT(markDnsNone, "Nema takmičara sa startnim brojem bez vremena na cilju i bez statusa.")
inline QString markDnsDone(int count)
{
    return QStringLiteral("Označeno DNS: %1.").arg(count);
}

KVR_TEXT(menuRaceSettings, "Postavke utrke...")
KVR_TEXT(settingsTitle, "Postavke utrke")
KVR_TEXT(settingsPageStandings, "Poredak")
KVR_TEXT(settingsListUnranked, "Prikaži DNF/DSQ/DNS u poretku")
KVR_TEXT(settingsCourseLength, "Dužina staze (km):")
KVR_TEXT(settingsCourseHint, "prazno: nije zadana")
KVR_TEXT(settingsCourseBad, "Dužinu staze upišite kao broj kilometara veći od nule, npr. 10 ili 21,1 (ili ostavite prazno).")
KVR_TEXT(settingsStore, "Spremi")

KVR_TEXT(menuResultsCheck, "Provjera rezultata...")
KVR_TEXT(checkTitle, "Provjera rezultata")
KVR_TEXT(checkError, "greška")
KVR_TEXT(checkWarning, "upozorenje")
KVR_TEXT(checkIgnore, "Zanemari")
KVR_TEXT(checkExportCsv, "Izvoz CSV")
KVR_TEXT(checkClose, "Zatvori")
KVR_TEXT(checkNothingFound, "Nije pronađen nijedan problem.")
inline QString checkSummary(int errors, int warnings)
{
    return QStringLiteral("Grešaka: %1, upozorenja: %2").arg(errors).arg(warnings);
}
inline QStringList columnsCheck()
{
    return {QStringLiteral("Vrsta"), QStringLiteral("St. br."), QStringLiteral("Ime i prezime"), QStringLiteral("Opis")};
}
inline QString checkLostCompetitor(const QString& number, const QString& time)
{
    return QStringLiteral("Vrijeme %2 startnog broja %1: takmičar više nije na startnoj listi.").arg(number, time);
}
inline QString checkFinishOfNonStarter(const QString& number, const QString& name, const QString& state,
                                       const QString& time)
{
    return QStringLiteral("%1 %2 ima status %3, a na cilju vrijeme %4.").arg(number, name, state, time);
}
inline QString checkNumberTwice(const QString& number, const QString& first, const QString& second)
{
    return QStringLiteral("Startni broj %1 imaju dva takmičara: %2 i %3.").arg(number, first, second);
}
inline QString checkZeroTime(const QString& number, const QString& name)
{
    return QStringLiteral("%1 %2 ima vrijeme 00:00:00.").arg(number, name);
}
inline QString checkNoFinish(const QString& number, const QString& name)
{
    return QStringLiteral("%1 %2 nema vrijeme na cilju ni status (DNS/DNF/DSQ).").arg(number, name);
}
inline QString checkEqualTimes(const QString& number, const QString& name, const QString& time, const QString& other)
{
    return QStringLiteral("%1 %2 ima isto vrijeme %3 kao startni broj %4.").arg(number, name, time, other);
}
inline QString checkSex(const QString& number, const QString& name, const QString& sex)
{
    return QStringLiteral("%1 %2: spol \"%3\" nije ni M ni Ž.").arg(number, name, sex);
}
inline QString checkAge(const QString& number, const QString& name, int age)
{
    return QStringLiteral("%1 %2: dob %3 godina (godina utrke minus godina rođenja).").arg(number, name).arg(age);
}
inline QString checkDoubleEntry(const QString& number, const QString& name, const QString& born,
                                const QString& otherNumber)
{
    return QStringLiteral("%1 %2 (rođ. %3) prijavljen je dvaput: i pod startnim brojem %4.")
        .arg(number, name, born, otherNumber.isEmpty() ? QStringLiteral("(bez broja)") : otherNumber);
}
inline QString checkPaceFast(const QString& number, const QString& name, const QString& time, const QString& pace)
{
    return QStringLiteral("%1 %2: vrijeme %3 je %4 min/km, brže od 2:30 min/km.").arg(number, name, time, pace);
}
inline QString checkPaceSlow(const QString& number, const QString& name, const QString& time, const QString& pace)
{
    return QStringLiteral("%1 %2: vrijeme %3 je %4 min/km, sporije od 20:00 min/km.").arg(number, name, time, pace);
}

} // namespace tx

#undef KVR_TEXT
