#include "web/livepages.h"
#include "core/teams.h"

#include "core/teams.h"
#include "core/texts_series.h"
#include "core/texts_teams.h"

#include "app/racesession.h"
#include "core/age.h"
#include "core/htmlexport.h"
#include "core/lists.h"
#include "core/runstates.h"
#include "core/search.h"
#include "core/texts.h"
#include "core/texts_live.h"
#include "core/texts_rules.h"
#include "core/timerules.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QSet>
#include <QUrl>
#include <algorithm>

namespace live {

namespace {

using standings::Sex;
using standings::Selection;
using standings::StandingsRow;

QString esc(const QString& text)
{
    return io::htmlEscape(text);
}

QString sexParameter(Sex sex)
{
    switch (sex) {
    case Sex::Men:
        return QStringLiteral("m");
    case Sex::Women:
        return QStringLiteral("z");
    case Sex::All:
        break;
    }
    return QStringLiteral("svi");
}

QString sexCaption(Sex sex)
{
    switch (sex) {
    case Sex::Men:
        return tx::liveMen();
    case Sex::Women:
        return tx::liveWomen();
    case Sex::All:
        break;
    }
    return tx::liveAll();
}

// Seconds of a "hh:mm:ss" time; -1 for any other text.
int secondsOf(const QString& time)
{
    if (!rules::isFinishTime(time))
        return -1;
    return time.left(2).toInt() * 3600 + time.mid(3, 2).toInt() * 60 + time.right(2).toInt();
}

// Columns of the standings page: place, number, name, country, club, sex,
// category, year of birth, time, and status when any row has one. The CSS
// drops country and year first, then club and sex, then number and
// category, so that place, name and time stay on a phone.
const QList<int>& shownColumns()
{
    static const QList<int> columns{lists::StandPlace,   lists::StandNumber,   lists::StandName,
                                    lists::StandCountry, lists::StandClub,     lists::StandSex,
                                    lists::StandCategory, lists::StandBirthYear, lists::StandTime};
    return columns;
}

const char* const kCss =
    "*{box-sizing:border-box}"
    "body{font-family:system-ui,'Liberation Sans',sans-serif;margin:0 auto;padding:0 .5rem;max-width:1400px;"
    "color:#111;background:#fff;font-size:16px;line-height:1.35}"
    "header{padding:.5rem 0 .25rem}.race{font-size:1.4rem;font-weight:700;margin:0}.org{margin:0;color:#444}"
    ".banner{background:#b00020;color:#fff;font-weight:700;text-align:center;padding:.4rem;letter-spacing:.05em}"
    "nav{display:flex;flex-wrap:wrap;gap:.5rem;align-items:center;margin:.5rem 0}"
    "form{display:flex;gap:.3rem;flex:1 1 16rem;margin:0}"
    "input{flex:1;min-width:0;font-size:1rem;padding:.4rem}button{font-size:1rem;padding:.4rem .8rem}"
    "h1{font-size:1.25rem;white-space:pre-line;margin:.6rem 0}h2{font-size:1.1rem;margin:.8rem 0 .3rem}"
    "table{border-collapse:collapse;width:100%}"
    "th,td{text-align:left;padding:.25rem .4rem;border-bottom:1px solid #ddd;vertical-align:top}"
    "th{background:#eee;position:sticky;top:0}td:first-child{text-align:right;white-space:nowrap}"
    "tbody tr:nth-child(even) td{background:#f6f6f6}"
    "td.t{white-space:nowrap;font-variant-numeric:tabular-nums}.sx{overflow-x:auto}"
    "ul.lists{list-style:none;padding:0;margin:0;display:flex;flex-wrap:wrap;gap:.4rem}"
    "ul.lists a{display:inline-block;padding:.35rem .6rem;border:1px solid #999;border-radius:.3rem;"
    "text-decoration:none;color:#0645ad}"
    ".cat{display:flex;flex-wrap:wrap;gap:.3rem;align-items:center;margin:.2rem 0}.cat b{min-width:5.5rem}"
    ".legend span{display:inline-block;width:.8rem;height:.8rem;margin:0 .3rem 0 .8rem}"
    ".z{background:#c2185b}.m{background:#1565c0}svg{display:block;width:100%;height:10rem}"
    "footer{color:#666;font-size:.85rem;margin:1rem 0}"
    "@media (max-width:1000px){.st td:nth-child(4),.st th:nth-child(4),.st td:nth-child(8),.st th:nth-child(8)"
    "{display:none}}"
    "@media (max-width:640px){.st td:nth-child(5),.st th:nth-child(5),.st td:nth-child(6),.st th:nth-child(6),"
    ".st td:nth-child(10),.st th:nth-child(10),.sr td:nth-child(3),.sr th:nth-child(3),"
    ".sr td:nth-child(4),.sr th:nth-child(4){display:none}}"
    "@media (max-width:440px){.st td:nth-child(2),.st th:nth-child(2),.st td:nth-child(7),.st th:nth-child(7),"
    ".sr td:nth-child(1),.sr th:nth-child(1),.sr td:nth-child(7),.sr th:nth-child(7){display:none}"
    "body{font-size:15px;padding:0 .25rem}th,td{padding:.2rem .25rem}.st td{overflow-wrap:anywhere}"
    ".st td.t{overflow-wrap:normal}}"
    "@media print{nav,footer,form,.chart{display:none}th{position:static}tr{break-inside:avoid}"
    "body{max-width:none}.banner{border:2px solid #000;color:#000;background:none}"
    "a{color:#000;text-decoration:none}}"
    // A screen of 1080 lines shows 25 rows and more, each on one line.
    "body.kiosk{font-size:1.35rem;line-height:1.2;max-width:none;overflow:hidden}.kiosk h1{font-size:1.8rem}"
    ".kiosk td{white-space:nowrap}.kiosk header{padding:.2rem 0}"
    ".kiosk .scroll{animation:kvr-scroll var(--d) linear var(--w) forwards}"
    "@keyframes kvr-scroll{to{transform:translateY(calc(-100% + 70vh))}}";

// The page around a body: the race header, the banner until the results are
// official, the navigation with the search box, the page's own refresh.
// refreshUrl: where the refresh goes (empty: the page itself).
QString pageStart(const Snapshot& s, const QString& title, int refreshSeconds, const QString& refreshUrl = {},
                  bool kiosk = false, const QString& searched = {})
{
    QString h;
    h.reserve(4096);
    h += QLatin1String("<!DOCTYPE html>\n<html lang=\"hr\"><head><meta charset=\"utf-8\"/>"
                       "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\"/>"
                       "<meta name=\"robots\" content=\"noindex\"/>");
    h += QLatin1String("<meta http-equiv=\"refresh\" content=\"") + QString::number(refreshSeconds);
    if (!refreshUrl.isEmpty())
        h += QLatin1String(";url=") + esc(refreshUrl);
    h += QLatin1String("\"/><title>");
    QString shownTitle = title;
    shownTitle.replace(tx::crlf(), QLatin1String(" "));
    h += esc(s.hasRace ? shownTitle + QStringLiteral(" · ") + s.raceName : shownTitle);
    h += QLatin1String("</title><style>") + QLatin1String(kCss) + QLatin1String("</style></head>");
    h += kiosk ? QLatin1String("<body class=\"kiosk\">") : QLatin1String("<body>");
    h += QLatin1String("<header><p class=\"race\">") + esc(s.raceName) + QLatin1String("</p><p class=\"org\">") +
         esc(s.organiser) + (s.organiser.isEmpty() || s.dateText.isEmpty() ? QString() : QStringLiteral(" · ")) +
         esc(s.dateText) + QLatin1String("</p></header>");
    if (!s.official)
        h += QLatin1String("<div class=\"banner\">") + esc(tx::liveUnofficial()) + QLatin1String("</div>");
    if (!kiosk) {
        h += QLatin1String("<nav><a href=\"/\">") + esc(tx::liveHome()) +
             QLatin1String("</a><form action=\"/trazi\" method=\"get\" role=\"search\">"
                           "<input type=\"search\" name=\"q\" value=\"") +
             esc(searched) + QLatin1String("\" placeholder=\"") +
             esc(tx::liveSearchHint()) + QLatin1String("\" aria-label=\"") + esc(tx::liveSearchHint()) +
             QLatin1String("\"/><button type=\"submit\">") + esc(tx::liveSearch()) +
             QLatin1String("</button></form></nav>");
    }
    return h;
}

QByteArray pageEnd(QString& h, const PageOptions& options, bool kiosk = false)
{
    if (!kiosk) {
        h += QLatin1String("<footer>") + esc(tx::liveRefreshNote(options.refreshSeconds)) +
             QLatin1String("</footer><script>") + scrollScript() + QLatin1String("</script>");
    }
    h += QLatin1String("</body></html>\n");
    return h.toUtf8();
}

// withoutEmpty: a column empty in every row is left out (the kiosk's
// screen has no room for it; the other pages keep every column, since the
// phones' styles hide columns by their place).
void appendStandingsTable(QString& h, const QList<StandingsRow>& rows, bool withoutEmpty = false)
{
    const bool withStatus = std::any_of(rows.cbegin(), rows.cend(),
                                        [](const StandingsRow& r) { return r.state != RunState::None; });
    const QList<lists::ColumnDef>& defs = lists::standingsColumns();
    QList<int> columns = shownColumns();
    if (withoutEmpty) {
        columns.removeIf([&rows](int c) {
            return std::all_of(rows.cbegin(), rows.cend(),
                               [c](const StandingsRow& r) { return lists::standingsCell(r, c).trimmed().isEmpty(); });
        });
    }
    h += QLatin1String("<table class=\"st\"><thead><tr>");
    for (int c : columns)
        h += QLatin1String("<th>") + esc(defs.at(c).heading) + QLatin1String("</th>");
    if (withStatus)
        h += QLatin1String("<th>Status</th>");
    h += QLatin1String("</tr></thead><tbody>");
    h.reserve(h.size() + rows.size() * 160);
    for (const StandingsRow& row : rows) {
        h += QLatin1String("<tr>");
        for (int c : columns) {
            h += c == lists::StandTime ? QLatin1String("<td class=\"t\">") : QLatin1String("<td>");
            io::appendHtmlEscaped(h, lists::standingsCell(row, c));
            h += QLatin1String("</td>");
        }
        if (withStatus)
            h += QLatin1String("<td>") + esc(lists::standingsCell(row, lists::StandStatus)) + QLatin1String("</td>");
        h += QLatin1String("</tr>");
    }
    h += QLatin1String("</tbody></table>");
}

QString placeText(int place)
{
    return place > 0 ? QString::number(place) : QStringLiteral("–");
}

Page html(QByteArray body)
{
    return {200, QByteArrayLiteral("text/html; charset=utf-8"), std::move(body)};
}

Page notFound()
{
    return {404, QByteArrayLiteral("text/plain; charset=utf-8"), tx::liveNotFound().toUtf8()};
}

} // namespace

// ---- Snapshot -----------------------------------------------------------------

const QStringList& Snapshot::categories() const
{
    if (!m_categories) {
        // The race's categories that somebody is in, in the race's order.
        QSet<QString> seen;
        for (const StandingsRow& r : overall) {
            if (!r.kategorija.isEmpty())
                seen.insert(r.kategorija);
        }
        for (const Competitor& c : startList) {
            const QString label = standings::categoryFor(c.spol, c.datum, raceDate, rules.categories);
            if (!label.isEmpty())
                seen.insert(label);
        }
        auto labels = std::make_shared<QStringList>();
        for (const QString& label : rules.categories.labels()) {
            if (seen.remove(label))
                labels->append(label);
        }
        m_categories = std::move(labels);
    }
    return *m_categories;
}

const QHash<qint64, Places>& Snapshot::places() const
{
    if (!m_places) {
        auto places = std::make_shared<QHash<qint64, Places>>();
        places->reserve(overall.size());
        for (const StandingsRow& r : overall) {
            if (r.state == RunState::None && r.finished)
                (*places)[r.idtakmicara].overall = r.place;
        }
        for (Sex sex : {Sex::Women, Sex::Men}) {
            for (const StandingsRow& r : standings::bySex(overall, sex)) {
                if (r.state == RunState::None)
                    (*places)[r.idtakmicara].sex = r.place;
            }
            // The category standings of the runner's own sex, as the window builds them.
            for (const QString& label : categories()) {
                for (const StandingsRow& r : standings::byCategory(overall, label, sex, leftOut)) {
                    if (r.state == RunState::None)
                        (*places)[r.idtakmicara].category = r.place;
                }
            }
        }
        m_places = std::move(places);
    }
    return *m_places;
}

Snapshot snapshotOf(RaceSession& session)
{
    Snapshot s;
    s.hasRace = session.hasRace();
    if (!s.hasRace)
        return s;
    s.raceId = session.race().id;
    s.raceName = session.race().ime;
    s.organiser = session.race().org;
    s.dateText = session.raceDateText();
    s.raceDate = session.raceDate();
    s.overall = session.overall();
    // A disqualification's reason may name a judge or a runner's conduct:
    // the public pages say "DSQ" alone unless the race publishes reasons.
    if (!session.settings().publishDsqReason) {
        for (StandingsRow& row : s.overall)
            row.reason.clear();
    }
    s.startList = session.startList();
    s.listUnranked = session.settings().listUnranked;
    s.official = session.settings().official;
    s.rules = session.rules();
    s.leftOut = session.leftOutOfCategories();
    s.prizeList = teams::prizeListWithTeams(s.overall, session.awards(), s.rules);
    return s;
}

// ---- Lists ----------------------------------------------------------------------

QUrlQuery queryOf(const QUrl& url)
{
    QString raw = url.query(QUrl::FullyEncoded);
    raw.replace(QLatin1Char('+'), QLatin1String("%20"));
    return QUrlQuery(raw);
}

QString standingsUrl(const Selection& selection)
{
    QString url = QStringLiteral("/poredak?spol=") + sexParameter(selection.sex);
    if (!standings::isAllCategories(selection.category))
        url += QLatin1String("&kategorija=") + QString::fromLatin1(QUrl::toPercentEncoding(selection.category));
    return url;
}

QList<ListLink> listsOf(const Snapshot& snapshot)
{
    QList<ListLink> links;
    for (Sex sex : {Sex::All, Sex::Women, Sex::Men}) {
        const Selection sel{tx::categoryAll(), sex};
        links.append({sel, sex == Sex::All ? tx::liveOverall() : sexCaption(sex), standingsUrl(sel)});
    }
    for (const QString& label : snapshot.categories()) {
        for (Sex sex : {Sex::All, Sex::Women, Sex::Men}) {
            const Selection sel{label, sex};
            links.append({sel, sexCaption(sex), standingsUrl(sel)});
        }
    }
    return links;
}

std::optional<Selection> selectionFrom(const QUrlQuery& query, const Snapshot& snapshot)
{
    Selection selection{tx::categoryAll(), Sex::All};
    const QString sex = query.queryItemValue(QStringLiteral("spol"), QUrl::FullyDecoded).toLower();
    if (sex == QLatin1String("m"))
        selection.sex = Sex::Men;
    else if (sex == QLatin1String("z") || sex == QStringLiteral("ž"))
        selection.sex = Sex::Women;
    else if (!sex.isEmpty() && sex != QLatin1String("svi"))
        return std::nullopt;
    const QString category = query.queryItemValue(QStringLiteral("kategorija"), QUrl::FullyDecoded);
    if (!category.isEmpty() && category.compare(tx::categoryAll(), Qt::CaseInsensitive) != 0) {
        if (!snapshot.categories().contains(category))
            return std::nullopt;
        selection.category = category;
    }
    return selection;
}

standings::Standings standingsOf(const Snapshot& snapshot, const Selection& selection)
{
    // The rows come from the overall standings alone; the start list only
    // feeds the counts, which no page shows, and would cost a category
    // look-up per entry for every list.
    return standings::process(selection, snapshot.overall, {}, snapshot.raceDate, snapshot.listUnranked, snapshot.rules,
                              snapshot.leftOut.size() == snapshot.overall.size() ? &snapshot.leftOut : nullptr);
}

QList<Found> search(const Snapshot& snapshot, const QString& text)
{
    QList<Found> found;
    const search::Query query(text);
    if (query.isEmpty())
        return found;
    QHash<qint64, const Competitor*> byKey = standings::competitorsByKey(snapshot.startList);
    for (const StandingsRow& row : snapshot.overall) {
        const Competitor* c = byKey.value(row.idtakmicara);
        const bool hit = c ? search::matches(query, *c)
                           : search::matches(query, row.sbroj, search::fold(row.ime), search::fold(row.klub));
        if (hit)
            found.append({&row, c});
        byKey.remove(row.idtakmicara);
    }
    // Entries neither finished nor given a status.
    for (const Competitor& c : snapshot.startList) {
        if (byKey.contains(c.id) && search::matches(query, c))
            found.append({nullptr, &c});
    }
    return found;
}

QString finishersChart(const QList<StandingsRow>& overall)
{
    QMap<int, std::pair<int, int>> perMinute; // women, men
    for (const StandingsRow& r : overall) {
        const int seconds = r.state == RunState::None && r.finished ? secondsOf(r.vrijeme) : -1;
        if (seconds < 0)
            continue;
        if (standings::matchesSex(r.spol, Sex::Women))
            ++perMinute[seconds / 60].first;
        else if (standings::matchesSex(r.spol, Sex::Men))
            ++perMinute[seconds / 60].second;
    }
    if (perMinute.isEmpty())
        return QLatin1String("<p>") + esc(tx::liveChartEmpty()) + QLatin1String("</p>");
    const int first = perMinute.firstKey();
    const int last = perMinute.lastKey();
    int most = 1;
    for (const auto& [women, men] : perMinute)
        most = std::max(most, women + men);
    const int width = last - first + 1;
    QString svg = QStringLiteral("<svg viewBox=\"0 0 %1 %2\" preserveAspectRatio=\"none\" role=\"img\" "
                                 "aria-label=\"%3\">")
                      .arg(width)
                      .arg(most)
                      .arg(esc(tx::liveChartTitle()));
    for (auto it = perMinute.cbegin(); it != perMinute.cend(); ++it) {
        const int x = it.key() - first;
        const auto [women, men] = it.value();
        if (women > 0)
            svg += QStringLiteral("<rect x=\"%1\" y=\"%2\" width=\"0.9\" height=\"%3\" fill=\"#c2185b\"/>")
                       .arg(x)
                       .arg(most - women)
                       .arg(women);
        if (men > 0)
            svg += QStringLiteral("<rect x=\"%1\" y=\"%2\" width=\"0.9\" height=\"%3\" fill=\"#1565c0\"/>")
                       .arg(x)
                       .arg(most - women - men)
                       .arg(men);
    }
    svg += QLatin1String("</svg>");
    const auto minuteText = [](int minute) {
        return QStringLiteral("%1:%2").arg(minute / 60).arg(minute % 60, 2, 10, QLatin1Char('0'));
    };
    svg += QStringLiteral("<p class=\"legend\">%1 – %2 h, najviše %3 u minuti<span class=\"z\"></span>%4"
                          "<span class=\"m\"></span>%5</p>")
               .arg(minuteText(first), minuteText(last))
               .arg(most)
               .arg(esc(tx::liveWomen()), esc(tx::liveMen()));
    return svg;
}

// ---- Pages ------------------------------------------------------------------------

QByteArray homePage(const Snapshot& s, const PageOptions& options)
{
    QString h = pageStart(s, s.hasRace ? tx::liveLists() : tx::liveNoRace(), options.refreshSeconds);
    if (!s.hasRace) {
        h += QLatin1String("<h1>") + esc(tx::liveNoRace()) + QLatin1String("</h1>");
        return pageEnd(h, options);
    }
    const QList<ListLink> links = listsOf(s);
    h += QLatin1String("<h1>") + esc(tx::liveLists()) + QLatin1String("</h1><ul class=\"lists\">");
    for (qsizetype i = 0; i < 3 && i < links.size(); ++i) {
        h += QLatin1String("<li><a href=\"") + esc(links.at(i).url) + QLatin1String("\">") + esc(links.at(i).caption) +
             QLatin1String("</a></li>");
    }
    if (!s.rules.prizes.isEmpty())
        h += QLatin1String("<li><a href=\"/nagrade\">") + esc(tx::prizeListTitle()) + QLatin1String("</a></li>");
    if (s.rules.teams.on())
        h += QLatin1String("<li><a href=\"/ekipe\">") + esc(tx::teamsTitle()) + QLatin1String("</a></li>");
    for (const auto& [id, name] : s.series) {
        h += QLatin1String("<li><a href=\"/kup?id=") + QString::number(id) + QLatin1String("\">") +
             esc(tx::seriesStandingsTitle() + QStringLiteral(": ") + name) + QLatin1String("</a></li>");
    }
    h += QLatin1String("</ul>");
    if (links.size() > 3) {
        // A category offers "Žene" or "Muškarci" only when it has runners of that sex.
        QSet<QString> withRunners;
        for (const StandingsRow& r : s.overall)
            withRunners.insert(r.kategorija + QChar(0x1f) + r.spol);
        const auto hasRunners = [&withRunners](const Selection& sel) {
            return sel.sex == Sex::All
                || withRunners.contains(sel.category + QChar(0x1f) + (sel.sex == Sex::Women ? tx::sexFemale() : tx::sexMale()));
        };
        h += QLatin1String("<h2>") + esc(tx::liveCategories()) + QLatin1String("</h2>");
        for (qsizetype i = 3; i + 2 < links.size(); i += 3) {
            h += QLatin1String("<div class=\"cat\"><b>") + esc(links.at(i).selection.category) + QLatin1String("</b>");
            for (qsizetype k = i; k < i + 3; ++k) {
                if (!hasRunners(links.at(k).selection))
                    continue;
                h += QLatin1String("<a href=\"") + esc(links.at(k).url) + QLatin1String("\">") +
                     esc(links.at(k).caption) + QLatin1String("</a>");
            }
            h += QLatin1String("</div>");
        }
    }
    const auto finishers = std::count_if(s.overall.cbegin(), s.overall.cend(), [](const StandingsRow& r) {
        return r.state == RunState::None && r.finished;
    });
    h += QLatin1String("<section class=\"chart\"><h2>") + esc(tx::liveChartTitle()) + QLatin1String("</h2><p>") +
         esc(tx::liveFinished(int(finishers))) + QLatin1String("</p>") + finishersChart(s.overall) +
         QLatin1String("</section>");
    return pageEnd(h, options);
}

QByteArray standingsPage(const Snapshot& s, const PageOptions& options, const Selection& selection)
{
    const standings::Standings built = standingsOf(s, selection);
    const QString title = standings::title(selection);
    QString h = pageStart(s, title, options.refreshSeconds);
    h += QLatin1String("<h1>") + esc(title) + QLatin1String("</h1>");
    if (built.rows.isEmpty())
        h += QLatin1String("<p>") + esc(tx::liveNoRows()) + QLatin1String("</p>");
    else
        appendStandingsTable(h, built.rows);
    return pageEnd(h, options);
}

QByteArray kioskPage(const Snapshot& s, const PageOptions& options, int listNumber)
{
    // The lists with rows, in the order of the home page; categories by sex.
    QList<std::pair<ListLink, standings::Standings>> shown;
    const QList<ListLink> links = listsOf(s);
    for (qsizetype i = 0; i < links.size(); ++i) {
        if (i >= 3 && links.at(i).selection.sex == Sex::All)
            continue;
        standings::Standings built = standingsOf(s, links.at(i).selection);
        if (!built.rows.isEmpty())
            shown.append({links.at(i), std::move(built)});
    }
    if (shown.isEmpty()) {
        QString h = pageStart(s, tx::liveLists(), options.refreshSeconds, QStringLiteral("/?kiosk=1"), true);
        h += QLatin1String("<h1>") + esc(s.hasRace ? tx::liveChartEmpty() : tx::liveNoRace()) + QLatin1String("</h1>");
        return pageEnd(h, options, true);
    }
    const int index = (std::max(1, listNumber) - 1) % int(shown.size());
    const auto& [link, built] = shown.at(index);
    // A long list scrolls at a row a second after a pause; the next list
    // follows once it has been read.
    const int rows = int(built.rows.size());
    const int wait = 5;
    const int scroll = rows > 12 ? rows : 0;
    const int stay = std::max(options.refreshSeconds, wait + scroll + 5);
    const QString title = standings::title(link.selection);
    QString h = pageStart(s, title, stay, QStringLiteral("/?kiosk=%1").arg(index + 2 > shown.size() ? 1 : index + 2),
                          true);
    h += QLatin1String("<h1>") + esc(title) + QLatin1String("</h1>");
    h += scroll > 0 ? QStringLiteral("<div class=\"scroll\" style=\"--d:%1s;--w:%2s\">").arg(scroll).arg(wait)
                    : QStringLiteral("<div>");
    appendStandingsTable(h, built.rows, true);
    h += QLatin1String("</div>");
    return pageEnd(h, options, true);
}

QByteArray prizePage(const Snapshot& s, const PageOptions& options)
{
    QString h = pageStart(s, tx::prizeListTitle(), options.refreshSeconds);
    h += QLatin1String("<h1>") + esc(tx::prizeListTitle()) + QLatin1String("</h1>");
    for (const prizes::PrizeGroup& group : s.prizeList) {
        h += QLatin1String("<h2>") + esc(group.name) + QLatin1String("</h2>");
        if (group.winners.isEmpty())
            h += QLatin1String("<p>") + esc(tx::prizeListNone()) + QLatin1String("</p>");
        else
            appendStandingsTable(h, group.winners);
    }
    return pageEnd(h, options);
}

QByteArray seriesPage(const Snapshot& s, const PageOptions& options, const QString& name, const QStringList& raceNames,
                      const QList<series::Row>& rows, const QList<QStringList>& prizeRows)
{
    const QString title = tx::seriesStandingsTitle() + QStringLiteral(": ") + name;
    QString h = pageStart(s, title, options.refreshSeconds);
    h += QLatin1String("<h1>") + esc(title) + QLatin1String("</h1>");
    // Every column kept on a narrow screen (the standings' column hiding does
    // not fit these tables): the table scrolls sideways instead.
    h += QLatin1String("<div class=\"sx\"><table><thead><tr>");
    for (const QString& heading : series::columns(raceNames))
        h += QLatin1String("<th>") + esc(heading) + QLatin1String("</th>");
    h += QLatin1String("</tr></thead><tbody>");
    h.reserve(h.size() + rows.size() * 120);
    for (const series::Row& row : rows) {
        h += QLatin1String("<tr>");
        for (const QString& cell : series::rowCells(row)) {
            h += QLatin1String("<td>");
            io::appendHtmlEscaped(h, cell);
            h += QLatin1String("</td>");
        }
        h += QLatin1String("</tr>");
    }
    h += QLatin1String("</tbody></table></div>");
    h += QLatin1String("<h2>") + esc(tx::seriesPrizeTitle()) + QLatin1String("</h2><table><tbody>");
    for (const QStringList& row : prizeRows) {
        const bool heading = row.value(0).isEmpty() && row.value(2) != tx::prizeListNone();
        h += heading ? QLatin1String("<tr><th colspan=\"4\">") + esc(row.value(2)) + QLatin1String("</th></tr>")
                     : QLatin1String("<tr><td>") + esc(row.value(0)) + QLatin1String("</td><td>") + esc(row.value(2)) +
                           QLatin1String("</td><td>") + esc(row.value(3)) + QLatin1String("</td><td>") +
                           esc(row.value(5)) + QLatin1String("</td></tr>");
    }
    h += QLatin1String("</tbody></table>");
    return pageEnd(h, options);
}

QByteArray teamsPage(const Snapshot& s, const PageOptions& options)
{
    const TeamRules& rules = s.rules.teams;
    QString h = pageStart(s, tx::teamsTitle(), options.refreshSeconds);
    h += QLatin1String("<h1>") + esc(tx::teamsTitle()) + QLatin1String("</h1>");
    const QList<teams::Team> ranked = teams::standings(s.overall, rules);
    if (ranked.isEmpty())
        h += QLatin1String("<p>") + esc(tx::teamsNone()) + QLatin1String("</p>");
    QString sex = QStringLiteral("\x1f");
    for (const teams::Team& t : ranked) {
        if (t.sex != sex) {
            if (sex != QLatin1String("\x1f"))
                h += QLatin1String("</tbody></table></div>");
            sex = t.sex;
            if (!rules.together)
                h += QLatin1String("<h2>") + esc(sex == QLatin1String("M") ? tx::optionMen() : tx::optionWomen()) + QLatin1String("</h2>");
            h += QLatin1String("<div class=\"sx\"><table><thead><tr>");
            for (const QString& heading : teams::columns(rules))
                h += QLatin1String("<th>") + esc(heading) + QLatin1String("</th>");
            h += QLatin1String("</tr></thead><tbody>");
        }
        h += QLatin1String("<tr>");
        for (const QString& cell : teams::rowCells(t, rules))
            h += QLatin1String("<td>") + esc(cell) + QLatin1String("</td>");
        h += QLatin1String("</tr>");
    }
    if (!ranked.isEmpty())
        h += QLatin1String("</tbody></table></div>");
    h += QLatin1String("<p>") + esc(teams::ruleText(rules)) + QLatin1String("</p>");
    return pageEnd(h, options);
}

QByteArray searchPage(const Snapshot& s, const PageOptions& options, const QString& text)
{
    QString h = pageStart(s, tx::liveSearchTitle(), options.refreshSeconds, {}, false, text.trimmed());
    h += QLatin1String("<h1>") + esc(tx::liveSearchTitle()) + QLatin1String(": ") + esc(text.trimmed()) +
         QLatin1String("</h1>");
    const QList<Found> found = search(s, text);
    if (found.isEmpty()) {
        h += QLatin1String("<p>") + esc(tx::liveNobodyFound()) + QLatin1String("</p>");
        return pageEnd(h, options);
    }
    const qsizetype shown = std::min<qsizetype>(found.size(), kMostFound);
    if (shown < found.size())
        h += QLatin1String("<p>") + esc(tx::liveFoundFirst(int(shown), int(found.size()))) + QLatin1String("</p>");
    const QList<lists::ColumnDef>& defs = lists::standingsColumns();
    h += QLatin1String("<table class=\"sr\"><thead><tr>");
    for (const QString& heading :
         {defs.at(lists::StandNumber).heading, defs.at(lists::StandName).heading, defs.at(lists::StandClub).heading,
          defs.at(lists::StandSex).heading + QLatin1Char('/') + defs.at(lists::StandCategory).heading,
          defs.at(lists::StandTime).heading, tx::liveColPlaceOverall(), tx::liveColPlaceSex(),
          tx::liveColPlaceCategory()})
        h += QLatin1String("<th>") + esc(heading) + QLatin1String("</th>");
    h += QLatin1String("</tr></thead><tbody>");
    const QHash<qint64, Places>& places = s.places();
    for (qsizetype i = 0; i < shown; ++i) {
        const Found& f = found.at(i);
        const QString number = f.row ? f.row->sbroj : f.competitor->sbroj;
        const QString name = f.competitor ? f.competitor->ime : f.row->ime;
        const QString club = f.competitor ? f.competitor->klub : f.row->klub;
        const QString sex = f.competitor ? f.competitor->spol : f.row->spol;
        const QString category =
            f.row ? f.row->kategorija
                  : standings::categoryFor(f.competitor->spol, f.competitor->datum, s.raceDate, s.rules.categories);
        QString time = tx::liveNotFinished();
        Places p;
        if (f.row && f.row->state != RunState::None)
            time = lists::stateText({f.row->state, f.row->reason});
        else if (f.row) {
            time = f.row->vrijeme;
            p = places.value(f.row->idtakmicara);
        }
        h += QLatin1String("<tr><td>") + esc(number) + QLatin1String("</td><td>") + esc(name) +
             QLatin1String("</td><td>") + esc(club) + QLatin1String("</td><td>") +
             esc(category.isEmpty() ? sex : sex + QLatin1Char(' ') + category) +
             QLatin1String("</td><td class=\"t\">") + esc(time) + QLatin1String("</td><td>") +
             placeText(p.overall) + QLatin1String("</td><td>") + placeText(p.sex) + QLatin1String("</td><td>") +
             placeText(p.category) + QLatin1String("</td></tr>");
    }
    h += QLatin1String("</tbody></table>");
    return pageEnd(h, options);
}

QByteArray standingsJson(const Snapshot& s, const Selection& selection)
{
    const standings::Standings built = standingsOf(s, selection);
    QJsonArray rows;
    for (const StandingsRow& r : built.rows) {
        rows.append(QJsonObject{{QStringLiteral("mjesto"), r.state == RunState::None ? QJsonValue(r.place) : QJsonValue()},
                                {QStringLiteral("startniBroj"), r.sbroj},
                                {QStringLiteral("ime"), r.ime},
                                {QStringLiteral("klub"), r.klub},
                                {QStringLiteral("spol"), r.spol},
                                {QStringLiteral("kategorija"), r.kategorija},
                                {QStringLiteral("vrijeme"), r.vrijeme},
                                {QStringLiteral("status"), runstates::code(r.state)}});
    }
    const QJsonObject root{{QStringLiteral("utrka"), s.raceName},
                           {QStringLiteral("organizator"), s.organiser},
                           {QStringLiteral("datum"), s.dateText},
                           {QStringLiteral("sluzbeni"), s.official},
                           {QStringLiteral("lista"), standings::title(selection).replace(tx::crlf(), QLatin1String(" "))},
                           {QStringLiteral("poredak"), rows}};
    return QJsonDocument(root).toJson(QJsonDocument::Compact);
}

// ---- Routes -----------------------------------------------------------------------

const QList<Route>& routes()
{
    static const QList<Route> all{
        {QStringLiteral("/"),
         [](const Snapshot& s, const QUrlQuery& q, const PageOptions& o) {
             const QString kiosk = q.queryItemValue(QStringLiteral("kiosk"));
             if (kiosk.isEmpty())
                 return html(homePage(s, o));
             bool ok = false;
             const int number = kiosk.toInt(&ok);
             return ok && number > 0 ? html(kioskPage(s, o, number)) : notFound();
         }},
        {QStringLiteral("/poredak"),
         [](const Snapshot& s, const QUrlQuery& q, const PageOptions& o) {
             const auto selection = selectionFrom(q, s);
             return selection ? html(standingsPage(s, o, *selection)) : notFound();
         }},
        {QStringLiteral("/nagrade"),
         [](const Snapshot& s, const QUrlQuery&, const PageOptions& o) {
             return s.hasRace ? html(prizePage(s, o)) : notFound();
         }},
        {QStringLiteral("/ekipe"),
         [](const Snapshot& s, const QUrlQuery&, const PageOptions& o) {
             return s.hasRace && s.rules.teams.on() ? html(teamsPage(s, o)) : notFound();
         }},
        {QStringLiteral("/trazi"),
         [](const Snapshot& s, const QUrlQuery& q, const PageOptions& o) {
             return html(searchPage(s, o, q.queryItemValue(QStringLiteral("q"), QUrl::FullyDecoded)));
         }},
        {QStringLiteral("/api/poredak.json"),
         [](const Snapshot& s, const QUrlQuery& q, const PageOptions&) {
             const auto selection = selectionFrom(q, s);
             return selection ? Page{200, QByteArrayLiteral("application/json; charset=utf-8"),
                                     standingsJson(s, *selection)}
                              : notFound();
         }},
    };
    return all;
}

std::optional<Page> build(const QString& path, const QUrlQuery& query, const Snapshot& snapshot,
                          const PageOptions& options)
{
    for (const Route& route : routes()) {
        if (route.path == path)
            return route.build(snapshot, query, options);
    }
    return std::nullopt;
}

QString scrollScript()
{
    return QStringLiteral(
        "(function(){var k='kvr-y:'+location.pathname+location.search;var y=sessionStorage.getItem(k);"
        "if(y!==null)scrollTo(0,+y);addEventListener('pagehide',function(){sessionStorage.setItem(k,String(scrollY));});"
        "})();");
}

QByteArray scrollScriptHash()
{
    static const QByteArray hash =
        QCryptographicHash::hash(scrollScript().toUtf8(), QCryptographicHash::Sha256).toBase64();
    return hash;
}

} // namespace live
