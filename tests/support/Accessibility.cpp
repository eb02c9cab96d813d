#include "support/Accessibility.h"

#include "support/XSession.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>

#include <stdexcept>

using namespace Qt::Literals::StringLiterals;

namespace quarn::e2e {

namespace {

const QString kClient = QStringLiteral(QUARN_SOURCE_DIR "/tests/support/atspi-client");
constexpr int kClientTimeoutMs = 12000; // it ends itself within 8 s

struct ClientRun {
    bool ok = false;
    QByteArray out;
    QString said; // what it wrote on stderr, or why it did not run
};

// Runs the client; `meanwhile`, when given, once it has said its first line.
ClientRun runClient(XSession& session, const QStringList& args,
                    const std::function<void()>& meanwhile = {}) {
    QProcess client;
    client.setProcessEnvironment(session.environment());
    // Debian's Python: one first on PATH (pyenv's) may lack Debian's pyatspi.
    client.start(u"/usr/bin/python3"_s, QStringList{kClient} + args);
    ClientRun run;
    if (meanwhile) {
        XSession::waitUntil([&] { return client.canReadLine(); }, kClientTimeoutMs);
        client.readLine();
        // The program hears of a new listener through the registry a moment later.
        QThread::msleep(300);
        meanwhile();
    }
    if (!client.waitForFinished(kClientTimeoutMs)) {
        run.said = "atspi-client did not end: " + client.errorString() + '\n';
        client.kill();
        client.waitForFinished();
    }
    run.ok =
        client.exitStatus() == QProcess::NormalExit && client.exitCode() == 0 && run.said.isEmpty();
    run.out = client.readAllStandardOutput();
    run.said += QString::fromUtf8(client.readAllStandardError()).trimmed();
    return run;
}

::testing::AssertionResult outcome(const ClientRun& run, const QStringList& args) {
    if (run.ok) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "atspi-client " << qPrintable(args.join(' ')) << ": " << qPrintable(run.said);
}

std::optional<double> number(const QJsonObject& object, const char* key) {
    const QJsonValue value = object.value(QLatin1String(key));
    return value.isDouble() ? std::optional(value.toDouble()) : std::nullopt;
}

AccessibleNode parse(const QJsonObject& object) {
    AccessibleNode node{object.value("role"_L1).toString(),
                        object.value("name"_L1).toString(),
                        object.value("description"_L1).toString(),
                        object.value("states"_L1).toVariant().toStringList(),
                        object.value("actions"_L1).toVariant().toStringList(),
                        number(object, "value"),
                        number(object, "minimum"),
                        number(object, "maximum"),
                        {}};
    for (const QJsonValue child : object.value("children"_L1).toArray()) {
        node.children.push_back(parse(child.toObject()));
    }
    return node;
}

void collect(const AccessibleNode& node, const QString& role,
             std::vector<const AccessibleNode*>& found) {
    if (node.role == role) {
        found.push_back(&node);
    }
    for (const AccessibleNode& child : node.children) {
        collect(child, role, found);
    }
}

AccessibleNode readTree(XSession& session, const QStringList& args,
                        const std::function<void()>& meanwhile = {}) {
    const ClientRun run = runClient(session, args, meanwhile);
    QJsonParseError error;
    const QJsonDocument tree = QJsonDocument::fromJson(run.out, &error);
    if (!run.ok || !tree.isObject()) {
        const QString why = run.ok ? error.errorString() : QString(outcome(run, args).message());
        throw std::runtime_error(("no accessible tree: " + why).toStdString());
    }
    return parse(tree.object());
}

} // namespace

const AccessibleNode* AccessibleNode::Find(const QString& role, const QString& name) const& {
    for (const AccessibleNode* node : FindAll(role)) {
        if (name.isEmpty() || node->name == name) {
            return node;
        }
    }
    return nullptr;
}

std::vector<const AccessibleNode*> AccessibleNode::FindAll(const QString& role) const& {
    std::vector<const AccessibleNode*> found;
    collect(*this, role, found);
    return found;
}

QString AccessibleNode::ToString(int depth) const {
    QString text = u"%1%2 \"%3\""_s.arg(QString(depth * 2, ' '), role, name);
    if (!description.isEmpty()) {
        text += u" (%1)"_s.arg(description);
    }
    text += " [" + states.join(' ') + ']';
    if (!actions.isEmpty()) {
        text += " actions: " + actions.join(", ");
    }
    if (value) {
        text +=
            u" value %1 of %2..%3"_s.arg(*value).arg(minimum.value_or(0)).arg(maximum.value_or(0));
    }
    for (const AccessibleNode& child : children) {
        text += '\n' + child.ToString(depth + 1);
    }
    return text;
}

AccessibleNode AccessibleTree(XSession& session, qint64 pid) {
    return readTree(session, {u"dump"_s, QString::number(pid)});
}

AccessibleNode AccessibleAroundFocus(XSession& session, qint64 pid,
                                     const std::function<void()>& action) {
    return readTree(session, {u"focus"_s, QString::number(pid)}, action);
}

::testing::AssertionResult DoAccessibleAction(XSession& session, qint64 pid, const QString& role,
                                              const QString& name, const QString& action) {
    const QStringList args{u"do"_s, QString::number(pid), role, name, action};
    return outcome(runClient(session, args), args);
}

::testing::AssertionResult SetAccessibleValue(XSession& session, qint64 pid, const QString& role,
                                              const QString& name, double value) {
    const QStringList args{u"set-value"_s, QString::number(pid), role, name,
                           QString::number(value)};
    return outcome(runClient(session, args), args);
}

} // namespace quarn::e2e
