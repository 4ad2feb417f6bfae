#include "ui/pageutil.h"

#include "core/texts.h"
#include "ui/fieldrules.h"
#include "ui/messagebox.h"
#include "ui/widgets.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace ui {

QVBoxLayout* captioned(const QString& caption, QWidget* field)
{
    auto* box = new QVBoxLayout;
    box->setSpacing(2);
    auto* label = ui::label(caption);
    label->setBuddy(field);
    box->addWidget(label);
    box->addWidget(field);
    return box;
}

QLabel* counterLabel(const char* name)
{
    auto* label = named(ui::label(QStringLiteral("0")), name);
    label->setAlignment(Qt::AlignCenter);
    label->setFrameShape(QFrame::StyledPanel);
    label->setMinimumWidth(60);
    return label;
}

void showFailure(QWidget* parent, bool refused, const Refusal& refusal, const DbError& error, const FieldMap& fields)
{
    if (!refused) {
        // What was typed stays in the fields.
        MessageBox::notice(parent, tx::dbError(error));
        return;
    }
    MessageBox::notice(parent, refusal.message);
    for (const auto& [field, edit] : fields) {
        if (field == refusal.field && edit) {
            rules::markField(edit);
            break;
        }
    }
}

} // namespace ui
