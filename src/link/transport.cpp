#include "link/transport.h"

#include "platform/serial.h"
#include "platform/tcp.h"

namespace rlink {
namespace {

const Transport kPlatform = {
    platform::com_open,         platform::com_close,      platform::com_purge_output,
    platform::com_purge_input,  platform::com_wait_input, platform::com_read_byte,
    platform::com_write_byte,   platform::com_read_exact, platform::com_send,
    platform::tcp_connect,      platform::tcp_close,      platform::tcp_send,
    platform::tcp_receive,      platform::tcp_wait_readable,
};

const Transport* g_table = &kPlatform;

}  // namespace

const Transport& platform_transport() { return kPlatform; }
const Transport& io() { return *g_table; }
void set_transport(const Transport* t) { g_table = t ? t : &kPlatform; }

}  // namespace rlink
