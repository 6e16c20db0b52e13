// The virtual clock and the baton: who runs now, the test or one of the
// simulated processes.
//
// Every simulated process runs on a thread of its own, but never at the same
// time as the test or another process: control passes back and forth like a
// coroutine. The test hands the baton to a process and waits; the process
// hands it back when it has nothing left to do ("idle") or has ended. So the
// state of the world needs no locking, and every run takes the same path.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

namespace orbl::sim {

class SimProcess;

class SimScheduler {
 public:
  // The turn of the test; processes have their pid (from 1).
  static constexpr int kTest = 0;

  // --- the virtual clock -----------------------------------------------------
  std::uint64_t Now() const { return now_; }
  // Moves the clock forward, running every timer that falls due on the way,
  // in time order, in the process that owns it.
  void Advance(std::uint64_t ms);
  // Time spent blocked by a program (a pause, a beep): no timer runs meanwhile.
  void Pass(std::uint64_t ms) { now_ += ms; }

  // --- the processes, in the order they were made ------------------------------
  int NewPid() { return ++lastPid_; }
  void Register(SimProcess* process);
  void Unregister(SimProcess* process);
  SimProcess* Process(int pid) const;
  const std::vector<SimProcess*>& Processes() const { return processes_; }

  // --- the baton -----------------------------------------------------------
  // Test side: hands the baton to process `pid` and returns when it is back.
  void RunProcess(int pid);
  // Program side: hands the baton back to the test and returns when the test
  // hands it to `pid` again.
  void YieldToTest(int pid);
  // Program side: the first wait of a process thread, before it runs anything.
  void WaitForTurn(int pid);
  // Program side: the last act of a process thread that has ended.
  void ReturnToTest();

 private:
  std::uint64_t now_ = 0;
  int lastPid_ = 0;
  std::vector<SimProcess*> processes_;

  std::mutex mutex_;
  std::condition_variable changed_;
  int turn_ = kTest;
};

}  // namespace orbl::sim
