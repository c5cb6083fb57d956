#include "app/Startup.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    StartTovimaru();
    return application.exec();
}
