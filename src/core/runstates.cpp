#include "core/runstates.h"

#include "core/listlayout.h"
#include "core/texts.h"

#include <algorithm>

namespace runstates {

QString code(RunState state)
{
    switch (state) {
    case RunState::Dns:
        return tx::runStateDns();
    case RunState::Dnf:
        return tx::runStateDnf();
    case RunState::Dsq:
        return tx::runStateDsq();
    case RunState::None:
        break;
    }
    return {};
}

QString longText(RunState state)
{
    switch (state) {
    case RunState::Dns:
        return tx::runStateDnsLong();
    case RunState::Dnf:
        return tx::runStateDnfLong();
    case RunState::Dsq:
        return tx::runStateDsqLong();
    case RunState::None:
        break;
    }
    return tx::runStateNoneLong();
}

std::optional<RunState> parse(const QString& text)
{
    const QString t = text.trimmed().toUpper();
    if (t.isEmpty() || t == QLatin1String("NONE"))
        return RunState::None;
    for (RunState s : {RunState::Dns, RunState::Dnf, RunState::Dsq}) {
        if (t == code(s))
            return s;
    }
    return std::nullopt;
}

Outcome<RunStateEntry> check(RunState state, const QString& reason)
{
    if (state != RunState::Dsq)
        return Outcome<RunStateEntry>::done({state, {}});
    const QString r = reason.trimmed();
    if (r.isEmpty())
        return Outcome<RunStateEntry>::refused(Field::None, tx::runStateReasonMissing());
    if (r.size() > kReasonMaxLength)
        return Outcome<RunStateEntry>::refused(Field::None, tx::runStateReasonTooLong(kReasonMaxLength));
    return Outcome<RunStateEntry>::done({state, r});
}

int listOrder(RunState state)
{
    switch (state) {
    case RunState::Dnf:
        return 0;
    case RunState::Dsq:
        return 1;
    case RunState::Dns:
        return 2;
    case RunState::None:
        break;
    }
    return 3;
}

} // namespace runstates

void print::addStatusColumn(ListFormat& format, int source, const QList<QStringList>& rows)
{
    int width = 0;
    for (const QStringList& row : rows)
        width = std::max(width, int(row.value(source).trimmed().size()));
    if (width == 0)
        return;
    width = std::max(width, int(tx::columnStatus().size()));
    format.columns.append({source, width, Column::Align::Left, 1});
    format.headingsFirst.append(tx::columnStatus());
    format.headingsLater.append(tx::columnStatus());
    format.underlineFirst += width + 1;
    format.underlineLater += width + 1;
}
