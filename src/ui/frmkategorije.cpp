#include "ui/frmkategorije.h"

#include "core/texts.h"
#include "ui/widgets.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

frmkategorije::frmkategorije(const QStringList& labels, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmkategorije"));
    setWindowTitle(tx::categoriesTitle());

    Label1 = ui::named(ui::label(tx::categoriesLabel()), "Label1");
    List1 = ui::named(new QListWidget, "List1");
    List1->addItems(labels);
    List1->setMinimumHeight(220);

    cmdizlazk = ui::button(tx::plainExit(), "cmdizlazk", true);
    connect(cmdizlazk, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(List1, 1);
    layout->addLayout(ui::buttonRow({cmdizlazk}));
}
