#include "ui/frmnagrade.h"

#include "app/racesession.h"
#include "ui/pageutil.h"
#include "core/texts.h"
#include "ui/widgets.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmnagrade::frmnagrade(RaceSession& session, const QString& storedText, QWidget* parent)
    : QDialog(parent)
    , m_session(session)
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
    if (!ui::succeeded(this, m_session.setPrizeFund(txtnagrade->toPlainText())))
        return;
    accept();
}
