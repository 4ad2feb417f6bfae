#include "app/racesession.h"

#include "app/capturewriter.h"
#include "app/finishline.h"
#include "app/station.h"

#include "core/dates.h"
#include "core/texts.h"
#include "core/timerules.h"
#include "data/database.h"

#include <QElapsedTimer>
#include <QThread>

#include <algorithm>

namespace {

bool finishOrder(const FinishRecord& a, const FinishRecord& b)
{
    return a.vrijeme != b.vrijeme ? a.vrijeme < b.vrijeme : a.id < b.id;
}

int countStarted(const QList<Competitor>& list)
{
    // A start number of blanks is no start number.
    return int(std::count_if(list.cbegin(), list.cend(), [](const Competitor& c) { return !c.sbroj.trimmed().isEmpty(); }));
}

} // namespace

RaceSession::RaceSession(const QString& databasePath, QObject* parent)
    : RaceSession(DbLocation::sqliteFile(databasePath), parent)
{
}

RaceSession::RaceSession(const DbLocation& location, QObject* parent)
    : QObject(parent)
    , m_db(std::make_unique<Database>(location))
    , m_startModel(new StartListModel(*this, this))
    , m_finishModel(new FinishListModel(*this, this))
    , m_detailModel(new FinishDetailModel(*this, this))
    , m_standingsModel(new StandingsModel(this))
{
    m_db->setStation(station::name(), station::osUser());
}

RaceSession::~RaceSession() = default;

const Race& RaceSession::race() const
{
    static const Race none;
    return m_race ? *m_race : none;
}

// ---- Races ----------------------------------------------------------------------

Outcome<Race> RaceSession::createRace(const QString& name, const QString& organiser, const QString& dateText)
{
    const auto date = rules::checkRaceEntry(name, organiser, dateText, rules::RaceForm::New);
    if (!date)
        return date.failure<Race>();

    // Every stored name counts, withdrawn races too; case and blanks count.
    const auto exists = m_db->raceNameExists(name);
    if (!exists)
        return Outcome<Race>::dbFailed(exists.error());
    if (exists.value())
        return Outcome<Race>::refused(Field::RaceName, tx::raceNameExists());

    const auto id = m_db->insertRace(name, organiser, date.value());
    if (!id)
        return Outcome<Race>::dbFailed(id.error());
    Race race;
    race.id = id.value();
    race.ime = name;
    race.org = organiser;
    race.datum = date.value();
    race.da = QStringLiteral("y");
    m_race = race;
    // A new race shows its date exactly as typed.
    m_raceDateText = dateText;
    m_states.clear();
    m_settings = {};
    m_rules = {};
    setLists({}, {});
    if (const auto version = m_db->dataVersion())
        m_seenVersion = version.value();
    // Should the feed's end not be found, the next look reads the lists whole.
    m_db->markChanges();
    m_mustReload = false;
    emit raceChanged();
    return Outcome<Race>::done(race);
}

Status RaceSession::openRace(qint64 id)
{
    // Everything is read before anything changes, so a failed read leaves
    // the session with the race it had.
    const auto race = m_db->race(id);
    if (!race)
        return Status::dbFailed(race.error());
    if (race.value().id != id)
        return Status::refused(Field::None, tx::raceNotFound(id));
    const auto version = m_db->dataVersion();
    if (!version)
        return Status::dbFailed(version.error());
    if (const DbStatus marked = m_db->markChanges(); !marked)
        return Status::dbFailed(marked.error());
    auto starts = m_db->startList(id);
    if (!starts)
        return Status::dbFailed(starts.error());
    auto finishes = m_db->finishList(id);
    if (!finishes)
        return Status::dbFailed(finishes.error());
    auto states = m_db->runStates(id);
    if (!states)
        return Status::dbFailed(states.error());
    const auto settings = m_db->raceSettings(id);
    if (!settings)
        return Status::dbFailed(settings.error());
    const auto rules = m_db->raceRules(id);
    if (!rules)
        return Status::dbFailed(rules.error());

    m_race = race.value();
    m_rules = rules.value();
    m_states = std::move(states.value());
    m_settings = settings.value();
    m_raceDateText = kvr::formatDate(m_race->datum);
    setLists(std::move(starts.value()), std::move(finishes.value()));
    m_seenVersion = version.value();
    m_mustReload = false;
    emit raceChanged();
    return Status::done();
}

Outcome<Race> RaceSession::editRace(const QString& name, const QString& organiser, const QString& dateText)
{
    if (!m_race)
        return Outcome<Race>::refused(Field::None, tx::noOpenRace());
    const auto date = rules::checkRaceEntry(name, organiser, dateText, rules::RaceForm::Edit);
    if (!date)
        return date.failure<Race>();
    if (const DbStatus stored = m_db->updateRaceDetails(m_race->id, name, organiser, date.value()); !stored)
        return Outcome<Race>::dbFailed(stored.error());
    noteOwnWrite();
    m_race->ime = name;
    m_race->org = organiser;
    const bool newDate = m_race->datum != date.value();
    m_race->datum = date.value();
    // The stored values; the date in the form lists show.
    m_raceDateText = kvr::formatDate(m_race->datum);
    if (newDate) {
        // Categories follow the race date, and the category prizes and the
        // standings shown follow the categories.
        m_detailModel->beginReset();
        m_detailModel->endReset();
        listsTouched();
    }
    emit raceChanged();
    return Outcome<Race>::done(*m_race);
}

Status RaceSession::withdrawRace()
{
    if (!m_race)
        return Status::refused(Field::None, tx::noOpenRace());
    if (const DbStatus withdrawn = m_db->withdrawRace(m_race->id); !withdrawn)
        return Status::dbFailed(withdrawn.error());
    noteOwnWrite();
    closeRace();
    return Status::done();
}

Outcome<QList<Race>> RaceSession::listedRaces()
{
    const auto races = m_db->listedRaces();
    if (!races)
        return Outcome<QList<Race>>::dbFailed(races.error());
    return Outcome<QList<Race>>::done(races.value());
}

Outcome<QString> RaceSession::prizeFund()
{
    if (!m_race)
        return Outcome<QString>::refused(Field::None, tx::noOpenRace());
    // Read again: another station may have written it.
    const auto race = m_db->race(m_race->id);
    if (!race)
        return Outcome<QString>::dbFailed(race.error());
    m_race->nagrade = race.value().nagrade;
    return Outcome<QString>::done(m_race->nagrade);
}

Status RaceSession::setPrizeFund(const QString& text)
{
    if (!m_race)
        return Status::refused(Field::None, tx::noOpenRace());
    if (const DbStatus stored = m_db->setPrizeFund(m_race->id, text); !stored)
        return Status::dbFailed(stored.error());
    noteOwnWrite();
    m_race->nagrade = text;
    return Status::done();
}

Outcome<QStringList> RaceSession::categories()
{
    // A race with categories of its own offers them; the others the table's.
    if (m_race && !(m_rules.categories == CategoryScheme::standard()))
        return Outcome<QStringList>::done(m_rules.categories.labels());
    const auto labels = m_db->categories();
    if (!labels)
        return Outcome<QStringList>::dbFailed(labels.error());
    return Outcome<QStringList>::done(labels.value());
}

void RaceSession::closeRace()
{
    m_race.reset();
    m_raceDateText.clear();
    m_states.clear();
    m_settings = {};
    m_rules = {};
    setLists({}, {});
    emit raceChanged();
}

// ---- Start list -------------------------------------------------------------------

qsizetype RaceSession::startPosition(qint64 id) const
{
    const auto it = std::lower_bound(m_startList.cbegin(), m_startList.cend(), id,
                                     [](const Competitor& c, qint64 key) { return c.id < key; });
    return it != m_startList.cend() && it->id == id ? it - m_startList.cbegin() : -1;
}

const Competitor* RaceSession::competitor(qint64 id) const
{
    const qsizetype position = startPosition(id);
    return position < 0 ? nullptr : &m_startList.at(position);
}

namespace {

// Announces the finish details that show one competitor: the rows of their
// finishes, or with placesFollow every row from their first finish on, whose
// places change. Only these rows are drawn again, not the whole list.
void detailsChanged(FinishDetailModel& model, const QList<FinishRecord>& finishes, qint64 competitorId,
                    bool placesFollow)
{
    for (qsizetype row = 0; row < finishes.size(); ++row) {
        if (finishes.at(row).idtakmicara != competitorId)
            continue;
        if (placesFollow) {
            model.changed(int(row), int(finishes.size()) - 1);
            return;
        }
        model.changed(int(row), int(row));
    }
}

} // namespace

Outcome<Competitor> RaceSession::addCompetitor(const rules::CompetitorEntry& entry)
{
    if (!m_race)
        return Outcome<Competitor>::refused(Field::None, tx::openRaceFirst());
    // Checked against the lists as they are now, another writer's changes included.
    if (const Status fresh = refresh(); !fresh)
        return fresh.failure<Competitor>();
    auto checked = competitorToStore(0, entry);
    if (!checked)
        return checked;
    Competitor c = checked.value();
    // The database checks the number again as it stores: another station
    // may have taken it since the lists were read.
    const auto id = m_db->insertCompetitorIfNumberFree(c);
    if (!id)
        return numberRefused<Competitor>(id.error());
    noteOwnWrite();
    c.id = id.value();
    competitorStored(c);
    keepCapturedRecords();
    return Outcome<Competitor>::done(c);
}

Status RaceSession::addCompetitors(QList<Competitor> competitors, const RaceRules* rules)
{
    if (!m_race)
        return Status::refused(Field::None, tx::openRaceFirst());
    for (Competitor& c : competitors)
        c.idutrke = m_race->id;
    const Status stored = storedInBulk(m_db->insertCompetitors(competitors, rules));
    if (stored)
        keepCapturedRecords();
    return stored;
}

Outcome<Competitor> RaceSession::editCompetitor(qint64 id, const rules::CompetitorEntry& entry)
{
    if (!m_race)
        return Outcome<Competitor>::refused(Field::None, tx::openRaceFirst());
    // Checked against the lists as they are now, another writer's changes included.
    if (const Status fresh = refresh(); !fresh)
        return fresh.failure<Competitor>();
    auto checked = competitorToStore(id, entry);
    if (!checked)
        return checked;
    const Competitor c = checked.value();
    if (const DbStatus stored = m_db->updateCompetitorIfNumberFree(c); !stored)
        return numberRefused<Competitor>(stored.error());
    noteOwnWrite();
    competitorStored(c);
    keepCapturedRecords();
    return Outcome<Competitor>::done(c);
}

Outcome<Competitor> RaceSession::competitorToStore(qint64 id, const rules::CompetitorEntry& entry) const
{
    if (!m_race)
        return Outcome<Competitor>::refused(Field::None, tx::openRaceFirst());
    // A runner an import placed by category keeps an empty birth date
    // unless one is typed, and keeps the category (the store leaves it).
    const Competitor* before = id != 0 ? competitor(id) : nullptr;
    const bool byCategory = before && !before->datum.isValid() && !before->kategorija.isEmpty();
    auto checked = rules::checkCompetitor(entry, m_race->datum, m_startNumbers, id,
                                          byCategory ? rules::BirthDateRule::MayBeEmpty
                                                     : rules::BirthDateRule::Required);
    if (!checked)
        return checked;
    Competitor c = checked.value();
    c.id = id;
    c.idutrke = m_race->id;
    if (before)
        c.kategorija = before->kategorija;
    return Outcome<Competitor>::done(c);
}

void RaceSession::competitorStored(const Competitor& c)
{
    // By key: a new key is the highest and goes last; a row the change
    // feed brought in already is replaced, never listed twice.
    followStartList({c}, {c.id});
    // The finish lists show the competitor's details too.
    detailsChanged(*m_detailModel, m_finishList, c.id, false);
    listsTouched();
}

Outcome<bool> RaceSession::hasFinishRecord(qint64 id)
{
    const auto finished = m_db->hasFinishRecord(race().id, id);
    if (!finished)
        return Outcome<bool>::dbFailed(finished.error());
    return Outcome<bool>::done(finished.value());
}

Status RaceSession::deleteCompetitor(qint64 id, bool withFinishRecord)
{
    if (!m_race)
        return Status::refused(Field::None, tx::openRaceFirst());
    if (const Status fresh = refresh(); !fresh)
        return fresh;
    if (const DbStatus deleted = m_db->deleteCompetitor(race().id, id, withFinishRecord); !deleted)
        return deleteRefused(deleted.error());
    noteOwnWrite();
    competitorRemoved(id, withFinishRecord);
    keepCapturedRecords();
    return Status::done();
}

Status RaceSession::deleteRefused(const DbError& error)
{
    if (!error.isDuplicate())
        return Status::dbFailed(error);
    // Another station entered the competitor's finish after the question.
    reload();
    return Status::refused(Field::None, error);
}

void RaceSession::competitorRemoved(qint64 id, bool withFinishRecord)
{
    followStartList({}, {id});
    if (withFinishRecord)
        dropFinishRow(id);
    // A finish left without its competitor shows no details; it is ranked
    // again if the competitor had a run state, which moves the places after it.
    detailsChanged(*m_detailModel, m_finishList, id, m_states.contains(id));
    listsTouched();
}

// ---- Finish list ------------------------------------------------------------------

Outcome<FinishRecord> RaceSession::finishEntry(const QString& startNumber, const QString& time) const
{
    if (!m_race)
        return Outcome<FinishRecord>::refused(Field::None, tx::openRaceFirstFinish());
    if (!rules::isFinishTime(time))
        return Outcome<FinishRecord>::refused(Field::FinishTime, tx::timeExample());
    // An empty start number would match a registered competitor who has
    // none and give them somebody else's time.
    if (startNumber.trimmed().isEmpty())
        return Outcome<FinishRecord>::refused(Field::FinishStartNumber, tx::enterStartNumber());
    const qint64 competitorId = m_startNumbers.first(startNumber);
    if (competitorId == 0)
        return Outcome<FinishRecord>::refused(Field::None, tx::startNumberNotOnList());
    FinishRecord record;
    record.idutrke = m_race->id;
    record.sbroj = startNumber;
    record.idtakmicara = competitorId;
    record.vrijeme = time;
    return Outcome<FinishRecord>::done(record);
}

Outcome<FinishRecord> RaceSession::enterFinish(const QString& startNumber, const QString& time)
{
    if (!m_race)
        return Outcome<FinishRecord>::refused(Field::None, tx::openRaceFirstFinish());
    // Checked against the lists as they are now, another writer's changes included.
    if (const Status fresh = refresh(); !fresh)
        return fresh.failure<FinishRecord>();
    auto checked = finishEntry(startNumber, time);
    if (!checked)
        return checked;
    FinishRecord record = checked.value();
    // Checked by the database as it stores, not against the list held here,
    // so that neither this session's state nor another station entering the
    // same finisher at the same moment can let a second record in.
    const auto id = m_db->insertFinishRecordIfNone(record);
    if (!id) {
        if (!id.error().isDuplicate() && !id.error().isGone())
            return Outcome<FinishRecord>::dbFailed(id.error());
        // Entered, or removed, by another station: the lists show it.
        reload();
        return Outcome<FinishRecord>::refused(Field::FinishStartNumber, id.error().isGone()
                                                                            ? tx::competitorRemovedMeanwhile()
                                                                            : tx::finisherAlreadyEntered());
    }
    noteOwnWrite();
    record.id = id.value();

    insertFinishRow(record);
    listsTouched();
    return Outcome<FinishRecord>::done(record);
}

void RaceSession::writeInBackground(Write write, Written written)
{
    if (!m_writer)
        m_writer = new finishline::CaptureWriter(*m_db, finishline::CaptureWriter::Mode::Threaded, {}, this);
    m_writer->submit([write, written](Database& db) -> finishline::CaptureWriter::Done {
        DbResult<qint64> result;
        // Opening waits only briefly for a lock (so that a window comes up at
        // once): here it waits as long as a store does.
        DbStatus opened = db.isOpen() ? DbStatus::success() : db.open();
        QElapsedTimer waited;
        waited.start();
        while (!opened && opened.error().isBusy() && !waited.hasExpired(Database::kBusyTimeoutMs)) {
            QThread::msleep(100);
            opened = db.open();
        }
        if (!opened) {
            result = DbResult<qint64>::failure(opened.error());
        } else {
            // A server that stops answering refuses the change rather than hold it.
            const Database::AnswerWithin bound(db, Database::kAnswerMs);
            result = write(db);
        }
        return {false, [written, result] { written(result); }};
    });
}

void RaceSession::CapturedRowsLook::look(Database& db, qint64 raceId)
{
    if (!wanted)
        return;
    const auto rows = db.hasCapturedRows(raceId);
    found = rows && rows.value();
}

std::shared_ptr<RaceSession::CapturedRowsLook> RaceSession::capturedRowsLook() const
{
    // An open finish line keeps its records in step itself.
    auto look = std::make_shared<CapturedRowsLook>();
    look->wanted = m_finishLinesOpen == 0;
    return look;
}

bool RaceSession::storing() const
{
    return m_writer && !m_writer->idle();
}

bool RaceSession::isCurrentRace(qint64 raceId) const
{
    return m_race && m_race->id == raceId;
}

Outcome<FinishRecord> RaceSession::enterFinishInBackground(const QString& startNumber, const QString& time,
                                                          FinishStored stored)
{
    // Against the lists held: the watch reads another station's changes
    // within a second, and the database checks again as it stores.
    auto checked = finishEntry(startNumber, time);
    if (!checked)
        return checked;
    const FinishRecord record = checked.value();
    writeInBackground([record](Database& db) { return db.insertFinishRecordIfNone(record); },
                      [this, record, stored](const DbResult<qint64>& id) {
                          // The race was changed meanwhile: its lists are not these.
                          if (!isCurrentRace(record.idutrke)) {
                              stored(id ? Outcome<FinishRecord>::done(record)
                                        : Outcome<FinishRecord>::dbFailed(id.error()));
                              return;
                          }
                          if (!id) {
                              if (!id.error().isDuplicate() && !id.error().isGone()) {
                                  stored(Outcome<FinishRecord>::dbFailed(id.error()));
                                  return;
                              }
                              reload();
                              stored(Outcome<FinishRecord>::refused(Field::FinishStartNumber,
                                                                    id.error().isGone()
                                                                        ? tx::competitorRemovedMeanwhile()
                                                                        : tx::finisherAlreadyEntered()));
                              return;
                          }
                          FinishRecord kept = record;
                          kept.id = id.value();
                          // Stored by another connection: taken in by key, so the
                          // change feed bringing it too never lists it twice.
                          applyFinishChanges({}, {kept});
                          stored(Outcome<FinishRecord>::done(kept));
                      });
    return checked;
}

Outcome<Competitor> RaceSession::addCompetitorInBackground(const rules::CompetitorEntry& entry,
                                                           CompetitorStored stored)
{
    return storeCompetitorInBackground(0, entry, std::move(stored));
}

Outcome<Competitor> RaceSession::editCompetitorInBackground(qint64 id, const rules::CompetitorEntry& entry,
                                                            CompetitorStored stored)
{
    // Key 0 names nobody: an edit never turns into an addition.
    if (id == 0)
        return Outcome<Competitor>::refused(Field::None, tx::competitorGone());
    return storeCompetitorInBackground(id, entry, std::move(stored));
}

Outcome<Competitor> RaceSession::storeCompetitorInBackground(qint64 id, const rules::CompetitorEntry& entry,
                                                             CompetitorStored stored)
{
    // Against the lists held, as a typed finish entry; the database checks
    // the number again as it stores.
    auto checked = competitorToStore(id, entry);
    if (!checked)
        return checked;
    const Competitor c = checked.value();
    const auto captured = capturedRowsLook();
    writeInBackground(
        [c, captured](Database& db) -> DbResult<qint64> {
            DbResult<qint64> id = DbResult<qint64>::success(c.id);
            if (c.id == 0) {
                id = db.insertCompetitorIfNumberFree(c);
            } else if (const DbStatus updated = db.updateCompetitorIfNumberFree(c); !updated) {
                id = DbResult<qint64>::failure(updated.error());
            }
            if (id)
                captured->look(db, c.idutrke);
            return id;
        },
        [this, c, stored, captured](const DbResult<qint64>& id) {
            if (!id) {
                stored(isCurrentRace(c.idutrke) ? numberRefused<Competitor>(id.error())
                                                : Outcome<Competitor>::dbFailed(id.error()));
                return;
            }
            Competitor kept = c;
            kept.id = id.value();
            if (isCurrentRace(c.idutrke)) {
                competitorStored(kept);
                if (captured->found)
                    finishline::FinishLine::bringRecordsInStep(*this);
            }
            stored(Outcome<Competitor>::done(kept));
        });
    return checked;
}

bool RaceSession::finishedAsHeld(qint64 id) const
{
    return std::any_of(m_finishList.cbegin(), m_finishList.cend(),
                       [id](const FinishRecord& r) { return r.idtakmicara == id; });
}

Status RaceSession::deleteCompetitorInBackground(qint64 id, bool withFinishRecord, Stored stored)
{
    if (!m_race)
        return Status::refused(Field::None, tx::openRaceFirst());
    const qint64 raceId = m_race->id;
    const auto captured = capturedRowsLook();
    writeInBackground(
        [raceId, id, withFinishRecord, captured](Database& db) -> DbResult<qint64> {
            const DbStatus deleted = db.deleteCompetitor(raceId, id, withFinishRecord);
            if (!deleted)
                return DbResult<qint64>::failure(deleted.error());
            captured->look(db, raceId);
            return DbResult<qint64>::success(id);
        },
        [this, raceId, id, withFinishRecord, stored, captured](const DbResult<qint64>& deleted) {
            if (!isCurrentRace(raceId)) {
                stored(deleted ? Status::done() : Status::dbFailed(deleted.error()));
                return;
            }
            if (!deleted) {
                stored(deleteRefused(deleted.error()));
                return;
            }
            competitorRemoved(id, withFinishRecord);
            if (captured->found)
                finishline::FinishLine::bringRecordsInStep(*this);
            stored(Status::done());
        });
    return Status::done();
}

Status RaceSession::removeFinish(qint64 competitorId)
{
    if (!m_race)
        return Status::refused(Field::None, tx::openRaceFirstFinish());
    if (const Status fresh = refresh(); !fresh)
        return fresh;
    if (competitorId != 0) {
        if (const DbStatus removed = m_db->deleteFinishRecord(race().id, competitorId); !removed)
            return Status::dbFailed(removed.error());
        noteOwnWrite();
        dropFinishRow(competitorId);
    }
    listsTouched();
    return Status::done();
}

Status RaceSession::addFinishRecords(QList<FinishRecord> records)
{
    if (!m_race)
        return Status::refused(Field::None, tx::openRaceFirstFinish());
    for (FinishRecord& r : records)
        r.idutrke = m_race->id;
    return storedInBulk(m_db->insertFinishRecords(records));
}

Status RaceSession::storedInBulk(const DbStatus& stored)
{
    if (!stored) {
        if (!stored.error().isDuplicate() && !stored.error().isGone())
            return Status::dbFailed(stored.error());
        // Another station took a number, entered a finisher or removed a
        // runner since the file was checked: nothing is stored, and the
        // lists show its entries.
        reload();
        return Status::refused(Field::None, stored.error());
    }
    listsStoredInBulk();
    return Status::done();
}

void RaceSession::listsStoredInBulk()
{
    // Many rows at once: the lists are read again instead of row by row.
    // The rows are stored whatever this read gives: should it fail, the
    // write count still differs from the one last seen, so the next
    // refresh reads the lists again.
    reload();
}

void RaceSession::insertFinishRow(const FinishRecord& record)
{
    // Time order; equal times in the order stored.
    const qsizetype row =
        std::upper_bound(m_finishList.cbegin(), m_finishList.cend(), record, finishOrder) - m_finishList.cbegin();
    m_finishModel->beginInsert(int(row));
    m_detailModel->beginInsert(int(row));
    m_finishList.insert(row, record);
    m_detailModel->endInsert();
    m_finishModel->endInsert();
}

void RaceSession::dropFinishRow(qint64 competitorId)
{
    // The database removes the competitor's first record; so does the list.
    qsizetype row = -1;
    for (qsizetype i = 0; i < m_finishList.size(); ++i) {
        const FinishRecord& r = m_finishList.at(i);
        if (r.idtakmicara == competitorId && (row < 0 || r.id < m_finishList.at(row).id))
            row = i;
    }
    if (row < 0)
        return;
    m_finishModel->beginRemove(int(row));
    m_detailModel->beginRemove(int(row));
    m_finishList.removeAt(row);
    m_detailModel->endRemove();
    m_finishModel->endRemove();
}

// ---- Standings and refresh ----------------------------------------------------------

const QList<standings::StandingsRow>& RaceSession::overall()
{
    if (!m_overall)
        m_overall = standings::overallStandings(m_finishList, m_startList, raceDate(), m_states, m_rules.categories);
    return *m_overall;
}

Outcome<standings::Standings> RaceSession::standings(const standings::Selection& selection)
{
    if (const Status fresh = refresh(); !fresh)
        return fresh.failure<standings::Standings>();
    standings::Standings result = selection.prizes
        ? prizeStandings()
        : standings::process(selection, overall(), m_startList, raceDate(), m_settings.listUnranked, m_rules,
                             &leftOutOfCategories());
    m_standingsModel->setRows(result.rows);
    m_shownSelection = selection;
    m_shown = result;
    m_standingsOutOfDate = false;
    return Outcome<standings::Standings>::done(std::move(result));
}

Outcome<standings::Standings> RaceSession::shownStandings()
{
    if (const Status fresh = refresh(); !fresh)
        return fresh.failure<standings::Standings>();
    if (!m_race) {
        if (m_shownSelection) {
            m_shownSelection.reset();
            m_shown = {};
            m_standingsModel->setRows({});
        }
        return Outcome<standings::Standings>::done({});
    }
    if (standingsOutOfDate())
        return standings(*m_shownSelection);
    standings::Standings shown = m_shown;
    shown.rows = m_standingsModel->rows();
    return Outcome<standings::Standings>::done(std::move(shown));
}

template <typename T>
Outcome<T> RaceSession::numberRefused(const DbError& error)
{
    if (error.isGone()) {
        // Removed by another station: the lists show it gone.
        reload();
        return Outcome<T>::refused(Field::None, tx::competitorGone());
    }
    if (!error.isDuplicate())
        return Outcome<T>::dbFailed(error);
    // Taken by another station: its competitor shows.
    reload();
    return Outcome<T>::refused(Field::StartNumber, tx::startNumberTaken());
}

Status RaceSession::refresh()
{
    if (!m_race)
        return Status::done();
    const auto version = m_db->dataVersion();
    if (!version)
        return Status::dbFailed(version.error());
    if (version.value() == m_seenVersion && m_db->writeCount() == m_seenWrites)
        return Status::done();
    // Another writer's changes are read row by row as the feed names them;
    // own writes the lists do not hold yet (a bulk store whose read
    // failed) mean everything is read again.
    if (!m_mustReload && m_db->writeCount() == m_seenWrites) {
        if (const std::optional<Status> followed = followLog()) {
            if (followed->ok())
                m_seenVersion = version.value();
            return *followed;
        }
    }
    return reload();
}

Status RaceSession::reload()
{
    if (!m_race)
        return Status::done();
    const auto version = m_db->dataVersion();
    if (!version)
        return Status::dbFailed(version.error());
    // The change feed's end is taken before the lists are read: what is
    // stored in between is read again at the next look rather than missed.
    if (const DbStatus marked = m_db->markChanges(); !marked)
        return Status::dbFailed(marked.error());
    auto starts = m_db->startList(m_race->id);
    if (!starts)
        return Status::dbFailed(starts.error());
    auto finishes = m_db->finishList(m_race->id);
    if (!finishes)
        return Status::dbFailed(finishes.error());
    auto states = m_db->runStates(m_race->id);
    if (!states)
        return Status::dbFailed(states.error());
    const auto settings = m_db->raceSettings(m_race->id);
    if (!settings)
        return Status::dbFailed(settings.error());
    const auto rules = m_db->raceRules(m_race->id);
    if (!rules)
        return Status::dbFailed(rules.error());
    m_rules = rules.value();
    m_states = std::move(states.value());
    m_settings = settings.value();
    setLists(std::move(starts.value()), std::move(finishes.value()));
    m_seenVersion = version.value();
    m_mustReload = false;
    emit listsReloaded();
    emit capturedRowsNoted({}, true);
    return Status::done();
}

void RaceSession::watch(int intervalMs)
{
    if (!m_watch) {
        m_watch = new QTimer(this);
        connect(m_watch, &QTimer::timeout, this, [this] { lookElsewhere(false); });
        m_db->watchChanges(this, [this] { lookElsewhere(true); });
        m_db->startServerWatch(intervalMs);
    }
    m_watch->start(intervalMs);
}

bool RaceSession::connected() const
{
    return !m_db->connectionLost();
}

void RaceSession::lookElsewhere(bool told)
{
    // Also after the driver closed a connection by itself: the look below
    // connects again.
    if (!m_db->wasOpened())
        return;
    // The window's connection is asked only when the server has just
    // answered the look of another thread, and only when something ended
    // there, the server told of a change, or the connection must be made
    // again: a server that stops answering never holds up the window.
    const Database::ServerLook server = m_db->lookAtServer();
    if (server.answering && (server.changed || told || m_lookFailed || m_db->connectionLost() || !m_db->isOpen())) {
        // A look in the background never waits for another program's lock
        // on the file: a busy file is looked at again at the next tick.
        m_db->setBusyWait(false);
        // Without a race only the connection is looked at; a lost one is
        // tried again here as by any other call.
        // A look that failed is made again at the next tick: the change it
        // was told of is not read in yet.
        std::optional<DbError> failed;
        if (m_race) {
            if (const Status looked = refresh(); !looked)
                failed = looked.kind() == Status::Kind::DbFailed ? looked.dbError() : DbError();
        } else if (const auto version = m_db->dataVersion(); !version) {
            failed = version.error();
        }
        m_lookFailed = failed.has_value();
        m_db->setBusyWait(true);
        // Another program holding the file locked is told until it lets go.
        const bool locked = failed && failed->isBusy();
        if (locked != m_locked) {
            m_locked = locked;
            emit connectionChanged(connected());
        }
    }
    m_db->checkReachable();
    if (connected() != m_wasConnected) {
        m_wasConnected = connected();
        emit connectionChanged(m_wasConnected);
    }
}

void RaceSession::setLists(QList<Competitor> startList, QList<FinishRecord> finishList)
{
    m_startModel->beginReset();
    m_finishModel->beginReset();
    m_detailModel->beginReset();
    m_startList = std::move(startList);
    m_finishList = std::move(finishList);
    m_startNumbers = rules::StartNumberIndex(m_startList);
    m_started = countStarted(m_startList);
    m_detailModel->endReset();
    m_finishModel->endReset();
    m_startModel->endReset();
    m_seenWrites = m_db->writeCount();
    listsTouched();
}

void RaceSession::noteOwnWrite()
{
    m_seenWrites = m_db->writeCount();
}

void RaceSession::listsTouched()
{
    m_overall.reset();
    m_awards.reset();
    m_standingsOutOfDate = true;
    m_places.clear();
    emit listsChanged();
}
