#include "ui/server_list_query.h"

#include <QTimer>

#include "net/udp_endpoint.h"
#include "ui/exception_display.h"

namespace kestrune {

namespace {

class QtRepeatingTimer final : public RepeatingTimer {
public:
    QtRepeatingTimer(std::chrono::milliseconds interval, std::function<void()> timeout) {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(interval);
        QObject::connect(&timer_, &QTimer::timeout, std::move(timeout));
    }
    void Start() override { timer_.start(); }
    void Stop() override { timer_.stop(); }

private:
    QTimer timer_;
};

}  // namespace

std::unique_ptr<ServerListQuery> MakeServerListQuery() {
    auto query = std::make_unique<ServerListQuery>(
        std::make_unique<EndpointLink<TUDPEndpoint>>(),
        [](std::chrono::milliseconds interval, std::function<void()> timeout) {
            return std::make_unique<QtRepeatingTimer>(interval, std::move(timeout));
        },
        [](std::string_view message) { ShowException(message); });
    query->SetOnLog([](const std::string& line) { qInfo("%s", line.c_str()); });
    return query;
}

}  // namespace kestrune
