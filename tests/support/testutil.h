#pragma once

#include "core/records.h"
#include "data/database.h"
#include "ui/frmkelvora.h"
#include "ui/messagebox.h"
#include "ui/translation.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDialog>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

namespace testutil {

// A temporary directory holding the database file of one test.
class TempDb {
public:
    QString path() const { return m_dir.filePath(QStringLiteral("kvr.mdb")); }
    QString dir() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

// A child of root by object name, of the given type.
template <typename T>
T* find(QObject* root, const QString& name)
{
    return root->findChild<T*>(name);
}

// Creates a race in the database and makes it the window's current race, as
// opening it from the open-race dialog does.
qint64 makeCurrentRace(frmkelvora& window, const QString& name, const QDate& date,
                       const QString& organiser = QStringLiteral("AK Kelvora"));

// Stores a competitor of the current race in the database and refills the
// start list view.
qint64 addCompetitor(frmkelvora& window, const QString& startNumber, const QString& name, const QString& sex,
                     const QDate& birthDate, const QString& country = QStringLiteral("HRV"),
                     const QString& club = QStringLiteral("AK Split"));

// Stores a finish record of the current race in the database.
// Waits until every change the window stored in the background has been answered.
void settle(frmkelvora& window);
qint64 addFinish(frmkelvora& window, qint64 competitorId, const QString& startNumber, const QString& time);

// From now on the database file refuses every statement of this kind
// ("insert", "update" or "delete") on the table with the given error text, as
// a full disk or a locked file would; allowWrites lifts it. Both go through a
// connection of their own, beside the program's.
void refuseWrites(const QString& path, const QString& table, const QString& statement, const QString& error);
void allowWrites(const QString& path, const QString& table, const QString& statement);

// Runs one statement on the database file through a connection of its own,
// as another program writing the file would.
void execOnFile(const QString& path, const QString& sql);
// The file as an earlier version made it: the database does not refuse a
// finish record without its runner, so a test may leave one behind.
void withoutRunnerLinks(const QString& path);

// Whether the last message box was the database error carrying this text.
bool lastMessageIsDbError(const QString& error);

// Runs fn on the next modal dialog as soon as it is shown. A dialog that fn
// leaves open is closed after a few seconds so that a failing test cannot hang.
void onNextDialog(std::function<void(QDialog*)> fn);

// Triggers the window's menu item (QAction) with this object name.
void trigger(QWidget* window, const QString& actionName);

// The texts of one column of a list view, top to bottom.
QStringList columnTexts(QWidget* list, int column);
// One cell of a list view as it shows it.
QString cell(const QAbstractItemView* list, int row, int column);
// Adds a row of a list view to its selection.
void selectRow(QAbstractItemView* list, int row);
// The rows of a list view that are selected, top to bottom.
QList<int> selectedRows(const QAbstractItemView* list);
// Where a row of a list view is drawn, in its viewport.
QRect rowRect(const QAbstractItemView* list, int row);

// Runs a command of the command line in this process ("kelvora" put
// first); output, when given, gets what it printed, or its error when it
// failed. The exit status.
int runCli(const QStringList& arguments, QString* output = nullptr);

// The text of a file, read as UTF-8; empty when it cannot be read.
QString readText(const QString& path);

} // namespace testutil

// The main of every test: headless, Qt's own texts in Croatian as the
// program has them, message boxes answered by the test.
#define KVR_TEST_MAIN(TestObject)                                   \
    int main(int argc, char** argv)                                 \
    {                                                               \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))         \
            qputenv("QT_QPA_PLATFORM", "offscreen");                \
        /* Settings of this program's run alone, never the user's. */ \
        QTemporaryDir kvrSettings;                                  \
        qputenv("XDG_CONFIG_HOME", kvrSettings.path().toLocal8Bit()); \
        QApplication app(argc, argv);                               \
        ui::installQtTranslation(app);                              \
        MessageBox::setTestMode(true);                              \
        TestObject tc;                                              \
        QTEST_SET_MAIN_SOURCE_PATH                                  \
        return QTest::qExec(&tc, argc, argv);                       \
    }
