#pragma once

#include "store/ServerSettings.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class Prompter;
class QThread;

// The administrator's two commands on the order database: who may run them, the warning and the
// operation code before, and the statement itself on a connection of its own in a thread of its
// own, so that the window stays usable while a large order database works.
class MaintenanceCommands : public QObject
{
    Q_OBJECT

public:
    enum class Command
    {
        CopyEstimatedWeight, // "货品重量为0 货品重量=预估重量"
        ClearAwaitingReview  // "一键清空待审核订单"
    };

    // Who asks and which order database the command works on.
    struct Caller
    {
        bool administrator = false;
        ServerSettings server;
        QString dataFolder;
    };

    // askOperationCode shows the operation-code dialog and is true when it closed with its code.
    MaintenanceCommands(Prompter& prompter, std::function<bool()> askOperationCode,
                        QObject* parent = nullptr);
    // Waits for a command still running.
    ~MaintenanceCommands() override;

    // Runs the checks and starts the command; false when nothing started (refused, not confirmed, or
    // a command still running). caption names the command in the success message.
    bool request(Command command, const QString& caption, const Caller& caller);
    bool busy() const { return m_thread != nullptr; }

signals:
    void busyChanged(bool busy);
    // The command ended and its message has been shown.
    void finished(bool ok);

private:
    void commandEnded();

    Prompter& m_prompter;
    std::function<bool()> m_askOperationCode;
    std::unique_ptr<QThread> m_thread;
    QString m_caption;
    // Written by the command's thread before it ends, read after.
    bool m_ok = false;
    QString m_error;
};
