// A change of several files and its recovery, cut off at every call that
// changes a file, failing at its own steps, or finding a damaged new file.
#ifndef _WIN32
#include "fixture.h"
#include "store/commit.h"
#include "support/crash.h"

namespace {

using platform::fault::Op;
using testsupport::crashes_at;
using testsupport::Files;
using testsupport::files_in;

class Commit : public storetest::Store {
 protected:
  // The change replaces two files and creates a third.
  void SetUp() override {
    Store::SetUp();
    using testsupport::bytes_of;  // (the fixture's bytes_of reads a file)
    old_files = {{"Eingabe.dat", bytes_of("old mask")}, {"Leser.dat", bytes_of("old readers")}};
    new_files = {{"Eingabe.dat", bytes_of("new mask, longer")},
                 {"Leser.dat", bytes_of("new readers")},
                 {"Usepas.dat", bytes_of("new users")}};
  }
  // Every state a crash of the change leaves, from its first call on.
  std::vector<Files> crash_states() const {
    std::vector<Files> states;
    for (int n = 1;; ++n) {
      testsupport::put_files(dir.path(), old_files);
      if (!crashes_at(n, [this] {
            store::Change c;
            for (const auto& f : new_files) c.put(f.first.c_str(), f.second.data(), f.second.size());
            c.commit();
          }))
        break;
      states.push_back(files_in(dir.path()));
    }
    EXPECT_EQ(new_files, files_in(dir.path()));  // the run that did not crash
    return states;
  }
  void expect_old_or_new(const std::string& where) const {
    Files now = files_in(dir.path());
    EXPECT_TRUE(now == old_files || now == new_files) << where;
  }
  Files old_files, new_files;
};

TEST_F(Commit, EveryCrashOfTheChangeOrOfItsRecoveryEndsInTheOldOrTheNewFiles) {
  const std::vector<Files> states = crash_states();
  // Three files written and flushed, the intent file, two renames each, removals.
  EXPECT_GE(states.size(), 18u);
  for (std::size_t n = 0; n < states.size(); ++n) {
    for (int m = 1;; ++m) {
      testsupport::put_files(dir.path(), states[n]);
      bool crashed = crashes_at(m, [] { store::recover_change(); });
      EXPECT_GE(store::recover_change(), 0);
      expect_old_or_new("crash " + std::to_string(n + 1) + ", recovery crash " + std::to_string(m));
      if (!crashed) break;
    }
  }
  const testsupport::Bytes log = testsupport::read_file(path("Log.txt"));
  EXPECT_NE(std::string::npos, std::string(log.begin(), log.end()).find("abgeschlossen: Eingabe.dat Leser.dat Usepas.dat"));
}

TEST_F(Commit, AFailingRecoveryStepLosesNothingAndADamagedNewFileUndoesTheChange) {
  for (const Files& state : crash_states()) {
    for (Op op : {Op::FileOpen, Op::FileRead, Op::FileRename, Op::FileDelete, Op::FileFlush}) {
      for (int nth = 1;; ++nth) {
        testsupport::put_files(dir.path(), state);
        platform::fault::reset();
        platform::fault::arm(op, nth);
        int rc = store::recover_change();
        bool hit = platform::fault::calls(op) >= nth;
        platform::fault::reset();
        // (A failing open may be the one of Log.txt, which fails nothing.)
        EXPECT_TRUE(!hit || op == Op::FileOpen || rc < 0) << static_cast<int>(op) << " #" << nth;
        EXPECT_GE(store::recover_change(), 0);
        expect_old_or_new("fault " + std::to_string(static_cast<int>(op)) + " #" + std::to_string(nth));
        if (!hit) break;
      }
    }
  }
  // A new file damaged after the intent was written: the change is undone,
  // however often the undoing is cut off.
  for (const Files& state : crash_states()) {
    if (!state.count(store::kIntentFile) || !state.count("Usepas.dat.new")) continue;
    Files damaged = state;
    damaged["Usepas.dat.new"][0] ^= 1;
    for (int m = 1;; ++m) {
      testsupport::put_files(dir.path(), damaged);
      bool crashed = crashes_at(m, [] { store::recover_change(); });
      EXPECT_GE(store::recover_change(), 0) << m;
      EXPECT_EQ(old_files, files_in(dir.path())) << m;
      if (!crashed) break;
    }
  }
}

}  // namespace
#endif
