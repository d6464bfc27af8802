#include "net/host_lookup_worker.h"

#include <cerrno>
#include <system_error>
#include <thread>
#include <utility>

namespace kestrune {

namespace {

// The error number travels in 16 bits; a failure must never read as 0 there.
std::uint32_t EventWordFor(int error) {
    if (error == 0) {
        return 0;
    }
    const auto low = static_cast<std::uint32_t>(error) & 0xFFFFu;
    return (low != 0 ? low : 0xFFFFu) << 16;
}

}  // namespace

void LookupMailbox::PostCompletion(std::uint64_t lookupId, const HostLookupResult& result) {
    const std::lock_guard lock(mutex_);
    if (!post_) {
        return;
    }
    post_({kSocketMessageNumber, EventWordFor(result.error), lookupId, result.addresses});
}

void LookupMailbox::Close() {
    const std::lock_guard lock(mutex_);
    post_ = nullptr;
}

bool StartHostLookup(std::shared_ptr<LookupMailbox> mailbox, HostLookupFunction lookup,
                     std::string name, std::uint64_t lookupId) {
    try {
        // Detached: a resolver may take long, and the UI must never wait for it to go away.
        std::thread([mailbox = std::move(mailbox), lookup = std::move(lookup),
                     name = std::move(name), lookupId] {
            HostLookupResult result;
            try {
                result = lookup(name);
            } catch (...) {
                result = {EIO, {}};
            }
            mailbox->PostCompletion(lookupId, result);
        }).detach();
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

}  // namespace kestrune
