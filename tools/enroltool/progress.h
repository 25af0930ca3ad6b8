// What a download shows on standard error while it runs. On a terminal: one
// line per connection, rewritten in place (its reader, persons done of all,
// failures, time left), with the boxes and the line of each reader done
// scrolling above them. Otherwise: per reader, when it is done, its boxes
// and then its line. Both end with a summary of every reader.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "ops/reader_loop.h"

namespace enroltool {

// The readers of one connection (the same COM port, or the same host and TCP
// port): they share one line and are loaded one after the other.
struct Connection {
  std::string label;         // "tcp 10.0.0.5:10001", "com 3"
  std::vector<int> readers;  // reader slots, in the order given
};

// Groups reader slots by their connection, in the order of each connection's
// first reader; within a connection the readers keep the order given. A host
// is looked up (on Windows after platform::tcp_startup).
std::vector<Connection> group_by_connection(const std::vector<int>& readers);

// "reader 3 Gate D: check passed, 100 persons stored": what one reader did.
std::string reader_line(const ops::ReaderReport& r);

class Progress {
 public:
  // `order`: the reader slots in the order given (for the summary);
  // `persons`: how many persons each reader gets.
  Progress(const std::vector<Connection>& connections, const std::vector<int>& order, int persons,
           bool terminal);

  void connection_started(int connection);
  void reader_start(int slot);
  void person_done(int slot);
  void failure(int slot);
  // A box's line; `slot` -1 when it belongs to no reader.
  void box(int slot, const std::string& line);
  void reader_done(const ops::ReaderReport& report);
  // The reader was not done because its worker ended early (`why`).
  void reader_lost(int slot, const std::string& why);
  // Lets the time left move on while nothing else happens.
  void tick();
  // The last state of each connection and the summary.
  void finish();

 private:
  using Clock = std::chrono::steady_clock;
  struct Reader {
    int slot = 0;
    int connection = 0;
    std::string name;  // for the terminal
    Clock::time_point started;
    double seconds = 0;
    bool began = false, done = false;
    std::string outcome;              // reader_line, once done
    std::vector<std::string> boxes;   // held until done (not on a terminal)
  };
  struct Conn {
    std::string label;
    double active = 0;  // seconds of its readers done
    bool running = false, finished = false;
    int current = -1;  // reader slot at work
    int done = 0, total = 0, failures = 0, readers_left = 0;
  };

  const Reader* find(int slot) const;
  Reader* reader(int slot);
  void close(Reader* r, const std::string& outcome);
  void scroll(const std::string& line);
  void draw(bool now);
  std::string status(const Conn& c) const;

  std::vector<int> order_;
  std::vector<Reader> readers_;
  std::vector<Conn> conns_;
  int persons_;
  bool terminal_;
  int drawn_ = 0;
  Clock::time_point begun_, last_draw_;
};

}  // namespace enroltool
