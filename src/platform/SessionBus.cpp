#include "platform/SessionBus.h"

#include <QByteArray>
#include <QtGlobal>

#if defined(QUARN_HAVE_DBUS)
#include <dbus/dbus.h>
#endif

namespace quarn::platform {

namespace {

const char* const kAddress = "DBUS_SESSION_BUS_ADDRESS";

// An address no bus library can reach, and none autolaunches a bus for.
void doWithoutBus() {
    qputenv(kAddress, "disabled:");
}

#if defined(QUARN_HAVE_DBUS)
bool answers(const QByteArray& address, int timeoutMs) {
    DBusError error;
    dbus_error_init(&error);
    DBusConnection* bus = dbus_connection_open_private(address.constData(), &error);
    if (bus == nullptr) {
        dbus_error_free(&error);
        return false;
    }
    // The first call of every client, answered by the bus itself.
    DBusMessage* hello = dbus_message_new_method_call(
        "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "Hello");
    DBusMessage* reply = dbus_connection_send_with_reply_and_block(bus, hello, timeoutMs, &error);
    const bool answered = reply != nullptr;
    if (reply != nullptr) {
        dbus_message_unref(reply);
    }
    dbus_message_unref(hello);
    dbus_error_free(&error);
    dbus_connection_close(bus);
    dbus_connection_unref(bus);
    return answered;
}
#endif

} // namespace

bool PrepareSessionBus(int timeoutMs) {
    const QByteArray address = qgetenv(kAddress);
    if (address.isEmpty()) {
        doWithoutBus();
        return false;
    }
#if defined(QUARN_HAVE_DBUS)
    if (!answers(address, timeoutMs)) {
        doWithoutBus();
        return false;
    }
#else
    Q_UNUSED(timeoutMs);
#endif
    return true;
}

} // namespace quarn::platform
