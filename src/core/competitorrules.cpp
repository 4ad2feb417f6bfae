#include "core/competitorrules.h"

#include "core/dates.h"
#include "core/texts.h"

#include <algorithm>

namespace rules {

namespace {

constexpr int kEarliestBirthYear = 1800;

} // namespace

DateTextResult checkDateText(const QString& text)
{
    if (text.size() < 6 || text.startsWith(QLatin1Char('.')) || text.endsWith(QLatin1Char('.')))
        return DateTextResult::TooShortOrDotAtEnd;
    if (text.count(QLatin1Char('.')) != 2)
        return DateTextResult::NotTwoDots;
    return DateTextResult::Ok;
}

QString dateTextMessage(DateTextResult result, const QString& example)
{
    return result == DateTextResult::NotTwoDots ? tx::dateMessageShort(example) : tx::dateMessageLong(example);
}

BirthYearResult checkBirthYear(const QString& birthDateText, const QDate& raceDate)
{
    const auto birth = kvr::parseDayMonthYear(birthDateText);
    if (!birth || !raceDate.isValid() || birth->year() > raceDate.year() - 1)
        return BirthYearResult::TooYoung;
    if (birth->year() < kEarliestBirthYear)
        return BirthYearResult::TooOld;
    return BirthYearResult::Ok;
}

bool hasControlCharacter(QStringView text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) {
        const char16_t u = c.unicode();
        return c.category() == QChar::Other_Control || u == 0x061C || u == 0x200E || u == 0x200F
            || (u >= 0x202A && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069);
    });
}

qsizetype codePointCount(QStringView text)
{
    qsizetype count = text.size();
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i].isHighSurrogate() && text[i + 1].isLowSurrogate()) {
            --count;
            ++i;
        }
    }
    return count;
}

QString trimmedStartNumber(QStringView number)
{
    return number.trimmed().toString();
}

QList<char16_t> startNumberBlanks()
{
    static const QList<char16_t> blanks = [] {
        QList<char16_t> found;
        for (char32_t code = 0; code <= 0xFFFF; ++code) {
            if (QChar::isSpace(code))
                found.append(char16_t(code));
        }
        return found;
    }();
    return blanks;
}

namespace {

// The number as the index keys it; the stored string itself when it has no
// blanks around it, so that the index shares the start list's strings.
QString indexKey(const QString& number)
{
    const QStringView trimmed = QStringView(number).trimmed();
    return trimmed.size() == number.size() ? number : trimmed.toString();
}

} // namespace

StartNumberIndex::StartNumberIndex(const QList<Competitor>& startList)
{
    m_first.reserve(startList.size());
    for (const Competitor& c : startList)
        add(c.sbroj, c.id);
}

void StartNumberIndex::add(const QString& startNumber, qint64 id)
{
    const QString number = indexKey(startNumber);
    if (number.isEmpty())
        return;
    const auto first = m_first.find(number);
    if (first == m_first.end()) {
        m_first.insert(number, id);
        return;
    }
    QList<qint64>& more = m_more[number];
    const qint64 other = std::max(*first, id);
    *first = std::min(*first, id);
    more.insert(std::lower_bound(more.begin(), more.end(), other), other);
}

void StartNumberIndex::remove(const QString& startNumber, qint64 id)
{
    const QString number = indexKey(startNumber);
    const auto first = m_first.find(number);
    if (first == m_first.end())
        return;
    const auto more = m_more.find(number);
    if (*first == id) {
        if (more == m_more.end()) {
            m_first.erase(first);
            return;
        }
        *first = more->takeFirst();
    } else if (more == m_more.end() || !more->removeOne(id)) {
        return;
    }
    if (more->isEmpty())
        m_more.erase(more);
}

qint64 StartNumberIndex::first(const QString& startNumber) const
{
    return m_first.value(indexKey(startNumber), 0);
}

bool StartNumberIndex::takenByOther(const QString& startNumber, qint64 ownId) const
{
    const QString number = indexKey(startNumber);
    const auto first = m_first.constFind(number);
    if (first == m_first.cend())
        return false;
    if (*first != ownId)
        return true;
    const auto more = m_more.constFind(number);
    return more != m_more.cend() && std::any_of(more->cbegin(), more->cend(), [ownId](qint64 id) { return id != ownId; });
}

Outcome<Competitor> checkCompetitor(const CompetitorEntry& entry, const QDate& raceDate,
                                    const StartNumberIndex& startNumbers, qint64 ownId, BirthDateRule birthDate)
{
    const bool noDate = birthDate == BirthDateRule::MayBeEmpty && entry.datumText.trimmed().isEmpty();
    // A field holding only blanks counts as filled.
    for (const QString* text : {&entry.ime, &entry.klub, &entry.drzava, &entry.datumText}) {
        if (text->isEmpty() && !(noDate && text == &entry.datumText))
            return Outcome<Competitor>::refused(Field::None, tx::competitorFieldsRequired());
    }

    for (const auto& [text, field] : {std::pair{&entry.ime, Field::Name}, std::pair{&entry.klub, Field::Club},
                                      std::pair{&entry.drzava, Field::Country}}) {
        if (hasControlCharacter(*text))
            return Outcome<Competitor>::refused(field, tx::textHasControl());
    }

    const QString example = tx::exampleBirthDate();
    if (const DateTextResult text = noDate ? DateTextResult::Ok : checkDateText(entry.datumText);
        text != DateTextResult::Ok)
        return Outcome<Competitor>::refused(Field::BirthDate, dateTextMessage(text, example));

    switch (noDate ? BirthYearResult::Ok : checkBirthYear(entry.datumText, raceDate)) {
    case BirthYearResult::TooYoung:
        return Outcome<Competitor>::refused(Field::BirthDate, tx::tooYoung(example));
    case BirthYearResult::TooOld:
        return Outcome<Competitor>::refused(Field::BirthDate, tx::tooOld(example));
    case BirthYearResult::Ok:
        break;
    }

    if (startNumbers.takenByOther(entry.sbroj, ownId))
        return Outcome<Competitor>::refused(Field::StartNumber, tx::startNumberTaken());

    Competitor c;
    c.ime = entry.ime;
    c.sbroj = entry.sbroj;
    c.drzava = entry.drzava;
    c.klub = entry.klub;
    c.spol = entry.spol;
    c.datum = kvr::parseDayMonthYear(entry.datumText).value_or(QDate());
    return Outcome<Competitor>::done(c);
}

Outcome<QDate> checkRaceEntry(const QString& name, const QString& organiser, const QString& dateText, RaceForm form)
{
    const bool dateMissing = form == RaceForm::New ? dateText.isEmpty() : dateText.size() < 6;
    if (name.isEmpty())
        return Outcome<QDate>::refused(Field::RaceName, tx::allRaceFieldsRequired());
    if (organiser.isEmpty())
        return Outcome<QDate>::refused(Field::RaceOrganiser, tx::allRaceFieldsRequired());
    if (dateMissing)
        return Outcome<QDate>::refused(Field::RaceDate, tx::allRaceFieldsRequired());

    // A text such as 31.2.2010 or 1..2010 passes the dots but names no day.
    const QString example = tx::exampleRaceDate();
    if (const DateTextResult text = checkDateText(dateText); text != DateTextResult::Ok)
        return Outcome<QDate>::refused(Field::RaceDate, dateTextMessage(text, example));
    const auto date = kvr::parseDayMonthYear(dateText);
    if (!date)
        return Outcome<QDate>::refused(Field::RaceDate, tx::dateMessageLong(example));
    return Outcome<QDate>::done(*date);
}

} // namespace rules
