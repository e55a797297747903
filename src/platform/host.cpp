#include "platform/host.h"

#include "platform/desktophost.h"

namespace {
std::unique_ptr<Host> &current()
{
    static std::unique_ptr<Host> host;
    return host;
}
} // namespace

Host &platform::host()
{
    auto &h = current();
    if (!h)
        h = std::make_unique<DesktopHost>();
    return *h;
}

std::unique_ptr<Host> platform::setHost(std::unique_ptr<Host> host)
{
    auto previous = std::move(current());
    current() = std::move(host);
    return previous;
}
