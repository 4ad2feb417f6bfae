#include "ui/resultspage.h"

#include <QPointer>

#include "app/lookup.h"
#include "app/racesession.h"
#include "core/texts.h"
#include "ui/fieldrules.h"
#include "ui/frmkelvora.h"
#include "ui/listview.h"
#include "ui/messagebox.h"
#include "ui/pageutil.h"
#include "ui/widgets.h"

#include <QAction>
#include <QKeyEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTreeView>
#include <algorithm>

namespace {

// An empty number field has no text to undo: Ctrl+Z (and Ctrl+Shift+Z) go
// to the program's undo instead of the field's.
class PassUndoWhenEmpty : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::ShortcutOverride) {
            auto* key = static_cast<QKeyEvent*>(event);
            auto* field = qobject_cast<QLineEdit*>(watched);
            if (field && field->text().isEmpty() && key->key() == Qt::Key_Z
                && (key->modifiers() & Qt::ControlModifier)) {
                event->ignore();
                return true;
            }
        }
        return false;
    }
};

} // namespace

ResultsPage::ResultsPage(frmkelvora& frame, RaceSession& session)
    : m_frame(frame)
    , m_session(session)
{
    txtsbrojr = ui::lineEdit("txtsbrojr", 6);
    txtvrijeme = ui::lineEdit("txtvrijeme", 8);
    rules::FieldFilter::install(txtsbrojr, rules::FieldKind::StartNumber);
    rules::FieldFilter::install(txtvrijeme, rules::FieldKind::Time);
    txtsbrojr->installEventFilter(new PassUndoWhenEmpty(txtsbrojr));
    cmdunos = ui::pageButton(tx::buttonEnterFinish(), "cmdunos");
    lblbrojr = ui::named(ui::label(), "lblbrojr");
    lblbrojr->setWordWrap(true);
    connect(txtsbrojr, &QLineEdit::textChanged, this, &ResultsPage::showNumberNote);
    connect(cmdunos, &QPushButton::clicked, this, &ResultsPage::enterFinish);
    // At the judges' pace: Enter moves from the start number to the time,
    // and Enter in the time stores the pair.
    connect(txtsbrojr, &QLineEdit::returnPressed, this, [this] { txtvrijeme->setFocus(Qt::TabFocusReason); });
    connect(txtvrijeme, &QLineEdit::returnPressed, cmdunos, &QPushButton::click);

    lsv2 = ui::listView("lsv2", session.finishListModel(), lists::finishColumns());
    lsv2->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(lsv2, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        // Offered whether or not the list has rows; the item then does nothing.
        m_frame.mnuciljnalista->popup(lsv2->viewport()->mapToGlobal(pos));
    });
    lsv3 = ui::listView("lsv3", session.finishDetailModel(), lists::detailColumns());
    lsv3->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(lsv3, &QWidget::customContextMenuRequested, this, &ResultsPage::onDetailMenu);
    ui::keepSelectionAcrossResets(lsv2, {lists::FinishKey, lists::FinishTime});
    ui::keepSelectionAcrossResets(lsv3, {lists::DetailNumber, lists::DetailTime});
    // Another station's change read in: the counters follow, nothing else moves.
    connect(&session, &RaceSession::listsReloaded, this, [this] {
        if (m_frame.hasCurrentRace())
            showCounters();
    });
    // The note follows whatever changes the lists, and so does the count of
    // finishers (a captured row deleted at the finish line takes its record).
    connect(&session, &RaceSession::listsChanged, this, &ResultsPage::showNumberNote);
    connect(&session, &RaceSession::listsChanged, this, [this] {
        if (m_frame.hasCurrentRace())
            showCounters();
    });

    auto* entry = new QVBoxLayout;
    entry->addLayout(ui::captioned(tx::fieldFinishStartNumber(), txtsbrojr));
    entry->addWidget(lblbrojr);
    entry->addLayout(ui::captioned(tx::fieldFinishTime(), txtvrijeme));
    entry->addWidget(cmdunos);
    entry->addWidget(lsv2, 1);
    auto* entryPanel = new QWidget;
    entryPanel->setLayout(entry);
    entryPanel->setFixedWidth(230);

    auto* listCaption = ui::label(tx::finishListCaption());
    QFont bold = listCaption->font();
    bold.setBold(true);
    listCaption->setFont(bold);

    lbliz4 = ui::counterLabel("lbliz4");
    lbliz5 = ui::counterLabel("lbliz5");
    lbliz6 = ui::counterLabel("lbliz6");
    auto* counters = new QHBoxLayout;
    counters->addLayout(ui::captioned(tx::counterRegistered(), lbliz4));
    counters->addLayout(ui::captioned(tx::counterStarted(), lbliz5));
    counters->addLayout(ui::captioned(tx::counterFinished(), lbliz6));
    counters->addStretch(1);

    auto* details = new QVBoxLayout;
    details->addWidget(listCaption);
    details->addWidget(lsv3, 1);
    details->addLayout(counters);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(entryPanel);
    layout->addLayout(details, 1);

    setTabOrder(txtsbrojr, txtvrijeme);
    setTabOrder(txtvrijeme, cmdunos);
}

void ResultsPage::refresh()
{
    if (readLists())
        m_frame.mnuciljnalista->menuAction()->setVisible(true);
}

bool ResultsPage::readLists()
{
    m_frame.mnustartnalista->menuAction()->setVisible(false);
    if (m_session.startList().isEmpty()) {
        MessageBox::notice(&m_frame, tx::startListEmpty());
        m_frame.selectPage(frmkelvora::PageStartList);
        return false;
    }
    if (!m_session.hasRace()) {
        MessageBox::notice(&m_frame, tx::openOrCreateRace());
        return false;
    }
    // Reads the lists again only when another writer changed them.
    if (const Status fresh = m_session.refresh(); !fresh) {
        showCounters();
        lbliz6->clear();
        m_frame.showDbError(fresh.dbError());
        return false;
    }
    showCounters();
    return !m_session.finishList().isEmpty();
}

void ResultsPage::showCounters()
{
    lbliz4->setText(QString::number(m_session.registeredCount()));
    lbliz5->setText(QString::number(m_session.startedCount()));
    lbliz6->setText(QString::number(m_session.finishList().size()));
}

void ResultsPage::onDetailMenu(const QPoint& pos)
{
    // Both lists show the finish records in the same order: the row chosen
    // here is chosen in lsv2 too, whose "Status..." then opens for it.
    const QModelIndex at = lsv3->indexAt(pos);
    if (!at.isValid())
        return;
    const auto rows = QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;
    lsv3->selectionModel()->setCurrentIndex(at, rows);
    const QModelIndex same = lsv2->model()->index(at.row(), 0);
    lsv2->selectionModel()->setCurrentIndex(same, rows);
    lsv2->scrollTo(same);
    if (!mnudetalj) {
        mnudetalj = new QMenu(this);
        mnudetalj->setObjectName(QStringLiteral("mnudetalj"));
        mnudetalj->addAction(m_frame.mnustatusciljna);
    }
    mnudetalj->popup(lsv3->viewport()->mapToGlobal(pos));
}

void ResultsPage::showNumberNote()
{
    lblbrojr->setText(lookup::finishNumberNote(m_session, txtsbrojr->text()));
}

void ResultsPage::enterFinish()
{
    if (m_storing)
        return;
    const ui::FieldMap fields{{Field::FinishStartNumber, txtsbrojr}, {Field::FinishTime, txtvrijeme}};
    // The window goes on answering while the entry is stored; the fields
    // wait, keeping what was typed, until the database has answered.
    const QPointer<ResultsPage> self(this);
    const auto checked = m_session.enterFinishInBackground(
        txtsbrojr->text(), txtvrijeme->text(), [self, fields](const Outcome<FinishRecord>& stored) {
            if (self)
                self->finishStored(stored, fields);
        });
    if (!ui::succeeded(&m_frame, checked, fields))
        return;
    setStoring(true);
}

void ResultsPage::setStoring(bool storing)
{
    m_storing = storing;
    for (QWidget* w : std::initializer_list<QWidget*>{txtsbrojr, txtvrijeme, cmdunos})
        w->setEnabled(!storing);
    if (storing)
        lblbrojr->setText(tx::finishStoring());
}

void ResultsPage::finishStored(const Outcome<FinishRecord>& stored, const ui::FieldMap& fields)
{
    setStoring(false);
    if (!ui::succeeded(&m_frame, stored, fields)) {
        showNumberNote();
        return;
    }
    showAgain();
    txtsbrojr->clear();
    txtvrijeme->clear();
    txtsbrojr->setFocus(Qt::OtherFocusReason);
    // The new record comes into sight in both lists.
    const QList<FinishRecord>& finishes = m_session.finishList();
    const auto it = std::find_if(finishes.cbegin(), finishes.cend(),
                                 [id = stored.value().id](const FinishRecord& r) { return r.id == id; });
    if (it != finishes.cend()) {
        const int row = int(it - finishes.cbegin());
        lsv2->scrollTo(lsv2->model()->index(row, 0));
        lsv3->scrollTo(lsv3->model()->index(row, 0));
    }
}

void ResultsPage::removeFinish()
{
    if (m_session.finishList().isEmpty())
        return;
    // The last selected row wins; with none selected nothing is removed.
    QString startNumber;
    qint64 competitorId = 0;
    if (const int row = ui::lastSelectedRow(lsv2); row >= 0) {
        startNumber = m_session.finishList().at(row).sbroj;
        competitorId = m_session.finishList().at(row).idtakmicara;
    }
    if (!MessageBox::ask(&m_frame, tx::deleteCompetitorTitle(), tx::deleteFinishQuestion(startNumber),
                         QMessageBox::Question))
        return;
    if (!ui::succeeded(&m_frame, m_session.removeFinish(competitorId)))
        return;
    showAgain();
    txtsbrojr->setFocus(Qt::OtherFocusReason);
}

void ResultsPage::showAgain()
{
    // The counters and the menus as coming back to the page shows them,
    // without showing the start list's page in between: that would lay
    // out its whole list. The finish list's menu is set once, not hidden
    // and shown again: each change of the menu bar lays out and paints the
    // whole window.
    const bool withFinishMenu = readLists();
    m_frame.mnuciljnalista->menuAction()->setVisible(withFinishMenu);
}
