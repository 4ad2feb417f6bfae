#include "ui/entrycolumnspanel.h"

#include "core/texts_entrycolumns.h"
#include "ui/widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// The rows of the file shown under the choices: enough to tell the columns apart.
constexpr int kShownRows = 6;

// The fields that may be given a default, in the form's order.
const io::EntryColumn kDefaultFields[] = {io::EntryColumn::Country,   io::EntryColumn::Club,
                                          io::EntryColumn::Sex,       io::EntryColumn::BirthDate,
                                          io::EntryColumn::BirthYear, io::EntryColumn::Category};

} // namespace

EntryColumnsPanel::EntryColumnsPanel(const io::CsvResult& file, const io::EntryLayout& start, QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("pnlstupci"));
    const int columns = int(start.columns.size());
    const int rows = int(std::min<qsizetype>(file.rows.size(), kShownRows));

    tblstupci = ui::named(new QTableWidget(rows + 1, columns), "tblstupci");
    tblstupci->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblstupci->setSelectionMode(QAbstractItemView::NoSelection);
    tblstupci->verticalHeader()->setVisible(false);
    QStringList headings;
    for (int k = 0; k < columns; ++k) {
        headings.append(tx::ecColumnHeading(k + 1));
        auto* choice = new QComboBox;
        choice->setObjectName(QStringLiteral("cbostupac%1").arg(k + 1));
        for (const io::EntryColumn c : io::entryColumnChoices())
            choice->addItem(io::entryColumnCaption(c), int(c));
        choice->setCurrentIndex(choice->findData(int(start.columns.at(k))));
        connect(choice, &QComboBox::currentIndexChanged, this, [this, k] { onColumnChosen(k); });
        tblstupci->setCellWidget(0, k, choice);
        m_choices.append(choice);
        for (int r = 0; r < rows; ++r)
            tblstupci->setItem(r + 1, k, new QTableWidgetItem(file.rows.at(r).fields.value(k)));
    }
    tblstupci->setHorizontalHeaderLabels(headings);
    tblstupci->resizeColumnsToContents();
    tblstupci->setFixedHeight(tblstupci->horizontalHeader()->height() + 2 * tblstupci->frameWidth()
                              + tblstupci->rowHeight(0) + rows * tblstupci->rowHeight(std::min(1, rows)) + 4);

    chknaslov = ui::named(new QCheckBox(tx::ecHeaderLine()), "chknaslov");
    chknaslov->setChecked(start.header);
    connect(chknaslov, &QCheckBox::toggled, this, &EntryColumnsPanel::changed);

    // Three to a line, so that the dialog fits a laptop's screen.
    auto* defaults = new QGridLayout;
    const char* const names[] = {"txtzadanodrzava", "txtzadanoklub", "txtzadanospol",
                                 "txtzadanodatum", "txtzadanogodina", "txtzadanokategorija"};
    // A default typed shows in the preview at once: checked again when
    // typing pauses, or when the field is left.
    m_typed = new QTimer(this);
    m_typed->setSingleShot(true);
    m_typed->setInterval(250);
    connect(m_typed, &QTimer::timeout, this, &EntryColumnsPanel::changed);
    for (size_t i = 0; i < std::size(kDefaultFields); ++i) {
        auto* edit = ui::lineEdit(names[i], 60);
        connect(edit, &QLineEdit::textEdited, m_typed, qOverload<>(&QTimer::start));
        connect(edit, &QLineEdit::editingFinished, this, [this] {
            m_typed->stop();
            emit changed();
        });
        const int row = int(i) / 3;
        const int column = 2 * (int(i) % 3);
        defaults->addWidget(new QLabel(io::entryColumnCaption(kDefaultFields[i]) + QLatin1Char(':')), row, column);
        defaults->addWidget(edit, row, column + 1);
        m_defaults.append({kDefaultFields[i], edit});
    }

    chkskrati = ui::named(new QCheckBox(tx::ecCutLong()), "chkskrati");
    connect(chkskrati, &QCheckBox::toggled, this, &EntryColumnsPanel::changed);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(ui::label(tx::ecColumnsCaption()));
    layout->addWidget(tblstupci);
    layout->addWidget(chknaslov);
    layout->addWidget(ui::label(tx::ecDefaultsCaption()));
    layout->addLayout(defaults);
    layout->addWidget(chkskrati);
}

io::EntryLayout EntryColumnsPanel::layout() const
{
    io::EntryLayout layout;
    layout.header = chknaslov->isChecked();
    for (const QComboBox* choice : m_choices)
        layout.columns.append(io::EntryColumn(choice->currentData().toInt()));
    return layout;
}

imports::EntryImportOptions EntryColumnsPanel::options() const
{
    imports::EntryImportOptions options;
    options.layout = layout();
    for (const auto& [field, edit] : m_defaults) {
        if (!edit->text().trimmed().isEmpty())
            options.defaults.insert(field, edit->text());
    }
    options.cutLong = chkskrati->isChecked();
    return options;
}

void EntryColumnsPanel::onColumnChosen(int column)
{
    const int chosen = m_choices.at(column)->currentData().toInt();
    if (chosen != int(io::EntryColumn::Skip)) {
        for (int k = 0; k < m_choices.size(); ++k) {
            if (k != column && m_choices.at(k)->currentData().toInt() == chosen) {
                const QSignalBlocker quiet(m_choices.at(k));
                m_choices.at(k)->setCurrentIndex(m_choices.at(k)->findData(int(io::EntryColumn::Skip)));
            }
        }
    }
    emit changed();
}
