#include "ui/messagebox.h"

#include "core/texts.h"

#include <QAbstractButton>
#include <QInputDialog>
#include <QLineEdit>

namespace {

bool s_testMode = false;
QList<QMessageBox::StandardButton> s_answers;
QList<MessageBox::Shown> s_shown;
QStringList s_passwords;

} // namespace

QMessageBox::StandardButton MessageBox::present(QMessageBox& box, QMessageBox::StandardButton testDefault)
{
    box.setTextFormat(Qt::PlainText);
    if (!s_testMode)
        return static_cast<QMessageBox::StandardButton>(box.exec());
    QStringList captions;
    for (const QMessageBox::StandardButton b : {QMessageBox::Ok, QMessageBox::Yes, QMessageBox::No}) {
        if (const QAbstractButton* button = box.button(b))
            captions.append(button->text());
    }
    s_shown.append({box.windowTitle(), box.text(), box.icon(), box.standardButtons(), box.textFormat(), captions, false});
    if (testDefault == QMessageBox::Ok || s_answers.isEmpty())
        return testDefault;
    return s_answers.takeFirst();
}

void MessageBox::notice(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, tx::appTitle(), text, QMessageBox::Ok, parent);
    present(box, QMessageBox::Ok);
}

bool MessageBox::ask(QWidget* parent, const QString& title, const QString& text, QMessageBox::Icon icon)
{
    QMessageBox box(icon, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::Yes);
    return present(box, QMessageBox::No) == QMessageBox::Yes;
}

std::optional<QString> MessageBox::askPassword(QWidget* parent, const QString& title, const QString& text)
{
    QInputDialog dialog(parent);
    dialog.setWindowTitle(title);
    dialog.setLabelText(text);
    dialog.setTextEchoMode(QLineEdit::Password);
    if (s_testMode) {
        s_shown.append({title, text, QMessageBox::NoIcon, QMessageBox::Ok | QMessageBox::Cancel, Qt::PlainText, {},
                        dialog.textEchoMode() == QLineEdit::Password});
        if (s_passwords.isEmpty())
            return std::nullopt;
        return s_passwords.takeFirst();
    }
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

void MessageBox::setNextPassword(const QString& password)
{
    s_passwords.append(password);
}

void MessageBox::setTestMode(bool on)
{
    s_testMode = on;
    s_passwords.clear();
    s_answers.clear();
    s_shown.clear();
}

void MessageBox::setNextAnswer(QMessageBox::StandardButton answer)
{
    s_answers.append(answer);
}

QList<MessageBox::Shown> MessageBox::shown()
{
    return s_shown;
}

MessageBox::Shown MessageBox::last()
{
    return s_shown.isEmpty() ? Shown{} : s_shown.last();
}

void MessageBox::clearShown()
{
    s_shown.clear();
    s_answers.clear();
    s_passwords.clear();
}
