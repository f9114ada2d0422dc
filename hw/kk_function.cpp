#include "kk_function.h"

#include <QDebug>

void kk_function(const char* text)
{
    if (text)
        qDebug().noquote() << text;
}
