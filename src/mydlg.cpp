// SPDX-FileCopyrightText: 2026 Tarnwick developers
// SPDX-License-Identifier: MIT

#include "mydlg.h"
#include "ui_mydlg.h"

MyDlg::MyDlg(QWidget *parent)
    : QDialog(parent)
    , ui(new MyDlgUi)
{
    ui->setupUi(this);
    setFixedSize(200, 230);
    setWindowTitle("zad3 iziza");
}

MyDlg::~MyDlg()
{
    delete ui;
}

void MyDlg::on_pb_get_res_clicked()
{
}

void MyDlg::on_pb_set_res_clicked()
{
}
