#pragma once

#include <QDialog>
#include <QWidget>

class LiveResultsServer;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

// The QR code of a text, painted as large as the widget allows with a
// light margin around it, as a phone's camera needs.
class QrCodeView : public QWidget {
    Q_OBJECT

public:
    explicit QrCodeView(QWidget* parent = nullptr);
    void setText(const QString& text);
    QString text() const { return m_text; }
    // Paints the code into the square rect (also on a printer's page).
    void paintCode(QPainter& painter, const QRect& square) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
};

// "Rezultati uživo": starts and stops the station's live results server on
// a port and address chosen here, and shows the address with its QR code
// and how many pages were served. Closing the window leaves the server as
// it is; the main window stops it when it closes.
class frmuzivo : public QDialog {
    Q_OBJECT

public:
    frmuzivo(LiveResultsServer& server, QWidget* parent = nullptr);

    void startServer();
    void stopServer();
    void printCode();

private:
    void showState();

    LiveResultsServer& m_server;
    QSpinBox* spnport = nullptr;
    QComboBox* cboadresa = nullptr;
    QSpinBox* spnosvjezavanje = nullptr;
    QPushButton* cmdpokreni = nullptr;
    QPushButton* cmdzaustavi = nullptr;
    QPushButton* cmdispis = nullptr;
    QPushButton* cmdzatvori = nullptr;
    QLabel* lbladresa = nullptr;
    QLabel* lblposluzeno = nullptr;
    QrCodeView* picqr = nullptr;
};
