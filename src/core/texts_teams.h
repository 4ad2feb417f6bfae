#pragma once

// Texts of the team results.

#include "core/texts.h"

#define KVR_TEXT(name, literal) \
    inline QString name() { return QStringLiteral(literal); }

namespace tx {

KVR_TEXT(teamsOption, "Ekipni poredak")
KVR_TEXT(teamsTitle, "Ekipni poredak")
KVR_TEXT(teamsTab, "Ekipe")
KVR_TEXT(teamsColPlace, "Mjesto")
KVR_TEXT(teamsColClub, "Klub")
KVR_TEXT(teamsColSex, "Spol")
KVR_TEXT(teamsColPoints, "Bodovi")
KVR_TEXT(teamsColTime, "Vrijeme")
KVR_TEXT(teamsColMembers, "Članovi")
KVR_TEXT(teamsIncomplete, "-")
KVR_TEXT(teamsPrizeMen, "Ekipe - muškarci")
KVR_TEXT(teamsPrizeWomen, "Ekipe - žene")
KVR_TEXT(teamsPrizeAll, "Ekipe")
KVR_TEXT(teamsOff, "Ekipni poredak nije uključen za ovu utrku (Postavke utrke... → Ekipe).")
KVR_TEXT(teamsNone, "Nema ekipa: nijedan klub nema takmičara u cilju.")
KVR_TEXT(teamsBadSize, "Broj bodovanih članova ekipe je cijeli broj od 0 do 50 (0: bez ekipnog poretka).")
KVR_TEXT(teamsBadExtra, "Broj dodatnih članova ekipe je cijeli broj od 0 do 50.")
KVR_TEXT(teamsBadPrizes, "Broj nagrađenih ekipa je cijeli broj od 0 do 100.")
// The settings tab.
KVR_TEXT(teamsOn, "Ekipni poredak")
KVR_TEXT(teamsSize, "Bodovanih članova ekipe:")
KVR_TEXT(teamsExtra, "Dodatnih članova za potpunu ekipu:")
KVR_TEXT(teamsBy, "Poredak:")
KVR_TEXT(teamsBySex, "muškarci i žene odvojeno")
KVR_TEXT(teamsByAll, "svi zajedno")
KVR_TEXT(teamsScore, "Bodovanje:")
KVR_TEXT(teamsScorePlaces, "zbroj mjesta (manji bolji)")
KVR_TEXT(teamsScoreTimes, "zbroj vremena (manji bolji)")
KVR_TEXT(teamsPrizes, "Nagrađenih ekipa (svakog poretka):")
KVR_TEXT(teamsNoClub, "Bez kluba (odvojeno zarezom; prazno je uvijek bez kluba):")
inline QString teamsRule(int size, int extra, bool together, bool byTimes)
{
    QString text = QStringLiteral("Pravilo: boduje se prvih %1 u cilju iz kluba").arg(size);
    text += together ? QStringLiteral(", svi zajedno") : QStringLiteral(", muškarci i žene odvojeno");
    text += byTimes ? QStringLiteral("; zbroj vremena") : QStringLiteral("; zbroj mjesta");
    if (extra > 0)
        text += QStringLiteral("; potpuna ekipa ima još %1 člana").arg(extra);
    text += QStringLiteral("; kod jednakih bodova bolja je ekipa s boljim zadnjim, pa prvim bodovanim.");
    return text;
}

} // namespace tx

#undef KVR_TEXT
