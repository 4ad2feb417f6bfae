#pragma once

// Croatian texts of the file formats: refusals of read files and the fixed
// words of written lists. Kept apart from the window texts so that the file
// formats need nothing but Qt Core.

#include <QString>
#include <QStringList>

#define KVR_IO_TEXT(name, literal) \
    inline QString name() { return QStringLiteral(literal); }

namespace tx {

// A value as a message quotes it: at most 40 characters (a longer one cut,
// with "…"), control characters shown as "�", so that a huge or broken value
// is never echoed whole.
inline QString ioShown(const QString& value)
{
    constexpr qsizetype kMost = 40;
    qsizetype cut = value.size();
    if (cut > kMost) {
        cut = kMost;
        if (value.at(cut - 1).isHighSurrogate())
            --cut;
    }
    QString shown = value.left(cut);
    for (QChar& c : shown) {
        if (c.category() == QChar::Other_Control)
            c = QChar(QChar::ReplacementCharacter);
    }
    if (cut < value.size())
        shown += QChar(0x2026);
    return shown;
}

// ---- Reading any text file -------------------------------------------------
inline QString ioNotUtf8(int line)
{
    return QStringLiteral("Datoteka nije zapisana kao UTF-8 tekst (neispravan znak u retku %1). "
                          "Spremite je kao „CSV UTF-8” ili „Unicode tekst (UTF-8)” i pokušajte ponovo.")
        .arg(line);
}
inline QString ioUnclosedQuote(int line)
{
    return QStringLiteral("Navodnik otvoren u retku %1 nigdje se ne zatvara, pa se ostatak "
                          "datoteke ne može pročitati.")
        .arg(line);
}
KVR_IO_TEXT(ioEmptyFile, "Datoteka je prazna.")

// ---- Entry files -------------------------------------------------------------
KVR_IO_TEXT(ioColumnStartNumber, "startni broj")
KVR_IO_TEXT(ioColumnName, "ime i prezime")
KVR_IO_TEXT(ioColumnCountry, "država")
KVR_IO_TEXT(ioColumnClub, "klub")
KVR_IO_TEXT(ioColumnSex, "spol")
KVR_IO_TEXT(ioColumnBirthDate, "datum rođenja")
KVR_IO_TEXT(ioOptional, "nije obavezan")

// columnsMissing: the required columns not found, each with the headers that
// name it; found: the headers of the file; expected: every column the program
// reads, each with the headers that name it.
inline QString ioMissingColumns(const QStringList& missing, const QStringList& found,
                                const QStringList& expected)
{
    const QString foundText = found.isEmpty() ? QStringLiteral("(nijedan)") : found.join(QStringLiteral(", "));
    return QStringLiteral("U prvom retku datoteke nedostaju stupci: %1.\r\n\r\n"
                          "Pronađeni stupci: %2.\r\n\r\n"
                          "Očekivani stupci:\r\n%3")
        .arg(missing.join(QStringLiteral("; ")), foundText, expected.join(QStringLiteral("\r\n")));
}

// ---- Finish-time files -------------------------------------------------------
KVR_IO_TEXT(ioNoStartNumber, "Nedostaje startni broj.")
KVR_IO_TEXT(ioNoTime, "Nedostaje vrijeme.")
inline QString ioTimeShape(const QString& time)
{
    return QStringLiteral("Vrijeme „%1” nije zapisano kao h:mm:ss, m:ss ili mm:ss "
                          "(po želji s dijelom sekunde, npr. 1:02:03.4).")
        .arg(ioShown(time));
}
inline QString ioTimeSeconds(const QString& time)
{
    return QStringLiteral("U vremenu „%1” sekunde moraju biti manje od 60.").arg(ioShown(time));
}
inline QString ioTimeMinutes(const QString& time)
{
    return QStringLiteral("U vremenu „%1” minute moraju biti manje od 60.").arg(ioShown(time));
}
inline QString ioTimeTooLong(const QString& time)
{
    return QStringLiteral("Vrijeme „%1” je 60 sati ili više.").arg(ioShown(time));
}

// ---- Imports ---------------------------------------------------------------
// The state of a row the import takes.
KVR_IO_TEXT(ioImportNew, "novi")
KVR_IO_TEXT(ioFieldName, "Ime i prezime")
KVR_IO_TEXT(ioFieldStartNumber, "Startni broj")
KVR_IO_TEXT(ioFieldCountry, "Država")
KVR_IO_TEXT(ioFieldClub, "Klub")
inline QString ioFieldTooLong(const QString& field, qsizetype length, int maxLength)
{
    return QStringLiteral("Polje „%1” ima %2 znakova, a smije imati najviše %3. Skratite ga u datoteci.")
        .arg(field)
        .arg(length)
        .arg(maxLength);
}
inline QString ioSexInvalid(const QString& sex)
{
    if (sex.isEmpty())
        return QStringLiteral("Nedostaje spol: upišite M ili Ž.");
    return QStringLiteral("Spol „%1” nije ispravan: upišite M ili Ž.").arg(ioShown(sex));
}
inline QString ioStartNumberEarlierInFile(int line)
{
    return QStringLiteral("Isti startni broj već se nalazi u retku %1 ove datoteke.").arg(line);
}
KVR_IO_TEXT(ioImportNothingAccepted, "U datoteci nema nijednog retka koji se može uvesti.")
KVR_IO_TEXT(ioImportStale, "Utrka ili njezine liste promijenjene su nakon pregleda datoteke (možda ih je "
                           "mijenjao drugi korisnik). Ništa nije uvezeno; otvorite datoteku ponovo.")

// ---- Written lists -----------------------------------------------------------
KVR_IO_TEXT(ioOrganiser, "Organizator:")
KVR_IO_TEXT(ioRaceDate, "Datum održavanja:")
KVR_IO_TEXT(ioContents, "Sadržaj")

// ---- Values no entry field would hold -----------------------------------------
inline QString ioControlCharacter(const QString& field, char16_t code, const QString& value)
{
    return QStringLiteral("Polje „%1” sadrži kontrolni znak (U+%2): „%3”. Uklonite ga u datoteci.")
        .arg(field, QStringLiteral("%1").arg(int(code), 4, 16, QLatin1Char('0')).toUpper(), ioShown(value));
}
inline QString ioForeignDigit(const QString& field, const QString& value)
{
    return QStringLiteral("Polje „%1” smije sadržavati samo znamenke 0-9: „%2”.").arg(field, ioShown(value));
}
KVR_IO_TEXT(ioFieldSex, "Spol")
KVR_IO_TEXT(ioFieldBirthDate, "Datum rođenja")
KVR_IO_TEXT(ioFieldTime, "Vrijeme")

} // namespace tx
