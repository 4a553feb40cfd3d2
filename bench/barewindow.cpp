// SPDX-FileCopyrightText: 2026 Tarnwick developers
// SPDX-License-Identifier: MIT

// The yardstick for the start-up benchmark: the program's form with its title
// and fixed size, shown by bare Qt, without the settings store or the screen
// size. What tarnwick takes beyond this is the cost of its own start-up work.

#include "ui_mydlg.h"

#include <QApplication>
#include <QDialog>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);

    QDialog dialog;
    Ui_MyDlg form;
    form.setupUi(&dialog);
    dialog.setFixedSize(200, 230);
    dialog.setWindowTitle("zad3 iziza");
    dialog.show();
    return app.exec();
}
