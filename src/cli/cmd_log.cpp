#include "cli/cmd_log.h"

#include "app/editlog.h"
#include "app/racesession.h"
#include "core/texts.h"

#include <QTextStream>

#include <cstdio>

namespace cli {

int printChangeLog(RaceSession& session, const QString& format, QTextStream& out, QTextStream& err)
{
    const auto log = editlog::raceLog(session, session.race().id);
    if (!log) {
        err << tx::dbError(log.dbError()) << Qt::endl;
        return 1;
    }
    const QList<editlog::Who> who = editlog::whoOf(log.value(), session.startList());
    if (format == QLatin1String("csv")) {
        out.flush();
        const QByteArray bytes = editlog::csv(log.value(), who);
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
        std::fflush(stdout);
        return 0;
    }
    for (qsizetype i = log.value().size() - 1; i >= 0; --i)
        out << editlog::cells(log.value().at(i), who.at(i)).join(QLatin1Char('\t')) << '\n';
    return 0;
}

} // namespace cli
