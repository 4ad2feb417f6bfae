#include "testutil.h"
#include "ui/fieldrules.h"
#include "core/texts.h"
#include "ui/pageutil.h"
#include "ui/widgets.h"

#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>

using rules::FieldKind;

namespace {

// The ways text comes into a field other than typing it.
enum class WayIn { KeyboardPaste, MenuPaste, MiddleButton, Drop, InputMethod, Insert };

const char* wayName(WayIn way)
{
    switch (way) {
    case WayIn::KeyboardPaste:
        return "Ctrl+V";
    case WayIn::MenuPaste:
        return "context menu paste";
    case WayIn::MiddleButton:
        return "middle button";
    case WayIn::Drop:
        return "drop";
    case WayIn::InputMethod:
        return "input method";
    case WayIn::Insert:
        return "insert";
    }
    return "";
}

// Brings text into the field, with the caret at its end, the given way.
void bringIn(QLineEdit* edit, WayIn way, const QString& text)
{
    edit->end(false);
    switch (way) {
    case WayIn::KeyboardPaste:
        QApplication::clipboard()->setText(text);
        QTest::keySequence(edit, QKeySequence::Paste);
        break;
    case WayIn::MenuPaste: {
        QApplication::clipboard()->setText(text);
        std::unique_ptr<QMenu> menu(edit->createStandardContextMenu());
        // The menu's own paste item, found by its text in the language loaded.
        const QString paste = QCoreApplication::translate("QLineEdit", "&Paste").remove(QLatin1Char('&'));
        int pasted = 0;
        for (QAction* action : menu->actions()) {
            if (action->text().remove(QLatin1Char('&')).startsWith(paste)) {
                action->trigger();
                ++pasted;
            }
        }
        QCOMPARE(pasted, 1);
        break;
    }
    case WayIn::MiddleButton: {
        QApplication::clipboard()->setText(text, QClipboard::Selection);
        const QPoint right(edit->width() - 4, edit->height() / 2);
        QTest::mouseClick(edit, Qt::MiddleButton, Qt::NoModifier, right);
        break;
    }
    case WayIn::Drop: {
        QMimeData data;
        data.setText(text);
        const QPointF right(edit->width() - 4, edit->height() / 2);
        QDragEnterEvent enter(right.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(edit, &enter);
        QDropEvent drop(right, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(edit, &drop);
        break;
    }
    case WayIn::InputMethod: {
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QApplication::sendEvent(edit, &commit);
        break;
    }
    case WayIn::Insert:
        edit->insert(text);
        break;
    }
}

// A key press and release carrying the text the real keyboard sends.
void pressKey(QLineEdit* edit, int key, const QString& text, int modifiers)
{
    QTest::sendKeyEvent(QTest::Click, edit, Qt::Key(key), text, Qt::KeyboardModifiers(modifiers));
}

} // namespace

class TestFieldRules : public QObject {
    Q_OBJECT

private:
    // A field with the filter of the given kind, as the windows build them.
    static std::unique_ptr<QLineEdit> field(FieldKind kind, int maxLength)
    {
        std::unique_ptr<QLineEdit> edit(ui::lineEdit("field", maxLength));
        rules::FieldFilter::install(edit.get(), kind);
        edit->show();
        edit->setFocus();
        return edit;
    }

    static char16_t emojiHigh() { return QStringLiteral("\U0001F600").at(0).unicode(); }

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

    void editingKeysAlwaysWork_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("cursor");
        QTest::addColumn<int>("selection");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("keyText");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("expectedCursor");
        const int date = int(FieldKind::Date), number = int(FieldKind::StartNumber), time = int(FieldKind::Time);
        const QString del = QStringLiteral("\x7f");
        const int none = Qt::NoModifier;
        QTest::newRow("date: Delete") << date << "1.2.1990" << 0 << 0 << int(Qt::Key_Delete) << del << none
                                      << ".2.1990" << 0;
        QTest::newRow("time: Delete") << time << "02:12" << 2 << 0 << int(Qt::Key_Delete) << del << none << "0212"
                                      << 2;
        QTest::newRow("start number: Delete") << number << "125" << 1 << 0 << int(Qt::Key_Delete) << del << none
                                              << "15" << 1;
        QTest::newRow("date: Delete of a selection")
            << date << "1.2.1990" << 2 << 2 << int(Qt::Key_Delete) << del << none << "1.1990" << 2;
        QTest::newRow("date: keypad Delete") << date << "1.2.1990" << 0 << 0 << int(Qt::Key_Delete) << del
                                             << int(Qt::KeypadModifier) << ".2.1990" << 0;
        QTest::newRow("date: Backspace") << date << "1.2.1990" << 8 << 0 << int(Qt::Key_Backspace) << "\b" << none
                                         << "1.2.199" << 7;
        QTest::newRow("date: Left") << date << "1.2" << 3 << 0 << int(Qt::Key_Left) << "" << none << "1.2" << 2;
        QTest::newRow("date: Home") << date << "1.2" << 3 << 0 << int(Qt::Key_Home) << "" << none << "1.2" << 0;
        QTest::newRow("date: End") << date << "1.2" << 0 << 0 << int(Qt::Key_End) << "" << none << "1.2" << 3;
        QTest::newRow("date: Shift+Home") << date << "1.2" << 3 << 0 << int(Qt::Key_Home) << ""
                                          << int(Qt::ShiftModifier) << "1.2" << 0;
        QTest::newRow("date: Ctrl+A") << date << "1.2" << 0 << 0 << int(Qt::Key_A) << "\x01"
                                      << int(Qt::ControlModifier) << "1.2" << 3;
    }

    void editingKeysAlwaysWork()
    {
        QFETCH(int, kind);
        QFETCH(QString, text);
        QFETCH(int, cursor);
        QFETCH(int, selection);
        QFETCH(int, key);
        QFETCH(QString, keyText);
        QFETCH(int, modifiers);
        QFETCH(QString, expected);
        QFETCH(int, expectedCursor);
        auto edit = field(FieldKind(kind), 10);
        edit->setText(text);
        if (selection)
            edit->setSelection(cursor, selection);
        else
            edit->setCursorPosition(cursor);
        pressKey(edit.get(), key, keyText, modifiers);
        QCOMPARE(edit->text(), expected);
        QCOMPARE(edit->cursorPosition(), expectedCursor);
    }

    void undoAndRedoAfterFilteredEdits()
    {
        auto edit = field(FieldKind::Date, 10);
        const int ctrl = Qt::ControlModifier;
        // A refused key leaves no trace in the undo history.
        QTest::keyClicks(edit.get(), "12a");
        QCOMPARE(edit->text(), QStringLiteral("12"));
        pressKey(edit.get(), Qt::Key_Z, QStringLiteral("\x1a"), ctrl);
        QCOMPARE(edit->text(), QString());
        pressKey(edit.get(), Qt::Key_Y, QStringLiteral("\x19"), ctrl);
        QCOMPARE(edit->text(), QStringLiteral("12"));
        // Delete can be undone.
        edit->setText(QStringLiteral("1.2.1990"));
        edit->setCursorPosition(0);
        pressKey(edit.get(), Qt::Key_Delete, QStringLiteral("\x7f"), Qt::NoModifier);
        QCOMPARE(edit->text(), QStringLiteral(".2.1990"));
        pressKey(edit.get(), Qt::Key_Z, QStringLiteral("\x1a"), ctrl);
        QCOMPARE(edit->text(), QStringLiteral("1.2.1990"));
        // A paste the filter takes whole is undone as one step.
        edit->setText(QStringLiteral("1.2"));
        bringIn(edit.get(), WayIn::KeyboardPaste, QStringLiteral(".1990"));
        QCOMPARE(edit->text(), QStringLiteral("1.2.1990"));
        pressKey(edit.get(), Qt::Key_Z, QStringLiteral("\x1a"), ctrl);
        QCOMPARE(edit->text(), QStringLiteral("1.2"));
        // Undo after a paste the filter cut never brings back what it dropped.
        bringIn(edit.get(), WayIn::KeyboardPaste, QStringLiteral(".x19y90"));
        QCOMPARE(edit->text(), QStringLiteral("1.2.1990"));
        pressKey(edit.get(), Qt::Key_Z, QStringLiteral("\x1a"), ctrl);
        QVERIFY(!edit->text().contains(QLatin1Char('x')));
        QVERIFY(!edit->text().contains(QLatin1Char('y')));
    }

    void keysWithModifiersAreFiltered_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("keyText");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("expected");
        const int date = int(FieldKind::Date), number = int(FieldKind::StartNumber), time = int(FieldKind::Time);
        const int alt = Qt::AltModifier;
        // AltGr of a Croatian keyboard comes as Ctrl+Alt.
        const int altGr = Qt::ControlModifier | Qt::AltModifier;
        QTest::newRow("date: Alt+x") << date << "1.2" << int(Qt::Key_X) << "x" << alt << "1.2";
        QTest::newRow("time: Alt+h") << time << "02" << int(Qt::Key_H) << "h" << alt << "02";
        QTest::newRow("date: AltGr @") << date << "1.2" << int(Qt::Key_At) << "@" << altGr << "1.2";
        QTest::newRow("date: AltGr [") << date << "1.2" << int(Qt::Key_BracketLeft) << "[" << altGr << "1.2";
        QTest::newRow("start number: AltGr ]") << number << "12" << int(Qt::Key_BracketRight) << "]" << altGr
                                               << "12";
        QTest::newRow("time: AltGr {") << time << "02" << int(Qt::Key_BraceLeft) << "{" << altGr << "02";
        QTest::newRow("time: AltGr }") << time << "02" << int(Qt::Key_BraceRight) << "}" << altGr << "02";
        QTest::newRow("date: AltGr backslash") << date << "1.2" << int(Qt::Key_Backslash) << "\\" << altGr << "1.2";
        QTest::newRow("date: third dot with Alt") << date << "1.2.1990" << int(Qt::Key_Period) << "." << alt
                                                  << "1.2.1990";
        QTest::newRow("date: dot with AltGr in an empty field") << date << "" << int(Qt::Key_Period) << "."
                                                                << altGr << "";
        QTest::newRow("start number: digit with AltGr is typed") << number << "12" << int(Qt::Key_5) << "5"
                                                                 << altGr << "125";
    }

    void keysWithModifiersAreFiltered()
    {
        QFETCH(int, kind);
        QFETCH(QString, text);
        QFETCH(int, key);
        QFETCH(QString, keyText);
        QFETCH(int, modifiers);
        QFETCH(QString, expected);
        auto edit = field(FieldKind(kind), 10);
        edit->setText(text);
        pressKey(edit.get(), key, keyText, modifiers);
        QCOMPARE(edit->text(), expected);
    }

    void textFromEveryWayInIsFiltered_data()
    {
        QTest::addColumn<int>("way");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("incoming");
        QTest::addColumn<QString>("expected");
        const int date = int(FieldKind::Date), number = int(FieldKind::StartNumber), time = int(FieldKind::Time);
        for (const WayIn way : {WayIn::KeyboardPaste, WayIn::MenuPaste, WayIn::MiddleButton, WayIn::Drop,
                                WayIn::InputMethod, WayIn::Insert}) {
            const int w = int(way);
            const QByteArray name(wayName(way));
            QTest::newRow(name + ": date with letters") << w << date << "" << "12a.3b" << "12.3";
            QTest::newRow(name + ": date appended") << w << date << "1.2" << ".19x90." << "1.2.1990";
            QTest::newRow(name + ": date, leading dot") << w << date << "" << ".1.1.2000" << "1.1.2000";
            QTest::newRow(name + ": start number") << w << number << "" << "a1 2" << "12";
            QTest::newRow(name + ": time") << w << time << "" << "t=02:12" << "02:12";
            QTest::newRow(name + ": only letters") << w << date << "1.2" << "abc" << "1.2";
        }
        // What dead keys and the compose key commit.
        const int im = int(WayIn::InputMethod);
        QTest::newRow("input method: dead key accent") << im << date << "1" << QStringLiteral("é") << "1";
        QTest::newRow("input method: compose") << im << number << "1" << QStringLiteral("½") << "1";
        QTest::newRow("input method: compose in time") << im << time << "02" << QStringLiteral("¹:") << "02:";
    }

    void textFromEveryWayInIsFiltered()
    {
        QFETCH(int, way);
        QFETCH(int, kind);
        QFETCH(QString, before);
        QFETCH(QString, incoming);
        QFETCH(QString, expected);
        if (WayIn(way) == WayIn::MiddleButton && !QApplication::clipboard()->supportsSelection())
            QSKIP("this platform has no selection to paste with the middle button");
        auto edit = field(FieldKind(kind), 10);
        edit->setText(before);
        bringIn(edit.get(), WayIn(way), incoming);
        QCOMPARE(edit->text(), expected);
    }

    void longPasteStopsAtTheLimit_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("maxLength");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("expected");
        QTest::newRow("date of digits") << int(FieldKind::Date) << 10 << "1" << "1111111111";
        QTest::newRow("start number among letters") << int(FieldKind::StartNumber) << 6 << "a1" << "111111";
        QTest::newRow("time") << int(FieldKind::Time) << 8 << "1:" << "1:1:1:1:";
        QTest::newRow("name") << int(FieldKind::Text) << 25 << "ab" << QString("ab").repeated(12) + "a";
    }

    void longPasteStopsAtTheLimit()
    {
        QFETCH(int, kind);
        QFETCH(int, maxLength);
        QFETCH(QString, pattern);
        QFETCH(QString, expected);
        auto edit = field(FieldKind(kind), maxLength);
        bringIn(edit.get(), WayIn::KeyboardPaste, pattern.repeated(1000000 / pattern.size()));
        QCOMPARE(edit->text(), expected);
        QCOMPARE(rules::maxLength(edit.get()), maxLength);
    }

    void lengthLimitCutsWholeCharacters_data()
    {
        QTest::addColumn<int>("way");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("incoming");
        QTest::addColumn<QString>("expected");
        const QString emoji = QStringLiteral("\U0001F600");
        const int set = -1;
        QTest::newRow("paste reaching the limit") << int(WayIn::KeyboardPaste) << "abcd" << emoji + emoji
                                                  << "abcd" + emoji;
        QTest::newRow("paste after an emoji") << int(WayIn::KeyboardPaste) << emoji << "abcdef" << emoji + "abcd";
        QTest::newRow("paste into a full field") << int(WayIn::KeyboardPaste) << "abcde" << emoji << "abcde";
        QTest::newRow("emoji count as one") << int(WayIn::KeyboardPaste) << "" << emoji.repeated(7)
                                            << emoji.repeated(5);
        QTest::newRow("input method") << int(WayIn::InputMethod) << "abcd" << emoji + "x" << "abcd" + emoji;
        QTest::newRow("drop") << int(WayIn::Drop) << "abc" << "d" + emoji + emoji << "abcd" + emoji;
        QTest::newRow("setText") << set << "" << "abcd" + emoji + emoji << "abcd" + emoji;
        QTest::newRow("setText of plain text") << set << "" << "abcdefgh" << "abcde";
    }

    void lengthLimitCutsWholeCharacters()
    {
        QFETCH(int, way);
        QFETCH(QString, before);
        QFETCH(QString, incoming);
        QFETCH(QString, expected);
        // An unfiltered field such as a name, club or race name.
        auto edit = field(FieldKind::Text, 5);
        edit->setText(before);
        if (way < 0)
            edit->setText(incoming);
        else
            bringIn(edit.get(), WayIn(way), incoming);
        QCOMPARE(edit->text(), expected);
        QVERIFY(!edit->text().endsWith(QChar(emojiHigh())));
    }

    void filterInsertionKeepsWholeCharactersWithinRoom_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("inserted");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("room");
        QTest::addColumn<QString>("expected");
        const QString emoji = QStringLiteral("\U0001F600");
        const int text = int(FieldKind::Text), date = int(FieldKind::Date);
        QTest::newRow("text: emoji is one character") << text << "" << "ab" + emoji + "cd" << "" << 3
                                                      << "ab" + emoji;
        QTest::newRow("text: half pair dropped") << text << "" << "ab" + emoji.left(1) << "" << 10 << "ab";
        QTest::newRow("text: lone low half dropped") << text << "" << emoji.right(1) + "ab" << "" << 10 << "ab";
        QTest::newRow("date: emoji never") << date << "1" << emoji + "2" << "" << 10 << "2";
        QTest::newRow("date: room") << date << "" << "12.05.1987" << "" << 4 << "12.0";
        QTest::newRow("date: dots around counted") << date << "1." << "2.3" << ".5" << 10 << "23";
        QTest::newRow("date: no room") << date << "" << "1" << "" << 0 << "";
    }

    void filterInsertionKeepsWholeCharactersWithinRoom()
    {
        QFETCH(int, kind);
        QFETCH(QString, before);
        QFETCH(QString, inserted);
        QFETCH(QString, after);
        QFETCH(int, room);
        QFETCH(QString, expected);
        QCOMPARE(rules::filterInsertion(FieldKind(kind), before, inserted, after, room), expected);
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

    // The date-text check of a field, refused as the window refuses it.
    static bool checkDateField(QLineEdit* edit, const QString& example)
    {
        const rules::DateTextResult result = rules::checkDateText(edit->text());
        if (result == rules::DateTextResult::Ok)
            return true;
        ui::showFailure(edit->window(), true, {Field::BirthDate, rules::dateTextMessage(result, example)}, {},
                        {{Field::BirthDate, edit}});
        return false;
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
        QVERIFY(!checkDateField(edit, tx::exampleBirthDate()));
        QCOMPARE(MessageBox::last().text,
                 QStringLiteral("Primjer unošenja datuma rođenja: 23.01.1958\r\ndd.mm.yyyy ili d.m.yy"));
        QCOMPARE(MessageBox::last().title, QStringLiteral("Kelvora"));
        QCOMPARE(MessageBox::last().icon, QMessageBox::NoIcon);
        QCOMPARE(MessageBox::last().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(edit->selectedText(), edit->text());
        QVERIFY(edit->hasFocus());

        edit->setText(QStringLiteral(".1.1958"));
        QVERIFY(!checkDateField(edit, tx::exampleRaceDate()));
        QCOMPARE(MessageBox::last().text,
                 QStringLiteral("Primjer unošenja datuma utrke: 23.01.1958\r\ndd.mm.yyyy ili d.m.yyyy"));

        edit->setText(QStringLiteral("1.1.1958"));
        MessageBox::clearShown();
        QVERIFY(checkDateField(edit, tx::exampleRaceDate()));
        QVERIFY(MessageBox::shown().isEmpty());
    }
};

KVR_TEST_MAIN(TestFieldRules)
#include "test_fieldrules.moc"
