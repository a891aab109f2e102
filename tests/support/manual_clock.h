// A clock for tests: time only moves by SleepMs / Advance, never by itself.
#pragma once

#include <cstdint>

#include "platform/window/host.h"

namespace test {

class ManualClock : public platform::Clock {
 public:
  std::uint64_t NowMs() override { return now_; }
  void SleepMs(DWORD ms) override {
    now_ += ms;
    slept_ += ms;
  }
  void Advance(std::uint64_t ms) { now_ += ms; }
  std::uint64_t TotalSlept() const { return slept_; }

 private:
  std::uint64_t now_ = 0;
  std::uint64_t slept_ = 0;
};

}  // namespace test
