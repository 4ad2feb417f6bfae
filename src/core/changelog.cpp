#include "core/changelog.h"

#include "core/texts_editlog.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>

namespace changes {

const QList<Kind>& kinds()
{
    static const QList<Kind> all{
        {kRaceAdded, "utrke", true, &tx::kindRaceAdded},
        {kRaceEdited, "utrke", false, &tx::kindRaceEdited},
        {kRaceWithdrawn, "utrke", false, &tx::kindRaceWithdrawn},
        {kRaceRemoved, "utrke", false, &tx::kindRaceRemoved},
        {kPrizes, "utrke", false, &tx::kindPrizes},
        {kCompetitorAdded, "startna", true, &tx::kindCompetitorAdded},
        {kCompetitorEdited, "startna", false, &tx::kindCompetitorEdited},
        {kCompetitorDeleted, "startna", false, &tx::kindCompetitorDeleted},
        {kFinishEntered, "rezultati", true, &tx::kindFinishEntered},
        {kFinishEdited, "rezultati", false, &tx::kindFinishEdited},
        {kFinishRemoved, "rezultati", false, &tx::kindFinishRemoved},
        {kStatus, "statusi", false, &tx::kindStatus},
        {kMarkDns, "statusi", false, &tx::kindMarkDns},
        {kSettings, "postavke", false, &tx::kindSettings},
        {kImportEntry, "startna", true, &tx::kindImportEntries},
        {kImportTime, "rezultati", true, &tx::kindImportTimes},
        {kRules, "pravila", false, &tx::kindRules},
        {kCaptureStart, "cilj_start", false, &tx::kindCaptureStart},
        {kCapturePress, "cilj_vremena", true, &tx::kindCapturePress},
        {kCapturePressWaiting, "cilj_vremena", false, &tx::kindCapturePress},
        {kCaptureNumber, "cilj_vremena", false, &tx::kindCaptureNumber},
        {kCaptureNumberWaiting, "cilj_vremena", true, &tx::kindCaptureNumberWaiting},
        {kCaptureShift, "cilj_vremena", false, &tx::kindCaptureShift},
        {kCaptureDeleted, "cilj_vremena", false, &tx::kindCaptureDeleted},
        {kCaptureRestored, "cilj_vremena", false, &tx::kindCaptureRestored},
        {kCaptureInserted, "cilj_vremena", true, &tx::kindCaptureInserted},
        {kCaptureImport, "cilj_vremena", true, &tx::kindCaptureImport},
        {kCaptureChanged, "cilj_vremena", false, &tx::kindCaptureChanged},
        {kCaptureRemoved, "cilj_vremena", false, &tx::kindCaptureRemoved},
        {kCaptureRecord, "rezultati", true, &tx::kindCaptureRecord},
        {kCaptureRecordRemoved, "rezultati", false, &tx::kindCaptureRecordRemoved},
    };
    return all;
}

const Kind* kind(const QString& code)
{
    for (const Kind& k : kinds()) {
        if (code == QLatin1String(k.code))
            return &k;
    }
    return nullptr;
}

bool follows(const QString& code)
{
    return code == QLatin1String(kCaptureRecord) || code == QLatin1String(kCaptureRecordRemoved);
}

bool makesRecords(const QString& table)
{
    return table == QLatin1String("cilj_vremena") || table == QLatin1String("cilj_start");
}

QString kindOfWrite(const QString& table, bool hadRow, bool hasRow)
{
    struct Ops {
        const char* table;
        const char* add;
        const char* change;
        const char* remove;
    };
    static const Ops ops[] = {
        {"utrke", kRaceAdded, kRaceEdited, kRaceRemoved},
        {"startna", kCompetitorAdded, kCompetitorEdited, kCompetitorDeleted},
        {"rezultati", kFinishEntered, kFinishEdited, kFinishRemoved},
        {"statusi", kStatus, kStatus, kStatus},
        {"postavke", kSettings, kSettings, kSettings},
        {"pravila", kRules, kRules, kRules},
        {"cilj_start", kCaptureStart, kCaptureStart, kCaptureStart},
        {"cilj_vremena", kCaptureInserted, kCaptureChanged, kCaptureRemoved},
    };
    for (const Ops& o : ops) {
        if (table == QLatin1String(o.table))
            return QLatin1String(!hadRow ? o.add : !hasRow ? o.remove : o.change);
    }
    return table;
}

namespace {

QJsonObject row(const QString& json)
{
    return json.isEmpty() ? QJsonObject() : QJsonDocument::fromJson(json.toUtf8()).object();
}

QString text(const QJsonValue& v)
{
    if (v.isNull() || v.isUndefined())
        return {};
    if (v.isDouble())
        return QString::number(qint64(v.toDouble()));
    return v.toString();
}

// The columns the log names, in the order it names them, with their words.
struct Column {
    const char* table;
    const char* name;
    QString (*words)();
};

const Column kColumns[] = {
    {"startna", "sbroj", &tx::logFieldNumber},     {"startna", "ime", &tx::logFieldName},
    {"startna", "drzava", &tx::logFieldCountry},   {"startna", "klub", &tx::logFieldClub},
    {"startna", "spol", &tx::logFieldSex},         {"startna", "datum", &tx::logFieldBirthDate},
    {"rezultati", "sbroj", &tx::logFieldNumber},   {"rezultati", "vrijeme", &tx::logFieldTime},
    {"utrke", "ime", &tx::logFieldRaceName},       {"utrke", "org", &tx::logFieldOrganiser},
    {"utrke", "datum", &tx::logFieldRaceDate},     {"utrke", "da", &tx::logFieldOffered},
    {"utrke", "nagrade", &tx::logFieldPrizes},     {"statusi", "status", &tx::logFieldStatus},
    {"statusi", "razlog", &tx::logFieldReason},    {"postavke", "prikazistatus", &tx::logFieldListUnranked},
    {"postavke", "duzinakm", &tx::logFieldCourseKm},
    {"pravila", "kategorije", &tx::logFieldCategories}, {"pravila", "nagrade", &tx::logFieldPrizeRules},
    {"pravila", "ekipe", &tx::logFieldTeams},
    {"cilj_start", "vrijeme", &tx::logFieldStart},      {"cilj_vremena", "vrijeme", &tx::logFieldCaptured},
    {"cilj_vremena", "sbroj", &tx::logFieldNumber},     {"cilj_vremena", "obrisan", &tx::logFieldDeleted},
    {"cilj_vremena", "izvor", &tx::logFieldSource},
};

QString valuesOf(const QString& table, const QJsonObject& values)
{
    QStringList parts;
    for (const Column& c : kColumns) {
        if (table == QLatin1String(c.table) && !text(values.value(QLatin1String(c.name))).isEmpty())
            parts.append(c.words() + QStringLiteral(": ") + text(values.value(QLatin1String(c.name))));
    }
    return parts.join(QStringLiteral(", "));
}

QString kindText(const QString& code)
{
    const Kind* k = kind(code);
    return k ? k->words() : code;
}

} // namespace

QString kindWords(const ChangeEntry& e)
{
    return kindText(e.kind) + (e.undoes ? tx::kindUndoMark() : e.redoes ? tx::kindRedoMark() : QString());
}

QString describe(const ChangeEntry& e)
{
    const QJsonObject before = row(e.before);
    const QJsonObject after = row(e.after);
    if (e.before.isEmpty())
        return tx::logAdded() + valuesOf(e.table, after);
    if (e.after.isEmpty())
        return tx::logRemoved() + valuesOf(e.table, before);
    QStringList parts;
    for (const Column& c : kColumns) {
        if (e.table != QLatin1String(c.table))
            continue;
        const QString was = text(before.value(QLatin1String(c.name)));
        const QString is = text(after.value(QLatin1String(c.name)));
        // A press of the finish line taken out or put back: said in words,
        // with the time and number it held.
        if (was != is && c.words == &tx::logFieldDeleted) {
            const QString held = valuesOf(e.table, QJsonObject{{QStringLiteral("vrijeme"), before.value(QStringLiteral("vrijeme"))},
                                                               {QStringLiteral("sbroj"), before.value(QStringLiteral("sbroj"))}});
            parts.append((is == QLatin1String("1") ? tx::logPressDeleted() : tx::logPressRestored())
                         + (held.isEmpty() ? QString() : QStringLiteral(" (") + held + QLatin1Char(')')));
            continue;
        }
        if (was != is)
            parts.append(c.words() + QStringLiteral(": ") + (was.isEmpty() ? tx::logNone() : was) + tx::logArrow()
                         + (is.isEmpty() ? tx::logNone() : is));
    }
    return parts.join(QStringLiteral("; "));
}

QString startNumber(const ChangeEntry& e)
{
    if (e.table != QLatin1String("startna") && e.table != QLatin1String("rezultati"))
        return {};
    const QString now = text(row(e.after).value(QLatin1String("sbroj")));
    return now.isEmpty() ? text(row(e.before).value(QLatin1String("sbroj"))) : now;
}

qint64 competitorKey(const ChangeEntry& e)
{
    if (e.table == QLatin1String("startna") || e.table == QLatin1String("statusi"))
        return e.key;
    if (e.table == QLatin1String("rezultati")) {
        const QJsonObject values = row(e.after.isEmpty() ? e.before : e.after);
        return qint64(values.value(QLatin1String("idtakmicara")).toDouble());
    }
    return 0;
}

QString name(const ChangeEntry& e)
{
    if (e.table != QLatin1String("startna") && e.table != QLatin1String("utrke"))
        return {};
    const QString now = text(row(e.after).value(QLatin1String("ime")));
    return now.isEmpty() ? text(row(e.before).value(QLatin1String("ime"))) : now;
}

namespace {

// The text of one value of a row as the log writes it (compact JSON of one
// object, no nesting), found without reading the whole row: a key stands
// right after "{" or ",", which inside a value would be escaped. Numbers
// come as written, null and a missing key as empty.
QString valueText(const QString& json, QStringView wanted)
{
    qsizetype at = 0;
    while ((at = json.indexOf(wanted, at)) > 0 && json.at(at - 1) != u'{' && json.at(at - 1) != u',')
        at += wanted.size();
    if (at <= 0)
        return {};
    const qsizetype start = at + wanted.size();
    qsizetype i = start;
    if (i >= json.size() || json.at(i) != u'"') {
        while (i < json.size() && json.at(i) != u',' && json.at(i) != u'}')
            ++i;
        const QString plain = json.mid(start, i - start);
        return plain == QLatin1String("null") ? QString() : plain;
    }
    // Most values hold nothing escaped: taken as they stand.
    qsizetype end = start + 1;
    while (end < json.size() && json.at(end) != u'"' && json.at(end) != u'\\')
        ++end;
    if (end < json.size() && json.at(end) == u'"')
        return json.mid(start + 1, end - start - 1);
    QString text;
    for (++i; i < json.size() && json.at(i) != u'"'; ++i) {
        if (json.at(i) != u'\\' || i + 1 >= json.size()) {
            text.append(json.at(i));
            continue;
        }
        const QChar c = json.at(++i);
        if (c == u'u' && i + 4 < json.size()) {
            text.append(QChar(json.mid(i + 1, 4).toUShort(nullptr, 16)));
            i += 4;
        } else {
            text.append(c == u'n' ? QChar(u'\n') : c == u't' ? QChar(u'\t') : c == u'r' ? QChar(u'\r')
                        : c == u'b' ? QChar(u'\b') : c == u'f' ? QChar(u'\f') : c);
        }
    }
    return text;
}

} // namespace

Subject subject(const ChangeEntry& e)
{
    Subject s;
    const bool startList = e.table == QLatin1String("startna");
    const bool finish = e.table == QLatin1String("rezultati");
    if (startList || e.table == QLatin1String("statusi"))
        s.competitor = e.key;
    if (!startList && !finish && e.table != QLatin1String("utrke"))
        return s;
    const QString& values = e.after.isEmpty() ? e.before : e.after;
    if (startList || finish)
        s.number = valueText(values, u"\"sbroj\":");
    if (finish)
        s.competitor = valueText(values, u"\"idtakmicara\":").toLongLong();
    else
        s.name = valueText(values, u"\"ime\":");
    return s;
}

QString caption(const QList<ChangeEntry>& batch)
{
    if (batch.isEmpty())
        return {};
    // A competitor removed with the finish record is told as the removal;
    // the last entry of a batch names the change.
    const ChangeEntry& e = batch.last();
    const QString kind = kindText(e.kind);
    if (batch.size() > 1 && (e.kind == QLatin1String(kMarkDns) || e.kind == QLatin1String(kImportEntry)
                             || e.kind == QLatin1String(kImportTime) || e.kind == QLatin1String(kCaptureImport)
                             || batch.first().kind == e.kind))
        return tx::changeCount(kind, int(batch.size()));
    const QJsonObject values = row(e.after.isEmpty() ? e.before : e.after);
    if (e.table == QLatin1String("rezultati"))
        return tx::changeFinish(kind, text(values.value(QLatin1String("vrijeme"))), startNumber(e));
    if (e.table == QLatin1String("startna")) {
        const QString number = startNumber(e);
        return tx::changeOfWhom(kind, number.isEmpty() ? name(e) : name(e) + QStringLiteral(" (")
                                    + tx::numberShort(number) + QLatin1Char(')'));
    }
    if (e.table == QLatin1String("utrke"))
        return tx::changeOfWhom(kind, name(e));
    if (e.table == QLatin1String("cilj_vremena")) {
        const QString number = text(values.value(QLatin1String("sbroj")));
        const QString time = text(values.value(QLatin1String("vrijeme"))).left(10);
        return tx::changeOfWhom(kind, number.isEmpty() ? time : time.isEmpty() ? tx::numberShort(number)
                                                                             : time + QStringLiteral(", ") + tx::numberShort(number));
    }
    if (e.table == QLatin1String("statusi")) {
        const QString state = text(values.value(QLatin1String("status")));
        return state.isEmpty() ? kind : tx::changeOfWhom(kind, state);
    }
    return kind;
}

QString localTime(const QString& stored)
{
    const QDateTime read = QDateTime::fromString(stored.left(19), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!read.isValid())
        return stored;
    const QDateTime t(read.date(), read.time(), Qt::UTC);
    return t.toLocalTime().toString(QStringLiteral("dd.MM.yyyy. HH:mm:ss"));
}

} // namespace changes
