#include "ui/helppage.h"

#include "core/categoryscheme.h"
#include "core/texts.h"
#include "ui/widgets.h"

#include <QLabel>
#include <QVBoxLayout>

HelpPage::HelpPage()
{
    auto* lblpomoc = ui::named(ui::label(tx::helpLines().join(QLatin1Char('\n'))), "lblpomoc");
    lblpomoc->setTextFormat(Qt::PlainText);
    lblpomoc->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblpomoc->setMargin(8);
    lblpomocdan = ui::named(ui::label(), "lblpomocdan");
    lblpomocdan->setTextFormat(Qt::PlainText);
    lblpomocdan->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblpomocdan->setMargin(8);
    showRules(RaceRules::standard());
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(lblpomoc);
    layout->addWidget(lblpomocdan, 1);
    setWidget(page);
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
}

void HelpPage::showRules(const RaceRules& rules)
{
    QStringList lines = tx::helpRaceDayLines();
    if (!(rules.prizes == PrizeScheme::standard())) {
        lines << QString() << tx::helpOwnPrizes();
        for (const PrizeRow& row : rules.prizes.rows())
            lines << tx::helpPrizeRow(row.name, row.count, row.sex == RuleSex::Both ? QString() : schemes::sexText(row.sex),
                                      row.from, row.to);
    }
    lblpomocdan->setText(lines.join(QLatin1Char('\n')));
}
