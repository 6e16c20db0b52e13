#include "platform/sim/SimScheduler.h"

#include <algorithm>

#include "platform/sim/SimProcess.h"

namespace orbl::sim {

void SimScheduler::Advance(std::uint64_t ms) {
  const std::uint64_t target = now_ + ms;
  for (;;) {
    // The earliest due timer among the living processes; ties go to the
    // process started first, so every run takes the same path.
    SimProcess* next = nullptr;
    std::uint64_t nextDue = 0;
    for (SimProcess* process : processes_) {
      if (!process->Running()) continue;
      auto due = process->NextTimerDue();
      if (due && *due <= target && (!next || *due < nextDue)) {
        next = process;
        nextDue = *due;
      }
    }
    if (!next) break;
    now_ = std::max(now_, nextDue);
    next->RunUntilIdle();
  }
  now_ = std::max(now_, target);
  // A program that sat over the end of the session all this time has been
  // ended by the system meanwhile; it notices as soon as it runs.
  for (SimProcess* process : processes_) {
    if (process->Running() && process->EndSessionOverdue()) process->RunUntilIdle();
  }
}

void SimScheduler::Register(SimProcess* process) {
  processes_.push_back(process);
}

void SimScheduler::Unregister(SimProcess* process) {
  processes_.erase(std::remove(processes_.begin(), processes_.end(), process), processes_.end());
}

SimProcess* SimScheduler::Process(int pid) const {
  for (SimProcess* process : processes_) {
    if (process->Pid() == pid) return process;
  }
  return nullptr;
}

void SimScheduler::RunProcess(int pid) {
  std::unique_lock lock(mutex_);
  turn_ = pid;
  changed_.notify_all();
  changed_.wait(lock, [&] { return turn_ == kTest; });
}

void SimScheduler::YieldToTest(int pid) {
  std::unique_lock lock(mutex_);
  turn_ = kTest;
  changed_.notify_all();
  changed_.wait(lock, [&] { return turn_ == pid; });
}

void SimScheduler::WaitForTurn(int pid) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return turn_ == pid; });
}

void SimScheduler::ReturnToTest() {
  {
    std::lock_guard lock(mutex_);
    turn_ = kTest;
  }
  changed_.notify_all();
}

}  // namespace orbl::sim
