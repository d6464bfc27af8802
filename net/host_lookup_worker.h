#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "net/socket_message.h"
#include "platform/host_lookup.h"

namespace kestrune {

// Where lookup threads post their completions. The hidden window closes it before it goes, so
// a lookup that ends later posts nothing.
class LookupMailbox {
public:
    using Post = std::function<void(const SocketMessage&)>;

    // post hands a message to the UI thread; it is called from lookup threads, never after
    // Close has returned.
    explicit LookupMailbox(Post post) : post_(std::move(post)) {}

    // Posts socket message 1125 for lookup lookupId, if the mailbox is still open.
    void PostCompletion(std::uint64_t lookupId, const HostLookupResult& result);
    void Close();

private:
    std::mutex mutex_;
    Post post_;
};

using HostLookupFunction = std::function<HostLookupResult(const std::string& name)>;

// Runs lookup(name) on a thread of its own and posts its completion to the mailbox as socket
// message 1125 with the error number in the high 16 bits of the event word. Returns false when
// no thread could be started (then nothing will be posted).
bool StartHostLookup(std::shared_ptr<LookupMailbox> mailbox, HostLookupFunction lookup,
                     std::string name, std::uint64_t lookupId);

}  // namespace kestrune
