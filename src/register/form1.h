// The register window: sales entry at the counter.
#pragma once

#include <QWidget>

class Form1 : public QWidget
{
    Q_OBJECT
public:
    explicit Form1(QWidget* parent = nullptr);
};

// Creates and shows the register window (again, after a window that changes its settings closes).
Form1* showRegisterWindow();
