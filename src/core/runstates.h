#pragma once

#include "core/outcome.h"
#include "core/records.h"

#include <QList>
#include <QString>
#include <QStringList>

// The rules of an entry's status (DNS, DNF, DSQ): how it is written, and
// what a change of it must carry.
namespace runstates {

// The longest reason a disqualification may carry.
constexpr int kReasonMaxLength = 60;

// "DNS", "DNF", "DSQ"; empty for none.
QString code(RunState state);
// The code with its Croatian meaning, for choices: "DNF (nije završio)".
QString longText(RunState state);
// The code as stored or typed ("dns", "DNF", "none", ""), any case; nullopt
// for anything else.
std::optional<RunState> parse(const QString& text);

// The status to store: a disqualification needs a reason of at most
// kReasonMaxLength characters (blanks around it dropped); the other states
// carry none, whatever was typed.
Outcome<RunStateEntry> check(RunState state, const QString& reason);

// The order of unranked entries after the ranked finishers: DNF, DSQ, DNS.
int listOrder(RunState state);

} // namespace runstates

namespace print {
struct ListFormat;
// A printout of rows whose column source holds a status (lists::stateText)
// gets one more column "Status" at the end, as wide as its longest text;
// rows without any status print exactly as before.
void addStatusColumn(ListFormat& format, int source, const QList<QStringList>& rows);
} // namespace print
