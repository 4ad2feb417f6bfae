#include "cli/commandline.h"
#include "cli/cmd_rules.h"
#include "cli/cmd_serve.h"
#include "cli/cmd_series.h"
#include "core/texts_rules.h"

#include "app/exports.h"
#include "app/imports.h"
#include "app/racesession.h"
#include "app/resultscheck.h"
#include "app/seriessession.h"
#include "cli/cmd_finishline.h"
#include "core/texts_finishline.h"
#include "cli/cmd_log.h"
#include "core/texts_editlog.h"
#include "core/lists.h"
#include "core/runstates.h"
#include "core/categorycodes.h"
#include "core/clitexts.h"
#include "core/dates.h"
#include "core/entryfile.h"
#include "core/texts.h"
#include "core/texts_entrycolumns.h"
#include "core/texts_live.h"
#include "data/database.h"
#include "data/dblocation.h"
#include "print/pagepainter.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QHash>
#include <QSet>
#include <QTextStream>
#include <cstdio>
#include <functional>
#include <optional>

namespace cli {

namespace {

enum Exit { Done = 0, Failed = 1, Usage = 2 };

const QString kDb = QStringLiteral("--db");

// The arguments of one command, after the command's name.
struct Arguments {
    QHash<QString, QString> values;
    QHash<QString, QStringList> repeated; // every value of each value option, in the order given
    QSet<QString> flags;
    QStringList positional;
    bool help = false;
    QString error;

    QString value(const QString& option, const QString& otherwise = {}) const { return values.value(option, otherwise); }
    bool has(const QString& option) const { return values.contains(option); }
};

Arguments parse(const QStringList& list, const QSet<QString>& valueOptions, const QSet<QString>& flagOptions)
{
    Arguments args;
    for (qsizetype i = 0; i < list.size(); ++i) {
        const QString& a = list.at(i);
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            args.help = true;
            continue;
        }
        if (!a.startsWith(QLatin1String("--")) || a == QLatin1String("--")) {
            args.positional.append(a);
            continue;
        }
        const qsizetype eq = a.indexOf(QLatin1Char('='));
        const QString name = eq < 0 ? a : a.left(eq);
        if (flagOptions.contains(name) && eq < 0) {
            args.flags.insert(name);
        } else if (valueOptions.contains(name)) {
            if (eq >= 0) {
                args.values.insert(name, a.mid(eq + 1));
            } else if (i + 1 < list.size()) {
                args.values.insert(name, list.at(++i));
            } else {
                args.error = tx::cliMissingValue(name);
                return args;
            }
            args.repeated[name].append(args.values.value(name));
        } else {
            args.error = tx::cliUnknownOption(a);
            return args;
        }
    }
    return args;
}

// A command: its options and what it does.
struct Command {
    QSet<QString> valueOptions;
    QSet<QString> flagOptions;
    QString (*help)();
    std::function<int(const Arguments&, const QString& db, QTextStream& out, QTextStream& err)> run;
};

// A message box text as lines of a terminal.
QString terminalText(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

template <typename T>
int failure(const Outcome<T>& outcome, QTextStream& err)
{
    err << terminalText(outcome.kind() == Outcome<T>::Kind::Refused ? outcome.refusal().message
                                                                    : tx::dbError(outcome.dbError()))
        << Qt::endl;
    return Failed;
}

// The session on the database, opened; an unusable database is reported
// and left as it is. Only a new race may create a new database file.
std::unique_ptr<RaceSession> openSession(const QString& db, bool mayCreate, QTextStream& err)
{
    const DbResult<DbLocation> location = parseDbLocation(db);
    if (!location) {
        err << location.error() << Qt::endl;
        return nullptr;
    }
    const QString shown = location.value().displayName();
    // A missing or empty file would be made a new database: only a new race may do that.
    const QFileInfo file(location.value().filePath);
    if (!mayCreate && !location.value().isPostgres() && (!file.exists() || (file.isFile() && file.size() == 0))) {
        err << tx::cliNoDatabase(shown) << Qt::endl;
        return nullptr;
    }
    auto session = std::make_unique<RaceSession>(location.value());
    Database& database = session->database();
    // A file another program is writing to is waited for, as long as a
    // change in the window waits, rather than refused at once.
    QElapsedTimer waited;
    waited.start();
    DbStatus opened = database.open();
    while (!opened && opened.error().isBusy() && !waited.hasExpired(Database::kBusyTimeoutMs)) {
        QThread::msleep(100);
        opened = database.open();
    }
    if (!opened) {
        if (database.isPostgres())
            err << terminalText(tx::dbServerUnusable(shown, opened.error())) << Qt::endl;
        else
            err << terminalText(tx::dbUnusable(shown, opened.error(), database.journalFound())) << Qt::endl;
        // libpq reads a password from PGPASSWORD or the password file.
        if (opened.error().isPasswordMissing())
            err << tx::cliPasswordHint() << Qt::endl;
        return nullptr;
    }
    if (const QString told = numberCollisionsText(session->database().numberCollisions()); !told.isEmpty())
        err << terminalText(told) << Qt::endl;
    return session;
}

// Whether every one of the options is given; names the first missing one.
bool hasOptions(const Arguments& args, std::initializer_list<const char*> options, QTextStream& err)
{
    for (const char* option : options) {
        if (!args.has(QLatin1String(option))) {
            err << tx::cliMissingOption(QLatin1String(option)) << Qt::endl;
            return false;
        }
    }
    return true;
}

// The race named by --race, made current.
bool openRace(RaceSession& session, const Arguments& args, QTextStream& err)
{
    if (!hasOptions(args, {"--race"}, err))
        return false;
    bool ok = false;
    const qint64 id = args.value(QStringLiteral("--race")).toLongLong(&ok);
    if (!ok || id <= 0) {
        err << tx::cliBadValue(QStringLiteral("--race"), args.value(QStringLiteral("--race"))) << Qt::endl;
        return false;
    }
    if (const ::Status opened = session.openRace(id); !opened) {
        failure(opened, err);
        return false;
    }
    return true;
}



int races(const Arguments&, const QString& db, QTextStream& out, QTextStream& err)
{
    const auto session = openSession(db, false, err);
    if (!session)
        return Failed;
    const auto all = session->database().allRaces();
    if (!all) {
        err << tx::dbError(all.error()) << Qt::endl;
        return Failed;
    }
    for (const Race& r : all.value()) {
        out << r.id << '\t' << r.ime << '\t' << r.org << '\t' << kvr::formatDate(r.datum) << '\t'
            << (r.da.startsWith(QLatin1Char('y')) ? "y" : "n") << '\n';
    }
    return Done;
}

int newRace(const Arguments& args, const QString& db, QTextStream& out, QTextStream& err)
{
    if (!hasOptions(args, {"--name", "--org", "--date"}, err))
        return Usage;
    const auto session = openSession(db, true, err);
    if (!session)
        return Failed;
    const auto race = session->createRace(args.value(QStringLiteral("--name")), args.value(QStringLiteral("--org")),
                                          args.value(QStringLiteral("--date")));
    if (!race)
        return failure(race, err);
    out << race.value().id << '\n';
    return Done;
}

// Whether an import names its race and exactly one file.
bool importUsage(const Arguments& args, QTextStream& err)
{
    if (args.positional.size() == 1 && args.has(QStringLiteral("--race")))
        return true;
    err << (args.positional.isEmpty() ? tx::cliMissingFile()
            : args.positional.size() > 1 ? tx::cliExtraArgument(args.positional.at(1))
                                          : tx::cliMissingOption(QStringLiteral("--race")))
        << Qt::endl;
    return false;
}

// The file an import reads: its bytes, or the reason it can't be read.
bool readInput(const Arguments& args, QByteArray& bytes, QTextStream& err)
{
    QFile file(args.positional.first());
    if (!file.open(QIODevice::ReadOnly)) {
        err << tx::cliFileNotRead(file.fileName(), kvr::fileReason(file.fileName(), file.errorString())) << Qt::endl;
        return false;
    }
    bytes = file.readAll();
    return true;
}

// Prints the refusals of a preview and stores what it may: nothing when a
// row was refused (unless skipRefused) or on a dry run.
void reportCuts(const imports::EntryPreview& preview, QTextStream& out)
{
    for (const auto& row : preview.rows) {
        if (row.accepted() && row.cut())
            out << tx::ecCutLine(row.lineNumber, tx::ecCutRow(row.cuts)) << '\n';
    }
}
void reportCuts(const imports::TimePreview&, QTextStream&) {}

// The rows refused only because the race lacks their category are told
// once for the whole file, with the way on.
bool refusedForCategory(const imports::EntryPreviewRow& row)
{
    return row.refusal == tx::ecCategoryNotOfRace(row.category);
}
bool refusedForCategory(const imports::TimePreviewRow&)
{
    return false;
}
void reportUnknownCategories(const imports::EntryPreview& preview, QTextStream& err)
{
    if (!preview.unknownCategories.isEmpty())
        err << terminalText(tx::ecCategoriesUnknown(preview.unknownCategories)) << ' ' << tx::cliAddCategoriesHint()
            << Qt::endl;
}
void reportUnknownCategories(const imports::TimePreview&, QTextStream&) {}

template <typename Preview, typename Store>
int finishImport(const Preview& preview, const Arguments& args, Store store, QTextStream& out, QTextStream& err)
{
    if (preview.fileRefused()) {
        err << terminalText(preview.fileRefusal) << Qt::endl;
        return Failed;
    }
    for (const auto& row : preview.rows) {
        if (!row.accepted() && !refusedForCategory(row))
            err << tx::cliLineRefused(row.lineNumber, terminalText(row.refusal)) << Qt::endl;
    }
    reportUnknownCategories(preview, err);
    reportCuts(preview, out);
    out << tx::cliImportSummary(preview.acceptedCount, preview.refusedCount) << '\n';
    const bool refused = preview.anyRefused();
    if (args.flags.contains(QStringLiteral("--dry-run")) || (refused && !args.flags.contains(QStringLiteral("--skip-refused")))
        || preview.acceptedCount == 0) {
        out << tx::cliNothingStored() << '\n';
        return refused ? Failed : Done;
    }
    if (const ::Status stored = store(); !stored) {
        err << terminalText(stored.kind() == ::Status::Kind::Refused ? stored.refusal().message
                                                                       : tx::dbError(stored.dbError()))
            << Qt::endl;
        out << tx::cliNothingStored() << '\n';
        return Failed;
    }
    out << tx::cliStored(preview.acceptedCount) << '\n';
    return Done;
}

// An import: the file read, checked against the race, and stored as the
// flags say. preview and store are the use cases of one kind of file.
template <typename Preview, typename Store>
int runImport(const Arguments& args, const QString& db, Preview preview, Store store, QTextStream& out,
              QTextStream& err)
{
    if (!importUsage(args, err))
        return Usage;
    QByteArray bytes;
    if (!readInput(args, bytes, err))
        return Failed;
    const auto session = openSession(db, false, err);
    if (!session || !openRace(*session, args, err))
        return Failed;
    const auto checked = preview(*session, bytes);
    return finishImport(checked, args, [&] { return store(*session, checked); }, out, err);
}

// The options of an entry import's column map, or the refusal of one of them.
std::optional<imports::EntryImportOptions> entryOptions(const Arguments& args, QTextStream& err)
{
    imports::EntryImportOptions options;
    if (args.has(QStringLiteral("--columns"))) {
        const io::ColumnListResult list = io::parseColumnList(args.value(QStringLiteral("--columns")));
        if (!list.ok()) {
            err << list.error << Qt::endl;
            return std::nullopt;
        }
        options.layout = io::EntryLayout{list.columns, args.flags.contains(QStringLiteral("--header"))};
    } else if (args.flags.contains(QStringLiteral("--header"))) {
        err << tx::ecHeaderWithoutColumns() << Qt::endl;
        return std::nullopt;
    }
    for (const QString& given : args.repeated.value(QStringLiteral("--default"))) {
        if (const QString refused = io::addDefault(given, options.defaults); !refused.isEmpty()) {
            err << refused << Qt::endl;
            return std::nullopt;
        }
    }
    options.cutLong = args.flags.contains(QStringLiteral("--cut-long"));
    return options;
}

int importEntries(const Arguments& args, const QString& db, QTextStream& out, QTextStream& err)
{
    const bool mapped = args.has(QStringLiteral("--columns")) || args.has(QStringLiteral("--default"))
        || args.flags.contains(QStringLiteral("--cut-long")) || args.flags.contains(QStringLiteral("--header"));
    const bool addCategories = args.flags.contains(QStringLiteral("--add-categories"));
    const auto options = entryOptions(args, err);
    if (!options)
        return Usage;
    const auto preview = [&](RaceSession& session, const QByteArray& bytes) {
        const io::CsvResult csv = io::readCsv(bytes);
        imports::EntryImportOptions fitted = *options;
        const io::EntryLayout byHeader = csv.ok() ? io::headerLayout(csv) : io::EntryLayout{};
        const bool anyHeader = std::any_of(byHeader.columns.cbegin(), byHeader.columns.cend(),
                                           [](io::EntryColumn c) { return c != io::EntryColumn::Skip; });
        if (!fitted.layout && csv.ok() && !csv.rows.isEmpty() && !anyHeader) {
            // No header that names a column: the columns are recognised from
            // their values, and the choice is printed to be checked.
            fitted.layout = io::recogniseLayout(csv, &session.rules().categories);
            out << tx::cliColumnsChosen(io::columnList(*fitted.layout)) << '\n';
            if (const QString missing = io::missingColumns(csv, *fitted.layout, fitted.defaults); !missing.isEmpty()) {
                imports::EntryPreview refused;
                refused.fileRefusal = missing + QStringLiteral("\n\n") + tx::ecColumnsHint();
                return refused;
            }
        }
        // The file's columns fitted to the list: extra columns skipped.
        if (fitted.layout && fitted.layout->columns.size() < io::columnCount(csv))
            fitted.layout->columns.resize(io::columnCount(csv), io::EntryColumn::Skip);
        // A file read by its header alone has the form's own message for a
        // missing value, as a typed entry.
        auto checked = mapped || fitted.layout ? imports::previewEntries(session, csv, fitted)
                                               : imports::previewEntries(session, bytes);
        // A header that lacks a needed column: told how to name the columns by hand.
        if (!fitted.layout && checked.fileRefused() && anyHeader
            && !io::missingColumns(csv, byHeader, fitted.defaults).isEmpty())
            checked.fileRefusal += QStringLiteral("\n\n") + tx::ecColumnsHint();
        if (addCategories && !checked.unknownCategories.isEmpty()) {
            // The codes become categories of the race, stored with the rows.
            fitted.rules = imports::rulesWithCodes(session, checked.unknownCategories);
            if (const auto rows = schemes::checkCategories(fitted.rules->categories.rows()); !rows) {
                checked.fileRefusal = rows.refusal().message;
                return checked;
            }
            QStringList added;
            for (const CategoryRow& row : schemes::categoriesFromCodes(checked.unknownCategories))
                added.append(tx::cliCategoryRow(row.label, schemes::sexText(row.sex), row.from, row.to,
                                                row.to >= kMaxRuleAge));
            out << tx::cliCategoriesAdded(added) << '\n';
            checked = imports::previewEntries(session, csv, fitted);
        }
        return checked;
    };
    return runImport(args, db, preview, &imports::importEntries, out, err);
}

int importTimes(const Arguments& args, const QString& db, QTextStream& out, QTextStream& err)
{
    return runImport(args, db, &imports::previewTimes, &imports::importTimes, out, err);
}

// Which export the options ask for; false after reporting a wrong value.
std::optional<exports::Format> exportFormat(const QString& name)
{
    static const QHash<QString, exports::Format> formats{{QStringLiteral("csv"), exports::Format::Csv},
                                                         {QStringLiteral("html"), exports::Format::Html},
                                                         {QStringLiteral("pdf"), exports::Format::Pdf}};
    const auto it = formats.constFind(name.toLower());
    return it == formats.cend() ? std::nullopt : std::optional(*it);
}

std::optional<standings::Sex> exportSex(const QString& name)
{
    static const QHash<QString, standings::Sex> sexes{{QStringLiteral("all"), standings::Sex::All},
                                                      {QStringLiteral("m"), standings::Sex::Men},
                                                      {QStringLiteral("z"), standings::Sex::Women},
                                                      {QStringLiteral("ž"), standings::Sex::Women}};
    const auto it = sexes.constFind(name.toLower());
    return it == sexes.cend() ? std::nullopt : std::optional(*it);
}

bool exportChoice(const Arguments& args, const QStringList& categories, exports::ExportList& list,
                  standings::Selection& selection, exports::Format& format, QTextStream& err)
{
    const auto bad = [&](const QString& option) {
        err << tx::cliBadValue(option, args.value(option)) << Qt::endl;
        return false;
    };
    static const QHash<QString, exports::ExportList> lists{{QStringLiteral("start"), exports::ExportList::StartList},
                                                           {QStringLiteral("registered"), exports::ExportList::Registered},
                                                           {QStringLiteral("finish"), exports::ExportList::Finish},
                                                           {QStringLiteral("standings"), exports::ExportList::Standings},
                                                           {QStringLiteral("prizes"), exports::ExportList::Prizes},
                                                           {QStringLiteral("teams"), exports::ExportList::Teams}};
    if (!hasOptions(args, {"--list", "--format"}, err))
        return false;
    const QString listName = args.value(QStringLiteral("--list")).toLower();
    if (!lists.contains(listName))
        return bad(QStringLiteral("--list"));
    list = lists.value(listName);
    const auto chosenFormat = exportFormat(args.value(QStringLiteral("--format")));
    if (!chosenFormat)
        return bad(QStringLiteral("--format"));
    format = *chosenFormat;
    const auto sex = exportSex(args.value(QStringLiteral("--sex"), QStringLiteral("all")));
    if (!sex)
        return bad(QStringLiteral("--sex"));
    selection.sex = *sex;
    selection.category = args.value(QStringLiteral("--category"), tx::categoryAll());
    if (list != exports::ExportList::Standings)
        return true;
    if (selection.category == QLatin1String("all")) {
        list = exports::ExportList::AllStandings;
    } else if (QString::compare(selection.category, tx::categoryAll(), Qt::CaseInsensitive) == 0) {
        selection.category = tx::categoryAll();
    } else if (!categories.contains(selection.category)) {
        return bad(QStringLiteral("--category"));
    }
    return true;
}

// The list written to --out, or to standard output.
int deliver(const exports::ExportData& data, exports::Format format, io::Separator separator, const Arguments& args,
            QTextStream& out, QTextStream& err);

// A series' list (--series ŠIFRA --list series|series-prizes).
int exportSeries(const Arguments& args, const QString& db, QTextStream& out, QTextStream& err)
{
    bool ok = false;
    const qint64 id = args.value(QStringLiteral("--series")).toLongLong(&ok);
    if (!ok || id <= 0) {
        err << tx::cliBadValue(QStringLiteral("--series"), args.value(QStringLiteral("--series"))) << Qt::endl;
        return Usage;
    }
    if (!hasOptions(args, {"--list", "--format"}, err))
        return Usage;
    const QString listName = args.value(QStringLiteral("--list")).toLower();
    if (listName != QLatin1String("series") && listName != QLatin1String("series-prizes")) {
        err << tx::cliBadValue(QStringLiteral("--list"), args.value(QStringLiteral("--list"))) << Qt::endl;
        return Usage;
    }
    const auto format = exportFormat(args.value(QStringLiteral("--format")));
    const auto sex = exportSex(args.value(QStringLiteral("--sex"), QStringLiteral("all")));
    const auto separator = io::separatorNamed(args.value(QStringLiteral("--separator"), io::separatorName(io::kDefaultSeparator)));
    for (const auto& [option, good] : {std::pair{"--format", format.has_value()}, std::pair{"--sex", sex.has_value()},
                                       std::pair{"--separator", separator.has_value()}}) {
        if (!good) {
            err << tx::cliBadValue(QLatin1String(option), args.value(QLatin1String(option))) << Qt::endl;
            return Usage;
        }
    }
    const auto session = openSession(db, false, err);
    if (!session)
        return Failed;
    SeriesSession seasons(session->database());
    const auto data = seasons.buildExport(
        id, listName == QLatin1String("series") ? SeriesList::Standings : SeriesList::Prizes, *sex);
    if (!data)
        return failure(data, err);
    return deliver(data.value(), *format, *separator, args, out, err);
}

int exportList(const Arguments& args, const QString& db, QTextStream& out, QTextStream& err)
{
    if (args.has(QStringLiteral("--series")))
        return exportSeries(args, db, out, err);
    if (!hasOptions(args, {"--race"}, err))
        return Usage;
    const auto session = openSession(db, false, err);
    if (!session || !openRace(*session, args, err))
        return Failed;
    const auto categories = session->categories();
    if (!categories)
        return failure(categories, err);
    exports::ExportList list{};
    standings::Selection selection;
    exports::Format format{};
    if (!exportChoice(args, categories.value(), list, selection, format, err))
        return Usage;
    const auto separator = io::separatorNamed(args.value(QStringLiteral("--separator"), io::separatorName(io::kDefaultSeparator)));
    if (!separator) {
        err << tx::cliBadValue(QStringLiteral("--separator"), args.value(QStringLiteral("--separator"))) << Qt::endl;
        return Usage;
    }
    const auto data = exports::buildExport(*session, list, selection);
    if (!data)
        return failure(data, err);
    return deliver(data.value(), format, *separator, args, out, err);
}

int deliver(const exports::ExportData& data, exports::Format format, io::Separator separator, const Arguments& args,
            QTextStream& out, QTextStream& err)
{
    // Written through to the end, so that a full disk or a closed pipe is
    // reported rather than exiting as if the file were whole.
    const auto toStdout = [&](const std::function<bool(QIODevice&)>& write) {
        out.flush();
        QFile stdoutFile;
        if (!stdoutFile.open(stdout, QIODevice::WriteOnly) || !write(stdoutFile) || !stdoutFile.flush()
            || std::fflush(stdout) != 0 || std::ferror(stdout)) {
            err << tx::cliFileNotWritten(QStringLiteral("-"), kvr::fileReason(QString(), stdoutFile.errorString()))
                << Qt::endl;
            return Failed;
        }
        return Done;
    };
    if (format != exports::Format::Pdf) {
        // The rows go out as they are made: a large race is never held whole as text.
        if (args.has(QStringLiteral("--out"))) {
            const QString error = exports::saveExport(args.value(QStringLiteral("--out")), data, format, separator);
            if (!error.isEmpty()) {
                err << error << Qt::endl;
                return Failed;
            }
            return Done;
        }
        return toStdout([&](QIODevice& device) {
            return format == exports::Format::Csv ? exports::writeCsv(data, device, separator)
                                                  : exports::writeHtml(data, device);
        });
    }
    QByteArray bytes;
    {
        // The PDF writer writes files; standard output gets a copy.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("lista.pdf"));
        const QString title = data.lists.isEmpty() ? QString() : data.lists.first().heading;
        if (const QString error = print::writePdf(exports::exportDocuments(data), path, title); !error.isEmpty()) {
            err << error << Qt::endl;
            return Failed;
        }
        QFile pdf(path);
        if (!pdf.open(QIODevice::ReadOnly)) {
            err << tx::cliFileNotRead(path, kvr::fileReason(path, pdf.errorString())) << Qt::endl;
            return Failed;
        }
        bytes = pdf.readAll();
    }
    if (!args.has(QStringLiteral("--out")))
        return toStdout([&](QIODevice& device) { return device.write(bytes) == bytes.size(); });
    if (const QString error = exports::saveFile(args.value(QStringLiteral("--out")), bytes); !error.isEmpty()) {
        err << error << Qt::endl;
        return Failed;
    }
    return Done;
}

// The start-list entry of the race with this start number, or null after
// reporting why there is none.
const Competitor* entryByNumber(RaceSession& session, const QString& number, QTextStream& err)
{
    const qint64 id = number.trimmed().isEmpty() ? 0 : session.startNumbers().first(number);
    const Competitor* c = id == 0 ? nullptr : session.competitor(id);
    if (!c)
        err << tx::startNumberNotOnList() << Qt::endl;
    return c;
}

int setStatus(const Arguments& args, const QString& db, QTextStream& out, QTextStream& err)
{
    if (!hasOptions(args, {"--race", "--number", "--set"}, err))
        return Usage;
    const auto state = runstates::parse(args.value(QStringLiteral("--set")));
    if (!state || args.value(QStringLiteral("--set")).trimmed().isEmpty()) {
        err << tx::cliBadValue(QStringLiteral("--set"), args.value(QStringLiteral("--set"))) << Qt::endl;
        return Usage;
    }
    const auto session = openSession(db, false, err);
    if (!session || !openRace(*session, args, err))
        return Failed;
    const Competitor* c = entryByNumber(*session, args.value(QStringLiteral("--number")), err);
    if (!c)
        return Failed;
    const auto stored = session->setRunState(c->id, *state, args.value(QStringLiteral("--reason")));
    if (!stored)
        return failure(stored, err);
    out << c->sbroj << '\t' << c->ime << '\t' << lists::stateText(stored.value()) << '\n';
    return Done;
}

int checkResults(const Arguments& args, const QString& db, QTextStream& out, QTextStream& err)
{
    const QString format = args.value(QStringLiteral("--format"), QStringLiteral("text")).toLower();
    if (format != QLatin1String("text") && format != QLatin1String("csv")) {
        err << tx::cliBadValue(QStringLiteral("--format"), args.value(QStringLiteral("--format"))) << Qt::endl;
        return Usage;
    }
    if (!hasOptions(args, {"--race"}, err))
        return Usage;
    const auto session = openSession(db, false, err);
    if (!session || !openRace(*session, args, err))
        return Failed;
    const auto found = resultscheck::findings(*session);
    if (!found)
        return failure(found, err);
    if (format == QLatin1String("csv")) {
        out.flush();
        const QByteArray bytes = resultscheck::csv(found.value());
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
        std::fflush(stdout);
    } else {
        for (const checks::Finding& f : found.value())
            out << resultscheck::severityText(f.severity) << '\t' << f.message << '\n';
    }
    return resultscheck::anyError(found.value()) ? Failed : Done;
}

// A command of another file that runs on the race --race names.
using RaceCommand = int (*)(RaceSession&, const QHash<QString, QString>&, const QStringList&, QTextStream&,
                            QTextStream&);
std::function<int(const Arguments&, const QString&, QTextStream&, QTextStream&)> withRace(RaceCommand command)
{
    return [command](const Arguments& args, const QString& db, QTextStream& out, QTextStream& err) {
        if (!hasOptions(args, {"--race"}, err))
            return int(Usage);
        const auto session = openSession(db, false, err);
        if (!session || !openRace(*session, args, err))
            return int(Failed);
        return command(*session, args.values, args.positional, out, err);
    };
}

// The race's change log, newest first.
int changeLog(const Arguments& args, const QString& db, QTextStream& out, QTextStream& err)
{
    const QString format = args.value(QStringLiteral("--format"), QStringLiteral("text")).toLower();
    if (format != QLatin1String("text") && format != QLatin1String("csv")) {
        err << tx::cliBadValue(QStringLiteral("--format"), args.value(QStringLiteral("--format"))) << Qt::endl;
        return Usage;
    }
    if (!hasOptions(args, {"--race"}, err))
        return Usage;
    const auto session = openSession(db, false, err);
    if (!session || !openRace(*session, args, err))
        return Failed;
    return printChangeLog(*session, format, out, err) == 0 ? Done : Failed;
}

const QHash<QString, Command>& commands()
{
    static const QHash<QString, Command> all{
        {QStringLiteral("races"), {{kDb}, {}, &tx::cliHelpRaces, &races}},
        {QStringLiteral("new-race"),
         {{kDb, QStringLiteral("--name"), QStringLiteral("--org"), QStringLiteral("--date")}, {}, &tx::cliHelpNewRace,
          &newRace}},
        {QStringLiteral("import-entries"),
         {{kDb, QStringLiteral("--race"), QStringLiteral("--columns"), QStringLiteral("--default")},
          {QStringLiteral("--dry-run"), QStringLiteral("--skip-refused"), QStringLiteral("--header"),
           QStringLiteral("--cut-long"), QStringLiteral("--add-categories")},
          &tx::cliHelpImportEntries,
          &importEntries}},
        {QStringLiteral("import-times"),
         {{kDb, QStringLiteral("--race")},
          {QStringLiteral("--dry-run"), QStringLiteral("--skip-refused")},
          &tx::cliHelpImportTimes,
          &importTimes}},
        {QStringLiteral("export"),
         {{kDb, QStringLiteral("--race"), QStringLiteral("--series"), QStringLiteral("--list"), QStringLiteral("--sex"), QStringLiteral("--category"),
           QStringLiteral("--format"), QStringLiteral("--separator"), QStringLiteral("--out")},
          {},
          &tx::cliHelpExport,
          &exportList}},
        {QStringLiteral("status"),
         {{kDb, QStringLiteral("--race"), QStringLiteral("--number"), QStringLiteral("--set"), QStringLiteral("--reason")},
          {},
          &tx::cliHelpStatus,
          &setStatus}},
        {QStringLiteral("rules"),
         {{kDb, QStringLiteral("--race"), QStringLiteral("--categories"), QStringLiteral("--prizes"),
           QStringLiteral("--teams"), QStringLiteral("--team-by"), QStringLiteral("--team-score"),
           QStringLiteral("--team-prizes"), QStringLiteral("--no-club")},
          {},
          &tx::cliHelpRules,
          [](const Arguments& args, const QString& db, QTextStream& out, QTextStream& err) {
              // The race's categories, prizes and team rule, printed or set (cli/cmd_rules.cpp).
              if (!hasOptions(args, {"--race"}, err))
                  return int(Usage);
              const auto session = openSession(db, false, err);
              if (!session || !openRace(*session, args, err))
                  return int(Failed);
              QHash<QString, QString> teamOptions;
              for (const char* option : {"--teams", "--team-by", "--team-score", "--team-prizes"}) {
                  if (args.has(QLatin1String(option)))
                      teamOptions.insert(QLatin1String(option), args.value(QLatin1String(option)));
              }
              return runRules(*session, args.value(QStringLiteral("--categories")), args.value(QStringLiteral("--prizes")),
                              out, err, teamOptions, args.repeated.value(QStringLiteral("--no-club")));
          }}},
        {QStringLiteral("check"),
         {{kDb, QStringLiteral("--race"), QStringLiteral("--format")}, {}, &tx::cliHelpCheck, &checkResults}},
        {QStringLiteral("start"),
         {{kDb, QStringLiteral("--race"), QStringLiteral("--at")}, {}, &tx::cliHelpStart, withRace(&finishline::start)}},
        {QStringLiteral("capture"), {{kDb, QStringLiteral("--race")}, {}, &tx::cliHelpCapture, withRace(&finishline::capture)}},
        {QStringLiteral("import-capture"),
         {{kDb, QStringLiteral("--race"), QStringLiteral("--offset"), QStringLiteral("--tolerance")},
          {},
          &tx::cliHelpImportCapture,
          withRace(&finishline::importCapture)}},
        {QStringLiteral("serve"), {{kDb, QStringLiteral("--race"), QStringLiteral("--port"), QStringLiteral("--address"), QStringLiteral("--refresh")}, {}, &tx::cliHelpServe,
          withRace([](RaceSession& session, const QHash<QString, QString>& values, const QStringList&, QTextStream& out,
                      QTextStream& err) {
              // The live results of the race until interrupted (cli/cmd_serve.cpp).
              return serveRace(session, values.value(QStringLiteral("--address")),
                               values.value(QStringLiteral("--port")), values.value(QStringLiteral("--refresh")), out,
                               err);
          })}},
        {QStringLiteral("series"),
         {{kDb, QStringLiteral("--name"), QStringLiteral("--races"), QStringLiteral("--planned"), QStringLiteral("--points"),
           QStringLiteral("--points-list"), QStringLiteral("--place"), QStringLiteral("--best"), QStringLiteral("--minimum"),
           QStringLiteral("--prizes"), QStringLiteral("--no-club")},
          {},
          &tx::cliHelpSeries,
          [](const Arguments& args, const QString& db, QTextStream& out, QTextStream& err) {
              // The season's series (cli/cmd_series.cpp).
              const auto session = openSession(db, false, err);
              if (!session)
                  return int(Failed);
              return runSeries(session->database(), args.values, args.repeated.value(QStringLiteral("--no-club")),
                               out, err);
          }}},
        {QStringLiteral("log"), {{kDb, QStringLiteral("--race"), QStringLiteral("--format")}, {}, &tx::cliHelpLog, &changeLog}},
    };
    return all;
}

} // namespace

bool isCommand(const QStringList& arguments)
{
    if (arguments.size() < 2)
        return false;
    const QString& first = arguments.at(1);
    return !first.startsWith(QLatin1String("--")) || first == QLatin1String("--help") || first == QLatin1String("-h")
        || first == QLatin1String("--version") || first == QLatin1String("--man")
        || first == QLatin1String("--bash-completion");
}

QString manPage()
{
    // roff: a backslash and a line starting with a dot or a quote are escaped.
    const auto roff = [](const QString& text) {
        QString out;
        for (QString line : text.split(QLatin1Char('\n'))) {
            line.replace(QLatin1Char('\\'), QStringLiteral("\\e"));
            if (line.startsWith(QLatin1Char('.')) || line.startsWith(QLatin1Char('\'')))
                line.prepend(QStringLiteral("\\&"));
            out += line + QLatin1Char('\n');
        }
        return out;
    };
    QString page = QStringLiteral(".TH KELVORA 1 \"\" \"Kelvora " KVR_VERSION "\" \"Kelvora\"\n"
                                  ".SH IME\nkelvora \\- utrke, startne liste, rezultati i poredak\n"
                                  ".SH SINOPSIS\n.nf\n");
    page += roff(tx::cliUsage());
    page += QStringLiteral(".fi\n.SH KOMANDE\n");
    QStringList names = commands().keys();
    names.sort();
    for (const QString& name : names) {
        page += QStringLiteral(".SS %1\n.nf\n").arg(name);
        page += roff(commands().value(name).help());
        page += QStringLiteral(".fi\n");
    }
    page += QStringLiteral(".SH DATOTEKE\n"
                           "Bez \\-\\-db i KELVORA_DB program radi u kvr.mdb pokraj programa ako ta datoteka postoji "
                           "ili se mapa programa smije pisati, inače u ~/.local/share/kelvora/kvr.mdb.\n");
    return page;
}

QString bashCompletion()
{
    QStringList names = commands().keys();
    names.sort();
    QString script = QStringLiteral("# bash completion for kelvora\n_kelvora()\n{\n"
                                    "    local cur=\"${COMP_WORDS[COMP_CWORD]}\"\n"
                                    "    if [ \"$COMP_CWORD\" -eq 1 ]; then\n"
                                    "        COMPREPLY=( $(compgen -W \"%1 --help --version --db\" -- \"$cur\") )\n"
                                    "        return\n    fi\n    case \"${COMP_WORDS[1]}\" in\n")
                         .arg(names.join(QLatin1Char(' ')));
    for (const QString& name : names) {
        const Command& c = commands().value(name);
        QStringList options = QStringList(c.valueOptions.cbegin(), c.valueOptions.cend())
            + QStringList(c.flagOptions.cbegin(), c.flagOptions.cend());
        options.append(QStringLiteral("--help"));
        options.sort();
        script += QStringLiteral("        %1) COMPREPLY=( $(compgen -W \"%2\" -- \"$cur\") ) ;;\n")
                      .arg(name, options.join(QLatin1Char(' ')));
    }
    script += QStringLiteral("    esac\n    [ ${#COMPREPLY[@]} -eq 0 ] && COMPREPLY=( $(compgen -f -- \"$cur\") )\n}\n"
                             "complete -F _kelvora kelvora\n");
    return script;
}

QString databaseArgument(const QStringList& arguments, const QString& defaultLocation)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments.at(i);
        if (a == kDb && i + 1 < arguments.size())
            return arguments.at(i + 1);
        if (a.startsWith(kDb + QLatin1Char('=')))
            return a.mid(kDb.size() + 1);
    }
    const QString fromEnvironment = qEnvironmentVariable("KELVORA_DB");
    return fromEnvironment.isEmpty() ? defaultLocation : fromEnvironment;
}

int run(const QStringList& arguments, const QString& defaultLocation, QTextStream& out, QTextStream& err)
{
    const QString name = arguments.value(1);
    if (name == QLatin1String("--help") || name == QLatin1String("-h")) {
        out << tx::cliUsage();
        return Done;
    }
    if (name == QLatin1String("--version")) {
        out << tx::appVersionLine() << '\n';
        return Done;
    }
    // The manual page and the shell completion, made from the same texts at build time.
    if (name == QLatin1String("--man")) {
        out << manPage();
        return Done;
    }
    if (name == QLatin1String("--bash-completion")) {
        out << bashCompletion();
        return Done;
    }
    const auto it = commands().constFind(name);
    if (it == commands().cend()) {
        err << tx::cliUnknownCommand(name) << Qt::endl;
        return Usage;
    }
    const Arguments args = parse(arguments.mid(2), it->valueOptions, it->flagOptions);
    if (args.help) {
        out << it->help();
        return Done;
    }
    if (!args.error.isEmpty()) {
        err << args.error << Qt::endl << it->help();
        return Usage;
    }
    return it->run(args, databaseArgument(arguments, defaultLocation), out, err);
}

} // namespace cli
