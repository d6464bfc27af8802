#pragma once

#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "platform/host_lookup.h"

namespace kestrune {

// Where lookup threads post their completions. The owner of the target closes it before the
// target goes, so a lookup that ends later posts nothing.
class LookupMailbox {
public:
    explicit LookupMailbox(QObject* target) : target_(target) {}

    // Posts a socket message for lookup lookupId to the target, if it is still open.
    void PostCompletion(std::uint64_t lookupId, const HostLookupResult& result);
    void Close();

private:
    std::mutex mutex_;
    QObject* target_;
};

using HostLookupFunction = std::function<HostLookupResult(const std::string& name)>;

// Runs lookup(name) on a thread of its own and posts its completion to the mailbox as socket
// message 1125 with the error number in the high 16 bits of the event word. Returns false when
// no thread could be started (then nothing will be posted).
bool StartHostLookup(std::shared_ptr<LookupMailbox> mailbox, HostLookupFunction lookup,
                     std::string name, std::uint64_t lookupId);

}  // namespace kestrune
