#include "ui/frmnagrade.h"

#include "data/database.h"
#include "ui/messagebox.h"
#include "ui/texts.h"
#include "ui/widgets.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmnagrade::frmnagrade(Database& db, qint64 raceId, const QString& storedText, QWidget* parent)
    : QDialog(parent)
    , m_db(db)
    , m_raceId(raceId)
{
    setObjectName(QStringLiteral("frmnagrade"));
    setWindowTitle(tx::prizesTitle());

    lblnagrade = ui::named(ui::label(tx::prizesLabel()), "lblnagrade");
    txtnagrade = ui::named(new QPlainTextEdit, "txtnagrade");
    txtnagrade->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtnagrade->setTabChangesFocus(true);
    txtnagrade->setMinimumSize(360, 180);
    txtnagrade->setPlainText(storedText);
    lblnagrade->setBuddy(txtnagrade);

    cmdnagrade = ui::button(storedText.isEmpty() ? tx::prizesStore() : tx::prizesChange(), "cmdnagrade");
    cmdizlaznagrade = ui::button(tx::plainExit(), "cmdizlaznagrade");
    connect(cmdnagrade, &QPushButton::clicked, this, &frmnagrade::cmdnagrade_Click);
    connect(cmdizlaznagrade, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblnagrade);
    layout->addWidget(txtnagrade, 1);
    layout->addLayout(ui::buttonRow({cmdnagrade, cmdizlaznagrade}));
}

void frmnagrade::cmdnagrade_Click()
{
    // The whole text as typed, quotes and line breaks included.
    if (const DbStatus stored = m_db.setPrizeFund(m_raceId, txtnagrade->toPlainText()); !stored) {
        MessageBox::notice(this, tx::dbError(stored.error()));
        return;
    }
    accept();
}
