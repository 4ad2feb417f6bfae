#pragma once

// The change log's plain records: the kinds of change, one logged change of
// one row, and how the program tells a change in words. No database here:
// the data layer writes and reads the rows, the app layer undoes them.

#include <QList>
#include <QString>

namespace changes {

// A kind of change: the code stored in the log, the table whose row it
// changes, and whether the change adds the row (so it had none before).
// Another feature that changes rows of its own adds a line to kinds() (and,
// for a new table, one to the data layer's logged tables) and calls
// Database::logChange once per row it writes.
struct Kind {
    const char* code;
    const char* table;
    bool adds;
    QString (*words)();
};

inline constexpr char kRaceAdded[] = "utrka_nova";
inline constexpr char kRaceEdited[] = "utrka_izmjena";
inline constexpr char kRaceWithdrawn[] = "utrka_povucena";
inline constexpr char kRaceRemoved[] = "utrka_brisanje";
inline constexpr char kPrizes[] = "nagrade";
inline constexpr char kCompetitorAdded[] = "takmicar_novi";
inline constexpr char kCompetitorEdited[] = "takmicar_izmjena";
inline constexpr char kCompetitorDeleted[] = "takmicar_brisanje";
inline constexpr char kFinishEntered[] = "vrijeme_upis";
inline constexpr char kFinishEdited[] = "vrijeme_izmjena";
inline constexpr char kFinishRemoved[] = "vrijeme_brisanje";
inline constexpr char kStatus[] = "status";
inline constexpr char kMarkDns[] = "dns";
inline constexpr char kSettings[] = "postavke";
inline constexpr char kImportEntry[] = "uvoz_prijava";
inline constexpr char kImportTime[] = "uvoz_vremena";
// The race's own categories and prizes, both tables as one row of the race.
inline constexpr char kRules[] = "pravila";
// The finish line: the start (one row of the race) and the captured rows.
inline constexpr char kCaptureStart[] = "cilj_start";
inline constexpr char kCapturePress[] = "cilj_vrijeme";
inline constexpr char kCapturePressWaiting[] = "cilj_vrijeme_broju"; // a press taking a waiting number
inline constexpr char kCaptureNumber[] = "cilj_broj";
inline constexpr char kCaptureNumberWaiting[] = "cilj_broj_ceka";
inline constexpr char kCaptureShift[] = "cilj_pomak";
inline constexpr char kCaptureDeleted[] = "cilj_brisanje";
inline constexpr char kCaptureRestored[] = "cilj_vracanje";
inline constexpr char kCaptureInserted[] = "cilj_umetanje";
inline constexpr char kCaptureImport[] = "cilj_uvoz";
inline constexpr char kCaptureChanged[] = "cilj_izmjena";
inline constexpr char kCaptureRemoved[] = "cilj_uklanjanje";
// The finish records that follow the captured rows. They are no change of
// their own: an undo of a captured row brings its record in step again, so
// these are never undone by themselves.
inline constexpr char kCaptureRecord[] = "cilj_zapis";
inline constexpr char kCaptureRecordRemoved[] = "cilj_zapis_brisanje";
// Whether entries of the kind only follow other rows (never undone by themselves).
bool follows(const QString& code);
// Whether the table's rows make finish records that follow them.
bool makesRecords(const QString& table);

const QList<Kind>& kinds();
// The kind of a stored code; null for a code this version does not know.
const Kind* kind(const QString& code);
// The kind an undo or redo logs when it adds (before empty), removes
// (after empty) or changes a row of the table.
QString kindOfWrite(const QString& table, bool hadRow, bool hasRow);

} // namespace changes

// One row of the change log (table dnevnik): one row of the race changed
// from before to after, each the row's values as compact JSON (empty: no
// row). The entries that one change wrote share a batch; an undo or redo
// names the batch it undid or redid.
struct ChangeEntry {
    qint64 seq = 0;
    QString time; // the database's time, UTC, "yyyy-mm-dd hh:mm:ss.zzz"
    QString station;
    QString user;
    QString kind;
    qint64 raceId = 0;
    QString table;
    qint64 key = 0;
    QString before;
    QString after;
    qint64 batch = 0;
    qint64 undoes = 0;
    qint64 redoes = 0;
    bool operator==(const ChangeEntry&) const = default;
};

namespace changes {

// The kind in words, undo and redo marked.
QString kindWords(const ChangeEntry& e);
// What changed, in words: "Klub: AK Split → AK Zagreb; Broj: 12 → 13", or
// the row added or removed.
QString describe(const ChangeEntry& e);
// A change as the Undo and Redo items name it ("upis vremena 00:41:12 za
// broj 12"), from the entries of its batch.
QString caption(const QList<ChangeEntry>& batch);
// The start number and the competitor's key an entry is about (0 when none).
QString startNumber(const ChangeEntry& e);
qint64 competitorKey(const ChangeEntry& e);
// The competitor's name the entry's own values hold, if any.
QString name(const ChangeEntry& e);
// The three at once, the entry's values read once.
struct Subject {
    QString number;
    QString name;
    qint64 competitor = 0;
};
Subject subject(const ChangeEntry& e);
// The time as the log's window shows it, in local time.
QString localTime(const QString& stored);

} // namespace changes
