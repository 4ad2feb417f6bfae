#include "ui/frmcilj.h"

#include "app/racesession.h"
#include "core/texts.h"
#include "core/texts_finishline.h"
#include "ui/filechooser.h"
#include "ui/listdelegate.h"
#include "ui/messagebox.h"

#include <QBrush>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

// The state of a row by colour; a deleted row struck out.
class StateColours : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role == Qt::BackgroundRole) {
            const int state = QIdentityProxyModel::data(index, finishline::CaptureModel::StateRole).toInt();
            switch (state) {
            case int(timing::RowState::Matched):
                return QBrush(QColor(0xd8, 0xf5, 0xd0));
            case int(timing::RowState::NotOnList):
            case int(timing::RowState::Conflict):
                return QBrush(QColor(0xf8, 0xc8, 0xc0));
            case int(timing::RowState::NumberUsed):
                return QBrush(QColor(0xfa, 0xdc, 0xa0));
            case int(timing::RowState::NoNumber):
                return QBrush(QColor(0xff, 0xf6, 0xc0));
            case int(timing::RowState::Waiting):
                return QBrush(QColor(0xd8, 0xe8, 0xff));
            default:
                return QBrush(QColor(0xe8, 0xe8, 0xe8));
            }
        }
        if (role == Qt::FontRole && QIdentityProxyModel::data(index, finishline::CaptureModel::DeletedRole).toBool()) {
            QFont font;
            font.setStrikeOut(true);
            return font;
        }
        return QIdentityProxyModel::data(index, role);
    }
};

QPushButton* button(const QString& caption, const char* name)
{
    auto* b = new QPushButton(caption);
    b->setObjectName(QString::fromLatin1(name));
    // A button never holds the focus: Space stays the key of a time.
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

} // namespace

frmcilj::frmcilj(RaceSession& session, std::shared_ptr<finishline::Clock> clock, QWidget* parent)
    : QDialog(parent)
    , m_session(session)
    , m_line(std::make_unique<finishline::FinishLine>(session, std::move(clock)))
{
    setObjectName(QStringLiteral("frmcilj"));
    setWindowTitle(tx::flTitle());
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint);
    QFont large = font();
    large.setPointSizeF(large.pointSizeF() * 1.6);
    setFont(large);

    lblsat = new QLabel;
    lblsat->setObjectName(QStringLiteral("lblsat"));
    QFont clockFont = large;
    clockFont.setPointSizeF(large.pointSizeF() * 2.5);
    clockFont.setBold(true);
    lblsat->setFont(clockFont);
    cmdstart = button(tx::flStart(), "cmdstart");
    cmdponististart = button(tx::flUndoStart(), "cmdponististart");
    cmdupisistart = button(tx::flSetStart(), "cmdupisistart");
    cmduvozcilj = button(tx::flImportMenu(), "cmduvozcilj");
    auto* top = new QHBoxLayout;
    top->addWidget(lblsat, 1);
    for (QPushButton* b : {cmdstart, cmdponististart, cmdupisistart, cmduvozcilj})
        top->addWidget(b);

    m_model = new finishline::CaptureModel(*m_line, this);
    auto* colours = new StateColours(this);
    colours->setSourceModel(m_model);
    lsvcilj = new QTreeView;
    lsvcilj->setObjectName(QStringLiteral("lsvcilj"));
    lsvcilj->setModel(colours);
    // Texts laid out once and kept, as the other lists paint theirs: a press
    // repaints the rows in sight.
    lsvcilj->setItemDelegate(new ui::ListDelegate(lsvcilj));
    lsvcilj->setRootIsDecorated(false);
    lsvcilj->setUniformRowHeights(true);
    lsvcilj->setAllColumnsShowFocus(true);
    lsvcilj->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lsvcilj->setSelectionBehavior(QAbstractItemView::SelectRows);
    lsvcilj->setFocusPolicy(Qt::NoFocus);
    lsvcilj->setContextMenuPolicy(Qt::CustomContextMenu);
    lsvcilj->header()->setStretchLastSection(true);
    // Measured in the list's own large type (a widget not yet in the window
    // would measure the default one), with room for the cell's margins: the
    // times must never be cut off.
    lsvcilj->setFont(large);
    const QFontMetrics metrics(large);
    const int margin = metrics.horizontalAdvance(QStringLiteral("MM"));
    lsvcilj->header()->resizeSection(0, metrics.horizontalAdvance(QStringLiteral("00000")) + margin);
    for (int c : {1, 2})
        lsvcilj->header()->resizeSection(c, metrics.horizontalAdvance(QStringLiteral("00:00:00.000")) + margin);
    lsvcilj->header()->resizeSection(3, metrics.horizontalAdvance(QStringLiteral("000000")) + margin);
    lsvcilj->header()->resizeSection(4, metrics.horizontalAdvance(QString(22, QLatin1Char('n'))));
    connect(m_model, &QAbstractItemModel::rowsInserted, lsvcilj, &QTreeView::scrollToBottom);
    connect(m_model, &QAbstractItemModel::modelReset, lsvcilj, &QTreeView::scrollToBottom);
    connect(lsvcilj, &QWidget::customContextMenuRequested, this, &frmcilj::onContextMenu);

    auto* numberLabel = new QLabel(tx::flNumber());
    txtcilj = new QLineEdit;
    txtcilj->setObjectName(QStringLiteral("txtcilj"));
    txtcilj->setMaxLength(6);
    txtcilj->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,6}")), txtcilj));
    txtcilj->installEventFilter(this);
    cmdvrijeme = button(tx::flTime(), "cmdvrijeme");
    auto* entry = new QHBoxLayout;
    entry->addWidget(numberLabel);
    entry->addWidget(txtcilj, 1);
    entry->addWidget(cmdvrijeme);

    lblbrojevi = new QLabel;
    lblbrojevi->setObjectName(QStringLiteral("lblbrojevi"));
    lblcekanje = new QLabel;
    lblcekanje->setObjectName(QStringLiteral("lblcekanje"));
    lblcekanje->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold"));
    lblstanje = new QLabel;
    lblstanje->setObjectName(QStringLiteral("lblstanje"));
    lblstanje->setStyleSheet(QStringLiteral("color: #b00000"));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(lsvcilj, 1);
    layout->addLayout(entry);
    layout->addWidget(lblbrojevi);
    layout->addWidget(lblcekanje);
    layout->addWidget(lblstanje);

    m_corrections = new QMenu(this);
    connect(cmdvrijeme, &QPushButton::clicked, this, [this] { recordTime(); });
    connect(cmdstart, &QPushButton::clicked, this, &frmcilj::onStart);
    connect(cmdponististart, &QPushButton::clicked, this, &frmcilj::onUndoStart);
    connect(cmdupisistart, &QPushButton::clicked, this, &frmcilj::onSetStart);
    connect(cmduvozcilj, &QPushButton::clicked, this, &frmcilj::importFile);
    connect(m_line.get(), &finishline::FinishLine::rowsReset, this, &frmcilj::showCounts);
    connect(m_line.get(), &finishline::FinishLine::rowAppended, this, &frmcilj::showCounts);
    connect(m_line.get(), &finishline::FinishLine::pendingChanged, this, &frmcilj::showCounts);
    connect(m_line.get(), &finishline::FinishLine::startChanged, this, &frmcilj::tick);

    auto* clockTimer = new QTimer(this);
    connect(clockTimer, &QTimer::timeout, this, &frmcilj::tick);
    clockTimer->start(100);
    // Another station's rows and numbers.
    auto* look = new QTimer(this);
    connect(look, &QTimer::timeout, this, [this] { m_line->refresh(); });
    look->start(1000);

    report(m_line->loadStatus());
    showCounts();
    tick();
    resize(1000, 700);
    txtcilj->setFocus();
}

frmcilj::~frmcilj() = default;

QString frmcilj::statusText() const
{
    return lblstanje->text();
}

template <typename T>
bool frmcilj::report(const Outcome<T>& outcome)
{
    if (outcome.ok()) {
        lblstanje->clear();
        return true;
    }
    lblstanje->setText(outcome.kind() == Outcome<T>::Kind::Refused ? outcome.refusal().message
                                                                   : tx::dbError(outcome.dbError()));
    return false;
}

void frmcilj::showCounts()
{
    const finishline::FinishLine::Counts c = m_line->counts();
    lblbrojevi->setText(tx::flCounts(c.times, c.numbered, c.without));
    const int pending = int(m_line->pending().size());
    lblcekanje->setText(pending ? tx::flPendingCount(pending) : QString());
}

void frmcilj::tick()
{
    const auto elapsed = m_line->elapsedNow();
    lblsat->setText(elapsed ? timing::elapsedText(*elapsed) : tx::flNoStart());
    cmdstart->setEnabled(!m_line->startMs());
    cmdponististart->setEnabled(m_line->canUndoStart());
}

void frmcilj::recordTime(quint64 eventTimestamp)
{
    report(m_line->press(m_line->momentOfEvent(eventTimestamp)));
    showCounts();
}

void frmcilj::enterNumber()
{
    if (report(m_line->number(txtcilj->text())))
        txtcilj->clear();
    showCounts();
}

bool frmcilj::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtcilj && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Space) {
            // A key held down repeats: one time only.
            if (!key->isAutoRepeat())
                recordTime(key->timestamp());
            return true;
        }
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (!key->isAutoRepeat())
                enterNumber();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmcilj::onStart()
{
    report(m_line->start());
    tick();
    txtcilj->setFocus();
}

void frmcilj::onUndoStart()
{
    // Asked before times are captured: a start is taken back only within a minute.
    if (!MessageBox::ask(this, tx::flUndoStart(), tx::flUndoQuestion(), QMessageBox::Question))
        return;
    report(m_line->undoStart());
    tick();
    txtcilj->setFocus();
}

void frmcilj::onSetStart()
{
    bool ok = false;
    const QString current = m_line->startMs() ? timing::timeOfDayText(*m_line->startMs(), 3) : QString();
    const QString text = QInputDialog::getText(this, tx::flSetStart(), tx::flStart(), QLineEdit::Normal, current, &ok);
    if (ok)
        report(m_line->setStart(text));
    tick();
    txtcilj->setFocus();
}

void frmcilj::importFile()
{
    const QString path = ui::FileChooser::openFile(this, tx::flImportMenu(), QString());
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        lblstanje->setText(file.errorString());
        return;
    }
    const auto imported = m_line->importTimes(file.readAll(), QFileInfo(path).fileName());
    if (report(imported))
        lblstanje->setText(tx::flImported(imported.value().paired, int(imported.value().added.size())));
    txtcilj->setFocus();
}

QList<qint64> frmcilj::selectedRowIds() const
{
    QList<qint64> ids;
    for (const QModelIndex& index : lsvcilj->selectionModel()->selectedRows())
        if (const qint64 id = m_model->rowId(index.row()))
            ids.append(id);
    return ids;
}

void frmcilj::onContextMenu(const QPoint& at)
{
    const QList<qint64> ids = selectedRowIds();
    const qint64 one = ids.size() == 1 ? ids.first() : 0;
    const timing::CapturedRow* row = one ? m_line->row(one) : nullptr;
    m_corrections->clear();
    m_corrections->addAction(tx::flInsert(), this, [this] {
        bool ok = false;
        const QString time = QInputDialog::getText(this, tx::flInsert(), tx::flColTimeOfDay(), QLineEdit::Normal, {}, &ok);
        if (!ok)
            return;
        const QString number = QInputDialog::getText(this, tx::flInsert(), tx::flNumber(), QLineEdit::Normal, {}, &ok);
        if (ok)
            report(m_line->insertTime(time, number));
    });
    QAction* remove = m_corrections->addAction(tx::flDelete(), this, [this, one] { report(m_line->setDeleted(one, true)); });
    QAction* restore = m_corrections->addAction(tx::flRestore(), this, [this, one] { report(m_line->setDeleted(one, false)); });
    QAction* change = m_corrections->addAction(tx::flChangeNumber(), this, [this, one, row] {
        bool ok = false;
        const QString number = QInputDialog::getText(this, tx::flChangeNumber(), tx::flNumber(), QLineEdit::Normal,
                                                     row ? row->number : QString(), &ok);
        if (ok)
            report(m_line->setNumber(one, number));
    });
    QAction* clear = m_corrections->addAction(tx::flClearNumber(), this, [this, one] { report(m_line->setNumber(one, {})); });
    QAction* up = m_corrections->addAction(tx::flShiftUp(), this, [this, ids] { report(m_line->shiftNumbers(ids, true)); });
    QAction* down = m_corrections->addAction(tx::flShiftDown(), this, [this, ids] { report(m_line->shiftNumbers(ids, false)); });
    remove->setEnabled(row && !row->deleted);
    restore->setEnabled(row && row->deleted);
    change->setEnabled(row != nullptr);
    clear->setEnabled(row && !row->number.isEmpty());
    up->setEnabled(!ids.isEmpty());
    down->setEnabled(!ids.isEmpty());
    m_corrections->popup(lsvcilj->viewport()->mapToGlobal(at));
    txtcilj->setFocus();
}
