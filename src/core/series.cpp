#include "core/series.h"

#include "core/listsort.h"
#include "core/search.h"
#include "core/texts_rules.h"
#include "core/texts_series.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <unordered_map>

namespace series {

namespace {

// A quick hash of a text (FNV-1a over its UTF-16 units): a season's scoring
// looks up a name and a club for every entry of every race, and the texts
// are the organiser's own, so nothing needs guarding against crafted keys.
struct TextHash {
    size_t operator()(const QString& text) const noexcept
    {
        quint64 h = 14695981039346656037ull;
        for (const QChar c : text) {
            h ^= c.unicode();
            h *= 1099511628211ull;
        }
        return size_t(h);
    }
};
using TextIds = std::unordered_map<QString, int, TextHash>;

// A name or club as the matching compares it: letter case, the letters'
// marks and repeated blanks do not count.
QString folded(const QString& text)
{
    return search::fold(text.simplified());
}

QString surname(const QString& name)
{
    const QString n = name.simplified();
    const qsizetype blank = n.lastIndexOf(QLatin1Char(' '));
    return blank < 0 ? n : n.mid(blank + 1);
}

int placeIn(const Entry& e, PlaceScope scope)
{
    switch (scope) {
    case PlaceScope::Overall:
        return e.placeOverall;
    case PlaceScope::Category:
        return e.placeCategory;
    case PlaceScope::Sex:
        break;
    }
    return e.placeSex;
}

QString entryText(const QString& name, const QString& club, bool withClub)
{
    if (!withClub)
        return name.simplified();
    const QString c = club.simplified();
    return name.simplified() + QStringLiteral(", ") + (c.isEmpty() ? tx::seriesNotRun() : c);
}

// Places 1, 2, 3 ... down the rows in order; equal races counted and
// totals share a place and skip the next; a row that can no longer
// complete the series has none.
void assignPlaces(QList<Row>& rows, const QList<int>& rank, const QList<bool>& reachable)
{
    int placed = 0;
    int last = -1;
    for (int i = 0; i < rows.size(); ++i) {
        Row& r = rows[i];
        r.shared = false;
        if (!reachable.at(i)) {
            r.place = 0;
            continue;
        }
        ++placed;
        if (last >= 0 && rank.at(last) == rank.at(i) && rows.at(last).total == r.total) {
            r.place = rows.at(last).place;
            r.shared = true;
            rows[last].shared = true;
        } else {
            r.place = placed;
        }
        last = i;
    }
}

} // namespace

RaceEntries raceEntries(qint64 raceId, const QString& name, const QList<standings::StandingsRow>& overall,
                        const CategoryScheme& categories)
{
    RaceEntries race{raceId, name, false, {}};
    race.entries.reserve(overall.size());
    QHash<QString, int> bySex;
    // Per category label, the places given so far to each sex, and the
    // label's row among the race's categories.
    struct Label {
        QHash<QString, int> bySex;
        std::optional<std::pair<int, int>> ages;
    };
    QHash<QString, Label> labels;
    for (const standings::StandingsRow& row : overall) {
        const bool ranked = row.state == RunState::None && row.finished && row.place > 0;
        race.held = race.held || ranked;
        // A finish record without a start-list entry takes its place but is nobody.
        if (row.ime.trimmed().isEmpty())
            continue;
        Entry e;
        e.competitor = row.idtakmicara;
        e.name = row.ime.simplified();
        e.club = row.klub.simplified();
        e.sex = row.spol;
        e.category = row.kategorija;
        auto label = labels.find(row.kategorija);
        if (label == labels.end()) {
            label = labels.insert(row.kategorija, {});
            if (const int c = categories.rowByLabel(row.kategorija); c >= 0)
                label->ages = std::pair{categories.rows().at(c).from, categories.rows().at(c).to};
        }
        e.categoryAges = label->ages;
        if (ranked) {
            e.placeOverall = row.place;
            e.placeSex = ++bySex[row.spol];
            if (!row.kategorija.isEmpty())
                e.placeCategory = ++label->bySex[row.spol];
        }
        race.entries.append(std::move(e));
    }
    return race;
}

int points(const Rules& rules, int place)
{
    if (place <= 0)
        return 0;
    if (rules.points == PointsKind::List)
        return place <= rules.pointsList.size() ? rules.pointsList.at(place - 1) : 0;
    return std::max(0, rules.firstPoints - (place - 1));
}

bool isNoClub(const QString& club, const Rules& rules)
{
    const QString c = folded(club);
    if (c.isEmpty() || c == QLatin1String("?"))
        return true;
    return std::any_of(rules.noClub.cbegin(), rules.noClub.cend(),
                       [&](const QString& text) { return folded(text) == c; });
}

Standings score(const QList<RaceEntries>& races, const Rules& rules, const QList<Choice>& choices)
{
    // Names and clubs are folded once per distinct text and compared as
    // numbers: a runner is the pair of a folded name and a folded club (0:
    // none known). A season holds each name once per race.
    struct Item {
        int race;
        int entry;
        quint64 key;
        bool joined = false;
        bool split = false;
    };
    QList<Item> items;
    qsizetype entries = 0;
    for (const RaceEntries& r : races)
        entries += r.entries.size();
    items.reserve(entries);
    TextIds foldedIds; // a folded text to its number, from 1
    auto idOf = [&](const QString& foldedText) {
        return foldedIds.try_emplace(foldedText, int(foldedIds.size()) + 1).first->second;
    };
    TextIds nameIds;
    TextIds clubIds;
    nameIds.reserve(size_t(entries));
    auto nameId = [&](const QString& name) {
        auto it = nameIds.find(name);
        if (it == nameIds.end())
            it = nameIds.emplace(name, idOf(folded(name))).first;
        return it->second;
    };
    auto clubId = [&](const QString& club) {
        auto it = clubIds.find(club);
        if (it == clubIds.end())
            it = clubIds.emplace(club, isNoClub(club, rules) ? 0 : idOf(folded(club))).first;
        return it->second;
    };
    // The club each name has where its club is known; -1 for a name seen
    // with two clubs.
    QHash<int, int> knownClubs;
    for (int r = 0; r < races.size(); ++r) {
        for (int e = 0; e < races.at(r).entries.size(); ++e) {
            const Entry& entry = races.at(r).entries.at(e);
            const int name = nameId(entry.name);
            const int club = clubId(entry.club);
            if (club != 0) {
                auto known = knownClubs.find(name);
                if (known == knownClubs.end())
                    knownClubs.insert(name, club);
                else if (*known != club)
                    *known = -1;
            }
            items.append({r, e, quint64(name) << 32 | quint32(club)});
        }
    }
    // A club not known takes the club the name has elsewhere, when it has one only.
    for (Item& item : items) {
        if ((item.key & 0xffffffffu) != 0)
            continue;
        const auto known = knownClubs.constFind(int(item.key >> 32));
        if (known != knownClubs.cend() && *known > 0)
            item.key |= quint32(*known);
    }
    // The organiser's choices, splits first, then the joins in the order made.
    QHash<QPair<qint64, qint64>, int> itemOf;
    for (int i = 0; i < (choices.isEmpty() ? 0 : items.size()); ++i) {
        const Entry& e = races.at(items.at(i).race).entries.at(items.at(i).entry);
        itemOf.insert({races.at(items.at(i).race).raceId, e.competitor}, i);
    }
    // A split entry's key is its own: no name has the number 0.
    for (const Choice& c : choices) {
        const auto it = itemOf.constFind({c.entry.race, c.entry.competitor});
        if (c.kind != Choice::Kind::Split || it == itemOf.cend())
            continue;
        items[*it].key = quint64(*it) + 1;
        items[*it].split = true;
    }
    for (const Choice& c : choices) {
        const auto it = itemOf.constFind({c.entry.race, c.entry.competitor});
        const auto other = itemOf.constFind({c.other.race, c.other.competitor});
        if (c.kind != Choice::Kind::Join || it == itemOf.cend() || other == itemOf.cend() || *it == *other)
            continue;
        items[*it].key = items.at(*other).key;
        items[*it].joined = true;
        items[*it].split = false;
    }

    // Each runner's entries by race; a second entry of the same key in one
    // race is another runner.
    struct Person {
        QList<int> items; // per race, -1 when not there
        int first = -1;   // the first entry in race order
    };
    QList<Person> people;
    QHash<QPair<quint64, int>, int> personOf; // key and copy
    Standings out;
    for (int i = 0; i < items.size(); ++i) {
        const quint64 key = items.at(i).key;
        const int race = items.at(i).race;
        for (int copy = 1;; ++copy) {
            const auto found = personOf.constFind({key, copy});
            if (found == personOf.cend()) {
                Person p;
                p.items = QList<int>(races.size(), -1);
                p.items[race] = i;
                p.first = i;
                personOf.insert({key, copy}, int(people.size()));
                people.append(std::move(p));
                break;
            }
            Person& p = people[*found];
            if (p.items.at(race) < 0) {
                p.items[race] = i;
                break;
            }
            if (copy == 1) {
                const Entry& e = races.at(race).entries.at(items.at(i).entry);
                out.notes.append(tx::seriesTwiceInRace(e.name, race + 1));
            }
        }
    }

    for (const RaceEntries& r : races)
        out.held += r.held ? 1 : 0;
    const int planned = std::max<int>(rules.planned, int(races.size()));
    const int remaining = planned - out.held;
    const int minimum = std::max(1, rules.minimum);
    auto entryOf = [&](int item) -> const Entry& {
        return races.at(items.at(item).race).entries.at(items.at(item).entry);
    };

    // The name as most of the runner's entries spell it; of spellings as
    // frequent, the one with more marked letters (a mark is typed on purpose),
    // then the earliest. An entry the organiser joined to the runner takes
    // the runner's name rather than giving it.
    auto shownName = [&](const QList<int>& entries) {
        const bool anyOwn = std::any_of(entries.cbegin(), entries.cend(), [&](int i) { return i >= 0 && !items.at(i).joined; });
        // Nearly always every entry spells it the same.
        const QString* first = nullptr;
        bool same = true;
        for (int i : entries) {
            if (i < 0)
                continue;
            if (!first)
                first = &entryOf(i).name;
            else if (entryOf(i).name != *first)
                same = false;
        }
        if (same)
            return first ? *first : QString();
        QString best;
        int bestCount = 0;
        int bestMarks = -1;
        for (int i : entries) {
            if (i < 0 || (anyOwn && items.at(i).joined))
                continue;
            const QString& name = entryOf(i).name;
            int count = 0;
            for (int k : entries)
                count += k >= 0 && !(anyOwn && items.at(k).joined) && entryOf(k).name == name ? 1 : 0;
            const int marks = int(std::count_if(name.cbegin(), name.cend(), [](QChar c) { return c.unicode() >= 0x80; }));
            if (count > bestCount || (count == bestCount && marks > bestMarks)) {
                best = name;
                bestCount = count;
                bestMarks = marks;
            }
        }
        return best;
    };

    QList<Row> rows;
    rows.reserve(people.size());
    QList<int> rank;
    QList<bool> reachable;
    for (const Person& p : people) {
        Row row;
        row.points = QList<std::optional<int>>(races.size());
        row.counted = QList<bool>(races.size(), false);
        int firstRun = -1;
        QList<int> scored;
        for (int r = 0; r < races.size(); ++r) {
            const int i = p.items.at(r);
            if (i < 0)
                continue;
            const Entry& entry = entryOf(i);
            row.entries.append({races.at(r).raceId, entry.competitor});
            if (entry.placeOverall <= 0)
                continue; // a status or no finish: nothing
            // A ranked finisher with no place to score (no category when
            // places go by category) still ran the race, for 0 points.
            const int place = placeIn(entry, rules.place);
            row.points[r] = place > 0 ? points(rules, place) : 0;
            scored.append(r);
            if (firstRun < 0)
                firstRun = i;
        }
        row.run = int(scored.size());
        // The best races count; of equal points the earlier race.
        std::stable_sort(scored.begin(), scored.end(),
                         [&](int a, int b) { return *row.points.at(a) > *row.points.at(b); });
        const int counting = rules.best > 0 ? std::min<int>(rules.best, int(scored.size())) : int(scored.size());
        for (int k = 0; k < counting; ++k) {
            row.counted[scored.at(k)] = true;
            row.total += *row.points.at(scored.at(k));
        }
        row.completed = row.run >= minimum;
        const Entry& shown = entryOf(firstRun >= 0 ? firstRun : p.first);
        row.name = shownName(p.items);
        row.sex = shown.sex;
        row.category = shown.category;
        row.categoryAges = shown.categoryAges;
        // The club as the runner's first entry with a club gives it.
        row.club = entryOf(p.first).club;
        for (int i : p.items) {
            if (i >= 0 && clubId(entryOf(i).club) != 0) {
                row.club = entryOf(i).club;
                break;
            }
        }
        // What differs between the races, for the check report and the list of matches.
        const Entry& firstEntry = entryOf(p.first);
        bool sexDiffers = false;
        bool categoryDiffers = false;
        const QString* category = nullptr;
        const int entries = int(races.size() - p.items.count(-1));
        for (int r = 0; r < races.size(); ++r) {
            const int i = p.items.at(r);
            if (i < 0)
                continue;
            const Entry& e = entryOf(i);
            sexDiffers = sexDiffers || e.sex != firstEntry.sex;
            if (!e.category.isEmpty()) {
                categoryDiffers = categoryDiffers || (category && *category != e.category);
                category = category ? category : &e.category;
            }
            const bool clubDiffers = e.club != row.club;
            const Item& item = items.at(i);
            const bool differs = e.name != row.name || clubDiffers;
            if (item.split || item.joined || (differs && entries > 1)) {
                Match m;
                m.kind = item.split ? Match::Kind::Split : item.joined ? Match::Kind::Joined : Match::Kind::Rule;
                m.entry = {races.at(r).raceId, e.competitor};
                m.raceIndex = r;
                m.entryText = entryText(e.name, e.club, clubDiffers);
                m.runnerText = entryText(row.name, row.club, clubDiffers);
                out.matches.append(std::move(m));
            }
        }
        if (sexDiffers || categoryDiffers) {
            QStringList sexTexts;
            QStringList categoryTexts;
            for (int r = 0; r < races.size(); ++r) {
                if (const int i = p.items.at(r); i >= 0) {
                    const QString where = tx::seriesRaceShort(r + 1) + QStringLiteral(": ");
                    sexTexts.append(where + entryOf(i).sex);
                    categoryTexts.append(where + (entryOf(i).category.isEmpty() ? tx::seriesNotRun() : entryOf(i).category));
                }
            }
            if (sexDiffers)
                out.notes.append(tx::seriesSexDiffers(row.name, sexTexts.join(QStringLiteral(", "))));
            if (categoryDiffers)
                out.notes.append(tx::seriesCategoryDiffers(row.name, categoryTexts.join(QStringLiteral(", "))));
        }
        rows.append(std::move(row));
    }

    // Races counted up to the minimum, most first; then the total; then
    // surname and name, in Croatian order, worked out only where those tie.
    QList<int> order(rows.size());
    for (int i = 0; i < order.size(); ++i)
        order[i] = i;
    auto rankOf = [&](int i) { return std::min(rows.at(i).run, minimum); };
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        if (rankOf(a) != rankOf(b))
            return rankOf(a) > rankOf(b);
        return rows.at(a).total > rows.at(b).total;
    });
    for (int start = 0; start < order.size();) {
        int end = start + 1;
        while (end < order.size() && rankOf(order.at(end)) == rankOf(order.at(start))
               && rows.at(order.at(end)).total == rows.at(order.at(start)).total)
            ++end;
        if (end - start > 1) {
            QHash<int, std::pair<listsort::SortKey, listsort::SortKey>> keys;
            for (int k = start; k < end; ++k) {
                const QString& name = rows.at(order.at(k)).name;
                keys.insert(order.at(k), {listsort::SortKey(listsort::Kind::Text, surname(name)),
                                          listsort::SortKey(listsort::Kind::Text, name)});
            }
            std::stable_sort(order.begin() + start, order.begin() + end, [&](int a, int b) {
                const auto& ka = keys.find(a).value();
                const auto& kb = keys.find(b).value();
                const int bySurname = ka.first.compare(kb.first);
                return bySurname != 0 ? bySurname < 0 : ka.second.compare(kb.second) < 0;
            });
        }
        start = end;
    }
    out.rows.reserve(rows.size());
    for (int i : order) {
        rank.append(rankOf(i));
        reachable.append(rows.at(i).run + remaining >= minimum);
        out.rows.append(std::move(rows[i]));
    }
    assignPlaces(out.rows, rank, reachable);
    // Entries are given a row; the matches keep their race order.
    std::stable_sort(out.matches.begin(), out.matches.end(),
                     [](const Match& a, const Match& b) { return a.raceIndex < b.raceIndex; });
    return out;
}

QString placeText(const Row& row)
{
    if (row.place <= 0)
        return tx::seriesNotRun();
    return QString::number(row.place) + (row.shared ? QStringLiteral("=") : QString());
}

QList<Row> ofSex(const Standings& standings, standings::Sex sex, int minimum)
{
    QList<Row> rows;
    QList<int> rank;
    QList<bool> reachable;
    for (const Row& r : standings.rows) {
        if (!standings::matchesSex(r.sex, sex))
            continue;
        rows.append(r);
        rank.append(std::min(r.run, std::max(1, minimum)));
        reachable.append(r.place > 0);
    }
    if (sex != standings::Sex::All)
        assignPlaces(rows, rank, reachable);
    return rows;
}

QList<PrizeGroup> award(const QList<Row>& rows, const PrizeScheme& prizes)
{
    QList<PrizeGroup> groups;
    QList<bool> won(rows.size(), false);
    for (const PrizeRow& prize : prizes.rows()) {
        PrizeGroup group{prize.name, {}};
        for (int i = 0; i < rows.size() && group.winners.size() < prize.count; ++i) {
            const Row& r = rows.at(i);
            if (won.at(i) || r.place <= 0 || !sexTakes(prize.sex, r.sex))
                continue;
            const bool ages = prize.coversEveryAge()
                || (r.categoryAges && r.categoryAges->first >= prize.from && r.categoryAges->second <= prize.to);
            if (!ages)
                continue;
            won[i] = true;
            group.winners.append(i);
        }
        groups.append(std::move(group));
    }
    return groups;
}

QStringList columns(const QStringList& raceNames)
{
    return QStringList{tx::seriesColPlace(), tx::seriesColName(), tx::seriesColClub(), tx::seriesColCategory()}
    + raceNames + QStringList{tx::seriesColTotal(), tx::seriesColCompleted()};
}

QStringList rowCells(const Row& row)
{
    QStringList cells{placeText(row), row.name, row.club, row.category};
    for (const std::optional<int>& p : row.points)
        cells.append(p ? QString::number(*p) : tx::seriesNotRun());
    cells.append(QString::number(row.total));
    cells.append(row.completed ? tx::seriesYes() : tx::seriesNo());
    return cells;
}

QList<QStringList> prizeRows(const QList<Row>& rows, const QList<PrizeGroup>& groups)
{
    QList<QStringList> out;
    for (const PrizeGroup& g : groups) {
        out.append({QString(), QString(), g.name, QString(), QString(), QString()});
        if (g.winners.isEmpty())
            out.append({QString(), QString(), tx::prizeListNone(), QString(), QString(), QString()});
        int place = 0;
        for (int i : g.winners) {
            const Row& r = rows.at(i);
            out.append({QString::number(++place), QString(), r.name, r.club, r.category, QString::number(r.total)});
        }
    }
    return out;
}

QList<QStringList> prizeCsvRows(const QList<Row>& rows, const QList<PrizeGroup>& groups)
{
    QList<QStringList> out;
    for (const PrizeGroup& g : groups) {
        if (g.winners.isEmpty())
            out.append({g.name, QString(), QString(), QString(), QString(), QString(), QString()});
        int place = 0;
        for (int i : g.winners) {
            const Row& r = rows.at(i);
            out.append({g.name, QString::number(++place), QString(), r.name, r.club, r.category,
                        QString::number(r.total)});
        }
    }
    return out;
}

print::ListFormat standingsFormat(const QString& title, int races)
{
    using print::Column;
    using A = Column::Align;
    print::ListFormat f;
    f.orientation = print::Orientation::Landscape;
    f.indent = 2;
    f.rowsPerPage = 40;
    f.titleFirst = title + QStringLiteral("   ") + tx::printPage();
    f.titleLater = f.titleFirst;
    // The races by their order in the series, so that ten fit across a page.
    QStringList headings{tx::prizeColumns().at(0).rightJustified(5), tx::seriesColName().leftJustified(25),
                         tx::seriesColClub().leftJustified(15), tx::printColCategory().trimmed().leftJustified(6)};
    f.columns = {{0, 5, A::Right, 0}, {1, 25, A::Left, 1}, {2, 15, A::Left, 1}, {3, 6, A::Left, 1}};
    for (int r = 0; r < races; ++r) {
        headings.append(QStringLiteral("%1.").arg(r + 1).rightJustified(4));
        f.columns.append({4 + r, 4, A::Right, 1});
    }
    headings.append(tx::seriesColTotal().rightJustified(6));
    headings.append(tx::seriesColCompleted());
    f.columns.append({4 + races, 6, A::Right, 1});
    f.columns.append({5 + races, 5, A::Left, 1});
    f.headingsFirst = headings;
    f.headingsLater = headings;
    f.underlineFirst = 5 + 1 + 25 + 1 + 15 + 1 + 6 + races * 5 + 7 + 6;
    f.underlineLater = f.underlineFirst;
    return f;
}

print::ListFormat prizeFormat(const QString& title)
{
    print::ListFormat f = prizes::printFormat();
    f.titleFirst = title + QStringLiteral("   ") + tx::printPage();
    f.titleLater = f.titleFirst;
    f.headingsFirst.last() = tx::seriesColPoints();
    f.headingsLater = f.headingsFirst;
    return f;
}

std::optional<QList<int>> readPointsList(const QString& text)
{
    QList<int> list;
    for (const QString& part : text.split(QLatin1Char(','))) {
        bool ok = false;
        const int p = part.trimmed().toInt(&ok);
        if (!ok || p < 0)
            return std::nullopt;
        list.append(p);
    }
    return list;
}

Outcome<Definition> check(const Definition& definition)
{
    Definition d = definition;
    d.name = d.name.simplified();
    const Rules& r = d.rules;
    if (d.name.isEmpty())
        return Outcome<Definition>::refused(Field::None, tx::seriesNeedsName());
    if (d.races.isEmpty())
        return Outcome<Definition>::refused(Field::None, tx::seriesNeedsRaces());
    if (QSet<qint64>(d.races.cbegin(), d.races.cend()).size() != d.races.size())
        return Outcome<Definition>::refused(Field::None, tx::seriesRaceTwice());
    // Points within bounds, so that no total of a season overflows.
    constexpr int kMostPoints = 100000;
    if (r.points == PointsKind::Countdown && (r.firstPoints <= 0 || r.firstPoints > kMostPoints))
        return Outcome<Definition>::refused(Field::None, tx::seriesBadPoints());
    if (r.points == PointsKind::List
        && (r.pointsList.isEmpty() || std::any_of(r.pointsList.cbegin(), r.pointsList.cend(),
                                                  [](int p) { return p < 0 || p > kMostPoints; })))
        return Outcome<Definition>::refused(Field::None, tx::seriesBadPointsList());
    if (r.best < 0)
        return Outcome<Definition>::refused(Field::None, tx::seriesBadBest());
    if (r.planned != 0 && r.planned < d.races.size())
        return Outcome<Definition>::refused(Field::None, tx::seriesBadPlanned());
    const int season = std::max<int>(r.planned, int(d.races.size()));
    if (r.minimum < 1 || r.minimum > season)
        return Outcome<Definition>::refused(Field::None, tx::seriesBadMinimum());
    return Outcome<Definition>::done(d);
}

} // namespace series
