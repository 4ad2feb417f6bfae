#include "app/resultscheck.h"

#include "app/finishline.h"
#include "app/racesession.h"
#include "core/csv.h"
#include "core/texts.h"
#include "core/timing.h"
#include "data/database.h"

#include <algorithm>

namespace resultscheck {

Outcome<QList<checks::Finding>> findings(RaceSession& session)
{
    using Result = Outcome<QList<checks::Finding>>;
    if (!session.hasRace())
        return Result::refused(Field::None, tx::openOrCreateRace());
    if (const Status fresh = session.refresh(); !fresh)
        return fresh.failure<QList<checks::Finding>>();
    const auto ignored = session.database().ignoredFindings(session.race().id);
    if (!ignored)
        return Result::dbFailed(ignored.error());
    // The records of captured times first brought in step with the start
    // list as stored (a runner registered by another program since).
    const auto hasCaptured = session.database().hasCapturedRows(session.race().id);
    if (!hasCaptured)
        return Result::dbFailed(hasCaptured.error());
    if (hasCaptured.value()) {
        if (const Status inStep = finishline::FinishLine::bringRecordsInStep(session); !inStep)
            return inStep.failure<QList<checks::Finding>>();
    }
    QList<checks::Finding> found = checks::findProblems(session.finishList(), session.startList(), session.raceDate(),
                                                        session.runStates(), session.settings().courseKm,
                                                        session.rules().categories);
    // Times captured at the finish line: errors, then rows to look at again (warnings).
    const auto captured = session.database().capturedRows(session.race().id);
    const auto start = session.database().captureStart(session.race().id);
    const auto notes = session.database().captureNotes(session.race().id);
    if (!captured || !start || !notes)
        return Result::dbFailed(!captured ? captured.error() : !start ? start.error() : notes.error());
    if (!captured.value().isEmpty()) {
        QList<checks::Finding> times = timing::findings(captured.value(), start.value(), session.startList(),
                                                        session.finishList(), notes.value(), session.settings().doubt);
        const auto isError = [](const checks::Finding& f) { return f.severity == checks::Severity::Error; };
        const qsizetype errors = std::count_if(found.cbegin(), found.cend(), isError);
        const qsizetype timeErrors = std::count_if(times.cbegin(), times.cend(), isError);
        found = found.mid(0, errors) + times.mid(0, timeErrors) + found.mid(errors) + times.mid(timeErrors);
    }
    found.removeIf([&](const checks::Finding& f) {
        const auto it = ignored.value().constFind(f.key);
        return it != ignored.value().cend() && *it == f.message;
    });
    return Result::done(std::move(found));
}

Status ignore(RaceSession& session, const checks::Finding& finding)
{
    if (!session.hasRace())
        return Status::refused(Field::None, tx::openOrCreateRace());
    if (const DbStatus stored = session.database().ignoreFinding(session.race().id, finding.key, finding.message);
        !stored)
        return Status::dbFailed(stored.error());
    return Status::done();
}

bool anyError(const QList<checks::Finding>& findings)
{
    return std::any_of(findings.cbegin(), findings.cend(),
                       [](const checks::Finding& f) { return f.severity == checks::Severity::Error; });
}

QString severityText(checks::Severity severity)
{
    return severity == checks::Severity::Error ? tx::checkError() : tx::checkWarning();
}

QByteArray csv(const QList<checks::Finding>& findings)
{
    QList<QStringList> rows;
    rows.reserve(findings.size());
    for (const checks::Finding& f : findings)
        rows.append({severityText(f.severity), f.sbroj, f.ime, f.message});
    return io::writeCsv(tx::columnsCheck(), rows);
}

} // namespace resultscheck
