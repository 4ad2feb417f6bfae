#pragma once

// Croatian texts of the live results: the pages served on the local
// network, the window that starts the server and the serve command.

#include <QString>

#define KVR_LIVE_TEXT(name, literal) \
    inline QString name() { return QStringLiteral(literal); }

namespace tx {

// ---- Pages ----
KVR_LIVE_TEXT(liveUnofficial, "NESLUŽBENI REZULTATI")
KVR_LIVE_TEXT(liveLists, "Liste")
KVR_LIVE_TEXT(liveOverall, "Ukupni poredak")
KVR_LIVE_TEXT(liveWomen, "Žene")
KVR_LIVE_TEXT(liveMen, "Muškarci")
KVR_LIVE_TEXT(liveAll, "Svi")
KVR_LIVE_TEXT(liveCategories, "Kategorije")
KVR_LIVE_TEXT(liveSearch, "Traži")
KVR_LIVE_TEXT(liveSearchHint, "startni broj, ime ili klub")
KVR_LIVE_TEXT(liveSearchTitle, "Traženje")
KVR_LIVE_TEXT(liveNobodyFound, "Nitko nije pronađen.")
KVR_LIVE_TEXT(liveNoRows, "Nema takmičara u ovoj listi.")
KVR_LIVE_TEXT(liveHome, "Početna")
KVR_LIVE_TEXT(liveChartTitle, "Dolasci u cilj po minuti")
KVR_LIVE_TEXT(liveChartEmpty, "Još nitko nije u cilju.")
KVR_LIVE_TEXT(liveMinutes, "min")
KVR_LIVE_TEXT(liveNoRace, "Nijedna utrka nije otvorena.")
KVR_LIVE_TEXT(liveNotFound, "Stranica ne postoji.")
KVR_LIVE_TEXT(liveMethodRefused, "Dopušteno je samo čitanje (GET, HEAD).")
KVR_LIVE_TEXT(liveTooLarge, "Zahtjev je prevelik.")
KVR_LIVE_TEXT(liveTooSlow, "Zahtjev nije stigao na vrijeme.")
KVR_LIVE_TEXT(liveBusy, "Previše otvorenih veza, pokušajte ponovo.")
KVR_LIVE_TEXT(liveColPlaceOverall, "Ukupno")
KVR_LIVE_TEXT(liveColPlaceSex, "Po spolu")
KVR_LIVE_TEXT(liveColPlaceCategory, "U kategoriji")
KVR_LIVE_TEXT(liveNotFinished, "nije u cilju")
inline QString liveFinished(int count) { return QStringLiteral("U cilju: %1").arg(count); }
inline QString liveFoundFirst(int shown, int found)
{
    return QStringLiteral("Pronađeno %1, prikazano prvih %2.").arg(found).arg(shown);
}
inline QString liveRefreshNote(int seconds)
{
    return QStringLiteral("Stranica se osvježava svakih %1 s.").arg(seconds);
}

// ---- Server ----
inline QString livePortInUse(int port)
{
    return QStringLiteral("Port %1 je zauzet (koristi ga drugi program). Odaberite drugi port.").arg(port);
}
inline QString liveCannotListen(const QString& address, int port, const QString& reason)
{
    return QStringLiteral("Posluživanje na adresi %1, port %2 nije moguće: %3").arg(address).arg(port).arg(reason);
}
inline QString liveBadAddress(const QString& address)
{
    return QStringLiteral("\"%1\" nije adresa ovog računala.").arg(address);
}

// ---- Window ----
KVR_LIVE_TEXT(menuLive, "Rezultati uživo...")
KVR_LIVE_TEXT(liveTitle, "Rezultati uživo")
KVR_LIVE_TEXT(livePort, "Port:")
KVR_LIVE_TEXT(liveAddress, "Adresa:")
KVR_LIVE_TEXT(liveEveryAddress, "Sve adrese ovog računala")
KVR_LIVE_TEXT(liveRefresh, "Osvježavanje stranica (s):")
KVR_LIVE_TEXT(liveStart, "&Pokreni")
KVR_LIVE_TEXT(liveStop, "&Zaustavi")
KVR_LIVE_TEXT(livePrint, "&Ispis...")
KVR_LIVE_TEXT(liveClose, "Zat&vori")
KVR_LIVE_TEXT(liveStopped, "Posluživanje je zaustavljeno.")
inline QString liveServedCount(int pages) { return QStringLiteral("Posluženo stranica: %1").arg(pages); }
inline QString liveOpenAt(const QString& url) { return QStringLiteral("Otvorite u pregledniku: %1").arg(url); }

// ---- Race settings ----
KVR_LIVE_TEXT(settingsOfficial, "Rezultati su službeni")
KVR_LIVE_TEXT(settingsPublishDsqReason, "Objavi razlog diskvalifikacije")

// ---- Command line ----
inline QString cliServing(const QString& url)
{
    return QStringLiteral("Rezultati uživo: %1 (Ctrl+C zaustavlja)").arg(url);
}
KVR_LIVE_TEXT(cliServeStopped, "Posluživanje je zaustavljeno.")
inline QString cliHelpServe()
{
    return QStringLiteral(
        "kelvora serve --race ID [--port P] [--address A] [--refresh S] [--db BAZA]\n"
        "  Poslužuje rezultate utrke na lokalnoj mreži, samo za čitanje, dok se ne prekine\n"
        "  (Ctrl+C). --port: zadano 8080; --address: jedna adresa ovog računala, zadano sve;\n"
        "  --refresh: svakih koliko sekundi se stranice osvježavaju, zadano 20.\n");
}

} // namespace tx

#undef KVR_LIVE_TEXT
