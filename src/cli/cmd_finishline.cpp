#include "cli/cmd_finishline.h"

#include "app/finishline.h"
#include "app/racesession.h"
#include "core/clitexts.h"
#include "core/texts.h"
#include "core/texts_finishline.h"

#include "data/database.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTextStream>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <iostream>
#include <string>
#include <thread>

namespace cli::finishline {

namespace {

enum Exit { Done = 0, Failed = 1, Usage = 2 };

// How long a press or number waits to be stored before it is printed as
// waiting in the journal.
constexpr qint64 kShowWaitingAfterMs = 500;

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

namespace {

// Standard input read on a thread of its own, each line stamped with the
// clock's moment as it arrives and handed to the event loop's thread: a
// press waits for nobody, and a store that waits holds up no reading.
class LineReader {
public:
    using Handle = std::function<void(const QString& text, qint64 arrivedMs)>;
    LineReader(QObject* context, std::shared_ptr<::finishline::Clock> clock, Handle handle, std::function<void()> ended)
        : m_thread([context, clock, handle, ended] {
            std::string read;
            while (std::getline(std::cin, read)) {
                const qint64 at = clock->monotonicMs();
                const QString text = QString::fromStdString(read).trimmed();
                QMetaObject::invokeMethod(context, [handle, text, at] { handle(text, at); }, Qt::QueuedConnection);
            }
            QMetaObject::invokeMethod(context, ended, Qt::QueuedConnection);
        })
    {
    }
    ~LineReader() { m_thread.join(); }
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

private:
    std::thread m_thread;
};

} // namespace

int capture(RaceSession& session, const Values&, const QStringList& positional, QTextStream& out, QTextStream& err)
{
    if (!positional.isEmpty()) {
        err << tx::cliExtraArgument(positional.first()) << Qt::endl;
        return Usage;
    }
    const auto clock = std::make_shared<::finishline::SystemClock>();
    // The writes on a thread and connection of their own, as at the window:
    // every press and number is journaled at once and stored in order,
    // tried again while the database is locked or away.
    ::finishline::FinishLine line(session, clock, {}, ::finishline::CaptureWriter::Mode::Threaded);
    if (!line.loadStatus())
        return failure(line.loadStatus(), err);
    int result = Done;
    QEventLoop loop;
    // Each press and number is printed once: as the row it was stored as,
    // with its state after the layout; or, when it has waited half a second
    // (the database locked or away), as it waits in the journal.
    QSet<QString> shownWaiting;
    QObject::connect(&line, &::finishline::FinishLine::entryDone, &loop, [&](const QString& token, qint64 id) {
        if (shownWaiting.remove(token) || id == 0)
            return;
        QTimer::singleShot(0, &loop, [&line, &out, id] {
            if (const timing::CapturedRow* row = line.row(id))
                out << rowLine(line, *row) << Qt::endl;
        });
    });
    QTimer waiting;
    waiting.setInterval(100);
    QObject::connect(&waiting, &QTimer::timeout, &loop, [&] {
        const qint64 now = clock->monotonicMs();
        for (const ::finishline::JournalEntry& e : line.pending()) {
            if (now - e.journaledAt < kShowWaitingAfterMs || shownWaiting.contains(e.token))
                continue;
            shownWaiting.insert(e.token);
            timing::CapturedRow row;
            row.timeMs = e.press ? std::optional<qint64>(e.timeMs) : std::nullopt;
            row.number = e.number;
            out << rowLine(line, row) << Qt::endl;
        }
    });
    waiting.start();
    // A failure told once while it lasts, not at every try.
    QString told;
    QObject::connect(&line, &::finishline::FinishLine::problem, &loop, [&](const QString& message) {
        if (message != told)
            err << message << Qt::endl;
        told = message;
    });
    QObject::connect(&line, &::finishline::FinishLine::entryDone, &loop, [&] { told.clear(); });

    const auto handle = [&](const QString& text, qint64 arrivedMs) {
        Outcome<timing::CapturedRow> taken = Outcome<timing::CapturedRow>::refused(Field::None, {});
        if (text.isEmpty()) {
            taken = line.press(arrivedMs);
        } else if (text.startsWith(QLatin1String("t "))) {
            const auto at = timing::readTimeOfDay(text.mid(2));
            taken = at ? line.pressAt(*at) : Outcome<timing::CapturedRow>::refused(Field::None, tx::flTimeShape());
        } else if (text.startsWith(QLatin1String("x "))) {
            // A correction names a row by its sequence: the rows before it
            // are stored first, and it is printed as stored.
            line.waitStored(Database::kAnswerMs);
            bool ok = false;
            const int seq = text.mid(2).trimmed().toInt(&ok);
            qint64 id = 0;
            for (const timing::CapturedRow& r : line.rows())
                if (ok && r.seq == seq)
                    id = r.id;
            const Status deleted = id ? line.setDeleted(id, true) : Status::refused(Field::None, tx::flRowGone());
            line.waitStored(Database::kAnswerMs);
            const timing::CapturedRow* row = deleted ? line.row(id) : nullptr;
            if (row)
                out << rowLine(line, *row) << Qt::endl;
            taken = row ? Outcome<timing::CapturedRow>::done(*row)
                        : deleted ? Outcome<timing::CapturedRow>::refused(Field::None, tx::flRowGone())
                                  : deleted.failure<timing::CapturedRow>();
        } else if (timing::readNumber(text)) {
            taken = line.number(text);
        } else {
            taken = Outcome<timing::CapturedRow>::refused(Field::None, tx::cliCaptureBadLine(text));
        }
        if (!taken) {
            failure(taken, err);
            result = Failed;
        }
    };
    {
        const LineReader reader(&loop, clock, handle, [&loop] { loop.quit(); });
        loop.exec();
    }
    // What waits in the journal is stored now if it can be; else it waits
    // for the next run.
    if (!line.waitStored(Database::kAnswerMs + 700)) {
        err << tx::flPendingCount(int(line.pending().size())) << Qt::endl;
        result = Failed;
    }
    // The rows stored last are printed before the program ends.
    QCoreApplication::processEvents();
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
