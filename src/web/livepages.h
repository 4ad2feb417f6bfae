#pragma once

// The pages of the live results: built from a snapshot of the session's
// lists, never from the database. Every page is plain HTML in UTF-8 with its
// CSS inside, every value escaped; nothing a page holds can change anything.

#include "core/categoryscheme.h"
#include "core/prizes.h"
#include "core/records.h"
#include "core/series.h"
#include "core/standings.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrlQuery>
#include <functional>
#include <memory>
#include <optional>

class QUrl;
class RaceSession;

namespace live {

// A runner's places for the search page; 0: none (not ranked, or among the
// first five overall for the category).
struct Places {
    int overall = 0;
    int sex = 0;
    int category = 0;
};

// The session's lists as they stood after a change: what every page of that
// moment is built from. Copies share the lists' data.
struct Snapshot {
    bool hasRace = false;
    qint64 raceId = 0;
    // The series the race belongs to (key, name), linked from the home page.
    QList<std::pair<qint64, QString>> series;
    QString raceName;
    QString organiser;
    QString dateText;
    QDate raceDate;
    QList<standings::StandingsRow> overall; // with the entries' statuses
    QList<Competitor> startList;
    bool listUnranked = true;
    bool official = false;
    // The race's categories and prizes, who leaves the category standings
    // for an overall prize (one flag per row of overall) and the prize list.
    RaceRules rules = RaceRules::standard();
    QList<bool> leftOut;
    QList<prizes::PrizeGroup> prizeList;

    // Worked out at the first page that needs them, once per snapshot.
    const QStringList& categories() const;
    const QHash<qint64, Places>& places() const;

private:
    mutable std::shared_ptr<QStringList> m_categories;
    mutable std::shared_ptr<QHash<qint64, Places>> m_places;
};

// The lists of the session now; reads nothing from the database.
Snapshot snapshotOf(RaceSession& session);

// The page settings of the server.
struct PageOptions {
    int refreshSeconds = 20;
};

struct Page {
    int status = 200;
    QByteArray contentType;
    QByteArray body;
};

// The query of a URL with "+" read as a blank, as a browser's form sends it.
QUrlQuery queryOf(const QUrl& url);

// One list of the race and its address.
struct ListLink {
    standings::Selection selection;
    QString caption;
    QString url;
};
// Overall, women, men, then each category for all, women and men.
QList<ListLink> listsOf(const Snapshot& snapshot);
// The address of a list's page.
QString standingsUrl(const standings::Selection& selection);

// The list named by spol (svi, m, z) and kategorija (a label of the race;
// none: all); nothing when either names no list.
std::optional<standings::Selection> selectionFrom(const QUrlQuery& query, const Snapshot& snapshot);

// The standings of a list exactly as the window builds them.
standings::Standings standingsOf(const Snapshot& snapshot, const standings::Selection& selection);

// The runners found for the search text: start number equal, name or club
// containing it (case and marks of letters ignored); ranked finishers first.
struct Found {
    const standings::StandingsRow* row = nullptr; // null: on the start list, not in the standings
    const Competitor* competitor = nullptr;       // null: a finish record of no entry
};
QList<Found> search(const Snapshot& snapshot, const QString& text);

// The chart of finishers per minute of elapsed time, women and men stacked,
// as inline SVG; a note when nobody has finished.
QString finishersChart(const QList<standings::StandingsRow>& overall);

QByteArray homePage(const Snapshot& snapshot, const PageOptions& options);
QByteArray kioskPage(const Snapshot& snapshot, const PageOptions& options, int listNumber);
QByteArray standingsPage(const Snapshot& snapshot, const PageOptions& options, const standings::Selection& selection);
QByteArray prizePage(const Snapshot& snapshot, const PageOptions& options);
// The team standings of the race (men's and women's, or all together) and the rule used.
QByteArray teamsPage(const Snapshot& snapshot, const PageOptions& options);
// A series' standings (one column per race) and its prize list.
QByteArray seriesPage(const Snapshot& snapshot, const PageOptions& options, const QString& name,
                      const QStringList& raceNames, const QList<series::Row>& rows,
                      const QList<QStringList>& prizeRows);
QByteArray searchPage(const Snapshot& snapshot, const PageOptions& options, const QString& text);
QByteArray standingsJson(const Snapshot& snapshot, const standings::Selection& selection);

// The pages the server answers, by path. A new page is one more row of
// routes() in livepages.cpp: its path and the function building it.
struct Route {
    QString path;
    std::function<Page(const Snapshot&, const QUrlQuery&, const PageOptions&)> build;
};
const QList<Route>& routes();

// The page for a path and query; nothing for a path of no page.
std::optional<Page> build(const QString& path, const QUrlQuery& query, const Snapshot& snapshot,
                          const PageOptions& options);

// The one inline script of the pages (keeps the scroll position across the
// page's own refresh) and its hash for the Content-Security-Policy.
QString scrollScript();
QByteArray scrollScriptHash();

// The most results the search page lists.
constexpr int kMostFound = 200;

} // namespace live
