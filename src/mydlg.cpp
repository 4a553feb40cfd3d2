// SPDX-FileCopyrightText: 2026 Tarnwick developers
// SPDX-License-Identifier: MIT

#include "mydlg.h"
#include "resolutiontext.h"
#include "screensize.h"
#include "ui_mydlg.h"
#include "videosettingsstore.h"

#include <QMessageBox>

namespace {

// A width or height the game can start in: a whole number of at least one
// pixel. toInt() already takes surrounding spaces, a plus sign and leading zeros.
bool holdsPixelCount(const QString &text)
{
    bool isNumber = false;
    const int pixels = text.toInt(&isNumber, 10);
    return isNumber && pixels >= 1;
}

} // namespace

MyDlg::MyDlg(QWidget *parent)
    : QDialog(parent)
    , ui(new MyDlgUi)
{
    ui->setupUi(this);
    setFixedSize(200, 230);
    setWindowTitle("zad3 iziza");

    ui->lb_screnn_res->setText(resolutionText(desktopSizeInDevicePixels()));
    const VideoSettingsStore store;
    if (store.isGameFound()) {
        ui->lb_war3_res->setText(store.storedResolutionText());
    } else {
        // Without the game's settings there is nothing to change, for good.
        ui->lb_war3_res->setText("No found War3.");
        const QList<QWidget *> editing = {ui->pb_get_res, ui->pb_set_res, ui->le_war3_height, ui->le_war3_width};
        for (QWidget *widget : editing)
            widget->setDisabled(true);
    }
}

MyDlg::~MyDlg()
{
    delete ui;
}

void MyDlg::on_pb_get_res_clicked()
{
    const QSize screen = desktopSizeInDevicePixels();
    ui->le_war3_width->setText(QString::number(screen.width()));
    ui->le_war3_height->setText(QString::number(screen.height()));
}

void MyDlg::on_pb_set_res_clicked()
{
    QMessageBox box;
    QLineEdit *const entries[] = {ui->le_war3_width, ui->le_war3_height};

    // Each check looks at the width first and stops at the first entry that fails.
    const auto refuse = [&box](QLineEdit *entry, const char *message) {
        box.setText(message);
        box.exec();
        entry->setFocus(Qt::OtherFocusReason);
    };
    for (QLineEdit *entry : entries) {
        if (entry->text().isEmpty()) {
            refuse(entry, "not empty！");
            return;
        }
    }
    for (QLineEdit *entry : entries) {
        if (!holdsPixelCount(entry->text())) {
            refuse(entry, "invalid number！");
            return;
        }
    }

    {
        VideoSettingsStore store;
        if (store.writeResolution(ui->le_war3_width->text(), ui->le_war3_height->text())) {
            box.setText("done！");
        } else {
            box.setText("save failed！");
            box.setInformativeText(store.errorString());
        }
        box.exec();
    }
    // Show what the settings hold now, as a fresh look at them finds it.
    ui->lb_war3_res->setText(VideoSettingsStore().storedResolutionText());
}
