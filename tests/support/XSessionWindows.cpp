// Looking at windows: finding them, their places and states, screenshots, the tray.
#include <QDir>
#include <QFileInfo>

// Last: Xlib's macros clash with names in Qt and gtest.
#include "support/XConnection.h"

using namespace Qt::Literals::StringLiterals;

namespace quarn::e2e {

// Windows ----------------------------------------------------------------------

namespace {

// Top-level windows: the window manager's clients, which it keeps in frames
// on the root, in the order it took them in; then the root's other children,
// bottom to top. (A child window that a program moves into one of its
// windows may be on the root still when the list is read and inside when it
// is looked at: it comes after the windows it may move into.) libxdo's
// search looks at every window of the tree, a round trip for each, and
// frees what a failed XQueryTree left behind when a window goes meanwhile.
std::vector<xcb_window_t> topLevels(XConnection& x) {
    const xcb_get_property_cookie_t clients = xcb_ewmh_get_client_list(&x.ewmh, 0);
    const xcb_query_tree_cookie_t tree = xcb_query_tree(x.c, x.root);
    std::vector<xcb_window_t> all;
    xcb_ewmh_get_windows_reply_t managed;
    if (xcb_ewmh_get_client_list_reply(&x.ewmh, clients, &managed, nullptr)) {
        all.assign(managed.windows, managed.windows + managed.windows_len);
        xcb_ewmh_get_windows_reply_wipe(&managed);
    }
    if (xcb_query_tree_reply_t* reply = xcb_query_tree_reply(x.c, tree, nullptr)) {
        const xcb_window_t* children = xcb_query_tree_children(reply);
        all.insert(all.end(), children, children + xcb_query_tree_children_length(reply));
        std::free(reply);
    }
    return all;
}

// _NET_WM_NAME, else WM_NAME.
std::optional<QString> caption(XConnection& x, xcb_get_property_cookie_t net,
                               xcb_get_property_cookie_t plain) {
    std::optional<QString> caption;
    xcb_ewmh_get_utf8_strings_reply_t utf8;
    if (xcb_ewmh_get_wm_name_reply(&x.ewmh, net, &utf8, nullptr)) {
        caption = QString::fromUtf8(utf8.strings, utf8.strings_len);
        xcb_ewmh_get_utf8_strings_reply_wipe(&utf8);
    }
    xcb_icccm_get_text_property_reply_t text;
    if (xcb_icccm_get_text_property_reply(x.c, plain, &text, nullptr)) {
        const QByteArray bytes(text.name, text.name_len);
        if (!caption) {
            caption = text.encoding == XCB_ATOM_STRING ? QString::fromLatin1(bytes)
                                                       : QString::fromUtf8(bytes);
        }
        xcb_icccm_get_text_property_reply_wipe(&text);
    }
    return caption;
}

} // namespace

std::optional<quint64> XSession::waitForWindow(const QString& wanted, int timeoutMs, int pollMs) {
    std::optional<quint64> found;
    XSession::waitUntil(
        [&] {
            const std::vector<quint64> all = windows(wanted);
            const auto it =
                std::find_if(all.begin(), all.end(), [&](quint64 w) { return isViewable(w); });
            found = it == all.end() ? std::nullopt : std::optional(*it);
            return found.has_value();
        },
        timeoutMs, pollMs);
    return found;
}

std::vector<quint64> XSession::windows(const QString& wanted) {
    XConnection& x = connection();
    const std::vector<xcb_window_t> all = topLevels(x);
    struct Asked {
        xcb_get_property_cookie_t net, plain;
        xcb_get_window_attributes_cookie_t attributes;
    };
    std::vector<Asked> asked;
    for (xcb_window_t window : all) { // everything asked for before the first answer is read
        asked.push_back({xcb_ewmh_get_wm_name(&x.ewmh, window), xcb_icccm_get_wm_name(x.c, window),
                         xcb_get_window_attributes(x.c, window)});
    }
    std::vector<quint64> found;
    for (size_t i = 0; i < all.size(); ++i) {
        // Menus and tool tips bypass the window manager; with no title of
        // their own they are named after the program, like the main window.
        xcb_get_window_attributes_reply_t* attributes =
            xcb_get_window_attributes_reply(x.c, asked[i].attributes, nullptr);
        const bool popup = attributes != nullptr && attributes->override_redirect != 0;
        std::free(attributes);
        if (caption(x, asked[i].net, asked[i].plain) == wanted && !popup) {
            found.push_back(all[i]);
        }
    }
    return found;
}

QRect XSession::geometry(quint64 window) {
    XConnection& x = connection();
    XWindowAttributes attributes{};
    Window child = 0;
    int left = 0;
    int top = 0;
    return XGetWindowAttributes(x.display, window, &attributes) &&
                   XTranslateCoordinates(x.display, window, x.root, 0, 0, &left, &top, &child)
               ? QRect(left, top, attributes.width, attributes.height)
               : QRect();
}

QRect XSession::frameGeometry(quint64 window) {
    XConnection& x = connection();
    xcb_ewmh_get_extents_reply_t frame{};
    xcb_ewmh_get_frame_extents_reply(&x.ewmh, xcb_ewmh_get_frame_extents(&x.ewmh, window), &frame,
                                     nullptr);
    return geometry(window).adjusted(-int(frame.left), -int(frame.top), int(frame.right),
                                     int(frame.bottom));
}

int XSession::popupsShown() {
    XConnection& x = connection();
    int shown = 0;
    if (xcb_query_tree_reply_t* tree =
            xcb_query_tree_reply(x.c, xcb_query_tree(x.c, x.root), nullptr)) {
        const xcb_window_t* children = xcb_query_tree_children(tree);
        for (int i = 0; i < xcb_query_tree_children_length(tree); ++i) {
            XWindowAttributes attributes{};
            shown += XGetWindowAttributes(x.display, children[i], &attributes) &&
                     attributes.map_state == IsViewable && attributes.override_redirect;
        }
        std::free(tree);
    }
    return shown;
}

bool XSession::isViewable(quint64 window) {
    XWindowAttributes attributes{};
    return XGetWindowAttributes(connection().display, window, &attributes) &&
           attributes.map_state == IsViewable;
}

QStringList XSession::states(quint64 window) {
    XConnection& x = connection();
    xcb_ewmh_get_atoms_reply_t reply{};
    xcb_ewmh_get_wm_state_reply(&x.ewmh, xcb_ewmh_get_wm_state(&x.ewmh, window), &reply, nullptr);
    std::vector<Atom> atoms(reply.atoms, reply.atoms + reply.atoms_len);
    xcb_ewmh_get_atoms_reply_wipe(&reply);
    std::vector<char*> names(atoms.size());
    QStringList states;
    if (XGetAtomNames(x.display, atoms.data(), int(atoms.size()), names.data())) {
        for (char* name : names) {
            states << QString::fromLatin1(name);
            XFree(name);
        }
    }
    return states;
}

void XSession::minimize(quint64 window) {
    xdo_minimize_window(connection().xdo, window);
    connection().sync();
}

void XSession::resize(quint64 window, QSize size) {
    xdo_set_window_size(connection().xdo, window, size.width(), size.height(), 0);
    connection().sync();
}

void XSession::closeWindow(quint64 window) {
    XConnection& x = connection();
    x.sendMessage(window, window, x.ewmh.WM_PROTOCOLS,
                  {long(XInternAtom(x.display, "WM_DELETE_WINDOW", False)), CurrentTime});
    x.sync();
}

quint64 XSession::activeWindow() {
    XConnection& x = connection();
    xcb_window_t active = 0;
    xcb_ewmh_get_active_window_reply(&x.ewmh, xcb_ewmh_get_active_window(&x.ewmh, 0), &active,
                                     nullptr);
    return active;
}

// Screen -----------------------------------------------------------------------

QImage XSession::screenshot() {
    Display* display = connection().display;
    XImage* image = XGetImage(display, DefaultRootWindow(display), 0, 0, DisplayWidth(display, 0),
                              DisplayHeight(display, 0), AllPlanes, ZPixmap);
    // Xvfb keeps a 24-bit screen as QImage does: 32 bits a pixel, least
    // significant byte first. The pad byte becomes an opaque alpha.
    if (!image || image->depth != 24 || image->bits_per_pixel != 32 ||
        image->byte_order != LSBFirst) {
        Fail(u"cannot read the screen"_s);
    }
    const QImage shot = QImage(reinterpret_cast<const uchar*>(image->data), image->width,
                               image->height, image->bytes_per_line, QImage::Format_ARGB32)
                            .convertToFormat(QImage::Format_RGB32);
    XDestroyImage(image);
    return shot;
}

QString XSession::saveScreenshot(const QString& name) {
    const QString path = QStringLiteral(QUARN_BINARY_DIR "/e2e-screenshots/%1.png").arg(name);
    if (!QDir().mkpath(QFileInfo(path).path()) || !screenshot().save(path)) {
        Fail("cannot save " + path);
    }
    return path;
}

void XSession::setDesktopBackground(const QColor& colour) {
    QImage tile(1, 1, QImage::Format_RGB32);
    tile.fill(colour);
    setDesktopBackground(tile);
}

void XSession::setDesktopBackground(const QImage& tile) {
    XConnection& x = connection();
    QImage rows = tile.convertToFormat(QImage::Format_RGB32); // in the screen's form, as above
    const Pixmap pixmap = XCreatePixmap(x.display, x.root, rows.width(), rows.height(), 24);
    XImage* image = XCreateImage(x.display, DefaultVisual(x.display, 0), 24, ZPixmap, 0,
                                 reinterpret_cast<char*>(rows.bits()), rows.width(), rows.height(),
                                 32, int(rows.bytesPerLine()));
    XPutImage(x.display, pixmap, DefaultGC(x.display, 0), image, 0, 0, 0, 0, rows.width(),
              rows.height());
    image->data = nullptr; // the picture's own
    XDestroyImage(image);
    XSetWindowBackgroundPixmap(x.display, x.root, pixmap);
    XFreePixmap(x.display, pixmap); // the root keeps a reference of its own
    XClearWindow(x.display, x.root);
    x.sync();
}

// Tray -------------------------------------------------------------------------

std::vector<QRect> XSession::trayIcons() {
    XConnection& x = connection();
    // The icons are XEmbed clients somewhere inside trayer's panel.
    const Atom xembed = XInternAtom(x.display, "_XEMBED_INFO", False);
    std::vector<QRect> icons;
    std::function<void(Window)> look = [&](Window parent) {
        Window root = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        XQueryTree(x.display, parent, &root, &root, &children, &count);
        for (unsigned int i = 0; i < count; ++i) {
            xcb_get_property_reply_t* info = xcb_get_property_reply(
                x.c, xcb_get_property(x.c, 0, children[i], xembed, XCB_GET_PROPERTY_TYPE_ANY, 0, 0),
                nullptr);
            if (!info || info->type == XCB_NONE) {
                look(children[i]);
            } else if (isViewable(children[i])) {
                icons.push_back(geometry(children[i]));
            }
            std::free(info);
        }
        XFree(children);
    };
    for (xcb_window_t window : topLevels(x)) {
        // (Xlib's reading of WM_CLASS, as xcb_icccm_get_wm_class_reply reads
        // past the end of one that holds a single name.)
        XClassHint names{};
        if (XGetClassHint(x.display, window, &names)) {
            const bool panel = QByteArrayView(names.res_class) == "trayer";
            XFree(names.res_name);
            XFree(names.res_class);
            if (panel && isViewable(window)) {
                look(window);
            }
        }
    }
    std::sort(icons.begin(), icons.end(), [](const QRect& a, const QRect& b) {
        return std::pair(a.x(), a.y()) < std::pair(b.x(), b.y());
    });
    return icons;
}

std::vector<QRect> XSession::waitForTrayIcons(size_t count, int timeoutMs) {
    // At rest: the same places in two looks 150 ms apart (trayer grows and
    // shifts its panel as icons arrive).
    const QRect screen(0, 0, DisplayWidth(connection().display, 0),
                       DisplayHeight(connection().display, 0));
    std::vector<QRect> last;
    std::vector<QRect> now;
    const bool settled = XSession::waitUntil(
        [&] {
            last = std::exchange(now, trayIcons());
            return now == last && now.size() == count &&
                   std::all_of(now.begin(), now.end(),
                               [&](const QRect& icon) { return screen.contains(icon); });
        },
        timeoutMs, 150);
    return settled ? now : std::vector<QRect>{};
}

} // namespace quarn::e2e
