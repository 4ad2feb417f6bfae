#include "testutil.h"

#include "cli/commandline.h"
#include "core/texts.h"

#include <QAction>
#include <QDeadlineTimer>
#include <QFile>
#include <QRegularExpression>
#include <QPointer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextStream>
#include <QTimer>
#include <algorithm>

namespace testutil {

void execOnFile(const QString& path, const QString& sql)
{
    const QString connection = QStringLiteral("test-outside");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(path);
        if (!db.open())
            qFatal("cannot open %s", qPrintable(path));
        QSqlQuery q(db);
        if (!q.exec(sql))
            qFatal("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
    }
    QSqlDatabase::removeDatabase(connection);
}

qint64 makeCurrentRace(frmkelvora& window, const QString& name, const QDate& date, const QString& organiser)
{
    const auto id = window.database().insertRace(name, organiser, date);
    if (!id)
        qFatal("insertRace failed: %s", qPrintable(id.error()));
    if (!window.openRaceById(id.value()))
        qFatal("openRace failed");
    return id.value();
}

qint64 addCompetitor(frmkelvora& window, const QString& startNumber, const QString& name, const QString& sex,
                     const QDate& birthDate, const QString& country, const QString& club)
{
    Competitor c;
    c.idutrke = window.currentRaceId();
    c.sbroj = startNumber;
    c.ime = name;
    c.spol = sex;
    c.datum = birthDate;
    c.drzava = country;
    c.klub = club;
    const auto id = window.database().insertCompetitor(c);
    if (!id)
        qFatal("insertCompetitor failed: %s", qPrintable(id.error()));
    window.session().reload();
    return id.value();
}

void settle(frmkelvora& window)
{
    QTRY_VERIFY_WITH_TIMEOUT(!window.session().storing(), 5000);
}

qint64 addFinish(frmkelvora& window, qint64 competitorId, const QString& startNumber, const QString& time)
{
    FinishRecord r;
    r.idutrke = window.currentRaceId();
    r.idtakmicara = competitorId;
    r.sbroj = startNumber;
    r.vrijeme = time;
    const auto id = window.database().insertFinishRecord(r);
    if (!id)
        qFatal("insertFinishRecord failed: %s", qPrintable(id.error()));
    return id.value();
}

namespace {


QString triggerName(const QString& table, const QString& statement)
{
    return QStringLiteral("refuse_%1_%2").arg(table, statement);
}

} // namespace

void refuseWrites(const QString& path, const QString& table, const QString& statement, const QString& error)
{
    execOnFile(path, QStringLiteral("create trigger %1 before %2 on %3 begin select raise(abort, '%4'); end")
                         .arg(triggerName(table, statement), statement, table, error));
}

void allowWrites(const QString& path, const QString& table, const QString& statement)
{
    execOnFile(path, QStringLiteral("drop trigger %1").arg(triggerName(table, statement)));
}

void withoutRunnerLinks(const QString& path)
{
    for (const char* name : {"rezultati_takmicar_postoji", "rezultati_takmicar_izmjena", "startna_s_rezultatom"})
        execOnFile(path, QStringLiteral("drop trigger if exists %1").arg(QLatin1String(name)));
}

bool lastMessageIsDbError(const QString& error)
{
    // The driver's words are never shown: they are in the log the message names.
    const QString text = MessageBox::last().text;
    const QRegularExpression named(QStringLiteral("zapisane u (.+)\\)"));
    const QRegularExpressionMatch log = named.match(text);
    if (!text.startsWith(tx::dbError(QString())) || text.contains(error) || !log.hasMatch())
        return false;
    QFile file(log.captured(1));
    return file.open(QIODevice::ReadOnly) && QString::fromUtf8(file.readAll()).contains(error);
}

void onNextDialog(std::function<void(QDialog*)> fn)
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    auto deadline = std::make_shared<QDeadlineTimer>(10000);
    QObject::connect(timer, &QTimer::timeout, [timer, deadline, fn]() {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog && !deadline->hasExpired())
            return;
        timer->stop();
        timer->deleteLater();
        if (!dialog)
            return;
        QPointer<QDialog> guard(dialog);
        fn(dialog);
        QTimer::singleShot(3000, [guard]() {
            if (guard && guard->isVisible())
                guard->reject();
        });
    });
    timer->start();
}

void trigger(QWidget* window, const QString& actionName)
{
    auto* action = window->findChild<QAction*>(actionName);
    if (!action)
        qFatal("no action %s", qPrintable(actionName));
    action->trigger();
}

QStringList columnTexts(QWidget* list, int column)
{
    QStringList texts;
    auto* view = qobject_cast<QAbstractItemView*>(list);
    if (!view)
        return texts;
    for (int i = 0; i < view->model()->rowCount(); ++i)
        texts.append(cell(view, i, column));
    return texts;
}

QString cell(const QAbstractItemView* list, int row, int column)
{
    return list->model()->index(row, column).data().toString();
}

void selectRow(QAbstractItemView* list, int row)
{
    list->selectionModel()->select(list->model()->index(row, 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

QList<int> selectedRows(const QAbstractItemView* list)
{
    QList<int> rows;
    for (const QModelIndex& index : list->selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

QRect rowRect(const QAbstractItemView* list, int row)
{
    return list->visualRect(list->model()->index(row, 0));
}

int runCli(const QStringList& arguments, QString* output)
{
    QString out;
    QString err;
    QTextStream o(&out);
    QTextStream e(&err);
    const int code = cli::run(QStringList{QStringLiteral("kelvora")} + arguments, QString(), o, e);
    o.flush();
    e.flush();
    if (output)
        *output = code == 0 ? out : err;
    return code;
}

QString readText(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

} // namespace testutil
