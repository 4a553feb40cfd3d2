// SPDX-FileCopyrightText: 2026 Tarnwick developers
// SPDX-License-Identifier: MIT

#ifndef TARNWICK_MYDLG_H
#define TARNWICK_MYDLG_H

#include <QDialog>

class Ui_MyDlg;
using MyDlgUi = Ui_MyDlg; // the form class that uic generates from forms/mydlg.ui

// The program's one window: the screen's resolution, the game's stored one,
// and two buttons to fill in and store a new width and height.
class MyDlg : public QDialog
{
    Q_OBJECT

public:
    explicit MyDlg(QWidget *parent = nullptr);
    ~MyDlg() override;

private slots:
    void on_pb_get_res_clicked();
    void on_pb_set_res_clicked();

private:
    MyDlgUi *ui;
};

#endif
