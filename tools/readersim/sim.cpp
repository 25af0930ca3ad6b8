#include "sim.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "codec.h"
#include "device.h"
#include "os.h"

namespace sim {

// One transport end: a TCP connection or the pty master, with its parser.
struct Link {
  int fd = -1;
  StreamParser parser;
  ConnContext context;

  void fresh() {
    parser.reset();
    context = ConnContext{};
  }
};

struct Simulator::Impl {
  mutable std::mutex mu;
  BusState bus;

  int listen_fd = -1;
  Link tcp;
  Link pty;
  bool pty_hung_up = true;
  int wake_fds[2] = {-1, -1};
  std::thread thread;
  std::atomic<bool> stopping{false};
  bool running = false;

  Device* device(int address) {
    auto it = bus.devices.find(address);
    return it == bus.devices.end() ? nullptr : &it->second;
  }
  const Device* device(int address) const {
    auto it = bus.devices.find(address);
    return it == bus.devices.end() ? nullptr : &it->second;
  }

  void serve();
  void serve_tcp(bool listener_ready, bool conn_ready);
  void serve_pty(bool ready);
  // Reads what the link holds and answers it. False when the link was lost.
  bool pump(Link* link, bool is_tcp);
  void count_close() {
    std::lock_guard<std::mutex> lock(mu);
    ++bus.closed;
  }
  void count_open() {
    std::lock_guard<std::mutex> lock(mu);
    ++bus.opened;
  }
};

void Simulator::Impl::serve() {
  while (!stopping.load()) {
    std::vector<os::Wait> waits;
    waits.push_back({wake_fds[0], false});
    const int tcp_index = tcp.fd >= 0 || listen_fd >= 0 ? static_cast<int>(waits.size()) : -1;
    if (tcp.fd >= 0) {
      waits.push_back({tcp.fd, false});
    } else if (listen_fd >= 0) {
      waits.push_back({listen_fd, false});
    }
    const bool pty_live = pty.fd >= 0 && !pty_hung_up;
    const int pty_index = pty_live ? static_cast<int>(waits.size()) : -1;
    if (pty_live) waits.push_back({pty.fd, false});
    // While no one holds the pty slave, look for an open every few milliseconds.
    os::wait_readable(&waits, pty.fd >= 0 && pty_hung_up ? 5 : 200);
    if (waits[0].readable) os::drain(wake_fds[0]);
    if (stopping.load()) break;
    if (tcp_index >= 0) {
      const bool ready = waits[static_cast<std::size_t>(tcp_index)].readable;
      serve_tcp(tcp.fd < 0 && ready, tcp.fd >= 0 && ready);
    }
    if (pty.fd >= 0) serve_pty(pty_index >= 0 && waits[static_cast<std::size_t>(pty_index)].readable);
  }
}

void Simulator::Impl::serve_tcp(bool listener_ready, bool conn_ready) {
  if (listener_ready) {
    tcp.fd = os::tcp_accept(listen_fd);
    if (tcp.fd >= 0) {
      tcp.fresh();
      count_open();
    }
    return;
  }
  if (conn_ready && !pump(&tcp, true)) {
    os::close_fd(tcp.fd);
    tcp.fd = -1;
    count_close();
  }
}

void Simulator::Impl::serve_pty(bool ready) {
  if (pty_hung_up) {
    if (!os::pty_hung_up(pty.fd)) {
      pty_hung_up = false;
      pty.fresh();
      count_open();
    }
    return;
  }
  if (ready && !pump(&pty, false)) {
    pty_hung_up = true;
    count_close();
  }
}

bool Simulator::Impl::pump(Link* link, bool is_tcp) {
  std::uint8_t buf[512];
  for (;;) {
    const long n = os::read_some(link->fd, buf, sizeof buf);
    if (n == -2) return true;
    if (n <= 0) return false;
    if (is_tcp) os::tcp_quick_ack(link->fd);
    std::vector<InUnit> units;
    link->parser.feed(buf, static_cast<std::size_t>(n), &units);
    link->parser.flush_garbage(&units);
    // A slow device: every command frame (not the fetches of deliveries) is
    // carried out after the answer delay.
    int delay = 0;
    {
      std::lock_guard<std::mutex> lock(mu);
      delay = bus.answer_delay_ms;
    }
    if (delay > 0)
      for (const InUnit& u : units)
        if (u.unit == Unit::Frame && u.payload.size() > 1 && u.payload[1] != 'N' && u.payload[1] != 'Q')
          std::this_thread::sleep_for(std::chrono::milliseconds(delay));
    std::vector<Out> outs;
    {
      std::lock_guard<std::mutex> lock(mu);
      for (const InUnit& u : units) {
        std::vector<Out> more = handle_unit(&bus, &link->context, u);
        outs.insert(outs.end(), more.begin(), more.end());
      }
    }
    for (const Out& o : outs) {
      if (!os::write_all(link->fd, o.wire.data(), o.wire.size())) return false;
      if (o.disconnect) {
        // A serial line cannot be pulled from here; the rest of the frame is
        // simply never sent.
        if (is_tcp) return false;
        link->parser.reset();
        break;
      }
    }
  }
}

// ---------------------------------------------------------------- lifetime

Simulator::Simulator(const Options& options) : impl_(new Impl) { init_bus(&impl_->bus, options); }

Simulator::~Simulator() { stop(); }

int Simulator::listen_tcp(const std::string& host, int port) {
  if (impl_->running || impl_->listen_fd >= 0) return -1;
  int bound = 0;
  impl_->listen_fd = os::tcp_listen(host, port, &bound);
  return impl_->listen_fd >= 0 ? bound : -1;
}

std::string Simulator::open_pty() {
  if (impl_->running || impl_->pty.fd >= 0) return "";
  std::string path;
  impl_->pty.fd = os::pty_open(&path);
  impl_->pty_hung_up = true;
  return impl_->pty.fd >= 0 ? path : "";
}

bool Simulator::start() {
  Impl& m = *impl_;
  if (m.running || (m.listen_fd < 0 && m.pty.fd < 0)) return false;
  if (!os::wake_pipe(m.wake_fds)) return false;
  m.stopping = false;
  m.running = true;
  m.thread = std::thread([&m] { m.serve(); });
  return true;
}

void Simulator::stop() {
  Impl& m = *impl_;
  if (m.running) {
    m.stopping = true;
    os::wake(m.wake_fds[1]);
    m.thread.join();
    m.running = false;
  }
  for (int* fd : {&m.tcp.fd, &m.listen_fd, &m.pty.fd, &m.wake_fds[0], &m.wake_fds[1]}) {
    os::close_fd(*fd);
    *fd = -1;
  }
}

// ---------------------------------------------------------------- scripting

void Simulator::present_card(const Bytes& csn) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  BusState& b = impl_->bus;
  b.card_present = true;
  b.card_csn = Bytes(csn.begin(), csn.begin() + static_cast<long>(std::min<std::size_t>(csn.size(), 10)));
  find_card(&b, b.card_csn);
  for (auto& d : b.devices) d.second.card_reported = false;
}

void Simulator::remove_card() {
  std::lock_guard<std::mutex> lock(impl_->mu);
  impl_->bus.card_present = false;
}

void Simulator::set_auto_card(const Bytes& csn) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  impl_->bus.auto_csn = Bytes(csn.begin(), csn.begin() + static_cast<long>(std::min<std::size_t>(csn.size(), 10)));
}

void Simulator::set_card_delay(int polls) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  impl_->bus.card_delay = std::max(0, polls);
}

void Simulator::set_answer_delay(int ms) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  impl_->bus.answer_delay_ms = std::max(0, std::min(10000, ms));
}

void Simulator::set_quality(int quality) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  impl_->bus.quality = std::max(0, std::min(255, quality));
}

void Simulator::script_qualities(const std::vector<int>& qualities) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  for (int q : qualities) impl_->bus.quality_script.push_back(std::max(0, std::min(255, q)));
}

void Simulator::script_keys(const std::vector<std::string>& entries) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  for (const auto& e : entries) impl_->bus.key_script.push_back(e);
}

void Simulator::set_template_size(int n) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  impl_->bus.template_size = std::max(2, std::min(1010, n));
}

void Simulator::set_keys(const std::string& digits) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  impl_->bus.keys = digits;
  impl_->bus.keys_pending = true;
}

void Simulator::set_auto_keys(const std::string& digits) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  impl_->bus.auto_keys = digits;
}

void Simulator::set_serial(const Bytes& serial10) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  impl_->bus.serial = serial10;
  impl_->bus.serial.resize(10, 0);
}

void Simulator::set_hw_type(int type) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  impl_->bus.hw_type = type & 0xFF;
}

void Simulator::set_rfid_set(int set, const Bytes& data) {
  if (set < 2 || set > 4) return;
  std::lock_guard<std::mutex> lock(impl_->mu);
  impl_->bus.rfid[set] = data;
}

Bytes Simulator::rfid_set(int set) const {
  if (set < 2 || set > 4) return {};
  std::lock_guard<std::mutex> lock(impl_->mu);
  return impl_->bus.rfid[set];
}

std::vector<Card> Simulator::cards() const {
  std::lock_guard<std::mutex> lock(impl_->mu);
  return impl_->bus.cards;
}

void Simulator::script_status(int address, std::uint8_t code) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  if (Device* d = impl_->device(address)) d->scripted.push_back({false, code});
}

void Simulator::script_no_answer(int address) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  if (Device* d = impl_->device(address)) d->scripted.push_back({true, 0});
}

void Simulator::queue_delivery(int address, const Bytes& after_address) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  if (Device* d = impl_->device(address)) {
    Bytes payload = {static_cast<std::uint8_t>(0x30 + address)};
    payload.insert(payload.end(), after_address.begin(), after_address.end());
    d->queue.push_back({payload, {}});
  }
}

int Simulator::pending_deliveries(int address) const {
  std::lock_guard<std::mutex> lock(impl_->mu);
  const Device* d = impl_->device(address);
  return d ? static_cast<int>(d->queue.size()) : 0;
}

// ---------------------------------------------------------------- device state

bool Simulator::has_address(int address) const {
  std::lock_guard<std::mutex> lock(impl_->mu);
  return impl_->device(address) != nullptr;
}

DeviceState Simulator::device(int address) const {
  std::lock_guard<std::mutex> lock(impl_->mu);
  const Device* d = impl_->device(address);
  return d ? d->state : DeviceState{};
}

void Simulator::set_device(int address, const DeviceState& state) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  if (Device* d = impl_->device(address)) d->state = state;
}

bool Simulator::transparent(int address) const {
  std::lock_guard<std::mutex> lock(impl_->mu);
  const Device* d = impl_->device(address);
  return d && d->state.transparent;
}

std::vector<User> Simulator::users(int address) const {
  std::lock_guard<std::mutex> lock(impl_->mu);
  const Device* d = impl_->device(address);
  return d ? d->state.users : std::vector<User>{};
}

int Simulator::confirm_mismatches() const {
  std::lock_guard<std::mutex> lock(impl_->mu);
  return impl_->bus.confirm_mismatches;
}

// ---------------------------------------------------------------- encryption and faults

void Simulator::set_record_key(const Bytes& key16) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  impl_->bus.record_key = key16;
  impl_->bus.record_key.resize(16, 0);
}

void Simulator::set_encryption(Encryption e) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  impl_->bus.encryption = e;
}

void Simulator::inject(const Fault& fault) {
  if (fault.count <= 0) return;
  std::lock_guard<std::mutex> lock(impl_->mu);
  impl_->bus.faults.push_back(fault);
}

void Simulator::clear_faults() {
  std::lock_guard<std::mutex> lock(impl_->mu);
  impl_->bus.faults.clear();
}

// ---------------------------------------------------------------- observation

std::vector<Record> Simulator::traffic() const {
  std::lock_guard<std::mutex> lock(impl_->mu);
  return impl_->bus.traffic;
}

void Simulator::clear_traffic() {
  std::lock_guard<std::mutex> lock(impl_->mu);
  impl_->bus.traffic.clear();
}

int Simulator::connections_opened() const {
  std::lock_guard<std::mutex> lock(impl_->mu);
  return impl_->bus.opened;
}

int Simulator::connections_closed() const {
  std::lock_guard<std::mutex> lock(impl_->mu);
  return impl_->bus.closed;
}

bool Simulator::connected() const {
  std::lock_guard<std::mutex> lock(impl_->mu);
  return impl_->bus.opened > impl_->bus.closed;
}

bool Simulator::wait_until(const std::function<bool()>& done, int timeout_ms) const {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

}  // namespace sim
