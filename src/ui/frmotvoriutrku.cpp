#include "ui/frmotvoriutrku.h"

#include "app/racesession.h"
#include "ui/messagebox.h"
#include "core/dates.h"
#include "core/texts.h"
#include "ui/widgets.h"

#include <QHeaderView>

#include <algorithm>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

frmotvoriutrku::frmotvoriutrku(RaceSession& session, QWidget* parent)
    : QDialog(parent)
    , m_session(session)
{
    setObjectName(QStringLiteral("frmotvoriutrku"));
    setWindowTitle(tx::openRaceTitle());

    lstotvori = ui::named(new QTreeWidget, "lstotvori");
    lstotvori->setHeaderLabels({tx::openColumnName(), tx::openColumnId(), tx::openColumnDate()});
    lstotvori->setRootIsDecorated(false);
    lstotvori->setAllColumnsShowFocus(true);
    lstotvori->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstotvori->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstotvori->header()->setStretchLastSection(false);
    lstotvori->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    lstotvori->setColumnWidth(1, 50);
    lstotvori->setColumnWidth(2, 90);
    // A race's name of the longest kind shows whole beside its key and date.
    lstotvori->setMinimumSize(std::max(340, lstotvori->fontMetrics().averageCharWidth() * 44 + 170), 220);

    Label1 = ui::named(ui::label(tx::openHint()), "Label1");

    cmdotvori = ui::button(tx::buttonOpen(), "cmdotvori", true);
    cmdizlaz = ui::button(tx::buttonExit(), "cmdizlaz");
    connect(cmdotvori, &QPushButton::clicked, this, &frmotvoriutrku::cmdotvori_Click);
    connect(cmdizlaz, &QPushButton::clicked, this, &QDialog::reject);
    // A double click on a race opens it; Enter in the list presses "Otvori",
    // the default button.
    connect(lstotvori, &QTreeWidget::itemDoubleClicked, cmdotvori, &QPushButton::click);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lstotvori, 1);
    layout->addWidget(Label1);
    layout->addLayout(ui::buttonRow({cmdotvori, cmdizlaz}));
}

bool frmotvoriutrku::load()
{
    lstotvori->clear();
    const auto races = m_session.listedRaces();
    if (!races) {
        MessageBox::notice(parentWidget(), tx::dbError(races.dbError()));
        return false;
    }
    QList<QTreeWidgetItem*> items;
    for (const Race& race : races.value())
        items.append(new QTreeWidgetItem(QStringList{race.ime, QString::number(race.id), kvr::formatDate(race.datum)}));
    lstotvori->addTopLevelItems(items);
    // The first race is chosen, so that Enter alone opens it.
    if (!items.isEmpty())
        lstotvori->setCurrentItem(items.first());
    return true;
}

void frmotvoriutrku::cmdotvori_Click()
{
    // The last selected row wins.
    const QTreeWidgetItem* item = nullptr;
    for (int i = lstotvori->topLevelItemCount() - 1; i >= 0 && !item; --i) {
        if (lstotvori->topLevelItem(i)->isSelected())
            item = lstotvori->topLevelItem(i);
    }
    if (!item) {
        MessageBox::notice(this, tx::selectRaceToOpen());
        return;
    }
    m_raceId = item->text(1).toLongLong();
    accept();
}
