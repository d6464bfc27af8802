// The hidden window on Qt's event loop: posted events carry the socket messages, a
// QSocketNotifier stands for read readiness, and the wait handles events until one comes.

#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QtGlobal>

#include <exception>
#include <utility>

#include "net/qt/socket_message_target.h"
#include "net/socket_message_window.h"

namespace kestrune {

namespace {

// Handlers run from Qt's event dispatch; nothing may escape into it.
template <typename Step>
void RunFromEventLoop(Step&& step) {
    try {
        step();
    } catch (const std::exception& error) {
        qWarning("UDP endpoint: a handler failed: %s", error.what());
    } catch (...) {
        qWarning("UDP endpoint: a handler failed");
    }
}

class QtSocketMessageWindow final : public SocketMessageWindow {
public:
    explicit QtSocketMessageWindow(Receiver receiver)
        : receiver_(std::move(receiver)),
          target_(std::make_unique<SocketMessageTarget>(
              [this](const SocketMessage& message) {
                  RunFromEventLoop([&] { receiver_(message); });
              },
              nullptr)),
          mailbox_(std::make_shared<LookupMailbox>(
              [target = target_.get()](const SocketMessage& message) {
                  QCoreApplication::postEvent(target, new SocketMessageEvent(message));
              })) {}

    ~QtSocketMessageWindow() override {
        mailbox_->Close();
        // The notifier goes before the descriptor it watches.
        delete readNotifier_;
    }

    void WatchReads(NativeSocket socket) override {
        StopWatchingReads();
        readNotifier_ = new QSocketNotifier(socket, QSocketNotifier::Read, target_.get());
        QObject::connect(readNotifier_, &QSocketNotifier::activated, target_.get(), [this] {
            RunFromEventLoop([this] { receiver_({kSocketMessageNumber, kReadReadyEvent, 0, {}}); });
        });
    }

    void StopWatchingReads() override {
        if (readNotifier_ == nullptr) {
            return;
        }
        // Possibly inside its own activation: disarm now, delete once the event loop is back.
        readNotifier_->setEnabled(false);
        readNotifier_->disconnect();
        readNotifier_->deleteLater();
        readNotifier_ = nullptr;
    }

    bool IsWatchingReads() const override { return readNotifier_ != nullptr; }

    bool StartLookup(HostLookupFunction lookup, std::string name, std::uint64_t lookupId) override {
        // Without an application no completion could ever be delivered.
        return QCoreApplication::instance() != nullptr &&
               StartHostLookup(mailbox_, std::move(lookup), std::move(name), lookupId);
    }

    bool WaitForMessages() override {
        if (QCoreApplication::instance() == nullptr) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        return true;
    }

private:
    Receiver receiver_;
    std::unique_ptr<SocketMessageTarget> target_;
    std::shared_ptr<LookupMailbox> mailbox_;
    QSocketNotifier* readNotifier_ = nullptr;  // child of target_
};

}  // namespace

std::unique_ptr<SocketMessageWindow> MakeSocketMessageWindow(
    SocketMessageWindow::Receiver receiver) {
    return std::make_unique<QtSocketMessageWindow>(std::move(receiver));
}

}  // namespace kestrune
