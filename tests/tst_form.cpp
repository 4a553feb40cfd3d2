// SPDX-FileCopyrightText: 2026 Tarnwick developers
// SPDX-License-Identifier: MIT

#include "mydlg.h"
#include "textencoding.h"
#include "ui_mydlg.h"

#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

// The form as uic builds it from forms/mydlg.ui, on a bare dialog.
class TestForm : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void setsItsOwnTitleAndSize();
    void namesAnUnnamedDialog();
    void keepsTheDialogsName();
    void buildsEachWidget_data();
    void buildsEachWidget();
    void createsTheWidgetsInOrder();
    void drawsASunkenHorizontalLine();
    void onlyTheValueLabelsAndTitleOverhang();
    void captionsEndInFullWidthColons();
    void creditsFitTheirLabel();

private:
    QDialog *m_dialog = nullptr;
    MyDlgUi *m_ui = nullptr;
};

void TestForm::initTestCase()
{
    useUtf8ForNarrowText();
}

void TestForm::init()
{
    m_dialog = new QDialog;
    m_ui = new MyDlgUi;
    m_ui->setupUi(m_dialog);
}

void TestForm::cleanup()
{
    delete m_ui;
    delete m_dialog;
}

void TestForm::setsItsOwnTitleAndSize()
{
    QCOMPARE(m_dialog->windowTitle(), QStringLiteral("MyDlg"));
    QCOMPARE(m_dialog->size(), QSize(195, 230));
}

void TestForm::namesAnUnnamedDialog()
{
    QCOMPARE(m_dialog->objectName(), QStringLiteral("MyDlg"));
}

void TestForm::keepsTheDialogsName()
{
    QDialog named;
    named.setObjectName("settings");
    MyDlgUi ui;
    ui.setupUi(&named);
    QCOMPARE(named.objectName(), QStringLiteral("settings"));
}

void TestForm::buildsEachWidget_data()
{
    QTest::addColumn<QString>("className");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");

    const auto row = [](const char *name, const char *className, QRect geometry, const QString &text) {
        QTest::newRow(name) << QString::fromLatin1(className) << geometry << text;
    };
    row("label", "QLabel", {10, 40, 111, 16}, QStringLiteral("当前屏幕分辨率："));
    row("label_2", "QLabel", {10, 70, 111, 16}, QStringLiteral("当前war3分辨率："));
    row("lb_screnn_res", "QLabel", {116, 39, 111, 16}, QString());
    row("lb_war3_res", "QLabel", {116, 69, 121, 16}, QString());
    row("label_3", "QLabel", {12, 105, 54, 12}, QStringLiteral("宽："));
    row("label_4", "QLabel", {100, 105, 54, 12}, QStringLiteral("高："));
    row("le_war3_width", "QLineEdit", {40, 99, 41, 20}, QString());
    row("le_war3_height", "QLineEdit", {131, 99, 41, 20}, QString());
    row("pb_get_res", "QPushButton", {20, 140, 71, 23}, QStringLiteral("全屏"));
    row("pb_set_res", "QPushButton", {100, 140, 75, 23}, QStringLiteral("保存"));
    row("label_5", "QLabel", {10, 10, 231, 16}, QStringLiteral("Tarnwick V1.0"));
    row("label_6", "QLabel", {10, 177, 181, 51},
        QStringLiteral("作者：Tarnwick 开发组\n主页：tarnwick.example.org\nE-mail：dev@example.org"));
    row("line", "QFrame", {0, 166, 191, 16}, QString());
}

void TestForm::buildsEachWidget()
{
    QFETCH(QString, className);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);

    const QString name = QString::fromLatin1(QTest::currentDataTag());
    const QList<QWidget *> matches = m_dialog->findChildren<QWidget *>(name);
    QCOMPARE(matches.size(), 1);
    QWidget *widget = matches.first();
    QCOMPARE(widget->parentWidget(), m_dialog);
    QCOMPARE(QString::fromLatin1(widget->metaObject()->className()), className);
    QCOMPARE(widget->geometry(), geometry);
    QVERIFY(widget->isEnabled());

    if (auto label = qobject_cast<QLabel *>(widget))
        QCOMPARE(label->text(), text);
    else if (auto edit = qobject_cast<QLineEdit *>(widget))
        QCOMPARE(edit->text(), text);
    else if (auto button = qobject_cast<QPushButton *>(widget))
        QCOMPARE(button->text(), text);
}

void TestForm::createsTheWidgetsInOrder()
{
    const QStringList expected = {
        "label", "label_2", "lb_screnn_res", "lb_war3_res", "label_3", "label_4", "le_war3_width",
        "le_war3_height", "pb_get_res", "pb_set_res", "label_5", "label_6", "line",
    };
    QStringList names;
    for (const QObject *child : m_dialog->children())
        names << child->objectName();
    QCOMPARE(names, expected);

    const QList<QWidget *> members = {
        m_ui->label, m_ui->label_2, m_ui->lb_screnn_res, m_ui->lb_war3_res, m_ui->label_3,
        m_ui->label_4, m_ui->le_war3_width, m_ui->le_war3_height, m_ui->pb_get_res,
        m_ui->pb_set_res, m_ui->label_5, m_ui->label_6, m_ui->line,
    };
    for (int i = 0; i < members.size(); ++i)
        QCOMPARE(members.at(i)->objectName(), expected.at(i));
}

void TestForm::drawsASunkenHorizontalLine()
{
    QCOMPARE(m_ui->line->frameShape(), QFrame::HLine);
    QCOMPARE(m_ui->line->frameShadow(), QFrame::Sunken);
}

void TestForm::onlyTheValueLabelsAndTitleOverhang()
{
    const QRect clientArea(0, 0, 200, 230);
    QStringList overhanging;
    for (const QWidget *widget : m_dialog->findChildren<QWidget *>()) {
        if (!clientArea.contains(widget->geometry()))
            overhanging << widget->objectName();
    }
    overhanging.sort();
    QCOMPARE(overhanging, QStringList({"label_5", "lb_screnn_res", "lb_war3_res"}));
}

void TestForm::captionsEndInFullWidthColons()
{
    const QChar fullWidthColon(0xFF1A);
    for (const QLabel *caption : {m_ui->label, m_ui->label_2, m_ui->label_3, m_ui->label_4})
        QVERIFY2(caption->text().endsWith(fullWidthColon), qPrintable(caption->objectName()));
    const QStringList credits = m_ui->label_6->text().split('\n');
    QCOMPARE(credits.size(), 3);
    for (const QString &line : credits)
        QVERIFY2(line.contains(fullWidthColon) && !line.contains(':'), qPrintable(line));
    QVERIFY(!m_ui->pb_get_res->text().contains(fullWidthColon));
    QVERIFY(!m_ui->pb_set_res->text().contains(fullWidthColon));
}

void TestForm::creditsFitTheirLabel()
{
    // Measured at 9 pt, the default UI font size on Windows and on the common Linux
    // desktops (Qt 5's offscreen platform alone defaults to 12 pt).
    QFont font = m_ui->label_6->font();
    font.setPointSize(9);
    const QFontMetrics metrics(font);
    for (const QString &line : m_ui->label_6->text().split('\n'))
        QVERIFY2(metrics.horizontalAdvance(line) <= m_ui->label_6->width(), qPrintable(line));
}

QTEST_MAIN(TestForm)
#include "tst_form.moc"
