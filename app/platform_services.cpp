#include "app/platform_services.h"

#include <QGuiApplication>

namespace tessellane {

Qt::KeyboardModifiers QtPlatformServices::keyboardModifiers() const {
    return QGuiApplication::queryKeyboardModifiers();
}

}  // namespace tessellane
