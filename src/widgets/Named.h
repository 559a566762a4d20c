#pragma once

#include <QLatin1String>
#include <QString>

// Gives Widget its object name and hands it back, so a control is made and
// named in one line. The names are the components' names (btnOk).
template <typename T> T *Named(T *Widget, const char *Name)
{
    Widget->setObjectName(QLatin1String(Name));
    return Widget;
}

template <typename T> T *Named(T *Widget, const QString &Name)
{
    Widget->setObjectName(Name);
    return Widget;
}
