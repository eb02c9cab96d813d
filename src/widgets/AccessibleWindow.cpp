#include "widgets/AccessibleWindow.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QWidget>

namespace quarn {

namespace {

constexpr const char* kWindow = "quarnAccessibleWindow";

QAccessibleInterface* windowAccessible(const QString&, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    return widget != nullptr && widget->property(kWindow).toBool()
               ? new QAccessibleWidget(widget, QAccessible::Window)
               : nullptr;
}

} // namespace

void MarkAsWindow(QWidget& window) {
    static const bool installed = [] {
        QAccessible::installFactory(windowAccessible);
        return true;
    }();
    (void)installed;
    window.setProperty(kWindow, true);
}

} // namespace quarn
