// SPDX-FileCopyrightText: 2026 Tarnwick developers
// SPDX-License-Identifier: MIT

#include "mydlg.h"
#include "testsupport.h"
#include "textencoding.h"
#include "videosettingsstore.h"

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMetaMethod>
#include <QPushButton>
#include <QtTest>

using namespace TestSupport;

namespace {

// How many slots a signal reaches: QObject::receivers() is protected, and a
// pointer to it taken through a subclass may be called on any object.
int receiverCount(const QObject *sender, const char *signal)
{
    struct Peek : QObject
    {
        static int count(const QObject *object, const char *signal)
        {
            return (object->*&Peek::receivers)(signal);
        }
    };
    return Peek::count(sender, signal);
}

// A message box as the user saw it, and the game's resolution shown meanwhile.
struct SeenBox
{
    QString text;
    QString informativeText;
    QString war3ResolutionMeanwhile;
};

// Clicks a button of the dialog. A message box blocks inside the click, so a
// timer first watches for modal boxes, notes what each says and accepts it.
QVector<SeenBox> click(MyDlg &dialog, const char *button)
{
    QVector<SeenBox> seen;
    QTimer watcher;
    watcher.setInterval(5);
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (auto box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            seen.append({box->text(), box->informativeText(), dialog.findChild<QLabel *>("lb_war3_res")->text()});
            box->accept();
        }
    });
    watcher.start();
    QTest::mouseClick(dialog.findChild<QPushButton *>(button), Qt::LeftButton);
    return seen;
}

// Types into an entry. Text beyond ASCII arrives as an input method would commit it.
void typeInto(MyDlg &dialog, const char *entry, const QString &text)
{
    auto *edit = dialog.findChild<QLineEdit *>(entry);
    bool isAscii = true;
    for (QChar c : text)
        isAscii = isAscii && c.unicode() < 128;
    if (isAscii)
        QTest::keyClicks(edit, text);
    else
        edit->insert(text);
}

QString resolutionOf(const QSize &size)
{
    return QStringLiteral("%1 * %2").arg(size.width()).arg(size.height());
}

// The desktop the test runs on, as CTest sets up the offscreen platform.
QSize expectedScreen()
{
    const QStringList parts = qEnvironmentVariable("TARNWICK_TEST_SCREEN").split('x');
    return parts.size() == 2 ? QSize(parts.at(0).toInt(), parts.at(1).toInt()) : QSize();
}

} // namespace

class TestMyDlg : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void fixesTitleAndSize();
    void declaresTwoPrivateSlots();
    void castsToItselfAndToQDialog();
    void bindsEachButtonToItsSlotOnce_data();
    void bindsEachButtonToItsSlotOnce();
    void tabVisitsEntriesThenButtons();
    void closingEndsTheLoopAndDestroysOnceAfterwards_data();
    void closingEndsTheLoopAndDestroysOnceAfterwards();

    void opensShowingBothResolutions_data();
    void opensShowingBothResolutions();
    void fullScreenFillsTheEntries();
    void savesThenShowsWhatIsStored_data();
    void savesThenShowsWhatIsStored();
    void refusesEntriesThatAreNoSize_data();
    void refusesEntriesThatAreNoSize();
    void saysWhyASaveFailed_data();
    void saysWhyASaveFailed();
    void fullScreenThenSaveStoresTheScreenSize();

private:
    void usePrefix(const QString &fixtureName);
    MyDlg *showDialog();

    std::unique_ptr<Prefix> m_prefix;
    std::unique_ptr<MyDlg> m_dialog;
};

void TestMyDlg::usePrefix(const QString &fixtureName)
{
    m_prefix = std::make_unique<Prefix>(fixture(fixtureName));
    qputenv("WINEPREFIX", QFile::encodeName(m_prefix->path()));
}

MyDlg *TestMyDlg::showDialog()
{
    m_dialog = std::make_unique<MyDlg>();
    m_dialog->show();
    m_dialog->activateWindow();
    if (!QTest::qWaitForWindowActive(m_dialog.get()))
        qWarning("the dialog did not become active");
    return m_dialog.get();
}

void TestMyDlg::initTestCase()
{
    useUtf8ForNarrowText();
}

void TestMyDlg::init()
{
    usePrefix("user-found.reg");
#if QT_VERSION >= QT_VERSION_CHECK(6, 3, 0)
    // A slot whose widget was renamed or removed shows up only as this warning.
    QTest::failOnWarning(QRegularExpression("connectSlotsByName"));
#endif
}

void TestMyDlg::cleanup()
{
    m_dialog.reset();
    QVERIFY2(!QApplication::activeModalWidget(), "a message box was left open");
}

void TestMyDlg::fixesTitleAndSize()
{
    MyDlg dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("zad3 iziza"));
    QCOMPARE(dialog.size(), QSize(200, 230));
    QCOMPARE(dialog.minimumSize(), QSize(200, 230));
    QCOMPARE(dialog.maximumSize(), QSize(200, 230));
    QCOMPARE(dialog.objectName(), QStringLiteral("MyDlg"));
}

void TestMyDlg::declaresTwoPrivateSlots()
{
    const QMetaObject &meta = MyDlg::staticMetaObject;
    QCOMPARE(meta.className(), "MyDlg");
    QCOMPARE(meta.superClass(), &QDialog::staticMetaObject);
    QCOMPARE(meta.methodCount() - meta.methodOffset(), 2);

    const QByteArrayList signatures = {"on_pb_get_res_clicked()", "on_pb_set_res_clicked()"};
    for (int i = 0; i < signatures.size(); ++i) {
        const QMetaMethod method = meta.method(meta.methodOffset() + i);
        QCOMPARE(method.methodSignature(), signatures.at(i));
        QCOMPARE(method.methodType(), QMetaMethod::Slot);
        QCOMPARE(method.access(), QMetaMethod::Private);
        QCOMPARE(method.parameterCount(), 0);
        QCOMPARE(method.returnType(), int(QMetaType::Void));
    }
    QCOMPARE(meta.propertyCount(), meta.propertyOffset());
    QCOMPARE(meta.enumeratorCount(), meta.enumeratorOffset());
    QCOMPARE(meta.classInfoCount(), meta.classInfoOffset());
    QCOMPARE(meta.constructorCount(), 0);
}

void TestMyDlg::castsToItselfAndToQDialog()
{
    MyDlg dialog;
    QObject *object = &dialog;
    QCOMPARE(qobject_cast<MyDlg *>(object), &dialog);
    QCOMPARE(qobject_cast<QDialog *>(object), static_cast<QDialog *>(&dialog));
    QCOMPARE(object->qt_metacast("MyDlg"), static_cast<void *>(&dialog));
    QVERIFY(!object->qt_metacast(nullptr));
}

void TestMyDlg::bindsEachButtonToItsSlotOnce_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("全屏") << "pb_get_res";
    QTest::newRow("保存") << "pb_set_res";
}

void TestMyDlg::bindsEachButtonToItsSlotOnce()
{
    QFETCH(QString, button);
    MyDlg dialog;
    auto *pushButton = dialog.findChild<QPushButton *>(button);
    QVERIFY(pushButton);
    QCOMPARE(receiverCount(pushButton, SIGNAL(clicked())), 1);
    const QMetaMethod slot = dialog.metaObject()->method(
        dialog.metaObject()->indexOfSlot(qPrintable("on_" + button + "_clicked()")));
    QVERIFY(slot.isValid());
}

void TestMyDlg::tabVisitsEntriesThenButtons()
{
    MyDlg dialog;
    dialog.show();
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));

    const QStringList order = {"le_war3_width", "le_war3_height", "pb_get_res", "pb_set_res", "le_war3_width"};
    dialog.findChild<QWidget *>(order.first())->setFocus(Qt::TabFocusReason);
    for (int i = 1; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), order.at(i));
    }
}

void TestMyDlg::closingEndsTheLoopAndDestroysOnceAfterwards_data()
{
    QTest::addColumn<bool>("byEscape");
    QTest::newRow("Escape") << true;
    QTest::newRow("close button") << false;
}

void TestMyDlg::closingEndsTheLoopAndDestroysOnceAfterwards()
{
    QFETCH(bool, byEscape);

    auto *dialog = new MyDlg;
    QMultiHash<QString, int> destroyed;
    const QList<QWidget *> widgets = dialog->findChildren<QWidget *>();
    QCOMPARE(widgets.size(), 13);
    for (QWidget *widget : widgets) {
        const QString name = widget->objectName();
        connect(widget, &QObject::destroyed, this, [&destroyed, name] { destroyed.insert(name, 1); });
    }

    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    QTimer::singleShot(0, dialog, [dialog, byEscape] {
        if (byEscape)
            QTest::keyClick(dialog, Qt::Key_Escape);
        else
            dialog->close();
    });
    const int result = QApplication::exec();

    QCOMPARE(result, 0);
    QVERIFY(dialog->isHidden());
    QVERIFY(destroyed.isEmpty());
    delete dialog;
    QCOMPARE(destroyed.size(), 13);
    QCOMPARE(QSet<QString>(destroyed.keyBegin(), destroyed.keyEnd()).size(), 13);
}

void TestMyDlg::opensShowingBothResolutions_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("war3");
    QTest::addColumn<bool>("canEdit");
    QTest::newRow("found") << "user-found.reg" << "1024 * 768" << true;
    QTest::newRow("no game") << "user-no-game.reg" << "No found War3." << false;
    QTest::newRow("width only") << "user-width-only.reg" << "No found War3." << false;
    QTest::newRow("tricky") << "user-tricky.reg" << "1280 * 1024" << true;
}

void TestMyDlg::opensShowingBothResolutions()
{
    QFETCH(QString, file);
    QFETCH(QString, war3);
    QFETCH(bool, canEdit);

    usePrefix(file);
    MyDlg dialog;
    QVERIFY(expectedScreen().isValid());
    QCOMPARE(dialog.findChild<QLabel *>("lb_screnn_res")->text(), resolutionOf(expectedScreen()));
    QCOMPARE(dialog.findChild<QLabel *>("lb_war3_res")->text(), war3);
    for (const char *name : {"pb_get_res", "pb_set_res", "le_war3_width", "le_war3_height"})
        QCOMPARE(dialog.findChild<QWidget *>(name)->isEnabled(), canEdit);
    QCOMPARE(dialog.findChild<QLineEdit *>("le_war3_width")->text(), QString());
    QCOMPARE(dialog.findChild<QLineEdit *>("le_war3_height")->text(), QString());
}

void TestMyDlg::fullScreenFillsTheEntries()
{
    const QByteArray before = m_prefix->contents();
    MyDlg *dialog = showDialog();

    QCOMPARE(click(*dialog, "pb_get_res").size(), 0);
    QCOMPARE(dialog->findChild<QLineEdit *>("le_war3_width")->text(), QString::number(expectedScreen().width()));
    QCOMPARE(dialog->findChild<QLineEdit *>("le_war3_height")->text(), QString::number(expectedScreen().height()));
    QCOMPARE(dialog->findChild<QLabel *>("lb_war3_res")->text(), QStringLiteral("1024 * 768"));
    QCOMPARE(m_prefix->contents(), before);
}

void TestMyDlg::savesThenShowsWhatIsStored_data()
{
    QTest::addColumn<QString>("width");
    QTest::addColumn<QString>("height");
    QTest::addColumn<QString>("stored");
    QTest::newRow("1280 x 1024") << "1280" << "1024" << "1280 * 1024";
    QTest::newRow("leading zero") << "0768" << "600" << "768 * 600";
    QTest::newRow("surrounding spaces") << " 1280" << "1024 " << "1280 * 1024";
    QTest::newRow("plus sign") << "+5" << "+7" << "5 * 7";
    QTest::newRow("larger than the screen") << "7680" << "4320" << "7680 * 4320";
}

void TestMyDlg::savesThenShowsWhatIsStored()
{
    QFETCH(QString, width);
    QFETCH(QString, height);
    QFETCH(QString, stored);

    MyDlg *dialog = showDialog();
    typeInto(*dialog, "le_war3_width", width);
    typeInto(*dialog, "le_war3_height", height);

    const QVector<SeenBox> boxes = click(*dialog, "pb_set_res");
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first().text, QStringLiteral("done！"));
    QCOMPARE(boxes.first().war3ResolutionMeanwhile, QStringLiteral("1024 * 768"));
    QCOMPARE(dialog->findChild<QLabel *>("lb_war3_res")->text(), stored);
    QCOMPARE(dialog->findChild<QLineEdit *>("le_war3_width")->text(), width);
    QCOMPARE(dialog->findChild<QLineEdit *>("le_war3_height")->text(), height);
    QCOMPARE(VideoSettingsStore().storedResolutionText(), stored);
}

void TestMyDlg::refusesEntriesThatAreNoSize_data()
{
    QTest::addColumn<QString>("width");
    QTest::addColumn<QString>("height");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");

    const QString empty = QStringLiteral("not empty！");
    const QString invalid = QStringLiteral("invalid number！");
    QTest::newRow("width empty") << "" << "768" << empty << "le_war3_width";
    QTest::newRow("height empty") << "1024" << "" << empty << "le_war3_height";
    QTest::newRow("both empty") << "" << "" << empty << "le_war3_width";
    QTest::newRow("a space counts as text") << " " << "" << empty << "le_war3_height";
    QTest::newRow("letters") << "abc" << "768" << invalid << "le_war3_width";
    QTest::newRow("unit") << "12px" << "768" << invalid << "le_war3_width";
    QTest::newRow("decimal point") << "1280.5" << "768" << invalid << "le_war3_width";
    QTest::newRow("space only") << " " << "768" << invalid << "le_war3_width";
    QTest::newRow("zero") << "0" << "768" << invalid << "le_war3_width";
    QTest::newRow("negative") << "-5" << "768" << invalid << "le_war3_width";
    QTest::newRow("beyond 32 bits") << "2147483648" << "768" << invalid << "le_war3_width";
    QTest::newRow("full-width digits") << "１２８０" << "768" << invalid << "le_war3_width";
    QTest::newRow("height invalid") << "1024" << "abc" << invalid << "le_war3_height";
    QTest::newRow("both invalid") << "abc" << "0" << invalid << "le_war3_width";
}

void TestMyDlg::refusesEntriesThatAreNoSize()
{
    QFETCH(QString, width);
    QFETCH(QString, height);
    QFETCH(QString, message);
    QFETCH(QString, focus);

    const QByteArray before = m_prefix->contents();
    MyDlg *dialog = showDialog();
    typeInto(*dialog, "le_war3_width", width);
    typeInto(*dialog, "le_war3_height", height);
    dialog->findChild<QWidget *>("pb_set_res")->setFocus(Qt::MouseFocusReason);

    const QVector<SeenBox> boxes = click(*dialog, "pb_set_res");
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first().text, message);
    QCOMPARE(dialog->focusWidget(), dialog->findChild<QWidget *>(focus));
    QCOMPARE(dialog->findChild<QLabel *>("lb_war3_res")->text(), QStringLiteral("1024 * 768"));
    QCOMPARE(m_prefix->contents(), before);
}

void TestMyDlg::saysWhyASaveFailed_data()
{
    QTest::addColumn<bool>("wineRunning");
    QTest::newRow("Wine running") << true;
    QTest::newRow("read-only file") << false;
}

void TestMyDlg::saysWhyASaveFailed()
{
    QFETCH(bool, wineRunning);

    std::unique_ptr<WineServerLock> wine;
    if (wineRunning)
        wine = std::make_unique<WineServerLock>(m_prefix->path());
    else
        QVERIFY(QFile::setPermissions(m_prefix->registryFile(), QFile::ReadOwner));
    const QByteArray before = m_prefix->contents();

    MyDlg *dialog = showDialog();
    typeInto(*dialog, "le_war3_width", "1280");
    typeInto(*dialog, "le_war3_height", "1024");
    const QVector<SeenBox> boxes = click(*dialog, "pb_set_res");

    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first().text, QStringLiteral("save failed！"));
    QVERIFY(!boxes.first().informativeText.isEmpty());
    QCOMPARE(m_prefix->contents(), before);
    QCOMPARE(dialog->findChild<QLabel *>("lb_war3_res")->text(), QStringLiteral("1024 * 768"));
}

void TestMyDlg::fullScreenThenSaveStoresTheScreenSize()
{
    MyDlg *dialog = showDialog();
    click(*dialog, "pb_get_res");
    const QVector<SeenBox> boxes = click(*dialog, "pb_set_res");

    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first().text, QStringLiteral("done！"));
    QCOMPARE(dialog->findChild<QLabel *>("lb_war3_res")->text(), resolutionOf(expectedScreen()));
    const QByteArray file = m_prefix->contents();
    const auto dword = [](int value) { return QByteArray::number(value, 16).rightJustified(8, '0'); };
    QVERIFY(file.contains("\n\"reswidth\"=dword:" + dword(expectedScreen().width()) + '\n'));
    QVERIFY(file.contains("\n\"resheight\"=dword:" + dword(expectedScreen().height()) + '\n'));
}

QTEST_MAIN(TestMyDlg)
#include "tst_mydlg.moc"
