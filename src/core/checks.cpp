#include "core/checks.h"

#include "core/dates.h"
#include "core/runstates.h"
#include "core/standings.h"
#include "core/texts.h"
#include "core/texts_entrycolumns.h"
#include "core/texts_rules.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <cmath>

namespace checks {

namespace {

// Seconds of "hh:mm:ss"; -1 for any other shape.
int seconds(const QString& time)
{
    if (time.size() != 8 || time.at(2) != QLatin1Char(':') || time.at(5) != QLatin1Char(':'))
        return -1;
    bool h = false, m = false, s = false;
    const int value = time.left(2).toInt(&h) * 3600 + time.mid(3, 2).toInt(&m) * 60 + time.mid(6, 2).toInt(&s);
    return h && m && s ? value : -1;
}

QString paceText(int secondsPerKm)
{
    return QStringLiteral("%1:%2").arg(secondsPerKm / 60).arg(secondsPerKm % 60, 2, 10, QLatin1Char('0'));
}

QString keyOf(const char* kind, qint64 a, qint64 b = 0)
{
    QString key = QLatin1String(kind) + QLatin1Char(':') + QString::number(a);
    if (b != 0)
        key += QLatin1Char(':') + QString::number(b);
    return key;
}

Finding finding(Severity severity, Kind kind, const Competitor* c, qint64 finishId, QString message, QString key)
{
    Finding f;
    f.severity = severity;
    f.kind = kind;
    f.competitorId = c ? c->id : 0;
    f.finishId = finishId;
    f.sbroj = c ? c->sbroj : QString();
    f.ime = c ? c->ime : QString();
    f.message = std::move(message);
    f.key = std::move(key);
    return f;
}

} // namespace

QString foldName(const QString& name)
{
    QString folded = name.simplified().toLower();
    for (QChar& ch : folded) {
        switch (ch.unicode()) {
        case u'č':
        case u'ć':
            ch = QLatin1Char('c');
            break;
        case u'ž':
            ch = QLatin1Char('z');
            break;
        case u'š':
            ch = QLatin1Char('s');
            break;
        case u'đ':
            ch = QLatin1Char('d');
            break;
        default:
            break;
        }
    }
    return folded;
}

QList<Finding> findProblems(const QList<FinishRecord>& finishList, const QList<Competitor>& startList,
                            const QDate& raceDate, const RunStates& states, std::optional<double> courseKm,
                            const CategoryScheme& categories)
{
    QList<Finding> errors;
    QList<Finding> warnings;

    const QHash<qint64, const Competitor*> byId = standings::competitorsByKey(startList);

    // ---- Finish records, in time order ----
    const QList<const FinishRecord*> ordered = standings::inTimeOrder(finishList);
    QSet<qint64> finished;
    finished.reserve(finishList.size());
    const FinishRecord* before = nullptr;
    for (const FinishRecord* r : ordered) {
        finished.insert(r->idtakmicara);
        const Competitor* c = byId.value(r->idtakmicara);
        if (!c) {
            Finding f = finding(Severity::Error, Kind::LostCompetitor, nullptr, r->id,
                                tx::checkLostCompetitor(r->sbroj, r->vrijeme), keyOf("lost", r->id));
            f.sbroj = r->sbroj;
            errors.append(f);
        } else {
            const RunState state = states.value(c->id).state;
            if (state == RunState::Dns || state == RunState::Dnf)
                errors.append(finding(Severity::Error, Kind::FinishOfNonStarter, c, r->id,
                                      tx::checkFinishOfNonStarter(c->sbroj, c->ime, runstates::code(state), r->vrijeme),
                                      keyOf("nonstarter", r->id)));
        }
        const QString number = c ? c->sbroj : r->sbroj;
        const QString name = c ? c->ime : QString();
        const int time = seconds(r->vrijeme);
        if (time == 0)
            errors.append(finding(Severity::Error, Kind::ZeroTime, c, r->id, tx::checkZeroTime(number, name),
                                  keyOf("zero", r->id)));
        if (before && before->vrijeme == r->vrijeme)
            warnings.append(finding(Severity::Warning, Kind::EqualTimes, c, r->id,
                                    tx::checkEqualTimes(number, name, r->vrijeme, before->sbroj),
                                    keyOf("equal", before->id, r->id)));
        if (courseKm && *courseKm > 0 && time > 0) {
            // Shown in whole seconds beyond the bound it crossed.
            const double pace = time / *courseKm;
            if (pace < kFastestPace)
                warnings.append(finding(Severity::Warning, Kind::PaceFast, c, r->id,
                                        tx::checkPaceFast(number, name, r->vrijeme, paceText(int(std::floor(pace)))),
                                        keyOf("fast", r->id)));
            else if (pace > kSlowestPace)
                warnings.append(finding(Severity::Warning, Kind::PaceSlow, c, r->id,
                                        tx::checkPaceSlow(number, name, r->vrijeme, paceText(int(std::ceil(pace)))),
                                        keyOf("slow", r->id)));
        }
        before = r;
    }

    // ---- Start-list entries, in registration order ----
    QHash<QString, const Competitor*> byNumber;
    QHash<QString, const Competitor*> byPerson;
    byNumber.reserve(startList.size());
    byPerson.reserve(startList.size());
    for (const Competitor& c : startList) {
        const QString number = c.sbroj.trimmed();
        if (!number.isEmpty()) {
            if (const Competitor* first = byNumber.value(number))
                errors.append(finding(Severity::Error, Kind::NumberTwice, &c, 0,
                                      tx::checkNumberTwice(number, first->ime, c.ime), keyOf("number", first->id, c.id)));
            else
                byNumber.insert(number, &c);
            if (!finishList.isEmpty() && !finished.contains(c.id) && !states.contains(c.id))
                warnings.append(finding(Severity::Warning, Kind::NoFinish, &c, 0, tx::checkNoFinish(c.sbroj, c.ime),
                                        keyOf("nofinish", c.id)));
        }
        if (c.spol != tx::sexMale() && c.spol != tx::sexFemale())
            warnings.append(finding(Severity::Warning, Kind::OddSex, &c, 0, tx::checkSex(c.sbroj, c.ime, c.spol),
                                    keyOf("sex", c.id)));
        if (c.datum.isValid() && raceDate.isValid()) {
            const int age = raceDate.year() - c.datum.year();
            if (age < 5 || age > 95)
                warnings.append(finding(Severity::Warning, Kind::OddAge, &c, 0, tx::checkAge(c.sbroj, c.ime, age),
                                        keyOf("age", c.id)));
            // A gap between the race's categories leaves the runner in none.
            if (categories.rowFor(c.spol, age) < 0)
                warnings.append(finding(Severity::Warning, Kind::NoCategory, &c, 0,
                                        tx::noCategoryFinding(c.sbroj.trimmed(), c.ime), keyOf("category", c.id)));
            // The date decides; an imported category that says otherwise is worth a look.
            const int byDate = categories.rowFor(c.spol, age);
            if (!c.kategorija.isEmpty() && byDate >= 0 && byDate != categories.rowFor(c.spol, std::nullopt, c.kategorija))
                warnings.append(finding(Severity::Warning, Kind::CategoryMismatch, &c, 0,
                                        tx::categoryMismatchFinding(c.sbroj.trimmed(), c.ime, c.kategorija,
                                                                    categories.shownLabel(byDate)),
                                        keyOf("catmismatch", c.id)));
        }
        if (c.datum.isValid()) {
            const QString person = foldName(c.ime) + QLatin1Char('|') + c.datum.toString(Qt::ISODate);
            if (const Competitor* first = byPerson.value(person))
                warnings.append(finding(Severity::Warning, Kind::DoubleEntry, &c, 0,
                                        tx::checkDoubleEntry(c.sbroj, c.ime, kvr::formatDate(c.datum), first->sbroj),
                                        keyOf("double", first->id, c.id)));
            else
                byPerson.insert(person, &c);
        }
    }
    return errors + warnings;
}

Outcome<std::optional<double>> parseCourseKm(const QString& text)
{
    QString t = text.trimmed();
    if (t.isEmpty())
        return Outcome<std::optional<double>>::done(std::nullopt);
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double km = t.toDouble(&ok);
    if (!ok || !(km > 0) || km > 1000)
        return Outcome<std::optional<double>>::refused(Field::None, tx::settingsCourseBad());
    return Outcome<std::optional<double>>::done(km);
}

} // namespace checks
