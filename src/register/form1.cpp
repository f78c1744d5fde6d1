// The register window.
#include "register/form1.h"

Form1::Form1(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
}

Form1* showRegisterWindow()
{
    auto* form = new Form1;
    form->show();
    return form;
}
