#include "ui/frmdnevnik.h"

#include "app/editlog.h"
#include "app/exports.h"
#include "app/racesession.h"
#include "app/station.h"
#include "core/texts.h"
#include "core/texts_editlog.h"
#include "ui/messagebox.h"
#include "ui/pageutil.h"
#include "ui/widgets.h"

#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QFontMetrics>
#include <QTreeView>
#include <QVBoxLayout>

frmdnevnik::frmdnevnik(RaceSession& session, QWidget* parent)
    : QDialog(parent)
    , m_session(session)
    , m_model(new ChangeLogModel(this))
{
    setObjectName(QStringLiteral("frmdnevnik"));
    setWindowTitle(tx::changeLogTitle());
    lsvdnevnik = ui::named(new QTreeView, "lsvdnevnik");
    lsvdnevnik->setRootIsDecorated(false);
    lsvdnevnik->setUniformRowHeights(true);
    lsvdnevnik->setModel(m_model);
    lsvdnevnik->setMinimumSize(900, 360);
    // Widths from the type shown, so the date and time are never cut off.
    const QFontMetrics metrics = lsvdnevnik->fontMetrics();
    const int margin = metrics.horizontalAdvance(QStringLiteral("MM"));
    const QString samples[] = {QStringLiteral("00000"),      QStringLiteral("00.00.0000. 00:00:00"),
                               QString(10, QLatin1Char('n')), QString(8, QLatin1Char('n')),
                               QString(16, QLatin1Char('n')), QStringLiteral("00000"),
                               QString(16, QLatin1Char('n')), QString(36, QLatin1Char('n')),
                               QStringLiteral("00000")};
    for (int i = 0; i < int(std::size(samples)); ++i)
        lsvdnevnik->setColumnWidth(i, metrics.horizontalAdvance(samples[i]) + margin);
    cbostanica = ui::named(new QComboBox, "cbostanica");
    cbovrsta = ui::named(new QComboBox, "cbovrsta");
    txttrazi = ui::lineEdit("txttrazi", 25);
    txtimestanice = ui::lineEdit("txtimestanice", 40);
    txtimestanice->setText(station::name());
    txtimestanice->setToolTip(tx::stationNameTip());
    cmdizvoz = ui::button(tx::changeLogExport(), "cmdizvoz");
    cmdzatvori = ui::button(tx::changeLogClose(), "cmdzatvori");
    connect(cbostanica, &QComboBox::currentIndexChanged, this, &frmdnevnik::applyFilter);
    connect(cbovrsta, &QComboBox::currentIndexChanged, this, &frmdnevnik::applyFilter);
    connect(txttrazi, &QLineEdit::textChanged, this, &frmdnevnik::applyFilter);
    connect(txtimestanice, &QLineEdit::editingFinished, this, &frmdnevnik::applyStationName);
    connect(cmdizvoz, &QPushButton::clicked, this, &frmdnevnik::exportCsv);
    connect(cmdzatvori, &QPushButton::clicked, this, &QDialog::reject);
    connect(&session, &RaceSession::listsReloaded, this, &frmdnevnik::load);

    auto* filters = new QHBoxLayout;
    filters->addWidget(ui::label(tx::changeLogStationFilter()));
    filters->addWidget(cbostanica);
    filters->addWidget(ui::label(tx::changeLogKindFilter()));
    filters->addWidget(cbovrsta);
    filters->addWidget(ui::label(tx::changeLogSearch()));
    filters->addWidget(txttrazi, 1);
    auto* own = new QHBoxLayout;
    own->addWidget(ui::label(tx::stationNameLabel()));
    own->addWidget(txtimestanice, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(own);
    layout->addLayout(filters);
    layout->addWidget(lsvdnevnik, 1);
    layout->addLayout(ui::buttonRow({cmdizvoz, cmdzatvori}));
}

bool frmdnevnik::load()
{
    const auto log = editlog::raceLog(m_session, m_session.race().id);
    if (!ui::succeeded(this, log))
        return false;
    m_model->setLog(log.value(), editlog::whoOf(log.value(), m_session.startList()));
    const QString station = cbostanica->currentData().toString();
    const QString kind = cbovrsta->currentData().toString();
    {
        const QSignalBlocker a(cbostanica);
        const QSignalBlocker b(cbovrsta);
        cbostanica->clear();
        cbostanica->addItem(tx::changeLogAll(), QString());
        for (const QString& s : m_model->stations())
            cbostanica->addItem(s, s);
        cbovrsta->clear();
        cbovrsta->addItem(tx::changeLogAll(), QString());
        for (const QString& code : m_model->kindCodes()) {
            const changes::Kind* k = changes::kind(code);
            cbovrsta->addItem(k ? k->words() : code, code);
        }
        cbostanica->setCurrentIndex(std::max(0, cbostanica->findData(station)));
        cbovrsta->setCurrentIndex(std::max(0, cbovrsta->findData(kind)));
    }
    applyFilter();
    return true;
}

void frmdnevnik::applyFilter()
{
    m_model->setFilter(cbostanica->currentData().toString(), cbovrsta->currentData().toString(), txttrazi->text());
    // The change and the kind read whole: fitted to the rows in sight (a
    // tree view measures no others), never narrower than their start.
    for (const int column : {4, 7}) {
        const int before = lsvdnevnik->columnWidth(column);
        lsvdnevnik->resizeColumnToContents(column);
        lsvdnevnik->setColumnWidth(column, std::max(before, lsvdnevnik->columnWidth(column)));
    }
}

void frmdnevnik::applyStationName()
{
    if (txtimestanice->text().trimmed() == station::name())
        return;
    editlog::setStationName(m_session, txtimestanice->text());
    txtimestanice->setText(station::name());
    emit stationRenamed();
}

void frmdnevnik::exportCsv()
{
    const QString suggested = m_session.race().ime.trimmed() + QStringLiteral(" - ") + tx::changeLogTitle()
        + QStringLiteral(".csv");
    const QString path = m_saveFileName
        ? m_saveFileName(suggested, tx::exportFilterCsv())
        : QFileDialog::getSaveFileName(this, tx::exportSaveTitle(), suggested, tx::exportFilterCsv());
    if (path.isEmpty())
        return;
    // What the list shows, filters included.
    QList<ChangeEntry> entries;
    QList<editlog::Who> who;
    const QList<int> rows = m_model->shownRows();
    for (auto it = rows.crbegin(); it != rows.crend(); ++it) {
        entries.append(m_model->entries().at(*it));
        who.append(m_model->who().at(*it));
    }
    if (const QString error = exports::saveFile(path, editlog::csv(entries, who)); !error.isEmpty()) {
        MessageBox::notice(this, error);
        return;
    }
    MessageBox::notice(this, tx::changeLogSaved(path));
}
