#include "color_ref.h"

#include <QGuiApplication>

ColorRef SystemColor(QPalette::ColorRole role) {
    return ToColorRef(QGuiApplication::palette().color(QPalette::Active, role));
}
