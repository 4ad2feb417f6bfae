#pragma once

#include <QList>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

// Every message box of the program goes through here. Notices have the OK
// button only, no icon and the program's title; questions have Yes and No
// with the icon and title the caller gives, and only Yes goes on.
//
// Every box shows its text as plain text, exactly as it is: messages carry
// names typed by users, and those may look like markup.
//
// Tests switch on test mode: the real QMessageBox is still built, its title,
// text, text format, icon and buttons (with their captions) are recorded, but it is never shown; a question
// takes the answer queued with setNextAnswer() (No when none is queued).
class MessageBox {
public:
    struct Shown {
        QString title;
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons buttons;
        Qt::TextFormat textFormat = Qt::AutoText;
        // The captions of the buttons, in the order of the standard buttons.
        QStringList buttonTexts;
        // A question for a password: what is typed shows as dots.
        bool masked = false;
    };

    static void notice(QWidget* parent, const QString& text);
    static bool ask(QWidget* parent, const QString& title, const QString& text, QMessageBox::Icon icon);
    // Asks for a password, what is typed masked; empty when the user
    // cancels. In test mode it takes the password queued with
    // setNextPassword() (a cancel when none is queued).
    static std::optional<QString> askPassword(QWidget* parent, const QString& title, const QString& text);
    static void setNextPassword(const QString& password);

    static void setTestMode(bool on);
    static void setNextAnswer(QMessageBox::StandardButton answer);
    static QList<Shown> shown();
    static Shown last();
    static void clearShown();

private:
    static QMessageBox::StandardButton present(QMessageBox& box, QMessageBox::StandardButton testDefault);
};
