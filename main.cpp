#include "DisplaySetup.h"
#include "Form1.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    SetUpDisplay();
    QApplication app(argc, argv);
    Form1 form;
    form.show();
    return QApplication::exec();
}
