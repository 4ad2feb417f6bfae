#include "ui/helppage.h"

#include "core/texts.h"
#include "ui/widgets.h"

#include <QLabel>

HelpPage::HelpPage()
{
    auto* lblpomoc = ui::named(ui::label(tx::helpLines().join(QLatin1Char('\n'))), "lblpomoc");
    lblpomoc->setTextFormat(Qt::PlainText);
    lblpomoc->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblpomoc->setMargin(8);
    setWidget(lblpomoc);
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
}
