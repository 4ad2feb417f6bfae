#include "ui/frmcilj.h"

#include "app/editlog.h"
#include "app/racesession.h"
#include "core/texts.h"
#include "core/texts_finishline.h"
#include "ui/filechooser.h"
#include "ui/listdelegate.h"
#include "ui/messagebox.h"
#include "ui/widgets.h"

#include <QBrush>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QPalette>
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
#include <functional>

namespace {

// The state of a row by colour; a deleted row struck out.
class StateColours : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role == Qt::BackgroundRole && QIdentityProxyModel::data(index, finishline::CaptureModel::DoubtRole).toBool())
            return QBrush(QColor(0xff, 0xb0, 0x60)); // "provjeri": looked at before anything else
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
            case finishline::CaptureModel::kPendingState:
                return QBrush(QColor(0xf0, 0xf0, 0xf8));
            default:
                return QBrush(QColor(0xe8, 0xe8, 0xe8));
            }
        }
        // A cell cut to its column (the state's longer texts) reads whole in its tooltip.
        if (role == Qt::ToolTipRole) {
            const QString text = QIdentityProxyModel::data(index, Qt::DisplayRole).toString();
            return text.isEmpty() ? QVariant() : QVariant(text);
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

// "Umetni vrijeme...": a time (the format shown, the time half-way between
// the selected row and the next filled in) and an optional number.
class InsertTimeDialog : public QDialog {
public:
    InsertTimeDialog(const QString& suggested, QWidget* parent)
        : QDialog(parent)
    {
        setObjectName(QStringLiteral("frmumetni"));
        setWindowTitle(tx::flInsert());
        ui::fitTitle(this);
        time = new QLineEdit(suggested);
        time->setObjectName(QStringLiteral("txtumetnivrijeme"));
        number = new QLineEdit;
        number->setObjectName(QStringLiteral("txtumetnibroj"));
        number->setMaxLength(6);
        auto* form = new QFormLayout;
        form->addRow(tx::flInsertTimeLabel(), time);
        form->addRow(tx::flNumber(), number);
        refusal = new QLabel;
        refusal->setStyleSheet(QStringLiteral("color: #b00000"));
        refusal->setWordWrap(true);
        form->addRow(refusal);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        auto* layout = new QVBoxLayout(this);
        layout->addLayout(form);
        layout->addWidget(buttons);
        // Wide enough for its title in the title bar, with the bar's buttons.
        setMinimumWidth(fontMetrics().horizontalAdvance(windowTitle()) * 2 + 160);
        time->setFocus();
        time->selectAll();
    }
    QLineEdit* time = nullptr;
    QLineEdit* number = nullptr;
    QLabel* refusal = nullptr; // why the last try was refused; what was typed stays
};

// Asks for a text until the use case takes it or the user cancels: a
// refusal asks again with its message and what was typed.
void askUntilTaken(QWidget* parent, const QString& title, const QString& label, QString text,
                   const std::function<Status(const QString&)>& take, const std::function<void(const Status&)>& report)
{
    QString asked = label;
    while (true) {
        bool ok = false;
        text = QInputDialog::getText(parent, title, asked, QLineEdit::Normal, text, &ok);
        if (!ok)
            return;
        const Status taken = take(text);
        if (taken.kind() != Status::Kind::Refused) {
            report(taken);
            return;
        }
        asked = taken.refusal().message + QLatin1Char('\n') + label;
    }
}

} // namespace

frmcilj::frmcilj(RaceSession& session, std::shared_ptr<finishline::Clock> clock, QWidget* parent)
    : QDialog(parent)
    , m_session(session)
    , m_line(std::make_unique<finishline::FinishLine>(session, std::move(clock), QString(),
                                                       finishline::CaptureWriter::Mode::Threaded))
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
    lsvcilj->header()->resizeSection(4, metrics.horizontalAdvance(QString(17, QLatin1Char('n'))));
    connect(m_model, &QAbstractItemModel::rowsInserted, this, [this] {
        if (!m_keptRow)
            lsvcilj->scrollToBottom();
    });
    connect(m_model, &QAbstractItemModel::modelReset, this, &frmcilj::onReset);
    lsvcilj->installEventFilter(this);
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
    lblcilj = new QLabel;
    lblcilj->setObjectName(QStringLiteral("lblcilj"));
    connect(txtcilj, &QLineEdit::textChanged, this, &frmcilj::showPreview);

    cmdumetni = button(tx::flButtonInsert(), "cmdumetni");
    cmdobrisi = button(tx::flButtonDelete(), "cmdobrisi");
    cmdbroj = button(tx::flButtonNumber(), "cmdbroj");
    cmdpomakgore = button(tx::flButtonUp(), "cmdpomakgore");
    cmdpomakdolje = button(tx::flButtonDown(), "cmdpomakdolje");
    cmdpotvrdi = button(tx::flConfirm(), "cmdpotvrdi");
    cmdzatvori = button(tx::flClose(), "cmdzatvori");
    cmdumetni->setToolTip(QStringLiteral("Insert"));
    cmdobrisi->setToolTip(QStringLiteral("Delete"));
    cmdbroj->setToolTip(QStringLiteral("F2"));
    cmdpomakgore->setToolTip(QStringLiteral("Ctrl+Up"));
    cmdpomakdolje->setToolTip(QStringLiteral("Ctrl+Down"));
    auto* side = new QVBoxLayout;
    for (QPushButton* b : {cmdumetni, cmdobrisi, cmdbroj, cmdpomakgore, cmdpomakdolje, cmdpotvrdi})
        side->addWidget(b);
    side->addStretch(1);
    side->addWidget(cmdzatvori);
    auto* middle = new QHBoxLayout;
    middle->addWidget(lsvcilj, 1);
    middle->addLayout(side);

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
    layout->addLayout(middle, 1);
    layout->addLayout(entry);
    layout->addWidget(lblcilj);
    layout->addWidget(lblbrojevi);
    layout->addWidget(lblcekanje);
    layout->addWidget(lblstanje);

    m_corrections = new QMenu(this);
    connect(cmdvrijeme, &QPushButton::clicked, this, [this] { recordTime(); });
    connect(cmdstart, &QPushButton::clicked, this, &frmcilj::onStart);
    connect(cmdponististart, &QPushButton::clicked, this, &frmcilj::onUndoStart);
    connect(cmdupisistart, &QPushButton::clicked, this, &frmcilj::onSetStart);
    connect(cmduvozcilj, &QPushButton::clicked, this, &frmcilj::importFile);
    connect(cmdumetni, &QPushButton::clicked, this, &frmcilj::onInsert);
    connect(cmdobrisi, &QPushButton::clicked, this, &frmcilj::onDelete);
    connect(cmdbroj, &QPushButton::clicked, this, &frmcilj::onChangeNumber);
    connect(cmdpomakgore, &QPushButton::clicked, this, [this] { onShift(true); });
    connect(cmdpomakdolje, &QPushButton::clicked, this, [this] { onShift(false); });
    connect(cmdpotvrdi, &QPushButton::clicked, this, [this] {
        const QList<qint64> ids = selectedRowIds();
        m_keptRow = ids.value(0);
        report(m_line->confirm(ids));
        txtcilj->setFocus();
    });
    connect(m_line.get(), &finishline::FinishLine::corrected, this, [this](qint64 rowId) {
        m_keptRow = rowId;
        onReset();
    });
    connect(cmdzatvori, &QPushButton::clicked, this, &QWidget::close);
    connect(m_line.get(), &finishline::FinishLine::problem, lblstanje, &QLabel::setText);
    connect(m_line.get(), &finishline::FinishLine::rowsReset, this, &frmcilj::showPreview);
    connect(m_line.get(), &finishline::FinishLine::pendingChanged, this, &frmcilj::showPreview);
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
    // The state column in view beside the buttons on a 1366x768 screen.
    resize(1200, 680);
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
    lblbrojevi->setText(c.numbersWaiting ? tx::flCountsWaiting(c.times, c.numbered, c.without, c.numbersWaiting)
                                         : tx::flCounts(c.times, c.numbered, c.without));
    // A time waiting for its number, or a number for its time, stands out;
    // set only when that changes, not at every press.
    const bool standOut = c.without || c.numbersWaiting;
    if (standOut != lblbrojevi->font().bold()) {
        QFont bold = font();
        bold.setBold(standOut);
        lblbrojevi->setFont(bold);
        QPalette colours = palette();
        if (standOut)
            colours.setColor(QPalette::WindowText, QColor(0xb0, 0x00, 0x00));
        lblbrojevi->setPalette(colours);
    }
    // Entries wait a moment for the writer every time; only a wait of over
    // a second is news.
    const int pending = int(m_line->pending().size());
    lblcekanje->setText(pending && m_line->oldestPendingMs() > 1000 ? tx::flPendingCount(pending) : QString());
}

void frmcilj::tick()
{
    const auto elapsed = m_line->elapsedNow();
    lblsat->setText(elapsed ? timing::elapsedText(*elapsed) : tx::flNoStart());
    cmdstart->setEnabled(!m_line->startMs());
    cmdponististart->setEnabled(m_line->canUndoStart());
    if (!m_line->pending().isEmpty() || !lblcekanje->text().isEmpty())
        showCounts();
}

void frmcilj::showPreview()
{
    lblcilj->setText(m_line->numberPreview(txtcilj->text()));
}

void frmcilj::onReset()
{
    if (!m_keptRow) {
        lsvcilj->scrollToBottom();
        return;
    }
    for (int row = m_model->rowCount() - 1; row >= 0; --row)
        if (m_model->rowId(row) == m_keptRow) {
            const QModelIndex at = lsvcilj->model()->index(row, 0);
            lsvcilj->selectionModel()->select(at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            lsvcilj->selectionModel()->setCurrentIndex(at, QItemSelectionModel::NoUpdate);
            lsvcilj->scrollTo(at);
            return;
        }
}

void frmcilj::selectRow(qint64 rowId)
{
    m_keptRow = rowId;
    onReset();
}

void frmcilj::recordTime(quint64 eventTimestamp)
{
    // The newest time is what the operator looks at now.
    m_keptRow = 0;
    report(m_line->press(m_line->momentOfEvent(eventTimestamp)));
    showCounts();
}

void frmcilj::enterNumber()
{
    if (report(m_line->number(txtcilj->text())))
        txtcilj->clear();
    showCounts();
}

bool frmcilj::handleKey(QKeyEvent* key, bool inNumberField)
{
    const Qt::KeyboardModifiers mods = key->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
    switch (key->key()) {
    case Qt::Key_Space:
        // A key held down repeats: one time only.
        if (mods == Qt::NoModifier && !key->isAutoRepeat())
            recordTime(key->timestamp());
        return mods == Qt::NoModifier;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!inNumberField)
            return false;
        if (!key->isAutoRepeat())
            enterNumber();
        return true;
    case Qt::Key_Escape:
        // Never closes the window: a wrong number is typed again.
        txtcilj->clear();
        return true;
    case Qt::Key_Z:
        if (mods == Qt::ControlModifier || mods == (Qt::ControlModifier | Qt::ShiftModifier)) {
            onUndo(mods == Qt::ControlModifier);
            return true;
        }
        return false;
    case Qt::Key_Insert:
        onInsert();
        return true;
    case Qt::Key_Delete:
        // In the number field it deletes a digit while there is one.
        if (inNumberField && !txtcilj->text().isEmpty())
            return false;
        onDelete();
        return true;
    case Qt::Key_F2:
        onChangeNumber();
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (mods != Qt::ControlModifier)
            return false;
        onShift(key->key() == Qt::Key_Up);
        return true;
    default:
        return false;
    }
}

bool frmcilj::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == txtcilj || watched == lsvcilj) && event->type() == QEvent::KeyPress
        && handleKey(static_cast<QKeyEvent*>(event), watched == txtcilj))
        return true;
    // The field's own text undo is not offered: Ctrl+Z is the finish line's.
    if (watched == txtcilj && event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Z && (key->modifiers() & Qt::ControlModifier)) {
            event->accept();
            return false;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmcilj::keyPressEvent(QKeyEvent* event)
{
    if (!handleKey(event, false))
        QDialog::keyPressEvent(event);
}

void frmcilj::closeEvent(QCloseEvent* event)
{
    // The race clock goes on without the window; closing by mistake would
    // leave finishers unrecorded.
    if (!m_closing && m_line->startMs()
        && !MessageBox::ask(this, tx::flTitle(), tx::flCloseQuestion(), QMessageBox::Question)) {
        event->ignore();
        txtcilj->setFocus();
        return;
    }
    m_closing = true;
    QDialog::closeEvent(event);
    // Shown again, it asks again.
    m_closing = false;
}

void frmcilj::reject()
{
    // Every way of closing asks first (closeEvent).
    if (m_closing)
        QDialog::reject();
    else
        close();
}

void frmcilj::closeWithoutAsking()
{
    m_closing = true;
    close();
}

void frmcilj::onUndo(bool undo)
{
    // The change log names this station's last change once the writer has stored it.
    if (!m_line->idle()) {
        lblstanje->setText(tx::flWaitForStore());
        return;
    }
    if (!m_editLog)
        m_editLog = new EditLog(m_session, this);
    if (const Status synced = m_editLog->sync(); !report(synced))
        return;
    if (undo ? !m_editLog->canUndo() : !m_editLog->canRedo()) {
        lblstanje->setText(undo ? tx::flNothingToUndo() : tx::flNothingToRedo());
        return;
    }
    report(undo ? m_editLog->undo() : m_editLog->redo());
    showCounts();
}

void frmcilj::onInsert()
{
    // Half-way between the selected row and the next one.
    QString suggested;
    const QModelIndexList rows = lsvcilj->selectionModel()->selectedRows();
    if (!rows.isEmpty()) {
        const int at = rows.last().row();
        const timing::CapturedRow* here = m_line->row(m_model->rowId(at));
        const timing::CapturedRow* next = m_line->row(m_model->rowId(at + 1));
        if (here && here->timeMs)
            suggested = timing::timeOfDayText(next && next->timeMs ? (*here->timeMs + *next->timeMs) / 2 : *here->timeMs, 1);
    }
    InsertTimeDialog dialog(suggested, this);
    while (dialog.exec() == QDialog::Accepted) {
        const auto inserted = m_line->insertTime(dialog.time->text(), dialog.number->text());
        if (inserted.kind() != Outcome<timing::CapturedRow>::Kind::Refused) {
            // Selected once stored (corrected()).
            report(inserted);
            break;
        }
        dialog.refusal->setText(inserted.refusal().message);
    }
    txtcilj->setFocus();
}

qint64 frmcilj::oneSelectedRow()
{
    const QList<qint64> ids = selectedRowIds();
    if (ids.size() != 1) {
        lblstanje->setText(tx::flSelectOne());
        return 0;
    }
    m_keptRow = ids.first();
    return ids.first();
}

void frmcilj::onDelete()
{
    if (const qint64 id = oneSelectedRow())
        if (const timing::CapturedRow* row = m_line->row(id))
            report(m_line->setDeleted(id, !row->deleted));
    onReset();
    txtcilj->setFocus();
}

void frmcilj::onChangeNumber()
{
    if (const qint64 id = oneSelectedRow()) {
        const timing::CapturedRow* row = m_line->row(id);
        askUntilTaken(
            this, tx::flChangeNumber(), tx::flNumber(), row ? row->number : QString(),
            [this, id](const QString& text) { return m_line->setNumber(id, text); },
            [this](const Status& s) { report(s); });
    }
    onReset();
    txtcilj->setFocus();
}

void frmcilj::onShift(bool up)
{
    const QList<qint64> ids = selectedRowIds();
    if (ids.isEmpty())
        return;
    m_keptRow = ids.first();
    report(m_line->shiftNumbers(ids, up));
    onReset();
    txtcilj->setFocus();
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
    const QString current = m_line->startMs() ? timing::timeOfDayText(*m_line->startMs(), 3) : QString();
    askUntilTaken(
        this, tx::flSetStart(), tx::flStart(), current, [this](const QString& text) { return m_line->setStart(text); },
        [this](const Status& s) { report(s); });
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
    m_corrections->addAction(tx::flInsert(), this, &frmcilj::onInsert);
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
