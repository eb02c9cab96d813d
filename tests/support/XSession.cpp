#include "support/XSession.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <poll.h>
#include <set>
#include <stdexcept>
#include <sys/prctl.h>
#include <unistd.h>

// The window queries go over xcb, which lets a whole level of the window tree
// be asked for in one round trip; Xlib only names keysyms. Xlib last: its
// macros (None, Bool, Status, ...) would clash with the headers above.
#include <xcb/xcb.h>
#include <xcb/xproto.h>

#include <X11/Xlib.h>

namespace quarn::e2e {

namespace {

constexpr int kStartTimeoutMs = 5000;
constexpr int kStopTimeoutMs = 1500;
constexpr int kToolTimeoutMs = 10000;
// Bounds of the waits that follow a press or release (see settle).
constexpr int kWindowManagerAnswerMs = 1000;
constexpr int kProgramAnswerMs = 2000;
constexpr uint32_t kIconicState = 3; // ICCCM WM_STATE

[[noreturn]] void fail(const QString& message) {
    throw std::runtime_error(("XSession: " + message).toStdString());
}

QStringList words(const QString& text) {
    return text.split(' ', Qt::SkipEmptyParts);
}

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeReply>;

// Sends one request per item, then collects the replies: one round trip for
// the lot. A failed request (a window that has gone) gives a null reply.
template <typename Item, typename Send, typename Receive>
auto pipelined(xcb_connection_t* x, const std::vector<Item>& items, Send send, Receive receive) {
    using Cookie = decltype(send(x, items.front()));
    using ReplyType = std::remove_pointer_t<decltype(receive(x, Cookie{}, nullptr))>;
    std::vector<Cookie> cookies;
    cookies.reserve(items.size());
    for (const Item& item : items) {
        cookies.push_back(send(x, item));
    }
    std::vector<Reply<ReplyType>> replies;
    replies.reserve(items.size());
    for (const Cookie& cookie : cookies) {
        replies.emplace_back(receive(x, cookie, nullptr));
    }
    return replies;
}

QString lastLines(const QString& path, int count = 15) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
    return lines.mid(std::max<qsizetype>(0, lines.size() - count)).join('\n');
}

void writeFile(const QString& path, const QByteArray& contents) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(contents) < 0) {
        fail(QStringLiteral("cannot write %1").arg(path));
    }
}

// One folder per test, named after it, so a failing test can point at the logs
// of everything it started. Logs from an earlier run of the same test are
// removed once per process.
QString makeLogDirectory() {
    QString name = QStringLiteral("pid%1").arg(QCoreApplication::applicationPid());
    if (const auto* test = ::testing::UnitTest::GetInstance()->current_test_info()) {
        name = QString::fromUtf8(test->test_suite_name()) + '.' + QString::fromUtf8(test->name());
        name.replace('/', '_');
    }
    const QString path = QStringLiteral(QUARN_BINARY_DIR "/e2e-logs/") + name;
    static std::set<QString> cleaned;
    if (cleaned.insert(path).second) {
        QDir(path).removeRecursively();
    }
    QDir().mkpath(path);
    return path;
}

// The session's own folder (runtime, settings, bus socket) carries the test's
// process id, so that folders of test processes that died without cleaning up
// can be removed by the next session.
QString temporaryFolderTemplate() {
    const QString prefix = QStringLiteral("quarn-e2e-");
    const QDir temp(QDir::tempPath());
    for (const QString& name : temp.entryList({prefix + '*'}, QDir::Dirs)) {
        const qint64 pid = name.mid(prefix.size()).section('-', 0, 0).toLongLong();
        if (pid > 0 && !XSession::processRunning(pid)) {
            QDir(temp.filePath(name)).removeRecursively();
        }
    }
    return temp.filePath(prefix + QString::number(QCoreApplication::applicationPid()) +
                         QStringLiteral("-XXXXXX"));
}

// X keysym for a character: the Latin-1 keysyms are the code points, all
// others have the Unicode keysym form.
xcb_keysym_t keysymForCharacter(char32_t c) {
    if (c == '\n' || c == '\r') {
        return 0xff0d; // Return
    }
    if (c == '\t') {
        return 0xff09; // Tab
    }
    if ((c >= 0x20 && c <= 0x7e) || (c >= 0xa0 && c <= 0xff)) {
        return c;
    }
    return 0x01000000 | c;
}

QString keysymName(xcb_keysym_t sym) {
    const char* name = XKeysymToString(sym);
    return name ? QString::fromLatin1(name) : QStringLiteral("0x%1").arg(sym, 0, 16);
}

struct Child {
    std::unique_ptr<QProcess> process;
    qint64 pid = 0;
    QString name;
    QString log;
};

} // namespace

struct XSession::Private {
    Options options;
    QTemporaryDir temp{temporaryFolderTemplate()};
    QString logDirectory;
    QString tag;
    QString displayName;
    QString busAddress;

    xcb_connection_t* x = nullptr;
    const xcb_screen_t* screen = nullptr; // inside the connection's setup
    xcb_window_t root = 0;
    xcb_window_t ownWindow = 0; // ours, never mapped: for asking the window manager
    uint32_t pingCounter = 0;
    std::map<QByteArray, xcb_atom_t> atoms;

    std::deque<Child> helpers; // Xvfb first; a deque keeps references to its items valid
    std::deque<Child> programs;

    // Keysyms the keymap lacks get a spare keycode each, until they run out.
    // Remapping one keycode per character, as xdotool does, races with
    // programs that read the keymap only when they handle the change.
    std::vector<xcb_keycode_t> spareKeycodes;
    std::set<xcb_keysym_t> keymapKeysyms;
    std::map<xcb_keysym_t, xcb_keycode_t> addedKeysyms;

    ~Private() { stopAll(); }

    QString tempPath(const QString& name) const { return temp.path() + '/' + name; }

    // Processes ------------------------------------------------------------------

    Child& launch(std::deque<Child>& list, const QString& program, const QStringList& args,
                  const QProcessEnvironment& env, bool pipeStdout, int deathSignal) {
        Child child;
        child.name = QFileInfo(program).fileName();
        child.log = QStringLiteral("%1/%2-%3-%4.log")
                        .arg(logDirectory, tag)
                        .arg(helpers.size() + programs.size() + 1)
                        .arg(child.name);
        writeFile(child.log, {});

        child.process = std::make_unique<QProcess>();
        QProcess& p = *child.process;
        p.setProgram(program);
        p.setArguments(args);
        p.setProcessEnvironment(env);
        p.setStandardInputFile(QProcess::nullDevice());
        if (!pipeStdout) {
            p.setStandardOutputFile(child.log, QIODevice::Append);
        }
        p.setStandardErrorFile(child.log, QIODevice::Append);
        const pid_t parent = ::getpid();
        p.setChildProcessModifier([parent, deathSignal] {
            // Its own process group, so that stopping it reaches its children;
            // and it dies with the test even when the test crashes.
            ::setsid();
            ::prctl(PR_SET_PDEATHSIG, deathSignal);
            if (::getppid() != parent) {
                ::_exit(127);
            }
        });
        p.start();
        if (!p.waitForStarted(kStartTimeoutMs)) {
            fail(QStringLiteral("could not start %1: %2").arg(program, p.errorString()));
        }
        child.pid = p.processId();
        list.push_back(std::move(child));
        return list.back();
    }

    // Waits for `ready`, failing early when the process ends first.
    void awaitReady(const Child& child, const QString& what, const std::function<bool()>& ready) {
        bool ended = false;
        const bool ok = XSession::waitUntil(
            [&] {
                if (ready()) {
                    return true;
                }
                ended = child.process->state() == QProcess::NotRunning;
                return ended;
            },
            kStartTimeoutMs, 10);
        if (!ok || ended) {
            fail(QStringLiteral("%1 %2 (log %3):\n%4")
                     .arg(child.name,
                          ended ? QStringLiteral("ended before it got to %1").arg(what)
                                : QStringLiteral("did not get to %1 within %2 ms")
                                      .arg(what)
                                      .arg(kStartTimeoutMs),
                          child.log, lastLines(child.log)));
        }
    }

    QString readLine(Child& child, const QString& what) {
        QByteArray line;
        awaitReady(child, what, [&] {
            child.process->waitForReadyRead(0);
            if (!child.process->canReadLine()) {
                return false;
            }
            line = child.process->readLine().trimmed();
            return true;
        });
        return QString::fromUtf8(line);
    }

    void stopAll() {
        // The programs and helpers first, the X server (the first helper) last:
        // they all hang on it.
        std::vector<Child*> first;
        for (auto& c : programs) {
            first.push_back(&c);
        }
        for (size_t i = helpers.size(); i-- > 1;) {
            first.push_back(&helpers[i]);
        }
        stop(first);
        if (x) {
            // The server goes next; it takes our window with it.
            xcb_disconnect(x);
            x = nullptr;
            screen = nullptr;
        }
        if (!helpers.empty()) {
            stop({&helpers.front()});
        }
        programs.clear();
        helpers.clear();
    }

    static void stop(std::vector<Child*> children) {
        // A process id of 0 would make kill() reach our own process group.
        std::erase_if(children, [](const Child* c) { return c->pid <= 0; });
        for (Child* c : children) {
            if (c->process->state() != QProcess::NotRunning) {
                ::kill(-c->pid, SIGTERM);
            }
        }
        for (Child* c : children) {
            if (c->process->state() != QProcess::NotRunning &&
                !c->process->waitForFinished(kStopTimeoutMs)) {
                ::kill(-c->pid, SIGKILL);
                c->process->waitForFinished(kStopTimeoutMs);
            }
            // Whatever the program left behind in its group.
            if (::kill(-c->pid, 0) == 0) {
                ::kill(-c->pid, SIGKILL);
            }
        }
    }

    // X --------------------------------------------------------------------------

    void connect() {
        x = xcb_connect(displayName.toLatin1().constData(), nullptr);
        if (xcb_connection_has_error(x)) {
            xcb_disconnect(x);
            x = nullptr;
            fail(QStringLiteral("cannot connect to the new display %1").arg(displayName));
        }
        screen = xcb_setup_roots_iterator(xcb_get_setup(x)).data; // Xvfb's only screen
        root = screen->root;
        if (!plainPixels()) {
            fail(
                QStringLiteral("the display %1 keeps its pixels in another form").arg(displayName));
        }
        ownWindow = xcb_generate_id(x);
        const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(x, XCB_COPY_FROM_PARENT, ownWindow, root, -10, -10, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK,
                          &events);
    }

    // Reads events until one satisfies `match` or the time is up.
    bool waitForEvent(const std::function<bool(const xcb_generic_event_t*)>& match, int timeoutMs) {
        QElapsedTimer timer;
        timer.start();
        xcb_flush(x);
        for (;;) {
            bool matched = false;
            while (xcb_generic_event_t* event = xcb_poll_for_event(x)) {
                matched = matched || match(event);
                std::free(event);
            }
            checkConnection();
            const qint64 left = timeoutMs - timer.elapsed();
            if (matched || left <= 0) {
                return matched;
            }
            pollfd fd{xcb_get_file_descriptor(x), POLLIN, 0};
            ::poll(&fd, 1, int(left));
        }
    }

    // Returns once the window manager has handled everything sent to it
    // before: it answers a frame-extents request, in order, by setting a
    // property on our window.
    bool windowManagerRoundTrip() {
        if (!options.windowManager) {
            return true;
        }
        sync();
        const xcb_atom_t extents = atom("_NET_FRAME_EXTENTS");
        sendClientMessage(root,
                          XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                          ownWindow, atom("_NET_REQUEST_FRAME_EXTENTS"), {}, false);
        return waitForEvent(
            [&](const xcb_generic_event_t* event) {
                const auto* change = reinterpret_cast<const xcb_property_notify_event_t*>(event);
                return (event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY &&
                       change->window == ownWindow && change->atom == extents;
            },
            kWindowManagerAnswerMs);
    }

    // The program's window under the pointer that answers pings: the deepest
    // window there, or the nearest of its ancestors that takes _NET_WM_PING.
    std::optional<xcb_window_t> pingableUnderPointer() {
        std::vector<xcb_window_t> chain{root};
        for (;;) {
            Reply<xcb_query_pointer_reply_t> pointer(
                xcb_query_pointer_reply(x, xcb_query_pointer(x, chain.back()), nullptr));
            if (!pointer || pointer->child == XCB_NONE) {
                break;
            }
            chain.push_back(pointer->child);
        }
        const xcb_atom_t ping = atom("_NET_WM_PING");
        const auto protocols = pipelined(
            x, chain,
            [this](xcb_connection_t* c, xcb_window_t w) {
                return xcb_get_property(c, 0, w, atom("WM_PROTOCOLS"), XCB_ATOM_ATOM, 0, 64);
            },
            xcb_get_property_reply);
        for (size_t i = chain.size(); i-- > 1;) {
            const auto atoms = values32(protocols[i].get());
            if (std::find(atoms.begin(), atoms.end(), ping) != atoms.end()) {
                return chain[i];
            }
        }
        return std::nullopt;
    }

    // Returns once the program owning `window` has handled everything that
    // reached it before: it answers _NET_WM_PING, in order, via the root.
    bool ping(xcb_window_t window) {
        // The answer goes to the root for those who select substructure
        // redirection (only the window manager may) or notification; Qt 6.4
        // names structure notification instead of the latter.
        const uint32_t rootEvents =
            XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_change_window_attributes(x, root, XCB_CW_EVENT_MASK, &rootEvents);
        const uint32_t stamp = 0x51000000u + ++pingCounter;
        const xcb_atom_t ping = atom("_NET_WM_PING");
        const xcb_atom_t protocols = atom("WM_PROTOCOLS");
        sendClientMessage(window, XCB_EVENT_MASK_NO_EVENT, window, protocols, {ping, stamp, window},
                          false);
        const bool answered = waitForEvent(
            [&](const xcb_generic_event_t* event) {
                const auto* message = reinterpret_cast<const xcb_client_message_event_t*>(event);
                return (event->response_type & 0x7f) == XCB_CLIENT_MESSAGE &&
                       message->type == protocols && message->data.data32[0] == ping &&
                       message->data.data32[1] == stamp;
            },
            kProgramAnswerMs);
        const uint32_t none = XCB_EVENT_MASK_NO_EVENT;
        xcb_change_window_attributes(x, root, XCB_CW_EVENT_MASK, &none);
        sync();
        return answered;
    }

    // Returns once a press or release has been dealt with: the window manager
    // has passed it on (it holds presses it binds, to focus and raise), the
    // program under the pointer has handled it, and the window manager has
    // done what the program asked of it then (start a move). A release sent
    // earlier could overtake them, and leave the window manager moving a
    // window with no button down, as a too quick click does.
    void settle() {
        windowManagerRoundTrip();
        if (const auto window = pingableUnderPointer()) {
            if (!ping(*window)) {
                std::fprintf(stderr, "XSession: window 0x%x did not answer within %d ms\n",
                             unsigned(*window), kProgramAnswerMs);
            }
            windowManagerRoundTrip();
        }
    }

    // Throws once the X server has gone, rather than answering "nothing there".
    void checkConnection() const {
        if (!x || xcb_connection_has_error(x)) {
            fail(QStringLiteral("lost the connection to the X server %1").arg(displayName));
        }
    }

    // Errors of requests without replies (a window that has gone) and the
    // notifications every client gets arrive as events; nobody reads them.
    void dropEvents() {
        while (xcb_generic_event_t* event = xcb_poll_for_event(x)) {
            std::free(event);
        }
    }

    void sync() {
        Reply<xcb_get_input_focus_reply_t>(
            xcb_get_input_focus_reply(x, xcb_get_input_focus(x), nullptr));
        dropEvents();
        checkConnection();
    }

    xcb_atom_t atom(const char* name) {
        auto it = atoms.find(name);
        if (it == atoms.end()) {
            Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
                x, xcb_intern_atom(x, 0, uint16_t(std::strlen(name)), name), nullptr));
            it = atoms.emplace(name, reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE)).first;
        }
        return it->second;
    }

    std::vector<uint32_t> values32(const xcb_get_property_reply_t* reply) {
        if (!reply || reply->format != 32) {
            return {};
        }
        const auto* data = static_cast<const uint32_t*>(xcb_get_property_value(reply));
        return {data, data + xcb_get_property_value_length(reply) / 4};
    }

    std::vector<uint32_t> property32(xcb_window_t window, xcb_atom_t property, xcb_atom_t type) {
        Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
            x, xcb_get_property(x, 0, window, property, type, 0, 1024), nullptr));
        return values32(reply.get());
    }

    std::optional<QString> text(const xcb_get_property_reply_t* reply) {
        if (!reply || reply->type == XCB_ATOM_NONE || reply->format != 8) {
            return std::nullopt;
        }
        const QByteArray bytes(static_cast<const char*>(xcb_get_property_value(reply)),
                               xcb_get_property_value_length(reply));
        return reply->type == XCB_ATOM_STRING ? QString::fromLatin1(bytes)
                                              : QString::fromUtf8(bytes);
    }

    std::vector<std::vector<xcb_window_t>> childrenOf(const std::vector<xcb_window_t>& windows) {
        auto replies = pipelined(x, windows, xcb_query_tree, xcb_query_tree_reply);
        std::vector<std::vector<xcb_window_t>> result;
        for (const auto& reply : replies) {
            if (reply) {
                const xcb_window_t* list = xcb_query_tree_children(reply.get());
                result.emplace_back(list, list + xcb_query_tree_children_length(reply.get()));
            } else {
                result.emplace_back();
            }
        }
        return result;
    }

    // Top-level windows sit on the root, or, once a window manager manages
    // them, inside its frame on the root. Bottom to top. The frames of the
    // window manager's clients are Skipped (each holds dozens of decoration
    // windows); other windows on the root are searched one level down, which
    // also finds a client the window manager is still taking in.
    std::vector<xcb_window_t> topLevels() {
        checkConnection();
        const std::vector<xcb_window_t> onRoot = childrenOf({root}).front();
        const std::vector<uint32_t> clients =
            property32(root, atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW);
        const auto clientTrees =
            pipelined(x, std::vector<xcb_window_t>(clients.begin(), clients.end()), xcb_query_tree,
                      xcb_query_tree_reply);
        std::map<xcb_window_t, xcb_window_t> clientOfFrame;
        for (size_t i = 0; i < clients.size(); ++i) {
            if (clientTrees[i] && clientTrees[i]->parent != root) {
                clientOfFrame[clientTrees[i]->parent] = clients[i];
            }
        }
        std::vector<xcb_window_t> others;
        for (xcb_window_t window : onRoot) {
            if (!clientOfFrame.count(window)) {
                others.push_back(window);
            }
        }
        const auto inOthers = childrenOf(others);
        std::vector<xcb_window_t> result;
        for (size_t i = 0, other = 0; i < onRoot.size(); ++i) {
            if (const auto frame = clientOfFrame.find(onRoot[i]); frame != clientOfFrame.end()) {
                result.push_back(frame->second);
                continue;
            }
            result.push_back(onRoot[i]);
            result.insert(result.end(), inOthers[other].begin(), inOthers[other].end());
            ++other;
        }
        // A window manager that nests its clients deeper: they still count.
        for (uint32_t client : clients) {
            if (std::find(result.begin(), result.end(), client) == result.end()) {
                result.push_back(client);
            }
        }
        return result;
    }

    std::vector<std::optional<QString>> captions(const std::vector<xcb_window_t>& windows) {
        const xcb_atom_t netName = atom("_NET_WM_NAME");
        const xcb_atom_t utf8 = atom("UTF8_STRING");
        auto net = pipelined(
            x, windows,
            [&](xcb_connection_t* c, xcb_window_t w) {
                return xcb_get_property(c, 0, w, netName, utf8, 0, 1024);
            },
            xcb_get_property_reply);
        auto plain = pipelined(
            x, windows,
            [](xcb_connection_t* c, xcb_window_t w) {
                return xcb_get_property(c, 0, w, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0,
                                        1024);
            },
            xcb_get_property_reply);
        std::vector<std::optional<QString>> result;
        for (size_t i = 0; i < windows.size(); ++i) {
            auto caption = text(net[i].get());
            result.push_back(caption ? caption : text(plain[i].get()));
        }
        return result;
    }

    xcb_window_t parentOf(xcb_window_t window) {
        Reply<xcb_query_tree_reply_t> reply(
            xcb_query_tree_reply(x, xcb_query_tree(x, window), nullptr));
        return reply ? reply->parent : 0;
    }

    bool viewable(xcb_window_t window) {
        Reply<xcb_get_window_attributes_reply_t> reply(
            xcb_get_window_attributes_reply(x, xcb_get_window_attributes(x, window), nullptr));
        return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
    }

    QRect rectOnRoot(xcb_window_t window) {
        const auto geometryCookie = xcb_get_geometry(x, window);
        const auto placeCookie = xcb_translate_coordinates(x, window, root, 0, 0);
        Reply<xcb_get_geometry_reply_t> geometry(
            xcb_get_geometry_reply(x, geometryCookie, nullptr));
        Reply<xcb_translate_coordinates_reply_t> place(
            xcb_translate_coordinates_reply(x, placeCookie, nullptr));
        if (!geometry || !place) {
            return {};
        }
        const int border = geometry->border_width;
        return QRect(place->dst_x - border, place->dst_y - border, geometry->width + 2 * border,
                     geometry->height + 2 * border);
    }

    void sendClientMessage(xcb_window_t destination, uint32_t mask, xcb_window_t window,
                           xcb_atom_t type, std::initializer_list<uint32_t> data,
                           bool wait = true) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = window;
        event.type = type;
        std::copy(data.begin(), data.end(), event.data.data32);
        xcb_send_event(x, 0, destination, mask, reinterpret_cast<const char*>(&event));
        if (wait) {
            sync();
        } else {
            xcb_flush(x);
        }
    }

    // Screenshots and the desktop background take pixels as they are: 32
    // bits, least significant byte first, 8 bits each of red, green and blue,
    // as Xvfb keeps a 24-bit screen.
    bool plainPixels() const {
        const xcb_setup_t* setup = xcb_get_setup(x);
        const xcb_format_t* formats = xcb_setup_pixmap_formats(setup);
        bool plain = setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST;
        for (int i = 0; i < xcb_setup_pixmap_formats_length(setup); ++i) {
            plain = plain &&
                    (formats[i].depth != screen->root_depth || formats[i].bits_per_pixel == 32);
        }
        for (auto depths = xcb_screen_allowed_depths_iterator(screen); depths.rem;
             xcb_depth_next(&depths)) {
            for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem;
                 xcb_visualtype_next(&visuals)) {
                const xcb_visualtype_t* v = visuals.data;
                plain =
                    plain &&
                    (v->visual_id != screen->root_visual ||
                     (v->red_mask == 0xff0000 && v->green_mask == 0xff00 && v->blue_mask == 0xff));
            }
        }
        return plain;
    }

    // Keyboard ---------------------------------------------------------------------

    void readKeymap() {
        const xcb_setup_t* setup = xcb_get_setup(x);
        const int first = setup->min_keycode;
        const int count = setup->max_keycode - first + 1;
        Reply<xcb_get_keyboard_mapping_reply_t> reply(xcb_get_keyboard_mapping_reply(
            x, xcb_get_keyboard_mapping(x, xcb_keycode_t(first), uint8_t(count)), nullptr));
        if (!reply) {
            return;
        }
        const int perCode = reply->keysyms_per_keycode;
        const xcb_keysym_t* map = xcb_get_keyboard_mapping_keysyms(reply.get());
        for (int i = 0; i < count; ++i) {
            const xcb_keysym_t* syms = map + i * perCode;
            const bool empty =
                std::all_of(syms, syms + perCode, [](xcb_keysym_t s) { return s == 0; });
            // Keycode 8 has no key of its own in XKB; leave it alone.
            if (empty && first + i > 8) {
                spareKeycodes.push_back(xcb_keycode_t(first + i));
            }
            keymapKeysyms.insert(syms, syms + perCode);
        }
    }

    // Makes `sym` typeable; false when every spare keycode is taken.
    bool addKeysym(xcb_keysym_t sym) {
        if (keymapKeysyms.count(sym) || addedKeysyms.count(sym)) {
            return true;
        }
        if (addedKeysyms.size() == spareKeycodes.size()) {
            return false;
        }
        const xcb_keycode_t code = spareKeycodes[addedKeysyms.size()];
        const xcb_keysym_t syms[2] = {sym, sym};
        xcb_change_keyboard_mapping(x, 1, code, 2, syms);
        addedKeysyms[sym] = code;
        return true;
    }
};

// Start and stop ---------------------------------------------------------------

XSession::XSession(Options options) : d(std::make_unique<Private>()) {
    static int sessionCount = 0;
    d->options = options;
    d->tag = QStringLiteral("s%1").arg(++sessionCount);
    d->logDirectory = makeLogDirectory();
    if (!d->temp.isValid()) {
        fail(QStringLiteral("cannot create a temporary folder: %1").arg(d->temp.errorString()));
    }
    try {
        // The display and the bus do not depend on each other: start both.
        const QProcessEnvironment base = QProcessEnvironment::systemEnvironment();
        // Without -noreset the server resets whenever its last client leaves,
        // and forgets the desktop background.
        Child& xvfb =
            d->launch(d->helpers, QStringLiteral("Xvfb"),
                      words(QStringLiteral("-displayfd 1 -screen 0 %1x%2x24 -nolisten tcp "
                                           "-noreset -dpi 96")
                                .arg(options.screen.width())
                                .arg(options.screen.height())),
                      base, true, SIGTERM);
        // No service folders: nothing on the host gets activated on our bus.
        const QString config = d->tempPath(QStringLiteral("bus.conf"));
        writeFile(config, QStringLiteral(R"(<!DOCTYPE busconfig PUBLIC
 "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <keep_umask/>
  <listen>unix:path=%1</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)")
                              .arg(d->tempPath(QStringLiteral("bus")))
                              .toUtf8());
        Child& bus = d->launch(d->helpers, QStringLiteral("dbus-daemon"),
                               words(QStringLiteral("--nofork --print-address=1"))
                                   << "--config-file=" + config,
                               base, true, SIGKILL);

        d->displayName = ':' + d->readLine(xvfb, QStringLiteral("announce its display"));
        d->connect();
        d->readKeymap();
        d->busAddress = d->readLine(bus, QStringLiteral("announce its address"));

        const QProcessEnvironment env = environment();
        Child* wm = nullptr;
        Child* tray = nullptr;
        if (options.windowManager) {
            const QString rc = d->tempPath(QStringLiteral("openbox-rc.xml"));
            const QString menu = d->tempPath(QStringLiteral("openbox-menu.xml"));
            writeFile(menu, "<openbox_menu xmlns=\"http://openbox.org/3.4/menu\"/>\n");
            // Predictable behaviour: click to focus, new windows get the focus,
            // windows go where programs ask, no edge resistance, one desktop,
            // no key bindings (every key reaches the program) and no menu on
            // the desktop. Presses on a window are bound only in the Client
            // context: openbox passes those on to the program (a Frame binding
            // would keep them).
            writeFile(rc, QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <resistance><strength>0</strength><screen_edge_strength>0</screen_edge_strength></resistance>
  <focus>
    <focusNew>yes</focusNew><followMouse>no</followMouse>
    <focusLast>yes</focusLast><underMouse>no</underMouse>
  </focus>
  <placement><policy>Smart</policy><center>yes</center><monitor>Primary</monitor></placement>
  <theme><name>Clearlooks</name><titleLayout>NLIMC</titleLayout></theme>
  <desktops><number>1</number><firstdesk>1</firstdesk></desktops>
  <margins><top>0</top><bottom>0</bottom><left>0</left><right>0</right></margins>
  <keyboard></keyboard>
  <mouse>
    <dragThreshold>1</dragThreshold>
    <doubleClickTime>500</doubleClickTime>
    <context name="Client">
      <mousebind button="Left" action="Press"><action name="Focus"/><action name="Raise"/></mousebind>
      <mousebind button="Middle" action="Press"><action name="Focus"/><action name="Raise"/></mousebind>
      <mousebind button="Right" action="Press"><action name="Focus"/><action name="Raise"/></mousebind>
    </context>
  </mouse>
  <menu><file>%1</file></menu>
</openbox_config>
)")
                              .arg(menu)
                              .toUtf8());
            wm = &d->launch(d->helpers, QStringLiteral("openbox"),
                            words(QStringLiteral("--sm-disable --config-file")) << rc, env, false,
                            SIGKILL);
        }
        if (options.trayHost) {
            // A small panel in the bottom right corner, like a taskbar's
            // notification area; it reserves no screen space.
            tray =
                &d->launch(d->helpers, QStringLiteral("trayer"),
                           words(QStringLiteral("--edge bottom --align right --widthtype request "
                                                "--height 24 --SetDockType true "
                                                "--SetPartialStrut false --transparent false")),
                           env, false, SIGKILL);
        }
        if (wm) {
            const xcb_atom_t check = d->atom("_NET_SUPPORTING_WM_CHECK");
            d->awaitReady(*wm, QStringLiteral("manage the display"), [&] {
                const auto window = d->property32(d->root, check, XCB_ATOM_WINDOW);
                return !window.empty() && window[0] != 0;
            });
        }
        if (tray) {
            const xcb_atom_t selection = d->atom("_NET_SYSTEM_TRAY_S0");
            d->awaitReady(*tray, QStringLiteral("own the system tray"), [&] {
                Reply<xcb_get_selection_owner_reply_t> owner(xcb_get_selection_owner_reply(
                    d->x, xcb_get_selection_owner(d->x, selection), nullptr));
                return owner && owner->owner != 0;
            });
        }
        // Out of the way of the windows under test, so that nothing shows hover.
        xcb_warp_pointer(d->x, XCB_NONE, d->root, 0, 0, 0, 0, int16_t(options.screen.width() - 1),
                         int16_t(options.screen.height() / 2));
        d->sync();
    } catch (...) {
        d->stopAll();
        throw;
    }
}

XSession::~XSession() = default;

QSize XSession::screenSize() const {
    return d->options.screen;
}

QString XSession::display() const {
    return d->displayName;
}

QString XSession::busAddress() const {
    return d->busAddress;
}

QProcessEnvironment XSession::environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // Nothing of the developer's desktop may leak in: another display server,
    // session manager, input method, platform theme or scaling.
    for (const QString& name :
         words(QStringLiteral("WAYLAND_DISPLAY WAYLAND_SOCKET QT_QPA_PLATFORM QT_QPA_PLATFORMTHEME "
                              "QT_STYLE_OVERRIDE QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS "
                              "QT_AUTO_SCREEN_SCALE_FACTOR QT_ENABLE_HIGHDPI_SCALING QT_FONT_DPI "
                              "QT_IM_MODULE GTK_IM_MODULE XMODIFIERS SESSION_MANAGER XAUTHORITY "
                              "XDG_CURRENT_DESKTOP XDG_SESSION_DESKTOP DESKTOP_SESSION "
                              "GNOME_DESKTOP_SESSION_ID KDE_FULL_SESSION"))) {
        env.remove(name);
    }
    env.insert(QStringLiteral("DISPLAY"), d->displayName);
    env.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("x11"));
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), d->busAddress);
    env.insert(QStringLiteral("NO_AT_BRIDGE"), QStringLiteral("1"));
    for (const QString& setting :
         words(QStringLiteral("XDG_RUNTIME_DIR=runtime XDG_CONFIG_HOME=config XDG_DATA_HOME=data "
                              "XDG_CACHE_HOME=cache XDG_STATE_HOME=state"))) {
        const QString path = d->tempPath(setting.section('=', 1));
        if (!QFileInfo::exists(path)) {
            QDir().mkpath(path);
            QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                            QFileDevice::ExeOwner);
        }
        env.insert(setting.section('=', 0, 0), path);
    }
    return env;
}

QProcess* XSession::start(const QString& program, const QStringList& args,
                          const QProcessEnvironment& extra) {
    QProcessEnvironment env = environment();
    for (const QString& key : extra.keys()) {
        env.insert(key, extra.value(key));
    }
    return d->launch(d->programs, program, args, env, false, SIGKILL).process.get();
}

QString XSession::logFile(const QProcess* process) const {
    for (const auto* group : {&d->programs, &d->helpers}) {
        for (const Child& c : *group) {
            if (c.process.get() == process) {
                return c.log;
            }
        }
    }
    return {};
}

QString XSession::output(const QProcess* process) const {
    QFile file(logFile(process));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll());
}

QString XSession::logDirectory() const {
    return d->logDirectory;
}

std::vector<qint64> XSession::processIds() const {
    std::vector<qint64> pids;
    for (const auto* group : {&d->helpers, &d->programs}) {
        for (const Child& c : *group) {
            pids.push_back(c.pid);
        }
    }
    return pids;
}

// Windows ----------------------------------------------------------------------

std::optional<quint64> XSession::waitForWindow(const QString& caption, int timeoutMs) {
    std::optional<quint64> found;
    waitUntil(
        [&] {
            for (quint64 window : windows(caption)) {
                if (isViewable(window)) {
                    found = window;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return found;
}

std::vector<quint64> XSession::windows(const QString& caption) {
    const std::vector<xcb_window_t> candidates = d->topLevels();
    const auto names = d->captions(candidates);
    std::vector<quint64> found;
    for (size_t i = 0; i < candidates.size(); ++i) {
        if (names[i] == caption) {
            found.push_back(candidates[i]);
        }
    }
    return found;
}

QRect XSession::geometry(quint64 window) {
    d->checkConnection();
    return d->rectOnRoot(xcb_window_t(window));
}

QRect XSession::frameGeometry(quint64 window) {
    d->checkConnection();
    xcb_window_t top = xcb_window_t(window);
    for (xcb_window_t parent = d->parentOf(top); parent != 0 && parent != d->root;
         parent = d->parentOf(top)) {
        top = parent;
    }
    return d->rectOnRoot(top);
}

bool XSession::isViewable(quint64 window) {
    d->checkConnection();
    return d->viewable(xcb_window_t(window));
}

bool XSession::isMinimized(quint64 window) {
    d->checkConnection();
    const xcb_atom_t wmState = d->atom("WM_STATE");
    const auto state = d->property32(xcb_window_t(window), wmState, wmState);
    return !state.empty() && state[0] == kIconicState;
}

QStringList XSession::states(quint64 window) {
    d->checkConnection();
    QStringList names;
    for (const uint32_t atom :
         d->property32(xcb_window_t(window), d->atom("_NET_WM_STATE"), XCB_ATOM_ATOM)) {
        Reply<xcb_get_atom_name_reply_t> name(
            xcb_get_atom_name_reply(d->x, xcb_get_atom_name(d->x, atom), nullptr));
        if (name) {
            names << QString::fromLatin1(xcb_get_atom_name_name(name.get()),
                                         xcb_get_atom_name_name_length(name.get()));
        }
    }
    return names;
}

void XSession::minimize(quint64 window) {
    d->checkConnection();
    // ICCCM: a client asks to be iconified with WM_CHANGE_STATE to the root.
    d->sendClientMessage(d->root,
                         XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                         xcb_window_t(window), d->atom("WM_CHANGE_STATE"), {kIconicState});
}

void XSession::closeWindow(quint64 window) {
    d->checkConnection();
    d->sendClientMessage(xcb_window_t(window), XCB_EVENT_MASK_NO_EVENT, xcb_window_t(window),
                         d->atom("WM_PROTOCOLS"), {d->atom("WM_DELETE_WINDOW"), XCB_CURRENT_TIME});
}

quint64 XSession::activeWindow() {
    d->checkConnection();
    const auto active = d->property32(d->root, d->atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW);
    return active.empty() ? 0 : active[0];
}

// Input ------------------------------------------------------------------------

namespace {

void runXdotool(const QString& display, const QStringList& args) {
    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display);
    tool.setProcessEnvironment(env);
    tool.start(QStringLiteral("xdotool"), args);
    if (!tool.waitForFinished(kToolTimeoutMs) || tool.exitStatus() != QProcess::NormalExit ||
        tool.exitCode() != 0) {
        fail(QStringLiteral("xdotool %1 failed: %2 %3")
                 .arg(args.join(' '), tool.errorString(),
                      QString::fromUtf8(tool.readAllStandardError())));
    }
}

QStringList moveTo(QPoint p) {
    return {QStringLiteral("mousemove"), QString::number(p.x()), QString::number(p.y())};
}

QStringList press(int button) {
    return {QStringLiteral("mousedown"), QString::number(button)};
}

} // namespace

void XSession::moveMouse(QPoint p) {
    runXdotool(d->displayName, moveTo(p));
}

void XSession::mouseDown(int button) {
    runXdotool(d->displayName, press(button));
    d->settle();
}

void XSession::mouseUp(int button) {
    runXdotool(d->displayName, {QStringLiteral("mouseup"), QString::number(button)});
    d->settle();
}

void XSession::click(QPoint p, int button) {
    runXdotool(d->displayName, moveTo(p) + press(button));
    d->settle();
    mouseUp(button);
}

void XSession::drag(QPoint from, QPoint to, int button) {
    runXdotool(d->displayName, moveTo(from) + press(button));
    d->settle();
    constexpr int steps = 8;
    QStringList args;
    for (int i = 1; i <= steps; ++i) {
        args += moveTo(from + (to - from) * i / steps) + words(QStringLiteral("sleep 0.015"));
    }
    runXdotool(d->displayName, args);
    mouseUp(button);
}

bool XSession::pointerGrabbed() {
    d->checkConnection();
    Reply<xcb_grab_pointer_reply_t> reply(xcb_grab_pointer_reply(
        d->x,
        xcb_grab_pointer(d->x, 0, d->root, 0, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC, XCB_NONE,
                         XCB_NONE, XCB_CURRENT_TIME),
        nullptr));
    if (reply && reply->status == XCB_GRAB_STATUS_SUCCESS) {
        xcb_ungrab_pointer(d->x, XCB_CURRENT_TIME);
        d->sync();
        return false;
    }
    return reply && (reply->status == XCB_GRAB_STATUS_ALREADY_GRABBED ||
                     reply->status == XCB_GRAB_STATUS_FROZEN);
}

void XSession::key(const QString& keysym) {
    runXdotool(d->displayName, {QStringLiteral("key"), keysym});
}

void XSession::type(const QString& text) {
    // Each character is pressed as its keysym, which xdotool finds on the
    // keymap (adding Shift where the keymap wants it).
    QStringList names;
    auto flush = [&] {
        d->sync(); // the keymap as xdotool is to read it
        if (!names.isEmpty()) {
            runXdotool(d->displayName, words(QStringLiteral("key --delay 12")) + names);
        }
        names.clear();
    };
    for (char32_t c : text.toUcs4()) {
        const xcb_keysym_t sym = keysymForCharacter(c);
        if (!d->addKeysym(sym)) {
            // Every spare keycode is taken: type what came before, give the
            // program time to read it (it reads the keymap only when it gets
            // to the change), then hand the spare keycodes out afresh.
            flush();
            QThread::msleep(400);
            d->addedKeysyms.clear();
            d->addKeysym(sym);
        }
        names << keysymName(sym);
    }
    flush();
}

// Screen -----------------------------------------------------------------------

QImage XSession::screenshot() {
    d->checkConnection();
    const int width = d->screen->width_in_pixels;
    const int height = d->screen->height_in_pixels;
    Reply<xcb_get_image_reply_t> reply(
        xcb_get_image_reply(d->x,
                            xcb_get_image(d->x, XCB_IMAGE_FORMAT_Z_PIXMAP, d->root, 0, 0,
                                          uint16_t(width), uint16_t(height), ~0u),
                            nullptr));
    if (!reply || xcb_get_image_data_length(reply.get()) != width * height * 4) {
        fail(QStringLiteral("cannot read the screen of %1").arg(d->displayName));
    }
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        std::memcpy(line, xcb_get_image_data(reply.get()) + size_t(y) * size_t(width) * 4,
                    size_t(width) * 4);
        for (int x = 0; x < width; ++x) {
            line[x] |= 0xff000000u; // the pad byte
        }
    }
    return image;
}

QString XSession::saveScreenshot(const QString& name) {
    const QString folder = QStringLiteral(QUARN_BINARY_DIR "/e2e-screenshots");
    QDir().mkpath(folder);
    const QString path = folder + '/' + name + QStringLiteral(".png");
    if (!screenshot().save(path)) {
        fail(QStringLiteral("cannot save %1").arg(path));
    }
    return path;
}

void XSession::setDesktopBackground(const QColor& colour) {
    d->checkConnection();
    const uint32_t pixel = colour.rgb() & 0xffffffu;
    xcb_change_window_attributes(d->x, d->root, XCB_CW_BACK_PIXEL, &pixel);
    xcb_clear_area(d->x, 0, d->root, 0, 0, 0, 0);
    d->sync();
}

void XSession::setDesktopBackground(const QImage& tile) {
    d->checkConnection();
    if (tile.isNull()) {
        return;
    }
    // The picture's rows as they are: the server keeps pixels in the same form.
    const QImage source = tile.convertToFormat(QImage::Format_RGB32);
    const uint8_t depth = d->screen->root_depth;
    const xcb_pixmap_t pixmap = xcb_generate_id(d->x);
    xcb_create_pixmap(d->x, depth, pixmap, d->root, uint16_t(source.width()),
                      uint16_t(source.height()));
    const xcb_gcontext_t gc = xcb_generate_id(d->x);
    xcb_create_gc(d->x, gc, pixmap, 0, nullptr);
    // As many rows per request as the server takes.
    const size_t maxBytes = size_t(xcb_get_maximum_request_length(d->x)) * 4 - 64;
    const int rowsPerRequest = std::max(1, int(maxBytes / size_t(source.bytesPerLine())));
    for (int top = 0; top < source.height(); top += rowsPerRequest) {
        const int rows = std::min(rowsPerRequest, source.height() - top);
        xcb_put_image(d->x, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc, uint16_t(source.width()),
                      uint16_t(rows), 0, int16_t(top), 0, depth,
                      uint32_t(rows * source.bytesPerLine()), source.constScanLine(top));
    }
    xcb_free_gc(d->x, gc);
    // The root keeps its own reference to the pixmap.
    xcb_change_window_attributes(d->x, d->root, XCB_CW_BACK_PIXMAP, &pixmap);
    xcb_free_pixmap(d->x, pixmap);
    xcb_clear_area(d->x, 0, d->root, 0, 0, 0, 0);
    d->sync();
}

// Tray -------------------------------------------------------------------------

std::vector<QRect> XSession::trayIcons() {
    // Icons are XEmbed clients somewhere inside trayer's panel.
    const std::vector<xcb_window_t> candidates = d->topLevels();
    const auto classes = pipelined(
        d->x, candidates,
        [](xcb_connection_t* c, xcb_window_t w) {
            return xcb_get_property(c, 0, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 256);
        },
        xcb_get_property_reply);
    std::vector<xcb_window_t> panels;
    for (size_t i = 0; i < candidates.size(); ++i) {
        if (const auto* reply = classes[i].get(); reply && reply->format == 8) {
            // "instance\0class\0"
            const QByteArray value(static_cast<const char*>(xcb_get_property_value(reply)),
                                   xcb_get_property_value_length(reply));
            if (value.split('\0').value(1) == "trayer" && d->viewable(candidates[i])) {
                panels.push_back(candidates[i]);
            }
        }
    }
    const xcb_atom_t xembed = d->atom("_XEMBED_INFO");
    std::vector<QRect> icons;
    std::function<void(xcb_window_t)> search = [&](xcb_window_t window) {
        const std::vector<xcb_window_t> children = d->childrenOf({window}).front();
        for (xcb_window_t child : children) {
            if (d->property32(child, xembed, xembed).empty()) {
                search(child);
            } else if (d->viewable(child)) {
                icons.push_back(d->rectOnRoot(child));
            }
        }
    };
    for (xcb_window_t panel : panels) {
        search(panel);
    }
    std::sort(icons.begin(), icons.end(), [](const QRect& a, const QRect& b) {
        return a.x() != b.x() ? a.x() < b.x() : a.y() < b.y();
    });
    return icons;
}

std::vector<QRect> XSession::waitForTrayIcons(size_t count, int timeoutMs) {
    // At rest: the same places over a few polls (trayer grows and shifts its
    // panel as icons arrive).
    constexpr qint64 kRestMs = 150;
    const QRect screenRect(0, 0, d->screen->width_in_pixels, d->screen->height_in_pixels);
    std::vector<QRect> last;
    QElapsedTimer unchanged;
    unchanged.start();
    const bool settled = waitUntil(
        [&] {
            const std::vector<QRect> now = trayIcons();
            if (now != last) {
                last = now;
                unchanged.restart();
                return false;
            }
            return now.size() == count &&
                   std::all_of(now.begin(), now.end(),
                               [&](const QRect& icon) { return screenRect.contains(icon); }) &&
                   unchanged.elapsed() >= kRestMs;
        },
        timeoutMs);
    return settled ? last : std::vector<QRect>{};
}

// Waiting ----------------------------------------------------------------------

bool XSession::waitUntil(const std::function<bool()>& condition, int timeoutMs, int pollMs) {
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        if (condition()) {
            return true;
        }
        const qint64 left = timeoutMs - timer.elapsed();
        if (left <= 0) {
            return false;
        }
        if (QCoreApplication::instance()) {
            QCoreApplication::processEvents();
        }
        QThread::msleep(static_cast<unsigned long>(std::min<qint64>(pollMs, left)));
    }
}

bool XSession::processRunning(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray line = stat.readAll();
    const qsizetype end = line.lastIndexOf(") ");
    return end >= 0 && end + 2 < line.size() && line[end + 2] != 'Z' && line[end + 2] != 'X';
}

} // namespace quarn::e2e
