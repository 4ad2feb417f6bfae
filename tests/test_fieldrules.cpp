#include "testutil.h"
#include "ui/fieldrules.h"
#include "core/texts.h"

#include <QClipboard>
#include <QLineEdit>

using rules::FieldKind;

class TestFieldRules : public QObject {
    Q_OBJECT

private:
    // A field with the filter of the given kind, as the windows build them.
    static std::unique_ptr<QLineEdit> field(FieldKind kind, int maxLength)
    {
        auto edit = std::make_unique<QLineEdit>();
        edit->setMaxLength(maxLength);
        rules::FieldFilter::install(edit.get(), kind);
        edit->show();
        edit->setFocus();
        return edit;
    }

private slots:
    void typedKeysAreFiltered_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("maxLength");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        const int date = int(FieldKind::Date), number = int(FieldKind::StartNumber), time = int(FieldKind::Time);
        QTest::newRow("date: no dot in empty field") << date << 10 << "." << "";
        QTest::newRow("date: dot after a digit") << date << 10 << "2." << "2.";
        QTest::newRow("date: second dot") << date << 10 << "23.01." << "23.01.";
        QTest::newRow("date: no third dot") << date << 10 << "23.01.19.58" << "23.01.1958";
        QTest::newRow("date: digits up to ten") << date << 10 << "23.01.195812" << "23.01.1958";
        QTest::newRow("date: letters, blank, slash, hyphen") << date << 10 << "1a 2/3-4" << "1234";
        QTest::newRow("date: dots side by side") << date << 10 << "1..1990" << "1..1990";
        QTest::newRow("start number: digits and dots") << number << 6 << "12.5" << "12.5";
        QTest::newRow("start number: many dots") << number << 6 << "..1.." << "..1..";
        QTest::newRow("start number: no letters or blanks") << number << 6 << "a 7b-" << "7";
        QTest::newRow("start number: six at most") << number << 6 << "1234567" << "123456";
        QTest::newRow("time: full shape") << time << 8 << "02:12:58" << "02:12:58";
        QTest::newRow("time: odd shape passes keys") << time << 8 << "0.2:::" << "0.2:::";
        QTest::newRow("time: no letters") << time << 8 << "1h2m;3" << "123";
        QTest::newRow("time: comma and blank") << time << 8 << "1, 2" << "12";
    }

    void typedKeysAreFiltered()
    {
        QFETCH(int, kind);
        QFETCH(int, maxLength);
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        auto edit = field(FieldKind(kind), maxLength);
        QTest::keyClicks(edit.get(), typed);
        QCOMPARE(edit->text(), expected);
    }

    void backspaceAlwaysWorks()
    {
        auto edit = field(FieldKind::Date, 10);
        QTest::keyClicks(edit.get(), "1.2.");
        QTest::keyClick(edit.get(), Qt::Key_Backspace);
        QTest::keyClick(edit.get(), Qt::Key_Backspace);
        QCOMPARE(edit->text(), QStringLiteral("1."));
        // With one dot left, a dot can be typed again.
        QTest::keyClicks(edit.get(), "2.");
        QCOMPARE(edit->text(), QStringLiteral("1.2."));
    }

    void dotsAreCountedOverTheWholeText()
    {
        // The caret at the start, two dots later in the text: no third dot.
        auto edit = field(FieldKind::Date, 10);
        edit->setText(QStringLiteral("1.2.1990"));
        edit->setCursorPosition(0);
        QTest::keyClicks(edit.get(), ".");
        QCOMPARE(edit->text(), QStringLiteral("1.2.1990"));
        // A selected dot still counts while the key is judged.
        edit->setSelection(1, 1);
        QTest::keyClicks(edit.get(), ".");
        QCOMPARE(edit->text(), QStringLiteral("1.2.1990"));
    }

    void pasteIsFiltered_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QString>("expected");
        QTest::newRow("date with slashes and letters") << int(FieldKind::Date) << "" << "x12.0a3.19/58." << "12.03.1958";
        QTest::newRow("date: leading dot dropped") << int(FieldKind::Date) << "" << ".1.1.2000" << "1.1.2000";
        QTest::newRow("start number with blanks") << int(FieldKind::StartNumber) << "" << " 1 2 3 " << "123";
        QTest::newRow("time with text") << int(FieldKind::Time) << "" << "t=02:12:58s" << "02:12:58";
        QTest::newRow("date appended") << int(FieldKind::Date) << "1.2" << ".1990." << "1.2.1990";
    }

    void pasteIsFiltered()
    {
        QFETCH(int, kind);
        QFETCH(QString, before);
        QFETCH(QString, clipboard);
        QFETCH(QString, expected);
        auto edit = field(FieldKind(kind), 10);
        edit->setText(before);
        edit->end(false);
        QApplication::clipboard()->setText(clipboard);
        QTest::keySequence(edit.get(), QKeySequence::Paste);
        QCOMPARE(edit->text(), expected);
    }

    void dateTextCheck_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("result");
        const int ok = int(rules::DateTextResult::Ok);
        const int m1 = int(rules::DateTextResult::TooShortOrDotAtEnd);
        const int m2 = int(rules::DateTextResult::NotTwoDots);
        QTest::newRow("six characters") << "1.2.58" << ok;
        QTest::newRow("five characters") << "1.2.5" << m1;
        QTest::newRow("leading dot") << ".1.1958" << m1;
        QTest::newRow("trailing dot") << "1.1.1958." << m1;
        QTest::newRow("one dot") << "1.11958" << m2;
        QTest::newRow("no dot") << "01011958" << m2;
        QTest::newRow("dd.mm.yyyy") << "12.05.1987" << ok;
        QTest::newRow("d.m.yyyy") << "12.5.1987" << ok;
        QTest::newRow("dots side by side") << "1..1990" << ok;
        QTest::newRow("empty") << "" << m1;
    }

    void dateTextCheck()
    {
        QFETCH(QString, text);
        QFETCH(int, result);
        QCOMPARE(int(rules::checkDateText(text)), result);
    }

    void dateFieldRefusalShowsMessageAndSelects()
    {
        QWidget window;
        auto* edit = new QLineEdit(&window);
        auto* other = new QLineEdit(&window);
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        other->setFocus();
        edit->setText(QStringLiteral("01011958"));
        MessageBox::clearShown();
        QVERIFY(!rules::checkDateField(edit, tx::exampleBirthDate()));
        QCOMPARE(MessageBox::last().text,
                 QStringLiteral("Primjer unošenja datuma rođenja: 23.01.1958\r\ndd.mm.yyyy ili d.m.yy"));
        QCOMPARE(MessageBox::last().title, QStringLiteral("Kelvora"));
        QCOMPARE(MessageBox::last().icon, QMessageBox::NoIcon);
        QCOMPARE(MessageBox::last().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(edit->selectedText(), edit->text());
        QVERIFY(edit->hasFocus());

        edit->setText(QStringLiteral(".1.1958"));
        QVERIFY(!rules::checkDateField(edit, tx::exampleRaceDate()));
        QCOMPARE(MessageBox::last().text,
                 QStringLiteral("Primjer unošenja datuma utrke: 23.01.1958\r\ndd.mm.yyyy ili d.m.yyyy"));

        edit->setText(QStringLiteral("1.1.1958"));
        MessageBox::clearShown();
        QVERIFY(rules::checkDateField(edit, tx::exampleRaceDate()));
        QVERIFY(MessageBox::shown().isEmpty());
    }
};

KVR_TEST_MAIN(TestFieldRules)
#include "test_fieldrules.moc"
