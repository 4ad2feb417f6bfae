#pragma once

// The Croatian texts of the command line.

#include "core/fileerrors.h"

#include <QString>
#include <QStringList>

namespace tx {

inline QString cliUsage()
{
    return QStringLiteral(
        "Kelvora: utrke, startne liste, rezultati i poredak.\n"
        "\n"
        "Upotreba:\n"
        "  kelvora [--db BAZA]                       prozor programa\n"
        "  kelvora races [--db BAZA]                 popis utrka: šifra, ime, organizator, datum, ponuđena (y/n)\n"
        "  kelvora new-race [--db BAZA] --name IME --org ORGANIZATOR --date DATUM\n"
        "                                            nova utrka, s provjerama kao u prozoru; ispisuje šifru\n"
        "  kelvora import-entries [--db BAZA] --race ŠIFRA DATOTEKA [--dry-run] [--skip-refused]\n"
        "                 [--columns POPIS [--header]] [--default POLJE=VRIJEDNOST]... [--cut-long]\n"
        "                                            uvoz prijava iz CSV datoteke\n"
        "  kelvora import-times [--db BAZA] --race ŠIFRA DATOTEKA [--dry-run] [--skip-refused]\n"
        "                                            uvoz vremena: startni broj i vrijeme u retku\n"
        "  kelvora export [--db BAZA] --race ŠIFRA --list start|registered|finish|standings|prizes|teams\n"
        "                 [--sex all|m|z] [--category Svi|KATEGORIJA|all] --format csv|html|pdf\n"
        "                 [--separator semicolon|comma|tab] [--out DATOTEKA]\n"
        "                                            izvoz liste u datoteku\n"
        "  kelvora status [--db BAZA] --race ŠIFRA --number BROJ --set dns|dnf|dsq|none [--reason TEKST]\n"
        "                                            status takmičara (DSQ traži razlog)\n"
        "  kelvora rules [--db BAZA] --race ŠIFRA [--categories DATOTEKA] [--prizes DATOTEKA]\n"
        "                 [--teams N [--team-by sex|all] [--team-score places|times] [--team-prizes T]]\n"
        "                                            kategorije i nagrade utrke: ispis ili postavljanje\n"
        "  kelvora check [--db BAZA] --race ŠIFRA [--format text|csv]\n"
        "                                            provjera rezultata; status 1 ako ima grešaka\n"
        "  kelvora serve [--db BAZA] --race ŠIFRA [--port P] [--address A] [--refresh S]\n"
        "                                            rezultati uživo na lokalnoj mreži, do Ctrl+C\n"
        "  kelvora log [--db BAZA] --race ŠIFRA [--format text|csv]\n"
        "                                            dnevnik izmjena utrke, najnovija prva\n"
        "  kelvora series [--db BAZA] [--name IME --races ŠIFRA,ŠIFRA,... [PRAVILA]]\n"
        "                                            kupovi (serije utrka): popis, novi ili izmjena\n"
        "  kelvora export [--db BAZA] --series ŠIFRA --list series|series-prizes --format csv|html|pdf\n"
        "                                            poredak ili nagrade kupa\n"
        "  kelvora --help                            ova pomoć; KOMANDA --help pomoć za komandu\n"
        "  kelvora --version                         inačica programa\n"
        "\n"
        "BAZA je datoteka SQLite (zadano: kvr.mdb pokraj programa, ili u\n"
        "~/.local/share/kelvora/ kad se mapa programa ne smije pisati) ili adresa\n"
        "postgresql://korisnik:lozinka@računalo:port/baza. Bez --db vrijedi varijabla\n"
        "okruženja KELVORA_DB.\n"
        "Greške se ispisuju na standardni izlaz za greške, a program tada završava\n"
        "sa statusom različitim od nule. Baza koju program ne može koristiti ostaje\n"
        "nepromijenjena.\n");
}

inline QString cliHelpStatus()
{
    return QStringLiteral(
        "kelvora status [--db BAZA] --race ŠIFRA --number BROJ --set dns|dnf|dsq|none [--reason TEKST]\n"
        "Postavlja status takmičara sa startnim brojem BROJ: DNS (nije startao), DNF (nije završio),\n"
        "DSQ (diskvalificiran, s razlogom do 60 znakova) ili none (bez statusa).\n"
        "Vrijeme na cilju ostaje spremljeno; bez statusa takmičar ponovno dobiva svoje mjesto.\n"
        "Ispisuje startni broj, ime i status.\n");
}

inline QString cliHelpCheck()
{
    return QStringLiteral(
        "kelvora check [--db BAZA] --race ŠIFRA [--format text|csv]\n"
        "Provjera rezultata prije objave: ispisuje greške i upozorenja koja nisu zanemarena,\n"
        "jedno po retku (vrsta i opis), ili kao CSV tablicu.\n"
        "Završava sa statusom 1 ako ima ijedne greške, inače 0 (sama upozorenja daju 0).\n");
}

inline QString cliHelpRaces()
{
    return QStringLiteral(
        "kelvora races [--db BAZA]\n"
        "Ispisuje sve utrke, jednu po retku, polja odvojena tabulatorom:\n"
        "šifra, ime, organizator, datum (dd.mm.gggg) i je li utrka ponuđena za otvaranje (y/n).\n");
}

inline QString cliHelpNewRace()
{
    return QStringLiteral(
        "kelvora new-race [--db BAZA] --name IME --org ORGANIZATOR --date DATUM\n"
        "Upisuje novu utrku s istim provjerama kao prozor \"Upis nove utrke\"\n"
        "(sva polja, datum oblika d.m.gggg, ime koje još ne postoji) i ispisuje njezinu šifru.\n"
        "Ako baza ne postoji, stvara je.\n");
}

inline QString cliHelpImportEntries()
{
    return QStringLiteral(
        "kelvora import-entries [--db BAZA] --race ŠIFRA DATOTEKA [--dry-run] [--skip-refused]\n"
        "Uvozi prijave iz CSV datoteke (UTF-8, zarez, točka-zarez ili tabulator, prvi redak\n"
        "su naslovi stupaca: startni broj, prezime i ime, država, klub, spol, datum rođenja).\n"
        "Svaki redak prolazi iste provjere kao ručni upis takmičara.\n"
        "Ispisuje svaki odbijeni redak s brojem retka i razlogom.\n"
        "Ako je ijedan redak odbijen, ne sprema se ništa i status je 1;\n"
        "  --skip-refused  spremi prihvaćene retke, a odbijene samo ispiši;\n"
        "  --dry-run       samo provjeri i ispiši izvještaj, ne spremaj ništa.\n"
        "Prihvaćeni retci spremaju se u jednoj transakciji: sve ili ništa.\n"
        "  --columns POPIS  značenje stupaca datoteke redom, odvojeno zarezom: startni_broj,\n"
        "                   ime_i_prezime, ime, prezime, drzava, klub, spol, datum_rodjenja,\n"
        "                   godina_rodjenja, kategorija ili - (stupac se ne uvozi);\n"
        "                   prvi redak je tada podatak, osim uz --header (redak naslova se preskače);\n"
        "  --default POLJE=VRIJEDNOST  vrijednost polja kojeg nema u datoteci ili je prazno\n"
        "                   (npr. --default drzava=GBR --default klub=neovisni), može se ponoviti;\n"
        "  --cut-long       preduga imena, države i klubove skrati na duljinu polja (svaki\n"
        "                   skraćeni redak se ispisuje); bez toga se takav redak odbija.\n"
        "Godina rođenja bez datuma sprema se kao 1. 1. te godine (dob se računa po godini).\n"
        "Bez --columns datoteka bez retka naslova čita se po vrijednostima stupaca (ispisuje se\n"
        "prepoznati popis stupaca).\n"
        "  --add-categories kategorije datoteke koje utrka nema (npr. M50, FU20, MS) dodaju se\n"
        "                   utrci: slovo daje spol, broj najnižu dob (U20: do 19, S i Sen: od 20),\n"
        "                   svaka do godine prije iduće istog spola; sprema se s prijavama ili ništa.\n");
}

inline QString cliHelpImportTimes()
{
    return QStringLiteral(
        "kelvora import-times [--db BAZA] --race ŠIFRA DATOTEKA [--dry-run] [--skip-refused]\n"
        "Uvozi vremena iz datoteke: u svakom retku startni broj i vrijeme (odvojeni zarezom,\n"
        "točka-zarezom, tabulatorom ili razmacima; prvi redak smije biti naslov).\n"
        "Vrijeme: h:mm:ss, hh:mm:ss, m:ss ili mm:ss (minute smiju prijeći 59), s dijelom\n"
        "sekunde koji se zaokružuje naviše; sprema se kao hh:mm:ss.\n"
        "Odbija se redak čiji broj nije na startnoj listi, čiji takmičar već ima vrijeme,\n"
        "čiji se broj već pojavio u datoteci ili čije se vrijeme ne može pročitati.\n"
        "  --skip-refused  spremi prihvaćene retke, a odbijene samo ispiši;\n"
        "  --dry-run       samo provjeri i ispiši izvještaj, ne spremaj ništa.\n");
}

inline QString cliHelpExport()
{
    return QStringLiteral(
        "kelvora export [--db BAZA] --race ŠIFRA --list start|registered|finish|standings|prizes|teams\n"
        "               [--sex all|m|z] [--category Svi|KATEGORIJA|all] --format csv|html|pdf\n"
        "               [--separator semicolon|comma|tab] [--out DATOTEKA]\n"
        "Izvozi listu utrke: startnu listu (takmičari sa startnim brojem), listu prijavljenih,\n"
        "ciljnu listu ili poredak. Za poredak: --sex bira spol (all, m, z), a --category\n"
        "\"Svi\" ukupni poredak, oznaku kategorije (npr. 35-39) jednu kategoriju, ili \"all\"\n"
        "sve liste poretka (ukupno, po spolu, svaka kategorija) u jednoj datoteci.\n"
        "--list prizes: popis nagrađenih po kategorijama nagrada utrke.\n"
        "--list teams: ekipni poredak (Mjesto, Klub, Spol, Bodovi ili Vrijeme, Članovi),\n"
        "ako ga utrka ima (kelvora rules --teams); --sex bira poredak muškaraca ili žena.\n"
        "CSV je UTF-8 s BOM-om, stupci odvojeni točka-zarezom (kako ga čitaju tablični\n"
        "programi s hrvatskim postavkama); --separator comma ili tab bira zarez ili tabulator.\n"
        "HTML je jedna samostalna stranica, PDF iste stranice kao ispis.\n"
        "Bez --out datoteka ide na standardni izlaz.\n"
        "\n"
        "kelvora export [--db BAZA] --series ŠIFRA --list series|series-prizes --format csv|html|pdf\n"
        "               [--sex all|m|z] [--separator semicolon|comma|tab] [--out DATOTEKA]\n"
        "Izvozi poredak kupa (series: mjesto, ime i prezime, klub, kategorija, bodovi svake\n"
        "utrke, ukupno, uvjet D/N) ili nagrade kupa (series-prizes).\n");
}

inline QString cliHelpSeries()
{
    return QStringLiteral(
        "kelvora series [--db BAZA]\n"
        "Ispisuje kupove (serije utrka) baze: šifra, ime, šifre utrka redom.\n"
        "\n"
        "kelvora series --name IME --races ŠIFRA,ŠIFRA,... [--planned N]\n"
        "               [--points P | --points-list P1,P2,...] [--place sex|overall|category]\n"
        "               [--best K] [--minimum M] [--prizes DATOTEKA] [--no-club TEKST]... [--db BAZA]\n"
        "Sprema kup tog imena (novi, ili mijenja postojeći: navedene opcije zamjenjuju\n"
        "spremljene), sve ili ništa, i ispisuje njegovu šifru.\n"
        "  --races        utrke kupa redom, šifre kao u kelvora races;\n"
        "  --planned      koliko je utrka planirano u sezoni (zadano: navedene);\n"
        "  --points       prvo mjesto P bodova, svako sljedeće jedan manje, najmanje 0\n"
        "                 (zadano 100);\n"
        "  --points-list  bodovi po mjestima, dalja mjesta 0 (npr. 25,20,16,13,11);\n"
        "  --place        mjesto koje boduje: među takmičarima istog spola (zadano),\n"
        "                 ukupno ili u kategoriji; takmičari sa statusom nemaju bodova;\n"
        "  --best         broje se K najboljih utrka (zadano 0: sve);\n"
        "  --minimum      za uvjet kupa treba najmanje M utrka (zadano 1);\n"
        "  --prizes       nagrade kupa, datoteka kao za utrku (naziv,spol,od,do,nagrade);\n"
        "  --no-club      klub koji znači \"bez kluba\" (uz prazan i ?), može se ponoviti.\n"
        "Isti takmičar u više utrka: isto ime i klub (bez obzira na velika slova, kvačice\n"
        "i razmake); nepoznat klub preuzima jedini klub istog imena iz drugih utrka.\n");
}

inline QString cliSeriesPointsTwice()
{
    return QStringLiteral("Navedite ili --points ili --points-list, ne oboje.");
}

inline QString cliUnknownCommand(const QString& command)
{
    return QStringLiteral("Nepoznata komanda: ") + command + QStringLiteral(" (kelvora --help daje popis).");
}
inline QString cliUnknownOption(const QString& option)
{
    return QStringLiteral("Nepoznata opcija: ") + option;
}
inline QString cliMissingValue(const QString& option)
{
    return QStringLiteral("Opciji ") + option + QStringLiteral(" nedostaje vrijednost.");
}
inline QString cliMissingOption(const QString& option)
{
    return QStringLiteral("Nedostaje opcija ") + option + QLatin1Char('.');
}
inline QString cliBadValue(const QString& option, const QString& value)
{
    return QStringLiteral("Neispravna vrijednost opcije ") + option + QStringLiteral(": ") + value;
}
inline QString cliExtraArgument(const QString& argument)
{
    return QStringLiteral("Višak argumenta: ") + argument;
}
inline QString cliMissingFile()
{
    return QStringLiteral("Nedostaje datoteka za uvoz.");
}
inline QString cliNoDatabase(const QString& where)
{
    return QStringLiteral("Baza podataka ne postoji ili je prazna: ") + where;
}
inline QString cliFileNotRead(const QString& path, const QString& reason)
{
    return QStringLiteral("Datoteka se ne može pročitati: ") + path + QStringLiteral(" (") + reason
        + QLatin1Char(')');
}
inline QString cliFileNotWritten(const QString& path, const QString& reason)
{
    return QStringLiteral("Datoteka se ne može zapisati: ") + path + QStringLiteral(" (") + reason
        + QLatin1Char(')');
}
inline QString cliLineRefused(int line, const QString& reason)
{
    return QStringLiteral("redak ") + QString::number(line) + QStringLiteral(": ") + reason;
}
inline QString cliImportSummary(int accepted, int refused)
{
    return QStringLiteral("Prihvaćeno: ") + QString::number(accepted) + QStringLiteral(", odbijeno: ")
        + QString::number(refused);
}
// The column map recognised for a file without a header, as --columns names it.
inline QString cliColumnsChosen(const QString& columns)
{
    return QStringLiteral("Stupci prepoznati po vrijednostima: --columns %1").arg(columns);
}
inline QString cliAddCategoriesHint()
{
    return QStringLiteral("S --add-categories dodaju se utrci kao kategorije (spol iz slova, dob iz broja).");
}
// The categories --add-categories adds, one per line ("M50: M, 50–59").
inline QString cliCategoriesAdded(const QStringList& rows)
{
    return QStringLiteral("Dodane kategorije utrke:\n  ") + rows.join(QStringLiteral("\n  "));
}
inline QString cliCategoryRow(const QString& label, const QString& sex, int from, int to, bool open)
{
    return open ? QStringLiteral("%1: %2, od %3").arg(label, sex).arg(from)
                : QStringLiteral("%1: %2, %3–%4").arg(label, sex).arg(from).arg(to);
}

inline QString cliNothingStored()
{
    return QStringLiteral("Ništa nije spremljeno.");
}
inline QString cliStored(int count)
{
    return QStringLiteral("Spremljeno: ") + QString::number(count);
}

// ---- Causes of file failures ------------------------------------------------
// The common causes, in front of the system's own text; empty for any other.
inline QString fileProblemText(kvr::FileProblem problem)
{
    switch (problem) {
    case kvr::FileProblem::MissingFile:
        return QStringLiteral("datoteka ne postoji");
    case kvr::FileProblem::MissingFolder:
        return QStringLiteral("mapa ne postoji");
    case kvr::FileProblem::IsFolder:
        return QStringLiteral("to je mapa, a ne datoteka");
    case kvr::FileProblem::NotAllowed:
        return QStringLiteral("pristup nije dopušten");
    case kvr::FileProblem::DiskFull:
        return QStringLiteral("disk je pun");
    case kvr::FileProblem::ReadOnly:
        return QStringLiteral("disk je samo za čitanje");
    case kvr::FileProblem::Other:
        break;
    }
    return {};
}

} // namespace tx
