#include "app/imports.h"

#include "app/racesession.h"
#include "core/categorycodes.h"
#include "core/competitorrules.h"
#include "core/dates.h"
#include "core/entryfile.h"
#include "core/filevalues.h"
#include "core/inputrules.h"
#include "core/iotexts.h"
#include "core/texts_entrycolumns.h"
#include "core/texts.h"
#include "core/timefile.h"
#include "core/timerules.h"

#include <QHash>
#include <QSet>

namespace imports {

namespace {

// The text a window or a command line shows for a failed read of the lists.
QString failureText(const Status& status)
{
    return status.kind() == Status::Kind::DbFailed ? tx::dbError(status.dbError()) : status.refusal().message;
}

// A row as read, for showing a refused row.
Competitor asRead(const io::EntryRow& row)
{
    Competitor c;
    c.ime = row.ime;
    c.sbroj = row.sbroj;
    c.drzava = row.drzava;
    c.klub = row.klub;
    c.spol = row.spol;
    c.datum = kvr::parseDayMonthYear(row.datumText).value_or(QDate());
    c.kategorija = row.kategorija;
    return c;
}

// The first field, in the form's order, longer than the form holds it.
QString fieldLengthRefusal(const io::EntryRow& row)
{
    const struct {
        const QString& value;
        QString name;
        int maxLength;
    } fields[] = {
        {row.ime, tx::ioFieldName(), rules::kNameLength},
        {row.sbroj, tx::ioFieldStartNumber(), rules::kStartNumberLength},
        {row.drzava, tx::ioFieldCountry(), rules::kCountryLength},
        {row.klub, tx::ioFieldClub(), rules::kClubLength},
    };
    for (const auto& f : fields) {
        const qsizetype length = rules::codePointCount(f.value);
        if (length > f.maxLength)
            return tx::ecTooLong(f.name, length, f.maxLength, f.value);
    }
    return {};
}

// The first value of the row, in the form's order, that no entry field
// would hold (a control character, a digit other than 0-9 in the number).
QString valueRefusal(const io::EntryRow& row)
{
    const struct {
        const QString& value;
        QString name;
        io::ValueKind kind;
    } fields[] = {
        {row.ime, tx::ioFieldName(), io::ValueKind::Text},
        {row.sbroj, tx::ioFieldStartNumber(), io::ValueKind::StartNumber},
        {row.drzava, tx::ioFieldCountry(), io::ValueKind::Text},
        {row.klub, tx::ioFieldClub(), io::ValueKind::Text},
        {row.spol, tx::ioFieldSex(), io::ValueKind::Text},
        {row.datumText, tx::ioFieldBirthDate(), io::ValueKind::Text},
    };
    for (const auto& f : fields) {
        if (QString refusal = io::valueRefusal(f.name, f.value, f.kind); !refusal.isEmpty())
            return refusal;
    }
    return {};
}

// The first required value the row lacks, named; or a birth year that is
// no year. Empty when the row has them all.
QString missingValue(const io::EntryRow& row, bool nameField, bool byCategory)
{
    if (row.datumText.isEmpty() && !row.birthYearText.isEmpty())
        return tx::ecBirthYearInvalid(row.birthYearText);
    if (!nameField)
        return {};
    const struct {
        const QString& value;
        QString name;
    } fields[] = {
        {row.ime, tx::ecFullName()},
        {row.drzava, tx::ecCountry()},
        {row.klub, tx::ecClub()},
        {row.datumText, tx::ecBirthDate()},
    };
    for (const auto& f : fields) {
        if (f.value.isEmpty() && !(byCategory && &f.value == &row.datumText))
            return tx::ecMissing(f.name);
    }
    return {};
}

// A category label of the row read against the race's categories (one of
// them): an empty sex takes the category's, and a sex given must be the
// category's. Empty when the row may go on.
QString categoryRefusal(io::EntryRow& row, const CategoryScheme& categories)
{
    if (row.kategorija.isEmpty())
        return {};
    const std::optional<RuleSex> sex = categories.sexOfLabel(row.kategorija);
    if (!sex)
        return tx::ecCategoryNotOfRace(row.kategorija);
    if (row.spol.isEmpty()) {
        if (*sex == RuleSex::Both)
            return tx::ecCategoryBothSexes(row.kategorija);
        row.spol = schemes::sexText(*sex);
    } else if ((row.spol == tx::sexMale() || row.spol == tx::sexFemale()) && !sexTakes(*sex, row.spol)) {
        return tx::ecCategorySexConflict(row.kategorija, schemes::sexText(*sex), row.spol);
    }
    return {};
}

// Cuts the name, country and club to the form's lengths at whole
// characters, as a paste into the form's field cuts them; gives each cut.
QStringList cutLongValues(io::EntryRow& row)
{
    const struct {
        QString& value;
        QString name;
        int maxLength;
    } fields[] = {
        {row.ime, tx::ioFieldName(), rules::kNameLength},
        {row.drzava, tx::ioFieldCountry(), rules::kCountryLength},
        {row.klub, tx::ioFieldClub(), rules::kClubLength},
    };
    QStringList cuts;
    for (auto& f : fields) {
        if (rules::codePointCount(f.value) <= f.maxLength)
            continue;
        const QString cut = rules::filterInsertion(rules::FieldKind::Text, {}, f.value, {}, f.maxLength).trimmed();
        cuts.append(tx::ecCut(f.name, f.value, cut));
        f.value = cut;
    }
    return cuts;
}

// The form offers the two letters only.
QString sexRefusal(const QString& sex)
{
    return sex == tx::sexMale() || sex == tx::sexFemale() ? QString() : tx::ioSexInvalid(sex);
}

// The competitors that have a finish record, in one pass over the finish list.
QSet<qint64> finishedCompetitors(const RaceSession& session)
{
    QSet<qint64> finished;
    finished.reserve(session.finishList().size());
    for (const FinishRecord& r : session.finishList())
        finished.insert(r.idtakmicara);
    return finished;
}

// The refusal of a store, or done when the preview may be stored in the
// session's current race.
Status storable(RaceSession& session, qint64 raceId, const QString& fileRefusal, int acceptedCount)
{
    if (!fileRefusal.isEmpty())
        return Status::refused(Field::None, fileRefusal);
    if (!session.hasRace())
        return Status::refused(Field::None, tx::openRaceFirst());
    if (raceId != session.race().id)
        return Status::refused(Field::None, tx::ioImportStale());
    if (acceptedCount == 0)
        return Status::refused(Field::None, tx::ioImportNothingAccepted());
    // Another writer's changes since the preview are read in first.
    return session.refresh();
}

} // namespace

// ---- Entries -----------------------------------------------------------------------

EntryPreview previewEntries(RaceSession& session, const QByteArray& file)
{
    EntryImportOptions plain;
    plain.nameMissingField = false;
    return previewEntries(session, io::readCsv(file), plain);
}

EntryPreview previewEntries(RaceSession& session, const io::CsvResult& file, const EntryImportOptions& options)
{
    EntryPreview preview;
    if (!session.hasRace()) {
        preview.fileRefusal = tx::openRaceFirst();
        return preview;
    }
    // Checked against the lists as they are now, another writer's changes included.
    if (const Status fresh = session.refresh(); !fresh) {
        preview.fileRefusal = failureText(fresh);
        return preview;
    }
    preview.raceId = session.race().id;
    preview.raceDate = session.raceDate();
    preview.startListSize = session.registeredCount();

    io::EntryFileResult read;
    if (options.layout) {
        read = io::readEntries(file, *options.layout, options.defaults);
    } else if (!file.ok() || file.rows.isEmpty()) {
        read = io::readEntries(file);
    } else {
        const io::EntryLayout layout = io::headerLayout(file);
        read.error = io::missingColumns(file, layout, options.defaults);
        if (read.ok())
            read = io::readEntries(file, layout, options.defaults);
    }
    if (!read.ok()) {
        preview.fileRefusal = read.error;
        return preview;
    }

    // The race's numbers and those of the rows accepted so far: a number
    // taken in either is refused alike. Rows of the file get keys below
    // zero, which no stored competitor has.
    preview.rules = options.rules;
    const CategoryScheme& categories = options.rules ? options.rules->categories : session.rules().categories;
    rules::StartNumberIndex numbers = session.startNumbers();
    qint64 fileKey = 0;
    preview.rows.reserve(read.rows.size());
    for (io::EntryRow r : read.rows) {
        EntryPreviewRow row;
        row.lineNumber = r.lineNumber;
        row.category = r.kategorija;
        QString unreadable = valueRefusal(r);
        if (unreadable.isEmpty()) {
            unreadable = categoryRefusal(r, categories);
            // A code the race lacks is told once for the whole file; the row says only which.
            if (unreadable == tx::ecCategoryNotOfRace(r.kategorija)
                && !preview.unknownCategories.contains(r.kategorija, Qt::CaseInsensitive))
                preview.unknownCategories.append(r.kategorija);
        }
        // A category of the race places a runner without a birth date.
        const bool byCategory = !r.kategorija.isEmpty();
        if (unreadable.isEmpty())
            unreadable = missingValue(r, options.nameMissingField, byCategory);
        if (unreadable.isEmpty() && options.cutLong)
            row.cuts = cutLongValues(r);
        row.birthDateText = r.birthYearText.isEmpty() ? r.datumText : r.birthYearText;
        const rules::CompetitorEntry entry{r.ime, r.sbroj, r.drzava, r.klub, r.spol, r.datumText};
        const Outcome<Competitor> checked = unreadable.isEmpty()
            ? rules::checkCompetitor(entry, preview.raceDate, numbers, 0,
                                     byCategory ? rules::BirthDateRule::MayBeEmpty : rules::BirthDateRule::Required)
            : Outcome<Competitor>::refused(Field::None, unreadable);
        if (checked) {
            row.competitor = checked.value();
            row.competitor.kategorija = r.kategorija;
            row.refusal = fieldLengthRefusal(r);
            if (row.refusal.isEmpty())
                row.refusal = sexRefusal(r.spol);
        } else {
            row.competitor = asRead(r);
            row.refusal = checked.refusal().message;
        }
        if (row.accepted()) {
            numbers.add(row.competitor.sbroj, --fileKey);
            ++preview.acceptedCount;
        } else {
            ++preview.refusedCount;
        }
        preview.rows.append(std::move(row));
    }
    return preview;
}

Status importEntries(RaceSession& session, const EntryPreview& preview)
{
    if (const Status ready = storable(session, preview.raceId, preview.fileRefusal, preview.acceptedCount); !ready)
        return ready;
    // The birth years were checked against the race date of the preview;
    // the start numbers against the start list of then. Any change to
    // either since asks for a new preview, and so does a second store of
    // the same preview.
    if (session.raceDate() != preview.raceDate || session.registeredCount() != preview.startListSize)
        return Status::refused(Field::None, tx::ioImportStale());

    QList<Competitor> accepted;
    accepted.reserve(preview.acceptedCount);
    for (const EntryPreviewRow& row : preview.rows) {
        if (!row.accepted())
            continue;
        if (session.startNumbers().takenByOther(row.competitor.sbroj))
            return Status::refused(Field::None, tx::ioImportStale());
        accepted.append(row.competitor);
    }
    return session.addCompetitors(std::move(accepted), preview.rules ? &*preview.rules : nullptr);
}

RaceRules rulesWithCodes(const RaceSession& session, const QStringList& codes)
{
    RaceRules rules = session.rules();
    QList<CategoryRow> rows;
    if (!(rules.categories == CategoryScheme::standard()))
        rows = rules.categories.rows();
    rows.append(schemes::categoriesFromCodes(codes));
    rules.categories = CategoryScheme(rows);
    return rules;
}

// ---- Finish times ------------------------------------------------------------------

TimePreview previewTimes(RaceSession& session, const QByteArray& file)
{
    TimePreview preview;
    if (!session.hasRace()) {
        preview.fileRefusal = tx::openRaceFirstFinish();
        return preview;
    }
    if (const Status fresh = session.refresh(); !fresh) {
        preview.fileRefusal = failureText(fresh);
        return preview;
    }
    preview.raceId = session.race().id;

    const io::TimeFileResult read = io::readTimeFile(file);
    if (!read.ok()) {
        preview.fileRefusal = read.error;
        return preview;
    }
    if (read.lines.isEmpty()) {
        preview.fileRefusal = tx::ioEmptyFile();
        return preview;
    }

    const QSet<qint64> finished = finishedCompetitors(session);
    const rules::StartNumberIndex& numbers = session.startNumbers();
    // Each number with the first line that names it, whatever became of
    // that line: a number named twice leaves the choice to the user.
    QHash<QString, int> firstLine;
    firstLine.reserve(read.lines.size());
    preview.rows.reserve(read.lines.size());
    for (const io::TimeLine& line : read.lines) {
        TimePreviewRow row;
        row.lineNumber = line.lineNumber;
        row.sbroj = line.sbroj;
        row.time = line.time;
        if (!line.ok()) {
            row.refusal = line.refusal;
        } else if (!rules::isFinishTime(line.time)) {
            row.refusal = tx::timeExample();
        } else if (row.competitorId = numbers.first(line.sbroj); row.competitorId == 0) {
            row.refusal = tx::startNumberNotOnList();
        } else if (finished.contains(row.competitorId)) {
            row.refusal = tx::finisherAlreadyEntered();
        } else if (const auto earlier = firstLine.constFind(line.sbroj); earlier != firstLine.cend()) {
            row.refusal = tx::ioStartNumberEarlierInFile(earlier.value());
        }
        if (!line.sbroj.isEmpty())
            firstLine.insert(line.sbroj, firstLine.value(line.sbroj, line.lineNumber));
        if (row.accepted())
            ++preview.acceptedCount;
        else
            ++preview.refusedCount;
        preview.rows.append(std::move(row));
    }
    return preview;
}

Status importTimes(RaceSession& session, const TimePreview& preview)
{
    if (const Status ready = storable(session, preview.raceId, preview.fileRefusal, preview.acceptedCount); !ready)
        return ready;
    // A competitor that has since had a record entered, or a number that
    // now names somebody else, asks for a new preview; so does a second
    // store of the same preview.
    const QSet<qint64> finished = finishedCompetitors(session);
    QList<FinishRecord> accepted;
    accepted.reserve(preview.acceptedCount);
    for (const TimePreviewRow& row : preview.rows) {
        if (!row.accepted())
            continue;
        if (finished.contains(row.competitorId) || session.startNumbers().first(row.sbroj) != row.competitorId)
            return Status::refused(Field::None, tx::ioImportStale());
        FinishRecord record;
        record.idtakmicara = row.competitorId;
        record.sbroj = row.sbroj;
        record.vrijeme = row.time;
        accepted.append(record);
    }
    return session.addFinishRecords(std::move(accepted));
}

} // namespace imports
