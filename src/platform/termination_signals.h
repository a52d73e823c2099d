// SIGTERM, SIGINT and SIGHUP as a Qt signal on the window thread: the handler only writes one
// byte into a pipe, and a socket notifier on its other end emits requested().
#pragma once

#include <QObject>
#include <csignal>

class QSocketNotifier;

class TerminationSignals : public QObject {
    Q_OBJECT

  public:
    // Installs the handlers; the previous ones come back when the object goes.
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // False when the pipe or the handlers could not be set up (the default actions stay).
    bool IsActive() const { return notifier_ != nullptr; }

  signals:
    void requested(int signalNumber);

  private:
    void OnReadable();

    QSocketNotifier* notifier_ = nullptr;
    struct sigaction previous_[3] = {};
    bool installed_[3] = {};
};
