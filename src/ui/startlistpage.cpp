#include "ui/startlistpage.h"

#include "app/racesession.h"
#include "core/texts.h"
#include "ui/fieldrules.h"
#include "ui/frmizmjena.h"
#include "ui/frmkelvora.h"
#include "ui/listview.h"
#include "ui/messagebox.h"
#include "ui/pageutil.h"
#include "ui/widgets.h"

#include <QAction>
#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QTreeView>
#include <functional>

namespace {

// Runs an action on every left double click in a widget, on a row or on
// the empty space of a list alike.
class DoubleClickWatcher : public QObject {
public:
    DoubleClickWatcher(QWidget* watched, std::function<void()> action)
        : QObject(watched)
        , m_action(std::move(action))
    {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonDblClick
            && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            m_action();
        return false;
    }

private:
    std::function<void()> m_action;
};

} // namespace

StartListPage::StartListPage(frmkelvora& frame, RaceSession& session, QGridLayout* header)
    : m_frame(frame)
    , m_session(session)
{
    m_shown = new StartListShownModel(session.startListModel(), this);
    lsv1 = ui::listView("lsv1", m_shown, lists::startColumns());
    lsv1->setContextMenuPolicy(Qt::CustomContextMenu);
    lsv1->header()->setSectionsClickable(true);
    connect(lsv1->header(), &QHeaderView::sectionClicked, this, &StartListPage::onHeaderClicked);
    connect(lsv1, &QWidget::customContextMenuRequested, this, &StartListPage::onContextMenu);
    new DoubleClickWatcher(lsv1->viewport(), [this] { onDoubleClicked(); });
    ui::keepSelectionAcrossResets(lsv1, {lists::StartKey});
    ui::showStatusColumnWhenUsed(lsv1, lists::StartStatus, session);
    ui::showCategoryColumnWhenUsed(lsv1, lists::StartCategory, session);

    txtime = ui::lineEdit("txtime", 25);
    txtsbroj = ui::lineEdit("txtsbroj", 6);
    txtdrzava = ui::lineEdit("txtdrzava", 15);
    txtklub = ui::lineEdit("txtklub", 15);
    cbospol = ui::named(new QComboBox, "cbospol");
    cbospol->addItems({tx::sexMale(), tx::sexFemale()});
    cbospol->setCurrentIndex(1);
    cbospol->setEditable(false);
    txtdatumrod = ui::lineEdit("txtdatumrod", 10);
    rules::FieldFilter::install(txtsbroj, rules::FieldKind::StartNumber);
    rules::FieldFilter::install(txtdatumrod, rules::FieldKind::Date);

    cmddodaj = ui::pageButton(tx::buttonAddCompetitor(), "cmddodaj");
    cmdispis = ui::pageButton(tx::buttonPrintStartList(), "cmdispis");
    connect(cmddodaj, &QPushButton::clicked, this, &StartListPage::addCompetitor);
    // Enter in the last field adds the competitor, as the button does.
    connect(txtdatumrod, &QLineEdit::returnPressed, cmddodaj, &QPushButton::click);
    cmdpregled = ui::pageButton(tx::buttonPreview(), "cmdpregled");
    connect(cmdispis, &QPushButton::clicked, &frame, &frmkelvora::printStartList);
    connect(cmdpregled, &QPushButton::clicked, &frame, &frmkelvora::previewStartList);

    auto* fields = new QVBoxLayout;
    fields->addLayout(ui::captioned(tx::fieldName(), txtime));
    fields->addLayout(ui::captioned(tx::fieldStartNumber(), txtsbroj));
    fields->addLayout(ui::captioned(tx::fieldCountry(), txtdrzava));
    fields->addLayout(ui::captioned(tx::fieldClub(), txtklub));
    fields->addLayout(ui::captioned(tx::fieldSex(), cbospol));
    fields->addLayout(ui::captioned(tx::fieldBirthDate(), txtdatumrod));
    fields->addSpacing(8);
    fields->addWidget(cmddodaj);
    fields->addWidget(cmdispis);
    fields->addWidget(cmdpregled);
    fields->addStretch(1);

    auto* fieldPanel = new QWidget;
    fieldPanel->setLayout(fields);
    fieldPanel->setFixedWidth(200);

    txttrazi = ui::lineEdit("txttrazi", 25);
    txttrazi->setClearButtonEnabled(true);
    connect(txttrazi, &QLineEdit::textChanged, m_shown, &StartListShownModel::setSearch);
    auto* clearSearch = new QShortcut(QKeySequence(Qt::Key_Escape), txttrazi, nullptr, nullptr, Qt::WidgetShortcut);
    connect(clearSearch, &QShortcut::activated, txttrazi, &QLineEdit::clear);
    // Only while the page is shown.
    auto* findShortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F), this);
    connect(findShortcut, &QShortcut::activated, this, [this] {
        txttrazi->setFocus(Qt::ShortcutFocusReason);
        txttrazi->selectAll();
    });
    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(ui::label(tx::fieldSearch()));
    searchRow->addWidget(txttrazi, 1);
    auto* listColumn = new QVBoxLayout;
    listColumn->addLayout(searchRow);
    listColumn->addWidget(lsv1, 1);

    auto* body = new QHBoxLayout;
    body->addLayout(listColumn, 1);
    body->addWidget(fieldPanel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(header);
    layout->addLayout(body, 1);

    setTabOrder(txtime, txtsbroj);
    setTabOrder(txtsbroj, txtdrzava);
    setTabOrder(txtdrzava, txtklub);
    setTabOrder(txtklub, cbospol);
    setTabOrder(cbospol, txtdatumrod);
    setTabOrder(txtdatumrod, cmddodaj);
    setTabOrder(cmddodaj, cmdispis);
    setTabOrder(cmdispis, cmdpregled);
}

bool StartListPage::hasRows() const
{
    return !m_shown->order().isEmpty();
}

QList<QStringList> StartListPage::rowsInViewOrder(bool startNumbersOnly) const
{
    // The whole list in the view's order: a search narrows what is shown,
    // never what is printed.
    const QList<Competitor>& list = m_session.startList();
    QList<QStringList> rows;
    for (const int row : m_shown->order()) {
        const Competitor& c = list.at(row);
        if (startNumbersOnly && c.sbroj.trimmed().isEmpty())
            continue;
        rows.append(lists::startRow(c, row + 1));
    }
    return rows;
}

void StartListPage::addCompetitor()
{
    if (m_storing)
        return;
    const rules::CompetitorEntry entry{txtime->text(),  txtsbroj->text(),     txtdrzava->text(),
                                       txtklub->text(), cbospol->currentText(), txtdatumrod->text()};
    // The window goes on answering while the entry is stored; the fields
    // wait, keeping what was typed, until the database has answered.
    const QPointer<StartListPage> self(this);
    const auto checked = m_session.addCompetitorInBackground(entry, [self](const Outcome<Competitor>& stored) {
        if (self)
            self->competitorAdded(stored);
    });
    if (!ui::succeeded(this, checked, entryFields()))
        return;
    setStoring(true);
}

ui::FieldMap StartListPage::entryFields() const
{
    return {{Field::StartNumber, txtsbroj},
            {Field::BirthDate, txtdatumrod},
            {Field::Name, txtime},
            {Field::Club, txtklub},
            {Field::Country, txtdrzava}};
}

void StartListPage::setStoring(bool storing)
{
    m_storing = storing;
    for (QWidget* w : std::initializer_list<QWidget*>{txtime, txtsbroj, txtdrzava, txtklub, cbospol, txtdatumrod, cmddodaj})
        w->setEnabled(!storing);
}

void StartListPage::competitorAdded(const Outcome<Competitor>& stored)
{
    setStoring(false);
    if (!ui::succeeded(this, stored, entryFields()))
        return;
    // The sex box keeps its choice.
    for (QLineEdit* field : {txtime, txtsbroj, txtdrzava, txtklub, txtdatumrod})
        field->clear();
    m_frame.showStartListMenuIfRows();
    txtime->setFocus(Qt::OtherFocusReason);
    // The new competitor comes into sight (unless the search leaves them out).
    if (const QModelIndex added = ui::viewIndexOfSourceRow(lsv1, int(m_session.startPosition(stored.value().id)));
        added.isValid())
        lsv1->scrollTo(added);
}

void StartListPage::editCompetitor()
{
    const int row = ui::lastSelectedSourceRow(lsv1);
    if (row < 0) {
        MessageBox::notice(&m_frame, tx::noCompetitorSelected());
        return;
    }
    frmizmjena dialog(m_session, m_session.startList().at(row), &m_frame);
    dialog.exec();
}

void StartListPage::deleteCompetitor()
{
    if (!hasRows()) {
        MessageBox::notice(&m_frame, tx::noCompetitors());
        return;
    }
    // With nothing selected (the command is also on the menu bar) the key is
    // 0, which matches no competitor: the question names nobody and nothing
    // is deleted.
    qint64 id = 0;
    QString name;
    if (const int row = ui::lastSelectedSourceRow(lsv1); row >= 0) {
        id = m_session.startList().at(row).id;
        name = m_session.startList().at(row).ime;
    }
    // As the lists show it; the database checks again as it deletes, and
    // refuses a finisher's delete asked as a plain one.
    const bool withFinishRecord = m_session.finishedAsHeld(id);
    const bool confirmed = withFinishRecord
        ? MessageBox::ask(&m_frame, tx::deleteFinisherTitle(), tx::deleteFinisherQuestion(name), QMessageBox::Critical)
        : MessageBox::ask(&m_frame, tx::deleteCompetitorTitle(), tx::deleteCompetitorQuestion(name),
                          QMessageBox::Question);
    if (confirmed)
        deleteConfirmed(id, name, withFinishRecord);
}

void StartListPage::deleteConfirmed(qint64 id, const QString& name, bool withFinishRecord)
{
    const QPointer<StartListPage> self(this);
    const Status on = m_session.deleteCompetitorInBackground(id, withFinishRecord, [self, id, name, withFinishRecord](
                                                                                       const Status& deleted) {
        if (!self)
            return;
        if (!withFinishRecord && deleted.kind() == Status::Kind::Refused
            && deleted.refusal().message == tx::finisherMeanwhile()) {
            // Another station entered a time while the question was open:
            // nothing was deleted, and the question for a finisher is asked now.
            if (MessageBox::ask(&self->m_frame, tx::deleteFinisherTitle(), tx::deleteFinisherQuestion(name),
                                QMessageBox::Critical))
                self->deleteConfirmed(id, name, true);
            return;
        }
        ui::succeeded(&self->m_frame, deleted);
    });
    ui::succeeded(&m_frame, on);
}

void StartListPage::onHeaderClicked(int section)
{
    if (section == m_sortColumn) {
        m_sortDescending = !m_sortDescending;
    } else {
        m_sortColumn = section;
        m_sortDescending = false;
    }
    const Qt::SortOrder order = m_sortDescending ? Qt::DescendingOrder : Qt::AscendingOrder;
    lsv1->header()->setSortIndicatorShown(true);
    lsv1->header()->setSortIndicator(m_sortColumn, order);
    m_shown->sort(m_sortColumn, order);
}

void StartListPage::onContextMenu(const QPoint& pos)
{
    if (!hasRows())
        return;
    const QModelIndex at = lsv1->indexAt(pos);
    if (at.isValid())
        lsv1->selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_frame.mnustartnalista->popup(lsv1->viewport()->mapToGlobal(pos));
}

void StartListPage::onDoubleClicked()
{
    if (!hasRows()) {
        MessageBox::notice(&m_frame, tx::emptyListDoubleClick());
        return;
    }
    // With a row selected, the editing command runs exactly as from the menu.
    if (ui::lastSelectedRow(lsv1) >= 0)
        m_frame.mnuizmjenatakmicara->trigger();
    else
        MessageBox::notice(&m_frame, tx::selectRowToEdit());
}
