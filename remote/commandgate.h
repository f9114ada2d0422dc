// Lets one remote command line run at a time across all connections of a server: a command
// that waits (and so processes events) must not see another peer's line run inside it.
// Interpreters that find the gate taken are resumed, in order, when it is free again.
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class Remote;

class CommandGate : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // True when remote may run a line now; otherwise it is resumed once the gate is free.
    bool enter(Remote* remote);
    // True when others were waiting: the leaving interpreter then queues behind them, so a
    // peer that sends many lines at once does not keep the others waiting.
    bool leave(Remote* remote);
    bool isTaken() const { return !holder_.isNull(); }

private:
    QPointer<Remote> holder_;
    QList<QPointer<Remote>> waiting_;
};
