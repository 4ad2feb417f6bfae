#include "ui/frmuvoz.h"

#include "core/texts.h"
#include "ui/pageutil.h"
#include "ui/widgets.h"

#include <QAbstractTableModel>
#include <QBrush>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

// The preview's rows as a list shows them, each cell asked for when drawn.
class PreviewModel : public QAbstractTableModel {
public:
    PreviewModel(const frmuvoz::Content& content, QObject* parent)
        : QAbstractTableModel(parent)
        , m_content(content)
    {
    }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : m_content.rowCount;
    }
    int columnCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_content.headers.size());
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid())
            return {};
        if (role == Qt::DisplayRole) {
            // A message of several lines is shown on one.
            QString text = m_content.cell(index.row(), index.column());
            text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
            text.replace(QLatin1Char('\n'), QLatin1Char(' '));
            return text;
        }
        if (role == Qt::ForegroundRole && !m_content.accepted(index.row()))
            return QBrush(Qt::darkRed);
        if (role == Qt::ForegroundRole && m_content.marked && m_content.marked(index.row()))
            return QBrush(Qt::darkBlue);
        // The row's whole state, however long: the list shows it on one line.
        if (role == Qt::ToolTipRole
            && (!m_content.accepted(index.row()) || (m_content.marked && m_content.marked(index.row()))))
            return m_content.cell(index.row(), int(m_content.headers.size()) - 1);
        return {};
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < m_content.headers.size())
            return m_content.headers.at(section);
        return {};
    }

    void reset()
    {
        beginResetModel();
        endResetModel();
    }

private:
    const frmuvoz::Content& m_content;
};

} // namespace

frmuvoz::frmuvoz(Content content, std::function<Status()> store, QWidget* parent)
    : QDialog(parent)
    , m_store(std::move(store))
{
    setObjectName(QStringLiteral("frmuvoz"));
    setWindowTitle(content.title);
    resize(900, 520);

    // The model keeps a reference to the content, which the dialog owns.
    m_content = std::move(content);
    lsvuvoz = ui::named(new QTreeView, "lsvuvoz");
    lsvuvoz->setRootIsDecorated(false);
    lsvuvoz->setUniformRowHeights(true);
    lsvuvoz->setAlternatingRowColors(true);
    lsvuvoz->setSelectionBehavior(QAbstractItemView::SelectRows);
    lsvuvoz->setModel(new PreviewModel(m_content, this));
    lsvuvoz->header()->setStretchLastSection(true);
    lsvuvoz->setColumnWidth(0, 60);
    fitColumns();

    // The selected row's whole state, on as many lines as it takes.
    lblrazlog = ui::named(ui::label(), "lblrazlog");
    lblrazlog->setWordWrap(true);
    lblrazlog->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblrazlog->setVisible(false);
    connect(lsvuvoz->selectionModel(), &QItemSelectionModel::currentChanged, this, &frmuvoz::showDetails);

    lblbroj = ui::named(ui::label(tx::importCounts(m_content.acceptedCount, m_content.refusedCount)), "lblbroj");

    cmduvezi = ui::button(tx::buttonImport(), "cmduvezi", true);
    cmduvezi->setEnabled(m_content.acceptedCount > 0);
    cmdodustani = ui::button(tx::buttonCancel(), "cmdodustani");
    connect(cmduvezi, &QPushButton::clicked, this, &frmuvoz::onImport);
    connect(cmdodustani, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lsvuvoz, 1);
    layout->addWidget(lblrazlog);
    layout->addWidget(lblbroj);
    layout->addLayout(ui::buttonRow({cmduvezi, cmdodustani}));
}

void frmuvoz::fitColumns()
{
    // Names and clubs whole: a tree view measures only the rows in sight,
    // so this costs the same for a file of 20,000 rows as for 20.
    for (int column = 1; column + 1 < lsvuvoz->model()->columnCount(); ++column)
        lsvuvoz->resizeColumnToContents(column);
}

void frmuvoz::onImport()
{
    if (!ui::succeeded(this, m_store()))
        return;
    accept();
}

void frmuvoz::setTopPanel(QWidget* panel)
{
    static_cast<QVBoxLayout*>(layout())->insertWidget(0, panel);
    resize(width(), height() + panel->sizeHint().height());
    fitScreen();
}

void frmuvoz::setBottomPanel(QWidget* panel)
{
    auto* box = static_cast<QVBoxLayout*>(layout());
    box->insertWidget(box->indexOf(lsvuvoz) + 1, panel);
}

void frmuvoz::fitScreen()
{
    // On a laptop's 768 lines the list gives way, never the buttons.
    const QScreen* shown = parentWidget() ? parentWidget()->screen() : screen();
    if (!shown)
        return;
    const QRect room = shown->availableGeometry();
    // Room for the title bar and the frame the window manager adds.
    const int most = room.height() - 60;
    if (height() > most)
        resize(width(), std::max(most, minimumSizeHint().height()));
    if (width() > room.width() - 20)
        resize(room.width() - 20, height());
}

void frmuvoz::rowsChanged(int rowCount, int acceptedCount, int refusedCount, const QString& note)
{
    m_content.rowCount = rowCount;
    m_content.acceptedCount = acceptedCount;
    m_content.refusedCount = refusedCount;
    m_note = note;
    static_cast<PreviewModel*>(lsvuvoz->model())->reset();
    fitColumns();
    lblbroj->setText(tx::importCounts(acceptedCount, refusedCount));
    cmduvezi->setEnabled(acceptedCount > 0);
    showDetails();
}

void frmuvoz::showDetails()
{
    if (!m_note.isEmpty()) {
        lblrazlog->setText(m_note);
        lblrazlog->setVisible(true);
        return;
    }
    const QModelIndex current = lsvuvoz->currentIndex();
    const bool shown = current.isValid() && current.row() < m_content.rowCount
        && (!m_content.accepted(current.row()) || (m_content.marked && m_content.marked(current.row())));
    lblrazlog->setText(shown ? m_content.cell(current.row(), int(m_content.headers.size()) - 1) : QString());
    lblrazlog->setVisible(shown);
}
