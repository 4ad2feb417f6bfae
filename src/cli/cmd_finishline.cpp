#include "cli/cmd_finishline.h"

#include "app/finishline.h"
#include "app/racesession.h"
#include "core/clitexts.h"
#include "core/texts.h"
#include "core/texts_finishline.h"

#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <cstdio>
#include <iostream>
#include <string>

namespace cli::finishline {

namespace {

enum Exit { Done = 0, Failed = 1, Usage = 2 };

template <typename T>
int failure(const Outcome<T>& outcome, QTextStream& err)
{
    err << (outcome.kind() == Outcome<T>::Kind::Refused ? outcome.refusal().message : tx::dbError(outcome.dbError()))
        << Qt::endl;
    return Failed;
}

// A row as the command prints it: sequence, time of day, elapsed, number, state.
QString rowLine(const ::finishline::FinishLine& line, const timing::CapturedRow& row)
{
    const int i = line.rowIndex(row.id);
    const int state = row.id == 0 ? ::finishline::CaptureModel::kPendingState
                                  : int(line.evaluation().states.value(i, timing::RowState::NoNumber));
    const QString time = row.timeMs ? timing::timeOfDayText(*row.timeMs, 3) : QString();
    const QString elapsed =
        row.timeMs && line.startMs() ? timing::elapsedText(timing::elapsedMs(*row.timeMs, *line.startMs())) : QString();
    return QStringList{row.seq > 0 ? QString::number(row.seq) : QString(), time, elapsed, row.number,
                       ::finishline::CaptureModel::stateText(state)}
        .join(QLatin1Char('\t'));
}

} // namespace

int start(RaceSession& session, const Values& values, const QStringList& positional, QTextStream& out,
          QTextStream& err)
{
    if (!positional.isEmpty()) {
        err << tx::cliExtraArgument(positional.first()) << Qt::endl;
        return Usage;
    }
    if (!values.contains(QStringLiteral("--at"))) {
        err << tx::cliMissingOption(QStringLiteral("--at")) << Qt::endl;
        return Usage;
    }
    ::finishline::FinishLine line(session);
    if (!line.loadStatus())
        return failure(line.loadStatus(), err);
    if (const Status set = line.setStart(values.value(QStringLiteral("--at"))); !set)
        return failure(set, err);
    out << timing::timeOfDayText(*line.startMs(), 3) << Qt::endl;
    return Done;
}

int capture(RaceSession& session, const Values&, const QStringList& positional, QTextStream& out, QTextStream& err)
{
    if (!positional.isEmpty()) {
        err << tx::cliExtraArgument(positional.first()) << Qt::endl;
        return Usage;
    }
    ::finishline::FinishLine line(session);
    if (!line.loadStatus())
        return failure(line.loadStatus(), err);
    int result = Done;
    std::string read;
    while (std::getline(std::cin, read)) {
        const QString text = QString::fromStdString(read).trimmed();
        Outcome<timing::CapturedRow> stored = Outcome<timing::CapturedRow>::refused(Field::None, {});
        if (text.isEmpty()) {
            stored = line.press();
        } else if (text.startsWith(QLatin1String("t "))) {
            const auto at = timing::readTimeOfDay(text.mid(2));
            stored = at ? line.pressAt(*at)
                        : Outcome<timing::CapturedRow>::refused(Field::None, tx::flTimeShape());
        } else if (text.startsWith(QLatin1String("x "))) {
            bool ok = false;
            const int seq = text.mid(2).trimmed().toInt(&ok);
            qint64 id = 0;
            for (const timing::CapturedRow& r : line.rows())
                if (ok && r.seq == seq)
                    id = r.id;
            const Status deleted = id ? line.setDeleted(id, true) : Status::refused(Field::None, tx::flRowGone());
            const timing::CapturedRow* row = deleted ? line.row(id) : nullptr;
            stored = row ? Outcome<timing::CapturedRow>::done(*row)
                         : deleted ? Outcome<timing::CapturedRow>::refused(Field::None, tx::flRowGone())
                                   : deleted.failure<timing::CapturedRow>();
        } else if (timing::readNumber(text)) {
            stored = line.number(text);
        } else {
            stored = Outcome<timing::CapturedRow>::refused(Field::None, tx::cliCaptureBadLine(text));
        }
        if (!stored) {
            failure(stored, err);
            result = Failed;
            continue;
        }
        const timing::CapturedRow* now = stored.value().id ? line.row(stored.value().id) : nullptr;
        out << rowLine(line, now ? *now : stored.value()) << Qt::endl;
    }
    // What waits in the journal is stored now if it can be (tried once
    // more); else it waits for the next run.
    if (!line.waitStored(700)) {
        err << tx::flPendingCount(int(line.pending().size())) << Qt::endl;
        result = Failed;
    }
    return result;
}

int importCapture(RaceSession& session, const Values& values, const QStringList& positional, QTextStream& out,
                  QTextStream& err)
{
    if (positional.size() != 1) {
        err << (positional.isEmpty() ? tx::cliMissingFile() : tx::cliExtraArgument(positional.at(1))) << Qt::endl;
        return Usage;
    }
    QFile file(positional.first());
    if (!file.open(QIODevice::ReadOnly)) {
        err << tx::cliFileNotRead(file.fileName(), file.errorString()) << Qt::endl;
        return Failed;
    }
    ::finishline::FinishLine line(session);
    if (!line.loadStatus())
        return failure(line.loadStatus(), err);
    const auto imported = line.importTimes(file.readAll(), QFileInfo(file.fileName()).fileName(),
                                           values.value(QStringLiteral("--offset")),
                                           values.value(QStringLiteral("--tolerance")));
    if (!imported)
        return failure(imported, err);
    out << tx::flImported(imported.value().paired, int(imported.value().added.size())) << Qt::endl;
    return Done;
}

} // namespace cli::finishline
