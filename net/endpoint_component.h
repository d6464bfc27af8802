#pragma once

// The base an endpoint is built on, which gives it an owner that destroys it and a name: a
// QObject on Linux (the Qt front-end finds it by name among the window's children); a plain
// base on Windows, where the owner holds the endpoint itself.

#ifdef _WIN32

#include <string>
#include <utility>

namespace kestrune {

class EndpointComponent {
public:
    EndpointComponent() = default;
    virtual ~EndpointComponent() = default;
    EndpointComponent(const EndpointComponent&) = delete;
    EndpointComponent& operator=(const EndpointComponent&) = delete;

    const std::string& Name() const { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }

private:
    std::string name_;
};

}  // namespace kestrune

#else

#include <QObject>

namespace kestrune {

class EndpointComponent : public QObject {
    Q_OBJECT
public:
    explicit EndpointComponent(QObject* owner = nullptr) : QObject(owner) {}
};

}  // namespace kestrune

#endif
