#pragma once

#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <vector>

namespace quarn::e2e {

class XSession;

// A node of a program's accessible tree as assistive tools see it over the
// accessibility bus (AT-SPI), read by tests/support/atspi-client with Debian's
// pyatspi: AT-SPI's role name ("push button", "frame", "scroll bar"), name and
// description, states ("focusable", "showing"...), action names ("Press"), and
// the value, minimum and maximum of nodes that have a value.
struct AccessibleNode {
    QString role, name, description;
    QStringList states, actions;
    std::optional<double> value, minimum, maximum;
    std::vector<AccessibleNode> children;

    // The first node of this role (and name, unless empty) here or below,
    // depth first. (Not of a temporary tree: the node would go with it.)
    const AccessibleNode* Find(const QString& role, const QString& name = {}) const&;
    const AccessibleNode* Find(const QString& role, const QString& name = {}) const&& = delete;
    // Every node of this role here or below, depth first: the order "#N" counts in.
    std::vector<const AccessibleNode*> FindAll(const QString& role) const&;
    std::vector<const AccessibleNode*> FindAll(const QString& role) const&& = delete;
    // One line a node, indented by depth: for failure messages.
    QString ToString(int depth = 0) const;
};

// The tree of the program with this process id on a session started with
// Options::accessibility, from its application node down. Throws
// std::runtime_error, with what the client printed, when it cannot be read.
AccessibleNode AccessibleTree(XSession& session, qint64 pid);
// The node around the first of the program's nodes to take the focus while
// `action` runs (a pop-up menu, for one of its items), as a screen reader
// hears of it. Throws as AccessibleTree does.
AccessibleNode AccessibleAroundFocus(XSession& session, qint64 pid,
                                     const std::function<void()>& action);
// Performs the named action ("Press") on the first node of this role and name,
// or with name "#N" on the N-th node of the role (from 1, as FindAll lists
// them), as a screen reader does. True when done; else false, with what the
// client said (EXPECT_TRUE shows it).
::testing::AssertionResult DoAccessibleAction(XSession& session, qint64 pid, const QString& role,
                                              const QString& name, const QString& action);
// Sets the value of that node through its value interface.
::testing::AssertionResult SetAccessibleValue(XSession& session, qint64 pid, const QString& role,
                                              const QString& name, double value);

} // namespace quarn::e2e
