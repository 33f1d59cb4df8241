#include <gtest/gtest.h>

#include <vector>

#include "base/Timer.h"
#include "fakes/FakeTimerService.h"

namespace lumivane::test {
namespace {

struct TTimerFixture : ::testing::Test {
    TFakeTimerService service;
    std::vector<uint64_t> ticks;
    void Track(TTimer& t) {
        t.SetOnTimer([this](TTimer*) { ticks.push_back(service.Now); });
    }
};

TEST_F(TTimerFixture, EnablingAnEnabledTimerDoesNotRestartIt) {
    TTimer timer(service, 300, false);
    Track(timer);
    timer.SetEnabled(true);
    service.Advance(200);
    timer.SetEnabled(true);
    service.Advance(200);
    EXPECT_EQ(ticks, (std::vector<uint64_t>{300}));
}

TEST_F(TTimerFixture, ChangingTheIntervalRestartsAndZeroNeverFires) {
    TTimer timer(service, 500, true);
    Track(timer);
    service.Advance(400);
    timer.SetInterval(500);  // same value: no restart
    service.Advance(100);
    timer.SetInterval(1000);  // restarts from now (500)
    service.Advance(1500);
    EXPECT_EQ(ticks, (std::vector<uint64_t>{500, 1500}));
    timer.SetInterval(0);
    service.Advance(5000);
    EXPECT_EQ(ticks.size(), 2u);
    EXPECT_TRUE(timer.Enabled()) << "an interval of 0 keeps the enabled state";
}

TEST_F(TTimerFixture, OneShotDisabledInItsHandlerAndStoppedWhenDestroyed) {
    auto timer = std::make_unique<TTimer>(service, 100, true);
    timer->SetOnTimer([&](TTimer* sender) {
        ticks.push_back(service.Now);
        sender->SetEnabled(false);
    });
    service.Advance(1000);
    timer->Tick();  // a tick the system had queued before the stop
    EXPECT_EQ(ticks, (std::vector<uint64_t>{100}));
    timer->SetEnabled(true);
    EXPECT_TRUE(service.Running(*timer));
    const int stopsBefore = service.Stops;
    timer.reset();
    EXPECT_EQ(service.Stops, stopsBefore + 1) << "a destroyed timer stops its tick";
}

}  // namespace
}  // namespace lumivane::test
