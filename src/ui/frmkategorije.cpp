#include "ui/frmkategorije.h"

#include "ui/texts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

frmkategorije::frmkategorije(const QStringList& labels, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmkategorije"));
    setWindowTitle(tx::categoriesTitle());

    Label1 = new QLabel(tx::categoriesLabel());
    Label1->setObjectName(QStringLiteral("Label1"));
    List1 = new QListWidget;
    List1->setObjectName(QStringLiteral("List1"));
    List1->addItems(labels);
    List1->setMinimumHeight(220);

    cmdizlazk = new QPushButton(tx::plainExit());
    cmdizlazk->setObjectName(QStringLiteral("cmdizlazk"));
    cmdizlazk->setDefault(true);
    connect(cmdizlazk, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdizlazk);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(List1, 1);
    layout->addLayout(buttons);
}
