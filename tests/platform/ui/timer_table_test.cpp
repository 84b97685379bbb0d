#include "platform/ui/timer_table.h"

#include <gtest/gtest.h>

namespace {

HWND Window(std::uintptr_t n) { return reinterpret_cast<HWND>(n); }

std::vector<UINT_PTR> FiredIds(TimerTable& table, DWORD now) {
  std::vector<UINT_PTR> ids;
  for (const TimerTable::Fired& fired : table.Due(now)) ids.push_back(fired.id);
  return ids;
}

TEST(TimerTable, SettingAgainRestartsTheDelay) {
  TimerTable table;
  table.Set(Window(1), 2, 100, nullptr, 1000);
  table.Set(Window(1), 2, 100, nullptr, 1060);
  EXPECT_TRUE(FiredIds(table, 1100).empty());
  EXPECT_EQ(FiredIds(table, 1160), std::vector<UINT_PTR>{2});
}

TEST(TimerTable, FiresEveryPeriodUntilKilled) {
  TimerTable table;
  table.Set(Window(1), 1, 3000, nullptr, 0);
  EXPECT_TRUE(FiredIds(table, 2999).empty());
  EXPECT_EQ(FiredIds(table, 3000).size(), 1u);
  EXPECT_TRUE(FiredIds(table, 3000).empty());
  EXPECT_EQ(FiredIds(table, 6000).size(), 1u);
  EXPECT_TRUE(table.Kill(Window(1), 1));
  EXPECT_FALSE(table.Kill(Window(1), 1));
  EXPECT_TRUE(FiredIds(table, 9000).empty());
}

TEST(TimerTable, DueTimersComeEarliestFirstAndPerWindow) {
  TimerTable table;
  table.Set(Window(1), 1, 300, nullptr, 0);
  table.Set(Window(1), 2, 100, nullptr, 0);
  table.Set(Window(2), 1, 200, nullptr, 0);
  std::vector<TimerTable::Fired> fired = table.Due(500);
  ASSERT_EQ(fired.size(), 3u);
  EXPECT_EQ(fired[0].window, Window(1));
  EXPECT_EQ(fired[0].id, 2u);
  EXPECT_EQ(fired[1].window, Window(2));
  EXPECT_EQ(fired[2].id, 1u);
  table.KillAll(Window(1));
  EXPECT_FALSE(table.Has(Window(1), 2));
  EXPECT_TRUE(table.Has(Window(2), 1));
}

TEST(TimerTable, DeadlinesSurviveTheTickCountWrap) {
  TimerTable table;
  table.Set(Window(1), 1, 100, nullptr, 0xFFFFFFC0u);
  DWORD delay = 0;
  ASSERT_TRUE(table.NextDelay(0xFFFFFFC0u, delay));
  EXPECT_EQ(delay, 100u);
  EXPECT_TRUE(FiredIds(table, 0x00000010u).empty());
  EXPECT_EQ(FiredIds(table, 0x00000024u).size(), 1u);
  ASSERT_TRUE(table.NextDelay(0x00000030u, delay));
  EXPECT_EQ(delay, 0x24u + 100u - 0x30u);
}

}  // namespace
