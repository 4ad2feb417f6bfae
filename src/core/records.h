#pragma once

#include <QDate>
#include <QString>

// One row of table utrke.
struct Race {
    qint64 id = 0;
    QString ime;     // race name
    QString org;     // organiser
    QDate datum;     // race date
    QString da;      // "y" while offered for opening, "n" once withdrawn
    QString nagrade; // prize-fund text
};

// One row of table startna: a competitor on a race's start list.
struct Competitor {
    qint64 id = 0;
    QString sbroj;   // start number as typed; empty: registered, not at the start
    qint64 idutrke = 0;
    QString ime;
    QString drzava;
    QString klub;
    QString spol;    // "M" or "Ž"
    QDate datum;     // date of birth
};

// One row of table rezultati: a finisher's start number and time.
struct FinishRecord {
    qint64 id = 0;
    qint64 idtakmicara = 0; // key of the competitor's startna row
    qint64 idutrke = 0;
    QString sbroj;          // start number as entered
    QString vrijeme;        // "hh:mm:ss"
};
