#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM (the desktop's log-off and shutdown) and SIGINT (Ctrl+C in a
// terminal) into a queued signal on the user-interface thread. The handler
// only writes one byte into a socket pair; everything else runs in the event
// loop.
class SignalBridge final : public QObject {
    Q_OBJECT
public:
    explicit SignalBridge(QObject* parent = nullptr);
    ~SignalBridge() override;

Q_SIGNALS:
    void terminationRequested();

private:
    void onReadable();

    QSocketNotifier* m_notifier = nullptr;
};
