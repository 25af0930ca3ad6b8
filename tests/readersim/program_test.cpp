// The readersim program: the printed endpoints, control lines on standard
// input, a clean end on SIGTERM, its usage and the refusal of bad arguments.
#ifdef READERSIM_PATH
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <string>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "enroltool/tool_runner.h"
#include "host.h"
#include "link/link.h"
#include "os.h"
#include "persons/fixture.h"
#include "support/support.h"

using namespace simtest;
using testsupport::same_bytes;

namespace {

// The program with pipes on its standard input and output.
struct Program {
  pid_t pid = -1;
  int in = -1;    // we write its standard input
  FILE* out = nullptr;

  explicit Program(const std::vector<std::string>& args) {
    int to[2], from[2];
    if (pipe(to) != 0 || pipe(from) != 0) return;
    pid = fork();
    if (pid == 0) {
      dup2(to[0], 0);
      dup2(from[1], 1);
      const int quiet = open("/dev/null", O_WRONLY);
      if (quiet >= 0) dup2(quiet, 2);
      close(to[1]);
      close(from[0]);
      std::vector<char*> argv;
      argv.push_back(const_cast<char*>(READERSIM_PATH));
      for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      execv(READERSIM_PATH, argv.data());
      _exit(127);
    }
    close(to[0]);
    close(from[1]);
    in = to[1];
    out = fdopen(from[0], "r");
  }
  ~Program() {
    if (in >= 0) close(in);
    if (out) fclose(out);
    if (pid > 0) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
  }
  std::string line() {
    char buf[512];
    if (!out || !fgets(buf, sizeof buf, out)) return "";
    return buf;
  }
  void say(const std::string& text) { ASSERT_EQ(static_cast<long>(text.size()), write(in, text.data(), text.size())); }
  // Exit status after SIGTERM, or -1.
  int terminate() {
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  int wait_exit() {
    int status = 0;
    waitpid(pid, &status, 0);
    pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
};

TEST(ReadersimProgram, ServesTheStationAndTakesControlLines) {
  Program p({"--station", "--tcp", "127.0.0.1:0", "--pty", "--auto-card", "0A0B", "--quality", "93"});
  const std::string tcp = p.line();
  ASSERT_EQ(0u, tcp.find("tcp 127.0.0.1:")) << tcp;
  const int port = std::stoi(tcp.substr(14));
  EXPECT_EQ(0u, p.line().find("pty /dev/"));

  p.say("keys 42\n");
  EXPECT_EQ("ok\n", p.line());
  p.say("frobnicate\n");
  EXPECT_EQ(0u, p.line().find("error:"));
  {
    Host host = Host::tcp(port);
    ASSERT_TRUE(host.ok());
    EXPECT_TRUE(same_bytes({DLE, ACK}, host.command(cmd("1Y", {0x0C}))));
    EXPECT_TRUE(same_bytes(cmd("1s>"), host.fetch(1, '0')));
    EXPECT_TRUE(same_bytes(cmd("1a", {0x01, 0x0A, 0x0B}), host.fetch(1, '1')));
    EXPECT_TRUE(same_bytes({DLE, ACK}, host.command(cmd("1T", {2, 15, 0, 1, 1}))));
    EXPECT_TRUE(same_bytes(cmd("1k42"), host.fetch(1, '2')));
    EXPECT_TRUE(same_bytes({DLE, ACK}, host.command(cmd("1Y", {0x02, 15}))));
    EXPECT_EQ(93, host.fetch(1, '1').at(4));
  }
  p.say("transparent\n");
  EXPECT_EQ("ok on\n", p.line());
  EXPECT_EQ(0, p.terminate());
}

// "address N" on the control port holds for the connection that gave it.
TEST(ReadersimProgram, AControlAddressHoldsForItsConnection) {
  int control = 0;
  sim::os::close_fd(sim::os::tcp_listen("127.0.0.1", 0, &control));
  Program p({"--readers", "1,2", "--tcp", "127.0.0.1:0", "--control", std::to_string(control)});
  EXPECT_TRUE(same_bytes({DLE, ACK}, Host::tcp(std::stoi(p.line().substr(14))).command(cmd("2Y", {0x0C}))));
  std::string replies;
  for (std::string lines : {"address 2\ntransparent\n", "transparent\n"}) {
    Host c = Host::tcp(control);
    c.send(Bytes(lines.begin(), lines.end()));
    // One reply line per control line; wait for all of them (a loaded machine may take a while).
    const auto wanted = std::count(lines.begin(), lines.end(), '\n');
    std::string got;
    for (int tries = 0; tries < 100 && std::count(got.begin(), got.end(), '\n') < wanted; ++tries)
      for (std::uint8_t b : c.receive(4096, 50)) got += static_cast<char>(b);
    replies += got;
  }
  EXPECT_EQ("ok\nok on\nok off\n", replies);  // the second connection means reader 1
}

// The person form's "Reader" and the keypad against the demo station as scripts/run.sh starts it.
class DemoStation : public persontest::Program {};
TEST_F(DemoStation, TheFormReadsItsCardAndTheKeypadTypesItsPin) {
  ::Program station({"--station", "--demo", "--tcp", "127.0.0.1:0"});
  store::db().konfig.set_station_connection(1);
  store::db().konfig.set_ip("127.0.0.1");
  store::db().konfig.set_tcp_port(static_cast<std::uint16_t>(std::stoi(station.line().substr(14))));  // "tcp 127.0.0.1:PORT"
  ASSERT_TRUE(persontest::hl::choose_menu(2000));
  ASSERT_TRUE(persontest::hl::press(form(), res::d_person::kReadCard));
  persontest::hl::advance(10000);
  EXPECT_EQ("04A1B2C3D4", ui::get_text(form(), res::d_person::kIdentification));
  ASSERT_EQ(1, rlink::enrol_keyboard(1, 15000));
  EXPECT_EQ("K471100", rlink::last_delivery());
}

TEST(ReadersimProgram, HelpAndOneLineRefusals) {
  testsupport::TempDir scratch;
  const tooltest::Result help = tooltest::run_tool(READERSIM_PATH, "--station --help", scratch);
  EXPECT_EQ(0, help.rc);
  EXPECT_EQ(0u, help.out.find("usage: readersim")) << help.out;
  EXPECT_EQ("", help.err);
  struct Case {
    const char* args;
    const char* complaint;
  };
  const Case cases[] = {
      {"--station", "give --tcp HOST:PORT and/or --pty"},
      {"--station --readers 1 --pty", "give exactly one of --station and --readers"},
      {"--readers 0,16 --pty", "bad reader addresses"},
      {"--station --tcp 127.0.0.1", "bad --tcp address"},
      {"--station --tcp localhost:10001", "bad --tcp address"},
      {"--station --tcp 127.0.0.256:1", "bad --tcp address"},
      {"--station --pty --record-key 0011", "bad record key"},
      {"--station --pty --auto-card xyz", "bad card number"},
      {"--station --pty --wobble", "unknown option: --wobble"},
      {"--station --pty extra", "unknown option: extra"},
      {"--station --pty --quality", "--quality needs a value"},
      {"--station --pty --quality 300", "bad quality"},
      {"--station --pty --encrypt soh", "--encrypt needs --record-key or --install"},
      {"--readers 2 --pty --auto-card 0A", "--auto-card is for the station only"},
      {"--station --pty --control 0", "bad control port"},
  };
  for (const Case& c : cases) {
    const tooltest::Result r = tooltest::run_tool(READERSIM_PATH, c.args, scratch);
    EXPECT_EQ(2, r.rc) << c.args;
    EXPECT_EQ(0u, r.err.find("readersim: ")) << c.args << "\n" << r.err;
    EXPECT_NE(std::string::npos, r.err.find(c.complaint)) << c.args << "\n" << r.err;
    EXPECT_EQ(r.err.size() - 1, r.err.find('\n')) << c.args << "\n" << r.err;  // one line
    EXPECT_EQ("", r.out) << c.args;
  }
}

}  // namespace
#endif
