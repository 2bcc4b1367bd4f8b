// Input widgets and dialogs: the eliding label, the dialogs without help
// button, and the text entry with the printer's special marks. Modal dialogs
// and menus are driven from timers that wait until they are on screen; the
// handlers only record what they see and press a button, the checks run
// after the modal call has returned.
//
// Set FPTR_WIDGET_SHOTS to a folder to get pictures of the dialogs there.

#include "testmain.h"

#include "barcodeinmemorydialog.h"
#include "extendedlineedit.h"
#include "nohelpbutton.h"
#include "pictureinmemorydialog.h"
#include "squeezedlabel.h"
#include "tables.h"
#include "texteditdialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>

#include <functional>

namespace {

int g_missedWidgets = 0; // expected dialogs or menus that never appeared
int g_pendingWaits = 0;  // whenShown calls still waiting
QtMessageHandler g_testHandler = nullptr;

// The offscreen platform reports every window feature it lacks: noise here.
void dropPlatformNoise(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg && message.startsWith(QLatin1String("This plugin does not support")))
        return;
    g_testHandler(type, context, message);
}

// Closes whatever a failed expectation left open, so the test goes on.
void dismissAll()
{
    while (QWidget *popup = QApplication::activePopupWidget())
        popup->close();
    while (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
        dialog->reject();
}

// Calls handler with the popup or modal widget of type T once it is on
// screen; waits up to five seconds for it.
template <typename T>
void whenShown(std::function<void(T *)> handler, int attempt = 0)
{
    if (attempt == 0)
        ++g_pendingWaits;
    QTimer::singleShot(attempt ? 10 : 0, [handler, attempt]() {
        T *widget = qobject_cast<T *>(QApplication::activePopupWidget());
        if (!widget)
            widget = qobject_cast<T *>(QApplication::activeModalWidget());
        if (widget && widget->isVisible()) {
            --g_pendingWaits;
            handler(widget);
        } else if (attempt < 500) {
            whenShown<T>(handler, attempt + 1);
        } else {
            --g_pendingWaits;
            qWarning("expected %s did not appear", T::staticMetaObject.className());
            ++g_missedWidgets;
            dismissAll();
        }
    });
}

// Types any text, Cyrillic included (QTest::keyClicks takes Latin-1 only).
void typeText(QWidget *widget, const QString &text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

QStringList actionTexts(const QMenu *menu)
{
    QStringList texts;
    for (const QAction *action : menu->actions()) {
        if (!action->isSeparator())
            texts << action->text();
    }
    return texts;
}

// Chooses an entry as a user does (only such a choice is what exec()
// reports); an unknown text just closes the menu.
void chooseAction(QMenu *menu, const QString &text)
{
    for (QAction *action : menu->actions()) {
        if (action->text() == text) {
            menu->setActiveAction(action);
            QTest::keyClick(menu, Qt::Key_Return);
            return;
        }
    }
    menu->close();
}

void pressButton(QWidget *dialog, QDialogButtonBox::StandardButton which)
{
    for (QDialogButtonBox *box : dialog->findChildren<QDialogButtonBox *>()) {
        if (QPushButton *button = box->button(which))
            return button->click();
    }
    ++g_missedWidgets;
    dismissAll();
}

void saveShot(QWidget *widget, const QString &name)
{
    const QString dir = qEnvironmentVariable("FPTR_WIDGET_SHOTS");
    if (dir.isEmpty())
        return;
    QDir().mkpath(dir);
    widget->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

// Names of the labels, buttons and spin boxes that are smaller than their
// text needs.
QStringList clippedTexts(QWidget *window)
{
    QStringList clipped;
    for (QWidget *widget : window->findChildren<QWidget *>()) {
        const auto *label = qobject_cast<QLabel *>(widget);
        const bool fixedText = (label && !label->wordWrap())
                               || qobject_cast<QAbstractButton *>(widget)
                               || qobject_cast<QSpinBox *>(widget);
        if (!fixedText || !widget->isVisibleTo(window))
            continue;
        const QSize hint = widget->sizeHint();
        if (widget->width() < hint.width() || widget->height() < hint.height())
            clipped << widget->objectName();
    }
    return clipped;
}

const QString DoubleWidthText = QStringLiteral("Символ двойной ширины");
const QString PictureText = QStringLiteral("Изображение из памяти");
const QString BarcodeText = QStringLiteral("ШК из памяти");
const QChar Ellipsis(0x2026);

// Answers the dialog that a special menu entry opens: "picture" or "barcode",
// then ":" and "ok" (defaults), "cancel", a "number,offset" or a barcode
// number, or "dynamic". Records the dialog's title.
void answerReferenceDialog(const QString &answer, QString *title)
{
    const QString kind = answer.section(QLatin1Char(':'), 0, 0);
    const QString input = answer.section(QLatin1Char(':'), 1);
    const auto button = input == QLatin1String("cancel") ? QDialogButtonBox::Cancel
                                                          : QDialogButtonBox::Ok;
    if (kind == QLatin1String("picture")) {
        whenShown<PictureInMemoryDialog>([=](PictureInMemoryDialog *dialog) {
            *title = dialog->windowTitle();
            if (input.contains(QLatin1Char(','))) {
                dialog->findChild<QSpinBox *>("spinPictureNumber")->setValue(input.section(',', 0, 0).toInt());
                dialog->findChild<QSpinBox *>("spinLeftMargin")->setValue(input.section(',', 1).toInt());
            }
            pressButton(dialog, button);
        });
    } else if (kind == QLatin1String("barcode")) {
        whenShown<BarcodeInMemoryDialog>([=](BarcodeInMemoryDialog *dialog) {
            *title = dialog->windowTitle();
            if (input == QLatin1String("dynamic"))
                dialog->findChild<QRadioButton *>("rbDynamicBarcode")->setChecked(true);
            else if (input.toInt() > 0)
                dialog->findChild<QSpinBox *>("spinBarcodeNum")->setValue(input.toInt());
            pressButton(dialog, button);
        });
    }
}

} // namespace

class TestWidgets : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { g_testHandler = qInstallMessageHandler(dropPlatformNoise); }
    void cleanup();

    void squeezedLabel();
    void squeezedLabelLetsLayoutsShrinkIt();

    void noHelpButtonDialog();
    void inputDialog_data();
    void inputDialog();
    void messageBoxes_data();
    void messageBoxes();
    void fileDialogs();

    void contextMenuEntries_data();
    void contextMenuEntries();
    void specialActions_data();
    void specialActions();
    void toolButtonEditor_data();
    void toolButtonEditor();
    void editorFollowsCurrentFlags();
    void textEditDialogShow_data();
    void textEditDialogShow();
    void referenceDialogs();

    void dialogsShowTheirTextsWhole_data();
    void dialogsShowTheirTextsWhole();
};

void TestWidgets::cleanup()
{
    // A handler still waiting refers to the finished test's variables.
    QTRY_COMPARE_WITH_TIMEOUT(g_pendingWaits, 0, 10000);
    dismissAll();
    const int missed = g_missedWidgets;
    g_missedWidgets = 0;
    QCOMPARE(missed, 0);
}

// ---------------------------------------------------------------- SqueezedLabel

void TestWidgets::squeezedLabel()
{
    const QString name = QStringLiteral("ККТ-тест, COM1, 115200 бод, касса №2 в торговом зале");
    QWidget window;
    SqueezedLabel label(name, &window); // a child label starts 100 pixels wide
    QVERIFY(label.text().endsWith(Ellipsis));
    QCOMPARE(label.toolTip(), name);

    const int fullWidth = QFontMetrics(label.font()).horizontalAdvance(name);
    window.resize(fullWidth + 100, 40);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    label.resize(fullWidth / 2, 20);
    label.setText(name);
    QCOMPARE(label.fullText(), name);
    QVERIFY(label.text().endsWith(Ellipsis));
    QVERIFY(name.startsWith(label.text().chopped(1)));
    QCOMPARE(label.toolTip(), name);

    label.resize(fullWidth + 10, 20); // wide enough now
    QCOMPARE(label.text(), name);
    QVERIFY(label.toolTip().isEmpty());

    label.resize(fullWidth - 20, 20);
    QVERIFY(label.text().endsWith(Ellipsis));
    QCOMPARE(label.toolTip(), name);

    label.setText(QStringLiteral("ККТ 1")); // short names show whole
    QCOMPARE(label.text(), QStringLiteral("ККТ 1"));
    QVERIFY(label.toolTip().isEmpty());

    label.setText(name);
    label.clear();
    QVERIFY(label.fullText().isEmpty());
    QVERIFY(label.toolTip().isEmpty());
    label.clear(); // already empty
    label.resize(fullWidth + 50, 20);
    QVERIFY(label.text().isEmpty()); // the cleared text does not come back
}

void TestWidgets::squeezedLabelLetsLayoutsShrinkIt()
{
    QWidget window;
    auto *layout = new QHBoxLayout(&window);
    auto *label = new SqueezedLabel(QStringLiteral("Очень длинное название устройства"), &window);
    layout->addWidget(label);
    window.resize(60, 40);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY2(window.width() <= 60, "the label's text widened the window");
    QVERIFY(label->text().endsWith(Ellipsis));
}

// ---------------------------------------------------------------- NoHelpButton family

void TestWidgets::noHelpButtonDialog()
{
    NoHelpButtonDialog dialog;
    QVERIFY(!(dialog.windowFlags() & Qt::WindowContextHelpButtonHint));
    TextEditDialog editor(0);
    QVERIFY(!(editor.windowFlags() & Qt::WindowContextHelpButtonHint));

    QWidget widget(nullptr, Qt::Dialog | Qt::WindowContextHelpButtonHint);
    NoHelpButtonDialog::removeHelpButton(&widget);
    QCOMPARE(widget.windowFlags() & ~Qt::WindowContextHelpButtonHint, widget.windowFlags());
    QVERIFY(widget.windowFlags() & Qt::Dialog);
}

void TestWidgets::inputDialog_data()
{
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QString>("expected");
    QTest::newRow("ok") << true << QStringLiteral("Касса у входа");
    QTest::newRow("cancel") << false << QString();
}

void TestWidgets::inputDialog()
{
    QFETCH(bool, accept);
    QFETCH(QString, expected);

    QStringList shown;
    QLineEdit::EchoMode echo = QLineEdit::Normal;
    Qt::WindowFlags flags;
    whenShown<QInputDialog>([&](QInputDialog *dialog) {
        shown << dialog->windowTitle() << dialog->labelText() << dialog->textValue();
        echo = dialog->textEchoMode();
        flags = dialog->windowFlags();
        dialog->setTextValue(QStringLiteral("Касса у входа"));
        accept ? dialog->accept() : dialog->reject();
    });
    bool ok = !accept;
    const QString result = NoHelpButtonInputDialog::getText(
        nullptr, QStringLiteral("Переименовать"), QStringLiteral("Новое имя:"),
        QLineEdit::Password, QStringLiteral("ККТ 1"), &ok);

    QCOMPARE(result, expected);
    QCOMPARE(ok, accept);
    QCOMPARE(shown, (QStringList{"Переименовать", "Новое имя:", "ККТ 1"}));
    QCOMPARE(echo, QLineEdit::Password);
    QVERIFY(!(flags & Qt::WindowContextHelpButtonHint));
}

void TestWidgets::messageBoxes_data()
{
    using MB = QMessageBox;
    QTest::addColumn<int>("function");
    QTest::addColumn<int>("buttons"); // given, then shown
    QTest::addColumn<int>("defaultButton");
    QTest::addColumn<int>("press");
    QTest::addColumn<int>("icon");

    QTest::newRow("information") << 0 << int(MB::Ok) << int(MB::Ok) << int(MB::Ok)
                                 << int(MB::Information);
    QTest::newRow("warning") << 1 << int(MB::Ok | MB::Cancel) << int(MB::Cancel) << int(MB::Ok)
                             << int(MB::Warning);
    QTest::newRow("question") << 2 << int(MB::Ok | MB::Cancel) << int(MB::Ok)
                              << int(MB::Cancel) << int(MB::Question);
    // critical takes no buttons from the caller: OK only, OK the default
    QTest::newRow("critical") << 3 << int(MB::Ok) << int(MB::Ok) << int(MB::Ok)
                              << int(MB::Critical);
}

void TestWidgets::messageBoxes()
{
    QFETCH(int, function);
    QFETCH(int, buttons);
    QFETCH(int, defaultButton);
    QFETCH(int, press);
    QFETCH(int, icon);

    QList<int> shown;
    QStringList texts;
    Qt::WindowFlags flags;
    whenShown<QMessageBox>([&](QMessageBox *box) {
        shown << box->icon() << int(box->standardButtons())
              << int(box->standardButton(box->defaultButton()));
        texts << box->windowTitle() << box->text();
        flags = box->windowFlags();
        box->button(QMessageBox::StandardButton(press))->click();
    });

    QWidget parent;
    const QString title = QStringLiteral("Ввод даты");
    const QString text = QStringLiteral("Требуется подтверждение ввода даты");
    const auto b = QMessageBox::StandardButtons(buttons);
    const auto d = QMessageBox::StandardButton(defaultButton);
    QMessageBox::StandardButton result = QMessageBox::NoButton;
    if (function == 0)
        result = NoHelpButtonMessageBox::information(&parent, title, text, b, d);
    else if (function == 1)
        result = NoHelpButtonMessageBox::warning(&parent, title, text, b, d);
    else if (function == 2)
        result = NoHelpButtonMessageBox::question(&parent, title, text, b, d);
    else
        result = NoHelpButtonMessageBox::critical(&parent, title, text);

    QCOMPARE(int(result), press);
    QCOMPARE(shown, (QList<int>{icon, buttons, defaultButton}));
    QCOMPARE(texts, (QStringList{title, text}));
    QVERIFY(!(flags & Qt::WindowContextHelpButtonHint));
}

void TestWidgets::fileDialogs()
{
    QTemporaryDir dir;
    const QString picture = dir.filePath(QStringLiteral("логотип.png"));
    QFile file(picture);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const QString images = QStringLiteral("Изображения (*.bmp *.png)");
    const QString all = QStringLiteral("Все файлы (*)");
    auto proposedName = [](QFileDialog *dialog) {
        return dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->text();
    };

    // Save: the file name of dir is proposed.
    QStringList seen;
    whenShown<QFileDialog>([&](QFileDialog *dialog) {
        seen << dialog->windowTitle() << proposedName(dialog) << dialog->nameFilters();
        dialog->selectFile(dir.filePath(QStringLiteral("снимок.png")));
        static_cast<QDialog *>(dialog)->accept(); // QFileDialog hides accept()
    });
    QCOMPARE(NoHelpButtonFileDialog::getSaveFileName(nullptr, QStringLiteral("Сохранить"),
                                                     QStringLiteral("untitled.png"), images),
             dir.filePath(QStringLiteral("снимок.png")));
    QCOMPARE(seen, (QStringList{"Сохранить", "untitled.png", images}));

    // Open: no name proposed, the caller's filter preselected, the filter in
    // use at OK handed back.
    seen.clear();
    int fileMode = -1;
    whenShown<QFileDialog>([&](QFileDialog *dialog) {
        seen << QDir(dialog->directory()).absolutePath() << proposedName(dialog)
             << dialog->selectedNameFilter();
        fileMode = dialog->fileMode();
        dialog->selectNameFilter(images);
        dialog->selectFile(picture);
        static_cast<QDialog *>(dialog)->accept();
    });
    QString filter = all;
    QCOMPARE(NoHelpButtonFileDialog::getOpenFileName(nullptr, QStringLiteral("Открыть"), dir.path(),
                                                     images + ";;" + all, &filter),
             picture);
    QCOMPARE(seen, (QStringList{QDir(dir.path()).absolutePath(), QString(), all}));
    QCOMPARE(fileMode, int(QFileDialog::ExistingFile));
    QCOMPARE(filter, images);

    // Cancel: no path, and the caller's filter is left alone.
    whenShown<QFileDialog>([](QFileDialog *dialog) { dialog->reject(); });
    filter = all;
    QVERIFY(NoHelpButtonFileDialog::getOpenFileName(nullptr, QString(), dir.path(),
                                                    images + ";;" + all, &filter)
                .isEmpty());
    QCOMPARE(filter, all);
}

// ---------------------------------------------------------------- Special characters

void TestWidgets::contextMenuEntries_data()
{
    QTest::addColumn<bool>("editor"); // TextEditDialog instead of ExtendedLineEdit
    QTest::addColumn<QList<int>>("flagCalls");
    QTest::addColumn<QStringList>("specials");
    const QStringList all{DoubleWidthText, PictureText, BarcodeText};
    QTest::newRow("line: none") << false << QList<int>{} << QStringList{};
    QTest::newRow("line: 1") << false << QList<int>{1} << QStringList{DoubleWidthText};
    QTest::newRow("line: 7") << false << QList<int>{7} << all;
    QTest::newRow("line: 1 then 7") << false << QList<int>{1, 7} << all;
    QTest::newRow("line: 7 then 0 keeps them") << false << QList<int>{7, 0} << all;
    QTest::newRow("line: creation order")
        << false << QList<int>{4, 3} << QStringList{BarcodeText, DoubleWidthText, PictureText};
    QTest::newRow("editor: 0") << true << QList<int>{0} << QStringList{};
    QTest::newRow("editor: 6") << true << QList<int>{6} << QStringList{PictureText, BarcodeText};
    QTest::newRow("editor: 7") << true << QList<int>{7} << all;
}

void TestWidgets::contextMenuEntries()
{
    QFETCH(bool, editor);
    QFETCH(QList<int>, flagCalls);
    QFETCH(QStringList, specials);

    QStringList texts;
    whenShown<QMenu>([&](QMenu *menu) {
        texts = actionTexts(menu);
        saveShot(menu, editor ? QStringLiteral("editor-menu") : QStringLiteral("lineedit-menu"));
        menu->close();
    });
    if (editor) {
        TextEditDialog dialog(flagCalls.value(0));
        emit dialog.findChild<QTextEdit *>("textEdit")->customContextMenuRequested(QPoint(5, 5));
    } else {
        ExtendedLineEdit edit(nullptr);
        for (int flags : flagCalls)
            edit.setExtendedChars(flags);
        edit.setText(QStringLiteral("abc"));
        emit edit.findChild<QLineEdit *>("lineEdit")->customContextMenuRequested(QPoint(5, 5));
        QCOMPARE(edit.text(), QStringLiteral("abc")); // closing the menu changes nothing
    }

    // The standard entries come first, the special ones last, each once.
    const QStringList standard = texts.mid(0, texts.size() - specials.size());
    QVERIFY(!standard.isEmpty());
    QCOMPARE(texts.mid(standard.size()), specials);
    for (const QString &text : standard)
        QVERIFY2(!specials.contains(text), qPrintable(text));
}

void TestWidgets::specialActions_data()
{
    QTest::addColumn<bool>("editor");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("answer"); // see answerReferenceDialog
    QTest::addColumn<QString>("initial");
    QTest::addColumn<int>("selectFrom");
    QTest::addColumn<int>("selectTo");
    QTest::addColumn<QString>("expected");

    const QString dw(DoubleWidthChar), pic(PictureNumChar), bc(BarcodeNumChar);
    for (const bool editor : {false, true}) {
        const QByteArray w = editor ? "editor: " : "line: ";
        QTest::newRow(w + "double width in the middle")
            << editor << DoubleWidthText << "" << "abcd" << 2 << 2 << "ab" + dw + "cd";
        QTest::newRow(w + "picture, defaults")
            << editor << PictureText << "picture:ok" << "" << 0 << 0 << pic + "1,15" + pic;
        QTest::newRow(w + "picture 3 at 0 replaces the text")
            << editor << PictureText << "picture:3,0" << "одна\nдве" << 3 << 3 << pic + "3,0" + pic;
        QTest::newRow(w + "picture cancelled")
            << editor << PictureText << "picture:cancel" << "как было" << 1 << 1 << "как было";
        QTest::newRow(w + "dynamic barcode")
            << editor << BarcodeText << "barcode:dynamic" << "x" << 0 << 0 << bc + "0" + bc;
        QTest::newRow(w + "barcode 12")
            << editor << BarcodeText << "barcode:12" << "x" << 1 << 1 << bc + "12" + bc;
        QTest::newRow(w + "barcode cancelled")
            << editor << BarcodeText << "barcode:cancel" << "как было" << 0 << 0 << "как было";
    }
    // the line edit inserts at the cursor, which a selection leaves at its end
    QTest::newRow("line: double width at the cursor, selection kept")
        << false << DoubleWidthText << "" << "abcd" << 1 << 3 << "abc" + dw + "d";
    QTest::newRow("editor: double width replaces the selection")
        << true << DoubleWidthText << "" << "abcd" << 1 << 3 << "a" + dw + "d";
}

void TestWidgets::specialActions()
{
    QFETCH(bool, editor);
    QFETCH(QString, action);
    QFETCH(QString, answer);
    QFETCH(QString, initial);
    QFETCH(int, selectFrom);
    QFETCH(int, selectTo);
    QFETCH(QString, expected);

    QString dialogTitle;
    whenShown<QMenu>([&](QMenu *menu) {
        answerReferenceDialog(answer, &dialogTitle);
        chooseAction(menu, action);
    });
    QString result;
    if (editor) {
        TextEditDialog dialog(7);
        dialog.setText(initial);
        auto *textEdit = dialog.findChild<QTextEdit *>("textEdit");
        QCOMPARE(textEdit->textCursor().position(), initial.size()); // setText goes to the end
        QTextCursor cursor = textEdit->textCursor();
        cursor.setPosition(selectFrom);
        cursor.setPosition(selectTo, QTextCursor::KeepAnchor);
        textEdit->setTextCursor(cursor);
        emit textEdit->customContextMenuRequested(QPoint(5, 5));
        result = dialog.text();
    } else {
        ExtendedLineEdit edit(nullptr);
        edit.setExtendedChars(7);
        edit.setText(initial);
        auto *line = edit.findChild<QLineEdit *>("lineEdit");
        line->setSelection(selectFrom, selectTo - selectFrom);
        emit line->customContextMenuRequested(QPoint(5, 5));
        result = edit.text();
    }

    QCOMPARE(result, expected);
    QCOMPARE(dialogTitle, answer.isEmpty() ? QString() : action); // titled like the entry
}

void TestWidgets::toolButtonEditor_data()
{
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QString>("expected");
    QTest::newRow("ok keeps line breaks") << true << QStringLiteral("Первая\nвторая строка");
    QTest::newRow("cancel") << false << QStringLiteral("Первая");
}

void TestWidgets::toolButtonEditor()
{
    QFETCH(bool, accept);
    QFETCH(QString, expected);

    ExtendedLineEdit edit(nullptr);
    edit.setText(QStringLiteral("Первая"));
    auto *button = edit.findChild<QToolButton *>("toolButton");
    QCOMPARE(button->text(), QStringLiteral("..."));
    edit.show();

    QStringList seen;
    whenShown<TextEditDialog>([&](TextEditDialog *dialog) {
        seen << dialog->windowTitle() << dialog->text();
        auto *textEdit = dialog->findChild<QTextEdit *>("textEdit");
        QTest::keyClick(textEdit, Qt::Key_Return);
        typeText(textEdit, QStringLiteral("вторая строка"));
        pressButton(dialog, accept ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel);
    });
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(seen, (QStringList{"Текст", "Первая"}));
    QCOMPARE(edit.text(), expected);

    edit.hideToolButton();
    QVERIFY(!button->isVisible());
    QVERIFY(edit.findChild<QLineEdit *>("lineEdit")->isVisible());
}

void TestWidgets::editorFollowsCurrentFlags()
{
    // The line edit keeps its three entries, but its editor gets the flags
    // as they are now.
    ExtendedLineEdit edit(nullptr);
    edit.setExtendedChars(7);
    edit.setExtendedChars(1);

    QStringList editorMenu;
    whenShown<TextEditDialog>([&](TextEditDialog *dialog) {
        whenShown<QMenu>([&](QMenu *menu) {
            editorMenu = actionTexts(menu);
            menu->close();
        });
        emit dialog->findChild<QTextEdit *>("textEdit")->customContextMenuRequested(QPoint(5, 5));
        dialog->reject();
    });
    edit.on_toolButton_clicked();

    QVERIFY(!editorMenu.isEmpty());
    QCOMPARE(editorMenu.last(), DoubleWidthText);
    QVERIFY(!editorMenu.contains(PictureText));
    QVERIFY(!editorMenu.contains(BarcodeText));
}

void TestWidgets::textEditDialogShow_data()
{
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QString>("expected");
    QTest::newRow("ok") << true << QStringLiteral("Строка 1\nСтрока 2\n");
    QTest::newRow("cancel returns the text given") << false << QStringLiteral("Строка 1");
}

void TestWidgets::textEditDialogShow()
{
    QFETCH(bool, accept);
    QFETCH(QString, expected);

    QString title;
    whenShown<TextEditDialog>([&](TextEditDialog *dialog) {
        title = dialog->windowTitle();
        auto *textEdit = dialog->findChild<QTextEdit *>("textEdit");
        QTest::keyClick(textEdit, Qt::Key_Return); // typing goes on at the end
        typeText(textEdit, QStringLiteral("Строка 2"));
        QTest::keyClick(textEdit, Qt::Key_Return);
        pressButton(dialog, accept ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel);
    });
    QWidget parent;
    QCOMPARE(TextEditDialog::show(&parent, QStringLiteral("Заголовок"), QStringLiteral("Строка 1"), 1),
             expected);
    QCOMPARE(title, QStringLiteral("Заголовок"));
}

void TestWidgets::referenceDialogs()
{
    PictureInMemoryDialog picture;
    QCOMPARE(picture.windowTitle(), PictureText);
    QCOMPARE(picture.text(), QStringLiteral("1,15"));
    picture.findChild<QSpinBox *>("spinPictureNumber")->setValue(999999999);
    picture.findChild<QSpinBox *>("spinLeftMargin")->setValue(120);
    QCOMPARE(picture.text(), QStringLiteral("999999999,120"));

    BarcodeInMemoryDialog barcode;
    auto *byNumber = barcode.findChild<QRadioButton *>("rbBarcodeByNum");
    auto *number = barcode.findChild<QSpinBox *>("spinBarcodeNum");
    QVERIFY(byNumber->isChecked());
    QVERIFY(number->isEnabled());
    QCOMPARE(number->minimum(), 1);
    QCOMPARE(barcode.text(), QStringLiteral("1"));
    number->setValue(77);
    barcode.findChild<QRadioButton *>("rbDynamicBarcode")->setChecked(true);
    QVERIFY(!number->isEnabled());
    QCOMPARE(barcode.text(), QStringLiteral("0"));
    byNumber->setChecked(true);
    QVERIFY(number->isEnabled());
    QCOMPARE(barcode.text(), QStringLiteral("77"));
}

// ---------------------------------------------------------------- Looks

void TestWidgets::dialogsShowTheirTextsWhole_data()
{
    QTest::addColumn<QString>("name");
    for (const char *name : {"texteditdialog", "pictureinmemorydialog", "barcodeinmemorydialog",
                             "messagebox", "inputdialog", "extendedlineedit"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestWidgets::dialogsShowTheirTextsWhole()
{
    QFETCH(QString, name);

    QStringList clipped;
    if (name == QLatin1String("extendedlineedit")) {
        QWidget window;
        auto *layout = new QHBoxLayout(&window);
        auto *label = new SqueezedLabel(QStringLiteral("Фискальный регистратор, USB"), &window);
        label->setFixedWidth(150);
        auto *edit = new ExtendedLineEdit(&window);
        edit->setText(QStringLiteral("Товар ") + DoubleWidthChar + QStringLiteral("№1"));
        layout->addWidget(label);
        layout->addWidget(edit);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        clipped = clippedTexts(edit);
        saveShot(&window, name);
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QLatin1String(", "))));
        return;
    }

    bool seen = false;
    whenShown<QDialog>([&](QDialog *dialog) {
        seen = true;
        clipped = clippedTexts(dialog);
        saveShot(dialog, name);
        dialog->reject();
    });
    if (name == QLatin1String("texteditdialog"))
        TextEditDialog::show(nullptr, QStringLiteral("Текст"),
                             QStringLiteral("Кассир: Иванова\n") + DoubleWidthChar + "ИТОГ", 7);
    else if (name == QLatin1String("pictureinmemorydialog"))
        PictureInMemoryDialog::show(nullptr, PictureText);
    else if (name == QLatin1String("barcodeinmemorydialog"))
        BarcodeInMemoryDialog::show(nullptr, BarcodeText);
    else if (name == QLatin1String("messagebox"))
        NoHelpButtonMessageBox::question(nullptr, QStringLiteral("Ввод даты"),
                                         QStringLiteral("Требуется подтверждение ввода даты"),
                                         QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok);
    else
        NoHelpButtonInputDialog::getText(nullptr, QStringLiteral("Переименовать устройство"),
                                         QStringLiteral("Новое название:"));

    QVERIFY(seen);
    QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QLatin1String(", "))));
}

FPTR_TEST_MAIN(TestWidgets)

#include "tst_widgets.moc"
