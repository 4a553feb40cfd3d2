// SPDX-FileCopyrightText: 2026 Tarnwick developers
// SPDX-License-Identifier: MIT

#include "mydlg.h"
#include "textencoding.h"

#include <QLineEdit>
#include <QMetaMethod>
#include <QPushButton>
#include <QtTest>

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

} // namespace

class TestMyDlg : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void fixesTitleAndSize();
    void declaresTwoPrivateSlots();
    void castsToItselfAndToQDialog();
    void bindsEachButtonToItsSlotOnce_data();
    void bindsEachButtonToItsSlotOnce();
    void tabVisitsEntriesThenButtons();
    void closingEndsTheLoopAndDestroysOnceAfterwards_data();
    void closingEndsTheLoopAndDestroysOnceAfterwards();
};

void TestMyDlg::initTestCase()
{
    useUtf8ForNarrowText();
}

void TestMyDlg::init()
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 3, 0)
    // A slot whose widget was renamed or removed shows up only as this warning.
    QTest::failOnWarning(QRegularExpression("connectSlotsByName"));
#endif
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

QTEST_MAIN(TestMyDlg)
#include "tst_mydlg.moc"
