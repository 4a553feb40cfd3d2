// SPDX-FileCopyrightText: 2026 Tarnwick developers
// SPDX-License-Identifier: MIT

#include "mydlg.h"
#include "textencoding.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    useUtf8ForNarrowText();

    MyDlg dialog(nullptr);
    dialog.show();
    return app.exec();
}
