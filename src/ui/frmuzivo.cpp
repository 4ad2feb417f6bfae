#include "ui/frmuzivo.h"

#include "core/texts_live.h"
#include "ui/pageutil.h"
#include "ui/widgets.h"
#include "web/liveaddress.h"
#include "web/liveresultsserver.h"
#include "web/qrcode.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

// Station settings: another laptop may serve on another port.
const QString kPortKey = QStringLiteral("uzivo/port");
const QString kAddressKey = QStringLiteral("uzivo/adresa");
const QString kRefreshKey = QStringLiteral("uzivo/osvjezavanje");

} // namespace

QrCodeView::QrCodeView(QWidget* parent)
    : QWidget(parent)
{
    setMinimumSize(240, 240);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void QrCodeView::setText(const QString& text)
{
    m_text = text;
    update();
}

void QrCodeView::paintCode(QPainter& painter, const QRect& square) const
{
    painter.fillRect(square, Qt::white);
    const live::QrCode code = live::qrCode(m_text);
    if (m_text.isEmpty() || code.size == 0)
        return;
    // Four light modules around the code.
    const int modules = code.size + 8;
    const int unit = std::max(1, square.width() / modules);
    const int origin = (square.width() - unit * code.size) / 2;
    for (int y = 0; y < code.size; ++y) {
        for (int x = 0; x < code.size; ++x) {
            if (code.isDark(x, y))
                painter.fillRect(square.left() + origin + x * unit, square.top() + origin + y * unit, unit, unit,
                                 Qt::black);
        }
    }
}

void QrCodeView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int side = std::min(width(), height());
    paintCode(painter, QRect((width() - side) / 2, (height() - side) / 2, side, side));
}

frmuzivo::frmuzivo(LiveResultsServer& server, QWidget* parent)
    : QDialog(parent)
    , m_server(server)
{
    setObjectName(QStringLiteral("frmuzivo"));
    setWindowTitle(tx::liveTitle());
    QSettings settings;

    spnport = ui::named(new QSpinBox, "spnport");
    spnport->setRange(1, 65535);
    spnport->setValue(settings.value(kPortKey, live::kDefaultPort).toInt());
    cboadresa = ui::named(new QComboBox, "cboadresa");
    cboadresa->addItem(tx::liveEveryAddress(), QStringLiteral("*"));
    for (const QHostAddress& a : live::networkAddresses())
        cboadresa->addItem(a.toString(), a.toString());
    cboadresa->addItem(QStringLiteral("127.0.0.1"), QStringLiteral("127.0.0.1"));
    cboadresa->setCurrentIndex(std::max(0, cboadresa->findData(settings.value(kAddressKey, QStringLiteral("*")))));
    spnosvjezavanje = ui::named(new QSpinBox, "spnosvjezavanje");
    spnosvjezavanje->setRange(5, 600);
    spnosvjezavanje->setValue(settings.value(kRefreshKey, server.pageOptions().refreshSeconds).toInt());

    cmdpokreni = ui::button(tx::liveStart(), "cmdpokreni", true);
    cmdzaustavi = ui::button(tx::liveStop(), "cmdzaustavi");
    cmdispis = ui::button(tx::livePrint(), "cmdispis");
    cmdzatvori = ui::button(tx::liveClose(), "cmdzatvori");
    lbladresa = ui::named(new QLabel, "lbladresa");
    lbladresa->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont big = lbladresa->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    lbladresa->setFont(big);
    lbladresa->setAlignment(Qt::AlignCenter);
    lblposluzeno = ui::named(new QLabel, "lblposluzeno");
    picqr = ui::named(new QrCodeView, "picqr");
    picqr->setMinimumSize(360, 360);

    auto* form = new QFormLayout;
    form->addRow(tx::livePort(), spnport);
    form->addRow(tx::liveAddress(), cboadresa);
    form->addRow(tx::liveRefresh(), spnosvjezavanje);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(ui::buttonRow({cmdpokreni, cmdzaustavi}));
    layout->addWidget(lbladresa);
    layout->addWidget(picqr, 1);
    layout->addWidget(lblposluzeno);
    layout->addLayout(ui::buttonRow({cmdispis, cmdzatvori}));

    connect(cmdpokreni, &QPushButton::clicked, this, &frmuzivo::startServer);
    connect(cmdzaustavi, &QPushButton::clicked, this, &frmuzivo::stopServer);
    connect(cmdispis, &QPushButton::clicked, this, &frmuzivo::printCode);
    connect(cmdzatvori, &QPushButton::clicked, this, &QDialog::close);
    connect(&server, &LiveResultsServer::pageServed, this, &frmuzivo::showState);
    connect(&server, &LiveResultsServer::runningChanged, this, &frmuzivo::showState);
    showState();
}

void frmuzivo::startServer()
{
    const auto address = live::listenAddress(cboadresa->currentData().toString());
    m_server.setPageOptions({spnosvjezavanje->value()});
    if (!ui::succeeded(this, m_server.start(address.value_or(QHostAddress(QHostAddress::Any)),
                                            quint16(spnport->value())))) {
        // The port is what a refusal here is about.
        spnport->selectAll();
        spnport->setFocus(Qt::OtherFocusReason);
        return;
    }
    QSettings settings;
    settings.setValue(kPortKey, spnport->value());
    settings.setValue(kAddressKey, cboadresa->currentData());
    settings.setValue(kRefreshKey, spnosvjezavanje->value());
}

void frmuzivo::stopServer()
{
    m_server.stop();
}

void frmuzivo::showState()
{
    const bool running = m_server.isRunning();
    for (QWidget* w : {static_cast<QWidget*>(spnport), static_cast<QWidget*>(cboadresa),
                       static_cast<QWidget*>(spnosvjezavanje), static_cast<QWidget*>(cmdpokreni)})
        w->setEnabled(!running);
    cmdzaustavi->setEnabled(running);
    cmdispis->setEnabled(running);
    const QStringList urls = running ? live::addressesToOpen(m_server.address(), m_server.port()) : QStringList();
    lbladresa->setText(running ? urls.join(QLatin1Char('\n')) : tx::liveStopped());
    picqr->setText(urls.value(0));
    lblposluzeno->setText(tx::liveServedCount(m_server.pagesServed()));
}

void frmuzivo::printCode()
{
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    QPainter painter(&printer);
    const QRect page = painter.viewport();
    QFont font = painter.font();
    font.setPointSize(28);
    font.setBold(true);
    painter.setFont(font);
    const int textHeight = painter.fontMetrics().height() * 3;
    painter.drawText(QRect(page.left(), page.top(), page.width(), textHeight), Qt::AlignCenter,
                     tx::liveTitle() + QLatin1Char('\n') + picqr->text());
    const int side = std::min(page.width(), page.height() - textHeight) * 9 / 10;
    picqr->paintCode(painter, QRect(page.left() + (page.width() - side) / 2, page.top() + textHeight, side, side));
}
