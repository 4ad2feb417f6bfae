#include "ui/frmotvoriutrku.h"

#include "data/database.h"
#include "ui/listhelpers.h"
#include "ui/messagebox.h"
#include "ui/texts.h"
#include "ui/widgets.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

frmotvoriutrku::frmotvoriutrku(Database& db, QWidget* parent)
    : QDialog(parent)
    , m_db(db)
{
    setObjectName(QStringLiteral("frmotvoriutrku"));
    setWindowTitle(tx::openRaceTitle());

    lstotvori = ui::named(new QTreeWidget, "lstotvori");
    lstotvori->setHeaderLabels({tx::openColumnName(), tx::openColumnId()});
    lstotvori->setRootIsDecorated(false);
    lstotvori->setAllColumnsShowFocus(true);
    lstotvori->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstotvori->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstotvori->header()->setStretchLastSection(false);
    lstotvori->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    lstotvori->setColumnWidth(1, 50);
    lstotvori->setMinimumSize(340, 220);

    Label1 = ui::named(ui::label(tx::openHint()), "Label1");

    cmdotvori = ui::button(tx::buttonOpen(), "cmdotvori", true);
    cmdizlaz = ui::button(tx::buttonExit(), "cmdizlaz");
    connect(cmdotvori, &QPushButton::clicked, this, &frmotvoriutrku::cmdotvori_Click);
    connect(cmdizlaz, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lstotvori, 1);
    layout->addWidget(Label1);
    layout->addLayout(ui::buttonRow({cmdotvori, cmdizlaz}));
}

bool frmotvoriutrku::load()
{
    lstotvori->clear();
    const auto races = m_db.listedRaces();
    if (!races) {
        MessageBox::notice(parentWidget(), tx::dbError(races.error()));
        return false;
    }
    QList<QTreeWidgetItem*> items;
    for (const Race& race : races.value())
        items.append(new QTreeWidgetItem(QStringList{race.ime, QString::number(race.id)}));
    lstotvori->addTopLevelItems(items);
    return true;
}

void frmotvoriutrku::cmdotvori_Click()
{
    const QTreeWidgetItem* item = lastSelectedItem(lstotvori);
    if (!item) {
        MessageBox::notice(this, tx::selectRaceToOpen());
        return;
    }
    const auto race = m_db.race(item->text(1).toLongLong());
    if (!race) {
        MessageBox::notice(this, tx::dbError(race.error()));
        return;
    }
    m_race = race.value();
    accept();
}
