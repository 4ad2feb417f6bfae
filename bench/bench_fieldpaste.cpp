// Pastes of 1,000,000 characters into the text fields: a date, a start
// number among letters, and a name with characters outside the basic plane.
// Each must end at once, with the field at its length limit.

#include "ui/fieldrules.h"
#include "ui/widgets.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QLineEdit>
#include <cstdio>
#include <memory>

namespace {

constexpr int kPasteLength = 1000000;

void measure(const char* what, rules::FieldKind kind, int maxLength, const QString& pattern)
{
    std::unique_ptr<QLineEdit> field(ui::lineEdit("field", maxLength));
    rules::FieldFilter::install(field.get(), kind);
    QApplication::clipboard()->setText(pattern.repeated(kPasteLength / pattern.size()));
    QElapsedTimer timer;
    timer.start();
    const QString fromClipboard = QApplication::clipboard()->text();
    const double readMs = double(timer.nsecsElapsed()) / 1e6;
    timer.restart();
    field->paste();
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    std::printf("paste of %d characters, %-28s %8.1f ms, of which reading the clipboard about %.1f ms"
                " (field holds %lld of %d)\n",
                int(fromClipboard.size()), what, ms, readMs,
                static_cast<long long>(rules::characterCount(field->text())), maxLength);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    measure("digits into a date:", rules::FieldKind::Date, 10, QStringLiteral("1"));
    measure("letters and digits, number:", rules::FieldKind::StartNumber, 6, QStringLiteral("a1"));
    measure("emoji into a name:", rules::FieldKind::Text, 25, QStringLiteral("\U0001F600"));
    return 0;
}
