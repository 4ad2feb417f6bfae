#include "app/lookup.h"

#include "app/racesession.h"
#include "core/search.h"

#include <algorithm>

namespace lookup {

QString finishNumberNote(const RaceSession& session, const QString& typed)
{
    const Competitor* competitor = session.competitor(session.startNumbers().first(typed));
    const FinishRecord* finish = nullptr;
    if (competitor) {
        const QList<FinishRecord>& finishes = session.finishList();
        const auto it = std::find_if(finishes.cbegin(), finishes.cend(),
                                     [id = competitor->id](const FinishRecord& r) { return r.idtakmicara == id; });
        if (it != finishes.cend())
            finish = &*it;
    }
    return search::finishNumberNote(typed, competitor, finish, session.raceDate(), session.rules().categories);
}

} // namespace lookup
