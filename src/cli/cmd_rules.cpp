// kelvora rules: a race's own categories and prizes, shown or set from files.

#include "cli/cmd_rules.h"

#include "app/racerules.h"
#include "app/racesession.h"
#include "core/clitexts.h"
#include "core/fileerrors.h"
#include "core/texts.h"

#include <QFile>
#include <QTextStream>
#include <optional>

namespace cli {

namespace {

// The file's bytes, or nothing after reporting why it cannot be read.
std::optional<QByteArray> readFile(const QString& path, QTextStream& err)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        err << tx::cliFileNotRead(path, kvr::fileReason(path, file.errorString())) << Qt::endl;
        return std::nullopt;
    }
    return file.readAll();
}

int failed(const Status& status, QTextStream& err)
{
    err << (status.kind() == Status::Kind::Refused ? status.refusal().message : tx::dbError(status.dbError()))
        << Qt::endl;
    return 1;
}

} // namespace

int runRules(RaceSession& session, const QString& categoriesPath, const QString& prizesPath, QTextStream& out,
             QTextStream& err)
{
    if (!categoriesPath.isEmpty() || !prizesPath.isEmpty()) {
        std::optional<QByteArray> categories;
        std::optional<QByteArray> prizes;
        if (!categoriesPath.isEmpty() && !(categories = readFile(categoriesPath, err)))
            return 1;
        if (!prizesPath.isEmpty() && !(prizes = readFile(prizesPath, err)))
            return 1;
        if (const Status set = racerules::setFromFiles(session, categories, prizes); !set)
            return failed(set, err);
    }
    const auto rules = racerules::current(session);
    if (!rules)
        return failed(rules.failure<std::monostate>(), err);
    out << racerules::rulesText(rules.value());
    return 0;
}

} // namespace cli
