// kelvora series: the season's series of races, listed, made or changed.

#include "cli/cmd_series.h"

#include "app/seriessession.h"
#include "core/clitexts.h"
#include "core/fileerrors.h"
#include "core/texts.h"
#include "core/texts_series.h"

#include <QFile>
#include <QTextStream>

namespace cli {

namespace {

enum Exit { Done = 0, Failed = 1, Usage = 2 };

template <typename T>
int failed(const Outcome<T>& outcome, QTextStream& err)
{
    err << (outcome.kind() == Outcome<T>::Kind::Refused ? outcome.refusal().message : tx::dbError(outcome.dbError()))
        << Qt::endl;
    return Failed;
}

int listSeries(SeriesSession& seasons, QTextStream& out, QTextStream& err)
{
    const auto all = seasons.list();
    if (!all)
        return failed(all, err);
    for (const series::Definition& d : all.value()) {
        QStringList races;
        for (qint64 id : d.races)
            races.append(QString::number(id));
        out << d.id << '\t' << d.name << '\t' << races.join(QLatin1Char(',')) << '\n';
    }
    return Done;
}

// A whole number of at least least, or nothing after naming the option.
std::optional<int> number(const QHash<QString, QString>& values, const QString& option, int least, QTextStream& err)
{
    bool ok = false;
    const int n = values.value(option).trimmed().toInt(&ok);
    if (!ok || n < least) {
        err << tx::cliBadValue(option, values.value(option)) << Qt::endl;
        return std::nullopt;
    }
    return n;
}

} // namespace

int runSeries(Database& db, const QHash<QString, QString>& values, const QStringList& noClub, QTextStream& out,
              QTextStream& err)
{
    SeriesSession seasons(db);
    const QString kName = QStringLiteral("--name");
    if (!values.contains(kName)) {
        for (const QString& option : values.keys()) {
            if (option != QLatin1String("--db")) {
                err << tx::cliMissingOption(kName) << Qt::endl;
                return Usage;
            }
        }
        if (!noClub.isEmpty()) {
            err << tx::cliMissingOption(kName) << Qt::endl;
            return Usage;
        }
        return listSeries(seasons, out, err);
    }
    const auto found = seasons.findByName(values.value(kName));
    if (!found)
        return failed(found, err);
    series::Definition d = found.value().value_or(series::Definition{});
    d.name = values.value(kName);
    const auto given = [&](const char* option) { return values.contains(QLatin1String(option)); };
    if (given("--races")) {
        d.races.clear();
        for (const QString& part : values.value(QStringLiteral("--races")).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            bool ok = false;
            const qint64 id = part.trimmed().toLongLong(&ok);
            if (!ok || id <= 0) {
                err << tx::cliBadValue(QStringLiteral("--races"), values.value(QStringLiteral("--races"))) << Qt::endl;
                return Usage;
            }
            d.races.append(id);
        }
    } else if (d.id == 0) {
        err << tx::cliMissingOption(QStringLiteral("--races")) << Qt::endl;
        return Usage;
    }
    series::Rules& r = d.rules;
    if (given("--points") && given("--points-list")) {
        err << tx::cliSeriesPointsTwice() << Qt::endl;
        return Usage;
    }
    if (given("--points")) {
        const auto p = number(values, QStringLiteral("--points"), 1, err);
        if (!p)
            return Usage;
        r.points = series::PointsKind::Countdown;
        r.firstPoints = *p;
        r.pointsList.clear();
    }
    if (given("--points-list")) {
        const auto list = series::readPointsList(values.value(QStringLiteral("--points-list")));
        if (!list) {
            err << tx::seriesBadPointsList() << Qt::endl;
            return Usage;
        }
        r.points = series::PointsKind::List;
        r.pointsList = *list;
    }
    if (given("--place")) {
        const QString place = values.value(QStringLiteral("--place")).toLower();
        if (place == QLatin1String("sex")) {
            r.place = series::PlaceScope::Sex;
        } else if (place == QLatin1String("overall")) {
            r.place = series::PlaceScope::Overall;
        } else if (place == QLatin1String("category")) {
            r.place = series::PlaceScope::Category;
        } else {
            err << tx::cliBadValue(QStringLiteral("--place"), values.value(QStringLiteral("--place"))) << Qt::endl;
            return Usage;
        }
    }
    for (const auto& [option, into, least] : {std::tuple{"--best", &r.best, 0}, std::tuple{"--minimum", &r.minimum, 1},
                                              std::tuple{"--planned", &r.planned, 0}}) {
        if (!given(option))
            continue;
        const auto n = number(values, QLatin1String(option), least, err);
        if (!n)
            return Usage;
        *into = *n;
    }
    if (given("--prizes")) {
        const QString path = values.value(QStringLiteral("--prizes"));
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            err << tx::cliFileNotRead(path, kvr::fileReason(path, file.errorString())) << Qt::endl;
            return Failed;
        }
        const auto prizes = schemes::readPrizes(file.readAll());
        if (!prizes)
            return failed(prizes, err);
        r.prizes = prizes.value();
    }
    if (!noClub.isEmpty())
        r.noClub = noClub;
    const auto stored = seasons.store(d);
    if (!stored)
        return failed(stored, err);
    out << stored.value() << '\n';
    return Done;
}

} // namespace cli
