#include "ui/frmizvoz.h"

#include "core/texts.h"
#include "core/texts_rules.h"
#include "ui/widgets.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QLabel>
#include <QRadioButton>
#include <QSettings>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// Where the chosen CSV separator is kept between exports and starts.
const QString kSeparatorKey = QStringLiteral("izvoz/odvajac");

} // namespace

frmizvoz::frmizvoz(const QStringList& categories, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmizvoz"));
    setWindowTitle(tx::exportDialogTitle());

    optstartna = ui::named(new QRadioButton(tx::exportOptStartList()), "optstartna");
    optprijavljeni = ui::named(new QRadioButton(tx::exportOptRegistered()), "optprijavljeni");
    optciljna = ui::named(new QRadioButton(tx::exportOptFinishList()), "optciljna");
    optporedak = ui::named(new QRadioButton(tx::exportOptStandings()), "optporedak");
    optsviporeci = ui::named(new QRadioButton(tx::exportOptAllStandings()), "optsviporeci");
    optnagrade = ui::named(new QRadioButton(tx::prizeListTitle()), "optnagrade");
    optstartna->setChecked(true);

    // The standings' selection, as on the reports page.
    cbokateg = ui::named(new QComboBox, "cbokateg");
    cbokateg->addItem(tx::categoryAll());
    cbokateg->addItems(categories);
    cbokateg->setMinimumWidth(120);
    optzene = ui::named(new QRadioButton(tx::optionWomen()), "optzene");
    optmuski = ui::named(new QRadioButton(tx::optionMen()), "optmuski");
    optsvi = ui::named(new QRadioButton(tx::optionAll()), "optsvi");
    optsvi->setChecked(true);
    auto* sexGroup = new QButtonGroup(this);
    for (QRadioButton* b : {optzene, optmuski, optsvi})
        sexGroup->addButton(b);
    auto* selection = new QHBoxLayout;
    selection->addSpacing(20);
    selection->addWidget(cbokateg);
    selection->addWidget(optzene);
    selection->addWidget(optmuski);
    selection->addWidget(optsvi);
    selection->addStretch(1);

    auto* listFrame = new QGroupBox(tx::exportChooseList());
    auto* listGroup = new QButtonGroup(this);
    auto* listLayout = new QVBoxLayout(listFrame);
    for (QRadioButton* b : {optstartna, optprijavljeni, optciljna, optporedak}) {
        listGroup->addButton(b);
        listLayout->addWidget(b);
    }
    listLayout->addLayout(selection);
    for (QRadioButton* b : {optsviporeci, optnagrade}) {
        listGroup->addButton(b);
        listLayout->addWidget(b);
    }
    connect(listGroup, &QButtonGroup::buttonToggled, this, &frmizvoz::updateStandingsChoice);

    optcsv = ui::named(new QRadioButton(tx::exportFormatCsv()), "optcsv");
    opthtml = ui::named(new QRadioButton(tx::exportFormatHtml()), "opthtml");
    optpdf = ui::named(new QRadioButton(tx::exportFormatPdf()), "optpdf");
    optcsv->setChecked(true);
    auto* formatFrame = new QGroupBox(tx::exportChooseFormat());
    auto* formatGroup = new QButtonGroup(this);
    auto* formatLayout = new QHBoxLayout(formatFrame);
    for (QRadioButton* b : {optcsv, opthtml, optpdf}) {
        formatGroup->addButton(b);
        formatLayout->addWidget(b);
    }

    // The CSV separator, as chosen the last time; a semicolon at first.
    cboodvajac = ui::named(new QComboBox, "cboodvajac");
    cboodvajac->addItem(tx::exportSeparatorSemicolon(), io::separatorName(io::Separator::Semicolon));
    cboodvajac->addItem(tx::exportSeparatorComma(), io::separatorName(io::Separator::Comma));
    cboodvajac->addItem(tx::exportSeparatorTab(), io::separatorName(io::Separator::Tab));
    const auto kept = io::separatorNamed(QSettings().value(kSeparatorKey).toString());
    cboodvajac->setCurrentIndex(std::max(0, cboodvajac->findData(io::separatorName(kept.value_or(io::kDefaultSeparator)))));
    auto* separatorRow = new QHBoxLayout;
    auto* separatorLabel = new QLabel(tx::exportSeparatorLabel());
    separatorLabel->setBuddy(cboodvajac);
    separatorRow->addWidget(separatorLabel);
    separatorRow->addWidget(cboodvajac);
    separatorRow->addStretch(1);
    connect(optcsv, &QRadioButton::toggled, cboodvajac, &QWidget::setEnabled);

    cmdizvezi = ui::button(tx::exportButton(), "cmdizvezi", true);
    cmdodustani = ui::button(tx::exportCancel(), "cmdodustani");
    connect(cmdizvezi, &QPushButton::clicked, this, &frmizvoz::rememberChoice);
    connect(cmdizvezi, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdodustani, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(listFrame);
    layout->addWidget(formatFrame);
    layout->addLayout(separatorRow);
    layout->addLayout(ui::buttonRow({cmdizvezi, cmdodustani}));
    updateStandingsChoice();
}

exports::ExportList frmizvoz::list() const
{
    using exports::ExportList;
    if (optprijavljeni->isChecked())
        return ExportList::Registered;
    if (optciljna->isChecked())
        return ExportList::Finish;
    if (optporedak->isChecked())
        return ExportList::Standings;
    if (optsviporeci->isChecked())
        return ExportList::AllStandings;
    if (optnagrade->isChecked())
        return ExportList::Prizes;
    return ExportList::StartList;
}

standings::Selection frmizvoz::selection() const
{
    standings::Selection s;
    s.category = cbokateg->currentText();
    if (optzene->isChecked())
        s.sex = standings::Sex::Women;
    else if (optmuski->isChecked())
        s.sex = standings::Sex::Men;
    return s;
}

exports::Format frmizvoz::format() const
{
    if (opthtml->isChecked())
        return exports::Format::Html;
    if (optpdf->isChecked())
        return exports::Format::Pdf;
    return exports::Format::Csv;
}

io::Separator frmizvoz::separator() const
{
    return io::separatorNamed(cboodvajac->currentData().toString()).value_or(io::kDefaultSeparator);
}

void frmizvoz::rememberChoice()
{
    if (optcsv->isChecked())
        QSettings().setValue(kSeparatorKey, io::separatorName(separator()));
}

void frmizvoz::updateStandingsChoice()
{
    const bool standings = optporedak->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{cbokateg, optzene, optmuski, optsvi})
        w->setEnabled(standings);
}
