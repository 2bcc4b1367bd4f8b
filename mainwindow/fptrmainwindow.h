#pragma once

// Temporary placeholder: the real window is being built in this folder.
#include <QMainWindow>

class FptrMainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit FptrMainWindow(QWidget *parent = nullptr) : QMainWindow(parent) {}
};
